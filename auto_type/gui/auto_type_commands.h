#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <memory>
#include <optional>
#include <string>

class AutoTypeWindow;
class GlobalShortcut;

// Passwords > "Perform &Auto-Type": types the entry the copy commands take
// into the window the user was in before this one.
void PerformAutoType(AutoTypeWindow& window);

// Typing into other programs needs X11; a native Wayland session lets no
// program do it without the desktop's consent.
bool AutoTypeAvailable();
inline constexpr char kAutoTypeNeedsX11Note[] =
    "Auto-type needs an X11 session: under Wayland no program may type into another's windows.";

// The global shortcut (setting "Auto_Type_Shortcut"): the entries that fit
// the active window's title are typed into it, the only one at once, else
// the one chosen. While locked, the log-in comes first.
class AutoTypeShortcut : public QObject, public QAbstractNativeEventFilter {
  Q_OBJECT

 public:
  explicit AutoTypeShortcut(AutoTypeWindow& window);
  ~AutoTypeShortcut() override;

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
  // Takes the shortcut the setting names now (after a change of settings).
  void TakeShortcut();

 private:
  void OnPressed();

  AutoTypeWindow& window_;
  std::unique_ptr<GlobalShortcut> shortcut_;
  std::optional<std::string> tried_;  // the setting's text the shortcut was last taken for
};
