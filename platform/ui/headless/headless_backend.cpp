#include "platform/ui/headless/headless_backend.h"

#include <stdexcept>

#include "platform/ui/window.h"

namespace ui {
namespace {

// A window that keeps asking for input after the script ran out would hang a test.
constexpr int kClosesAfterEnd = 20;

std::string HistoryKey(std::string_view module, std::string_view control) {
  return std::string(module) + '\n' + std::string(control);
}

int FindControl(const Window& window, std::string_view name) {
  for (int c = window.FirstField(); c <= window.LastField(); ++c) {
    if (window.description().controls[c - 1].name == name) return c;
  }
  return 0;
}

}  // namespace

const ShownControl& ShownWindow::Control(std::string_view name) const {
  static const ShownControl none;
  for (const ShownControl& c : controls) {
    if (c.name == name) return c;
  }
  return none;
}

HeadlessBackend::HeadlessBackend() : installer_(*this) {}

HeadlessBackend& HeadlessBackend::Add(Step step) {
  steps_.push_back(std::move(step));
  return *this;
}

HeadlessBackend& HeadlessBackend::Type(std::string control, std::string text) {
  return Add({Input::Kind::Type, std::move(control), std::move(text), {}, 0, false});
}
HeadlessBackend& HeadlessBackend::Click(std::string control) {
  return Add({Input::Kind::Click, std::move(control), {}, {}, 0, false});
}
HeadlessBackend& HeadlessBackend::Choose(std::string control, int row) {
  return Add({Input::Kind::Choose, std::move(control), {}, {}, row, false});
}
HeadlessBackend& HeadlessBackend::Keys(std::vector<int> codes) {
  return Add({Input::Kind::Keys, {}, {}, std::move(codes), 0, false});
}
HeadlessBackend& HeadlessBackend::CloseBox() {
  return Add({Input::Kind::CloseBox, {}, {}, {}, 0, false});
}
HeadlessBackend& HeadlessBackend::Answer(std::string button) {
  return Add({Input::Kind::CloseBox, {}, std::move(button), {}, 0, true});
}

const ShownWindow* HeadlessBackend::Shown(std::string_view module) const {
  const auto it = shown_.find(module);
  return it == shown_.end() ? nullptr : &it->second;
}

std::vector<std::string> HeadlessBackend::History(std::string_view module,
                                                  std::string_view control) const {
  const auto it = history_.find(HistoryKey(module, control));
  return it == history_.end() ? std::vector<std::string>{} : it->second;
}

void HeadlessBackend::Open(Window& window) { Record(window); }
void HeadlessBackend::Close(Window& window) { Record(window); }
void HeadlessBackend::Show(Window& window, int /*control*/) { Record(window); }
void HeadlessBackend::Focus(Window& window, int /*control*/) { Record(window); }

void HeadlessBackend::Insert(Window& window, int control, std::string_view text) {
  window.SetScreenText(control, window.ScreenText(control) + std::string(text));
  Record(window);
}

Input HeadlessBackend::NextInput(Window& window) {
  Record(window);
  while (next_ < steps_.size()) {
    const Step& step = steps_[next_++];
    if (step.answer) {
      errors_.push_back("answer \"" + step.text + "\" while no message box was shown");
      continue;
    }
    Input input;
    input.kind = step.kind;
    input.keys = step.keys;
    input.text = step.text;
    input.row = step.row;
    if (step.kind == Input::Kind::Type || step.kind == Input::Kind::Click ||
        step.kind == Input::Kind::Choose) {
      input.control = FindControl(window, step.control);
      if (input.control == 0) {
        errors_.push_back("no control " + step.control + " in " + window.description().module);
        continue;
      }
      if (!window.Usable(input.control)) {
        errors_.push_back(step.control + " cannot be reached in " + window.description().module);
        continue;
      }
    }
    return input;
  }
  if (++closes_after_end_ > kClosesAfterEnd) {
    throw std::runtime_error("the script ran out and " + window.description().module + " stays open");
  }
  return Input{};  // the close box
}

void HeadlessBackend::Poll(Window& /*window*/) {}

int HeadlessBackend::Message(const MessageBox& box) {
  ShownMessage shown{box, box.default_button};
  if (next_ < steps_.size() && steps_[next_].answer) {
    const std::string& wanted = steps_[next_++].text;
    int found = 0;
    for (size_t i = 0; i < box.buttons.size(); ++i) {
      if (PlainLabel(box.buttons[i]) == wanted) found = static_cast<int>(i) + 1;
    }
    if (found != 0) {
      shown.answer = found;
    } else {
      errors_.push_back("no button \"" + wanted + "\" in the message \"" + box.text + "\"");
    }
  } else if (next_ < steps_.size()) {
    errors_.push_back("message \"" + box.text + "\" came where the script has no answer");
  }
  messages_.push_back(shown);
  return shown.answer;
}

void HeadlessBackend::SetCursor(Cursor cursor) { cursors_.push_back(cursor); }
void HeadlessBackend::Beep(Sound sound) { beeps_.push_back(sound); }
void HeadlessBackend::Yield() { ++yields_; }

void HeadlessBackend::Record(Window& window) {
  ShownWindow& shown = shown_[window.description().module];
  shown.module = window.description().module;
  shown.title = window.description().title;
  shown.focus = window.Focus();
  shown.open = window.IsOpen();
  shown.controls.resize(window.description().controls.size());
  for (int c = window.FirstField(); c <= window.LastField(); ++c) {
    const ControlDescription& described = window.description().controls[c - 1];
    ShownControl& control = shown.controls[c - 1];
    control.number = c;
    control.name = described.name;
    control.type = described.type;
    control.text = window.ScreenText(c);
    control.rows = window.Rows(c);
    control.row = window.Row(c);
    control.visible = window.Visible(c);
    control.enabled = window.Usable(c);
    if (described.name.empty()) continue;
    std::vector<std::string>& history = history_[HistoryKey(shown.module, described.name)];
    if (history.empty() || history.back() != control.text) history.push_back(control.text);
  }
}

}  // namespace ui
