#include "update/checked_installer.h"

#include <unistd.h>

CheckedInstaller::~CheckedInstaller() { Adopt(-1); }

void CheckedInstaller::Adopt(int fd) {
  if (fd_ >= 0) close(fd_);
  fd_ = fd;
}
