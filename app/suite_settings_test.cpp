#include "app/suite_settings.h"

#include <gtest/gtest.h>

#include <fstream>

#include "app/globals.h"
#include "app/test_folder.h"

namespace app {
namespace {

class SuiteSettingsTest : public testing::Test {
 protected:
  void SetUp() override { InitGlobals(); }

  std::string Write(const std::string& bytes) {
    const std::string path = folder_ + "/Sorvane.ini";
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  TestFolder test_folder_;
  const std::string folder_ = test_folder_.path().string();
};

TEST_F(SuiteSettingsTest, EveryKeyGoesToItsGlobalAsWritten) {
  ReadSuiteSettings(Write(
      "[Otra]\r\nRutaDatos=NO\r\n"
      "[Sistemas]\r\n"
      "RutaDatos=D:\\SUITE\\DADM   \r\n"
      "Copias=2\r\n"
      "tipofactura=Forma libre\r\n"
      "Reportes=D:\\SUITE\\REP\r\n"
      "Fotos=D:\\SUITE\\FOTOS\r\n"
      "chequefactura=1\r\n"
      "RutaTransfer=\\\\servidor\\transfer\r\n"
      "RutaDatosNomina=D:\\SUITE\\DNOM\r\n"
      "RutaDatosContabilidad=D:\\SUITE\\DCON01\r\n"
      "Estacion=CAJA01\r\n"
      "usacaja=1\r\n"));
  EXPECT_EQ(GLO::RUTADATOS.value(), "D:\\SUITE\\DADM");  // GETINI drops the blanks around a value
  EXPECT_EQ(GLO::COPIAS, 2);
  EXPECT_EQ(GLO::TIPOFACTURA.value(), "Forma libre         ");
  EXPECT_EQ(GLO::REPORTES.value(), "D:\\SUITE\\REP");
  EXPECT_EQ(GLO::FOTOS.value(), "D:\\SUITE\\FOTOS");
  EXPECT_EQ(GLO::CHEQUEFACTURA, 1);
  EXPECT_EQ(GLO::RUTATRANSFER.value(), "\\\\servidor\\transfer");
  EXPECT_EQ(GLO::RUTADATOSNOMINA.value(), "D:\\SUITE\\DNOM");
  EXPECT_EQ(GLO::RUTADATOSCONTABILIDAD.value(), "D:\\SUITE\\DCON01");
  EXPECT_EQ(GLO::ESTACION.value(), "CAJA01");
  EXPECT_EQ(GLO::USACAJA, 1);
}

TEST_F(SuiteSettingsTest, MissingFileOrKeysReadAsOneBlank) {
  for (const bool file_exists : {false, true}) {
    SCOPED_TRACE(file_exists ? "keys missing" : "file missing");
    InitGlobals();
    ReadSuiteSettings(file_exists ? Write("[Sistemas]\r\nEstacion=C1\r\n") : folder_ + "/none.ini");
    EXPECT_EQ(GLO::RUTADATOS.value(), " ");
    EXPECT_EQ(GLO::RUTADATOSNOMINA.value(), " ");
    EXPECT_EQ(GLO::RUTADATOSCONTABILIDAD.value(), " ");
    EXPECT_EQ(GLO::TIPOFACTURA.value(), std::string(20, ' '));
    EXPECT_EQ(GLO::COPIAS, 0);
    EXPECT_EQ(GLO::USACAJA, 0);
    EXPECT_EQ(GLO::ESTACION.value(), file_exists ? "C1" : " ");
  }
}

TEST_F(SuiteSettingsTest, NumbersAndLongValues) {
  struct Case {
    const char* copias;
    uint8_t expected;
  } cases[] = {{"3", 3}, {" 7 ", 7}, {"255", 255}, {"2.9", 2}, {"256", 0}, {"-1", 0}, {"dos", 0}, {"", 0}};
  for (const Case& c : cases) {
    ReadSuiteSettings(Write(std::string("[Sistemas]\r\nCopias=") + c.copias + "\r\n"));
    EXPECT_EQ(GLO::COPIAS, c.expected) << c.copias;
  }

  const std::string long_path = "D:\\" + std::string(200, 'x');
  ReadSuiteSettings(Write("[Sistemas]\r\nRutaDatos=" + long_path + "\r\nEstacion=CAJA-0001\r\n"));
  EXPECT_EQ(GLO::RUTADATOS.value(), long_path.substr(0, 124));
  EXPECT_EQ(GLO::ESTACION.value(), "CAJA-0");
}

}  // namespace
}  // namespace app
