#pragma once
// AES (128, 192 and 256-bit keys) in ECB mode, without an initialisation
// vector, as the message codec and the lobby records use it.
//
// The lookup tables are derived from the field arithmetic once per process
// and shared by every cipher object; AesBuildTables may be called from any
// thread, the first call builds them and every other waits until they are
// complete.

#include <cstddef>
#include <cstdint>

namespace net {

// The process-wide tables. Words are big-endian views of one column:
// byte 0 of the column is the most significant byte.
struct AesTables {
    uint8_t sbox[256];
    uint8_t invSbox[256];
    uint32_t rcon[10];
    // Encryption round: SubBytes and MixColumns of one byte, rotated per row.
    uint32_t te[4][256];
    // Decryption round: InvSubBytes and InvMixColumns, rotated per row.
    uint32_t td[4][256];
};

const AesTables& AesBuildTables();

// Output length of AesEncryptEcb for an input of `length` bytes: the input is
// zero-padded to the next whole block, and a whole-block input gains one
// block of encrypted zeros.
constexpr size_t AesOutputLength(size_t length)
{
    return length - length % 16 + 16;
}

class AesCipher {
public:
    static constexpr int kBlockBytes = 16;
    static constexpr int kMaxRounds = 14;

    AesCipher() = default;

    // Key bits 97-128 use 16 key bytes (10 rounds), 161-192 use 24 (12 rounds),
    // 225-256 use 32 (14 rounds). Any other value has no variant: false, and
    // the cipher stays unkeyed.
    bool SetKey(const uint8_t* key, int keyBits);
    bool IsKeyed() const { return m_rounds != 0; }
    int Rounds() const { return m_rounds; }

    // Key bytes used for the given key bits, or 0 when no variant exists.
    static int KeyBytesFor(int keyBits);

    void EncryptBlock(const uint8_t* in, uint8_t* out) const;
    void DecryptBlock(const uint8_t* in, uint8_t* out) const;

    // Encrypts `length` bytes into AesOutputLength(length) bytes of output
    // (the trailing partial block and any padding block are zero-filled
    // before encryption). 1, or 0 when the cipher has no key.
    int AesEncryptEcb(const uint8_t* input, size_t length, uint8_t* output, size_t* outputLengthOut) const;

    // Decrypts the whole blocks of the input in order; a trailing partial
    // block is neither read nor written. *outputLengthOut receives the number
    // of bytes written (length rounded down to whole blocks). 1, or 0 when
    // the cipher has no key.
    int AesDecryptEcb(const uint8_t* input, size_t length, uint8_t* output, size_t* outputLengthOut) const;

private:
    uint32_t m_encKeys[4 * (kMaxRounds + 1)] = {};
    uint32_t m_decKeys[4 * (kMaxRounds + 1)] = {};
    int m_rounds = 0;
};

} // namespace net
