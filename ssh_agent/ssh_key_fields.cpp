#include "ssh_agent/ssh_key_fields.h"

#include "ssh_agent/key_consistency.h"

#include <algorithm>
#include <string>

namespace {

constexpr size_t kEd25519PublicSize = 32;
constexpr size_t kEd25519PrivateSize = 64;  // the seed, then the public key

struct Curve {
  std::string_view name;
  const char* openSslName;
  size_t coordinateSize;
};
constexpr Curve kCurves[] = {
    {"nistp256", "prime256v1", 32}, {"nistp384", "secp384r1", 48}, {"nistp521", "secp521r1", 66}};

const Curve* FindCurve(std::string_view name) {
  for (const Curve& curve : kCurves) {
    if (curve.name == name) return &curve;
  }
  return nullptr;
}

std::span<const uint8_t> WithoutLeadingZeros(std::span<const uint8_t> number) {
  while (!number.empty() && number[0] == 0) number = number.subspan(1);
  return number;
}

// An mpint as a magnitude; false for a negative one, which no key has.
bool ReadMpint(WireReader& reader, std::span<const uint8_t>* magnitude) {
  if (!reader.ReadString(magnitude)) return false;
  if (!magnitude->empty() && ((*magnitude)[0] & 0x80) != 0) return false;
  *magnitude = WithoutLeadingZeros(*magnitude);
  return true;
}

void PutPublicBlob(SshPrivateKey* key, const WipingBytes& blob) { key->publicBlob.assign(blob.begin(), blob.end()); }

}  // namespace

SshKeyFault BuildEd25519Key(std::span<const uint8_t> publicKey, std::span<const uint8_t> privateKey,
                            SshPrivateKey* key) {
  if (publicKey.size() != kEd25519PublicSize || privateKey.size() != kEd25519PrivateSize ||
      !std::equal(publicKey.begin(), publicKey.end(), privateKey.begin() + kEd25519PublicSize) ||
      !Ed25519SeedMakes(privateKey.first(kEd25519PublicSize), publicKey)) {
    return SshKeyFault::kDamaged;
  }
  key->type = "ssh-ed25519";
  WipingBytes blob;
  PutString(blob, key->type);
  PutString(blob, publicKey);
  PutPublicBlob(key, blob);
  key->fields.clear();
  PutString(key->fields, publicKey);
  PutString(key->fields, privateKey);
  return SshKeyFault::kNone;
}

SshKeyFault BuildEcdsaKey(std::string_view curveName, std::span<const uint8_t> point, std::span<const uint8_t> scalar,
                          SshPrivateKey* key) {
  const Curve* curve = FindCurve(curveName);
  if (curve == nullptr) return SshKeyFault::kUnsupportedType;
  scalar = WithoutLeadingZeros(scalar);
  if (point.size() != 1 + 2 * curve->coordinateSize || point[0] != 0x04 || scalar.empty() ||
      scalar.size() > curve->coordinateSize || !EcdsaScalarMakes(curve->openSslName, scalar, point)) {
    return SshKeyFault::kDamaged;
  }
  key->type = "ecdsa-sha2-" + std::string(curveName);
  WipingBytes blob;
  PutString(blob, key->type);
  PutString(blob, curveName);
  PutString(blob, point);
  PutPublicBlob(key, blob);
  key->fields.clear();
  PutString(key->fields, curveName);
  PutString(key->fields, point);
  PutMpint(key->fields, scalar);
  return SshKeyFault::kNone;
}

SshKeyFault BuildRsaKey(const RsaNumbers& numbers, SshPrivateKey* key) {
  for (std::span<const uint8_t> number : {numbers.n, numbers.e, numbers.d, numbers.iqmp, numbers.p, numbers.q}) {
    if (WithoutLeadingZeros(number).empty()) return SshKeyFault::kDamaged;
  }
  if (!RsaFactorsMake(numbers.p, numbers.q, numbers.n)) return SshKeyFault::kDamaged;
  key->type = "ssh-rsa";
  WipingBytes blob;
  PutString(blob, key->type);
  PutMpint(blob, numbers.e);
  PutMpint(blob, numbers.n);
  PutPublicBlob(key, blob);
  key->fields.clear();
  for (std::span<const uint8_t> number : {numbers.n, numbers.e, numbers.d, numbers.iqmp, numbers.p, numbers.q}) {
    PutMpint(key->fields, number);
  }
  return SshKeyFault::kNone;
}

SshKeyFault ReadSshKeyFields(std::string_view type, WireReader& reader, SshPrivateKey* key) {
  if (type == "ssh-ed25519") {
    std::span<const uint8_t> publicKey, privateKey;
    if (!reader.ReadString(&publicKey) || !reader.ReadString(&privateKey)) return SshKeyFault::kDamaged;
    return BuildEd25519Key(publicKey, privateKey, key);
  }
  if (type.starts_with("ecdsa-sha2-")) {
    std::string_view curve;
    std::span<const uint8_t> point, scalar;
    if (FindCurve(type.substr(11)) == nullptr) return SshKeyFault::kUnsupportedType;
    if (!reader.ReadString(&curve) || curve != type.substr(11) || !reader.ReadString(&point) ||
        !ReadMpint(reader, &scalar)) {
      return SshKeyFault::kDamaged;
    }
    return BuildEcdsaKey(curve, point, scalar, key);
  }
  if (type == "ssh-rsa") {
    RsaNumbers numbers;
    for (std::span<const uint8_t>* number :
         {&numbers.n, &numbers.e, &numbers.d, &numbers.iqmp, &numbers.p, &numbers.q}) {
      if (!ReadMpint(reader, number)) return SshKeyFault::kDamaged;
    }
    return BuildRsaKey(numbers, key);
  }
  return SshKeyFault::kUnsupportedType;
}
