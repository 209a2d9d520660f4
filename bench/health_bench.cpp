// The breach check of the password health report: 1,000 entries, one in ten
// of them breached, against a Have I Been Pwned list of 20 million sorted
// HASH:COUNT lines (about 1 GB) written by the benchmark, in entries per
// second. Next to it, in the same run, the real `keepassxc-cli analyze
// --hibp` on the same file and the same entries (a database it imports from
// KeePass XML), which reads the whole file. Both run with the file in the
// page cache, as it is just written; keepassxc-cli's time includes opening
// its database (a 100 ms key derivation), small beside reading the file.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench/ratio_reporter.h"
#include "health/breach_list.h"
#include "health/health_report.h"

namespace {

constexpr size_t kBreachLines = 20'000'000;
constexpr int kEntries = 1000;
constexpr int kBreachedEvery = 10;
constexpr char kDatabasePassword[] = "bench-pw";

using Hash = std::array<uint8_t, 20>;

Hash Sha1(const std::string& text) {
  Hash hash;
  unsigned int size = 0;
  EVP_Digest(text.data(), text.size(), hash.data(), &size, EVP_sha1(), nullptr);
  return hash;
}

void AppendLine(std::string& out, const Hash& hash, uint64_t count) {
  static const char kHex[] = "0123456789ABCDEF";
  for (uint8_t byte : hash) {
    out += kHex[byte >> 4];
    out += kHex[byte & 15];
  }
  out += ':';
  out += std::to_string(count);
  out += '\n';
}

struct Fixture {
  std::string folder;
  std::string breachFile;
  std::string database;
  std::vector<Entry> entries;
  bool keepassxc = false;
};

// Random hashes spread evenly over the whole range, ascending by
// construction, with the breached entries' own hashes merged in.
void WriteBreachList(const std::string& path, std::vector<Hash> breached) {
  std::sort(breached.begin(), breached.end());
  std::mt19937_64 random(20261211);
  const uint64_t stride = UINT64_MAX / kBreachLines;
  FILE* file = std::fopen(path.c_str(), "w");
  std::string buffer;
  size_t next = 0;
  for (size_t line = 0; line < kBreachLines; ++line) {
    Hash hash;
    uint64_t high = line * stride + random() % stride;
    for (int i = 0; i < 8; ++i) hash[i] = static_cast<uint8_t>(high >> (56 - 8 * i));
    uint64_t low = random();
    for (int i = 8; i < 20; ++i) hash[i] = static_cast<uint8_t>(low >> (8 * (i % 8)));
    for (; next < breached.size() && breached[next] < hash; ++next) AppendLine(buffer, breached[next], 1000 + next);
    AppendLine(buffer, hash, 1 + random() % 100);
    if (buffer.size() > (1 << 20)) {
      std::fwrite(buffer.data(), 1, buffer.size(), file);
      buffer.clear();
    }
  }
  for (; next < breached.size(); ++next) AppendLine(buffer, breached[next], 1000 + next);
  std::fwrite(buffer.data(), 1, buffer.size(), file);
  std::fclose(file);
}

// The same entries for keepassxc-cli, imported from KeePass XML.
bool MakeDatabase(Fixture& fixture) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<KeePassFile><Root><Group><Name>Root</Name>\n";
  for (const Entry& entry : fixture.entries) {
    xml += "<Entry><String><Key>Title</Key><Value>" + std::string(entry.title.view()) +
           "</Value></String><String><Key>UserName</Key><Value>" + std::string(entry.userName.view()) +
           "</Value></String><String><Key>Password</Key><Value>" + std::string(entry.password.view()) +
           "</Value></String></Entry>\n";
  }
  xml += "</Group></Root></KeePassFile>\n";
  const std::string xmlPath = fixture.folder + "/entries.xml";
  FILE* file = std::fopen(xmlPath.c_str(), "w");
  std::fwrite(xml.data(), 1, xml.size(), file);
  std::fclose(file);
  fixture.database = fixture.folder + "/entries.kdbx";
  const std::string command = "printf '%s\\n%s\\n' " + std::string(kDatabasePassword) + " " + kDatabasePassword +
                              " | keepassxc-cli import -q -p -t 100 " + xmlPath + " " + fixture.database +
                              " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

Fixture& TheFixture() {
  static Fixture fixture = [] {
    Fixture made;
    char pattern[] = "/tmp/quillbox-health-bench-XXXXXX";
    made.folder = mkdtemp(pattern);
    // keepassxc-cli keeps its settings in a private home, with no display.
    setenv("HOME", made.folder.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    unsetenv("DISPLAY");
    std::vector<Hash> breached;
    for (int i = 0; i < kEntries; ++i) {
      Entry entry;
      entry.title = "Account " + std::to_string(i);
      entry.userName = "user" + std::to_string(i);
      entry.password = "P4ss-" + std::to_string(i) + "-wOrd-xyzzy!!";
      if (i % kBreachedEvery == 0) breached.push_back(Sha1(std::string(entry.password.view())));
      made.entries.push_back(std::move(entry));
    }
    made.breachFile = made.folder + "/pwned-passwords-sha1-ordered-by-hash.txt";
    WriteBreachList(made.breachFile, breached);
    made.keepassxc = MakeDatabase(made);
    return made;
  }();
  return fixture;
}

// Opening the list (its sampled check included) and looking up every entry.
void BM_QuillboxBreachCheck(benchmark::State& state) {
  Fixture& fixture = TheFixture();
  for (auto _ : state) {
    BreachList list;
    std::string error = list.Open(fixture.breachFile);
    int found = 0;
    for (const Entry& entry : fixture.entries) found += list.Find(entry.password).count > 0;
    if (!error.empty() || found != kEntries / kBreachedEvery) state.SkipWithError("wrong breach counts");
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
}

// The whole report: zxcvbn for each password, reuse, age and the breach check.
void BM_QuillboxWholeReport(benchmark::State& state) {
  Fixture& fixture = TheFixture();
  for (auto _ : state) {
    BreachList list;
    list.Open(fixture.breachFile);
    benchmark::DoNotOptimize(MakeHealthReport(fixture.entries, 1'800'000'000, &list));
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
}

void BM_KeePassXcAnalyze(benchmark::State& state) {
  Fixture& fixture = TheFixture();
  if (!fixture.keepassxc) {
    state.SkipWithError("keepassxc-cli is missing or could not make the database");
    return;
  }
  const std::string command = "printf '%s\\n' " + std::string(kDatabasePassword) +
                              " | keepassxc-cli analyze -q --hibp " + fixture.breachFile + " " + fixture.database +
                              " 2>/dev/null | grep -c 'has been leaked'";
  for (auto _ : state) {
    FILE* output = popen(command.c_str(), "r");
    int flagged = 0;
    if (output == nullptr || std::fscanf(output, "%d", &flagged) != 1) flagged = -1;
    if (output != nullptr) pclose(output);
    if (flagged != kEntries / kBreachedEvery) state.SkipWithError("keepassxc-cli flagged other entries");
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
}

}  // namespace

int main(int argc, char** argv) {
  // Wall-clock time throughout: keepassxc-cli's work is another process's.
  benchmark::RegisterBenchmark("BM_QuillboxBreachCheck", BM_QuillboxBreachCheck)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RegisterBenchmark("BM_QuillboxWholeReport", BM_QuillboxWholeReport)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RegisterBenchmark("BM_KeePassXcAnalyze", BM_KeePassXcAnalyze)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(1);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter("items_per_second");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  // Run names as the library gives them, with their settings appended.
  const double quillbox = reporter.Rate("BM_QuillboxBreachCheck/real_time");
  const double whole = reporter.Rate("BM_QuillboxWholeReport/real_time");
  const double keepassxc = reporter.Rate("BM_KeePassXcAnalyze/iterations:1/real_time");
  if (quillbox > 0) std::printf("Quillbox breach check: %.2f us per entry (wall clock)\n", 1e6 / quillbox);
  if (whole > 0) std::printf("Quillbox whole report: %.2f us per entry\n", 1e6 / whole);
  if (quillbox > 0 && keepassxc > 0) {
    std::printf("Quillbox's time / keepassxc-cli analyze --hibp's: 1/%.0f (the issue asks for at most 1/100)\n",
                quillbox / keepassxc);
  }
  if (whole > 0 && keepassxc > 0) std::printf("Whole report's time / keepassxc-cli's: 1/%.0f\n", whole / keepassxc);
  std::filesystem::remove_all(TheFixture().folder);
  benchmark::Shutdown();
  return 0;
}
