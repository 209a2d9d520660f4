#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "update/update_progress.h"

// A progress dialog that records what it is told and cancels on request.
class RecordingProgress : public UpdateProgress {
 public:
  // Cancel at the given report (1-based); 0 never.
  explicit RecordingProgress(size_t cancelAtReport = 0) : cancelAtReport_(cancelAtReport) {}

  bool Create(OwnerWindow, uint32_t) override {
    created = true;
    cancelled = false;
    return false;
  }
  bool SetProgress(uint32_t position, uint32_t range) override {
    reports.emplace_back(position, range);
    if (cancelAtReport_ != 0 && reports.size() >= cancelAtReport_) cancelled = true;
    return cancelled;
  }
  bool PumpMessages() override { return cancelled; }
  void Close() override {
    closed = true;
    cancelled = true;
  }

  std::vector<std::pair<uint32_t, uint32_t>> reports;
  bool created = false;
  bool closed = false;
  bool cancelled = false;

 private:
  size_t cancelAtReport_;
};
