#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "update/update_progress.h"

// A progress dialog that records what it is told and cancels on request.
class RecordingProgress : public UpdateProgress {
 public:
  // Cancel at the given report (1-based); 0 never.
  explicit RecordingProgress(size_t cancelAtReport = 0) : cancelAtReport_(cancelAtReport) {}

  bool Create(OwnerWindow owner, uint32_t range) override;
  bool SetProgress(uint32_t position, uint32_t range) override;
  bool PumpMessages() override { return cancelled; }
  void Close() override;

  std::vector<std::pair<uint32_t, uint32_t>> reports;
  bool created = false;
  bool closed = false;
  bool cancelled = false;

 private:
  size_t cancelAtReport_;
};
