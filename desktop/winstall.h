#pragma once

// Run at startup: an XDG autostart entry for the running executable.
// The entry's presence is the "Run at Startup" setting; nothing else is stored.

// Folder numbers accepted by GetSpecialFolderPath.
constexpr int kCsidlStartup = 7;

// Paths built here fit in buffers of this many bytes, terminator included.
constexpr int kStartupPathCapacity = 260;

constexpr const char* kStartupShortcutName = "Quillbox.desktop";

// Puts the folder's path into buffer (kStartupPathCapacity bytes).
// 0 on success, 1 when the folder cannot be named or does not fit.
int GetSpecialFolderPath(int folder, char* buffer);

// The user's autostart folder; on failure buffer is empty. There is no
// fallback: the system-wide folder belongs to the administrator and every
// user, and is neither this user's setting nor this user's to change.
// Returns GetSpecialFolderPath's result.
int GetStartupFolderPath(char* buffer);

// Removes one trailing path separator, if there is one.
void StripTrailingBackslash(char* text);

// True when buffer (kStartupPathCapacity bytes) holds the autostart entry's
// path; false without a user autostart folder.
bool GetStartupShortcutPath(char* buffer);

// Writes an autostart entry at link that starts program. Both are required.
void CreateShortcut(const char* link, const char* program);

// True when the autostart entry's path can be built and opened for reading.
bool StartupShortcutExists();

// Creates (on) or deletes (off) the autostart entry for the running
// executable. Failures are silent, as the menu tick follows the click anyway.
void ApplyRunAtStartup(bool on);
