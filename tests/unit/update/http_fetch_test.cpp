#include "update/http_fetch.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>

#include "tests/unit/update/loopback_server.h"
#include "tests/unit/update/recording_progress.h"

namespace {

constexpr FetchLimits kTestLimits{2, 1, 100, 1 << 20, 60};
// A deadline far below the minute a slow server of the tests goes on for.
constexpr FetchLimits kShortDeadline{2, 1, 100, 1 << 20, 3};
constexpr const char* kPath = "downloads/update10.sig";
constexpr uint32_t kCycle = kFetchProgressCycle;

std::vector<unsigned char> Pattern(size_t size) {
  std::vector<unsigned char> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(i * 7 + i / 251);
  return bytes;
}

std::vector<unsigned char> Contents(const cpBuffer& buffer) {
  return {buffer.GetData(), buffer.GetData() + buffer.GetSize()};
}

class HttpFetchTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server_ = new LoopbackServer; }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(server_->IsRunning()); }
  void TearDown() override { server_->Remove(kPath); }

  // Fills out with a marker so tests can see that a failure left it alone.
  static void Mark(cpBuffer& out) {
    out.SetSize(4);
    std::memcpy(out.GetData(), "keep", 4);
  }

  static LoopbackServer* server_;
};
LoopbackServer* HttpFetchTest::server_ = nullptr;

TEST_F(HttpFetchTest, DeliversTheBodyOfAnyStatusAndSendsTheDesignedRequest) {
  struct Case {
    const char* name;
    std::vector<unsigned char> body;
    const char* mode;
  };
  const Case cases[] = {
      {"empty body", {}, ""},
      {"one chunk", Pattern(145), ""},
      {"many chunks", Pattern(70001), ""},
      {"error status with a page", {'g', 'o', 'n', 'e'}, "status 500"},
  };
  for (const Case& c : cases) {
    server_->Put(kPath, c.body);
    if (*c.mode) server_->SetMode(kPath, c.mode);
    cpBuffer out;
    Mark(out);
    uint32_t error = 99;
    EXPECT_TRUE(HttpFetch(out, server_->Host().c_str(), kPath, error, nullptr, kTestLimits)) << c.name;
    EXPECT_EQ(error, 0u) << c.name;
    EXPECT_EQ(Contents(out), c.body) << c.name;
    server_->Remove(kPath);
  }

  cpBuffer out;
  uint32_t error = 0;
  ASSERT_TRUE(HttpFetch(out, server_->Host().c_str(), "downloads/missing.exe", error, nullptr, kTestLimits));
  EXPECT_NE(std::string(reinterpret_cast<const char*>(out.GetData())).find("Not Found"), std::string::npos);

  const std::string log = server_->RequestLog();
  EXPECT_NE(log.find("\"path\": \"/downloads/update10.sig\""), std::string::npos);
  EXPECT_NE(log.find("\"user_agent\": \"QuillAutoUpdateFetch\""), std::string::npos);
  EXPECT_NE(log.find("\"content_type\": \"binary\""), std::string::npos);
}

TEST_F(HttpFetchTest, ReportsAnEmptyBodyAsOneFullCycle) {
  server_->Put(kPath, {});
  RecordingProgress progress;
  cpBuffer out;
  uint32_t error = 0;
  ASSERT_TRUE(HttpFetch(out, server_->Host().c_str(), kPath, error, &progress, kTestLimits));
  EXPECT_EQ(out.GetSize(), 0u);
  // Reports made while waiting repeat position 0; the body itself gives one.
  ASSERT_FALSE(progress.reports.empty());
  EXPECT_EQ(progress.reports.back(), std::make_pair(kCycle, kCycle));
  for (size_t i = 0; i + 1 < progress.reports.size(); ++i) EXPECT_EQ(progress.reports[i].first, 0u);
}

