#include "platform/ui/headless/headless_backend.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/ui/window.h"

namespace ui {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

WindowDescription OneEntry(std::string module, std::string& text) {
  return {.module = std::move(module),
          .title = "Título",
          .controls = {{.type = ControlType::Entry, .name = "?CAMPO", .use = UseText(text)},
                       {.type = ControlType::Button, .name = "?BOTON", .text = "&Botón", .disabled = true}}};
}

// Runs a window until it closes; on each Accepted of its button it runs `inner`.
template <class Inner>
void RunUntilClosed(Window& window, Inner inner) {
  window.Open();
  while (window.NextEvent()) {
    if (window.Event() == event::CloseWindow) window.Close();
    if (window.Accepted() == 2) inner();
  }
}

TEST(HeadlessScript, RunningOutClosesTheInnerWindowThenTheOuterOne) {
  HeadlessBackend screen;
  std::string outer_text, inner_text;
  screen.Type("?CAMPO", "fuera").Tab();
  Window outer(OneEntry("Fuera", outer_text));
  outer.Enable(2);
  screen.Click("?BOTON").Type("?CAMPO", "dentro");
  bool inner_closed = false;
  RunUntilClosed(outer, [&] {
    Window inner(OneEntry("Dentro", inner_text));
    RunUntilClosed(inner, [] {});
    inner_closed = true;
  });
  EXPECT_TRUE(inner_closed);
  EXPECT_TRUE(screen.ScriptDone());
  EXPECT_TRUE(screen.errors().empty());
  EXPECT_FALSE(screen.Shown("Dentro")->open);
  EXPECT_EQ(screen.Shown("Dentro")->Control("?CAMPO").text, "dentro");
  EXPECT_EQ(outer_text, "fuera");
}

TEST(HeadlessScript, AWindowThatWillNotCloseFailsInsteadOfHanging) {
  HeadlessBackend screen;
  std::string text;
  Window window(OneEntry("Terco", text));
  window.Open();
  EXPECT_THROW(
      while (window.NextEvent()) {}, std::runtime_error);
}

TEST(HeadlessScript, StepsThatAPersonCouldNotTakeAreReportedAndSkipped) {
  HeadlessBackend screen;
  std::string text;
  screen.Click("?BOTON").Type("?NADA", "x").Answer("Si").Type("?CAMPO", "y");
  Window window(OneEntry("Pasos", text));
  RunUntilClosed(window, [] {});
  EXPECT_THAT(screen.errors(), ElementsAre(HasSubstr("?BOTON"), HasSubstr("?NADA"), HasSubstr("Si")));
  EXPECT_EQ(screen.Shown("Pasos")->Control("?CAMPO").text, "y");
}

TEST(HeadlessMessages, AnswersByLabelAndRecordsEveryBox) {
  HeadlessBackend screen;
  screen.Answer("No").Answer("Quizás");
  EXPECT_EQ(Message("¿Seguro?", "Confirmar, por favor...", Icon::Question, "&Si|&No", 2), 2);
  EXPECT_EQ(Message("¿Otra?", "Pregunta", Icon::Question, "&Si|&No", 1), 1);  // no such button
  EXPECT_EQ(Message("Fin del proceso", "Información"), 1);  // the script ran out
  ASSERT_EQ(screen.messages().size(), 3u);
  const MessageBox& first = screen.messages()[0].box;
  EXPECT_EQ(first.caption, "Confirmar, por favor...");
  EXPECT_EQ(first.icon, Icon::Question);
  EXPECT_THAT(first.buttons, ElementsAre("&Si", "&No"));
  EXPECT_EQ(first.default_button, 2);
  EXPECT_THAT(screen.messages()[2].box.buttons, ElementsAre("&Aceptar"));
  EXPECT_THAT(screen.errors(), ElementsAre(HasSubstr("Quizás")));
}

TEST(HeadlessRecord, KeepsEveryTextAControlShowedAndTheScreenServices) {
  HeadlessBackend screen;
  std::string text = "uno";
  Window window(OneEntry("Historia", text));
  window.Open();
  text = "dos";
  window.Display();
  window.Display();
  text = "tres";
  window.Display(1);
  Beep(Sound::Exclamation);
  SetCursor(Cursor::Wait);
  Yield();
  EXPECT_THAT(screen.History("Historia", "?CAMPO"), ElementsAre("uno", "dos", "tres"));
  EXPECT_THAT(screen.beeps(), ElementsAre(Sound::Exclamation));
  EXPECT_THAT(screen.cursors(), ElementsAre(Cursor::Wait));
  EXPECT_EQ(screen.yields(), 1);
  EXPECT_EQ(PlainLabel("&Si"), "Si");
  EXPECT_EQ(PlainLabel("A && B"), "A & B");
}

}  // namespace
}  // namespace ui
