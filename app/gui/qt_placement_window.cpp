#include "app/gui/qt_placement_window.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

WRect ToWRect(const QRect& rect) {
  return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

}  // namespace

bool QtPlacementWindow::GetNormalRect(WRect* rect) {
  const Qt::WindowStates state = window_.windowState();
  QRect client = window_.geometry();
  if ((state & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) &&
      window_.normalGeometry().isValid()) {
    client = window_.normalGeometry();
  }
  // The frame offset is the same in every state; it is 0 before the first show.
  const QPoint frameOffset = window_.geometry().topLeft() - window_.frameGeometry().topLeft();
  *rect = ToWRect(QRect(client.topLeft() - frameOffset, client.size()));
  return true;
}

void QtPlacementWindow::SetNormalRect(int x, int y, int width, int height) {
  window_.move(x, y);
  window_.resize(width, height);
}

bool QtPlacementWindow::GetMonitorRects(std::vector<WRect>* monitors) {
  const QList<QScreen*> screens = QGuiApplication::screens();
  if (screens.isEmpty()) {
    return false;
  }
  monitors->clear();
  for (const QScreen* screen : screens) {
    monitors->push_back(ToWRect(screen->geometry()));
  }
  return true;
}

bool QtPlacementWindow::GetWorkArea(WRect* workArea) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) {
    return false;
  }
  *workArea = ToWRect(screen->availableGeometry());
  return true;
}

// A Wayland client is never told where its window is, nor may it say where.
bool QtPlacementWindow::PositionKnown() {
  return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}
