#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "secret_service/secret_session.h"

// The sessions and prompts clients open, numbered from one counter, each
// belonging to the connection that opened it: another connection can
// neither use nor close nor answer it, and all of a connection's go when
// it leaves. Each connection holds a bounded number of either.
class ClientObjects {
 public:
  using Client = std::string;  // a connection's unique bus name

  // python3-secretstorage opens a session per item it reads, so a client
  // may hold many; beyond these only memory would go.
  static constexpr size_t kMaxSessionsPerClient = 2048;
  static constexpr size_t kMaxPromptsPerClient = 64;

  // Nothing when the client holds kMaxSessionsPerClient already.
  std::optional<uint64_t> AddSession(const Client& client, std::unique_ptr<SecretSession> session);
  bool HasSession(uint64_t number) const { return sessions_.count(number) != 0; }
  // Null for no such session, or another client's.
  const SecretSession* SessionOf(const Client& client, uint64_t number) const;
  // False (and it stays) when it is another client's.
  bool CloseSession(const Client& client, uint64_t number);

  // What a started prompt unlocks once the safe opens: the paths its
  // Unlock named, for the client that asked.
  struct StartedPrompt {
    uint64_t number = 0;
    Client owner;
    std::vector<std::string> objects;
  };

  std::optional<uint64_t> AddPrompt(const Client& client, std::vector<std::string> objects = {});
  bool HasPrompt(uint64_t number) const { return prompts_.count(number) != 0; }
  bool OwnsPrompt(const Client& client, uint64_t number) const;
  void StartPrompt(uint64_t number);
  void RemovePrompt(uint64_t number) { prompts_.erase(number); }
  // The started prompts, which a log-in (or its end) completes, taken out.
  std::vector<StartedPrompt> TakeStartedPrompts();

  void Forget(const Client& client);

 private:
  struct Session {
    std::unique_ptr<SecretSession> crypto;
    Client owner;
  };
  struct Prompt {
    Client owner;
    bool started = false;
    std::vector<std::string> objects;
  };
  template <typename Map>
  static size_t CountOwnedBy(const Map& map, const Client& owner);

  std::map<uint64_t, Session> sessions_;
  std::map<uint64_t, Prompt> prompts_;
  uint64_t nextNumber_ = 1;
};
