#pragma once

#include <cstdint>

#include "ui/message_box_view.h"

// The progress dialog as the download sees it. The Qt dialog implements it;
// tests drive the download without a display through fakes.
class UpdateProgress {
 public:
  virtual ~UpdateProgress() = default;

  // Shows the dialog over owner and disables owner. Returns the cancelled
  // flag after the first dispatch of waiting events.
  virtual bool Create(OwnerWindow owner, uint32_t range) = 0;
  // Reports position of range; returns true once the user cancelled.
  virtual bool SetProgress(uint32_t position, uint32_t range) = 0;
  // Dispatches waiting events; returns the cancelled flag.
  virtual bool PumpMessages() = 0;
  // Hides the dialog and enables the owner again; harmless twice.
  virtual void Close() = 0;
};
