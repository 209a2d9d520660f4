#pragma once

#include <functional>

#include "update/checked_installer.h"

// Starts the checked installer (the open "newupdate.exe", never a file
// looked up again by name) with the arguments "/silent" and "/sigfile="
// followed by the path of "newupdate.sig", then calls postQuit. On false the
// update error text says why the installer did not start.
bool RunUpdateInstaller(const CheckedInstaller& installer, const std::function<void()>& postQuit);

// Starts the open file installerFd as installerPath with those arguments.
// The start error in the designed numbering: 0 when started, 2 for a missing
// file, 5 for refused access, otherwise the system's own error number.
int StartInstaller(int installerFd, const char* installerPath, const char* signaturePath);
