#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <openssl/rsa.h>

#include <cstdio>
#include <vector>

#include "bench/ratio_reporter.h"
#include "core/cpbufferarray.h"
#include "tools/quillbox-sign/publisher_key.h"
#include "tools/quillbox-sign/signature_file.h"
#include "update/http_fetch.h"
#include "update/update_signature.h"

namespace {

const Bytes kInstaller(4096, 0x5a);

struct Signed {
  EVP_PKEY* key = ReadPrivateKeyFile(TEST_PRIVATE_KEY);
  Bytes file = key != nullptr ? MakeSignatureFile(kInstaller, key) : Bytes();
};

const Signed& Fixture() {
  static const Signed fixture;
  return fixture;
}

void BM_VerifyUpdateSignature(benchmark::State& state) {
  const Bytes& file = Fixture().file;
  if (file.empty()) return state.SkipWithError("no test key");
  for (auto _ : state) {
    benchmark::DoNotOptimize(VerifyUpdateSignature(file.data(), file.size()));
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_VerifyUpdateSignature);

// OpenSSL's verify of the same digest and signature with a key parsed once.
void BM_VerifyOpenSslParsedKey(benchmark::State& state) {
  const Bytes& file = Fixture().file;
  if (file.empty()) return state.SkipWithError("no test key");
  for (auto _ : state) {
    EVP_PKEY_CTX* context = EVP_PKEY_CTX_new(Fixture().key, nullptr);
    EVP_PKEY_verify_init(context);
    EVP_PKEY_CTX_set_rsa_padding(context, RSA_PKCS1_PADDING);
    EVP_PKEY_CTX_set_signature_md(context, EVP_md5());
    benchmark::DoNotOptimize(EVP_PKEY_verify(context, file.data() + kSignatureHeaderSize, file[kSignatureDigestSize],
                                             file.data(), kSignatureDigestSize));
    EVP_PKEY_CTX_free(context);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_VerifyOpenSslParsedKey);

constexpr size_t kBody = 8 << 20;

// The download's way: a block per read of at most 2047 bytes, joined at the end.
void BM_GatherChunks(benchmark::State& state) {
  const std::vector<unsigned char> body(kBody, 1);
  for (auto _ : state) {
    cpBufferArray chunks;
    for (size_t offset = 0; offset < kBody; offset += kFetchChunkSize) {
      const size_t n = std::min<size_t>(kFetchChunkSize, kBody - offset);
      chunks.AddCopy(body.data() + offset, static_cast<uint32_t>(n));
    }
    cpBuffer out;
    chunks.Concatenate(out);
    benchmark::DoNotOptimize(out.GetData());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kBody));  // bytes
}
BENCHMARK(BM_GatherChunks);

void BM_GatherVector(benchmark::State& state) {
  const std::vector<unsigned char> body(kBody, 1);
  for (auto _ : state) {
    std::vector<unsigned char> out;
    for (size_t offset = 0; offset < kBody; offset += kFetchChunkSize) {
      const size_t n = std::min<size_t>(kFetchChunkSize, kBody - offset);
      out.insert(out.end(), body.begin() + static_cast<long>(offset), body.begin() + static_cast<long>(offset + n));
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kBody));  // bytes
}
BENCHMARK(BM_GatherVector);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter("items_per_second");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nRatios (rate of the first / rate of the second):\n");
  reporter.PrintRatio("signature check, ours (key built per call) / OpenSSL (parsed key)", "BM_VerifyUpdateSignature",
                      "BM_VerifyOpenSslParsedKey");
  reporter.PrintRatio("8 MiB body, 2047-byte blocks joined / std::vector growth", "BM_GatherChunks", "BM_GatherVector");
  benchmark::Shutdown();
  return 0;
}
