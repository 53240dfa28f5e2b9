// The delivered batch scripts run by the system's cmd.exe as the program runs them, on a
// suite folder made afresh: the backup copies the record files of every area and names
// them in its log, and the restore brings them back. Only a real cmd.exe proves them, so
// under wine these tests are skipped.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/runtime/command.h"
#include "platform/runtime/test_support.h"

namespace {

namespace fs = std::filesystem;

const fs::path kSource = DINARVEX_SOURCE_DIR;

std::string Read(const fs::path& name) {
  std::ifstream in(name, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

class CmdScriptsNotUnderWine : public testing::Test {
 protected:
  void SetUp() override {
    if (runtime::test::UnderWine()) GTEST_SKIP() << "wine's cmd.exe stops the batch scripts early";
    for (const char* area : {"Dadm", "DCon01", "DNom"}) fs::create_directories(program_ / "CopiasREC" / area);
    for (const char* script : {"RESBACK.BAT", "RESREST.BAT"}) fs::copy(kSource / "scripts" / script, program_);
    fs::copy(kSource / "scripts" / "ini.cmd", program_ / "CopiasREC");
    for (const fs::path& area : {adm_, con_, nom_}) fs::create_directories(area);
    std::ofstream(adm_ / "CFPARAME.VQF", std::ios::binary) << "parametros";
    std::ofstream(con_ / "CGCUENTA.VQF", std::ios::binary) << "cuentas";
    std::ofstream(nom_ / "NMEMPLEA.VQF", std::ios::binary) << "empleados";
    std::ofstream(suite_ / "Sorvane.ini", std::ios::binary)
        << "[Sistemas]\r\nRutadatos=" << adm_.string() << "\r\nRutaDatosContabilidad=" << con_.string()
        << "\r\nRutaDatosNomina=" << nom_.string() << "\r\n";
    home_ = fs::current_path();
    fs::current_path(program_);
  }
  void TearDown() override {
    if (!home_.empty()) fs::current_path(home_);
    fs::remove_all(suite_);
  }

  const fs::path suite_ = runtime::test::MakeTemporaryFolder("dinarvex-cmd");
  const fs::path program_ = suite_ / "Dinarvex";
  const fs::path backup_ = program_ / "CopiasREC";
  // Not "Con": that is a device name on Windows.
  const fs::path adm_ = suite_ / "Datos" / "Adm", con_ = suite_ / "Datos" / "Conta", nom_ = suite_ / "Datos" / "Nom";
  fs::path home_;
};

TEST_F(CmdScriptsNotUnderWine, BackupCopiesEveryAreaAndRestoreBringsTheFilesBack) {
  ASSERT_EQ(runtime::RunCommand("cmd.exe /c .\\RESBACK.BAT,1").exit_code, 0);
  EXPECT_EQ(Read(backup_ / "Dadm" / "CFPARAME.VQF"), "parametros");
  EXPECT_EQ(Read(backup_ / "DCon01" / "CGCUENTA.VQF"), "cuentas");
  EXPECT_EQ(Read(backup_ / "DNom" / "NMEMPLEA.VQF"), "empleados");
  const std::string log = Read(backup_ / "ReconverBCK.log");
  for (const char* title : {"Copiando archivos de Administrativo", "Copiando archivos de Contabilidad",
                            "Copiando archivos de Nomina"}) {
    EXPECT_NE(log.find(title), std::string::npos) << log;
  }

  std::ofstream(adm_ / "CFPARAME.VQF", std::ios::binary) << "cambiado";
  ASSERT_EQ(runtime::RunCommand("cmd.exe /c .\\RESREST.BAT,1").exit_code, 0);
  EXPECT_EQ(Read(adm_ / "CFPARAME.VQF"), "parametros");
  EXPECT_NE(Read(backup_ / "ReconverREST.log").find("Restaurando archivos de Nomina"), std::string::npos);
}

}  // namespace
