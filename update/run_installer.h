#pragma once

#include <functional>

// Starts "newupdate.exe" from the private temporary directory with the
// arguments "/silent" and "/sigfile=" followed by the path of
// "newupdate.sig", then calls postQuit. On false the update error text says
// why the installer did not start.
bool RunUpdateInstaller(const std::function<void()>& postQuit);

// The start error in the designed numbering: 0 when started, 2 for a missing
// file, 5 for refused access, otherwise the system's own error number.
int StartInstaller(const char* installerPath, const char* signaturePath);
