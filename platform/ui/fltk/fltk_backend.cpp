#include "platform/ui/fltk/fltk_backend.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Multiline_Input.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Secret_Input.H>
#include <FL/Fl_Shared_Image.H>
#include <FL/Fl_Text_Display.H>
#include <FL/fl_ask.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

// The system headers that FLTK includes define names of ours as macros: X11's None, and
// windows.h's MessageBox and Yield (for their ...A and ...W forms). This is the only unit
// that includes them.
#undef None
#undef MessageBox
#undef Yield

#include "platform/runtime/cp1252.h"
#include "platform/ui/text_wrap.h"
#include "platform/ui/window.h"

namespace ui {
namespace {

constexpr int kMargin = 10;
constexpr int kMessageWidth = 640;  // the widest a message box gets
constexpr std::chrono::milliseconds kYieldInterval{20};
constexpr int kRowHeight = 26;
constexpr int kStatusHeight = 22;

bool gathering_keys = false;  // Poll is collecting keystrokes typed ahead
bool moving_focus = false;    // the model moves the focus; the widget reports nothing

// Repaints the window behind a widget's area as well as the widget, for widgets that draw
// no background of their own: otherwise a shorter text lands on top of the longer one it
// replaces. The extra rows above reach a caption drawn over the widget's top edge.
void RepaintArea(Fl_Widget* widget, int extra_above = 0) {
  if (Fl_Window* window = widget->window()) {
    window->damage(FL_DAMAGE_ALL, widget->x(), widget->y() - extra_above, widget->w(),
                   widget->h() + extra_above);
  }
  widget->redraw();
}

// A text drawn as it is: no "@" symbols and no "&" access keys in the program's texts.
class PlainText : public Fl_Box {
 public:
  PlainText(int x, int y, int w, int h) : Fl_Box(x, y, w, h) {}
  void text(const std::string& t) {
    text_ = t;
    RepaintArea(this);
  }
  void draw() override {
    draw_box();
    fl_font(labelfont(), labelsize());
    fl_color(active_r() ? labelcolor() : fl_inactive(labelcolor()));
    fl_draw(text_.c_str(), x() + 2, y(), w() - 4, h(), align(), nullptr, 0);
  }

 private:
  std::string text_;
};

// A group's frame with its caption over the top-left corner.
class GroupFrame : public Fl_Box {
 public:
  GroupFrame(int x, int y, int w, int h) : Fl_Box(FL_ENGRAVED_FRAME, x, y, w, h, nullptr) {}
  void caption(const std::string& t) {
    caption_ = t;
    RepaintArea(this, labelsize());
  }
  void draw() override {
    draw_box();
    if (caption_.empty()) return;
    fl_font(FL_HELVETICA_BOLD, labelsize());
    const int width = static_cast<int>(fl_width(caption_.c_str())) + 8;
    fl_color(parent()->color());
    fl_rectf(x() + 8, y() - labelsize() / 2, width, labelsize());
    fl_color(labelcolor());
    fl_draw(caption_.c_str(), x() + 12, y() + labelsize() / 2 - 2);
  }

 private:
  std::string caption_;
};

// A multi-line text that is only shown: wrapped to its width, with a scrollbar and wheel
// scrolling when it is longer than its box. A click may select text to copy, but the
// keyboard stays with the control that has the focus.
class ReadOnlyText : public Fl_Text_Display {
 public:
  ReadOnlyText(int x, int y, int w, int h) : Fl_Text_Display(x, y, w, h) {
    buffer(&text_);
    wrap_mode(WRAP_AT_BOUNDS, 0);
    clear_visible_focus();
  }
  ~ReadOnlyText() override { buffer(nullptr); }
  void text(const std::string& t) { text_.text(t.c_str()); }
  int handle(int event) override {
    Fl_Widget* had_focus = Fl::focus();
    const int used = Fl_Text_Display::handle(event);
    if (Fl::focus() == this && had_focus != this) Fl::focus(had_focus);
    return used;
  }

