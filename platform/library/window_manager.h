// The class library's window controller, and the frame every window procedure of the
// program is built on.
//
// A window procedure is plain C++ whose objects die in the reverse order of their birth:
//
//   void Ejemplo() {
//     EjemploLocals loc;                        // the variables the controls use
//     ui::Window window(EjemploWindowDescription(loc));      // the window, bound to them
//     library::Toolbar toolbar;
//     EjemploWindow manager(window, toolbar, errors);  // derived from ProcedureWindow
//     library::ThreadWindowGlobals().ResponseGlobal = manager.Run();
//   }
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/library/error_manager.h"
#include "platform/library/toolbar.h"
#include "platform/ui/window.h"

namespace library {

// A window's result: what Run returns.
inline constexpr uint8_t kRequestCompleted = 1;
inline constexpr uint8_t kRequestCancelled = 2;

// The error manager's messages in message boxes of the window layer: real ones on the
// screen, recorded ones in the tests.
class WindowMessages : public MessageDisplay {
 public:
  void Show(int level, std::string_view title, std::string_view text) override;
};

// Handed from one window procedure to the next, one set per thread.
struct WindowGlobals {
  uint8_t RequestGlobal = 0;   // request for the next window that opens
  uint8_t ResponseGlobal = 0;  // result of the last window run
  int32_t VCRRequestGlobal = 0;
};
WindowGlobals& ThreadWindowGlobals();

class WindowManager {
 public:
  virtual ~WindowManager() = default;

  // The event loop: each event goes to TakeEvent. It ends when the window closes or an
  // event's handling returns Fatal.
  virtual int Ask();
  virtual int Init();
  // Closes the window. Answers Notify for an object already killed.
  virtual int Kill();
  virtual void Open(ui::Window& window, ui::Window* owner = nullptr);
  // Shows every control's use variable again.
  virtual void Reset(bool force);
  // Init, the event loop when Init succeeded, Kill; returns RESPONSE, or cancelled when
  // nothing set it.
  virtual uint8_t Run();
  // Alerts the keys the window's components need; this program's windows have none
  // beyond what each window alerts itself.
  virtual void SetAlerts();
  // Presses the buttons given to AddButtonAction.
  virtual int TakeAccepted();
  // TakeWindowEvent, then by the event TakeAccepted or TakeSelected; a result other
  // than Benign from TakeWindowEvent ends the handling of the event there.
  virtual int TakeEvent();
  virtual int TakeSelected();
  // Close events end the loop.
  virtual int TakeWindowEvent();
  // The controls' screen contents into their use variables.
  virtual void Update();

  void AddToolbar(Toolbar& toolbar) { toolbar_ = &toolbar; }
  // Pressing the control closes the window with this response.
  void AddButtonAction(int control, uint8_t response);

  ui::Window& window() { return *window_; }

  uint8_t REQUEST = 0;
  int32_t FIRSTFIELD = 0;
  int32_t* VCRREQUEST = nullptr;
  ErrorManager* ERRORS = nullptr;
  uint8_t FILESOPENED = 0;
  uint8_t RESPONSE = 0;

 private:
  struct ButtonAction {
    int control;
    uint8_t response;
  };
  ui::Window* window_ = nullptr;
  Toolbar* toolbar_ = nullptr;
  std::vector<ButtonAction> button_actions_;
  bool alive_ = false;
  bool closing_ = false;
};

// The window object of a window procedure: the initialise and kill steps every window
// of the program shares, and Enter moving on from control to control like Tab.
class ProcedureWindow : public WindowManager {
 public:
  ProcedureWindow(std::string procedure, ui::Window& window, Toolbar& toolbar,
                  ErrorManager& errors);

  int Init() override;
  int Kill() override;
  int TakeWindowEvent() override;

 protected:
  // What a window prepares before it opens (company name, help texts, tables, ...).
  virtual void PrepareWindow() {}
  // What a window changes right after it opened, before its alerts are set.
  virtual void WindowOpened() {}
  // What a window closes after the base kill succeeded (tables opened by PrepareWindow).
  virtual void CloseFiles() {}

 private:
  std::string procedure_;
  ui::Window& frame_window_;
  Toolbar& toolbar_;
  ErrorManager& errors_;
  int current_control_ = 0;  // the control that had the focus when Enter was pressed
};

}  // namespace library
