#include "tests/unit/update/recording_progress.h"

bool RecordingProgress::Create(OwnerWindow, uint32_t) {
  created = true;
  cancelled = false;
  return false;
}

bool RecordingProgress::SetProgress(uint32_t position, uint32_t range) {
  reports.emplace_back(position, range);
  if (cancelAtReport_ != 0 && reports.size() >= cancelAtReport_) cancelled = true;
  return cancelled;
}

void RecordingProgress::Close() {
  closed = true;
  cancelled = true;
}
