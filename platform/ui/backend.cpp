#include "platform/ui/backend.h"

#include <stdexcept>

namespace ui {
namespace {

Backend* current = nullptr;

std::vector<std::string> SplitButtons(std::string_view buttons) {
  std::vector<std::string> labels;
  size_t start = 0;
  while (true) {
    const size_t bar = buttons.find('|', start);
    labels.emplace_back(buttons.substr(start, bar == std::string_view::npos ? bar : bar - start));
    if (bar == std::string_view::npos) return labels;
    start = bar + 1;
  }
}

}  // namespace

Backend& CurrentBackend() {
  if (current == nullptr) throw std::logic_error("no window backend installed");
  return *current;
}

BackendInstaller::BackendInstaller(Backend& backend) : previous_(current) { current = &backend; }
BackendInstaller::~BackendInstaller() { current = previous_; }

int Message(std::string_view text, std::string_view caption, Icon icon, std::string_view buttons,
            int default_button) {
  MessageBox box{std::string(text), std::string(caption), icon, SplitButtons(buttons),
                 default_button};
  if (box.default_button < 1 || box.default_button > static_cast<int>(box.buttons.size())) {
    box.default_button = 1;
  }
  return CurrentBackend().Message(box);
}

void SetCursor(Cursor cursor) { CurrentBackend().SetCursor(cursor); }
void Beep(Sound sound) { CurrentBackend().Beep(sound); }
void Yield() { CurrentBackend().Yield(); }

std::string PlainLabel(std::string_view label) {
  std::string plain;
  for (size_t i = 0; i < label.size(); ++i) {
    if (label[i] == '&' && i + 1 < label.size()) ++i;  // "&&" stands for one "&"
    plain += label[i];
  }
  return plain;
}

}  // namespace ui
