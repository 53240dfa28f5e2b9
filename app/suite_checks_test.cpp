// A suite whose settings, data folder, users table or parameters file cannot be used: the
// real program, run with the headless screen, names the file and the cause. What leaves it
// without usable data stops start-up after its message; what another station holds for
// now is said where the file is read.
#include "app/suite_checks.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "app/main_window.h"
#include "app/program_run.h"
#include "platform/files/test_process.h"
#include "platform/files/test_sql.h"
#include "platform/runtime/test_support.h"
#include "platform/ui/headless/headless_backend.h"
#include "tools/demo_suite.h"

namespace app {
namespace {

namespace fs = std::filesystem;
using runtime::test::WriteWholeFile;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

constexpr const char* kModule = "Dinarvex$Dinvx001";

// The first bytes of a table's file overwritten: SQLite no longer takes it for a database.
void Damage(const fs::path& file) {
  std::fstream f(file, std::ios::binary | std::ios::in | std::ios::out);
  f.write("no es una base de datos", 23);
}

class SuiteChecksTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(tools::WriteDemoSuite(tools::StandardDemo(suite_.string())), "");
    fs::create_directories(suite_ / "run");
    runtime::test::SetEnvironment("XDG_RUNTIME_DIR", (suite_ / "run").string());
    previous_folder_ = fs::current_path();
    fs::current_path(suite_ / "Dinarvex");
  }
  void TearDown() override {
    fs::current_path(previous_folder_);
    runtime::test::UnsetEnvironment("XDG_RUNTIME_DIR");
  }

  fs::path settings() const { return suite_ / "Sorvane.ini"; }
  fs::path admin() const { return suite_ / "Dadm"; }

  const runtime::test::TestFolder folder_;
  const fs::path suite_ = fs::weakly_canonical(folder_.path());
  fs::path previous_folder_;
  ui::HeadlessBackend screen_;
};

struct StartupCase {
  const char* what;
  void (*spoil)(const fs::path& suite);
  // The message, from the suite's folder; `starts` when only its beginning is fixed.
  std::string (*message)(const fs::path& suite);
  bool whole = true;
};

class StartupStops : public SuiteChecksTest, public testing::WithParamInterface<StartupCase> {};

TEST_P(StartupStops, MessageNamesTheFileAndTheProgramCloses) {
  GetParam().spoil(suite_);
  EXPECT_EQ(RunProgram(&Main), 1);
  ASSERT_EQ(screen_.messages().size(), 1u);
  const ui::MessageBox& box = screen_.messages()[0].box;
  EXPECT_EQ(box.caption, "Problema");
  EXPECT_EQ(box.icon, ui::Icon::Error);
  if (GetParam().whole) {
    EXPECT_EQ(box.text, GetParam().message(suite_));
  } else {
    EXPECT_THAT(box.text, StartsWith(GetParam().message(suite_)));
    EXPECT_THAT(box.text, EndsWith("\nRestaure el archivo desde una copia de respaldo."));
  }
  EXPECT_EQ(screen_.Shown(kModule), nullptr);  // the main window never opened
}

std::string NoDataFolderKey(const fs::path& suite) {
  return "El archivo de configuración " + (suite / "Sorvane.ini").string() +
         " no tiene la clave RutaDatos en la sección [Sistemas], que nombra la carpeta de los datos de la "
         "empresa. Escríbala (por ejemplo RutaDatos=D:\\Suite\\Dadm) y vuelva a iniciar el programa.";
}

std::string MissingTable(const fs::path& suite, const char* file) {
  return "Ha ocurrido el error 2\nNo se encuentra el archivo " + (suite / "Dadm" / file).string() +
         ".\nRevise la clave RutaDatos de Sorvane.ini: debe nombrar la carpeta de los datos de la empresa.";
}

