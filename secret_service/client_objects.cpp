#include "secret_service/client_objects.h"

#include <iterator>

template <typename Map>
size_t ClientObjects::CountOwnedBy(const Map& map, const Client& owner) {
  size_t count = 0;
  for (const auto& [number, value] : map) count += value.owner == owner ? 1 : 0;
  return count;
}

std::optional<uint64_t> ClientObjects::AddSession(const Client& client, std::unique_ptr<SecretSession> session) {
  if (CountOwnedBy(sessions_, client) >= kMaxSessionsPerClient) return std::nullopt;
  const uint64_t number = nextNumber_++;
  sessions_[number] = Session{std::move(session), client};
  return number;
}

const SecretSession* ClientObjects::SessionOf(const Client& client, uint64_t number) const {
  const auto found = sessions_.find(number);
  return found == sessions_.end() || found->second.owner != client ? nullptr : found->second.crypto.get();
}

bool ClientObjects::CloseSession(const Client& client, uint64_t number) {
  if (SessionOf(client, number) == nullptr) return false;
  sessions_.erase(number);
  return true;
}

std::optional<uint64_t> ClientObjects::AddPrompt(const Client& client, std::vector<std::string> objects) {
  if (CountOwnedBy(prompts_, client) >= kMaxPromptsPerClient) return std::nullopt;
  const uint64_t number = nextNumber_++;
  prompts_[number] = Prompt{client, false, std::move(objects)};
  return number;
}

bool ClientObjects::OwnsPrompt(const Client& client, uint64_t number) const {
  const auto found = prompts_.find(number);
  return found != prompts_.end() && found->second.owner == client;
}

void ClientObjects::StartPrompt(uint64_t number) {
  const auto found = prompts_.find(number);
  if (found != prompts_.end()) found->second.started = true;
}

std::vector<ClientObjects::StartedPrompt> ClientObjects::TakeStartedPrompts() {
  std::vector<StartedPrompt> started;
  for (auto it = prompts_.begin(); it != prompts_.end();) {
    if (it->second.started) {
      started.push_back({it->first, std::move(it->second.owner), std::move(it->second.objects)});
      it = prompts_.erase(it);
    } else {
      ++it;
    }
  }
  return started;
}

void ClientObjects::Forget(const Client& client) {
  std::erase_if(sessions_, [&](const auto& session) { return session.second.owner == client; });
  std::erase_if(prompts_, [&](const auto& prompt) { return prompt.second.owner == client; });
}
