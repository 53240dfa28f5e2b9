// The sh ports of the backup and restore scripts, run through the command runner as the
// program runs them, on a suite folder made afresh for each test. The bytes of the
// Windows scripts: windows_scripts_test.cpp.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/runtime/command.h"
#include "platform/runtime/test_support.h"

namespace {

namespace fs = std::filesystem;

const fs::path kSource = DINARVEX_SOURCE_DIR;
const char kBackup[] = "cmd.exe /c .\\RESBACK.BAT,1";
const char kRestore[] = "cmd.exe /c .\\RESREST.BAT,1";
const std::string kRule(35, '=');

using runtime::test::ReadWholeFile;
using runtime::test::WriteWholeFile;

// Output of a shell command line run in the current folder, and its exit code.
std::string Output(const std::string& line, int* exit_code) {
  FILE* pipe = popen(line.c_str(), "r");
  std::string text;
  char buffer[256];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
  *exit_code = WEXITSTATUS(pclose(pipe));
  return text;
}

// <suite>/Sorvane.ini, <suite>/Datos/{Adm,Con,Nom} and the program folder <suite>/Dinarvex
// laid out by the install script; each test runs in the program folder.
class Suite : public testing::Test {
 protected:
  void SetUp() override {
    home_ = fs::current_path();
    program_ = suite_ / "Dinarvex";
    backup_ = program_ / "CopiasREC";
    adm_ = suite_ / "Datos" / "Adm";
    con_ = suite_ / "Datos" / "Con";
    nom_ = suite_ / "Datos" / "Nom";
    for (const fs::path& folder : {adm_, con_, nom_}) fs::create_directories(folder);
    std::string install = "sh " + (kSource / "tools" / "install_layout.sh").string() + " " +
                          program_.string();
    ASSERT_EQ(runtime::RunCommand(install).exit_code, 0);
    WriteSettings("[Sistemas]\r\nRutadatos=" + adm_.string() +
                  "\r\nRutaDatosContabilidad=" + con_.string() +
                  "\r\nRutaDatosNomina=" + nom_.string() + "\r\n");
    fs::current_path(program_);
  }
  void TearDown() override {
    fs::current_path(home_);
  }

  void WriteSettings(const std::string& text) { WriteWholeFile(suite_ / "Sorvane.ini", text); }

  // A few record files in every area, endings in every case, and one other file.
  void FillAreas() {
    WriteWholeFile(adm_ / "CFPARAME.VQF", "parametros");
    WriteWholeFile(adm_ / "cfusers.vqf", "usuarios");
    WriteWholeFile(adm_ / "notas.txt", "no es un archivo de datos");
    WriteWholeFile(con_ / "CGCUENTA.Vqf", "cuentas");
    WriteWholeFile(nom_ / "NMEMPLEA.VQF", "empleados");
  }

  // A log's lines; every line of it must end with CR LF.
  std::vector<std::string> LogLines(const char* name) {
    std::string bytes = ReadWholeFile(backup_ / name);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
      lines.push_back(bytes.substr(start, end - start));
    }
    EXPECT_EQ(start, bytes.size()) << name << " ends without CR LF";
    for (const std::string& line : lines) {
      EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
    }
    return lines;
  }

  // The log section of one area: its title line, the rule, then the given lines.
  static std::vector<std::string> Section(const std::string& title,
                                          std::vector<std::string> lines) {
    lines.insert(lines.begin(), {title, kRule});
    return lines;
  }
  static std::vector<std::string> Joined(std::vector<std::vector<std::string>> sections) {
    std::vector<std::string> all;
    for (const auto& section : sections) all.insert(all.end(), section.begin(), section.end());
    return all;
  }

  const runtime::test::TestFolder folder_;
  const fs::path suite_ = folder_.path();
  fs::path home_, program_, backup_, adm_, con_, nom_;
};

