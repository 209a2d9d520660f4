#include "crypto/dh_group2.h"

#include <openssl/bn.h>

#include <memory>

namespace {

struct BnCtxFree {
  void operator()(BN_CTX* ctx) const { BN_CTX_free(ctx); }
};

}  // namespace

DhAgreement AgreeDhGroup2(std::span<const uint8_t> theirs_bytes, uint8_t ours_bytes[kDhGroup2Size],
                          uint8_t shared[kDhGroup2Size]) {
  std::unique_ptr<BN_CTX, BnCtxFree> ctx(BN_CTX_secure_new());
  if (ctx == nullptr) return DhAgreement::kFailed;
  BN_CTX_start(ctx.get());
  BIGNUM* prime = BN_CTX_get(ctx.get());
  BIGNUM* limit = BN_CTX_get(ctx.get());
  BIGNUM* theirs = BN_CTX_get(ctx.get());
  BIGNUM* secret = BN_CTX_get(ctx.get());
  BIGNUM* ours = BN_CTX_get(ctx.get());
  BIGNUM* agreed = BN_CTX_get(ctx.get());
  DhAgreement result = DhAgreement::kFailed;
  if (agreed != nullptr && BN_get_rfc2409_prime_1024(prime) != nullptr && BN_copy(limit, prime) != nullptr &&
      BN_sub_word(limit, 1) && BN_bin2bn(theirs_bytes.data(), static_cast<int>(theirs_bytes.size()), theirs)) {
    if (BN_cmp(theirs, BN_value_one()) <= 0 || BN_cmp(theirs, limit) >= 0) {
      result = DhAgreement::kOutOfRange;
    } else {
      BIGNUM* two = ours;
      BN_set_flags(secret, BN_FLG_CONSTTIME);
      constexpr int kSize = static_cast<int>(kDhGroup2Size);
      bool done = BN_priv_rand_range(secret, limit) && BN_add_word(secret, 1) && BN_set_word(two, 2) &&
                  BN_mod_exp_mont_consttime(ours, two, secret, prime, ctx.get(), nullptr) &&
                  BN_mod_exp_mont_consttime(agreed, theirs, secret, prime, ctx.get(), nullptr) &&
                  BN_bn2binpad(agreed, shared, kSize) == kSize && BN_bn2binpad(ours, ours_bytes, kSize) == kSize;
      if (done) result = DhAgreement::kAgreed;
    }
  }
  // BN_CTX_secure_new's numbers are cleared as the context ends.
  BN_CTX_end(ctx.get());
  return result;
}
