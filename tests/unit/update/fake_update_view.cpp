#include "tests/unit/update/fake_update_view.h"

#include <thread>

int FakeUpdateView::ShowMessageBox(OwnerWindow, const char* text, const char* caption, unsigned style) {
  boxes.push_back({text, caption, style});
  return (style & kMbButtonMask) == kMbYesNo ? yesNoAnswer : kIdOk;
}

bool FakeUpdateView::RunOptionDialog(OwnerWindow, int& choice) {
  optionDialogOpenedWith.push_back(choice);
  if (!optionDialogAccepts) return false;
  choice = optionDialogChoice;
  return true;
}

std::unique_ptr<UpdateProgress> FakeUpdateView::MakeProgress() {
  return std::make_unique<RecordingProgress>(cancelDownloadAtReport);
}

void FakeUpdateView::RunOffInterfaceThread(const std::function<void()>& work, const std::function<void()>&) {
  std::unique_lock<std::mutex> lock(mutex_);
  workDone_ = false;
  lock.unlock();
  std::thread worker([&] {
    work();
    const std::lock_guard<std::mutex> done(mutex_);
    workDone_ = true;
    posted_.notify_all();
  });
  lock.lock();
  for (;;) {
    posted_.wait(lock, [this] { return workDone_ || !calls_.empty(); });
    if (calls_.empty()) break;
    std::function<void()> call = std::move(calls_.front());
    calls_.pop_front();
    lock.unlock();
    call();
    lock.lock();
  }
  lock.unlock();
  worker.join();
}

void FakeUpdateView::PostToInterfaceThread(std::function<void()> call) {
  const std::lock_guard<std::mutex> lock(mutex_);
  calls_.push_back(std::move(call));
  posted_.notify_all();
}