 private:
  Fl_Text_Buffer text_;
};

void ReportFocus(Fl_Widget* widget);

// An editable widget that tells the model when the person gives it the focus.
template <class Base>
class Reporting : public Base {
 public:
  Reporting(int x, int y, int w, int h) : Base(x, y, w, h) {}
  int handle(int event) override {
    const int used = Base::handle(event);
    if (event == FL_FOCUS && !moving_focus) ReportFocus(this);
    return used;
  }
};

// A list box that shows its newest rows: after its rows change it scrolls so that the last
// one is whole in view. Whether the horizontal scrollbar takes rows away is known only
// once the browser has laid itself out, so the scroll waits for the next drawing.
class LogBrowser : public Reporting<Fl_Hold_Browser> {
 public:
  LogBrowser(int x, int y, int w, int h) : Reporting<Fl_Hold_Browser>(x, y, w, h) {}
  void ShowLastRow() {
    scroll_to_last_ = true;
    redraw();
  }
  void draw() override {
    Reporting<Fl_Hold_Browser>::draw();
    if (!scroll_to_last_) return;
    scroll_to_last_ = false;
    if (size() == 0 || displayed(size())) return;
    bottomline(size());
    Reporting<Fl_Hold_Browser>::draw();
  }

 private:
  bool scroll_to_last_ = false;
};

// The column header a list draws above its rows.
constexpr int kHeaderHeight = 20;

int ControlOf(Fl_Widget* widget) {
  return static_cast<int>(reinterpret_cast<intptr_t>(widget->user_data()));
}

// The key code of a keystroke, 0 for keys the widgets keep (arrows, Home, ...).
int KeyCode() {
  const int k = Fl::event_key();
  const int shift = Fl::event_state(FL_SHIFT) ? key::Shift : 0;
  if (k == FL_Tab || k == 0xfe20) return key::Tab + shift;  // 0xfe20: X's shifted Tab
  if (k == FL_Enter || k == FL_KP_Enter) return key::Enter + shift;
  if (Fl::event_state(FL_CTRL | FL_ALT | FL_META) || Fl::event_length() == 0) return 0;
  const std::string byte = runtime::Utf8ToCp1252(std::string(Fl::event_text(), Fl::event_length()));
  const int code = byte.size() == 1 ? static_cast<unsigned char>(byte[0]) : 0;
  return code >= 32 ? code : 0;
}

std::string MenuLabel(const std::string& row) {
  std::string label;
  for (char c : row) {
    if (c == '/' || c == '\\') label += '\\';
    if (c == '&') label += '&';
    label += c;
  }
  return label;
}

}  // namespace

struct FltkBackend::Screen {
  // The real window: it keeps the keyboard from moving the focus by itself.
  class Frame : public Fl_Double_Window {
   public:
    Frame(int w, int h, const char* title) : Fl_Double_Window(w, h, title) {}
    int handle(int event) override {
      if (event == FL_KEYBOARD) return 0;  // no arrow-key navigation between controls
      return Fl_Double_Window::handle(event);
    }
  };

  Window* model = nullptr;
  std::string title;
  std::unique_ptr<Frame> frame;
  std::vector<Fl_Widget*> widgets;  // by control number - 1; the frame owns them
  std::vector<Fl_Widget*> headers;  // a list's column header, nullptr for other controls
  std::vector<std::string> shown;   // what each widget shows now
  std::vector<std::vector<std::string>> shown_rows;
  PlainText* status = nullptr;
  std::deque<Input> pending;

