#include "platform/ui/window.h"

#include <cstdlib>

#include "platform/runtime/cp1252.h"
#include "platform/runtime/text.h"

namespace ui {
namespace {

// The width an "sN" picture gives a text, 0 for any other picture.
size_t PictureWidth(const std::string& picture) {
  if (picture.size() < 2 || (picture[0] != 's' && picture[0] != 'S')) return 0;
  return std::strtoul(picture.c_str() + 1, nullptr, 10);
}

}  // namespace

Window::Window(WindowDescription described)
    : description_(std::move(described)), backend_(CurrentBackend()), states_(description_.controls.size()) {
  for (size_t i = 0; i < states_.size(); ++i) {
    const ControlDescription& c = description_.controls[i];
    states_[i].screen = c.text;
    states_[i].hidden = c.hidden;
    states_[i].disabled = c.disabled;
    states_[i].is_default = c.is_default;
    states_[i].drop = c.drop;
  }
}

Window::~Window() { Close(); }

void Window::Open() {
  if (open_) return;
  Display();
  open_ = true;
  backend_.Open(*this);
  Queue(event::OpenWindow, 0);
  SetFocus(NextFocus(0, 1));
  if (focus_ != 0) Queue(event::Selected, focus_);
}

void Window::Close() {
  if (!open_) return;
  open_ = false;
  backend_.Close(*this);
}

bool Window::NextEvent() {
  while (open_) {
    if (!events_.empty()) {
      const Pending next = events_.front();
      events_.pop_front();
      // A control that was given the focus and lost it again before its Selected came
      // round (a handler selected another meanwhile) is not selected any more.
      if (next.event == event::Selected && next.control != focus_) continue;
      event_ = next.event;
      field_ = next.control;
      return true;
    }
    if (!keys_.empty()) {
      const int code = keys_.front();
      keys_.pop_front();
      TakeKey(code);
      continue;
    }
    TakeInput(backend_.NextInput(*this));
  }
  return false;
}

bool Window::Keyboard() {
  if (keys_.empty() && open_) backend_.Poll(*this);
  return !keys_.empty();
}

int Window::Ask() {
  if (!Keyboard()) return 0;
  keycode_ = keys_.front();
  keys_.pop_front();
  return keycode_;
}

void Window::PressKey(int code) { keys_.push_back(code); }
void Window::QueueKey(int code) { keys_.push_back(code); }

void Window::Post(int event, int control) { Queue(event, control); }

void Window::Select(int control) {
  if (!Valid(control) || !TakesFocus(control) || !Usable(control)) return;
  SetFocus(control);
  Queue(event::Selected, control);
}

void Window::Display(int control) {
  for (int c = 1; c <= LastField(); ++c) {
    if (control != 0 && c != control) continue;
    const ControlDescription& s = Described(c);
    State& st = states_[c - 1];
    if (s.rows != nullptr) {
      st.rows = *s.rows;
      if (st.row > static_cast<int>(st.rows.size())) st.row = 0;
    }
    if (s.use.get) {
      st.screen = Fit(c, s.use.get());
      st.typed = false;
    }
  }
  Refresh(control);
}

void Window::Hide(int control) { SetFlag(control, &State::hidden, true); }
void Window::Unhide(int control) { SetFlag(control, &State::hidden, false); }
void Window::Enable(int control) { SetFlag(control, &State::disabled, false); }
void Window::Disable(int control) { SetFlag(control, &State::disabled, true); }

void Window::SetFlag(int control, bool State::*flag, bool value) {
  if (!Valid(control)) return;
  states_[control - 1].*flag = value;
  KeepFocusUsable();
  Refresh(control);
}

int Window::Property(int control, Prop prop, int index) const {
  if (prop == Prop::Alrt) {
    const auto c = alerts_.find(control);
    if (c == alerts_.end()) return 0;
    const auto e = c->second.find(index);
    return e == c->second.end() ? 0 : e->second;
  }
  if (!Valid(control)) return 0;
  const State& st = states_[control - 1];
  switch (prop) {
    case Prop::Type: return static_cast<int>(Described(control).type);
    case Prop::Default: return st.is_default ? 1 : 0;
    case Prop::Drop: return st.drop ? 1 : 0;
    case Prop::Alrt: break;
  }
  return 0;
}

void Window::SetProperty(int control, Prop prop, int value, int index) {
  if (prop == Prop::Alrt) {
    if (control == 0 || Valid(control)) alerts_[control][index] = value;
    return;
  }
  if (!Valid(control)) return;
  State& st = states_[control - 1];
  switch (prop) {
    case Prop::Default: st.is_default = value != 0; break;
    case Prop::Drop: st.drop = value != 0; break;
    case Prop::Type:
    case Prop::Alrt: return;  // a control's type is its description's
  }
  Refresh(control);
}

void Window::Update(int control) {
  for (int c = 1; c <= LastField(); ++c) {
    if ((control == 0 || c == control) && Editable(c) && Described(c).use.set) {
      Described(c).use.set(states_[c - 1].screen);
    }
  }
}

bool Window::Visible(int control) const {
  for (int c = control; Valid(c); c = Described(c).group) {
    if (states_[c - 1].hidden) return false;
    if (Described(c).group >= c) break;  // a group holds only controls after it
  }
  return Valid(control);
}

bool Window::Usable(int control) const {
  for (int c = control; Valid(c); c = Described(c).group) {
    if (states_[c - 1].hidden || states_[c - 1].disabled) return false;
    if (Described(c).group >= c) break;
  }
  return Valid(control);
}

const std::string& Window::ScreenText(int control) const {
  static const std::string none;
  return Valid(control) ? states_[control - 1].screen : none;
}

void Window::SetScreenText(int control, std::string text) {
  if (!Valid(control)) return;
  states_[control - 1].screen = Fit(control, std::move(text));
  states_[control - 1].typed = true;
}

const std::vector<std::string>& Window::Rows(int control) const {
  static const std::vector<std::string> none;
  return Valid(control) ? states_[control - 1].rows : none;
}

int Window::Row(int control) const { return Valid(control) ? states_[control - 1].row : 0; }

void Window::TakeInput(const Input& input) {
  const int c = input.control;
  switch (input.kind) {
    case Input::Kind::Keys:
      keys_.insert(keys_.end(), input.keys.begin(), input.keys.end());
      return;
    case Input::Kind::Click:
      if (!Usable(c)) return;
      if (TakesFocus(c)) MoveFocus(c);
      if (Described(c).type == ControlType::Button) Queue(event::Accepted, c);
      return;
    case Input::Kind::Type:
      if (!Usable(c) || !Editable(c)) return;
      MoveFocus(c);
      SetScreenText(c, input.text);
      Refresh(c);
      return;
    case Input::Kind::Choose:
      if (!Usable(c) || Described(c).type != ControlType::List) return;
      MoveFocus(c);
      Choose(c, input.row);
      return;
    case Input::Kind::CloseBox:
      Queue(event::CloseWindow, 0);
      return;
  }
}

bool Window::TakesFocus(int control) const {
  const ControlDescription& s = Described(control);
  if (s.read_only) return false;
  return s.type == ControlType::Entry || s.type == ControlType::Button ||
         s.type == ControlType::List || s.type == ControlType::Text;
}

bool Window::Editable(int control) const {
  const ControlDescription& s = Described(control);
  return !s.read_only && (s.type == ControlType::Entry || s.type == ControlType::Text ||
                          (s.type == ControlType::List && states_[control - 1].drop));
}

// The next control after `from` (before it for step -1), round the window, that takes the
// focus now; 0 when none does.
int Window::NextFocus(int from, int step) const {
  const int n = LastField();
  for (int i = 1; i <= n; ++i) {
    const int c = ((from - 1 + step * i) % n + n) % n + 1;
    if (TakesFocus(c) && Usable(c)) return c;
  }
  return 0;
}

bool Window::Alerted(int code) const {
  for (int control : {0, focus_}) {
    const auto c = alerts_.find(control);
    if (c == alerts_.end()) continue;
    for (const auto& [element, alerted] : c->second) {
      if (alerted == code) return true;
    }
  }
  return false;
}

void Window::Queue(int event, int control) { events_.push_back({event, control}); }

void Window::TakeKey(int code) {
  keycode_ = code;
  if (Alerted(code)) {
    Queue(event::AlertKey, focus_);
    return;
  }
  if (focus_ == 0) return;
  const ControlType type = Described(focus_).type;
  switch (code) {
    case key::Tab:
    case key::ShiftTab: {
      const int to = NextFocus(focus_, code == key::Tab ? 1 : -1);
      if (to == focus_) AcceptOnLeaving();  // the only control that takes the focus
      if (to != 0) MoveFocus(to);
      return;
    }
    case key::Enter:
      if (type == ControlType::Button) Queue(event::Accepted, focus_);
      return;
    case key::ShiftEnter:
      if (type == ControlType::Text && Editable(focus_)) backend_.Insert(*this, focus_, "\n");
      return;
    default:
      if (code >= 32 && code <= 255 && Editable(focus_) && type != ControlType::List) {
        backend_.Insert(*this, focus_, runtime::Cp1252ToUtf8(std::string(1, static_cast<char>(code))));
      }
      return;
  }
}

// The person moves the focus: the control left is accepted, the one reached is selected.
void Window::MoveFocus(int to) {
  if (focus_ == to) return;
  AcceptOnLeaving();
  SetFocus(to);
  Queue(event::Selected, to);
}

void Window::SetFocus(int to) {
  focus_ = to;
  if (to != 0 && open_) backend_.Focus(*this, to);
}

// An entry or a text box that the person typed into is accepted when the person leaves
// it: its use variable takes what was typed, then comes Accepted. Passing through a field
// without typing accepts nothing, so that going back to an earlier field is only a move.
void Window::AcceptOnLeaving() {
  if (focus_ == 0 || !Editable(focus_) || Described(focus_).type == ControlType::List) return;
  if (!states_[focus_ - 1].typed) return;
  states_[focus_ - 1].typed = false;
  Update(focus_);
  Queue(event::Accepted, focus_);
}

void Window::Choose(int control, int row) {
  State& st = states_[control - 1];
  if (row < 1 || row > static_cast<int>(st.rows.size())) return;
  st.row = row;
  if (st.drop) {
    st.screen = st.rows[row - 1];
    Update(control);
    Queue(event::Accepted, control);
  } else {
    Queue(event::NewSelection, control);
  }
  Refresh(control);
}

void Window::Refresh(int control) {
  if (!open_) return;
  const bool group = Valid(control) && Described(control).type == ControlType::Group;
  backend_.Show(*this, group ? 0 : control);  // a group shows or hides what it holds
}

// Hiding or disabling the control with the focus (or its group) passes the focus on
// quietly, as the screen does; no event is due, since the person did nothing.
void Window::KeepFocusUsable() {
  if (focus_ == 0 || Usable(focus_)) return;
  SetFocus(NextFocus(focus_, 1));
}

std::string Window::Fit(int control, std::string text) const {
  const size_t width = PictureWidth(Described(control).picture);
  if (width == 0) return text;
  return std::string(runtime::Left(text, width));
}

}  // namespace ui
