#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "app/clipboard_keeper.h"
#include "platform/x11/x11_clipboard.h"

// The desktop clipboard from a terminal. On Wayland through wl-copy, which
// runs in the foreground and serves the copy until another program takes
// the clipboard, when it ends by itself: the copy is still ours exactly
// while it runs, and ending it clears it. On X11 quillbox-cli owns the
// selection itself, which lets the copy carry the password-manager hint;
// xclip serves when no clearing is waited for (the copy then outlives us).
class ToolClipboard final : public ClipboardPort {
 public:
  // Picks the way for this session; false (with nothing started) when the
  // session has no display or the tool is not installed.
  bool Choose(bool waitForClearing);
  const char* ToolName() const { return ownX11_ ? "the X server" : tool_.empty() ? "" : tool_[0].c_str(); }
  // Whether the copy carries the password-manager hint.
  bool CarriesHint() const { return carriesHint_; }

  ~ToolClipboard() override;

  bool PutSecret(const char* text) override;
  bool Holds(const char* text) override;
  void Clear() override;

 private:
  std::vector<std::string> tool_;
  X11Clipboard x11_;
  bool ownX11_ = false;
  bool carriesHint_ = false;
  pid_t child_ = -1;
};
