#include "secret_service/secret_service_protocol.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "secret_service/item_attributes.h"
#include "secret_service/object_paths.h"

// The whole protocol driven as a client would, over a fake bus, a fake
// asker and a safe held in memory.
namespace {

class FakeBus : public SecretBus {
 public:
  struct Answer {
    std::string error;  // empty: a reply
    std::vector<BusValue> arguments;
  };
  struct Signal {
    std::string path;
    std::string name;
    std::vector<BusValue> arguments;
  };

  void Reply(const BusCall& call, std::vector<BusValue> arguments) override {
    answers[call.serial] = {{}, std::move(arguments)};
  }
  void Fail(const BusCall& call, const char* error, const std::string&) override { answers[call.serial] = {error, {}}; }
  void Emit(const std::string& path, const char*, const char* name, std::vector<BusValue> arguments) override {
    signals.push_back({path, name, std::move(arguments)});
  }
  pid_t ClientPid(const std::string&) override { return 0; }
  void WatchClient(const std::string&) override {}

  std::map<uint64_t, Answer> answers;
  std::vector<Signal> signals;
};

class FakeAsker : public SecretAsker {
 public:
  void Ask(const std::string& text, bool isRead, bool) override { questions.push_back({text, isRead}); }
  void Withdraw() override {}
  void AskLogIn() override { ++logIns; }

  std::vector<std::pair<std::string, bool>> questions;  // text, is a read
  int logIns = 0;
};

class FakeStore : public SecretStore {
 public:
  bool IsUnlocked() const override { return unlocked; }
  std::string UserName() const override { return "alice"; }
  const std::vector<Entry>& Entries() const override { return unlocked ? entries : none_; }
  const char* Check(const Entry&) const override { return nullptr; }
  StoreResult Add(Entry entry, EntryId* added) override {
    entry.id = EntryId::Random();
    *added = entry.id;
    entries.push_back(std::move(entry));
    return {};
  }
  StoreResult Replace(const EntryId& id, Entry edited) override {
    for (Entry& entry : entries) {
      if (entry.id != id) continue;
      edited.modified = entry.modified + 1;
      entry = std::move(edited);
      return {};
    }
    return {StoreResult::Kind::kRefused, {}};
  }
  StoreResult Delete(const EntryId& id) override {
    std::erase_if(entries, [&](const Entry& entry) { return entry.id == id; });
    return {};
  }
  void Lock() override { unlocked = false; }

  bool unlocked = true;
  std::vector<Entry> entries;

 private:
  const std::vector<Entry> none_{};
};

ItemAttributes Attributes(std::initializer_list<std::pair<const char*, const char*>> pairs) {
  ItemAttributes attributes;
  for (const auto& [name, value] : pairs) attributes.push_back({SecretText(name), SecretText(value)});
  return attributes;
}

Entry MakeEntry(const char* title, const char* userName, const char* password, bool served) {
  Entry entry;
  entry.id = EntryId::Random();
  entry.title = title;
  entry.userName = userName;
  entry.password = password;
  if (served) entry.AddTag(kSecretServiceTag);
  return entry;
}

std::vector<std::string> Paths(const BusValue& value) {
  std::vector<std::string> paths;
  for (const ObjectPath& path : *value.As<ObjectPaths>()) paths.push_back(path.path);
  return paths;
}

const char kClient[] = ":1.10";
const char kOther[] = ":1.20";

class SecretServiceProtocolTest : public ::testing::Test {
 protected:
  SecretServiceProtocolTest() {
    store_.entries.push_back(MakeEntry("Bank", "jdoe", "bank-pw", false));
    store_.entries.push_back(MakeEntry("Served", "jdoe", "served-pw", true));
    protocol_.SetConfirm(false);
  }

  std::string Collection() const { return CollectionPath("alice"); }
  std::string PathOf(size_t index) const { return ItemPath(Collection(), store_.entries[index].id); }

