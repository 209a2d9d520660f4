#pragma once

#include "safe/entry_field_rules.h"

// Texts the log-in and entry operations show, written once here so that the
// dialogs, quillbox-cli and the tests all use the same words.
inline constexpr char kErrorCaption[] = "ERROR";
inline constexpr char kInvalidUserNameCaption[] = "Invalid User Name";
inline constexpr char kInvalidUserNameMessage[] = "Must use only a-z, A-Z and 0-9 for user name";
inline constexpr char kUserNotFoundMessage[] =
    "User name could not be found.\r\nPlease re-check user name or create a new user.";
inline constexpr char kLogInFailedMessage[] = "User could not be logged on.\r\nPlease re-check password";
inline constexpr char kDamagedSafeMessage[] = "User could not be logged on.\r\nThe safe file is damaged";
inline constexpr char kSafeInUseMessage[] = "This safe is being saved by another program.\r\nPlease try again.";
inline constexpr char kDeleteUserQuestion[] = "Are you sure you want to delete this user?";
inline constexpr char kReplaceSafePasswordPrompt[] = "Enter the password of this user's safe to replace it:";
inline constexpr char kReplaceSafeRefusedMessage[] =
    "The password does not open this user's safe.\r\nThe safe was not replaced.";
inline constexpr char kEmptyPasswordMessage[] = "You must enter a password";
inline constexpr char kPasswordMismatchMessage[] = "Passwords do not match";
inline constexpr char kEmptyFilePasswordMessage[] = "An empty password needs a key file.";
// Safes count bytes; the edit fields count characters, and a character
// beyond plain ASCII takes two to four bytes in UTF-8.
inline constexpr char kPasswordTooLongMessage[] =
    "Passwords cannot be longer than 259 bytes; a letter outside plain ASCII takes 2 to 4 of them.";
inline constexpr char kOldPasswordIncorrectMessage[] = "Old password incorrect. Please re-rcheck password";
inline constexpr char kDeleteEntriesQuestion[] = "Are you sure you want to delete the selected items?";
inline constexpr char kDeleteEntriesCaption[] = "PERMANENT DELETE";

// Notes on changes made elsewhere: another program, or another computer
// through a sync program.
inline constexpr char kSafeReloadedNote[] = "The safe was changed on disk; the list shows the new version.";
inline constexpr char kChangeMergedNote[] =
    "The safe had been changed on disk; your change was saved into the new version.";
inline constexpr char kEditAddedAsNewNote[] =
    "The entry you edited had been changed or deleted elsewhere; your edit was added as a new entry.";
inline constexpr char kOlderSafeMergedNote[] =
    "The safe on disk was older than the newest this computer had seen; the changes made since were merged back in.";
inline constexpr char kOlderSafeNotMergedNote[] =
    "The safe on disk is older than the newest this computer has seen, which no longer opens with this password; "
    "changes made since may be missing.";
inline constexpr char kSafeNoLongerOpensNote[] =
    "The safe was changed on disk and no longer opens with your password; please log in again.";
inline constexpr char kUpgradeSafeCaption[] = "Upgrade Safe Encryption";
inline constexpr char kUpgradeSafeQuestion[] =
    "Re-encrypt this safe with Argon2id and XChaCha20-Poly1305?\r\n\r\n"
    "A stolen copy of the upgraded safe resists password guessing far better. "
    "Older copies of Quillbox cannot open the upgraded safe, so upgrade only when "
    "every computer that opens it runs this version or a later one.";
inline constexpr char kUpgradeSafeFailedMessage[] =
    "The safe could not be upgraded.\r\nIt keeps its previous encryption.";

// A save that did not reach the file: the change stays in the list and is
// saved by the next save that succeeds. "%s" is "<safe path>: <reason>".
inline constexpr char kSaveFailedCaption[] = "Not Saved";
inline constexpr char kSaveFailedMessage[] =
    "Your change could not be saved to the safe\r\n%s\r\n\r\n"
    "It stays in the list, and Quillbox saves it as soon as the safe can be written again.";
inline constexpr char kUnsavedChangesNote[] = "Not saved yet (%s); your changes are kept and tried again.";
inline constexpr char kUnsavedChangesSavedNote[] = "Your unsaved changes are saved now.";
inline constexpr char kUnsavedChangesCaption[] = "Unsaved Changes";
inline constexpr char kUnsavedChangesQuestion[] =
    "%zu change(s) could not be saved to the safe\r\n%s\r\n\r\n"
    "Retry to save them again, Discard to drop them, or Cancel to go back to them.";
inline constexpr char kHeldChangesQuestion[] =
    "%zu change(s) made before the safe was locked are not saved yet; "
    "they are saved when you log in to that safe again.\r\n\r\n"
    "Discard to drop them, or Cancel to go back and log in.";
// The safe's password was changed elsewhere while changes were held for it.
inline constexpr char kHeldChangesOldPasswordPrompt[] =
    "Changes made before the lock are kept under this safe's old password. Enter it to save them.";
inline constexpr char kHeldChangesOldPasswordRefused[] =
    "That is not the safe's old password.\r\nThe changes stay kept until you log in again.";
inline constexpr char kNewPasswordNotSavedMessage[] =
    "The new password could not be saved to the safe\r\n%s\r\n\r\nThe safe keeps its old password.";
inline constexpr char kNewUserNotSavedMessage[] = "The new user's safe could not be created\r\n%s";
// Reasons for a failed save, after the safe's path.
inline constexpr char kSafeBusyReason[] = "another program is saving it";
inline constexpr char kSafeChangedReason[] = "the file was changed elsewhere and no longer opens with your password";
inline constexpr char kSafeNotWrittenReason[] = "the file could not be written";
// After a conflict copy's file name.
inline constexpr char kCostlyCopyNote[] =
    " asks for a slower key derivation than this safe's own and was left alone; merge it by hand if you trust it.";

// Status-bar notes of the window's commands.
inline constexpr char kPasswordChangedNote[] = "The safe's password was changed.";
inline constexpr char kSafeUpgradedNote[] = "The safe was upgraded to Argon2id and XChaCha20-Poly1305.";
inline constexpr char kSelectOneEntryNote[] = "Select one entry to copy from it.";

// Safe Folder: the last user's safe moves along only when asked to.
inline constexpr char kMoveSafeQuestion[] = "Move this user's safe to the new safe folder?";
inline constexpr char kSafeFolderHoldsSafeMessage[] =
    "The new safe folder already holds a safe of this name.\r\nThe old one stays where it was.";
inline constexpr char kMoveSafeFailedMessage[] = "The safe could not be moved to the new safe folder.\r\n";
inline constexpr char kSafeFolderLabel[] = "Safe folder: ";
