#pragma once

#include <QWidget>

class WBmp;

// The borderless splash window: white, showing one picture at its top-left
// corner. It cannot be closed by the user; ShowSplash destroys it.
class SplashWindow : public QWidget {
 public:
  explicit SplashWindow(const WBmp& picture);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  const WBmp& picture_;
};