  Fl_Widget* widget(int control) const { return widgets[control - 1]; }
  void Push(Input input) { pending.push_back(std::move(input)); }
};

namespace {

FltkBackend::Screen* ScreenOf(Fl_Widget* widget);

void ReportFocus(Fl_Widget* widget) {
  if (FltkBackend::Screen* s = ScreenOf(widget)) {
    s->Push({Input::Kind::Click, ControlOf(widget), {}, {}, 0});
  }
}

void OnClick(Fl_Widget* widget, void*) {
  if (FltkBackend::Screen* s = ScreenOf(widget)) {
    s->Push({Input::Kind::Click, ControlOf(widget), {}, {}, 0});
  }
}

void OnEdit(Fl_Widget* widget, void*) {
  if (FltkBackend::Screen* s = ScreenOf(widget)) {
    s->model->SetScreenText(ControlOf(widget), static_cast<Fl_Input_*>(widget)->value());
  }
}

void OnBrowse(Fl_Widget* widget, void*) {
  FltkBackend::Screen* s = ScreenOf(widget);
  const int row = static_cast<Fl_Browser*>(widget)->value();
  if (s != nullptr && row > 0) s->Push({Input::Kind::Choose, ControlOf(widget), {}, {}, row});
}

void OnDrop(Fl_Widget* widget, void*) {
  FltkBackend::Screen* s = ScreenOf(widget);
  const int row = static_cast<Fl_Choice*>(widget)->value() + 1;
  if (s != nullptr && row > 0) s->Push({Input::Kind::Choose, ControlOf(widget), {}, {}, row});
}

void OnCloseBox(Fl_Widget* widget, void*) {
  if (FltkBackend::Screen* s = ScreenOf(widget)) s->Push({});
}

std::map<const Fl_Window*, FltkBackend::Screen*>& Frames() {
  static std::map<const Fl_Window*, FltkBackend::Screen*> frames;
  return frames;
}

FltkBackend::Screen* ScreenOf(Fl_Widget* widget) {
  const Fl_Window* window = widget->as_window() ? widget->as_window() : widget->window();
  const auto it = Frames().find(window);
  return it == Frames().end() ? nullptr : it->second;
}

// Every keystroke at a window of the program passes here first. Tab and Enter go to the
// model; so does any key while others wait there, so that keys typed ahead keep their
// order and can be thrown away. Other keys go to the widgets as usual.
int Dispatch(int event, Fl_Window* window) {
  if (event == FL_KEYBOARD && window != nullptr) {
    const auto it = Frames().find(window);
    if (it != Frames().end()) {
      const int code = KeyCode();
      const int plain = code & ~key::Shift;
      const bool special = plain == key::Tab || plain == key::Enter;
      if (code != 0 && (special || gathering_keys || it->second->model->KeysWaiting())) {
        it->second->model->QueueKey(code);
        return 1;
      }
    }
  }
  return Fl::handle_(event, window);
}

Fl_Widget* MakeWidget(const ControlDescription& described, const Box& at) {
  switch (described.type) {
    case ControlType::String:
    case ControlType::Prompt: {
      // A prompt is a sentence that may take several lines; a string keeps to one.
      auto* text = new PlainText(at.x, at.y, at.w, at.h);
      const Fl_Align wrap = described.type == ControlType::Prompt ? FL_ALIGN_WRAP : 0;
      text->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP | wrap);
      return text;
    }
    case ControlType::Image: {
      auto* box = new Fl_Box(at.x, at.y, at.w, at.h);
      if (Fl_Shared_Image* image = Fl_Shared_Image::get(described.image.c_str())) box->image(image);
      return box;
    }
    case ControlType::Line: {
      auto* line = new Fl_Box(FL_FLAT_BOX, at.x, at.y, at.w, std::max(at.h, 1), nullptr);
      line->color(FL_DARK3);
      return line;
    }
    case ControlType::Group: return new GroupFrame(at.x, at.y, at.w, at.h);
    case ControlType::Entry: {
      Fl_Input* input = described.password
                            ? static_cast<Fl_Input*>(new Reporting<Fl_Secret_Input>(at.x, at.y, at.w, at.h))
                            : new Reporting<Fl_Input>(at.x, at.y, at.w, at.h);
      if (described.read_only) input->readonly(1);
      input->when(FL_WHEN_CHANGED);
      input->callback(OnEdit);
      return input;
    }
    case ControlType::Text: {
      if (described.read_only) return new ReadOnlyText(at.x, at.y, at.w, at.h);
      auto* text = new Reporting<Fl_Multiline_Input>(at.x, at.y, at.w, at.h);
      text->wrap(1);
      text->when(FL_WHEN_CHANGED);
      text->callback(OnEdit);
      return text;
    }
    case ControlType::Button: {
      auto* button = new Fl_Button(at.x, at.y, at.w, at.h);
      button->copy_label(described.text.c_str());
      button->callback(OnClick);
      return button;
    }
    case ControlType::List: {
      if (described.drop) {
        auto* choice = new Reporting<Fl_Choice>(at.x, at.y, at.w, at.h);
        choice->callback(OnDrop);
        return choice;
      }
      const int header = described.text.empty() ? 0 : kHeaderHeight;
      auto* list = new LogBrowser(at.x, at.y + header, at.w, at.h - header);
      list->format_char(0);
      list->has_scrollbar(Fl_Browser_::BOTH);
      list->callback(OnBrowse);
      return list;
    }
  }
  return new Fl_Box(at.x, at.y, at.w, at.h);
}

// A list's column header: its text in a raised strip over the rows, as wide as the list.
Fl_Widget* MakeHeader(const ControlDescription& described, const Box& at) {
  if (described.type != ControlType::List || described.drop || described.text.empty()) return nullptr;
  auto* header = new PlainText(at.x, at.y, at.w, kHeaderHeight);
  header->box(FL_THIN_UP_BOX);
  header->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
  header->labelfont(FL_HELVETICA_BOLD);
  header->labelsize(12);
  header->text(described.text);
  return header;
}

}  // namespace

