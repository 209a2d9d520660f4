#pragma once

#include <string>

// Who serves org.freedesktop.secrets on the session bus, for
// `quillbox-cli settings`: "/usr/bin/gnome-keyring-daemon (process 812)",
// "nobody", or why it cannot be told.
std::string SecretsOwnerText();
