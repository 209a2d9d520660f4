#pragma once

#include "cli/cli_session.h"

// `quillbox-cli clip USER INDEX [--user-name]`: the entry's password (or
// user name) onto the desktop clipboard through the session's wl-copy or
// xclip, kept there for "Clipboard_Clear_Seconds" and then cleared if it is
// still ours, as the window does. Says what it did and ends when it cleared.
ExitStatus RunClip(CliSession& session);

// Also in the README, word for word.
inline constexpr char kNoClipboardMessage[] =
    "no clipboard: this needs an X11 display or wl-copy on Wayland (and xclip when Clipboard_Clear_Seconds is 0)";