FltkBackend::FltkBackend() : installer_(*this) {
  Fl::scheme("gtk+");
  Fl::visible_focus(1);
  fl_register_images();
  Fl::event_dispatch(Dispatch);
}

FltkBackend::~FltkBackend() {
  Fl::event_dispatch(nullptr);
}

void FltkBackend::Open(Window& window) {
  const WindowDescription& described = window.description();
  auto s = std::make_unique<Screen>();
  s->model = &window;
  s->title = described.title;

  // A description without positions gets one control per row.
  std::vector<Box> boxes;
  int width = described.width, height = described.height, row = 0;
  bool has_messages = false;
  for (const ControlDescription& c : described.controls) {
    Box at = c.at;
    if (at.w == 0 || at.h == 0) at = {kMargin, kMargin + kRowHeight * row++, 360, kRowHeight - 4};
    boxes.push_back(at);
    width = std::max(width, at.x + at.w + kMargin);
    height = std::max(height, at.y + at.h + kMargin);
    has_messages = has_messages || !c.message.empty();
  }
  if (has_messages) height += kStatusHeight;

  s->frame = std::make_unique<Screen::Frame>(std::max(width, 200), std::max(height, 80),
                                             s->title.c_str());
  s->frame->callback(OnCloseBox);
  if (!described.background.empty()) {
    auto* back = new Fl_Box(0, 0, s->frame->w(), s->frame->h());
    if (Fl_Shared_Image* image = Fl_Shared_Image::get(described.background.c_str())) back->image(image);
  }
  for (size_t i = 0; i < described.controls.size(); ++i) {
    const ControlDescription& c = described.controls[i];
    Fl_Widget* w = MakeWidget(c, boxes[i]);
    w->user_data(reinterpret_cast<void*>(static_cast<intptr_t>(i + 1)));
    if (c.monospace) {
      w->labelfont(FL_COURIER);
      if (auto* list = dynamic_cast<Fl_Browser*>(w)) list->textfont(FL_COURIER);
    }
    if (!c.tip.empty()) w->copy_tooltip(c.tip.c_str());
    s->headers.push_back(MakeHeader(c, boxes[i]));
    if (auto* input = dynamic_cast<Fl_Input_*>(w)) {
      const std::string& p = c.picture;
      if (p.size() > 1 && (p[0] == 's' || p[0] == 'S')) input->maximum_size(std::stoi(p.substr(1)));
    }
    s->widgets.push_back(w);
  }
  if (has_messages) {
    s->status = new PlainText(0, s->frame->h() - kStatusHeight, s->frame->w(), kStatusHeight);
    s->status->box(FL_THIN_DOWN_BOX);
    s->status->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
  }
  s->frame->end();
  s->shown.assign(described.controls.size(), std::string(1, '\0'));  // nothing shown yet
  s->shown_rows.assign(described.controls.size(), {});
  s->frame->set_modal();  // a window opened over another takes all the input
  Frames()[s->frame.get()] = s.get();
  Screen& screen = *s;
  screens_[&window] = std::move(s);
  Show(window, 0);
  screen.frame->show();
  Fl::flush();
}

void FltkBackend::Close(Window& window) {
  const auto it = screens_.find(&window);
  if (it == screens_.end()) return;
  it->second->frame->hide();
  Frames().erase(it->second->frame.get());
  screens_.erase(it);
  Fl::flush();
}

