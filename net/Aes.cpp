#include "net/Aes.h"
#include "platform/Bytes.h"

#include <cstring>

namespace net {

namespace {

constexpr uint8_t XTime(uint8_t x)
{
    return static_cast<uint8_t>((x << 1) ^ ((x & 0x80) ? 0x1B : 0x00));
}

constexpr uint32_t RotateRight(uint32_t w, int bits)
{
    return (w >> bits) | (w << (32 - bits));
}

constexpr uint8_t RotateLeft8(uint8_t b, int bits)
{
    return static_cast<uint8_t>((b << bits) | (b >> (8 - bits)));
}

AesTables MakeTables()
{
    AesTables t {};

    // Powers of the generator 3 and their logarithms in GF(2^8) modulo 0x11B.
    uint8_t exp[255];
    uint8_t log[256] = {};
    uint8_t x = 1;
    for (int i = 0; i < 255; ++i) {
        exp[i] = x;
        log[x] = static_cast<uint8_t>(i);
        x = static_cast<uint8_t>(x ^ XTime(x));
    }
    auto mul = [&](uint8_t a, uint8_t b) -> uint32_t {
        if (a == 0 || b == 0)
            return 0;
        return exp[(log[a] + log[b]) % 255];
    };

    for (int i = 0; i < 256; ++i) {
        uint8_t inverse = i == 0 ? 0 : exp[(255 - log[i]) % 255];
        uint8_t s = static_cast<uint8_t>(inverse ^ RotateLeft8(inverse, 1) ^ RotateLeft8(inverse, 2)
            ^ RotateLeft8(inverse, 3) ^ RotateLeft8(inverse, 4) ^ 0x63);
        t.sbox[i] = s;
        t.invSbox[s] = static_cast<uint8_t>(i);
    }

    uint8_t r = 1;
    for (uint32_t& word : t.rcon) {
        word = static_cast<uint32_t>(r) << 24;
        r = XTime(r);
    }

    for (int i = 0; i < 256; ++i) {
        uint8_t s = t.sbox[i];
        uint32_t e = mul(s, 2) << 24 | uint32_t { s } << 16 | uint32_t { s } << 8 | mul(s, 3);
        uint8_t v = t.invSbox[i];
        uint32_t d = mul(v, 14) << 24 | mul(v, 9) << 16 | mul(v, 13) << 8 | mul(v, 11);
        for (int k = 0; k < 4; ++k) {
            t.te[k][i] = k == 0 ? e : RotateRight(e, 8 * k);
            t.td[k][i] = k == 0 ? d : RotateRight(d, 8 * k);
        }
    }
    return t;
}

inline uint32_t SubWord(const AesTables& t, uint32_t w)
{
    return static_cast<uint32_t>(t.sbox[w >> 24]) << 24 | static_cast<uint32_t>(t.sbox[(w >> 16) & 0xFF]) << 16
        | static_cast<uint32_t>(t.sbox[(w >> 8) & 0xFF]) << 8 | static_cast<uint32_t>(t.sbox[w & 0xFF]);
}

// One block with the combined round tables. `in` and `out` may be the same.
inline void EncryptOne(const AesTables& t, const uint32_t* rk, int rounds, const uint8_t* in, uint8_t* out)
{
    const uint32_t* te0 = t.te[0];
    const uint32_t* te1 = t.te[1];
    const uint32_t* te2 = t.te[2];
    const uint32_t* te3 = t.te[3];
    uint32_t s0 = platform::LoadBe32(in) ^ rk[0];
    uint32_t s1 = platform::LoadBe32(in + 4) ^ rk[1];
    uint32_t s2 = platform::LoadBe32(in + 8) ^ rk[2];
    uint32_t s3 = platform::LoadBe32(in + 12) ^ rk[3];
    for (int round = 1; round < rounds; ++round) {
        rk += 4;
        uint32_t t0 = te0[s0 >> 24] ^ te1[(s1 >> 16) & 0xFF] ^ te2[(s2 >> 8) & 0xFF] ^ te3[s3 & 0xFF] ^ rk[0];
        uint32_t t1 = te0[s1 >> 24] ^ te1[(s2 >> 16) & 0xFF] ^ te2[(s3 >> 8) & 0xFF] ^ te3[s0 & 0xFF] ^ rk[1];
        uint32_t t2 = te0[s2 >> 24] ^ te1[(s3 >> 16) & 0xFF] ^ te2[(s0 >> 8) & 0xFF] ^ te3[s1 & 0xFF] ^ rk[2];
        uint32_t t3 = te0[s3 >> 24] ^ te1[(s0 >> 16) & 0xFF] ^ te2[(s1 >> 8) & 0xFF] ^ te3[s2 & 0xFF] ^ rk[3];
        s0 = t0;
        s1 = t1;
        s2 = t2;
        s3 = t3;
    }
    rk += 4;
    const uint8_t* sb = t.sbox;
    auto last = [sb](uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
        return static_cast<uint32_t>(sb[a >> 24]) << 24 | static_cast<uint32_t>(sb[(b >> 16) & 0xFF]) << 16
            | static_cast<uint32_t>(sb[(c >> 8) & 0xFF]) << 8 | static_cast<uint32_t>(sb[d & 0xFF]);
    };
    platform::StoreBe32(out, last(s0, s1, s2, s3) ^ rk[0]);
    platform::StoreBe32(out + 4, last(s1, s2, s3, s0) ^ rk[1]);
    platform::StoreBe32(out + 8, last(s2, s3, s0, s1) ^ rk[2]);
    platform::StoreBe32(out + 12, last(s3, s0, s1, s2) ^ rk[3]);
}

inline void DecryptOne(const AesTables& t, const uint32_t* rk, int rounds, const uint8_t* in, uint8_t* out)
{
    const uint32_t* td0 = t.td[0];
    const uint32_t* td1 = t.td[1];
    const uint32_t* td2 = t.td[2];
    const uint32_t* td3 = t.td[3];
    uint32_t s0 = platform::LoadBe32(in) ^ rk[0];
    uint32_t s1 = platform::LoadBe32(in + 4) ^ rk[1];
    uint32_t s2 = platform::LoadBe32(in + 8) ^ rk[2];
    uint32_t s3 = platform::LoadBe32(in + 12) ^ rk[3];
    for (int round = 1; round < rounds; ++round) {
        rk += 4;
        uint32_t t0 = td0[s0 >> 24] ^ td1[(s3 >> 16) & 0xFF] ^ td2[(s2 >> 8) & 0xFF] ^ td3[s1 & 0xFF] ^ rk[0];
        uint32_t t1 = td0[s1 >> 24] ^ td1[(s0 >> 16) & 0xFF] ^ td2[(s3 >> 8) & 0xFF] ^ td3[s2 & 0xFF] ^ rk[1];
        uint32_t t2 = td0[s2 >> 24] ^ td1[(s1 >> 16) & 0xFF] ^ td2[(s0 >> 8) & 0xFF] ^ td3[s3 & 0xFF] ^ rk[2];
        uint32_t t3 = td0[s3 >> 24] ^ td1[(s2 >> 16) & 0xFF] ^ td2[(s1 >> 8) & 0xFF] ^ td3[s0 & 0xFF] ^ rk[3];
        s0 = t0;
        s1 = t1;
        s2 = t2;
        s3 = t3;
    }
    rk += 4;
    const uint8_t* si = t.invSbox;
    auto last = [si](uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
        return static_cast<uint32_t>(si[a >> 24]) << 24 | static_cast<uint32_t>(si[(b >> 16) & 0xFF]) << 16
            | static_cast<uint32_t>(si[(c >> 8) & 0xFF]) << 8 | static_cast<uint32_t>(si[d & 0xFF]);
    };
    platform::StoreBe32(out, last(s0, s3, s2, s1) ^ rk[0]);
    platform::StoreBe32(out + 4, last(s1, s0, s3, s2) ^ rk[1]);
    platform::StoreBe32(out + 8, last(s2, s1, s0, s3) ^ rk[2]);
    platform::StoreBe32(out + 12, last(s3, s2, s1, s0) ^ rk[3]);
}

} // namespace

const AesTables& AesBuildTables()
{
    // Initialisation of a function-local static is thread-safe: concurrent
    // first callers wait until the tables are complete.
    static const AesTables tables = MakeTables();
    return tables;
}

int AesCipher::KeyBytesFor(int keyBits)
{
    if (keyBits >= 97 && keyBits <= 128)
        return 16;
    if (keyBits >= 161 && keyBits <= 192)
        return 24;
    if (keyBits >= 225 && keyBits <= 256)
        return 32;
    return 0;
}

bool AesCipher::SetKey(const uint8_t* key, int keyBits)
{
    m_rounds = 0;
    int keyBytes = KeyBytesFor(keyBits);
    if (keyBytes == 0 || key == nullptr)
        return false;

    const AesTables& t = AesBuildTables();
    const int nk = keyBytes / 4;
    const int rounds = nk + 6;
    const int words = 4 * (rounds + 1);

    uint32_t* w = m_encKeys;
    for (int i = 0; i < nk; ++i)
        w[i] = platform::LoadBe32(key + 4 * i);
    for (int i = nk; i < words; ++i) {
        uint32_t temp = w[i - 1];
        if (i % nk == 0)
            temp = SubWord(t, (temp << 8) | (temp >> 24)) ^ t.rcon[i / nk - 1];
        else if (nk > 6 && i % nk == 4)
            temp = SubWord(t, temp);
        w[i] = w[i - nk] ^ temp;
    }

    // Equivalent inverse cipher: round keys in reverse order, InvMixColumns
    // applied to every round key but the first and the last.
    uint32_t* d = m_decKeys;
    for (int round = 0; round <= rounds; ++round)
        std::memcpy(d + 4 * round, w + 4 * (rounds - round), 16);
    for (int i = 4; i < 4 * rounds; ++i) {
        uint32_t k = d[i];
        d[i] = t.td[0][t.sbox[k >> 24]] ^ t.td[1][t.sbox[(k >> 16) & 0xFF]] ^ t.td[2][t.sbox[(k >> 8) & 0xFF]]
            ^ t.td[3][t.sbox[k & 0xFF]];
    }

    m_rounds = rounds;
    return true;
}

void AesCipher::EncryptBlock(const uint8_t* in, uint8_t* out) const
{
    EncryptOne(AesBuildTables(), m_encKeys, m_rounds, in, out);
}

void AesCipher::DecryptBlock(const uint8_t* in, uint8_t* out) const
{
    DecryptOne(AesBuildTables(), m_decKeys, m_rounds, in, out);
}

int AesCipher::AesEncryptEcb(const uint8_t* input, size_t length, uint8_t* output, size_t* outputLengthOut) const
{
    if (m_rounds == 0)
        return 0;
    const AesTables& t = AesBuildTables();
    const size_t whole = length - length % kBlockBytes;
    for (size_t at = 0; at < whole; at += kBlockBytes)
        EncryptOne(t, m_encKeys, m_rounds, input + at, output + at);

    // The rest of the input, padded with zeros, makes one more block; for a
    // whole-block input that block is all zeros.
    uint8_t last[kBlockBytes] = {};
    if (length > whole)
        std::memcpy(last, input + whole, length - whole);
    EncryptOne(t, m_encKeys, m_rounds, last, output + whole);

    if (outputLengthOut)
        *outputLengthOut = AesOutputLength(length);
    return 1;
}

int AesCipher::AesDecryptEcb(const uint8_t* input, size_t length, uint8_t* output, size_t* outputLengthOut) const
{
    if (m_rounds == 0)
        return 0;
    const AesTables& t = AesBuildTables();
    const size_t whole = length - length % kBlockBytes;
    for (size_t at = 0; at < whole; at += kBlockBytes)
        DecryptOne(t, m_decKeys, m_rounds, input + at, output + at);
    if (outputLengthOut)
        *outputLengthOut = whole;
    return 1;
}

} // namespace net
