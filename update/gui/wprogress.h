#pragma once

#include <QDialog>
#include <QPointer>

#include <cstdint>
#include <functional>

#include "platform/tick_count.h"
#include "update/update_progress.h"

class QLabel;
class QProgressBar;
class QWidget;

// The modeless "Downloading Software Update...." dialog. While it is shown
// its owner is disabled; redraws and event dispatch are throttled to one per
// 175 ms except for a final report (position equal to range). Cancel sets the
// cancelled flag at once, closes the dialog and enables the owner again.
class WProgress : public UpdateProgress {
 public:
  using TickSource = std::function<uint32_t()>;

  // ticks: milliseconds of a monotonic clock, low 32 bits.
  explicit WProgress(TickSource ticks = TickCount);
  ~WProgress() override;
  WProgress(const WProgress&) = delete;
  WProgress& operator=(const WProgress&) = delete;

  // owner is the QWidget to disable, or null.
  bool Create(OwnerWindow owner, uint32_t range) override;
  bool SetProgress(uint32_t position, uint32_t range) override;
  bool PumpMessages() override;
  void Close() override;
  void Redraw();

  QDialog* Dialog() const { return dialog_; }

 private:
  void OnCancel();

  TickSource ticks_;
  QPointer<QDialog> dialog_;
  QPointer<QWidget> owner_;
  QLabel* text_ = nullptr;
  QProgressBar* bar_ = nullptr;
  bool cancelled_ = false;
  uint32_t position_ = 100;
  uint32_t range_ = 100;
  uint32_t lastRedraw_ = 0;
};
