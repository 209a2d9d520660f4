#include "secret_service/access_gate.h"

#include <algorithm>

AccessGate::AccessGate(AccessAsker& asker, AccessGrants& grants, EntryLookup entries, Identify identify)
    : asker_(asker), grants_(grants), entries_(std::move(entries)), identify_(std::move(identify)) {}

bool AccessGate::MayPass(const Pending& request, const EntryId& id) const {
  if (!confirm_) return true;
  const std::pair<Client, EntryId> key{request.client, id};
  if (request.kind != AccessKind::kRead) return allowedWrites_.count(key) != 0;
  return allowedReads_.count(key) != 0 ||
         (request.program.CanBeRemembered() && grants_.IsAllowed(id, request.program.executable));
}

void AccessGate::Request(const Client& client, AccessKind kind, std::vector<EntryId> ids, Done done) {
  const bool reading = kind == AccessKind::kRead;
  if (reading) {
    std::erase_if(ids, [&](const EntryId& id) { return entries_(id) == nullptr; });
  } else if (ids.size() != 1 || entries_(ids[0]) == nullptr) {
    done(AccessOutcome::kGone, {});
    return;
  }
  Pending request{client, kind, std::move(ids), 0, {}, std::move(done)};
  if (confirm_) request.program = identify_(client);
  while (request.asked < request.ids.size() && MayPass(request, request.ids[request.asked])) ++request.asked;
  if (request.asked == request.ids.size()) {
    Finish(std::move(request), AccessOutcome::kAllowed);
    return;
  }
  const auto theirs =
      std::count_if(waiting_.begin(), waiting_.end(), [&](const Pending& waiting) { return waiting.client == client; });
  if (static_cast<size_t>(theirs) >= kMaxWaitingPerClient || waiting_.size() >= kMaxWaiting) {
    Finish(std::move(request), AccessOutcome::kLimited);
    return;
  }
  waiting_.push_back(std::move(request));
  AskNext();
}

void AccessGate::AskNext() {
  while (!asking_ && !waiting_.empty()) {
    Pending& front = waiting_.front();
    const bool reading = front.kind == AccessKind::kRead;
    // An answer to an earlier question may cover it now.
    while (front.asked < front.ids.size() && MayPass(front, front.ids[front.asked])) ++front.asked;
    if (front.asked == front.ids.size()) {
      Pending done = std::move(front);
      waiting_.pop_front();
      Finish(std::move(done), AccessOutcome::kAllowed);
      continue;
    }
    const Entry* entry = entries_(front.ids[front.asked]);
    if (entry == nullptr && reading) {
      // Gone while an earlier question was up: nothing to ask about.
      front.ids.erase(front.ids.begin() + static_cast<std::ptrdiff_t>(front.asked));
      continue;
    }
    if (entry == nullptr) {
      Pending gone = std::move(front);
      waiting_.pop_front();
      Finish(std::move(gone), AccessOutcome::kGone);
      continue;
    }
    // Looked at again as the question is put: the process may have changed since.
    front.program = identify_(front.client);
    asking_ = true;
    asker_.Ask(AccessQuestionText(front.kind, *entry, front.program), reading,
               reading && front.program.CanBeRemembered());
  }
}

void AccessGate::Answer(AccessAnswer answer) {
  if (!asking_ || waiting_.empty()) return;
  asking_ = false;
  Pending& front = waiting_.front();
  const EntryId id = front.ids[front.asked];
  const bool refused = answer == AccessAnswer::kDeny || answer == AccessAnswer::kWithdrawn;
  if (entries_(id) == nullptr || refused) {
    Pending ended = std::move(front);
    waiting_.pop_front();
    Finish(std::move(ended), refused ? AccessOutcome::kDenied : AccessOutcome::kGone);
  } else if (front.kind != AccessKind::kRead) {
    allowedWrites_.insert({front.client, id});
  } else {
    allowedReads_.insert({front.client, id});
    // Not remembered (a file that could not be written) still allows this read.
    if (answer == AccessAnswer::kAllowAlways && front.program.CanBeRemembered()) {
      grants_.Allow(id, front.program.executable);
    }
  }
  AskNext();
}

void AccessGate::NoteCreated(const Client& client, const EntryId& id) {
  allowedReads_.insert({client, id});
  allowedWrites_.insert({client, id});
}

void AccessGate::ForgetClient(const Client& client) {
  if (asking_ && !waiting_.empty() && waiting_.front().client == client) {
    asking_ = false;
    asker_.Withdraw();
  }
  std::erase_if(waiting_, [&](const Pending& request) { return request.client == client; });
  std::erase_if(allowedReads_, [&](const auto& allowed) { return allowed.first == client; });
  std::erase_if(allowedWrites_, [&](const auto& allowed) { return allowed.first == client; });
  AskNext();
}

void AccessGate::EndAll(AccessOutcome outcome) {
  if (asking_) {
    asking_ = false;
    asker_.Withdraw();
  }
  std::deque<Pending> ended = std::move(waiting_);
  waiting_.clear();
  for (Pending& request : ended) Finish(std::move(request), outcome);
}

void AccessGate::Finish(Pending request, AccessOutcome outcome) {
  std::vector<EntryId> allowed;
  if (outcome == AccessOutcome::kAllowed) allowed = std::move(request.ids);
  request.done(outcome, std::move(allowed));
}
