#include "app/suite_settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/globals.h"
#include "app/data_paths.h"
#include "platform/runtime/cp1252.h"
#include "platform/runtime/paths.h"
#include "platform/runtime/test_support.h"

namespace app {
namespace {

using runtime::test::TestFolder;

namespace fs = std::filesystem;

class SuiteSettingsTest : public testing::Test {
 protected:
  void SetUp() override {
    InitGlobals();
    home_ = fs::current_path();
  }
  void TearDown() override { fs::current_path(home_); }

  std::string Write(const std::string& bytes) {
    const std::string path = folder_ + "/Sorvane.ini";
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  fs::path home_;
  TestFolder test_folder_;
  const std::string folder_ = test_folder_.path().string();
};

TEST_F(SuiteSettingsTest, EveryKeyGoesToItsGlobalAsWritten) {
  ASSERT_EQ(ReadSuiteSettings(Write(
      "[Otra]\r\nRutaDatos=NO\r\n"
      "[Sistemas]\r\n"
      "RutaDatos=/SUITE/DADM   \r\n"
      "Copias=2\r\n"
      "tipofactura=Forma libre\r\n"
      "Reportes=D:\\SUITE\\REP\r\n"
      "Fotos=D:\\SUITE\\FOTOS\r\n"
      "chequefactura=1\r\n"
      "RutaTransfer=\\\\servidor\\transfer\r\n"
      "RutaDatosNomina=/SUITE/DNOM\r\n"
      "RutaDatosContabilidad=/SUITE/DCON01\r\n"
      "Estacion=CAJA01\r\n"
      "usacaja=1\r\n")),
            "");
  EXPECT_EQ(GLO::RUTADATOS.value(), "/SUITE/DADM");  // GETINI drops the blanks around a value
  EXPECT_EQ(GLO::COPIAS, 2);
  EXPECT_EQ(GLO::TIPOFACTURA.value(), "Forma libre         ");
  EXPECT_EQ(GLO::REPORTES.value(), "D:\\SUITE\\REP");
  EXPECT_EQ(GLO::FOTOS.value(), "D:\\SUITE\\FOTOS");
  EXPECT_EQ(GLO::CHEQUEFACTURA, 1);
  EXPECT_EQ(GLO::RUTATRANSFER.value(), "\\\\servidor\\transfer");
  EXPECT_EQ(GLO::RUTADATOSNOMINA.value(), "/SUITE/DNOM");
  EXPECT_EQ(GLO::RUTADATOSCONTABILIDAD.value(), "/SUITE/DCON01");
  EXPECT_EQ(GLO::ESTACION.value(), "CAJA01");
  EXPECT_EQ(GLO::USACAJA, 1);
}

TEST_F(SuiteSettingsTest, MissingFileOrKeysReadAsOneBlank) {
  for (const bool file_exists : {false, true}) {
    SCOPED_TRACE(file_exists ? "keys missing" : "file missing");
    InitGlobals();
    ASSERT_EQ(ReadSuiteSettings(file_exists ? Write("[Sistemas]\r\nEstacion=C1\r\n") : folder_ + "/none.ini"), "");
    EXPECT_EQ(GLO::RUTADATOS.value(), " ");
    EXPECT_EQ(GLO::RUTADATOSNOMINA.value(), " ");
    EXPECT_EQ(GLO::RUTADATOSCONTABILIDAD.value(), " ");
    EXPECT_EQ(GLO::TIPOFACTURA.value(), std::string(20, ' '));
    EXPECT_EQ(GLO::COPIAS, 0);
    EXPECT_EQ(GLO::USACAJA, 0);
    EXPECT_EQ(GLO::ESTACION.value(), file_exists ? "C1" : " ");
  }
}

TEST_F(SuiteSettingsTest, CopiesOutOfRangeReadAsZeroAndALongStationIsCut) {
  struct Case {
    const char* copias;
    uint8_t expected;
  } cases[] = {{"3", 3}, {" 7 ", 7}, {"255", 255}, {"2.9", 2}, {"256", 0}, {"-1", 0}, {"dos", 0}, {"", 0}};
  for (const Case& c : cases) {
    ASSERT_EQ(ReadSuiteSettings(Write(std::string("[Sistemas]\r\nCopias=") + c.copias + "\r\n")), "");
    EXPECT_EQ(GLO::COPIAS, c.expected) << c.copias;
  }

  ASSERT_EQ(ReadSuiteSettings(Write("[Sistemas]\r\nEstacion=CAJA-0001\r\n")), "");
  EXPECT_EQ(GLO::ESTACION.value(), "CAJA-0");
}

// A data path that does not fit its global is refused by name, never cut into another
// folder's name; so is one with a byte that names no character.
TEST_F(SuiteSettingsTest, DataPathThatDoesNotFitIsRefused) {
  struct Case {
    std::string line;
    std::string refusal;  // empty when read
  } cases[] = {
      {"RutaDatos=/" + std::string(123, 'x'), ""},
      {"RutaDatos=/" + std::string(124, 'x'),
       "La ruta RutaDatos de Sorvane.ini es demasiado larga: /" + std::string(124, 'x') +
           " (125 caracteres; caben 124)."},
      // A relative path is counted with the data root in front of it.
      {"RutaDatosNomina=" + std::string(106, 'n'),
       "La ruta RutaDatosNomina de Sorvane.ini es demasiado larga: /suite/programa/.." +
           std::string(1, runtime::kPathSeparator) + std::string(106, 'n') +
           " (125 caracteres; caben 124)."},
      {"RutaDatosContabilidad=/" + std::string(124, 'c'), ""},  // a CSTRING(126)
      {"RutaDatos=/datos/a\x81",
       "La ruta RutaDatos de Sorvane.ini tiene un carácter que la página de códigos 1252 no define: /datos/a\u0081"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    InitGlobals();
    GLO::RUTAPROG = "/suite/programa/..";
    EXPECT_EQ(ReadSuiteSettings(Write("[Sistemas]\r\n" + c.line + "\r\n")), c.refusal);
    if (!c.refusal.empty()) {  // nothing stored, cut or not: empty, or the blank of a missing key
      EXPECT_LE(GLO::RUTADATOS.value().size(), 1u);
      EXPECT_LE(GLO::RUTADATOSNOMINA.value().size(), 1u);
    }
  }
}

}  // namespace
}  // namespace app
