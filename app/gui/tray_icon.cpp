#include "app/gui/tray_icon.h"

#include <QAction>
#include <QEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QTimer>

#include "app/command_ids.h"
#include "app/gui/main_window.h"
#include "app/quillbox.h"
#include "core/product_name.h"

namespace {

constexpr const char* kLockedTrayTipEnd = " (locked)";
constexpr const char* kTrayIconImage = ":/images/icon_107.png";
constexpr const char* kShowHideText = "&Show/Hide";
constexpr const char* kLockText = "&Lock";
constexpr const char* kExitText = "E&xit";

constexpr const char* kTrayWindowSignal = "systemTrayWindowChanged(QScreen*)";

// Qt shows the icon through a D-Bus tray where one runs, and otherwise
// through the X11 tray, whose watcher connects a signal of the X11
// platform's native interface: elsewhere that connection fails with a
// warning, and no tray could take the icon anyway. The interface's class is
// private to Qt; it is reached through its only base, QObject.
bool TrayCanTakeIcon() {
  if (QSystemTrayIcon::isSystemTrayAvailable()) return true;
  const auto* native = reinterpret_cast<const QObject*>(QGuiApplication::platformNativeInterface());
  return native != nullptr && native->metaObject()->indexOfSignal(kTrayWindowSignal) != -1;
}

}  // namespace

TrayIcon::TrayIcon(MainWindow& window)
    : QObject(&window), window_(window), icon_(this), menu_(std::make_unique<QMenu>()) {
  icon_.setIcon(QIcon(QString::fromLatin1(kTrayIconImage)));
  icon_.setToolTip(QString::fromLatin1(kProductName));
  connect(&icon_, &QSystemTrayIcon::activated, this, &TrayIcon::OnActivated);
  connect(&window_, &MainWindow::lockedChanged, this, [this](bool locked) {
    icon_.setToolTip(QString::fromLatin1(kProductName) + (locked ? QString::fromLatin1(kLockedTrayTipEnd) : QString()));
  });
  CreateMenu();
  window_.installEventFilter(this);
}

TrayIcon::~TrayIcon() { SetTrayIcon(false); }

void TrayIcon::SetTrayIcon(bool add) {
  if (add && !shown_) {
    if (TrayCanTakeIcon()) icon_.show();
    shown_ = true;
  } else if (!add && shown_) {
    icon_.hide();
    shown_ = false;
  }
}

void TrayIcon::CreateMenu() {
  menu_->addAction(QString::fromLatin1(kShowHideText), this, &TrayIcon::ToggleWindow);
  QAction* lock = menu_->addAction(QString::fromLatin1(kLockText), this, [this] { window_.RunCommand(kCmdLock); });
  menu_->addSeparator();
  menu_->addAction(QString::fromLatin1(kExitText), this, [this] { window_.RunCommand(kCmdExit); });
  // Lock as the File menu has it: only while a safe is open.
  connect(menu_.get(), &QMenu::aboutToShow, this, [this, lock] {
    const QAction* fileLock = window_.MenuAction(kCmdLock);
    lock->setEnabled(fileLock != nullptr && fileLock->isEnabled());
  });
  icon_.setContextMenu(menu_.get());
}

void TrayIcon::OnActivated(QSystemTrayIcon::ActivationReason reason) {
  // Only a double-click toggles; a right click opens the menu.
  if (reason == QSystemTrayIcon::DoubleClick) ToggleWindow();
}

void TrayIcon::ToggleWindow() {
  if (window_.isVisible() && !window_.isMinimized()) {
    window_.showMinimized();
  } else {
    window_.RestoreAndRaise();
  }
}

bool TrayIcon::eventFilter(QObject* watched, QEvent* event) {
  if (watched == &window_ && event->type() == QEvent::WindowStateChange && window_.isMinimized() &&
      window_.App().GetResideOnTaskbar()) {
    // Hidden once the minimise has finished, so the window manager sees a
    // withdrawn window and drops its taskbar button.
    QTimer::singleShot(0, &window_, [this] {
      if (window_.isMinimized()) window_.hide();
    });
  }
  return QObject::eventFilter(watched, event);
}
