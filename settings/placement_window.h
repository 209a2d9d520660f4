#pragma once

#include <vector>

// A rectangle in desktop pixels; right and bottom are exclusive.
struct WRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  bool operator==(const WRect&) const = default;
};

// What window placement needs from a top-level window and the desktop it
// lives on. The GUI layer implements it over its window system.
class WPlacementWindow {
 public:
  virtual ~WPlacementWindow() = default;

  // The window's normal (restored) rectangle, also while it is minimised
  // or maximised. False when it cannot be queried.
  virtual bool GetNormalRect(WRect* rect) = 0;
  // Moves and sizes the window's normal rectangle.
  virtual void SetNormalRect(int x, int y, int width, int height) = 0;
  // The rectangle of every monitor. False when they cannot be listed.
  virtual bool GetMonitorRects(std::vector<WRect>* monitors) = 0;
  // The primary monitor's work area. False when it is not known.
  virtual bool GetWorkArea(WRect* workArea) = 0;
  // False where the window system never tells a client where its window is
  // (Wayland): only the size is then saved and restored, and the position
  // saved under another window system is kept for it.
  virtual bool PositionKnown() = 0;
};
