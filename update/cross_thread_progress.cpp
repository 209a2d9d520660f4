#include "update/cross_thread_progress.h"

CrossThreadProgress::CrossThreadProgress(UpdateProgress& dialog, UpdateView& view)
    : shared_(std::make_shared<Shared>()), view_(view) {
  shared_->dialog = &dialog;
}

CrossThreadProgress::~CrossThreadProgress() { Stop(); }

bool CrossThreadProgress::SetProgress(uint32_t position, uint32_t range) {
  std::unique_lock<std::mutex> lock(shared_->mutex);
  if (shared_->cancelled || shared_->stopped) return true;
  const uint64_t ticket = ++shared_->asked;
  lock.unlock();

  // The delivery holds the shared state, not this object: it may run after
  // the download has ended, and then does nothing.
  view_.PostToInterfaceThread([shared = shared_, position, range] {
    std::unique_lock<std::mutex> lock(shared->mutex);
    if (shared->stopped) return;
    UpdateProgress* dialog = shared->dialog;
    lock.unlock();
    // Not under the lock: the dialog dispatches events, which may run anything.
    const bool cancelled = dialog->SetProgress(position, range);
    lock.lock();
    shared->cancelled = shared->cancelled || cancelled;
    ++shared->answers;
    shared->answered.notify_all();
  });

  lock.lock();
  shared_->answered.wait(lock, [&] { return shared_->answers >= ticket || shared_->stopped; });
  return shared_->cancelled || shared_->stopped;
}

bool CrossThreadProgress::PumpMessages() {
  const std::lock_guard<std::mutex> lock(shared_->mutex);
  return shared_->cancelled || shared_->stopped;
}

void CrossThreadProgress::Stop() {
  const std::lock_guard<std::mutex> lock(shared_->mutex);
  shared_->stopped = true;
  shared_->answered.notify_all();
}