TEST_F(Suite, InstallLaysOutTheProgramFolder) {
  for (const char* name : {"RESBACK.BAT", "RESREST.BAT", "ini.bat", "RESBACK.sh", "RESREST.sh",
                           "CopiasREC/ini.cmd", "CopiasREC/LIMPIA.BAT", "CopiasREC/ini.sh",
                           "CopiasREC/copia_areas.sh", "CopiasREC/LIMPIA.sh"}) {
    EXPECT_TRUE(fs::is_regular_file(program_ / name)) << name;
  }
  for (const char* name : {"Dadm", "DCon01", "DNom"}) {
    EXPECT_TRUE(fs::is_directory(backup_ / name)) << name;
  }
  // Laid out again with the program: the copies already there stay.
  WriteWholeFile(backup_ / "Dadm" / "CFPARAME.VQF", "copia");
  WriteWholeFile(suite_ / "dinarvexsor", "programa");
  std::string install = "sh " + (kSource / "tools" / "install_layout.sh").string() + " " +
                        program_.string() + " " + (suite_ / "dinarvexsor").string();
  ASSERT_EQ(runtime::RunCommand(install).exit_code, 0);
  EXPECT_EQ(ReadWholeFile(program_ / "dinarvexsor"), "programa");
  EXPECT_EQ(ReadWholeFile(backup_ / "Dadm" / "CFPARAME.VQF"), "copia");
}

TEST_F(Suite, BackupCopiesTheRecordFilesOfEveryAreaAndNamesThemInTheLog) {
  FillAreas();
  ASSERT_EQ(runtime::RunCommand(kBackup).exit_code, 0);

  EXPECT_EQ(ReadWholeFile(backup_ / "Dadm" / "CFPARAME.VQF"), "parametros");
  EXPECT_EQ(ReadWholeFile(backup_ / "Dadm" / "cfusers.vqf"), "usuarios");
  EXPECT_FALSE(fs::exists(backup_ / "Dadm" / "notas.txt"));
  EXPECT_EQ(ReadWholeFile(backup_ / "DCon01" / "CGCUENTA.Vqf"), "cuentas");
  EXPECT_EQ(ReadWholeFile(backup_ / "DNom" / "NMEMPLEA.VQF"), "empleados");
  EXPECT_EQ(LogLines("ReconverBCK.log"),
            Joined({Section("Copiando archivos de Administrativo",
                            {(adm_ / "CFPARAME.VQF").string(), (adm_ / "cfusers.vqf").string(),
                             "        2 archivo(s) copiado(s)."}),
                    Section("Copiando archivos de Contabilidad",
                            {(con_ / "CGCUENTA.Vqf").string(), "        1 archivo(s) copiado(s)."}),
                    Section("Copiando archivos de Nomina", {(nom_ / "NMEMPLEA.VQF").string(),
                                                            "        1 archivo(s) copiado(s)."})}));
}

TEST_F(Suite, EmptyAdministrativeFolderStillCopiesTheOtherAreas) {
  FillAreas();
  fs::remove(adm_ / "CFPARAME.VQF");
  fs::remove(adm_ / "cfusers.vqf");
  ASSERT_EQ(runtime::RunCommand(kBackup).exit_code, 0);

  EXPECT_EQ(ReadWholeFile(backup_ / "DCon01" / "CGCUENTA.Vqf"), "cuentas");
  EXPECT_EQ(ReadWholeFile(backup_ / "DNom" / "NMEMPLEA.VQF"), "empleados");
  std::vector<std::string> log = LogLines("ReconverBCK.log");
  ASSERT_EQ(log.size(), 12u);
  EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 4),
            Section("Copiando archivos de Administrativo",
                    {"No hay archivos .vqf en: " + adm_.string(), "        0 archivo(s) copiado(s)."}));
  EXPECT_EQ(log[4], "Copiando archivos de Contabilidad");
  EXPECT_EQ(log[8], "Copiando archivos de Nomina");
}

TEST_F(Suite, EveryAreaProblemIsLoggedAndTheNextAreaStillRuns) {
  FillAreas();
  fs::remove_all(adm_);                                     // data folder missing
  fs::remove_all(backup_ / "DCon01");                       // backup folder missing
  fs::create_directories(backup_ / "DNom" / "NMEMPLEA.VQF");  // the copy cannot be written
  WriteWholeFile(nom_ / "NMNOMINA.VQF", "nomina");
  ASSERT_EQ(runtime::RunCommand(kBackup).exit_code, 1);

  std::vector<std::string> log = LogLines("ReconverBCK.log");
  ASSERT_EQ(log.size(), 13u);
  EXPECT_EQ(log[2], "No existe la carpeta de origen: " + adm_.string());
  EXPECT_EQ(log[3], "        0 archivo(s) copiado(s).");
  EXPECT_EQ(log[6], "No existe la carpeta de destino: " + (backup_ / "DCon01").string());
  EXPECT_EQ(log[7], "        0 archivo(s) copiado(s).");
  EXPECT_EQ(log[10].rfind("No se pudo copiar " + (nom_ / "NMEMPLEA.VQF").string() + ": ", 0), 0u)
      << log[10];
  EXPECT_EQ(log[11], (nom_ / "NMNOMINA.VQF").string());
  EXPECT_EQ(log[12], "        1 archivo(s) copiado(s).");
  EXPECT_EQ(ReadWholeFile(backup_ / "DNom" / "NMNOMINA.VQF"), "nomina");
}