  uint64_t Call(const std::string& sender, const std::string& path, const std::string& interface,
                const std::string& member, std::vector<BusValue> arguments = {}) {
    return CallOn(protocol_, sender, path, interface, member, std::move(arguments));
  }
  uint64_t CallOn(SecretServiceProtocol& protocol, const std::string& sender, const std::string& path,
                  const std::string& interface, const std::string& member, std::vector<BusValue> arguments) {
    BusCall call;
    call.serial = ++serial_;
    call.sender = sender;
    call.path = path;
    call.interface = interface;
    call.member = member;
    for (const BusValue& argument : arguments) call.signature += SignatureOf(argument);
    call.arguments = std::move(arguments);
    protocol.HandleCall(call);
    return call.serial;
  }
  // The answer to that call; a test failure when it has none yet.
  FakeBus::Answer Answered(uint64_t serial) {
    const auto found = bus_.answers.find(serial);
    if (found == bus_.answers.end()) {
      ADD_FAILURE() << "call " << serial << " has no answer";
      return {"(none)", {}};
    }
    return found->second;
  }
  bool Waits(uint64_t serial) const { return bus_.answers.count(serial) == 0; }
  // Opened before confirmation is turned on, when the test wants it on: a plain session is refused then.
  std::string Session(const std::string& client) {
    const FakeBus::Answer answer = Answered(Call(client, kServicePath, kServiceInterface, "OpenSession",
                                                 {BusValue{std::string("plain")}, Variant({std::string()})}));
    return answer.arguments.at(1).As<ObjectPath>()->path;
  }
  BusValue Secret(const std::string& session, const char* value) {
    return BusValue{BusSecret{{session}, {}, SecretText(value), "text/plain"}};
  }
  std::string CreateItem(const std::string& client, const std::string& session, const char* label,
                         const ItemAttributes& attributes, const char* secret, bool replace) {
    const FakeBus::Answer answer =
        Answered(Call(client, Collection(), kCollectionInterface, "CreateItem",
                      {BusValue{BusProperties{{"org.freedesktop.Secret.Item.Label", BusValue{std::string(label)}},
                                              {"org.freedesktop.Secret.Item.Attributes", BusValue{attributes}}}},
                       Secret(session, secret), BusValue{replace}}));
    EXPECT_EQ(answer.error, "");
    return answer.error.empty() ? answer.arguments.at(0).As<ObjectPath>()->path : std::string();
  }
  std::string ReadSecret(const std::string& client, const std::string& session, const std::string& item) {
    const FakeBus::Answer answer =
        Answered(Call(client, item, kItemInterface, "GetSecret", {BusValue{ObjectPath{session}}}));
    return answer.error.empty() ? std::string(answer.arguments.at(0).As<BusSecret>()->value.view()) : answer.error;
  }
  std::vector<std::string> Search(const ItemAttributes& wanted, std::vector<std::string>* locked = nullptr) {
    const FakeBus::Answer answer =
        Answered(Call(kClient, kServicePath, kServiceInterface, "SearchItems", {BusValue{wanted}}));
    if (locked != nullptr) *locked = Paths(answer.arguments.at(1));
    return Paths(answer.arguments.at(0));
  }

