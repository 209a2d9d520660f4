#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

#include "update/update_progress.h"
#include "update/update_view.h"

// The progress dialog as a fetch on another thread sees it. Each report is
// handed to the interface thread, which passes it to the real dialog, and
// the fetch waits for the answer: a Cancel there answers the very report that
// saw it, as if the fetch ran on the interface thread itself.
class CrossThreadProgress : public UpdateProgress {
 public:
  // dialog is shown already and lives until Stop.
  CrossThreadProgress(UpdateProgress& dialog, UpdateView& view);
  ~CrossThreadProgress() override;
  CrossThreadProgress(const CrossThreadProgress&) = delete;
  CrossThreadProgress& operator=(const CrossThreadProgress&) = delete;

  // Fetch side.
  bool SetProgress(uint32_t position, uint32_t range) override;
  bool PumpMessages() override;
  bool Create(OwnerWindow, uint32_t) override { return PumpMessages(); }
  void Close() override {}

  // Interface side: no report reaches the dialog any more, and every report
  // from now on answers "cancelled". Reports already handed over but not yet
  // delivered are dropped.
  void Stop();

 private:
  struct Shared {
    std::mutex mutex;
    std::condition_variable answered;
    UpdateProgress* dialog;
    uint64_t asked = 0;
    uint64_t answers = 0;
    bool cancelled = false;
    bool stopped = false;
  };

  std::shared_ptr<Shared> shared_;
  UpdateView& view_;
};
