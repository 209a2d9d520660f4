#include <string.h>

#include <algorithm>
#include <chrono>

#include "crypto/sealed_bytes.h"
#include "crypto/sha.h"
#include "interchange/kdbx.h"
#include "interchange/kdbx_bytes.h"
#include "interchange/kdbx_gzip.h"
#include "interchange/kdbx_hmac_blocks.h"
#include "interchange/kdbx_inner_header.h"
#include "interchange/kdbx_inner_stream.h"
#include "interchange/kdbx_key.h"
#include "interchange/kdbx_outer_header.h"
#include "interchange/keepass_xml.h"

namespace {

constexpr size_t kBlockSize = size_t{1} << 20;
// More passes than a second ever takes; a bound on a mismeasured clock.
constexpr uint64_t kMaxMeasuredIterations = 1000;

KdbxWriteSettings write_settings;

bool RandomBytes(size_t size, std::string* out) {
  out->assign(size, '\0');
  return FillRandom(reinterpret_cast<uint8_t*>(out->data()), size);
}

// As KeePassXC picks them: one pass timed here, and as many passes as fit
// in the time asked for.
bool MeasureIterations(KdbxKdf kdf, double seconds, uint64_t* iterations, std::string* error) {
  uint8_t probe[32] = {}, ignored[32];
  kdf.rounds = 1;
  auto start = std::chrono::steady_clock::now();
  if (!TransformKey(kdf, probe, ignored, error)) return false;
  std::chrono::duration<double> pass = std::chrono::steady_clock::now() - start;
  explicit_bzero(ignored, sizeof ignored);
  double fit = seconds / std::max(pass.count(), 1e-6);
  *iterations = std::clamp<uint64_t>(static_cast<uint64_t>(fit + 0.5), 1, kMaxMeasuredIterations);
  return true;
}

bool NewHeader(const KdbxWriteSettings& settings, KdbxOuterHeader* header, std::string* error) {
  header->major = 4;
  header->cipher = settings.cipher;
  header->gzip = true;
  header->kdf.kind = KdbxKdfKind::kArgon2id;
  header->kdf.memory_bytes = settings.argon2_memory_bytes;
  header->kdf.parallelism = settings.argon2_parallelism;
  header->kdf.version = 0x13;
  if (!RandomBytes(32, &header->master_seed) || !RandomBytes(CipherIvSize(settings.cipher), &header->iv) ||
      !RandomBytes(32, &header->kdf.seed)) {
    *error = "the system gives no random bytes";
    return false;
  }
  header->kdf.rounds = settings.argon2_iterations;
  return header->kdf.rounds != 0 || MeasureIterations(header->kdf, settings.argon2_seconds, &header->kdf.rounds, error);
}

// The inner header and the entries' XML, their protected values under a
// new ChaCha20 stream, gzipped.
bool CompressedPayload(const std::vector<Entry>& entries, WipingBytes* compressed, std::string* error) {
  WipingBytes stream_key(64);
  if (!FillRandom(stream_key.data(), stream_key.size())) {
    *error = "the system gives no random bytes";
    return false;
  }
  KdbxInnerStream stream;
  if (!stream.Start(kInnerStreamChaCha20, AsText(stream_key), error)) return false;
  std::string xml;
  bool ok = WriteKdbxXml(entries, stream, &xml, error);
  WipingBytes payload;
  if (ok) {
    AppendKdbxInnerHeader(kInnerStreamChaCha20, stream_key, &payload);
    payload.insert(payload.end(), xml.begin(), xml.end());
  }
  WipeString(&xml);
  if (ok && !Gzip(payload, compressed)) {
    *error = "the database cannot be compressed";
    ok = false;
  }
  return ok;
}

}  // namespace

bool WriteKdbx(const std::vector<Entry>& entries, const FileKey& key, std::string* out, std::string* error) {
  return WriteKdbxWith(entries, key, write_settings, out, error);
}

void SetKdbxWriteSettings(const KdbxWriteSettings& settings) { write_settings = settings; }

bool WriteKdbxWith(const std::vector<Entry>& entries, const FileKey& key, const KdbxWriteSettings& settings,
                   std::string* out, std::string* error) {
  KdbxOuterHeader header;
  WipingBytes compressed;
  if (!NewHeader(settings, &header, error) || !CompressedPayload(entries, &compressed, error)) return false;
  uint8_t composite[32], transformed[32], cipher_key[32], hmac_base[64];
  bool ok = CompositeKey(key, false, composite, error) && TransformKey(header.kdf, composite, transformed, error);
  explicit_bzero(composite, sizeof composite);
  std::string encrypted;
  if (ok) {
    Sha256({AsBytes(header.master_seed), transformed}, cipher_key);
    HmacBaseKey(header.master_seed, transformed, hmac_base);
    ok = EncryptPayload(header.cipher, cipher_key, header.iv, compressed, &encrypted);
    if (!ok) *error = "the database cannot be encrypted";
  }
  if (ok) {
    std::string header_bytes = SerializeKdbx4OuterHeader(header);
    uint8_t hash[32], hmac[32];
    Sha256({AsBytes(header_bytes)}, hash);
    HeaderHmac(hmac_base, header_bytes, hmac);
    out->clear();
    out->reserve(header_bytes.size() + 64 + encrypted.size() + (encrypted.size() / kBlockSize + 2) * 36);
    *out += header_bytes;
    out->append(AsText(hash));
    out->append(AsText(hmac));
    WriteHmacBlocks(AsBytes(encrypted), hmac_base, kBlockSize, out);
  }
  explicit_bzero(transformed, sizeof transformed);
  explicit_bzero(cipher_key, sizeof cipher_key);
  explicit_bzero(hmac_base, sizeof hmac_base);
  return ok;
}