TEST_F(HttpFetchTest, RunsTheProgressCycleOverALongBodyInSmallChunks) {
  const auto body = Pattern(kCycle + 50000);
  server_->Put(kPath, body);
  RecordingProgress progress;
  cpBuffer out;
  uint32_t error = 0;
  ASSERT_TRUE(HttpFetch(out, server_->Host().c_str(), kPath, error, &progress, kTestLimits));
  EXPECT_EQ(Contents(out), body);

  uint32_t previous = 0;
  int fullBeforeEnd = 0;
  for (size_t i = 0; i + 1 < progress.reports.size(); ++i) {
    const uint32_t position = progress.reports[i].first;
    EXPECT_EQ(progress.reports[i].second, kCycle);
    if (position == kCycle) {
      ++fullBeforeEnd;
      previous = 0;  // the cycle restarts
      continue;
    }
    EXPECT_LE(position - previous, kFetchChunkSize) << "report " << i;
    previous = position;
  }
  EXPECT_EQ(fullBeforeEnd, 1);
  EXPECT_EQ(progress.reports.back(), std::make_pair(kCycle, kCycle));
  // The restarted cycle counts the bytes past 750000, less what the chunk
  // that reached full could not add.
  EXPECT_LE(previous, 50000u);
  EXPECT_GT(previous, 50000u - kFetchChunkSize);
}

TEST_F(HttpFetchTest, CancelFromTheDialogLeavesTheBufferAlone) {
  server_->Put(kPath, Pattern(100000));
  RecordingProgress progress(5);
  cpBuffer out;
  Mark(out);
  uint32_t error = 99;
  EXPECT_FALSE(HttpFetch(out, server_->Host().c_str(), kPath, error, &progress, kTestLimits));
  EXPECT_EQ(error, 0u);
  EXPECT_EQ(Contents(out), std::vector<unsigned char>({'k', 'e', 'e', 'p'}));
}

TEST_F(HttpFetchTest, CancelWorksWhileTheServerStalls) {
  server_->SetMode(kPath, "stall");
  RecordingProgress progress(2);
  cpBuffer out;
  uint32_t error = 99;
  const FetchLimits patient{30, 30, 1, 1 << 20, 60};
  EXPECT_FALSE(HttpFetch(out, server_->Host().c_str(), kPath, error, &progress, patient));
  EXPECT_EQ(error, 0u);
}

TEST_F(HttpFetchTest, FailsOnHostileOrUnreachableServers) {
  struct Case {
    const char* name;
    const char* mode;
    uint32_t expectedError;
  };
  const Case cases[] = {
      {"headers then nothing", "stall", CURLE_OPERATION_TIMEDOUT},
      {"no answer at all", "silent", CURLE_OPERATION_TIMEDOUT},
      {"a byte every half second", "trickle", CURLE_OPERATION_TIMEDOUT},
      // Never slow enough to count as stalled, for a minute: the deadline ends it.
      {"a steady drip past the deadline", "drip 200 0.5", CURLE_OPERATION_TIMEDOUT},
      {"endless body", "endless", CURLE_FILESIZE_EXCEEDED},
  };
  for (const Case& c : cases) {
    server_->SetMode(kPath, c.mode);
    cpBuffer out;
    Mark(out);
    uint32_t error = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(HttpFetch(out, server_->Host().c_str(), kPath, error, nullptr, kShortDeadline)) << c.name;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20)) << c.name;
    EXPECT_EQ(error, c.expectedError) << c.name;
    EXPECT_EQ(out.GetSize(), 4u) << c.name;
    server_->Remove(kPath);
  }

  // A body announced larger than the cap is refused before it is read.
  server_->Put(kPath, Pattern(kTestLimits.maxBodyBytes + 1));
  cpBuffer out;
  uint32_t error = 0;
  EXPECT_FALSE(HttpFetch(out, server_->Host().c_str(), kPath, error, nullptr, kTestLimits));
  EXPECT_EQ(error, static_cast<uint32_t>(CURLE_FILESIZE_EXCEEDED));
}

TEST(HttpFetchUnreachableTest, ReportsTheErrorCode) {
  for (const char* host : {"127.0.0.1:1", "no-such-host.invalid"}) {
    cpBuffer out;
    uint32_t error = 0;
    EXPECT_FALSE(HttpFetch(out, host, kPath, error, nullptr, kTestLimits)) << host;
    EXPECT_NE(error, 0u) << host;
  }
}

}  // namespace
