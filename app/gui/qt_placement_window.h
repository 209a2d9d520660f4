#pragma once

#include "settings/placement_window.h"

class QWidget;

// Window placement over a Qt top-level window. The normal rectangle is the
// frame's top-left corner with the client area's size, so that saving and
// restoring give back the same window whatever the decorations measure.
class QtPlacementWindow : public WPlacementWindow {
 public:
  explicit QtPlacementWindow(QWidget& window) : window_(window) {}

  bool GetNormalRect(WRect* rect) override;
  void SetNormalRect(int x, int y, int width, int height) override;
  bool GetMonitorRects(std::vector<WRect>* monitors) override;
  bool GetWorkArea(WRect* workArea) override;
  bool PositionKnown() override;

 private:
  QWidget& window_;
};
