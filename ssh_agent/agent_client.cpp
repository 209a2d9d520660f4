#include "ssh_agent/agent_client.h"

#include <errno.h>
#include <poll.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "ssh_agent/ssh_wire.h"

namespace {

constexpr uint8_t kAgentFailure = 5;
constexpr uint8_t kAgentSuccess = 6;
constexpr uint8_t kRequestIdentities = 11;
constexpr uint8_t kIdentitiesAnswer = 12;
constexpr uint8_t kAddIdentity = 17;
constexpr uint8_t kRemoveIdentity = 18;
constexpr uint8_t kAddIdentityConstrained = 25;
constexpr uint8_t kConstrainLifetime = 1;
constexpr uint8_t kConstrainConfirm = 2;

// OpenSSH's own limit on an agent message.
constexpr uint32_t kMaxMessageSize = 256 * 1024;
// An agent that takes longer is taken for gone; confirmation is asked at
// use, never while a key is added.
constexpr int kAnswerTimeoutMs = 10000;

bool WaitFor(int socket, short events) {
  pollfd request{socket, events, 0};
  int ready;
  do {
    ready = poll(&request, 1, kAnswerTimeoutMs);
  } while (ready < 0 && errno == EINTR);
  return ready == 1;
}

bool SendAll(int socket, std::span<const uint8_t> bytes) {
  while (!bytes.empty()) {
    ssize_t sent = send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    bytes = bytes.subspan(static_cast<size_t>(sent));
  }
  return true;
}

bool ReceiveAll(int socket, uint8_t* out, size_t size) {
  while (size > 0) {
    if (!WaitFor(socket, POLLIN)) return false;
    ssize_t got = recv(socket, out, size, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    out += got;
    size -= static_cast<size_t>(got);
  }
  return true;
}

}  // namespace

const char* DescribeAgentResult(AgentResult result) {
  switch (result) {
    case AgentResult::kOk:
      return "done";
    case AgentResult::kNoAgent:
      return "no SSH agent is running (SSH_AUTH_SOCK names none)";
    case AgentResult::kRefused:
      return "the SSH agent refused it";
    case AgentResult::kGone:
      break;
  }
  return "the SSH agent stopped answering";
}

AgentClient::~AgentClient() { Close(); }

void AgentClient::Close() {
  if (socket_ >= 0) close(socket_);
  socket_ = -1;
}

std::string AgentClient::SocketFromEnvironment() {
  const char* path = getenv("SSH_AUTH_SOCK");
  return path != nullptr ? path : "";
}

AgentResult AgentClient::Connect(const std::string& socketPath) {
  Close();
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (socketPath.empty() || socketPath.size() >= sizeof address.sun_path) return AgentResult::kNoAgent;
  memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
  socket_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (socket_ < 0) return AgentResult::kNoAgent;
  if (connect(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    Close();
    return AgentResult::kNoAgent;
  }
  return AgentResult::kOk;
}

AgentResult AgentClient::Exchange(std::span<const uint8_t> request, WipingBytes* answer) {
  if (socket_ < 0) return AgentResult::kNoAgent;
  WipingBytes framed;
  framed.reserve(4 + request.size());
  PutString(framed, request);
  uint8_t header[4];
  uint32_t size = 0;
  bool ok = SendAll(socket_, framed) && ReceiveAll(socket_, header, sizeof header) &&
            WireReader(header).ReadU32(&size) && size > 0 && size <= kMaxMessageSize;
  if (ok) {
    answer->assign(size, 0);
    ok = ReceiveAll(socket_, answer->data(), size);
  }
  if (ok) return AgentResult::kOk;
  Close();
  return AgentResult::kGone;
}

AgentResult AgentClient::ExpectSuccess(std::span<const uint8_t> request) {
  WipingBytes answer;
  AgentResult result = Exchange(request, &answer);
  if (result != AgentResult::kOk) return result;
  if (answer.size() == 1 && answer[0] == kAgentSuccess) return AgentResult::kOk;
  // Some agents answer an unknown request with another failure code.
  return AgentResult::kRefused;
}

AgentResult AgentClient::Add(const SshPrivateKey& key, const AgentConstraints& constraints) {
  bool constrained = constraints.lifetimeSeconds != 0 || constraints.confirm;
  WipingBytes request;
  PutByte(request, constrained ? kAddIdentityConstrained : kAddIdentity);
  PutString(request, key.type);
  request.insert(request.end(), key.fields.begin(), key.fields.end());
  PutString(request, key.comment);
  if (constraints.lifetimeSeconds != 0) {
    PutByte(request, kConstrainLifetime);
    PutU32(request, constraints.lifetimeSeconds);
  }
  if (constraints.confirm) PutByte(request, kConstrainConfirm);
  return ExpectSuccess(request);
}

AgentResult AgentClient::Remove(std::span<const uint8_t> publicBlob) {
  WipingBytes request;
  PutByte(request, kRemoveIdentity);
  PutString(request, publicBlob);
  return ExpectSuccess(request);
}

AgentResult AgentClient::List(std::vector<AgentIdentity>* identities) {
  const uint8_t request[] = {kRequestIdentities};
  WipingBytes answer;
  AgentResult result = Exchange(request, &answer);
  if (result != AgentResult::kOk) return result;
  WireReader reader(answer);
  uint8_t kind = 0;
  uint32_t count = 0;
  if (!reader.ReadByte(&kind)) return AgentResult::kGone;
  if (kind == kAgentFailure) return AgentResult::kRefused;
  if (kind != kIdentitiesAnswer || !reader.ReadU32(&count)) return AgentResult::kGone;
  identities->clear();
  for (uint32_t i = 0; i < count; ++i) {
    std::span<const uint8_t> blob;
    std::string_view comment;
    if (!reader.ReadString(&blob) || !reader.ReadString(&comment)) return AgentResult::kGone;
    identities->push_back({{blob.begin(), blob.end()}, std::string(comment)});
  }
  return AgentResult::kOk;
}
