#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "app/clipboard_keeper.h"

// The desktop clipboard from a terminal, through the session's own tool:
// wl-copy on Wayland, xclip on X11. The tool runs in the foreground and
// serves the copy until another program takes the clipboard, when it ends
// by itself; so the copy is still ours exactly while the tool runs, and
// ending the tool clears it. With "Wait" off (copies kept for ever) the tool
// is left to serve on its own.
class ToolClipboard final : public ClipboardPort {
 public:
  // Picks the tool for this session; false (with nothing started) when the
  // session has no display or the tool is not installed.
  bool Choose(bool waitForClearing);
  const char* ToolName() const { return tool_.empty() ? "" : tool_[0].c_str(); }
  // Whether the copy carries the password-manager hint.
  bool CarriesHint() const { return carriesHint_; }

  ~ToolClipboard() override;

  bool PutSecret(const char* text) override;
  bool Holds(const char* text) override;
  void Clear() override;

 private:
  std::vector<std::string> tool_;
  bool carriesHint_ = false;
  pid_t child_ = -1;
};
