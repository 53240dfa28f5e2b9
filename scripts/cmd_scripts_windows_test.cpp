// The delivered batch scripts run by the system's cmd.exe as the program runs them, and one
// probe for each construct they are written with: a construct that some cmd.exe runs
// otherwise (wine's does with several common ones) shows here by its name.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/runtime/command.h"
#include "platform/runtime/cp1252.h"
#include "platform/runtime/test_support.h"
#include "platform/runtime/text.h"

namespace {

namespace fs = std::filesystem;

const fs::path kSource = DINARVEX_SOURCE_DIR;

using runtime::test::ReadWholeFile;
using runtime::test::WriteWholeFile;

// A path from UTF-8 text, whatever the code page of the narrow file names.
fs::path U8(const std::string& text) { return fs::path(std::u8string(text.begin(), text.end())); }

// Code page 1252 bytes of a path, as Sorvane.ini holds it.
std::string Cp1252(const fs::path& path) {
  const std::u8string text = path.u8string();
  return runtime::Utf8ToCp1252(std::string(text.begin(), text.end()));
}

// Runs in a fresh folder of its own.
class InFreshFolder : public testing::Test {
 protected:
  void SetUp() override {
    home_ = fs::current_path();
    fs::current_path(folder_);
  }
  void TearDown() override {
    fs::current_path(home_);
  }

