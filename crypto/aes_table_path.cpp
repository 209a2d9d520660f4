#include "crypto/aes_paths.h"
#include "crypto/aes_tables.h"
#include "crypto/byte_order.h"

namespace {

// A full round's table words of column i come from the state words i,
// i + step, i + 2 step and i + 3 step (mod 4): step 1 is ShiftRows, step 3
// InvShiftRows.
struct Direction {
    const uint32_t (&tables)[4][256];
    const uint32_t* box;
    int step;
};

inline uint32_t Column(const Direction& d, const uint32_t* s, int i, uint32_t key)
{
    const auto& t = d.tables;
    return t[0][s[i] >> 24] ^ t[1][(s[(i + d.step) & 3] >> 16) & 0xFF] ^ t[2][(s[(i + 2 * d.step) & 3] >> 8) & 0xFF]
        ^ t[3][s[(i + 3 * d.step) & 3] & 0xFF] ^ key;
}

inline uint32_t LastColumn(const Direction& d, const uint32_t* s, int i, uint32_t key)
{
    const uint32_t* box = d.box;
    return (box[s[i] >> 24] & 0xFF000000) ^ (box[(s[(i + d.step) & 3] >> 16) & 0xFF] & 0x00FF0000)
        ^ (box[(s[(i + 2 * d.step) & 3] >> 8) & 0xFF] & 0x0000FF00) ^ (box[s[(i + 3 * d.step) & 3] & 0xFF] & 0x000000FF)
        ^ key;
}

void CryptBlock(const Direction& d, const uint32_t* rk, uint32_t rounds, const uint8_t* in, uint8_t* out)
{
    uint32_t s[4];
    uint32_t t[4];
    for (int i = 0; i < 4; ++i)
        s[i] = Load32Be(in + 4 * i) ^ rk[i];
    for (uint32_t round = 1; round < rounds; ++round) {
        rk += 4;
        for (int i = 0; i < 4; ++i)
            t[i] = Column(d, s, i, rk[i]);
        for (int i = 0; i < 4; ++i)
            s[i] = t[i];
    }
    rk += 4;
    for (int i = 0; i < 4; ++i)
        t[i] = LastColumn(d, s, i, rk[i]);
    for (int i = 0; i < 4; ++i)
        Store32Be(out + 4 * i, t[i]);
}

void CryptBlocks(const Direction& d, const uint32_t* rk, uint32_t rounds, const uint8_t* in, uint8_t* out, size_t blockCount)
{
    for (size_t i = 0; i < blockCount; ++i)
        CryptBlock(d, rk, rounds, in + 16 * i, out + 16 * i);
}

} // namespace

void AesTableEncryptBlocks(const AesContext& context, const uint8_t* in, uint8_t* out, size_t blockCount)
{
    const Direction forward{kAesTables.encrypt, kAesTables.sbox, 1};
    CryptBlocks(forward, context.encryptKeys, context.roundCount, in, out, blockCount);
}

void AesTableDecryptBlocks(const AesContext& context, const uint8_t* in, uint8_t* out, size_t blockCount)
{
    const Direction inverse{kAesTables.decrypt, kAesTables.inverseSbox, 3};
    CryptBlocks(inverse, context.decryptKeys, context.roundCount, in, out, blockCount);
}
