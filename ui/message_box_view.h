#pragma once

// The message-box seam: the model and the update driver ask their questions
// through it; the Qt layer shows a QMessageBox, tests answer it directly.
// Styles and answers keep the Windows values, so the designed calls read the same.

// The window a message box or dialog belongs to. The Qt layer passes its
// QWidget*; null means the main window.
using OwnerWindow = void*;

inline constexpr unsigned kMbOk = 0x00;
inline constexpr unsigned kMbOkCancel = 0x01;
inline constexpr unsigned kMbYesNo = 0x04;
// "Retry", "Discard" and "Cancel", for changes that could not be saved.
inline constexpr unsigned kMbRetryDiscardCancel = 0x06;
inline constexpr unsigned kMbIconError = 0x10;
inline constexpr unsigned kMbIconQuestion = 0x20;
inline constexpr unsigned kMbIconWarning = 0x30;
inline constexpr unsigned kMbIconInformation = 0x40;
inline constexpr unsigned kMbButtonMask = 0x0F;
inline constexpr unsigned kMbIconMask = 0xF0;
// The second button (No, Cancel) is the default one instead of the first.
inline constexpr unsigned kMbDefButton2 = 0x100;

inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdRetry = 4;
inline constexpr int kIdDiscard = 5;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

class MessageBoxView {
 public:
  virtual ~MessageBoxView() = default;

  // Shows text with caption, buttons and icon from style (kMb* values) and
  // returns the button pressed (kId* values); closing the box without a
  // button gives kIdCancel, or kIdNo for a Yes/No box.
  virtual int ShowMessageBox(OwnerWindow owner, const char* text, const char* caption, unsigned style) = 0;
};