  const runtime::test::TestFolder test_folder_;
  const fs::path folder_ = test_folder_.path();
  fs::path home_;
};

// One construct: the lines of a script that uses it, its standard output (lines ending
// in CR LF; "<carpeta>" stands for the probe's folder) and its exit code.
struct Probe {
  const char* name;
  const char* script;
  const char* output;
  int exit_code = 0;
};

// Each probe runs with extensions on and delayed expansion off, as the scripts do, in a
// folder that holds:
//   valores.txt       the lines  a!b&c  x%PATH%y^z  q"&echo INYECTADO&"r
//   ajustes.ini       the lines  k=D:\A=B  ;k=nota  [Sistemas]
// (An empty line is skipped by Windows' cmd and given as a line of empty tokens by wine's:
// the scripts come to the same end with either.)
//   comilla.txt       the line   "q
//   dos.cmd           prints "uno" and "dos"
//   Datos con blanco\ A.VQF, otro.txt and a folder sub.vqf
//   vacia\            nothing
//   archivo.txt
const Probe kProbes[] = {
    {"ForFileKeepsEveryCharacterOfALine",
     "for /f \"usebackq eol=; delims=\" %%L in (\"valores.txt\") do echo [%%L]",
     "[a!b&c]\r\n[x%PATH%y^z]\r\n[q\"&echo INYECTADO&\"r]\r\n"},
    {"ForFileSkipsCommentsAndSplitsAtTheFirstEquals",
     "for /f \"usebackq eol=; tokens=1* delims==\" %%A in (\"ajustes.ini\") do echo [%%A][%%B]",
     "[k][D:\\A=B]\r\n[[Sistemas]][]\r\n"},
    {"IfComparesAForVariableAsText",
     "for /f \"usebackq eol=; delims=\" %%L in (\"valores.txt\") do if \"%%L\"==\"a!b&c\" echo igual",
     "igual\r\n"},
    {"SetFromAForVariableAndBackThroughTheSetListing",
     "for /f \"usebackq eol=; delims=\" %%L in (\"valores.txt\") do set \"v=%%L\"\r\n"
     "for /f \"tokens=1* delims==\" %%A in ('set v') do if /i \"%%A\"==\"v\" echo [%%B]",
     "[q\"&echo INYECTADO&\"r]\r\n"},
    {"OneCharacterSubstringAndQuoteReplaced",
     "for /f \"usebackq eol=; delims=\" %%L in (\"comilla.txt\") do set \"x=%%L\"\r\n"
     "set \"c=%x:~0,1%\"\r\nset \"c=%c:\"=_%\"\r\necho [%c%]\r\nset \"x=[ab\"\r\nset \"c=%x:~0,1%\"\r\necho [%c%]",
     "[_]\r\n[[]\r\n"},
    {"ForCommandDropsLeadingBlanksAndKeepsTheLastLine",
     "for /f \"eol=| tokens=*\" %%V in ('echo.  \t x y  ') do echo [%%V]\r\n"
     "for /f \"eol=| tokens=*\" %%V in ('call dos.cmd') do set \"u=%%V\"\r\necho [%u%]",
     "[x y  ]\r\n[dos]\r\n"},
    {"IfDefinedAndSetByANamePassedToCall",
     "call :Pon Clave\r\nif defined Clave echo si\r\nset \"Clave=\"\r\nif not defined Clave echo no\r\ngoto :eof\r\n"
     ":Pon\r\nset \"%~1=valor\"\r\ngoto :eof",
     "si\r\nno\r\n"},
    {"CallALabelWithAnArgumentAndGotoEof",
     "call :Sub Administrativo\r\necho fin\r\ngoto :eof\r\n:Sub\r\necho [%~1]\r\ngoto :eof",
     "[Administrativo]\r\nfin\r\n"},
    {"GotoOutOfABlock", "if 1==1 (\r\n  goto fuera\r\n)\r\necho mal\r\n:fuera\r\necho fuera", "fuera\r\n"},
    {"FullFormCountsFromTheCurrentFolderAndDropsTrailingBlanks",
     "set \"r=Datos con blanco\\..\\vacia  \"\r\n"
     "for /f \"tokens=1* delims==\" %%A in ('set r') do if /i \"%%A\"==\"r\" echo [%%~fB]\r\n"
     "for %%C in (\"vacia\") do echo [%%~fC]",
     "[<carpeta>\\vacia]\r\n[<carpeta>\\vacia]\r\n"},
    {"PushdPopdAndTheCurrentFolderFromCd",
     "pushd vacia\r\nfor /f \"delims=\" %%R in ('cd') do echo [%%R]\r\npopd\r\n"
     "for /f \"delims=\" %%R in ('cd') do echo [%%R]",
     "[<carpeta>\\vacia]\r\n[<carpeta>]\r\n"},
    {"CdIntoAMissingFolderSetsErrorlevel", "cd /d falta 2>nul\r\nif errorlevel 1 echo falla", "falla\r\n", 1},
    {"IfExistFolderStarIsTrueForFoldersOnly",
     "if exist \"vacia\\*\" echo 1\r\nif exist \"Datos con blanco\\*\" echo 2\r\n"
     "if exist \"archivo.txt\\*\" echo 3\r\nif exist \"falta\\*\" echo 4",
     "1\r\n2\r\n"},
    {"IfExistPatternAndNestedIfOnOneLine",
     "if exist \"Datos con blanco\\*.vqf\" echo 1\r\nif exist \"vacia\\*.vqf\" echo 2\r\n"
     "if exist \"vacia\\*\" if not exist \"vacia\\*.vqf\" echo 3",
     "1\r\n3\r\n"},
    {"DirListsTheFilesOfAPatternOnly",
     "for %%D in (\"Datos con blanco\") do for /f \"eol=| delims=\" %%F in ('dir /b /a-d \"%%~D\\*.vqf\"') do echo [%%F]",
     "[A.VQF]\r\n"},
    {"CopyErrorlevelInAnIfElseBlockInsideFor",
     "for %%T in (vacia falta) do (\r\n"
     "  copy /Y \"Datos con blanco\\A.VQF\" \"%%T\\A.VQF\" >nul 2>&1\r\n"
     "  if errorlevel 1 (\r\n    echo %%T: no\r\n  ) else (\r\n    echo %%T: si\r\n  )\r\n)",
     "vacia: si\r\nfalta: no\r\n", 1},
    {"EchoAppendsWithTheRedirectionAfterIt",
     "echo uno>>\"reg.txt\"\r\nfor %%D in (D2) do echo %%D>>\"reg.txt\"\r\necho ===>>reg.txt\r\ntype reg.txt",
     "uno\r\nD2\r\n===\r\n"},
    {"TypeNulEmptiesAFile", "echo x>reg.txt\r\ntype nul>reg.txt\r\nfor %%F in (reg.txt) do echo [%%~zF]", "[0]\r\n"},
    {"SetArithmeticInABlockShownAfterIt",
     "set \"n=0\"\r\nfor %%I in (a b c) do (\r\n  set /a n+=1\r\n)\r\necho         %n% archivo(s) copiado(s).",
     "        3 archivo(s) copiado(s).\r\n"},
    {"EchoDotPrintsItsTextOrAnEmptyLine", "echo.C:\\Datos\r\necho.\r\necho fin", "C:\\Datos\r\n\r\nfin\r\n"},
    {"ChcpOutputIsReadAndTheCodePageSetQuietly",
     "for /f \"tokens=2 delims=:.\" %%P in ('chcp') do set \"Pagina=%%P\"\r\nif defined Pagina echo leida\r\n"
     "chcp 1252 >nul 2>&1\r\nchcp %Pagina% >nul 2>&1\r\necho fin\r\nexit /b 0",
     "leida\r\nfin\r\n"},
    {"PauseGoesOnWhenItsInputEnds", "pause >nul\r\necho despues", "despues\r\n"},
    {"DelQuietEmptiesAFolder",
     "copy /Y \"Datos con blanco\\A.VQF\" vacia\\ >nul\r\ndel /Q vacia\\*.*\r\n"
     "if not exist \"vacia\\*.vqf\" echo vacia",
     "vacia\r\n"},
    {"ExitWithACodeEndsTheScript", "set \"Fallo=3\"\r\nexit /b %Fallo%\r\necho mal", "", 3},
};

void PrintTo(const Probe& probe, std::ostream* out) { *out << probe.name; }

class CmdConstruct : public InFreshFolder, public testing::WithParamInterface<Probe> {
 protected:
  void SetUp() override {
    InFreshFolder::SetUp();
    WriteWholeFile("valores.txt", "a!b&c\r\nx%PATH%y^z\r\nq\"&echo INYECTADO&\"r\r\n");
    WriteWholeFile("ajustes.ini", "k=D:\\A=B\r\n;k=nota\r\n[Sistemas]\r\n");
    WriteWholeFile("comilla.txt", "\"q\r\n");
    WriteWholeFile("dos.cmd", "@echo uno\r\n@echo dos\r\n");
    fs::create_directories(fs::path("Datos con blanco") / "sub.vqf");
    fs::create_directories("vacia");
    WriteWholeFile(fs::path("Datos con blanco") / "A.VQF", "a");
    WriteWholeFile(fs::path("Datos con blanco") / "otro.txt", "o");
    WriteWholeFile("archivo.txt", "x");
  }
};

TEST_P(CmdConstruct, RunsAsWritten) {
  const Probe& probe = GetParam();
  WriteWholeFile("probe.bat", std::string("@echo off\r\nsetlocal EnableExtensions DisableDelayedExpansion\r\n") + probe.script);
  EXPECT_EQ(runtime::RunCommand("cmd.exe /c probe.bat <nul >probe.out 2>nul").exit_code, probe.exit_code);
  std::string expected = probe.output;
  const std::string here = folder_.string();
  for (size_t at; (at = expected.find("<carpeta>")) != std::string::npos;) expected.replace(at, 9, here);
  EXPECT_EQ(ReadWholeFile("probe.out"), expected);
}

INSTANTIATE_TEST_SUITE_P(Scripts, CmdConstruct, testing::ValuesIn(kProbes),
                         [](const testing::TestParamInfo<Probe>& info) { return std::string(info.param.name); });

// Text read from a file and names listed by dir keep their code page 1252 letters.
TEST_F(InFreshFolder, CmdReadsFilesAndListingsInCodePage1252) {
  WriteWholeFile("nombres.txt", "N\xF3mina \xD1" "and\xFA\r\n");
  fs::create_directories("origen");
  fs::create_directories("destino");
  WriteWholeFile(fs::path("origen") / U8("ÑANDÚ.VQF"), "n");
  WriteWholeFile("probe.bat",
        "@echo off\r\nchcp 1252 >nul 2>&1\r\n"
        "for /f \"usebackq eol=; delims=\" %%L in (\"nombres.txt\") do mkdir \"%%L\"\r\n"
        "for /f \"eol=| delims=\" %%F in ('dir /b /a-d \"origen\\*.vqf\"') do copy /Y \"origen\\%%F\" \"destino\\%%F\" >nul");
  EXPECT_EQ(runtime::RunCommand("cmd.exe /c probe.bat <nul >nul 2>&1").exit_code, 0);
  EXPECT_TRUE(fs::is_directory(U8("Nómina Ñandú")));
  EXPECT_EQ(ReadWholeFile(fs::path("destino") / U8("ÑANDÚ.VQF")), "n");
}

// The settings reader: the value as it stands after the first "=" of the exact key of
// the exact section, every match; the calling scripts drop the blanks around it.
TEST_F(InFreshFolder, SettingsReaderMatchesSectionAndKeyExactly) {
  fs::copy_file(kSource / "scripts" / "ini.cmd", "ini.cmd");
  struct Case {
    const char* name;
    std::string settings;
    const char* printed;
  };
  const Case cases[] = {
      {"plain", "[Sistemas]\r\nRutadatos=C:\\Datos\r\n", "C:\\Datos\r\n"},
      {"no final line end", "[Sistemas]\nCopias=S\nRutadatos=C:\\datos", "C:\\datos\r\n"},
      {"capital D", "[Sistemas]\r\nRutaDatos=C:\\datos\r\n", ""},
      {"blank before =", "[Sistemas]\r\nRutadatos =C:\\datos\r\n", ""},
      {"other section", "[Otros]\r\nRutadatos=C:\\otros\r\n[Sistemas]\r\nCopias=S\r\n", ""},
      {"before any section", "Rutadatos=C:\\suelto\r\n[Sistemas]\r\n", ""},
      {"section case", "[sistemas]\r\nRutadatos=C:\\datos\r\n", ""},
      {"section left", "[Sistemas]\r\nCopias=S\r\n[Otros]\r\nRutadatos=C:\\otros\r\n", ""},
      {"section left by a header with a quote", "[Sistemas]\r\n\"[Otros]\r\n[Ot\"ros]\r\nRutadatos=C:\\o\r\n", ""},
      {"comment", "[Sistemas]\r\n;Rutadatos=C:\\viejo\r\n", ""},
      {"every = after the first is the value's", "[Sistemas]\r\nRutadatos=C:\\a=b==c\r\n", "C:\\a=b==c\r\n"},
      {"characters that mean something to cmd", "[Sistemas]\r\nRutadatos=C:\\a!b%PATH%c&d^e\r\n",
       "C:\\a!b%PATH%c&d^e\r\n"},
      {"code page 1252 bytes", "[Sistemas]\r\nRutadatos=C:\\N\xF3mina\r\n", "C:\\N\xF3mina\r\n"},
      {"every match printed", "[Sistemas]\r\nRutadatos=C:\\a\r\n\r\nRutadatos=C:\\b\r\n", "C:\\a\r\nC:\\b\r\n"},
      {"empty value", "[Sistemas]\r\nRutadatos=\r\n", ""},
      {"no =", "[Sistemas]\r\nRutadatos\r\n", ""},
  };
  for (const Case& c : cases) {
    WriteWholeFile("Sorvane.ini", c.settings);
    EXPECT_EQ(runtime::RunCommand("cmd.exe /c chcp 1252 >nul 2>&1 & call ini.cmd Sorvane.ini Sistemas Rutadatos "
                                  "<nul >leido.txt 2>nul")
                  .exit_code,
              0)
        << c.name;
    EXPECT_EQ(ReadWholeFile("leido.txt"), c.printed) << c.name;
  }
  // A quote in a value runs nothing. Windows' cmd prints the value and wine's drops the
  // line; no folder's name holds a quote, so the scripts copy nothing by it either way.
  WriteWholeFile("Sorvane.ini", "[Sistemas]\r\nRutadatos=C:\\a\"&echo INYECTADO&\"b\r\n");
  EXPECT_EQ(runtime::RunCommand("cmd.exe /c call ini.cmd Sorvane.ini Sistemas Rutadatos <nul >leido.txt 2>nul").exit_code,
            0);
  const std::string printed = ReadWholeFile("leido.txt");
  EXPECT_TRUE(printed.empty() || printed == "C:\\a\"&echo INYECTADO&\"b\r\n") << printed;
}

// <suite>\Sorvane.ini, three data areas (one with a blank in its name, one with an accent)
// and the program folder <suite>\Dinarvex laid out as the package lays it out.
class CmdScripts : public InFreshFolder {
 protected:
  void SetUp() override {
    InFreshFolder::SetUp();
    for (const char* area : {"Dadm", "DCon01", "DNom"}) fs::create_directories(backup_ / area);
    for (const char* script : {"RESBACK.BAT", "RESREST.BAT", "ini.cmd"}) {
      fs::copy_file(kSource / "scripts" / script, (script[0] == 'i' ? backup_ : program_) / script);
    }
    for (const fs::path& area : areas_) fs::create_directories(area);
    WriteWholeFile(areas_[0] / "CFPARAME.VQF", "parametros");
    WriteWholeFile(areas_[0] / "cfusuari.vqf", "usuarios");
    WriteWholeFile(areas_[0] / "notas.txt", "no es un archivo de datos");
    WriteWholeFile(areas_[1] / "CGCUENTA.VQF", "cuentas");
    WriteWholeFile(areas_[2] / U8("NMEMPLEÑ.VQF"), "empleados");
    // The accounting path is relative, with blanks around it.
    WriteWholeFile(folder_ / "Sorvane.ini", "[Sistemas]\r\nRutadatos=" + Cp1252(areas_[0]) +
                                       "\r\nRutaDatosContabilidad= \t Datos\\Con tabilidad  \r\nRutaDatosNomina=" +
                                       Cp1252(areas_[2]) + "\r\n");
    fs::current_path(program_);
  }

