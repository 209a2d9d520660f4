#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "secret_service/bus_value.h"

// The D-Bus names of the Secret Service.
inline constexpr char kSecretsBusName[] = "org.freedesktop.secrets";
inline constexpr char kServiceInterface[] = "org.freedesktop.Secret.Service";
inline constexpr char kCollectionInterface[] = "org.freedesktop.Secret.Collection";
inline constexpr char kItemInterface[] = "org.freedesktop.Secret.Item";
inline constexpr char kSessionInterface[] = "org.freedesktop.Secret.Session";
inline constexpr char kPromptInterface[] = "org.freedesktop.Secret.Prompt";
inline constexpr char kPropertiesInterface[] = "org.freedesktop.DBus.Properties";
inline constexpr char kIntrospectableInterface[] = "org.freedesktop.DBus.Introspectable";

inline constexpr char kIsLockedError[] = "org.freedesktop.Secret.Error.IsLocked";
inline constexpr char kNoSessionError[] = "org.freedesktop.Secret.Error.NoSession";
inline constexpr char kNoSuchObjectError[] = "org.freedesktop.Secret.Error.NoSuchObject";
inline constexpr char kInvalidArgsError[] = "org.freedesktop.DBus.Error.InvalidArgs";
inline constexpr char kUnknownMethodError[] = "org.freedesktop.DBus.Error.UnknownMethod";
inline constexpr char kUnknownPropertyError[] = "org.freedesktop.DBus.Error.UnknownProperty";
inline constexpr char kNotSupportedError[] = "org.freedesktop.DBus.Error.NotSupported";
inline constexpr char kAccessDeniedError[] = "org.freedesktop.DBus.Error.AccessDenied";
inline constexpr char kFailedError[] = "org.freedesktop.DBus.Error.Failed";
inline constexpr char kLimitsExceededError[] = "org.freedesktop.DBus.Error.LimitsExceeded";

// The protocol's way out to the bus. Every call gets exactly one Reply or
// Fail, at once or later.
class SecretBus {
 public:
  virtual ~SecretBus() = default;
  virtual void Reply(const BusCall& call, std::vector<BusValue> arguments) = 0;
  virtual void Fail(const BusCall& call, const char* error, const std::string& text) = 0;
  virtual void Emit(const std::string& path, const char* interface, const char* name,
                    std::vector<BusValue> arguments) = 0;
  // The process that opened the client's connection; 0 when the bus does not say.
  virtual pid_t ClientPid(const std::string& client) = 0;
  // When the client leaves, the protocol's ForgetClient is called.
  virtual void WatchClient(const std::string& client) = 0;
};
