// The SSH agent's answers are the input, served over a real Unix socket to
// a list and a remove request. Nothing crashes or hangs; a list taken as
// good is exactly what the answer's start encodes, and a removal counts as
// done only for the one answer that says success.
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "ssh_agent/agent_client.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

struct Listener {
  std::string folder;
  std::string path;
  int socket = -1;
};

Listener Listen() {
  Listener made;
  char pattern[] = "/tmp/quillbox-fuzz-agent-XXXXXX";
  Require(mkdtemp(pattern) != nullptr);
  made.folder = pattern;
  made.path = made.folder + "/agent";
  made.socket = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  Require(made.socket >= 0 && made.path.size() < sizeof address.sun_path);
  made.path.copy(address.sun_path, made.path.size());
  Require(bind(made.socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
          listen(made.socket, 4) == 0);
  return made;
}

void RemoveFolder();

Listener& TheListener() {
  static Listener listener = Listen();
  // Registered once the listener is whole, so it runs before its destructor.
  [[maybe_unused]] static int removal = std::atexit(RemoveFolder);
  return listener;
}

void RemoveFolder() { std::filesystem::remove_all(TheListener().folder); }

// A client connected to an agent that has already said answer and will say
// nothing more; the agent's end, still reading, is returned to be closed.
int ConnectToAnswer(AgentClient* client, std::span<const uint8_t> answer) {
  Listener& listener = TheListener();
  Require(client->Connect(listener.path) == AgentResult::kOk);
  int agent = accept(listener.socket, nullptr, nullptr);
  Require(agent >= 0);
  Require(send(agent, answer.data(), answer.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(answer.size()));
  shutdown(agent, SHUT_WR);
  return agent;
}

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void PutString(std::vector<uint8_t>& out, std::span<const uint8_t> bytes) {
  PutU32(out, static_cast<uint32_t>(bytes.size()));
  out.insert(out.end(), bytes.begin(), bytes.end());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> answer(data, size);
  {
    AgentClient client;
    int agent = ConnectToAnswer(&client, answer);
    std::vector<AgentIdentity> identities;
    if (client.List(&identities) == AgentResult::kOk) {
      std::vector<uint8_t> encoded;
      encoded.push_back(12);  // SSH_AGENT_IDENTITIES_ANSWER
      PutU32(encoded, static_cast<uint32_t>(identities.size()));
      for (const AgentIdentity& identity : identities) {
        PutString(encoded, identity.publicBlob);
        PutString(encoded,
                  std::span(reinterpret_cast<const uint8_t*>(identity.comment.data()), identity.comment.size()));
      }
      Require(size >= 4 + encoded.size() && std::equal(encoded.begin(), encoded.end(), data + 4));
    }
    close(agent);
  }
  {
    AgentClient client;
    int agent = ConnectToAnswer(&client, answer);
    const uint8_t blob[] = {0, 0, 0, 7, 's', 's', 'h', '-', 'r', 's', 'a'};
    bool success = size >= 5 && data[0] == 0 && data[1] == 0 && data[2] == 0 && data[3] == 1 && data[4] == 6;
    Require((client.Remove(blob) == AgentResult::kOk) == success);
    close(agent);
  }
  return 0;
}