  int Run(const char* script) {
    return runtime::RunCommand(std::string("cmd.exe /c .\\") + script + ",1 <nul >nul 2>&1").exit_code;
  }
  std::vector<std::string> Log(const char* name) {
    std::vector<std::string> lines;
    std::istringstream text(runtime::Cp1252ToUtf8(ReadWholeFile(backup_ / name)));
    for (std::string line; std::getline(text, line);) {
      EXPECT_TRUE(!line.empty() && line.back() == '\r') << line;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
    }
    return lines;
  }
  static std::string U8Text(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
  }

  const fs::path program_ = folder_ / "Dinarvex";
  const fs::path backup_ = program_ / "CopiasREC";
  const std::vector<fs::path> areas_ = {folder_ / "Datos" / "Adm", folder_ / "Datos" / "Con tabilidad",
                                        folder_ / "Datos" / U8("Nómina")};
};

TEST_F(CmdScripts, BackupCopiesEveryAreaAndRestoreBringsEveryFileBack) {
  ASSERT_EQ(Run("RESBACK.BAT"), 0);
  EXPECT_EQ(ReadWholeFile(backup_ / "Dadm" / "CFPARAME.VQF"), "parametros");
  EXPECT_EQ(ReadWholeFile(backup_ / "Dadm" / "cfusuari.vqf"), "usuarios");
  EXPECT_FALSE(fs::exists(backup_ / "Dadm" / "notas.txt"));
  EXPECT_EQ(ReadWholeFile(backup_ / "DCon01" / "CGCUENTA.VQF"), "cuentas");
  EXPECT_EQ(ReadWholeFile(backup_ / "DNom" / U8("NMEMPLEÑ.VQF")), "empleados");
  const std::vector<std::string> log = Log("ReconverBCK.log");
  ASSERT_EQ(log.size(), 13u);
  const std::string rule(35, '=');
  EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 5),
            (std::vector<std::string>{"Copiando archivos de Administrativo", rule, U8Text(areas_[0] / "CFPARAME.VQF"),
                                      U8Text(areas_[0] / "cfusuari.vqf"), "        2 archivo(s) copiado(s)."}));
  EXPECT_EQ(std::vector<std::string>(log.begin() + 5, log.end()),
            (std::vector<std::string>{"Copiando archivos de Contabilidad", rule, U8Text(areas_[1] / "CGCUENTA.VQF"),
                                      "        1 archivo(s) copiado(s).", "Copiando archivos de Nomina", rule,
                                      U8Text(areas_[2] / U8("NMEMPLEÑ.VQF")), "        1 archivo(s) copiado(s)."}));

  WriteWholeFile(areas_[0] / "CFPARAME.VQF", "cambiado");
  WriteWholeFile(areas_[1] / "CGCUENTA.VQF", "cambiado");
  WriteWholeFile(areas_[2] / U8("NMEMPLEÑ.VQF"), "cambiado");
  ASSERT_EQ(Run("RESREST.BAT"), 0);
  EXPECT_EQ(ReadWholeFile(areas_[0] / "CFPARAME.VQF"), "parametros");
  EXPECT_EQ(ReadWholeFile(areas_[1] / "CGCUENTA.VQF"), "cuentas");
  EXPECT_EQ(ReadWholeFile(areas_[2] / U8("NMEMPLEÑ.VQF")), "empleados");
  const std::vector<std::string> restored = Log("ReconverREST.log");
  ASSERT_EQ(restored.size(), 13u);
  EXPECT_EQ(restored[9], "Restaurando archivos de Nomina");
  EXPECT_EQ(restored[11], U8Text(backup_ / "DNom" / U8("NMEMPLEÑ.VQF")));
}

