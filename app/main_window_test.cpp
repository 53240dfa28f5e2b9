// The main window in a suite of its own, run through the whole program with a person's
// actions played by the headless screen.
#include "app/main_window.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <functional>

#include "app/program_run.h"
#include "platform/files/keyed_file.h"
#include "catalogue/modules.h"
#include "platform/ui/headless/headless_backend.h"
#include "platform/ui/window.h"
#include "tools/demo_suite.h"
#include "platform/runtime/paths.h"
#include "platform/runtime/test_support.h"

namespace app {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr const char* kModule = "Dinarvex$Dinvx001";
constexpr const char* kLoggedIn = "Opcione una operación debajo";

class MainWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    suite_ = tools::StandardDemo(folder_.path().string());
    suite_.users.push_back({"ABCDEFGHIJ", "LARGA", "Código de diez letras", true});
    suite_.users.push_back({"MAYUS", "SECRETO", "Clave en mayúsculas", true});
    fs::create_directories(fs::path(suite_.folder) / "run");
    runtime::test::SetEnvironment("XDG_RUNTIME_DIR", (fs::path(suite_.folder) / "run").string());
    previous_folder_ = fs::current_path();
  }
  void TearDown() override {
    fs::current_path(previous_folder_);
    runtime::test::UnsetEnvironment("XDG_RUNTIME_DIR");
  }

  // Writes the suite, then runs the program from its folder with the script played.
  void Run(const std::function<void()>& while_running = {}) {
    ASSERT_EQ(tools::WriteDemoSuite(suite_), "");
    fs::current_path(fs::path(suite_.folder) / "Dinarvex");
    if (while_running) while_running();
    EXPECT_EQ(RunProgram(&Main), 0);
  }

  void Login(const std::string& user, const std::string& password) {
    screen_.Type("?GLO:CODUSER", user).Tab().Type("?LOC:CLAVE", password).Tab().Click("?BTN_INICIAR");
  }

  const ui::ShownWindow& shown() const { return *screen_.Shown(kModule); }
  std::string Status() const { return shown().Control("?LOC:MENSAJE").text; }
  std::vector<std::string> StatusHistory() const { return screen_.History(kModule, "?LOC:MENSAJE"); }

  const runtime::test::TestFolder folder_;
  tools::DemoSuite suite_;
  fs::path previous_folder_;
  ui::HeadlessBackend screen_;
};

TEST_F(MainWindowTest, WindowShowsVersionFactorCompanyAndSuiteFolder) {
  Run();
  const ui::ShownWindow& w = shown();
  EXPECT_EQ(w.Control("?DCT:VERSION").text, "9.0.3");
  EXPECT_EQ(w.Control("?GLO:FACTORC").text, "         100,000.00");
  EXPECT_EQ(w.Control("?LOC:EMPRESA").text, "Comercial Ejemplo, C.A.");
  EXPECT_EQ(w.Control("?GLO:RUTAPROGLONG").text, fs::canonical(suite_.folder).string());
  EXPECT_FALSE(w.Control("?BTN_INICIAR").enabled);
  EXPECT_FALSE(w.Control("?INFOSTRING").visible);
  EXPECT_FALSE(w.Control("?BTN_BACKUP").visible);
  EXPECT_FALSE(w.Control("?BTN_PROCESO").visible);
}

struct LoginCase {
  const char* what;
  const char* user;
  const char* password;
};

class LoginFormsTest : public MainWindowTest, public testing::WithParamInterface<LoginCase> {};

// Passwords compare without regard to case or trailing blanks; user codes without regard
// to case, cut to ten characters.
TEST_P(LoginFormsTest, UserLogsInAndLoginIsGoneForGood) {
  Login(GetParam().user, GetParam().password);
  screen_.Click("?GLO:CODUSER");  // no longer reachable once logged in
  Run();
  EXPECT_EQ(Status(), kLoggedIn);
  EXPECT_FALSE(shown().Control("?GLO:CODUSER").visible);
  EXPECT_FALSE(shown().Control("?LOC:CLAVE").visible);
  EXPECT_TRUE(shown().Control("?BTN_BACKUP").enabled);
  EXPECT_TRUE(shown().Control("?BTN_PROCESO").enabled);
  EXPECT_TRUE(shown().Control("?INFOSTRING").visible);
  EXPECT_EQ(shown().focus, 20);
  EXPECT_THAT(screen_.errors(), ElementsAre(HasSubstr("?GLO:CODUSER")));
  EXPECT_THAT(StatusHistory(), testing::IsSupersetOf({"Usuario registrado exitosamente",
                                                      "Pulse \"Iniciar sesión\" para validar",
                                                      "Inicio de sesión activado", kLoggedIn}));
  EXPECT_THAT(screen_.cursors(), ElementsAre(ui::Cursor::Wait, ui::Cursor::Normal));
}

