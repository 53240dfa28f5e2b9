// The window model: one open window's controls, focus, keyboard buffer and event queue.
// A person's actions (from a backend) become events here, once for every backend: Tab
// moves the focus over the shown, enabled controls that take it; leaving an entry or a
// text box that the person typed into since it was last accepted or displayed accepts it
// (its use variable takes what was typed, then Accepted); a control that takes the focus gets Selected; a pressed button gets
// Accepted. Alerted keys come back as AlertKey events instead of their own action.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/ui/backend.h"
#include "platform/ui/window_description.h"

namespace ui {

namespace event {
inline constexpr int Accepted = 1;
inline constexpr int NewSelection = 2;  // another row of a list box was chosen
inline constexpr int AlertKey = 15;
inline constexpr int Selected = 257;
inline constexpr int CloseWindow = 513;
inline constexpr int CloseDown = 514;
inline constexpr int OpenWindow = 515;
}  // namespace event

// Key codes: a character's code is its code page 1252 byte; Shift adds 256.
namespace key {
inline constexpr int Tab = 9;
inline constexpr int Enter = 13;
inline constexpr int Shift = 256;
inline constexpr int ShiftTab = Tab + Shift;
inline constexpr int ShiftEnter = Enter + Shift;  // a line break in a text box
}  // namespace key

// Control properties by number. Alrt is indexed by element, 1 to 255; on control 0 it
// alerts a key for the whole window.
enum class Prop : int { Type = 0x7C01, Default = 0x7C5E, Drop = 0x7C60, Alrt = 0x7D06 };

class Window {
 public:
  // Takes the window from its description; it is not shown until Open. The backend is
  // the one installed now.
  explicit Window(WindowDescription described);
  ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  const WindowDescription& description() const { return description_; }

  // Shows the window with its use variables displayed. Its first events are OpenWindow
  // and Selected for the control that takes the focus.
  void Open();
  // Takes the window off the screen; NextEvent answers false from then on.
  void Close();
  bool IsOpen() const { return open_; }

  // Waits for the next event; false once the window is closed.
  bool NextEvent();
  int Event() const { return event_; }
  int Field() const { return field_; }                                  // FIELD
  int Accepted() const { return event_ == event::Accepted ? field_ : 0; }  // ACCEPTED
  int Focus() const { return focus_; }                                  // FOCUS
  int FirstField() const { return 1; }
  int LastField() const { return static_cast<int>(description_.controls.size()); }
  int Keycode() const { return keycode_; }  // KEYCODE: the last key taken

  bool Keyboard();        // KEYBOARD: are keystrokes waiting?
  int Ask();              // ASK: takes the next waiting keystroke (0 when none)
  void PressKey(int code);  // PRESSKEY: as if the person typed it
  void Post(int event, int control = 0);  // POST, after the events already waiting
  void Select(int control);               // SELECT: focus to it, then Selected

  void Display(int control = 0);  // DISPLAY: shows the use variables again (0: all)
  void Hide(int control);
  void Unhide(int control);
  void Enable(int control);
  void Disable(int control);
  int Property(int control, Prop prop, int index = 0) const;
  void SetProperty(int control, Prop prop, int value, int index = 0);
  // The screen contents of editable controls into their use variables (0: all).
  void Update(int control = 0);

  // For backends. Visible: neither it nor a group holding it is hidden. Usable: visible
  // and enabled likewise.
  bool Visible(int control) const;
  bool Usable(int control) const;
  const std::string& ScreenText(int control) const;
  void SetScreenText(int control, std::string text);  // what the person typed
  const std::vector<std::string>& Rows(int control) const;
  int Row(int control) const;  // the chosen row, 0 when none
  void TakeInput(const Input& input);
  void QueueKey(int code);
  bool KeysWaiting() const { return !keys_.empty(); }

 private:
  struct State {
    std::string screen;
    std::vector<std::string> rows;
    int row = 0;
    bool typed = false;  // the person typed into it since it was last accepted or displayed
    bool hidden = false;
    bool disabled = false;
    bool is_default = false;
    bool drop = false;
  };

  bool Valid(int control) const { return control >= 1 && control <= LastField(); }
  const ControlDescription& Described(int control) const { return description_.controls[control - 1]; }
  bool TakesFocus(int control) const;
  bool Editable(int control) const;
  int NextFocus(int from, int step) const;
  bool Alerted(int code) const;
  void Queue(int event, int control);
  void TakeKey(int code);
  void MoveFocus(int to);
  void SetFocus(int to);
  void AcceptOnLeaving();
  void Choose(int control, int row);
  void SetFlag(int control, bool State::*flag, bool value);
  void Refresh(int control);
  void KeepFocusUsable();
  std::string Fit(int control, std::string text) const;

  WindowDescription description_;
  Backend& backend_;
  std::vector<State> states_;
  std::map<int, std::map<int, int>> alerts_;  // control -> element -> key code
  struct Pending {
    int event;
    int control;
  };
  std::deque<Pending> events_;
  std::deque<int> keys_;
  bool open_ = false;
  int event_ = 0;
  int field_ = 0;
  int focus_ = 0;
  int keycode_ = 0;
};

}  // namespace ui