// An area that cannot be copied is logged, the others are copied, and the exit code says so.
TEST_F(CmdScripts, AreaThatCannotBeCopiedGivesExitCodeOne) {
  fs::remove_all(areas_[1]);
  // A copy held open against writers by another program cannot be written.
  WriteWholeFile(backup_ / "DNom" / U8("NMEMPLEÑ.VQF"), "viejo");
  const HANDLE held = CreateFileW((backup_ / "DNom" / U8("NMEMPLEÑ.VQF")).wstring().c_str(), GENERIC_READ,
                                  FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Run("RESBACK.BAT"), 1);
  CloseHandle(held);
  EXPECT_EQ(ReadWholeFile(backup_ / "Dadm" / "CFPARAME.VQF"), "parametros");
  EXPECT_EQ(ReadWholeFile(backup_ / "DNom" / U8("NMEMPLEÑ.VQF")), "viejo");
  const std::vector<std::string> log = Log("ReconverBCK.log");
  ASSERT_EQ(log.size(), 13u);
  EXPECT_EQ(log[7], "No existe la carpeta de origen: " + U8Text(areas_[1]));
  EXPECT_EQ(log[8], "        0 archivo(s) copiado(s).");
  EXPECT_EQ(log[11], "No se pudo copiar " + U8Text(areas_[2] / U8("NMEMPLEÑ.VQF")));
  EXPECT_EQ(log[12], "        0 archivo(s) copiado(s).");
}

TEST_F(CmdScripts, BackupWithoutTheBackupFolderGivesExitCodeTwoAndNoLog) {
  fs::remove_all(backup_);
  EXPECT_EQ(Run("RESBACK.BAT"), 2);
  EXPECT_EQ(Run("RESREST.BAT"), 2);
  EXPECT_FALSE(fs::exists(program_ / "ReconverBCK.log"));
}

}  // namespace
