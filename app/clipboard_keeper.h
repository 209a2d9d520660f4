#pragma once

#include <string>

#include "app/clock.h"
#include "settings/setting_catalogue.h"

// What the clipboard service needs of the desktop's clipboard.
class ClipboardPort {
 public:
  virtual ~ClipboardPort() = default;
  // Puts text on the clipboard, never on the primary selection, with the
  // hint that tells clipboard histories to keep it out.
  virtual bool PutSecret(const char* text) = 0;
  // Whether the clipboard holds exactly text now.
  virtual bool Holds(const char* text) = 0;
  virtual void Clear() = 0;
};

enum class CopiedField { kUserName, kPassword, kWebAddress, kOneTimeCode };

// The one way a secret reaches the clipboard. It remembers what it put
// there and, when the time is up or the safe closes, clears the clipboard,
// but only while that is still what it holds: whatever the user copied
// since is left alone.
class ClipboardKeeper {
 public:
  // What a tick or a clearing did, for the status line.
  enum class Outcome { kNone, kCountingDown, kCleared, kLeftAlone };

  ClipboardKeeper(ClipboardPort& port, const Clock& clock);
  ~ClipboardKeeper();
  ClipboardKeeper(const ClipboardKeeper&) = delete;
  ClipboardKeeper& operator=(const ClipboardKeeper&) = delete;

  // "Clipboard_Clear_Seconds": 0 keeps copies until the safe closes.
  void SetClearSeconds(int seconds);

  // validSeconds: how long a one-time code stays valid, for the status line.
  bool Copy(const char* text, CopiedField what, int validSeconds = 0);
  // About once a second: clears the clipboard once the time is up.
  Outcome Tick();
  // At log-out, lock and exit.
  Outcome ClearNow();

  bool IsHolding() const { return copied_ != nullptr; }
  // Whole seconds until the clearing, rounded up; -1 when none is due.
  int SecondsLeft() const;
  // The status line for the current state (empty when nothing is held).
  std::string StatusText() const;

 private:
  Outcome Release();

  ClipboardPort& port_;
  const Clock& clock_;
  int clearSeconds_ = 15;
  char* copied_ = nullptr;
  CopiedField what_ = CopiedField::kPassword;
  uint32_t copiedAtMs_ = 0;
  int validSeconds_ = 0;
};

inline constexpr char kClipboardClearedText[] = "Clipboard cleared.";
inline constexpr char kClipboardLeftAloneText[] = "The clipboard holds something else now; it was left as it is.";
