#pragma once

// Menu and accelerator command ids of the main window (menu 111, accelerators 116).
inline constexpr int kCmdAbout = 40001;
inline constexpr int kCmdExit = 40002;
inline constexpr int kCmdSetPassword = 40003;
inline constexpr int kCmdLogIn = 40004;
inline constexpr int kCmdLogOut = 40006;
inline constexpr int kCmdAddEntry = 40007;
inline constexpr int kCmdDeleteEntries = 40008;
inline constexpr int kCmdEditEntry = 40009;
inline constexpr int kCmdDeleteKey = 40010;
inline constexpr int kCmdLogInKey = 40011;
inline constexpr int kCmdResideOnTaskbar = 40012;
inline constexpr int kCmdHideKey = 40013;
inline constexpr int kCmdHide = 40014;
inline constexpr int kCmdAddEntryKey = 40015;
inline constexpr int kCmdSelectAllKey = 40016;
inline constexpr int kCmdRunAtStartup = 40017;
inline constexpr int kCmdHelp = 40018;
inline constexpr int kCmdCheckForUpdates = 40019;
inline constexpr int kCmdUpgradeSafe = 40070;
inline constexpr int kCmdSafeFolder = 40040;

// Commands beyond the designed menu: clipboard, lock, generator, filter.
inline constexpr int kCmdCopyUserName = 40030;
inline constexpr int kCmdCopyPassword = 40031;
inline constexpr int kCmdGeneratePassword = 40032;
inline constexpr int kCmdLock = 40033;
inline constexpr int kCmdFocusFilter = 40034;
inline constexpr int kCmdCopyWebAddress = 40035;
inline constexpr int kCmdOpenWebAddress = 40036;
inline constexpr int kCmdCopyOneTimeCode = 40037;
inline constexpr int kCmdPerformAutoType = 40038;

// Passwords > "Password &Health..." and "Check Against a Breach List...".
inline constexpr int kCmdPasswordHealth = 40041;
inline constexpr int kCmdCheckBreachList = 40042;

// File > "&Import..." and "E&xport...".
inline constexpr int kCmdImport = 40050;
inline constexpr int kCmdExport = 40051;

// File > "&Settings...".
inline constexpr int kCmdSettings = 40043;

// File > Serve Entries Tagged "Secret Service" to Other Programs.
inline constexpr int kCmdSecretService = 40060;