void FltkBackend::Show(Window& window, int control) {
  const auto it = screens_.find(&window);
  if (it == screens_.end()) return;
  Screen& s = *it->second;
  for (int c = 1; c <= window.LastField(); ++c) {
    if (control != 0 && c != control) continue;
    const ControlDescription& described = window.description().controls[c - 1];
    for (Fl_Widget* w : {s.widget(c), s.headers[c - 1]}) {
      if (w == nullptr) continue;
      if (window.Visible(c)) {
        w->show();
      } else {
        w->hide();
      }
      if (window.Usable(c) || !window.Visible(c)) {
        w->activate();
      } else {
        w->deactivate();
      }
    }
    Fl_Widget* w = s.widget(c);
    if (described.type == ControlType::Button) {
      const bool is_default = window.Property(c, Prop::Default) != 0;
      w->labelfont(is_default ? FL_HELVETICA_BOLD : FL_HELVETICA);
    }
    const std::string& text = window.ScreenText(c);
    if (described.type == ControlType::List && s.shown_rows[c - 1] != window.Rows(c)) {
      s.shown_rows[c - 1] = window.Rows(c);
      if (auto* list = dynamic_cast<LogBrowser*>(w)) {
        list->clear();
        for (const std::string& row : window.Rows(c)) list->add(row.c_str());
        list->ShowLastRow();
      } else if (auto* choice = dynamic_cast<Fl_Choice*>(w)) {
        choice->clear();
        for (const std::string& row : window.Rows(c)) choice->add(MenuLabel(row).c_str());
      }
    }
    if (text == s.shown[c - 1]) continue;
    s.shown[c - 1] = text;
    if (auto* plain = dynamic_cast<PlainText*>(w)) {
      plain->text(text);
    } else if (auto* shown_text = dynamic_cast<ReadOnlyText*>(w)) {
      shown_text->text(text);
    } else if (auto* frame = dynamic_cast<GroupFrame*>(w)) {
      frame->caption(text);
    } else if (auto* input = dynamic_cast<Fl_Input_*>(w)) {
      if (text != input->value()) input->value(text.c_str());
    } else if (auto* choice = dynamic_cast<Fl_Choice*>(w)) {
      const auto& rows = window.Rows(c);
      const auto found = std::find(rows.begin(), rows.end(), text);
      choice->value(found == rows.end() ? -1 : static_cast<int>(found - rows.begin()));
    }
  }
}

void FltkBackend::Focus(Window& window, int control) {
  const auto it = screens_.find(&window);
  if (it == screens_.end() || control < 1) return;
  Screen& s = *it->second;
  moving_focus = true;
  s.widget(control)->take_focus();
  moving_focus = false;
  if (s.status != nullptr) s.status->text(window.description().controls[control - 1].message);
}

void FltkBackend::Insert(Window& window, int control, std::string_view text) {
  const auto it = screens_.find(&window);
  if (it == screens_.end()) return;
  if (auto* input = dynamic_cast<Fl_Input_*>(it->second->widget(control))) {
    input->insert(text.data(), static_cast<int>(text.size()));
    window.SetScreenText(control, input->value());
  }
}

Input FltkBackend::NextInput(Window& window) {
  const auto it = screens_.find(&window);
  if (it == screens_.end()) return {};
  Screen& s = *it->second;
  while (s.pending.empty() && !window.KeysWaiting()) {
    if (!s.frame->shown()) return {};
    Fl::wait();
  }
  if (s.pending.empty()) return {Input::Kind::Keys, 0, {}, {}, 0};  // the keys queued meanwhile
  Input input = std::move(s.pending.front());
  s.pending.pop_front();
  return input;
}

void FltkBackend::Poll(Window& /*window*/) {
  gathering_keys = true;
  Fl::check();
  gathering_keys = false;
}

