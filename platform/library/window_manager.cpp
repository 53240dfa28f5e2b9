#include "platform/library/window_manager.h"

namespace library {

void WindowMessages::Show(int level, std::string_view title, std::string_view text) {
  const bool fault = level == kLevelProgram || level == kLevelFatal;
  ui::Message(text, title, fault ? ui::Icon::Error : ui::Icon::Exclamation);
}

WindowGlobals& ThreadWindowGlobals() {
  thread_local WindowGlobals globals;
  return globals;
}

int WindowManager::Ask() {
  if (window_ == nullptr) return kLevelNotify;
  closing_ = false;
  while (!closing_ && window_->NextEvent()) {
    if (TakeEvent() == kLevelFatal) break;
  }
  return kLevelBenign;
}

int WindowManager::Init() {
  alive_ = true;
  closing_ = false;
  RESPONSE = 0;
  return kLevelBenign;
}

int WindowManager::Kill() {
  if (!alive_) return kLevelNotify;
  alive_ = false;
  if (window_ != nullptr) window_->Close();
  return kLevelBenign;
}

void WindowManager::Open(ui::Window& window, ui::Window* /*owner*/) {
  window_ = &window;
  window.Open();
}

void WindowManager::Reset(bool /*force*/) {
  if (window_ != nullptr) window_->Display();
}

uint8_t WindowManager::Run() {
  if (Init() == kLevelBenign) Ask();
  Kill();
  return RESPONSE != 0 ? RESPONSE : kRequestCancelled;
}

void WindowManager::SetAlerts() {}

int WindowManager::TakeAccepted() {
  for (const ButtonAction& action : button_actions_) {
    if (action.control == window_->Accepted()) {
      RESPONSE = action.response;
      window_->Post(ui::event::CloseWindow);
    }
  }
  return kLevelBenign;
}

int WindowManager::TakeEvent() {
  const int level = TakeWindowEvent();
  if (level != kLevelBenign) return level;
  switch (window_->Event()) {
    case ui::event::Accepted: return TakeAccepted();
    case ui::event::Selected: return TakeSelected();
    default: return kLevelBenign;
  }
}

int WindowManager::TakeSelected() { return kLevelBenign; }

int WindowManager::TakeWindowEvent() {
  const int event = window_->Event();
  if (event == ui::event::CloseWindow || event == ui::event::CloseDown) closing_ = true;
  return kLevelBenign;
}

void WindowManager::Update() {
  if (window_ != nullptr) window_->Update();
}

void WindowManager::AddButtonAction(int control, uint8_t response) {
  button_actions_.push_back({control, response});
}

ProcedureWindow::ProcedureWindow(std::string procedure, ui::Window& window, Toolbar& toolbar,
                                 ErrorManager& errors)
    : procedure_(std::move(procedure)), frame_window_(window), toolbar_(toolbar), errors_(errors) {}

int ProcedureWindow::Init() {
  errors_.SetProcedureName(procedure_, false);
  WindowGlobals& globals = ThreadWindowGlobals();
  REQUEST = globals.RequestGlobal;
  if (const int level = WindowManager::Init(); level != kLevelBenign) return level;
  FIRSTFIELD = 1;
  VCRREQUEST = &globals.VCRRequestGlobal;
  ERRORS = &errors_;
  AddToolbar(toolbar_);
  globals.RequestGlobal = 0;
  globals.ResponseGlobal = 0;
  PrepareWindow();
  Open(frame_window_);
  WindowOpened();
  // Enter becomes an alerted key: it comes as AlertKey, and TakeWindowEvent moves on.
  frame_window_.SetProperty(0, ui::Prop::Alrt, ui::key::Enter, 255);
  SetAlerts();
  return kLevelBenign;
}

int ProcedureWindow::Kill() {
  if (const int level = WindowManager::Kill(); level != kLevelBenign) return level;
  CloseFiles();
  errors_.SetProcedureName("", true);
  return kLevelBenign;
}

// Enter acts as Tab: in an entry it moves the focus on, on a button it presses it, in a
// text box it breaks the line, and in a list box it presses the window's default button.
// Keys typed ahead meanwhile are thrown away, so that they land in no control by chance.
int ProcedureWindow::TakeWindowEvent() {
  const int level = WindowManager::TakeWindowEvent();
  ui::Window& w = window();
  if (w.Event() != ui::event::AlertKey || w.Keycode() != ui::key::Enter) return level;
  current_control_ = w.Focus();
  const int type = w.Property(current_control_, ui::Prop::Type);
  auto discard_typed_ahead = [&w] {
    while (w.Keyboard()) w.Ask();
  };
  if (type == static_cast<int>(ui::ControlType::List) &&
      w.Property(current_control_, ui::Prop::Drop) == 0) {
    for (int c = w.FirstField(); c <= w.LastField(); ++c) {
      if (w.Property(c, ui::Prop::Default) != 0) {
        discard_typed_ahead();
        w.Post(ui::event::Accepted, c);
        break;
      }
    }
    return level;
  }
  if (type == static_cast<int>(ui::ControlType::Button)) {
    w.Post(ui::event::Accepted, current_control_);
    return level;
  }
  discard_typed_ahead();
  w.PressKey(type == static_cast<int>(ui::ControlType::Text) ? ui::key::ShiftEnter : ui::key::Tab);
  return level;
}

}  // namespace library