INSTANTIATE_TEST_SUITE_P(
    Forms, LoginFormsTest,
    testing::Values(LoginCase{"UpperAgainstLower", "DEMO", "DEMO123"},
                    LoginCase{"LowerAgainstUpperUserInOtherCase", "mayus", "secreto"},
                    LoginCase{"TrailingBlanks", "demo", "demo123   "},
                    LoginCase{"UserCodeCutToTen", "abcdefghijKLMN", "larga"}),
    [](const testing::TestParamInfo<LoginCase>& info) { return std::string(info.param.what); });

TEST_F(MainWindowTest, UnknownUserNeverLogsInEvenAfterAKnownOne) {
  // DEMO is found first; then an unknown code is typed, and DEMO's password must not pass.
  screen_.Type("?GLO:CODUSER", "DEMO").Tab().Click("?GLO:CODUSER").Type("?GLO:CODUSER", "NADIE").Tab();
  screen_.Type("?LOC:CLAVE", "demo123").Tab().Click("?BTN_INICIAR");
  Run();
  EXPECT_THAT(screen_.beeps(), testing::Each(ui::Sound::Exclamation));
  EXPECT_THAT(StatusHistory(), testing::Not(testing::Contains("Inicio de sesión activado")));
  EXPECT_THAT(StatusHistory(), testing::Contains("Ud. no está registrado como usuario"));
  EXPECT_EQ(Status(), "La clave es incorrecta. Inténtelo de nuevo");
  EXPECT_FALSE(shown().Control("?BTN_BACKUP").visible);
}

TEST_F(MainWindowTest, UnknownUserClearsBothFieldsAndReturnsToTheUserCode) {
  screen_.Type("?GLO:CODUSER", "NADIE").Tab();
  Run();
  EXPECT_EQ(Status(), "Ud. no está registrado como usuario");
  EXPECT_EQ(shown().focus, 12);
  EXPECT_EQ(shown().Control("?GLO:CODUSER").text, "");
  EXPECT_FALSE(shown().Control("?BTN_INICIAR").enabled);
}

TEST_F(MainWindowTest, UserWithoutOneRightIsNotAuthorised) {
  Login("CONSULTA", "consulta");
  Run();
  EXPECT_EQ(Status(), "Inicio de sesión no autorizado");
  EXPECT_EQ(shown().focus, 12);
  EXPECT_EQ(shown().Control("?GLO:CODUSER").text, "");
  EXPECT_EQ(shown().Control("?LOC:CLAVE").text, "");
  EXPECT_FALSE(shown().Control("?BTN_INICIAR").enabled);
  EXPECT_FALSE(shown().Control("?BTN_BACKUP").visible);
}

TEST_F(MainWindowTest, AWrongPasswordIsSaidSoAndTheRightOneThenLogsIn) {
  screen_.Type("?GLO:CODUSER", "DEMO").Tab().Type("?LOC:CLAVE", "otra").Tab().Click("?BTN_INICIAR");
  screen_.Type("?LOC:CLAVE", "demo123").Tab().Click("?BTN_INICIAR");
  Run();
  EXPECT_THAT(StatusHistory(), testing::Contains("La clave es incorrecta. Inténtelo de nuevo"));
  EXPECT_EQ(Status(), kLoggedIn);
}

struct GoingBackCase {
  const char* what;
  void (*script)(ui::HeadlessBackend&);
  const char* status;
};

class GoingBackTest : public MainWindowTest, public testing::WithParamInterface<GoingBackCase> {};