int FltkBackend::Message(const MessageBox& box) {
  fl_font(FL_HELVETICA, FL_NORMAL_SIZE);
  const int icon_w = box.icon == Icon::None ? 0 : 50;
  const int buttons_w = static_cast<int>(box.buttons.size()) * 100;
  // A box at most kMessageWidth wide, and within the screen on a smaller one: the text is
  // broken into lines that fit, so that its end and every button stay on the screen.
  const int max_w = std::min(kMessageWidth, Fl::w() - 2 * kMargin);
  const int text_max_w = std::max(100, max_w - 2 * kMargin - 10 - icon_w);
  const std::string lines = WrapText(box.text, text_max_w, [](std::string_view piece) {
    return static_cast<int>(std::ceil(fl_width(piece.data(), static_cast<int>(piece.size()))));
  });
  int text_w = 0, text_h = 0;
  fl_measure(lines.c_str(), text_w, text_h, 0);
  const int w = std::max(buttons_w, icon_w + text_w) + 2 * kMargin + 10;
  const int h = std::max(text_h, 40) + 3 * kMargin + 30;

  Fl_Double_Window dialog(w, h, box.caption.c_str());
  if (box.icon != Icon::None) {
    const char* glyph = box.icon == Icon::Question ? "?" : box.icon == Icon::Information ? "i" : "!";
    auto* icon = new Fl_Box(FL_OVAL_BOX, kMargin, kMargin, 40, 40, glyph);
    icon->color(box.icon == Icon::Error ? FL_RED : box.icon == Icon::Exclamation ? FL_YELLOW : FL_BLUE);
    icon->labelcolor(box.icon == Icon::Exclamation ? FL_BLACK : FL_WHITE);
    icon->labelfont(FL_TIMES_BOLD);
    icon->labelsize(28);
  }
  auto* text = new PlainText(kMargin + icon_w, kMargin, w - 2 * kMargin - icon_w, std::max(text_h, 40));
  text->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
  text->text(lines);
  int answer = 0;
  std::vector<Fl_Button*> buttons;
  int x = w - kMargin - buttons_w + 10;
  for (size_t i = 0; i < box.buttons.size(); ++i, x += 100) {
    const bool is_default = static_cast<int>(i) + 1 == box.default_button;
    Fl_Button* b = is_default ? new Fl_Return_Button(x, h - kMargin - 28, 90, 28)
                              : new Fl_Button(x, h - kMargin - 28, 90, 28);
    b->copy_label(box.buttons[i].c_str());
    b->user_data(reinterpret_cast<void*>(static_cast<intptr_t>(i + 1)));
    b->callback([](Fl_Widget* pressed, void*) {
      *static_cast<int*>(pressed->window()->user_data()) = ControlOf(pressed);
      pressed->window()->hide();
    });
    buttons.push_back(b);
  }
  dialog.end();
  dialog.user_data(&answer);
  dialog.callback([](Fl_Widget* closed, void*) { closed->hide(); });  // close box, Escape
  // Over the window in front, or in the middle of the screen when none is open.
  const Fl_Window* front = Fl::first_window();
  const int fx = front ? front->x() : 0, fy = front ? front->y() : 0;
  const int fw = front ? front->w() : Fl::w(), fh = front ? front->h() : Fl::h();
  const int x0 = std::clamp(fx + (fw - w) / 2, 0, std::max(0, Fl::w() - w));
  const int y0 = std::clamp(fy + (fh - h) / 3, 0, std::max(0, Fl::h() - h));
  dialog.position(x0, y0);
  dialog.set_modal();
  dialog.show();
  if (!buttons.empty()) buttons[box.default_button - 1]->take_focus();
  while (dialog.shown()) Fl::wait();
  return answer != 0 ? answer : box.default_button;
}

void FltkBackend::SetCursor(Cursor cursor) {
  for (auto& [model, screen] : screens_) {
    screen->frame->cursor(cursor == Cursor::Wait ? FL_CURSOR_WAIT : FL_CURSOR_DEFAULT);
  }
  Fl::flush();
}

void FltkBackend::Beep(Sound sound) {
  fl_beep(sound == Sound::Exclamation ? FL_BEEP_ERROR : FL_BEEP_DEFAULT);
}

void FltkBackend::Yield() {
  // A long job yields after every record, and a turn of FLTK costs some µs of X traffic
  // even with nothing to do: more than a record's conversion. A person sees no difference
  // between a turn per record and one every kYieldInterval, so the others are skipped.
  const auto now = std::chrono::steady_clock::now();
  if (now - last_yield_ < kYieldInterval) return;
  last_yield_ = now;
  Fl::check();
}

}  // namespace ui