INSTANTIATE_TEST_SUITE_P(
    Problems, StartupStops,
    testing::Values(
        StartupCase{"NoSettingsFile", [](const fs::path& s) { fs::remove(s / "Sorvane.ini"); },
                    [](const fs::path& s) {
                      return "No se encuentra el archivo de configuración " + (s / "Sorvane.ini").string() +
                             ", que dice en qué carpeta están los datos de la empresa. Póngalo en la carpeta de "
                             "la suite, la que contiene la carpeta del programa, y vuelva a iniciar el programa.";
                    }},
        StartupCase{"SettingsWithoutTheSection",
                    [](const fs::path& s) { WriteWholeFile(s / "Sorvane.ini", "[Otra]\r\nRutaDatos=/datos\r\n"); },
                    NoDataFolderKey},
        StartupCase{"SettingsThatAreNoText",
                    [](const fs::path& s) { WriteWholeFile(s / "Sorvane.ini", std::string("\0\xff\xfe[Sis\x01", 8)); },
                    NoDataFolderKey},
        StartupCase{"DataFolderMissing",
                    [](const fs::path& s) {
                      WriteWholeFile(s / "Sorvane.ini", "[Sistemas]\r\nRutaDatos=" + (s / "NoExiste").string() + "\r\n");
                    },
                    [](const fs::path& s) {
                      return "La carpeta de datos " + (s / "NoExiste").string() + ", que nombra la clave RutaDatos de " +
                             (s / "Sorvane.ini").string() +
                             ", no existe. Corrija la clave, o conecte la unidad donde está la carpeta, y vuelva a "
                             "iniciar el programa.";
                    }},
        StartupCase{"UsersTableMissing", [](const fs::path& s) { fs::remove(s / "Dadm" / "CFUSUARI.VQF"); },
                    [](const fs::path& s) { return MissingTable(s, "CFUSUARI.VQF"); }},
        StartupCase{"ParametersFileMissing", [](const fs::path& s) { fs::remove(s / "Dadm" / "CFPARAME.VQF"); },
                    [](const fs::path& s) { return MissingTable(s, "CFPARAME.VQF"); }},
        StartupCase{"UsersTableDamaged", [](const fs::path& s) { Damage(s / "Dadm" / "CFUSUARI.VQF"); },
                    [](const fs::path& s) {
                      return "Ha ocurrido el error 90\nEl archivo " + (s / "Dadm" / "CFUSUARI.VQF").string() +
                             " está dañado";
                    },
                    false},
        StartupCase{"ParametersFileDamaged", [](const fs::path& s) { Damage(s / "Dadm" / "CFPARAME.VQF"); },
                    [](const fs::path& s) {
                      return "Ha ocurrido el error 90\nEl archivo " + (s / "Dadm" / "CFPARAME.VQF").string() +
                             " está dañado";
                    },
                    false}),
    [](const testing::TestParamInfo<StartupCase>& info) { return std::string(info.param.what); });

// Another station's write that keeps readers out of the file.
class Station : public files::test::HoldingStation {
 public:
  explicit Station(const fs::path& file) : HoldingStation(FILES_TEST_HELPER, file.string(), Hold::kExclusive) {}
};

// A users table another station holds is said so at login, with its file, never taken
// for an unregistered user; the program goes on, and the next try finds the user.
TEST_F(SuiteChecksTest, HeldUsersTableIsSaidSoAtLogin) {
  const fs::path users = admin() / "CFUSUARI.VQF";
  Station station(users);
  ASSERT_TRUE(station.Holds());
  screen_.Type("?GLO:CODUSER", "DEMO").Tab();
  screen_.Click("?SALIR").Answer("Si");
  EXPECT_EQ(RunProgram(&Main), 0);
  ASSERT_GE(screen_.messages().size(), 1u);
  const ui::MessageBox& box = screen_.messages()[0].box;
  EXPECT_EQ(box.caption, "Problema...");
  EXPECT_THAT(box.text, StartsWith("Ha ocurrido el error "));
  EXPECT_THAT(box.text, HasSubstr(users.string()));
  const std::vector<std::string> status = screen_.History(kModule, "?LOC:MENSAJE");
  EXPECT_THAT(status, testing::Contains("No se pudo leer el archivo de usuarios CFUSUARI.VQF"));
  EXPECT_THAT(status, Not(testing::Contains("Ud. no está registrado como usuario")));
}

// A parameters file another station holds: the company name cannot be read, the message
// names the file, and the window opens.
TEST_F(SuiteChecksTest, HeldParametersFileIsNamedAndTheWindowOpens) {
  const fs::path parameters = admin() / "CFPARAME.VQF";
  Station station(parameters);
  ASSERT_TRUE(station.Holds());
  EXPECT_EQ(RunProgram(&Main), 0);
  ASSERT_EQ(screen_.messages().size(), 1u);
  EXPECT_THAT(screen_.messages()[0].box.text, StartsWith("Ha ocurrido el error "));
  EXPECT_THAT(screen_.messages()[0].box.text, HasSubstr(parameters.string()));
  EXPECT_EQ(screen_.Shown(kModule)->Control("?LOC:EMPRESA").text, "");
}

// A users table whose records' pages do not parse, found at login (the open reads only the
// layout): the message names the file and its damage, within the login's own reading.
TEST_F(SuiteChecksTest, DamagedUsersRecordsAreNamedAtLogin) {
  const fs::path users = admin() / "CFUSUARI.VQF";
  const int64_t records_root = files::test::SqlFile(users.string(), files::test::SqlFile::Access::kReadOnly)
                                   .RootPageOffset("records");
  ASSERT_GT(records_root, 0);
  {
    std::fstream f(users, std::ios::binary | std::ios::in | std::ios::out);
    f.seekp(records_root);
    f.put('\x02');  // no b-tree page of a table has this type
  }
  screen_.Type("?GLO:CODUSER", "DEMO").Tab();
  screen_.Click("?SALIR").Answer("Si");
  EXPECT_EQ(RunProgram(&Main), 0);
  ASSERT_GE(screen_.messages().size(), 1u);
  EXPECT_THAT(screen_.messages()[0].box.text, StartsWith("Ha ocurrido el error 90\nEl archivo " + users.string() +
                                                         " está dañado"));
  EXPECT_THAT(screen_.messages()[0].box.text, EndsWith("\nRestaure el archivo desde una copia de respaldo."));
  EXPECT_EQ(screen_.Shown(kModule)->Control("?LOC:MENSAJE").text, "No se pudo leer el archivo de usuarios CFUSUARI.VQF");
}

}  // namespace
}  // namespace app
