// Throughput of the safe cryptography on 1 MiB buffers next to the libraries
// it is measured against, with the ratios (ours / theirs) printed at the end.
#include "crypto/aes.h"
#include "crypto/cpu_features.h"
#include "crypto/crc32.h"
#include "crypto/md5.h"

#include <benchmark/benchmark.h>

#include "ratio_reporter.h"
#include <openssl/evp.h>
#include <zlib.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr size_t kBufferSize = 1 << 20;
constexpr uint8_t kKey[16] = {0x2b, 0x7e, 0x15, 0x16, 0x28, 0xae, 0xd2, 0xa6,
                              0xab, 0xf7, 0x15, 0x88, 0x09, 0xcf, 0x4f, 0x3c};

const std::vector<uint8_t>& Input() {
  static const std::vector<uint8_t> input = [] {
    std::vector<uint8_t> bytes(kBufferSize);
    std::mt19937 random(1);
    for (auto& b : bytes) b = static_cast<uint8_t>(random());
    return bytes;
  }();
  return input;
}

void CountBytes(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kBufferSize));
}

// Runs the body with the portable paths forced when the benchmark's argument is 1.
class PathChoice {
 public:
  explicit PathChoice(const benchmark::State& state) { ForcePortableCrypto(state.range(0) == 1); }
  ~PathChoice() { ForcePortableCrypto(false); }
};

void AesOurs(benchmark::State& state, bool encrypt) {
  PathChoice path(state);
  AesContext context;
  AesSetKey(context, kKey, 128, encrypt);
  std::vector<uint8_t> output(kBufferSize);
  for (auto _ : state) {
    if (encrypt)
      AesEncryptBlocks(context, Input().data(), output.data(), kBufferSize / kAesBlockSize);
    else
      AesDecryptBlocks(context, Input().data(), output.data(), kBufferSize / kAesBlockSize);
    benchmark::DoNotOptimize(output.data());
  }
  AesWipeContext(context);
  CountBytes(state);
}

void AesOpenssl(benchmark::State& state, bool encrypt) {
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  EVP_CipherInit_ex(ctx, EVP_aes_128_ecb(), nullptr, kKey, nullptr, encrypt ? 1 : 0);
  EVP_CIPHER_CTX_set_padding(ctx, 0);
  std::vector<uint8_t> output(kBufferSize);
  for (auto _ : state) {
    int written = 0;
    EVP_CipherUpdate(ctx, output.data(), &written, Input().data(), static_cast<int>(kBufferSize));
    benchmark::DoNotOptimize(output.data());
  }
  EVP_CIPHER_CTX_free(ctx);
  CountBytes(state);
}

void BM_Aes128EncryptOurs(benchmark::State& state) { AesOurs(state, true); }
void BM_Aes128EncryptOpenssl(benchmark::State& state) { AesOpenssl(state, true); }
void BM_Aes128DecryptOurs(benchmark::State& state) { AesOurs(state, false); }
void BM_Aes128DecryptOpenssl(benchmark::State& state) { AesOpenssl(state, false); }

void BM_Crc32Ours(benchmark::State& state) {
  PathChoice path(state);
  for (auto _ : state) benchmark::DoNotOptimize(Crc32Update(0, Input().data(), kBufferSize));
  CountBytes(state);
}

void BM_Crc32Zlib(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(crc32_z(0, Input().data(), kBufferSize));
  CountBytes(state);
}

void BM_Md5Ours(benchmark::State& state) {
  uint8_t digest[16];
  for (auto _ : state) {
    Md5Digest(digest, Input().data(), kBufferSize);
    benchmark::DoNotOptimize(digest);
  }
  CountBytes(state);
}

void BM_Md5Openssl(benchmark::State& state) {
  EVP_MD_CTX* ctx = EVP_MD_CTX_new();
  uint8_t digest[EVP_MAX_MD_SIZE];
  for (auto _ : state) {
    unsigned int length = 0;
    EVP_DigestInit_ex(ctx, EVP_md5(), nullptr);
    EVP_DigestUpdate(ctx, Input().data(), kBufferSize);
    EVP_DigestFinal_ex(ctx, digest, &length);
    benchmark::DoNotOptimize(digest);
  }
  EVP_MD_CTX_free(ctx);
  CountBytes(state);
}

// Argument 0: the path chosen at run time; 1: the portable path, for reference.
BENCHMARK(BM_Aes128EncryptOurs)->Arg(0)->Arg(1);
BENCHMARK(BM_Aes128EncryptOpenssl);
BENCHMARK(BM_Aes128DecryptOurs)->Arg(0)->Arg(1);
BENCHMARK(BM_Aes128DecryptOpenssl);
BENCHMARK(BM_Crc32Ours)->Arg(0)->Arg(1);
BENCHMARK(BM_Crc32Zlib);
BENCHMARK(BM_Md5Ours);
BENCHMARK(BM_Md5Openssl);

struct Comparison {
  const char* label;
  const char* ours;
  const char* theirs;
  const char* note;
};

constexpr Comparison kComparisons[] = {
    {"AES-128 encrypt vs OpenSSL ECB", "BM_Aes128EncryptOurs/0", "BM_Aes128EncryptOpenssl", "target >= 0.8"},
    {"AES-128 decrypt vs OpenSSL ECB", "BM_Aes128DecryptOurs/0", "BM_Aes128DecryptOpenssl", "target >= 0.8"},
    {"CRC-32 vs zlib crc32", "BM_Crc32Ours/0", "BM_Crc32Zlib", "target >= 2.0"},
    {"MD5 vs OpenSSL MD5", "BM_Md5Ours", "BM_Md5Openssl", "target >= 0.9"},
    {"AES-128 encrypt, table path", "BM_Aes128EncryptOurs/1", "BM_Aes128EncryptOpenssl", "portable, for reference"},
    {"AES-128 decrypt, table path", "BM_Aes128DecryptOurs/1", "BM_Aes128DecryptOpenssl", "portable, for reference"},
    {"CRC-32, slice-by-8 path", "BM_Crc32Ours/1", "BM_Crc32Zlib", "portable, for reference"},
};

void PrintComparison(const RatioReporter& reporter, const Comparison& comparison) {
  const double ours = reporter.Rate(comparison.ours);
  const double theirs = reporter.Rate(comparison.theirs);
  if (ours <= 0 || theirs <= 0) return;
  std::printf("%-34s %7.2f GB/s vs %7.2f GB/s  ratio %5.2f  (%s)\n", comparison.label, ours / 1e9, theirs / 1e9,
              ours / theirs, comparison.note);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter("bytes_per_second");
  benchmark::RunSpecifiedBenchmarks(&reporter);

  std::printf("\nAES-NI path: %s, carry-less multiply path: %s\n", AesNiAvailable() ? "yes" : "no",
              CarrylessMultiplyAvailable() ? "yes" : "no");
  std::printf("Ratios, ours / theirs (throughput):\n");
  for (const Comparison& comparison : kComparisons) PrintComparison(reporter, comparison);
  benchmark::Shutdown();
  return 0;
}
