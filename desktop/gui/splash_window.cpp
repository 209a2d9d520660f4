#include "desktop/gui/splash_window.h"

#include <QCloseEvent>
#include <QPainter>

#include "desktop/gui/wbmp.h"

SplashWindow::SplashWindow(const WBmp& picture)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint), picture_(picture) {
  setWindowTitle(QString());
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void SplashWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  picture_.Draw(painter, 0, 0, 0, 0, 0, 0);
}

void SplashWindow::closeEvent(QCloseEvent* event) { event->ignore(); }
