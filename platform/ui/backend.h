// What the window layer asks of the screen. The window model (window.h) holds every
// control's state and turns a person's actions into events; a backend only draws that
// state and reports the actions. The fltk backend does it with real windows, the headless
// one plays a script for the tests. The application cannot tell them apart.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ui {

class Window;

enum class Icon { None, Information, Question, Exclamation, Error };
enum class Cursor { Normal, Wait };
enum class Sound { Beep, Exclamation };

// Button labels of a message box are separated by "|"; "&" marks the access key.
inline constexpr std::string_view kOkButton = "&Aceptar";

struct MessageBox {
  std::string text;
  std::string caption;
  Icon icon = Icon::None;
  std::vector<std::string> buttons;  // labels as given, "&" included
  int default_button = 1;            // 1 for the first
};

// One action of a person at a window.
struct Input {
  enum class Kind {
    Keys,      // keystrokes, in the order typed (several when typed ahead)
    Click,     // a click on a control: a button is pressed, another control takes the focus
    Type,      // the control takes the focus and its contents become `text`
    Choose,    // the control takes the focus and row `row` (1 for the first) is chosen
    CloseBox,  // the window's close box
  };
  Kind kind = Kind::CloseBox;
  int control = 0;
  std::vector<int> keys;
  std::string text;
  int row = 0;
};

class Backend {
 public:
  virtual ~Backend() = default;

  virtual void Open(Window& window) = 0;
  virtual void Close(Window& window) = 0;
  // Redraws one control (0: all of them) from the window's state.
  virtual void Show(Window& window, int control) = 0;
  virtual void Focus(Window& window, int control) = 0;
  // Inserts text where the control's cursor stands, as typing would.
  virtual void Insert(Window& window, int control, std::string_view text) = 0;
  // Waits for the person's next action at this window; other windows take no input.
  virtual Input NextInput(Window& window) = 0;
  // Hands the window any keystrokes the person has typed meanwhile (Window::QueueKey).
  virtual void Poll(Window& window) = 0;

  // Returns the number of the button chosen, 1 for the first.
  virtual int Message(const MessageBox& box) = 0;
  virtual void SetCursor(Cursor cursor) = 0;
  virtual void Beep(Sound sound) = 0;
  // Lets the screen repaint and take input while a long job runs.
  virtual void Yield() = 0;
};

// The backend every window and message box of this process uses. A backend installs
// itself for its lifetime; the one installed last wins until it goes.
Backend& CurrentBackend();
class BackendInstaller {
 public:
  explicit BackendInstaller(Backend& backend);
  ~BackendInstaller();
  BackendInstaller(const BackendInstaller&) = delete;
  BackendInstaller& operator=(const BackendInstaller&) = delete;

 private:
  Backend* previous_;
};

// Message box with buttons "&Si|&No" style; returns the button chosen (1 for the first).
int Message(std::string_view text, std::string_view caption, Icon icon = Icon::None,
            std::string_view buttons = kOkButton, int default_button = 1);
void SetCursor(Cursor cursor);
void Beep(Sound sound);
void Yield();

// A button label as shown without its access-key marks: "&Si" -> "Si".
std::string PlainLabel(std::string_view label);

}  // namespace ui
