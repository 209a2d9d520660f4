#pragma once

// The checks a new password passes in every place one is set (the create-
// user and "Set New Password" dialogs, quillbox-cli): not empty, the same as
// its confirmation, and short enough for the safe, which counts bytes.
// Null when it passes, else the message to show.
const char* CheckNewPassword(const char* password, const char* confirmation);

// The new password of a file another program opens (a KeePass database):
// the same as its confirmation, and empty only when a key file locks the
// file too. Its length is the other program's business.
const char* CheckNewFilePassword(const char* password, const char* confirmation, bool with_key_file);
