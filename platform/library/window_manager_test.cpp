#include "platform/library/window_manager.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/headless/headless_backend.h"

namespace library {
namespace {

using ::testing::ElementsAre;

// The procedure the error manager names in a message raised now.
std::string NamedProcedure(ErrorManager& errors) {
  errors.ThrowMessage(0, "");
  return errors.History().back().procedure;
}

// The variables of the test window, and its controls by number:
// 1 entry, 2 text box, 3 list, 4 drop-down list, 5 entry, 6 default button, 7 button.
struct Locals {
  std::string first, note, choice, second;
  std::vector<std::string> rows{"uno", "dos"};
  bool has_default = true;
};

ui::WindowDescription Described(Locals& loc) {
  using ui::ControlType;
  return {.module = "Prueba",
          .label = "P1$WINDOW",
          .controls = {
              {.type = ControlType::Entry, .name = "?PRIMERO", .use = ui::UseText(loc.first)},
              {.type = ControlType::Text, .name = "?NOTA", .use = ui::UseText(loc.note)},
              {.type = ControlType::List, .name = "?LISTA", .rows = &loc.rows},
              {.type = ControlType::List, .name = "?ELIGE", .use = ui::UseText(loc.choice), .rows = &loc.rows, .drop = true},
              {.type = ControlType::Entry, .name = "?SEGUNDO", .use = ui::UseText(loc.second)},
              {.type = ControlType::Button, .name = "?ACEPTAR", .text = "&Aceptar", .is_default = loc.has_default},
              {.type = ControlType::Button, .name = "?OTRO", .text = "&Otro"},
          }};
}

class TestWindow : public ProcedureWindow {
 public:
  using ProcedureWindow::ProcedureWindow;
  int TakeAccepted() override {
    const int level = ProcedureWindow::TakeAccepted();
    accepted.push_back(window().Accepted());
    if (window().Accepted() == 7 && on_other) return on_other(*this);
    return level;
  }
  std::vector<int> accepted;
  std::function<int(TestWindow&)> on_other;
};

struct Session {
  ui::HeadlessBackend screen;
  ErrorManager errors;
  Locals loc;
};

// A window procedure as the program writes one: locals, window, toolbar, window object,
// the response left in the thread's globals.
std::vector<int> RunProcedure(Session& s, const std::function<void(TestWindow&)>& setup = {},
                              const std::string& procedure = "Prueba") {
  ui::Window window(Described(s.loc));
  Toolbar toolbar;
  TestWindow manager(procedure, window, toolbar, s.errors);
  if (setup) setup(manager);
  ThreadWindowGlobals().ResponseGlobal = manager.Run();
  return manager.accepted;
}

TEST(EnterKey, ActsByTheKindOfControlWithTheFocus) {
  struct Case {
    const char* what;
    std::function<void(ui::HeadlessBackend&)> script;
    bool has_default;
    std::vector<int> accepted;
    std::string focus;  // where the focus ended
  };
  const Case cases[] = {
      {"entry: moves on like Tab",
       [](auto& s) { s.Type("?PRIMERO", "abc").Enter(); }, true, {1}, "?NOTA"},
      {"button: presses it",
       [](auto& s) { s.Click("?OTRO").Enter(); }, true, {7, 7}, "?OTRO"},
      {"text box: breaks the line",
       [](auto& s) { s.Type("?NOTA", "línea").Enter(); }, true, {}, "?NOTA"},
      {"list: presses the default button",
       [](auto& s) { s.Choose("?LISTA", 2).Enter(); }, true, {6}, "?LISTA"},
      {"list, no default button: nothing",
       [](auto& s) { s.Choose("?LISTA", 2).Enter(); }, false, {}, "?LISTA"},
      {"drop-down list: moves on like Tab",
       [](auto& s) { s.Choose("?ELIGE", 1).Enter(); }, true, {4}, "?SEGUNDO"},
      {"keys typed ahead are thrown away",
       [](auto& s) { s.Type("?PRIMERO", "abc").Keys({13, 'x', 'y'}).Keys({'z'}); }, true, {1}, "?NOTA"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Session s;
    s.loc.has_default = c.has_default;
    c.script(s.screen);
    EXPECT_EQ(RunProcedure(s), c.accepted);
    const ui::ShownWindow& shown = *s.screen.Shown("Prueba");
    EXPECT_EQ(shown.controls[shown.focus - 1].name, c.focus);
    EXPECT_TRUE(s.screen.errors().empty());
  }
}

TEST(EnterActsAsTab, TextBoxKeepsTheLineBreakAndTypedAheadKeysLandNowhere) {
  Session s;
  s.screen.Type("?NOTA", "línea").Enter().Keys({'b'}).Click("?OTRO");
  RunProcedure(s);
  EXPECT_EQ(s.loc.note, "línea\nb");

  Session t;
  t.screen.Type("?PRIMERO", "abc").Keys({13, 'x', 'y'}).Keys({'z'}).Click("?OTRO");
  RunProcedure(t);
  EXPECT_EQ(t.loc.first, "abc");
  EXPECT_EQ(t.loc.note, "z");  // only the key typed after Enter was handled
}

TEST(ProcedureFrame, InitAndKillKeepTheProcedureNameAndTheGlobals) {
  Session s;
  ThreadWindowGlobals() = {.RequestGlobal = 4, .ResponseGlobal = 9, .VCRRequestGlobal = 0};
  uint8_t request = 0;
  std::string named;
  s.screen.Click("?OTRO");
  RunProcedure(s, [&](TestWindow& w) {
    w.on_other = [&](TestWindow& self) {
      request = self.REQUEST;
      named = NamedProcedure(s.errors);
      EXPECT_EQ(ThreadWindowGlobals().RequestGlobal, 0);
      EXPECT_EQ(ThreadWindowGlobals().ResponseGlobal, 0);
      EXPECT_EQ(self.ERRORS, &s.errors);
      return kLevelBenign;
    };
  });
  EXPECT_EQ(request, 4);
  EXPECT_EQ(named, "Prueba");
  EXPECT_EQ(NamedProcedure(s.errors), "");
  EXPECT_EQ(ThreadWindowGlobals().ResponseGlobal, kRequestCancelled);  // nothing set it
}

TEST(ProcedureFrame, ButtonActionsFatalLevelsAndNestedWindowsSetTheResponse) {
  {
    Session s;
    s.screen.Click("?ACEPTAR").Click("?OTRO");
    const std::vector<int> accepted =
        RunProcedure(s, [](TestWindow& w) { w.AddButtonAction(6, kRequestCompleted); });
    EXPECT_EQ(ThreadWindowGlobals().ResponseGlobal, kRequestCompleted);
    EXPECT_EQ(accepted, (std::vector<int>{6}));  // the window closed before ?OTRO
  }
  {
    Session s;
    s.screen.Click("?OTRO").Click("?OTRO");
    const std::vector<int> accepted = RunProcedure(s, [](TestWindow& w) {
      w.on_other = [](TestWindow&) { return kLevelFatal; };
    });
    EXPECT_EQ(ThreadWindowGlobals().ResponseGlobal, kRequestCancelled);
    EXPECT_EQ(accepted, (std::vector<int>{7}));
  }
  {
    Session s;
    // The outer ?OTRO runs a window nested; its ?ACEPTAR closes it completed.
    s.screen.Click("?OTRO").Click("?OTRO").Click("?ACEPTAR").Type("?PRIMERO", "fuera").Tab();
    uint8_t after_nested = 0;
    std::string named_inside, named_after;
    RunProcedure(s, [&](TestWindow& outer) {
      outer.on_other = [&](TestWindow& self) {
        RunProcedure(s, [&](TestWindow& inner) {
          inner.AddButtonAction(6, kRequestCompleted);
          inner.on_other = [&](TestWindow&) {
            named_inside = NamedProcedure(s.errors);
            return kLevelBenign;
          };
        }, "Interna");
        after_nested = ThreadWindowGlobals().ResponseGlobal;
        named_after = NamedProcedure(s.errors);
        self.Reset(false);
        return kLevelBenign;
      };
    });
    EXPECT_EQ(after_nested, kRequestCompleted);
    EXPECT_EQ(s.loc.first, "fuera");
    EXPECT_EQ(named_inside, "Interna");
    EXPECT_EQ(named_after, "Prueba");
  }
}

TEST(ProcedureFrame, ASecondKillAnswersNotifyAndKeepsTheNameStack) {
  Session s;
  ui::Window window(Described(s.loc));
  Toolbar toolbar;
  TestWindow manager("Prueba", window, toolbar, s.errors);
  s.errors.SetProcedureName("Exterior", false);
  manager.Run();
  EXPECT_EQ(manager.Kill(), kLevelNotify);
  EXPECT_EQ(NamedProcedure(s.errors), "Exterior");
  EXPECT_FALSE(window.IsOpen());
}

}  // namespace
}  // namespace library

namespace library {
namespace {

TEST(WindowMessages, TheErrorManagersMessagesAppearAsMessageBoxes) {
  ui::HeadlessBackend screen;
  ErrorManager errors;
  WindowMessages display;
  errors.SetDisplay(&display);
  errors.SetProcedureName("Main", false);
  errors.ThrowFile(kMsgWriteFailed, "PARAMEML", "Record Not Found");
  errors.ThrowMessage(kMsgUsedBeforeOpen, "");
  ASSERT_EQ(screen.messages().size(), 2u);
  const ui::MessageBox& first = screen.messages()[0].box;
  EXPECT_EQ(first.caption, "Error de grabación de archivo");
  EXPECT_EQ(first.text, "No se pudo grabar en el archivo PARAMEML. Error: Record Not Found.");
  EXPECT_EQ(first.icon, ui::Icon::Exclamation);
  EXPECT_THAT(first.buttons, ElementsAre("&Aceptar"));
  EXPECT_EQ(screen.messages()[1].box.icon, ui::Icon::Error);  // a program-level fault
}

}  // namespace
}  // namespace library
