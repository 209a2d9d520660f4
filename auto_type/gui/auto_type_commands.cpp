#include "auto_type/gui/auto_type_commands.h"

#include <QGuiApplication>
#include <QKeySequence>
#include <QTimer>
#include <QWidget>

#include "app/clock.h"
#include "app/quillbox.h"
#include "app/quillbox_messages.h"
#include "auto_type/auto_type_sequence.h"
#include "auto_type/gui/auto_type_chooser.h"
#include "auto_type/gui/auto_type_window.h"
#include "auto_type/window_matcher.h"
#include "auto_type/x11/global_shortcut.h"
#include "auto_type/x11/x11_display.h"
#include "auto_type/x11/x11_typist.h"
#include "safe/field_reference.h"
#include "settings/setting_catalogue.h"
#include "ui/gui/qt_message_box.h"
#include "ui/message_box_view.h"

namespace {

constexpr int kActivateTimeoutMs = 1500;

void ShowProblem(AutoTypeWindow& window, const std::string& text) {
  ShowQtMessageBox(window.Widget(), text.c_str(), kErrorCaption, kMbOk | kMbIconWarning);
}

// Nothing is typed unless the whole sequence can be.
void TypeEntry(AutoTypeWindow& window, const X11Display& display, const Entry& stored, xcb_window_t target) {
  const Entry entry = WithFieldReferencesResolved(stored, FieldReferences(window.App().GetEntries()));
  std::vector<AutoTypeAction> steps;
  std::string error;
  if (!ParseAutoTypeSequence(AutoTypeSequenceOf(entry), entry, UtcSeconds(), &steps, &error)) {
    ShowProblem(window, error);
    return;
  }
  int delay = kAutoTypeDelaySetting.defaultNumber;
  window.App().ReadSetting(kAutoTypeDelaySetting, &delay);
  delay = std::clamp(delay, 0, kMaxAutoTypeDelayMs);
  window.MinimizeIfShown();
  if (!display.Activate(target, kActivateTimeoutMs)) {
    ShowProblem(window, "Auto-type found no window to type into: the one before Quillbox could not be activated.");
    return;
  }
  if (TypeIntoWindow(display, target, steps, delay, &error) != TypingResult::kDone) ShowProblem(window, error);
}

// X's keysym for the keys a shortcut may end in: letters, digits, F-keys.
uint32_t KeysymOfQtKey(Qt::Key key) {
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'a' + (key - Qt::Key_A);
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return '0' + (key - Qt::Key_0);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F35) return 0xffbe + (key - Qt::Key_F1);
  if (key == Qt::Key_Space) return ' ';
  return 0;
}

uint16_t ModifiersOf(Qt::KeyboardModifiers modifiers) {
  uint16_t mask = 0;
  if (modifiers & Qt::ControlModifier) mask |= XCB_MOD_MASK_CONTROL;
  if (modifiers & Qt::AltModifier) mask |= XCB_MOD_MASK_1;
  if (modifiers & Qt::ShiftModifier) mask |= XCB_MOD_MASK_SHIFT;
  if (modifiers & Qt::MetaModifier) mask |= XCB_MOD_MASK_4;
  return mask;
}

}  // namespace

bool AutoTypeAvailable() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

void PerformAutoType(AutoTypeWindow& window) {
  const Entry* entry = window.CopyEntry();
  if (entry == nullptr || !AutoTypeAvailable()) return;
  std::string error;
  std::unique_ptr<X11Display> display = X11Display::Open(&error);
  if (display == nullptr) {
    ShowProblem(window, error);
    return;
  }
  // Found before this window goes down: the topmost window of another
  // program is the one the user came from.
  xcb_window_t target = display->TopWindowOfOtherProcess();
  if (target == XCB_NONE) {
    ShowProblem(window, "Auto-type found no window of another program to type into.");
    return;
  }
  TypeEntry(window, *display, *entry, target);
}

AutoTypeShortcut::AutoTypeShortcut(AutoTypeWindow& window) : QObject(window.Widget()), window_(window) {
  std::string error;
  if (std::unique_ptr<X11Display> display = X11Display::Open(&error)) RestoreKeysLeftMapped(*display);
  TakeShortcut();
  QCoreApplication::instance()->installNativeEventFilter(this);
}

AutoTypeShortcut::~AutoTypeShortcut() { QCoreApplication::instance()->removeNativeEventFilter(this); }

void AutoTypeShortcut::TakeShortcut() {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (x11 == nullptr) return;
  char text[kAutoTypeShortcutSetting.capacity];
  window_.App().GetSettingString(kAutoTypeShortcutSetting.name, text, sizeof text - 1, kDefaultAutoTypeShortcut);
  if (tried_ == text) return;
  shortcut_.reset();
  tried_ = text;
  if (text[0] == '\0') return;
  const QKeySequence sequence = QKeySequence::fromString(QString::fromUtf8(text), QKeySequence::PortableText);
  const uint32_t keysym = sequence.count() == 1 ? KeysymOfQtKey(sequence[0].key()) : 0;
  xcb_connection_t* connection = x11->connection();
  shortcut_ =
      std::make_unique<GlobalShortcut>(connection, xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root);
  if (keysym == 0 || !shortcut_->Take(keysym, ModifiersOf(sequence[0].keyboardModifiers()))) {
    shortcut_.reset();
    window_.ShowStatus(("The auto-type shortcut " + std::string(text) +
                        " cannot be used: another program holds it, or it is not a key this desktop has.")
                           .c_str());
  }
}

bool AutoTypeShortcut::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (shortcut_ == nullptr || eventType != "xcb_generic_event_t") return false;
  if (!shortcut_->IsPress(static_cast<xcb_generic_event_t*>(message))) return false;
  shortcut_->EndKeyboardGrab();
  // Dialogs wait for the event loop, not inside the toolkit's event handling.
  QTimer::singleShot(0, this, &AutoTypeShortcut::OnPressed);
  return true;
}

void AutoTypeShortcut::OnPressed() {
  std::string error;
  std::unique_ptr<X11Display> display = X11Display::Open(&error);
  if (display == nullptr) return;
  const xcb_window_t target = display->ActiveWindow();
  if (target == XCB_NONE || display->WindowProcess(target) == getpid()) return;
  Quillbox& app = window_.App();
  if (!app.IsLoggedIn()) {
    window_.RestoreAndRaise();
    window_.ShowLogInDialog();
    if (!app.IsLoggedIn()) return;
  }
  const std::vector<Entry>& entries = app.GetEntries();
  std::vector<size_t> matches = EntriesForWindow(display->WindowTitle(target), entries);
  if (matches.size() == 1) {
    TypeEntry(window_, *display, entries[matches[0]], target);
    return;
  }
  AutoTypeChooser chooser(entries, std::move(matches));
  chooser.setWindowFlag(Qt::WindowStaysOnTopHint);
  chooser.show();
  chooser.raise();
  chooser.activateWindow();
  if (chooser.exec() == QDialog::Accepted && chooser.ChosenEntry() != nullptr) {
    TypeEntry(window_, *display, *chooser.ChosenEntry(), target);
  }
}
