#include "secret_service/secrets_owner.h"

#include <dbus/dbus.h>

#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "secret_service/process_executable.h"

namespace {

constexpr char kSecretsName[] = "org.freedesktop.secrets";
constexpr int kCallTimeoutMs = 5000;

struct ConnectionClose {
  void operator()(DBusConnection* connection) const {
    dbus_connection_close(connection);
    dbus_connection_unref(connection);
  }
};
struct MessageUnref {
  void operator()(DBusMessage* message) const { dbus_message_unref(message); }
};
using Message = std::unique_ptr<DBusMessage, MessageUnref>;

// A call to the bus itself with the name as its one argument.
Message AskBus(DBusConnection* connection, const char* method, DBusError* error) {
  Message call(
      dbus_message_new_method_call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", method));
  const char* name = kSecretsName;
  if (call == nullptr || !dbus_message_append_args(call.get(), DBUS_TYPE_STRING, &name, DBUS_TYPE_INVALID)) {
    return nullptr;
  }
  return Message(dbus_connection_send_with_reply_and_block(connection, call.get(), kCallTimeoutMs, error));
}

// The session bus as a desktop names it; never libdbus's autolaunch,
// which would start a bus of its own.
std::string SessionBusAddress() {
  const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  if (address != nullptr && address[0] != '\0') return address;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime == nullptr || runtime[0] == '\0') return {};
  const std::string socket = std::string(runtime) + "/bus";
  return access(socket.c_str(), F_OK) == 0 ? "unix:path=" + socket : std::string();
}

}  // namespace

std::string SecretsOwnerText() {
  const std::string address = SessionBusAddress();
  if (address.empty()) return "not known (no session bus)";
  DBusError error;
  dbus_error_init(&error);
  // A private connection: closing it leaves nothing behind in the process.
  std::unique_ptr<DBusConnection, ConnectionClose> connection(dbus_connection_open_private(address.c_str(), &error));
  if (connection == nullptr || !dbus_bus_register(connection.get(), &error)) {
    dbus_error_free(&error);
    return "not known (no session bus)";
  }
  dbus_connection_set_exit_on_disconnect(connection.get(), FALSE);
  Message owner = AskBus(connection.get(), "GetNameOwner", &error);
  if (owner == nullptr) {
    const bool nobody = dbus_error_has_name(&error, DBUS_ERROR_NAME_HAS_NO_OWNER);
    dbus_error_free(&error);
    return nobody ? "nobody" : "not known (the bus did not answer)";
  }
  Message pid = AskBus(connection.get(), "GetConnectionUnixProcessID", &error);
  dbus_uint32_t number = 0;
  if (pid == nullptr || !dbus_message_get_args(pid.get(), &error, DBUS_TYPE_UINT32, &number, DBUS_TYPE_INVALID)) {
    dbus_error_free(&error);
    return "another program (its process is not known)";
  }
  std::string program = ProcessExecutable(static_cast<pid_t>(number));
  if (program.empty()) program = "another program";
  return program + " (process " + std::to_string(number) + ")";
}
