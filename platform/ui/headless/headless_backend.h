// The backend of the tests: it plays a script of a person's actions and message-box
// answers, and records what the windows showed. Each action goes to the window that waits
// for input when its turn comes (the innermost one), naming its control by name. A script
// that runs out closes the waiting window, and so each window round it in turn.
//
//   ui::HeadlessBackend screen;
//   screen.Type("?GLO:CODUSER", "ADMIN").Tab().Click("?BTN_INICIAR").Answer("Si");
//   Main();
//   screen.Shown("Dinarvex$Dinvx001")->Control("?LOC:MENSAJE").text  // the status line
//   screen.messages()[0].caption
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/backend.h"
#include "platform/ui/window_description.h"

namespace ui {

struct ShownControl {
  int number = 0;
  std::string name;
  ControlType type = ControlType::String;
  std::string text;               // what it shows: its text, or what it holds typed
  std::vector<std::string> rows;  // what a list shows
  int row = 0;                    // the chosen row of a list, 0 when none
  bool visible = false;
  bool enabled = false;  // usable: visible and enabled, with its groups
};

struct ShownWindow {
  std::string module;
  std::string title;
  std::vector<ShownControl> controls;
  int focus = 0;
  bool open = false;
  // The control by name; a control of no name and type String when there is none.
  const ShownControl& Control(std::string_view name) const;
};

struct ShownMessage {
  MessageBox box;
  int answer = 0;
};

class HeadlessBackend : public Backend {
 public:
  HeadlessBackend();

  // The script, played in order.
  HeadlessBackend& Type(std::string control, std::string text);
  HeadlessBackend& Click(std::string control);
  HeadlessBackend& Choose(std::string control, int row);
  // Keystrokes typed at once: all but the first are typed ahead of its handling.
  HeadlessBackend& Keys(std::vector<int> codes);
  HeadlessBackend& Tab() { return Keys({9}); }
  HeadlessBackend& Enter() { return Keys({13}); }
  HeadlessBackend& CloseBox();
  // The answer to the next message box, by button label without "&" ("Si").
  HeadlessBackend& Answer(std::string button);

  bool ScriptDone() const { return next_ == steps_.size(); }
  // Script steps that could not be played (unknown control, a control the person cannot
  // reach, an answer out of turn), in order.
  const std::vector<std::string>& errors() const { return errors_; }
  const std::vector<ShownMessage>& messages() const { return messages_; }
  // The window as it was shown last, by module label; nullptr when it never opened.
  const ShownWindow* Shown(std::string_view module) const;
  // Every text the control showed, in order, repeats left out.
  std::vector<std::string> History(std::string_view module, std::string_view control) const;
  const std::vector<Sound>& beeps() const { return beeps_; }
  const std::vector<Cursor>& cursors() const { return cursors_; }
  int yields() const { return yields_; }

  void Open(Window& window) override;
  void Close(Window& window) override;
  void Show(Window& window, int control) override;
  void Focus(Window& window, int control) override;
  void Insert(Window& window, int control, std::string_view text) override;
  Input NextInput(Window& window) override;
  void Poll(Window& window) override;
  int Message(const MessageBox& box) override;
  void SetCursor(Cursor cursor) override;
  void Beep(Sound sound) override;
  void Yield() override;

 private:
  struct Step {
    Input::Kind kind;
    std::string control;
    std::string text;
    std::vector<int> keys;
    int row = 0;
    bool answer = false;
  };
  HeadlessBackend& Add(Step step);
  void Record(Window& window);

  BackendInstaller installer_;
  std::vector<Step> steps_;
  size_t next_ = 0;
  int closes_after_end_ = 0;
  std::vector<std::string> errors_;
  std::vector<ShownMessage> messages_;
  std::map<std::string, ShownWindow, std::less<>> shown_;
  std::map<std::string, std::vector<std::string>, std::less<>> history_;  // module\ncontrol
  std::vector<Sound> beeps_;
  std::vector<Cursor> cursors_;
  int yields_ = 0;
};

}  // namespace ui
