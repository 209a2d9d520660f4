#include "app/gui/tray_icon.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QMouseEvent>
#include <QTimer>

#include "app/gui/main_window.h"
#include "app/quillbox.h"

namespace {

constexpr const char* kTrayTip = "Tarnwell Quillbox";
constexpr const char* kTrayIconImage = ":/images/icon_107.png";
// The object name of the widget Qt shows in an X11 (XEmbed) tray.
constexpr const char* kQtTrayWidgetName = "QSystemTrayIconSys";

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

TrayIcon::TrayIcon(MainWindow& window) : QObject(&window), window_(window), icon_(this) {
  icon_.setIcon(QIcon(QString::fromLatin1(kTrayIconImage)));
  icon_.setToolTip(QString::fromLatin1(kTrayTip));
  connect(&icon_, &QSystemTrayIcon::activated, this, &TrayIcon::OnActivated);
  window_.installEventFilter(this);
}

TrayIcon::~TrayIcon() { SetTrayIcon(false); }

void TrayIcon::SetTrayIcon(bool add) {
  if (add && !shown_) {
    if (TrayCanTakeIcon()) icon_.show();
    shown_ = true;
    WatchRightDoubleClicks();
  } else if (!add && shown_) {
    icon_.hide();
    shown_ = false;
  }
}

// Qt reports only left double-clicks; on an X11 tray the icon is a widget of
// ours whose right double-clicks can be watched directly.
void TrayIcon::WatchRightDoubleClicks() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->objectName() == QLatin1String(kQtTrayWidgetName)) widget->installEventFilter(this);
  }
}

void TrayIcon::OnActivated(QSystemTrayIcon::ActivationReason reason) {
  // Only a double-click counts; single and context clicks do nothing.
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
  if (event->type() == QEvent::MouseButtonDblClick && watched->objectName() == QLatin1String(kQtTrayWidgetName) &&
      static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
    ToggleWindow();
    return true;
  }
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
