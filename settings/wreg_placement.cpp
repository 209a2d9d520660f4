#include <cstdio>
#include <cstring>

#include "settings/column_view.h"
#include "settings/placement_window.h"
#include "settings/wreg.h"

namespace {

// Setting names are formed in buffers of this size; base names are limited
// so that every suffix fits.
constexpr size_t kNameSize = 100;
constexpr size_t kMaxPlacementBaseName = 93;
constexpr size_t kMaxColumnBaseName = 79;
// A restored corner this close to a monitor's right or bottom edge counts
// as off that monitor.
constexpr int kVisibleMargin = 20;
constexpr int kMinWindowSize = 20;
constexpr int kMinColumnWidth = 10;
// Column widths travel in 16 bits; a larger stored width must not wrap
// round to a tiny or hidden column.
constexpr int kMaxColumnWidth = 0xFFFF;

bool BaseNameFits(const char* baseName, size_t limit) { return baseName != nullptr && std::strlen(baseName) <= limit; }

bool CornerOnMonitor(const WRect& monitor, int x, int y) {
  return x < monitor.right - kVisibleMargin && x >= monitor.left && y < monitor.bottom - kVisibleMargin &&
         y >= monitor.top;
}

// Moves a corner that would leave the window out of sight to (0, 0).
void KeepCornerVisible(WPlacementWindow& window, int* x, int* y) {
  std::vector<WRect> monitors;
  if (window.GetMonitorRects(&monitors)) {
    for (const WRect& monitor : monitors) {
      if (CornerOnMonitor(monitor, *x, *y)) return;
    }
    *x = 0;
    *y = 0;
    return;
  }
  WRect workArea;
  if (!window.GetWorkArea(&workArea)) return;
  if (*x > workArea.right - kVisibleMargin) *x = 0;
  if (*y > workArea.bottom - kVisibleMargin) *y = 0;
}

// Calls visit(column, current width, setting name) for each column up to the
// first one the view does not have (width 0).
template <typename Visit>
void ForEachColumn(const char* baseName, WColumnView& view, int columnCount, Visit visit) {
  if (!BaseNameFits(baseName, kMaxColumnBaseName)) return;
  char name[kNameSize];
  for (int column = 0; column < columnCount; ++column) {
    int width = view.GetColumnWidth(column);
    if (width == 0) return;
    std::snprintf(name, sizeof name, "%s_col%d", baseName, column);
    visit(column, width, name);
  }
}

}  // namespace

void WReg::RestoreWindowPlacement(const char* baseName, WPlacementWindow& window) {
  if (!BaseNameFits(baseName, kMaxPlacementBaseName)) return;
  WRect normal;
  if (!window.GetNormalRect(&normal)) return;
  int x = normal.left;
  int y = normal.top;
  int width = normal.right - normal.left;
  int height = normal.bottom - normal.top;

  char name[kNameSize];
  if (window.PositionKnown()) {
    std::snprintf(name, sizeof name, "%s_x", baseName);
    GetSettingInt(name, &x, x);
    std::snprintf(name, sizeof name, "%s_y", baseName);
    GetSettingInt(name, &y, y);
    if (x < 0) x = 0;
    if (y < 0) y = 0;
    KeepCornerVisible(window, &x, &y);
  }

  std::snprintf(name, sizeof name, "%s_dx", baseName);
  GetSettingInt(name, &width, width);
  std::snprintf(name, sizeof name, "%s_dy", baseName);
  GetSettingInt(name, &height, height);
  if (width < kMinWindowSize) width = kMinWindowSize;
  if (height < kMinWindowSize) height = kMinWindowSize;
  window.SetNormalRect(x, y, width, height);
}

void WReg::SaveWindowPlacement(const char* baseName, WPlacementWindow& window) {
  WRect normal;
  if (!window.GetNormalRect(&normal)) return;
  if (!BaseNameFits(baseName, kMaxPlacementBaseName)) return;
  char name[kNameSize];
  if (window.PositionKnown()) {
    std::snprintf(name, sizeof name, "%s_x", baseName);
    SetSettingInt(name, normal.left);
    std::snprintf(name, sizeof name, "%s_y", baseName);
    SetSettingInt(name, normal.top);
  }
  std::snprintf(name, sizeof name, "%s_dx", baseName);
  SetSettingInt(name, normal.right - normal.left);
  std::snprintf(name, sizeof name, "%s_dy", baseName);
  SetSettingInt(name, normal.bottom - normal.top);
}

void WReg::RestoreColumnWidths(const char* baseName, WColumnView& view, int columnCount) {
  ForEachColumn(baseName, view, columnCount, [&](int column, int width, const char* name) {
    GetSettingInt(name, &width, width);
    if (width < kMinColumnWidth) width = kMinColumnWidth;
    if (width > kMaxColumnWidth) width = kMaxColumnWidth;
    view.SetColumnWidth(column, width);
  });
}

void WReg::SaveColumnWidths(const char* baseName, WColumnView& view, int columnCount) {
  ForEachColumn(baseName, view, columnCount, [&](int, int width, const char* name) { SetSettingInt(name, width); });
}