  FakeBus bus_;
  FakeAsker asker_;
  FakeStore store_;
  AccessGrants grants_{""};
  SecretServiceProtocol protocol_{bus_, asker_, store_, grants_};
  uint64_t serial_ = 0;
};

TEST_F(SecretServiceProtocolTest, OnlyTaggedEntriesAreItems) {
  EXPECT_EQ(Search({}), std::vector<std::string>{PathOf(1)});
  const FakeBus::Answer all = Answered(
      Call(kClient, Collection(), kPropertiesInterface, "GetAll", {BusValue{std::string(kCollectionInterface)}}));
  EXPECT_EQ(Paths(all.arguments.at(0).As<BusProperties>()->at(0).value), std::vector<std::string>{PathOf(1)});
  EXPECT_EQ(Answered(Call(kClient, PathOf(0), kPropertiesInterface, "Get",
                          {BusValue{std::string(kItemInterface)}, BusValue{std::string("Label")}}))
                .error,
            kNoSuchObjectError);
  const std::string session = Session(kClient);
  const FakeBus::Answer read =
      Answered(Call(kClient, kServicePath, kServiceInterface, "GetSecrets",
                    {BusValue{ObjectPaths{{PathOf(0)}, {PathOf(1)}}}, BusValue{ObjectPath{session}}}));
  const BusSecrets& secrets = *read.arguments.at(0).As<BusSecrets>();
  ASSERT_EQ(secrets.size(), 1u);
  EXPECT_EQ(secrets[0].first.path, PathOf(1));
  EXPECT_EQ(secrets[0].second.value.view(), "served-pw");
}

TEST_F(SecretServiceProtocolTest, AClientChangesItsOwnItemUnaskedAndTheCollectionSaysSo) {
  const std::string session = Session(kClient);
  protocol_.SetConfirm(true);
  const std::string item =
      CreateItem(kClient, session, "Git token", Attributes({{"service", "git"}}), "token-1", false);
  protocol_.NoteListChanged();
  ASSERT_FALSE(bus_.signals.empty());
  EXPECT_EQ(bus_.signals.back().name, "ItemCreated");
  EXPECT_EQ(ReadSecret(kClient, session, item), "token-1");
  EXPECT_EQ(Answered(Call(kClient, item, kItemInterface, "SetSecret", {Secret(session, "token-2")})).error, "");
  EXPECT_EQ(ReadSecret(kClient, session, item), "token-2");
  EXPECT_EQ(Answered(Call(kClient, item, kPropertiesInterface, "Set",
                          {BusValue{std::string(kItemInterface)}, BusValue{std::string("Label")},
                           Variant({std::string("Renamed")})}))
                .error,
            "");
  protocol_.NoteListChanged();
  EXPECT_EQ(bus_.signals.back().name, "ItemChanged");
  EXPECT_EQ(Answered(Call(kClient, item, kItemInterface, "Delete")).error, "");
  protocol_.NoteListChanged();
  EXPECT_EQ(bus_.signals.back().name, "ItemDeleted");
  EXPECT_TRUE(asker_.questions.empty());
  EXPECT_EQ(store_.entries.size(), 2u);
}

TEST_F(SecretServiceProtocolTest, ChangesToAnEntryTheClientDidNotCreateAreAskedAndDenyChangesNothing) {
  const std::string session = Session(kClient);
  protocol_.SetConfirm(true);
  const std::string served = PathOf(1);
  const auto setProperty = [&](const char* name, BusValue value) {
    return Call(kClient, served, kPropertiesInterface, "Set",
                {BusValue{std::string(kItemInterface)}, BusValue{std::string(name)}, Variant(std::move(value))});
  };
  const std::vector<std::pair<const char*, std::function<uint64_t()>>> writes = {
      {"SetSecret", [&] { return Call(kClient, served, kItemInterface, "SetSecret", {Secret(session, "theirs")}); }},
      {"Label", [&] { return setProperty("Label", BusValue{std::string("Weather token")}); }},
      {"Attributes",
       [&] {
         return setProperty("Attributes", BusValue{Attributes({{"UserName", "mallory"}})});
       }},
      {"Delete", [&] { return Call(kClient, served, kItemInterface, "Delete"); }},
      {"replace",
       [&] {
         return Call(kClient, Collection(), kCollectionInterface, "CreateItem",
                     {BusValue{BusProperties{{"org.freedesktop.Secret.Item.Attributes",
                                              BusValue{Attributes({{"Title", "Served"}, {"UserName", "jdoe"}})}}}},
                      Secret(session, "theirs"), BusValue{true}});
       }},
  };
  for (const auto& [name, write] : writes) {
    SCOPED_TRACE(name);
    const size_t asked = asker_.questions.size();
    const uint64_t call = write();
    EXPECT_TRUE(Waits(call));
    ASSERT_EQ(asker_.questions.size(), asked + 1);
    EXPECT_FALSE(asker_.questions.back().second);
    protocol_.Answer(AccessAnswer::kDeny);
    EXPECT_EQ(Answered(call).error, kAccessDeniedError);
    ASSERT_EQ(store_.entries.size(), 2u);
    EXPECT_EQ(store_.entries[1].title, "Served");
    EXPECT_EQ(store_.entries[1].password, "served-pw");
    EXPECT_EQ(store_.entries[1].userName, "jdoe");
  }
  const uint64_t allowed = writes[0].second();
  protocol_.Answer(AccessAnswer::kAllow);
  EXPECT_EQ(Answered(allowed).error, "");
  EXPECT_EQ(store_.entries[1].password, "theirs");
}

TEST_F(SecretServiceProtocolTest, ReplaceTakesOnlyAServedItemWithTheSameAttributes) {
  const std::string session = Session(kClient);
  const ItemAttributes git = Attributes({{"service", "git"}, {"user", "jdoe"}});
  const std::string item = CreateItem(kClient, session, "Git", git, "token-1", false);
  const struct {
    const char* name;
    ItemAttributes attributes;
    bool same;
  } cases[] = {
      {"the same attributes", git, true},
      {"fewer attributes", Attributes({{"service", "git"}}), false},
      {"an untagged entry's", Attributes({{"Title", "Bank"}, {"UserName", "jdoe"}}), false},
      {"none", {}, false},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    const std::string replaced = CreateItem(kClient, session, "Git", test.attributes, "token-2", true);
    EXPECT_EQ(replaced == item, test.same);
  }
  EXPECT_EQ(store_.entries[0].password, "bank-pw");
}

TEST_F(SecretServiceProtocolTest, APlainSessionIsRefusedWhileReadsAreConfirmed) {
  protocol_.SetConfirm(true);
  EXPECT_EQ(Answered(Call(kClient, kServicePath, kServiceInterface, "OpenSession",
                          {BusValue{std::string("plain")}, Variant({std::string()})}))
                .error,
            kNotSupportedError);
}

TEST_F(SecretServiceProtocolTest, EachClientHasItsOwnLimitOfWaitingReads) {
  const std::string mine = Session(kClient);
  const std::string theirs = Session(kOther);
  protocol_.SetConfirm(true);
  std::vector<uint64_t> reads;
  for (size_t i = 0; i <= AccessGate::kMaxWaitingPerClient; ++i) {
    reads.push_back(Call(kClient, PathOf(1), kItemInterface, "GetSecret", {BusValue{ObjectPath{mine}}}));
  }
  EXPECT_EQ(Answered(reads.back()).error, kLimitsExceededError);
  const uint64_t other = Call(kOther, PathOf(1), kItemInterface, "GetSecret", {BusValue{ObjectPath{theirs}}});
  EXPECT_TRUE(Waits(other));
  EXPECT_TRUE(asker_.questions.front().second);
  // One "Allow" covers the client's other reads of the same item.
  protocol_.Answer(AccessAnswer::kAllow);
  for (size_t i = 0; i < AccessGate::kMaxWaitingPerClient; ++i) EXPECT_EQ(Answered(reads[i]).error, "");
  EXPECT_TRUE(Waits(other));
}

TEST_F(SecretServiceProtocolTest, LockLocksTheSafeAndEndsTheReadsThatWait) {
  const std::string session = Session(kClient);
  protocol_.SetConfirm(true);
  const uint64_t read = Call(kClient, PathOf(1), kItemInterface, "GetSecret", {BusValue{ObjectPath{session}}});
  EXPECT_TRUE(Waits(read));
  const FakeBus::Answer lock =
      Answered(Call(kOther, kServicePath, kServiceInterface, "Lock", {BusValue{ObjectPaths{{Collection()}}}}));
  EXPECT_EQ(Paths(lock.arguments.at(0)), std::vector<std::string>{Collection()});
  EXPECT_FALSE(store_.unlocked);
  protocol_.NoteListChanged();
  EXPECT_EQ(Answered(read).error, kIsLockedError);
  EXPECT_EQ(bus_.signals.back().name, "CollectionChanged");
  EXPECT_EQ(ReadSecret(kClient, session, PathOf(1)), kIsLockedError);
}

TEST_F(SecretServiceProtocolTest, TurningTheServiceOffFailsTheCallsThatWait) {
  auto serving = std::make_unique<SecretServiceProtocol>(bus_, asker_, store_, grants_);
  serving->SetConfirm(false);
  const std::string session = Answered(CallOn(*serving, kClient, kServicePath, kServiceInterface, "OpenSession",
                                              {BusValue{std::string("plain")}, Variant({std::string()})}))
                                  .arguments.at(1)
                                  .As<ObjectPath>()
                                  ->path;
  serving->SetConfirm(true);
  const uint64_t read =
      CallOn(*serving, kClient, PathOf(1), kItemInterface, "GetSecret", {BusValue{ObjectPath{session}}});
  EXPECT_TRUE(Waits(read));
  serving.reset();
  EXPECT_EQ(Answered(read).error, kFailedError);
}

TEST_F(SecretServiceProtocolTest, APromptAnswersOnlyItsClient) {
  store_.unlocked = false;
  const FakeBus::Answer unlock =
      Answered(Call(kClient, kServicePath, kServiceInterface, "Unlock", {BusValue{ObjectPaths{{Collection()}}}}));
  const std::string prompt = unlock.arguments.at(1).As<ObjectPath>()->path;
  ASSERT_NE(prompt, kNoObjectPath);
  EXPECT_EQ(Answered(Call(kOther, prompt, kPromptInterface, "Prompt", {BusValue{std::string()}})).error,
            kAccessDeniedError);
  EXPECT_EQ(Answered(Call(kOther, prompt, kPromptInterface, "Dismiss")).error, kAccessDeniedError);
  EXPECT_EQ(asker_.logIns, 0);
  EXPECT_EQ(Answered(Call(kClient, prompt, kPromptInterface, "Dismiss")).error, "");
  ASSERT_FALSE(bus_.signals.empty());
  EXPECT_EQ(bus_.signals.back().path, prompt);
  EXPECT_TRUE(*bus_.signals.back().arguments.at(0).As<bool>());
}

TEST_F(SecretServiceProtocolTest, ALockedSearchIsUnlockedByTheLogInAndThenRead) {
  const std::string session = Session(kClient);
  store_.unlocked = false;
  protocol_.NoteListChanged();
  const FakeBus::Answer locked =
      Answered(Call(kClient, Collection(), kPropertiesInterface, "Get",
                    {BusValue{std::string(kCollectionInterface)}, BusValue{std::string("Locked")}}));
  EXPECT_TRUE(*locked.arguments.at(0).As<BusVariant>()->value->As<bool>());
  std::vector<std::string> stillLocked;
  EXPECT_TRUE(Search(Attributes({{"UserName", "jdoe"}}), &stillLocked).empty());
  ASSERT_EQ(stillLocked.size(), 1u);
  const FakeBus::Answer unlock =
      Answered(Call(kClient, kServicePath, kServiceInterface, "Unlock", {BusValue{ObjectPaths{{stillLocked[0]}}}}));
  EXPECT_TRUE(Paths(unlock.arguments.at(0)).empty());
  const std::string prompt = unlock.arguments.at(1).As<ObjectPath>()->path;
  EXPECT_EQ(Answered(Call(kClient, prompt, kPromptInterface, "Prompt", {BusValue{std::string()}})).error, "");
  EXPECT_EQ(asker_.logIns, 1);

  store_.unlocked = true;
  protocol_.LogInEnded();
  protocol_.NoteListChanged();
  const FakeBus::Signal& completed = bus_.signals.back();
  EXPECT_EQ(completed.path, prompt);
  EXPECT_FALSE(*completed.arguments.at(0).As<bool>());
  const std::vector<std::string> found = Paths(*completed.arguments.at(1).As<BusVariant>()->value);
  EXPECT_EQ(found, std::vector<std::string>{PathOf(1)});
  EXPECT_EQ(ReadSecret(kClient, session, found.at(0)), "served-pw");
  // The stand-in is the searching client's only.
  EXPECT_TRUE(
      Paths(Answered(Call(kOther, kServicePath, kServiceInterface, "Unlock", {BusValue{ObjectPaths{{stillLocked[0]}}}}))
                .arguments.at(0))
          .empty());
}

TEST_F(SecretServiceProtocolTest, ALogInClosedWithoutOpeningTheSafeDismissesThePrompt) {
  store_.unlocked = false;
  protocol_.NoteListChanged();
  const std::string prompt =
      Answered(Call(kClient, kServicePath, kServiceInterface, "Unlock", {BusValue{ObjectPaths{{Collection()}}}}))
          .arguments.at(1)
          .As<ObjectPath>()
          ->path;
  Call(kClient, prompt, kPromptInterface, "Prompt", {BusValue{std::string()}});
  protocol_.LogInEnded();
  EXPECT_EQ(bus_.signals.back().path, prompt);
  EXPECT_TRUE(*bus_.signals.back().arguments.at(0).As<bool>());
}

TEST_F(SecretServiceProtocolTest, CallsAreCheckedBeforeAnythingIsDone) {
  const struct {
    std::string path;
    const char* interface;
    const char* member;
    std::vector<BusValue> arguments;
    const char* error;
  } cases[] = {
      {kServicePath, kServiceInterface, "SearchItems", {BusValue{std::string("application")}}, kInvalidArgsError},
      {kServicePath,
       kServiceInterface,
       "OpenSession",
       {BusValue{std::string("rot13")}, Variant(BusValue{BusBytes{1}})},
       kNotSupportedError},
      {kServicePath, kServiceInterface, "NoSuchMethod", {}, kUnknownMethodError},
      {Collection(), kCollectionInterface, "Delete", {}, kNotSupportedError},
      {Collection() + "/nothing", kItemInterface, "Delete", {}, kNoSuchObjectError},
      {"/org/freedesktop/secrets/session/s999", kSessionInterface, "Close", {}, kNoSuchObjectError},
      {Collection(),
       kPropertiesInterface,
       "Set",
       {BusValue{std::string(kCollectionInterface)}, BusValue{std::string("Locked")}, Variant({false})},
       kAccessDeniedError},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.member);
    EXPECT_EQ(Answered(Call(kClient, test.path, test.interface, test.member, test.arguments)).error, test.error);
  }
  EXPECT_EQ(store_.entries.size(), 2u);
}

}  // namespace
