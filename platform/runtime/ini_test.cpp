#include "platform/runtime/ini.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/runtime/test_support.h"

namespace runtime {
namespace {

class Ini : public ::testing::Test {
 protected:
  void Write(std::string_view bytes) { std::ofstream(file_, std::ios::binary) << bytes; }
  std::string Read() { return test::ReadWholeFile(file_); }
  std::string Get(std::string_view section, std::string_view key) { return GetIni(section, key, "<none>", file_); }

  const test::TestFolder folder_;
  const std::filesystem::path dir_ = folder_.path();
  const std::string file_ = (dir_ / "Sorvane.ini").string();
};

TEST_F(Ini, MissingFileGivesTheDefault) { EXPECT_EQ(GetIni("Sistemas", "RutaDatos", " ", file_), " "); }

TEST_F(Ini, ReadsKeysAsTheSuiteWritesThem) {
  Write("RutaDatos=before any section\r\n"
        "[Otra]\r\nRutaDatos=other section\r\n"
        "[ Sistemas ]\r\n"
        "; RutaDatos=a comment\r\n"
        "Fotos\r\n"
        "  RutaDatos =  D:\\SUITE\\DADM   \r\n"
        "RUTADATOS=second line of the same key\r\n"
        "Copias=\r\n"
        "Estacion=Pe\xF1" "a \xD1\r\n"
        "[Configuraci\xF3n]\r\n"
        "A\xF1o=2026\n"
        "[sistemas]\n"
        "usacaja=1\n");
  const struct {
    const char* section;
    const char* key;
    const char* value;
  } cases[] = {
      {"Sistemas", "RutaDatos", "D:\\SUITE\\DADM"},  // first line counts, blanks trimmed
      {"SISTEMAS", "rutadatos", "D:\\SUITE\\DADM"},
      {"Sistemas", "Copias", ""},
      {"Sistemas", "Fotos", "<none>"},               // a line without "="
      {"Sistemas", "; RutaDatos", "<none>"},
      {"Sistemas", "Estacion", "Peña Ñ"},            // code page 1252 read as UTF-8
      {"CONFIGURACIÓN", "AÑO", "2026"},
      {"Sistemas", "usacaja", "1"},                  // the section's second appearance
      {"Otra", "RutaDatos", "other section"},
      {"Sistemas", "Reportes", "<none>"},
      {"Nada", "RutaDatos", "<none>"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Get(c.section, c.key), c.value) << c.section << " " << c.key;
  }
}

TEST_F(Ini, PutRewritesOnlyTheLineItChanges) {
  Write("[Sistemas]\r\nRutaDatos = D:\\A ; old\r\nFotos=F\r\n\r\n[Otra]\r\nx=1\n");
  ASSERT_TRUE(PutIni("SISTEMAS", "rutadatos", "E:\\Año", file_));
  ASSERT_TRUE(PutIni("Sistemas", "Nuevo", "n", file_));
  ASSERT_TRUE(PutIni("Añadida", "k", "v", file_));
  EXPECT_EQ(Read(),
            "[Sistemas]\r\nRutaDatos =E:\\A\xF1o\r\nFotos=F\r\nNuevo=n\r\n\r\n[Otra]\r\nx=1\n"
            "\r\n[A\xF1" "adida]\r\nk=v\r\n");
  EXPECT_EQ(Get("Sistemas", "RutaDatos"), "E:\\Año");
  EXPECT_EQ(Get("añadida", "K"), "v");
}

TEST_F(Ini, PutCreatesAMissingFile) {
  ASSERT_TRUE(PutIni("__Dont_Touch_Me__", "Sectors", "Main", file_));
  EXPECT_EQ(Read(), "[__Dont_Touch_Me__]\r\nSectors=Main\r\n");
}

TEST_F(Ini, PutRefusesWhatWouldDamageTheFile) {
  Write("[S]\r\nk=1\r\n");
  EXPECT_FALSE(PutIni("S", "k", "1\r\nx=2", file_));
  EXPECT_FALSE(PutIni("S]", "k", "1", file_));
  EXPECT_FALSE(PutIni("S", "k=", "1", file_));
  EXPECT_EQ(Read(), "[S]\r\nk=1\r\n");
  EXPECT_FALSE(PutIni("S", "k", "1", (dir_ / "missing" / "x.ini").string()));
}

}  // namespace
}  // namespace runtime