// Back in the user code, by a click or by Shift+Tab, the window waits for the user code:
// the focus stays where the person put it, both fields are empty, "Iniciar sesión" is off
// and the status line does not ask for it.
TEST_P(GoingBackTest, FocusStaysInTheUserCodeAndTheWindowWaitsForIt) {
  GetParam().script(screen_);
  Run();
  EXPECT_EQ(shown().focus, 12);
  EXPECT_EQ(shown().Control("?GLO:CODUSER").text, "");
  EXPECT_EQ(shown().Control("?LOC:CLAVE").text, "");
  EXPECT_FALSE(shown().Control("?BTN_INICIAR").enabled);
  EXPECT_EQ(Status(), GetParam().status);
  EXPECT_TRUE(screen_.errors().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Ways, GoingBackTest,
    testing::Values(
        GoingBackCase{"ClickAfterAWrongPassword",
                      [](ui::HeadlessBackend& s) {
                        s.Type("?GLO:CODUSER", "DEMO").Tab().Type("?LOC:CLAVE", "otra").Tab();
                        s.Click("?BTN_INICIAR").Click("?GLO:CODUSER");
                      },
                      "La clave es incorrecta. Inténtelo de nuevo"},
        GoingBackCase{"ShiftTabFromThePasswordAfterAFoundUser",
                      [](ui::HeadlessBackend& s) {
                        s.Type("?GLO:CODUSER", "DEMO").Tab().Keys({ui::key::ShiftTab});
                      },
                      "Usuario registrado exitosamente"}),
    [](const testing::TestParamInfo<GoingBackCase>& info) { return std::string(info.param.what); });

TEST_F(MainWindowTest, EnterMovesOnInTheFieldsAndPressesTheButton) {
  screen_.Type("?GLO:CODUSER", "DEMO").Enter().Type("?LOC:CLAVE", "demo123").Enter().Enter();
  Run();
  EXPECT_EQ(Status(), kLoggedIn);
}

TEST_F(MainWindowTest, NoToTheExitQuestionKeepsTheWindowAsItWas) {
  screen_.Type("?GLO:CODUSER", "DEMO").Tab().Click("?SALIR").Answer("No");
  screen_.Type("?LOC:CLAVE", "demo123").Tab().Click("?BTN_INICIAR").Click("?SALIR").Answer("Si");
  Run();
  ASSERT_EQ(screen_.messages().size(), 2u);
  const ui::MessageBox& box = screen_.messages()[0].box;
  EXPECT_EQ(box.text, "¿Seguro desea salir de la aplicación?");
  EXPECT_EQ(box.caption, "Confirmar, por favor...");
  EXPECT_EQ(box.icon, ui::Icon::Question);
  EXPECT_THAT(box.buttons, ElementsAre("&Si", "&No"));
  EXPECT_EQ(box.default_button, 2);
  EXPECT_EQ(Status(), kLoggedIn);  // the user found before "No" still logs in
  EXPECT_FALSE(shown().open);
  EXPECT_TRUE(screen_.ScriptDone());
}

TEST_F(MainWindowTest, MissingParametersRecordIsReportedAndTheWindowOpens) {
  suite_.parameters_record = false;
  Run();
  ASSERT_EQ(screen_.messages().size(), 1u);
  EXPECT_EQ(screen_.messages()[0].box.caption, "Problema...");
  EXPECT_EQ(screen_.messages()[0].box.text,
            "Ha ocurrido el error 35\nRecord Not Found: el archivo " +
                (fs::path(suite_.folder) / "Dadm" / "CFPARAME.VQF").string() +
                " no tiene el registro que se busca.\nRestaure el archivo desde una copia de respaldo.");
  EXPECT_EQ(shown().Control("?LOC:EMPRESA").text, "");
}

TEST_F(MainWindowTest, LockedParametersTableIsReportedAndTheWindowOpens) {
  // Another station holds the lock: a file of its own on the same disk file.
  const files::RecordLayout& layout = catalogue::Def(catalogue::Table::ParameML).layout;
  std::vector<uint8_t> record(layout.length);
  files::KeyedFile other_station(layout, record.data());
  Run([&] {
    ASSERT_EQ(other_station.Open((fs::path(suite_.folder) / "Dadm" / "CFPARAME.VQF").string()), 0);
    ASSERT_EQ(other_station.Lock(1), 0);
  });
  ASSERT_EQ(screen_.messages().size(), 1u);
  EXPECT_EQ(screen_.messages()[0].box.text, "Archivo ParameML ha sido bloqueado por otra estación");
  EXPECT_EQ(screen_.messages()[0].box.caption, "Problema...");
  EXPECT_EQ(screen_.messages()[0].box.icon, ui::Icon::None);
  EXPECT_THAT(screen_.beeps(), ElementsAre(ui::Sound::Beep));
  EXPECT_EQ(shown().Control("?LOC:EMPRESA").text, "");
}

}  // namespace
}  // namespace app
