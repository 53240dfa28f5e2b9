// A window described as data: its controls in number order with what each one shows and
// edits. A window procedure builds one of these, binds its variables to the controls, and
// hands it to ui::Window; the backends draw it, the tests read it back by control name.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace ui {

// Control types by number. The window procedures compare a control's Type property with
// these numbers, so they are part of the interface.
enum class ControlType : int {
  String = 1,  // display string: its use variable through its picture, or its fixed text
  Image = 2,
  Line = 4,
  Group = 6,
  Entry = 8,
  Button = 9,
  Prompt = 10,
  List = 14,  // a list box, or a drop-down list when `drop` is set
  Text = 17,  // multi-line text box
};

// A control's use variable: how the window reads it to show it and writes back what the
// person typed. `set` is empty for a variable that is only shown.
struct Use {
  std::function<std::string()> get{};
  std::function<void(const std::string&)> set{};
};

// Use variables over the program's text variables; writes fit the declared type.
Use UseText(std::string& variable);
Use UseCString(std::string& variable, size_t size);  // CSTRING(size)
Use UseString(std::string& variable, size_t size);   // STRING(size)

// Position and size in pixels, relative to the window.
struct Box {
  int x = 0, y = 0, w = 0, h = 0;
};

// Every member has an initializer, so that a description names only what it sets.
struct ControlDescription {
  ControlType type = ControlType::String;
  std::string name{};     // "?GLO:CODUSER"; empty for anonymous texts and lines
  std::string text{};     // fixed text, button or group caption, list column header
  std::string picture{};  // "s10" limits the text to 10 characters; others are the use's own
  Use use{};
  const std::vector<std::string>* rows = nullptr;  // what a list shows
  int group = 0;                                   // number of the group that holds it
  Box at{};
  bool hidden = false;
  bool disabled = false;
  bool is_default = false;  // the window's default button
  bool drop = false;        // a list that drops down
  bool password = false;    // an entry that shows no characters
  bool read_only = false;   // shown, never typed into, not in the Tab order
  bool monospace = false;
  std::string tip{};      // tooltip
  std::string message{};  // status-bar message while the control has the focus
  std::string image{};    // picture file of an image control
};

struct WindowDescription {
  std::string module{};  // "Dinarvex$Dinvx001"
  std::string label{};   // "P1$WINDOW"
  std::string title{};
  int width = 0, height = 0;
  std::string background{};             // picture file drawn behind the controls
  std::vector<ControlDescription> controls{};  // controls[0] is control 1
};

}  // namespace ui
