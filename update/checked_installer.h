#pragma once

// The downloaded installer whose digest matched the accepted signature file,
// held open: the file started is the very file that was checked, whatever
// is put under its name meanwhile.
class CheckedInstaller {
 public:
  CheckedInstaller() = default;
  ~CheckedInstaller();
  CheckedInstaller(const CheckedInstaller&) = delete;
  CheckedInstaller& operator=(const CheckedInstaller&) = delete;

  bool IsOpen() const { return fd_ >= 0; }
  int Descriptor() const { return fd_; }
  // Takes over fd, closing the file held before.
  void Adopt(int fd);

 private:
  int fd_ = -1;
};