TEST_F(Suite, SettingsReaderMatchesSectionAndKeyExactly) {
  struct Case {
    const char* name;
    std::string settings;
    const char* printed;
  };
  const Case cases[] = {
      {"plain", "[Sistemas]\r\nRutadatos=C:\\Datos\r\n", "C:\\Datos\n"},
      {"no final line end", "[Sistemas]\nCopias=S\nRutadatos=/datos", "/datos\n"},
      {"capital D", "[Sistemas]\r\nRutaDatos=/datos\r\n", ""},
      {"blank before =", "[Sistemas]\r\nRutadatos =/datos\r\n", ""},
      {"other section", "[Otros]\r\nRutadatos=/otros\r\n[Sistemas]\r\nCopias=S\r\n", ""},
      {"before any section", "Rutadatos=/suelto\r\n[Sistemas]\r\n", ""},
      {"section case", "[sistemas]\r\nRutadatos=/datos\r\n", ""},
      {"section with a trailing blank", "[Sistemas] \r\nRutadatos=/datos\r\n", ""},
      {"section left", "[Sistemas]\r\nCopias=S\r\n[Otros]\r\nRutadatos=/otros\r\n", ""},
      {"comment", "[Sistemas]\r\n;Rutadatos=/viejo\r\n", ""},
      {"every = after the first is the value's", "[Sistemas]\r\nRutadatos=/a=b==c\r\n", "/a=b==c\n"},
      {"= right after the first", "[Sistemas]\r\nRutadatos==/a\r\n", "=/a\n"},
      {"blanks and tabs around the value", "[Sistemas]\r\nRutadatos= \t/a b \t\r\n", "/a b\n"},
      {"code page 1252 bytes", "[Sistemas]\r\nRutadatos=/n\xF3mina\x80\r\n", "/nómina€\n"},
      {"byte the code page leaves undefined", "[Sistemas]\r\nRutadatos=/a\x81\r\n", ""},
      {"every match printed", "[Sistemas]\r\nRutadatos=/a\r\n\r\nRutadatos=/b\r\n", "/a\n/b\n"},
      {"no =", "[Sistemas]\r\nRutadatos\r\n", ""},
  };
  for (const Case& c : cases) {
    WriteSettings(c.settings);
    int exit_code = -1;
    EXPECT_EQ(Output("cd CopiasREC && sh ./ini.sh ../../Sorvane.ini Sistemas Rutadatos 2>/dev/null",
                     &exit_code),
              c.printed)
        << c.name;
    EXPECT_EQ(exit_code, 0) << c.name;
  }
  fs::remove(suite_ / "Sorvane.ini");
  int exit_code = 0;
  EXPECT_EQ(Output("cd CopiasREC && sh ./ini.sh ../../Sorvane.ini Sistemas Rutadatos 2>/dev/null",
                   &exit_code),
            "");
  EXPECT_NE(exit_code, 0);
}

TEST_F(Suite, BackupTakesTheLastValueOfTheExactKeyOnly) {
  FillAreas();
  fs::path wrong = suite_ / "Datos" / "Otra";
  fs::create_directories(wrong);
  WriteWholeFile(wrong / "AJENO.VQF", "ajeno");
  WriteSettings("[Sistemas]\r\nRutadatos=" + wrong.string() + "\r\nRutadatos=" + adm_.string() +
                "\r\nRutaDatosContabilidad=" + con_.string() + "\r\nRutaDatosNomina=" +
                nom_.string() + "\r\n");
  ASSERT_EQ(runtime::RunCommand(kBackup).exit_code, 0);
  EXPECT_TRUE(fs::exists(backup_ / "Dadm" / "CFPARAME.VQF"));
  EXPECT_FALSE(fs::exists(backup_ / "Dadm" / "AJENO.VQF"));

  // Spelled with a capital D the key is not found, and that area is left alone: an empty
  // path must not turn into the root folder.
  fs::remove(backup_ / "Dadm" / "CFPARAME.VQF");
  WriteSettings("[Sistemas]\r\nRutaDatos=" + adm_.string() + "\r\nRutaDatosContabilidad=" +
                con_.string() + "\r\nRutaDatosNomina=" + nom_.string() + "\r\n");
  ASSERT_EQ(runtime::RunCommand(kBackup).exit_code, 0);
  EXPECT_FALSE(fs::exists(backup_ / "Dadm" / "CFPARAME.VQF"));
  std::vector<std::string> log = LogLines("ReconverBCK.log");
  ASSERT_GE(log.size(), 4u);
  EXPECT_EQ(log[2], "Ruta de datos no definida en Sorvane.ini");
  EXPECT_EQ(log[3], "        0 archivo(s) copiado(s).");
  EXPECT_EQ(ReadWholeFile(backup_ / "DNom" / "NMEMPLEA.VQF"), "empleados");
}

