// Saving and logging in to safes of 1,000 to 100,000 entries and of 64 MiB,
// in MB/s of safe bytes, next to one bare OpenSSL AES-128-ECB pass over as
// many bytes. A log-in reads, decrypts and checksums the file twice, and a
// save ends with a flushed atomic replace, so neither can reach the bare pass.
// The strong format's figures, also as ratios: its log-in against libsodium's
// crypto_pwhash alone with the same parameters (Argon2id is nearly all of
// it), its save under the held key against the legacy save, and its
// decryption of a 64 MiB text against libsodium's one-shot call.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <sodium.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_folder.h"
#include "bench/ratio_reporter.h"
#include "platform/executable_path.h"
#include "safe/safe_store.h"
#include "safe/safe_text.h"
#include "safe/strong_record.h"

namespace {

constexpr char kPassword[] = "correct horse battery staple";

// count entries of three fields of fieldLength characters each.
void MakeEntries(EntryList& entries, int64_t count, int64_t fieldLength) {
  std::string filler(static_cast<size_t>(fieldLength), 'x');
  for (int64_t i = 0; i < count; ++i) {
    std::string field = std::to_string(i) + filler;
    field.resize(static_cast<size_t>(fieldLength));
    Entry& entry = entries.entries.emplace_back();
    entry.title = field;
    entry.userName = field;
    entry.password = field;
  }
  AssignMissingIds(entries.entries);
}

// Bytes of the safe file for the list: L, the padded text, CRC and T.
int64_t SafeFileSize(const EntryList& entries) {
  const int64_t count = static_cast<int64_t>(entries.entries.size());
  int64_t fields = 0;
  for (const Entry& entry : entries.entries) {
    fields += static_cast<int64_t>(entry.title.size() + entry.userName.size() + entry.password.size()) + 2;
  }
  int64_t text = fields + 2 * (count - 1) + 1;
  return (text + 15) / 16 * 16 + 12;
}

void BM_SaveSafe(benchmark::State& state) {
  BenchFolder folder;
  EntryList entries;
  MakeEntries(entries, state.range(0), state.range(1));
  for (auto _ : state) {
    if (!SaveSafe("bench", kPassword, entries)) state.SkipWithError("save failed");
  }
  state.SetBytesProcessed(state.iterations() * SafeFileSize(entries));
}

// Logs in, or with verifyOnly runs only the first of a log-in's two passes
// (decrypt and checksum), on a safe saved beforehand.
void LoadPass(benchmark::State& state, bool verifyOnly) {
  BenchFolder folder;
  EntryList entries;
  MakeEntries(entries, state.range(0), state.range(1));
  if (!SaveSafe("bench", kPassword, entries)) state.SkipWithError("save failed");
  for (auto _ : state) {
    // A log-in fills the empty list of a logged-out application; releasing
    // the list belongs to the log-out, so it is not timed.
    auto loaded = std::make_unique<EntryList>();
    if (!LoadSafe("bench", kPassword, *loaded, verifyOnly)) state.SkipWithError("load failed");
    state.PauseTiming();
    loaded.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * SafeFileSize(entries));
}

void BM_LoadSafe(benchmark::State& state) { LoadPass(state, false); }

void BM_VerifySafe(benchmark::State& state) { LoadPass(state, true); }

// One EVP pass over a buffer of the safe's size, as the reference.
void EvpPass(benchmark::State& state, bool encrypt) {
  EntryList entries;
  MakeEntries(entries, state.range(0), state.range(1));
  int64_t size = SafeFileSize(entries) / 16 * 16;
  std::vector<unsigned char> in(static_cast<size_t>(size), 0x5a);
  std::vector<unsigned char> out(in.size() + 16);
  const unsigned char key[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
  for (auto _ : state) {
    EVP_CipherInit_ex(context, EVP_aes_128_ecb(), nullptr, key, nullptr, encrypt ? 1 : 0);
    EVP_CIPHER_CTX_set_padding(context, 0);
    int written = 0;
    EVP_CipherUpdate(context, out.data(), &written, in.data(), static_cast<int>(in.size()));
    benchmark::DoNotOptimize(out.data());
  }
  EVP_CIPHER_CTX_free(context);
  state.SetBytesProcessed(state.iterations() * size);
}

void BM_EvpEncrypt(benchmark::State& state) { EvpPass(state, true); }

void BM_EvpDecrypt(benchmark::State& state) { EvpPass(state, false); }

// A log-in to a strong 1,000-entry safe made with the default parameters.
void BM_StrongLogIn(benchmark::State& state) {
  BenchFolder folder;
  EntryList entries;
  MakeEntries(entries, 1000, 16);
  HeldSafeKey key;
  if (!DeriveNewSafeKey(kPassword, SafeFormat::kStrong, kDefaultStrongSafeParams, key) ||
      !SaveSafe("bench", key, entries)) {
    state.SkipWithError("save failed");
  }
  for (auto _ : state) {
    auto loaded = std::make_unique<EntryList>();
    if (!LoadSafe("bench", kPassword, *loaded)) state.SkipWithError("load failed");
    state.PauseTiming();
    loaded.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations());  // log-ins per second
}

// crypto_pwhash alone with the same parameters.
void BM_Argon2id(benchmark::State& state) {
  if (sodium_init() < 0) state.SkipWithError("no libsodium");
  uint8_t salt[crypto_pwhash_SALTBYTES] = {};
  uint8_t key[32];
  for (auto _ : state) {
    if (crypto_pwhash(key, sizeof key, kPassword, sizeof kPassword - 1, salt, kDefaultStrongSafeParams.iterations,
                      size_t{kDefaultStrongSafeParams.memoryKiB} * 1024, crypto_pwhash_ALG_ARGON2ID13) != 0) {
      state.SkipWithError("out of memory");
    }
    benchmark::DoNotOptimize(key);
  }
  state.SetBytesProcessed(state.iterations());
}

// Saves of an open strong safe: one encryption under the held key.
void BM_SaveStrongSafe(benchmark::State& state) {
  BenchFolder folder;
  EntryList entries;
  MakeEntries(entries, state.range(0), state.range(1));
  HeldSafeKey key;
  if (!DeriveNewSafeKey(kPassword, SafeFormat::kStrong, kDefaultStrongSafeParams, key)) {
    state.SkipWithError("no key");
  }
  for (auto _ : state) {
    if (!SaveSafe("bench", key, entries)) state.SkipWithError("save failed");
  }
  // The legacy file's size, so the rates compare as times.
  state.SetBytesProcessed(state.iterations() * SafeFileSize(entries));
}

// A strong file of the entries sealed in memory, and its key.
struct SealedText {
  std::vector<uint8_t> record;
  uint8_t key[kStrongKeySize] = {};
};

// The benchmark's entries sealed under a random key.
SealedText SealEntries(benchmark::State& state) {
  if (sodium_init() < 0) state.SkipWithError("no libsodium");
  EntryList entries;
  MakeEntries(entries, state.range(0), state.range(1));
  SealedText sealed;
  SafeText text;
  BuildSafeText(entries, SafeFormat::kLegacy, text);
  StrongSafeHeader header;
  header.params = kDefaultStrongSafeParams;
  randombytes_buf(sealed.key, sizeof sealed.key);
  sealed.record.resize(kStrongHeaderSize + text.length + kStrongTagSize);
  SealStrongRecord(sealed.key, header, text.bytes, text.length, sealed.record.data());
  return sealed;
}

// The reader's decryption: in place, over the record as read from the file.
void BM_OpenStrongRecord(benchmark::State& state) {
  SealedText sealed = SealEntries(state);
  std::vector<uint8_t> work(sealed.record.size());
  for (auto _ : state) {
    state.PauseTiming();
    std::copy(sealed.record.begin(), sealed.record.end(), work.begin());
    state.ResumeTiming();
    size_t length = 0;
    if (!OpenStrongRecord(sealed.key, work.data(), work.size(), length)) state.SkipWithError("open failed");
    benchmark::DoNotOptimize(work.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(sealed.record.size()));
}

// libsodium's one-shot decryption of the same bytes into a buffer of its own.
void BM_SodiumDecrypt(benchmark::State& state) {
  SealedText sealed = SealEntries(state);
  std::vector<uint8_t> plain(sealed.record.size());
  const uint8_t* record = sealed.record.data();
  for (auto _ : state) {
    unsigned long long length = 0;
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(plain.data(), &length, nullptr, record + kStrongHeaderSize,
                                                   sealed.record.size() - kStrongHeaderSize, record, kStrongHeaderSize,
                                                   record + 32, sealed.key) != 0) {
      state.SkipWithError("decrypt failed");
    }
    benchmark::DoNotOptimize(plain.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(sealed.record.size()));
}

// {entries, characters per field}: short entries, and 64 MiB of long ones.
const std::vector<std::vector<int64_t>> kSafes = {{1000, 16}, {10000, 16}, {100000, 16}, {110741, 200}};

void SafeArgs(benchmark::internal::Benchmark* benchmark) {
  for (const auto& safe : kSafes) benchmark->Args(safe);
  benchmark->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(BM_SaveSafe)->Apply(SafeArgs);
BENCHMARK(BM_EvpEncrypt)->Apply(SafeArgs);
BENCHMARK(BM_LoadSafe)->Apply(SafeArgs);
BENCHMARK(BM_VerifySafe)->Apply(SafeArgs);
BENCHMARK(BM_EvpDecrypt)->Apply(SafeArgs);
// About a second each: a few runs are enough.
BENCHMARK(BM_Argon2id)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_StrongLogIn)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_SaveStrongSafe)->Args({1000, 16})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenStrongRecord)->Args({110741, 200})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SodiumDecrypt)->Args({110741, 200})->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter("bytes_per_second");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("Ratios to one OpenSSL pass over the same bytes:\n");
  for (const auto& safe : kSafes) {
    char args[64];
    std::snprintf(args, sizeof args, "/%lld/%lld/real_time", static_cast<long long>(safe[0]),
                  static_cast<long long>(safe[1]));
    char label[96];
    std::snprintf(label, sizeof label, "log-in, %lld entries of %lld-char fields", static_cast<long long>(safe[0]),
                  static_cast<long long>(safe[1]));
    reporter.PrintRatio(label, std::string("BM_LoadSafe") + args, std::string("BM_EvpDecrypt") + args);
    reporter.PrintRatio("  its verify pass alone", std::string("BM_VerifySafe") + args,
                        std::string("BM_EvpDecrypt") + args);
    reporter.PrintRatio("  saving it", std::string("BM_SaveSafe") + args, std::string("BM_EvpEncrypt") + args);
  }
  std::printf("Strong format:\n");
  reporter.PrintRatio("log-in time / crypto_pwhash time, 1,000 entries", "BM_Argon2id/iterations:3/real_time",
                      "BM_StrongLogIn/iterations:3/real_time");
  reporter.PrintRatio("strong save time / legacy save time, 1,000 entries", "BM_SaveSafe/1000/16/real_time",
                      "BM_SaveStrongSafe/1000/16/real_time");
  reporter.PrintRatio("64 MiB decryption / libsodium one-shot (speed)", "BM_OpenStrongRecord/110741/200/real_time",
                      "BM_SodiumDecrypt/110741/200/real_time");
  benchmark::Shutdown();
  return 0;
}
