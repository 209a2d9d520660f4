#include "secret_service/client_objects.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<SecretSession> Plain() {
  std::vector<uint8_t> output;
  SessionFault fault;
  return SecretSession::Open(kPlainAlgorithm, {}, &output, &fault);
}

TEST(ClientObjects, ASessionServesOnlyTheClientThatOpenedIt) {
  ClientObjects objects;
  const auto mine = objects.AddSession(":1.1", Plain());
  const auto theirs = objects.AddSession(":1.2", Plain());
  ASSERT_TRUE(mine && theirs);
  EXPECT_NE(*mine, *theirs);
  EXPECT_NE(objects.SessionOf(":1.1", *mine), nullptr);
  EXPECT_EQ(objects.SessionOf(":1.1", *theirs), nullptr);
  EXPECT_EQ(objects.SessionOf(":1.1", 999), nullptr);
  EXPECT_FALSE(objects.CloseSession(":1.1", *theirs));
  EXPECT_TRUE(objects.HasSession(*theirs));
  EXPECT_TRUE(objects.CloseSession(":1.1", *mine));
  EXPECT_FALSE(objects.HasSession(*mine));
  objects.Forget(":1.2");
  EXPECT_FALSE(objects.HasSession(*theirs));
}

TEST(ClientObjects, APromptAnswersOnlyItsClientAndALogInTakesTheStartedOnes) {
  ClientObjects objects;
  const auto first = objects.AddPrompt(":1.1");
  const auto second = objects.AddPrompt(":1.1");
  const auto other = objects.AddPrompt(":1.2", {"/org/freedesktop/secrets/aliases/default"});
  ASSERT_TRUE(first && second && other);
  EXPECT_TRUE(objects.OwnsPrompt(":1.1", *first));
  EXPECT_FALSE(objects.OwnsPrompt(":1.2", *first));
  EXPECT_FALSE(objects.OwnsPrompt(":1.1", 999));
  objects.StartPrompt(*second);
  objects.StartPrompt(*other);
  const auto started = objects.TakeStartedPrompts();
  ASSERT_EQ(started.size(), 2u);
  EXPECT_EQ(started[0].number, *second);
  EXPECT_EQ(started[1].number, *other);
  EXPECT_EQ(started[1].owner, ":1.2");
  EXPECT_EQ(started[1].objects, (std::vector<std::string>{"/org/freedesktop/secrets/aliases/default"}));
  EXPECT_TRUE(objects.HasPrompt(*first));
  EXPECT_FALSE(objects.HasPrompt(*second));
  objects.Forget(":1.1");
  EXPECT_FALSE(objects.HasPrompt(*first));
}

TEST(ClientObjects, OneClientHoldsABoundedNumber) {
  ClientObjects objects;
  for (size_t i = 0; i < ClientObjects::kMaxPromptsPerClient; ++i) ASSERT_TRUE(objects.AddPrompt(":1.1"));
  EXPECT_FALSE(objects.AddPrompt(":1.1"));
  EXPECT_TRUE(objects.AddPrompt(":1.2"));
  for (size_t i = 0; i < ClientObjects::kMaxSessionsPerClient; ++i) ASSERT_TRUE(objects.AddSession(":1.1", Plain()));
  EXPECT_FALSE(objects.AddSession(":1.1", Plain()));
  EXPECT_TRUE(objects.AddSession(":1.2", Plain()));
}

}  // namespace