TEST_F(Suite, SecondBackupOverwritesTheCopiesAndStartsTheLogAfresh) {
  FillAreas();
  ASSERT_EQ(runtime::RunCommand(kBackup).exit_code, 0);
  std::vector<std::string> first = LogLines("ReconverBCK.log");
  WriteWholeFile(adm_ / "CFPARAME.VQF", "parametros nuevos");
  ASSERT_EQ(runtime::RunCommand(kBackup).exit_code, 0);
  EXPECT_EQ(ReadWholeFile(backup_ / "Dadm" / "CFPARAME.VQF"), "parametros nuevos");
  EXPECT_EQ(LogLines("ReconverBCK.log"), first);
}

TEST_F(Suite, RestoreBringsTheBackedUpFilesBack) {
  FillAreas();
  ASSERT_EQ(runtime::RunCommand(kBackup).exit_code, 0);
  WriteWholeFile(adm_ / "CFPARAME.VQF", "convertido");
  WriteWholeFile(con_ / "CGCUENTA.Vqf", "convertido");
  fs::remove(nom_ / "NMEMPLEA.VQF");
  ASSERT_EQ(runtime::RunCommand(kRestore).exit_code, 0);

  EXPECT_EQ(ReadWholeFile(adm_ / "CFPARAME.VQF"), "parametros");
  EXPECT_EQ(ReadWholeFile(con_ / "CGCUENTA.Vqf"), "cuentas");
  EXPECT_EQ(ReadWholeFile(nom_ / "NMEMPLEA.VQF"), "empleados");
  fs::path dadm = backup_ / "Dadm";
  EXPECT_EQ(LogLines("ReconverREST.log"),
            Joined({Section("Restaurando archivos de Administrativo",
                            {(dadm / "CFPARAME.VQF").string(), (dadm / "cfusers.vqf").string(),
                             "        2 archivo(s) copiado(s)."}),
                    Section("Restaurando archivos de Contabilidad",
                            {(backup_ / "DCon01" / "CGCUENTA.Vqf").string(),
                             "        1 archivo(s) copiado(s)."}),
                    Section("Restaurando archivos de Nomina",
                            {(backup_ / "DNom" / "NMEMPLEA.VQF").string(),
                             "        1 archivo(s) copiado(s)."})}));
  EXPECT_FALSE(LogLines("ReconverBCK.log").empty());
}

TEST_F(Suite, CleanUpEmptiesTheCopiesAndBothLogs) {
  FillAreas();
  ASSERT_EQ(runtime::RunCommand(kBackup).exit_code, 0);
  ASSERT_EQ(runtime::RunCommand(kRestore).exit_code, 0);
  ASSERT_EQ(runtime::RunCommand("cd CopiasREC && sh ./LIMPIA.sh < /dev/null > /dev/null").exit_code,
            0);
  for (const char* name : {"Dadm", "DCon01", "DNom"}) {
    EXPECT_TRUE(fs::is_directory(backup_ / name)) << name;
    EXPECT_TRUE(fs::is_empty(backup_ / name)) << name;
  }
  EXPECT_TRUE(fs::is_empty(backup_ / "ReconverBCK.log"));
  EXPECT_TRUE(fs::is_empty(backup_ / "ReconverREST.log"));
  EXPECT_EQ(ReadWholeFile(adm_ / "CFPARAME.VQF"), "parametros");
}

TEST_F(Suite, BackupWithoutTheBackupFolderFailsAndWritesNoLog) {
  fs::remove_all(backup_);
  EXPECT_EQ(runtime::RunCommand(kBackup).exit_code, 2);
  EXPECT_FALSE(fs::exists(program_ / "ReconverBCK.log"));
}

}  // namespace
