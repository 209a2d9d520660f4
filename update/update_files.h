#pragma once

#include <cstddef>
#include <string>

// Where the update's files live: on the update server and in the private
// per-user temporary directory.

inline constexpr int kUpdateProduct = 10;
inline constexpr size_t kUpdatePathSize = 260;

inline constexpr const char* kUpdateServerHost = "updates.tarnwell.com";
inline constexpr const char* kSignatureExtension = ".sig";
inline constexpr const char* kInstallerExtension = ".exe";
inline constexpr const char* kNewSignatureName = "newupdate.sig";
inline constexpr const char* kNewInstallerName = "newupdate.exe";
inline constexpr const char* kCurrentSignatureName = "current.sig";

// "downloads/update<product>[qa]<extension>".
std::string BuildServerPath(int product, bool qa, const char* extension);

// The private temporary directory followed by name, in a buffer of
// kUpdatePathSize bytes. False when the directory is unusable (not private
// to this user) or the path does not fit.
bool MakeLocalPath(char* buffer, const char* name);
