#include "platform/ui/window.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/ui/headless/headless_backend.h"

namespace ui {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;

using Events = std::vector<std::pair<int, int>>;  // event, control

// Plays the window until it closes and tells every event with its control. A handler
// may act on the window after each event.
template <class Handler>
Events Play(Window& window, Handler handler) {
  Events events;
  window.Open();
  while (window.NextEvent()) {
    events.emplace_back(window.Event(), window.Field());
    if (window.Event() == event::CloseWindow) window.Close();
    handler(window);
  }
  return events;
}
Events Play(Window& window) {
  return Play(window, [](Window&) {});
}

std::vector<int> Selections(const Events& events) {
  std::vector<int> selected;
  for (const auto& [event, control] : events) {
    if (event == event::Selected) selected.push_back(control);
  }
  return selected;
}

// 1 entry, 2 button, 3 hidden entry, 4 disabled button, 5 group with 6 entry and
// 7 button, 8 display string, 9 read-only text, 10 text box, 11 list.
struct Fixture {
  std::string name, code, note;
  std::vector<std::string> rows{"uno", "dos"};
  WindowDescription Described() {
    return {.module = "Prueba",
            .title = "Prueba",
            .controls = {
                {.type = ControlType::Entry, .name = "?NOMBRE", .picture = "s5", .use = UseCString(name, 21)},
                {.type = ControlType::Button, .name = "?OK", .text = "&Aceptar"},
                {.type = ControlType::Entry, .name = "?OCULTO", .hidden = true},
                {.type = ControlType::Button, .name = "?APAGADO", .disabled = true},
                {.type = ControlType::Group, .name = "?GRUPO", .text = "Grupo"},
                {.type = ControlType::Entry, .name = "?CODIGO", .use = UseText(code), .group = 5},
                {.type = ControlType::Button, .name = "?EN_GRUPO", .group = 5},
                {.type = ControlType::String, .name = "?ESTADO", .use = UseText(note)},
                {.type = ControlType::Text, .name = "?INFO", .read_only = true},
                {.type = ControlType::Text, .name = "?NOTA", .use = UseText(note)},
                {.type = ControlType::List, .name = "?LISTA", .rows = &rows},
            }};
  }
};

TEST(WindowFocus, TabVisitsShownEnabledControlsThatTakeTheFocusRoundTheWindow) {
  struct Case {
    const char* what;
    std::vector<int> keys;
    bool hide_group;
    std::vector<int> selected;
  };
  const Case cases[] = {
      {"forward, round", {9, 9, 9, 9, 9, 9, 9}, false, {1, 2, 6, 7, 10, 11, 1, 2}},
      {"backward", {265, 265}, false, {1, 11, 10}},
      {"group hidden", {9, 9, 9}, true, {1, 2, 10, 11}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HeadlessBackend screen;
    for (int k : c.keys) screen.Keys({k});
    Fixture f;
    Window window(f.Described());
    if (c.hide_group) window.Hide(5);
    EXPECT_EQ(Selections(Play(window)), c.selected);
  }
}

TEST(WindowFocus, HidingTheControlWithTheFocusPassesItOnQuietly) {
  HeadlessBackend screen;
  screen.Click("?CODIGO");
  Fixture f;
  Window window(f.Described());
  bool hidden = false;
  const Events events = Play(window, [&](Window& w) {
    if (w.Event() == event::Selected && w.Field() == 6 && !hidden) {
      hidden = true;
      w.Hide(5);
      EXPECT_EQ(w.Focus(), 10);
    }
  });
  EXPECT_EQ(Selections(events), (std::vector<int>{1, 6}));
}

TEST(WindowEvents, LeavingAnEntryAcceptsWhatWasTypedBeforeTheNextControlIsSelected) {
  HeadlessBackend screen;
  screen.Type("?NOMBRE", "Peñalver").Click("?OK").Type("?CODIGO", "x").Tab();
  Fixture f;
  Window window(f.Described());
  std::string name_when_accepted;
  const Events events = Play(window, [&](Window& w) {
    if (w.Accepted() == 1) name_when_accepted = f.name;
  });
  EXPECT_EQ(name_when_accepted, "Peñal");  // the picture "s5" holds five characters
  EXPECT_THAT(events, ElementsAre(Pair(event::OpenWindow, 0), Pair(event::Selected, 1),
                                  Pair(event::Accepted, 1), Pair(event::Selected, 2),
                                  Pair(event::Accepted, 2), Pair(event::Selected, 6),
                                  Pair(event::Accepted, 6), Pair(event::Selected, 7),
                                  Pair(event::CloseWindow, 0)));
  EXPECT_EQ(f.code, "x");
}

// Going back over a field is a move, not an entry; and a handler that selects another
// control while the person's move waits wins, the move's Selected is dropped.
TEST(WindowEvents, OnlyTypedFieldsAreAcceptedAndASelectionOvertakenIsDropped) {
  {
    HeadlessBackend screen;
    screen.Tab().Keys({key::ShiftTab});
    Fixture f;
    Window window(f.Described());
    EXPECT_THAT(Play(window), ElementsAre(Pair(event::OpenWindow, 0), Pair(event::Selected, 1),
                                          Pair(event::Selected, 2), Pair(event::Selected, 1),
                                          Pair(event::CloseWindow, 0)));
  }
  {
    HeadlessBackend screen;
    screen.Type("?NOMBRE", "x").Tab();
    Fixture f;
    Window window(f.Described());
    const Events events = Play(window, [](Window& w) {
      if (w.Accepted() == 1) w.Select(6);
    });
    EXPECT_THAT(events, ElementsAre(Pair(event::OpenWindow, 0), Pair(event::Selected, 1),
                                    Pair(event::Accepted, 1), Pair(event::Selected, 6),
                                    Pair(event::CloseWindow, 0)));
    EXPECT_EQ(window.Focus(), 6);
  }
}

TEST(WindowEvents, PostedEventsComeAfterTheWaitingOnesAndSelectSelects) {
  HeadlessBackend screen;
  screen.Click("?OK");
  Fixture f;
  Window window(f.Described());
  const Events events = Play(window, [](Window& w) {
    if (w.Accepted() == 2) {
      w.Post(event::Accepted, 7);
      w.Select(10);
      w.Select(4);  // disabled: nothing happens
    }
  });
  EXPECT_THAT(events, ElementsAre(Pair(event::OpenWindow, 0), Pair(event::Selected, 1),
                                  Pair(event::Selected, 2), Pair(event::Accepted, 2),
                                  Pair(event::Accepted, 7), Pair(event::Selected, 10),
                                  Pair(event::CloseWindow, 0)));
  EXPECT_EQ(window.Focus(), 10);
}

TEST(WindowEvents, AnAlertedKeyComesAsAlertKeyAndKeysTypedAheadWait) {
  HeadlessBackend screen;
  screen.Keys({13, 'a', 'b'}).Keys({'c'});
  Fixture f;
  Window window(f.Described());
  window.SetProperty(0, Prop::Alrt, key::Enter, 255);
  std::vector<int> waiting;
  Play(window, [&](Window& w) {
    if (w.Event() != event::AlertKey) return;
    EXPECT_EQ(w.Keycode(), key::Enter);
    EXPECT_EQ(w.Field(), 1);
    while (w.Keyboard()) waiting.push_back(w.Ask());
  });
  EXPECT_THAT(waiting, ElementsAre('a', 'b'));
  EXPECT_EQ(window.ScreenText(1), "c");  // the key typed later lands in the entry
}

TEST(WindowEvents, ListsChooseRowsAndDropDownListsAcceptTheChoice) {
  std::vector<std::string> rows{"uno", "dos"};
  std::string choice;
  HeadlessBackend screen;
  screen.Choose("?DROP", 2).Choose("?LISTA", 1);
  Window window({.module = "Listas",
                 .controls = {{.type = ControlType::List, .name = "?DROP", .use = UseText(choice), .rows = &rows, .drop = true},
                              {.type = ControlType::List, .name = "?LISTA", .rows = &rows}}});
  const Events events = Play(window);
  EXPECT_THAT(events, ElementsAre(Pair(event::OpenWindow, 0), Pair(event::Selected, 1),
                                  Pair(event::Accepted, 1), Pair(event::Selected, 2),
                                  Pair(event::NewSelection, 2), Pair(event::CloseWindow, 0)));
  EXPECT_EQ(choice, "dos");
  EXPECT_EQ(window.Row(2), 1);
  EXPECT_EQ(window.Property(1, Prop::Drop), 1);
  EXPECT_EQ(window.Property(2, Prop::Type), 14);
}

TEST(WindowDisplay, ShowsUseVariablesThroughTheirPicturesOnlyWhenDisplayed) {
  HeadlessBackend screen;
  Fixture f;
  f.name = "Gutiérrez";
  Window window(f.Described());
  window.Open();
  EXPECT_EQ(window.ScreenText(1), "Gutié");
  f.name = "Ana";
  EXPECT_EQ(window.ScreenText(1), "Gutié");
  window.Display(1);
  EXPECT_EQ(screen.Shown("Prueba")->Control("?NOMBRE").text, "Ana");
  f.rows.push_back("tres");
  window.Display();
  EXPECT_THAT(screen.Shown("Prueba")->Control("?LISTA").rows, ElementsAre("uno", "dos", "tres"));
}

}  // namespace
}  // namespace ui
