#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "safe/entry.h"
#include "secret_service/access_grants.h"
#include "secret_service/access_question_text.h"
#include "secret_service/process_identity.h"

// How the user answered a question.
enum class AccessAnswer { kAllow, kAllowAlways, kDeny, kWithdrawn };

// Puts a program's request to the user, one question at a time; the
// answer comes back through AccessGate::Answer.
class AccessAsker {
 public:
  virtual ~AccessAsker() = default;
  // A read offers Allow Always (enabled when canRemember); a change or a
  // deletion Allow and Deny only.
  virtual void Ask(const std::string& text, bool isRead, bool canRemember) = 0;
  // The question shown goes unanswered: its client left, or the safe locked.
  virtual void Withdraw() = 0;
};

// How a request ended.
enum class AccessOutcome {
  kAllowed,
  kDenied,   // the user said no, or closed the question
  kGone,     // an item it named is not there (any more)
  kLocked,   // the safe locked while it waited
  kLimited,  // its client has too many requests waiting already
  kStopped,  // the service stopped while it waited
};

// Who may read and change which served entry, asking the user where the
// answer is not known yet: a connection's own items and what it was
// allowed before pass unasked; "Allow Always" answers (reads only) are
// kept in grants. Requests wait in order; the first one's question is up.
class AccessGate {
 public:
  using Client = std::string;  // a connection's unique bus name
  // The served entry of that id, null for none (or while locked).
  using EntryLookup = std::function<const Entry*(const EntryId&)>;
  // The process behind a client now (see IdentifyClient).
  using Identify = std::function<ProcessIdentity(const Client&)>;
  // A read gets the ids it may have; a change or deletion, its one id.
  using Done = std::function<void(AccessOutcome outcome, std::vector<EntryId> allowed)>;

  static constexpr size_t kMaxWaitingPerClient = 8;
  static constexpr size_t kMaxWaiting = 256;

  AccessGate(AccessAsker& asker, AccessGrants& grants, EntryLookup entries, Identify identify);

  // Off: every request passes unasked.
  void SetConfirm(bool on) { confirm_ = on; }

  // A read leaves out ids that are not served; done may run before this returns.
  void Request(const Client& client, AccessKind kind, std::vector<EntryId> ids, Done done);
  void Answer(AccessAnswer answer);
  // The client made this item: it changes and deletes it unasked.
  void NoteCreated(const Client& client, const EntryId& id);
  // The client left: its requests go without an answer, and what it was allowed.
  void ForgetClient(const Client& client);
  // Every waiting request ends with outcome (a lock: kLocked).
  void EndAll(AccessOutcome outcome);
  size_t Waiting() const { return waiting_.size(); }

 private:
  struct Pending {
    Client client;
    AccessKind kind = AccessKind::kRead;
    std::vector<EntryId> ids;
    size_t asked = 0;  // ids before this one are answered
    ProcessIdentity program;
    Done done;
  };

  bool MayPass(const Pending& request, const EntryId& id) const;
  void AskNext();
  void Finish(Pending request, AccessOutcome outcome);

  AccessAsker& asker_;
  AccessGrants& grants_;
  EntryLookup entries_;
  Identify identify_;
  bool confirm_ = true;
  bool asking_ = false;
  std::deque<Pending> waiting_;
  // "Allow" answers and own items: for as long as the connection lasts.
  std::set<std::pair<Client, EntryId>> allowedReads_;
  std::set<std::pair<Client, EntryId>> allowedWrites_;
};
