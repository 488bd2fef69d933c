#include "net/Aes.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

using net::AesCipher;

namespace {

std::vector<uint8_t> FromHex(const std::string& hex)
{
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

// OpenSSL's AES-ECB without padding over whole blocks: the reference.
std::vector<uint8_t> OpenSslEcb(bool encrypt, const std::vector<uint8_t>& key, const std::vector<uint8_t>& input)
{
    const EVP_CIPHER* kind = key.size() == 16 ? EVP_aes_128_ecb()
        : key.size() == 24                    ? EVP_aes_192_ecb()
                                              : EVP_aes_256_ecb();
    std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(), EVP_CIPHER_CTX_free);
    std::vector<uint8_t> out(input.size() + 16);
    int n = 0;
    int tail = 0;
    EXPECT_EQ(EVP_CipherInit_ex(ctx.get(), kind, nullptr, key.data(), nullptr, encrypt ? 1 : 0), 1);
    EVP_CIPHER_CTX_set_padding(ctx.get(), 0);
    EXPECT_EQ(EVP_CipherUpdate(ctx.get(), out.data(), &n, input.data(), static_cast<int>(input.size())), 1);
    EXPECT_EQ(EVP_CipherFinal_ex(ctx.get(), out.data() + n, &tail), 1);
    out.resize(static_cast<size_t>(n + tail));
    return out;
}

} // namespace

TEST(Aes, KnownAnswersOfTheStandard)
{
    struct Case {
        int keyBits;
        const char* key;
        const char* cipherText;
    };
    const Case cases[] = {
        { 128, "000102030405060708090a0b0c0d0e0f", "69c4e0d86a7b0430d8cdb78070b4c55a" },
        { 192, "000102030405060708090a0b0c0d0e0f1011121314151617", "dda97ca4864cdfe06eaf70a0ec0d7191" },
        { 256, "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f", "8ea2b7ca516745bfeafc49904b496089" },
    };
    const auto plain = FromHex("00112233445566778899aabbccddeeff");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keyBits);
        AesCipher cipher;
        ASSERT_TRUE(cipher.SetKey(FromHex(c.key).data(), c.keyBits));
        EXPECT_EQ(cipher.Rounds(), c.keyBits / 32 + 6);
        uint8_t out[16];
        cipher.EncryptBlock(plain.data(), out);
        EXPECT_EQ(std::vector<uint8_t>(out, out + 16), FromHex(c.cipherText));
        cipher.DecryptBlock(out, out);
        EXPECT_EQ(std::vector<uint8_t>(out, out + 16), plain);
    }
}

TEST(Aes, TablesComeFromTheFieldArithmetic)
{
    const net::AesTables& t = net::AesBuildTables();
    EXPECT_EQ(t.sbox[0x00], 0x63);
    EXPECT_EQ(t.sbox[0x53], 0xED);
    EXPECT_EQ(t.sbox[0xFF], 0x16);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(t.invSbox[t.sbox[i]], i);
    EXPECT_EQ(t.rcon[0], 0x01000000u);
    EXPECT_EQ(t.rcon[9], 0x36000000u);
    // S(0x00) = 0x63: MixColumns column (2, 1, 1, 3) x 0x63 = c6 63 63 a5.
    EXPECT_EQ(t.te[0][0x00], 0xC66363A5u);
    EXPECT_EQ(t.te[1][0x00], 0xA5C66363u);
    // InvS(0x00) = 0x52: column (14, 9, 13, 11) x 0x52 = 51 f4 a7 50.
    EXPECT_EQ(t.td[0][0x00], 0x51F4A750u);
    EXPECT_EQ(&t, &net::AesBuildTables());
}

TEST(Aes, KeyBitsChooseTheVariantByRange)
{
    struct Case {
        int keyBits;
        int keyBytes;
    };
    const Case cases[] = {
        { 0, 0 }, { 96, 0 }, { 97, 16 }, { 100, 16 }, { 128, 16 }, { 129, 0 }, { 160, 0 }, { 161, 24 }, { 192, 24 },
        { 193, 0 }, { 224, 0 }, { 225, 32 }, { 256, 32 }, { 257, 0 }, { -128, 0 },
    };
    uint8_t key[32];
    for (int i = 0; i < 32; ++i)
        key[i] = static_cast<uint8_t>(i * 7 + 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keyBits);
        EXPECT_EQ(AesCipher::KeyBytesFor(c.keyBits), c.keyBytes);
        AesCipher cipher;
        EXPECT_EQ(cipher.SetKey(key, c.keyBits), c.keyBytes != 0);
        uint8_t out[32]; // a whole block in gains a block of padding
        size_t outLength = 0;
        EXPECT_EQ(cipher.AesEncryptEcb(key, 16, out, &outLength), c.keyBytes != 0 ? 1 : 0);
        if (c.keyBytes == 0)
            continue;
        // Only the first keyBytes bytes of the key are used: the same as
        // the full-width key of that length.
        AesCipher reference;
        ASSERT_TRUE(reference.SetKey(key, c.keyBytes * 8));
        uint8_t expect[16];
        reference.EncryptBlock(key, expect);
        uint8_t got[16];
        cipher.EncryptBlock(key, got);
        EXPECT_EQ(0, std::memcmp(got, expect, 16));
    }
}

// Random keys of all three sizes and random lengths, against OpenSSL.
TEST(Aes, EcbMatchesOpenSsl)
{
    std::mt19937 random(20261210);
    std::uniform_int_distribution<int> byte(0, 255);
    const int keySizes[] = { 16, 24, 32 };
    for (int round = 0; round < 300; ++round) {
        const int keyBytes = keySizes[round % 3];
        std::vector<uint8_t> key(static_cast<size_t>(keyBytes));
        for (auto& b : key)
            b = static_cast<uint8_t>(byte(random));
        const size_t length = std::uniform_int_distribution<size_t>(0, 300)(random);
        std::vector<uint8_t> input(length);
        for (auto& b : input)
            b = static_cast<uint8_t>(byte(random));
        SCOPED_TRACE(testing::Message() << "key bytes " << keyBytes << ", length " << length);

        AesCipher cipher;
        ASSERT_TRUE(cipher.SetKey(key.data(), keyBytes * 8));
        const size_t expectLength = length - length % 16 + 16;
        std::vector<uint8_t> encrypted(expectLength);
        size_t outLength = 0;
        ASSERT_EQ(cipher.AesEncryptEcb(input.data(), length, encrypted.data(), &outLength), 1);
        ASSERT_EQ(outLength, expectLength);

        std::vector<uint8_t> padded = input;
        padded.resize(expectLength, 0);
        EXPECT_EQ(encrypted, OpenSslEcb(true, key, padded));

        std::vector<uint8_t> decrypted(expectLength);
        ASSERT_EQ(cipher.AesDecryptEcb(encrypted.data(), encrypted.size(), decrypted.data(), &outLength), 1);
        EXPECT_EQ(outLength, expectLength);
        EXPECT_EQ(decrypted, padded);
        EXPECT_EQ(OpenSslEcb(false, key, encrypted), padded);
    }
}

TEST(Aes, DecryptOfAPartialBlockStaysWithinTheInput)
{
    AesCipher cipher;
    const uint8_t key[16] = { 1, 2, 3 };
    ASSERT_TRUE(cipher.SetKey(key, 128));
    for (size_t length : { size_t { 0 }, size_t { 5 }, size_t { 20 }, size_t { 47 } }) {
        SCOPED_TRACE(length);
        // Exactly sized heap blocks, so a read or write past them is caught
        // by the address sanitizer.
        auto input = std::make_unique<uint8_t[]>(length);
        for (size_t i = 0; i < length; ++i)
            input[i] = static_cast<uint8_t>(i);
        const size_t whole = length - length % 16;
        auto output = std::make_unique<uint8_t[]>(whole + 1);
        output[whole] = 0xAB;
        size_t outLength = 99;
        ASSERT_EQ(cipher.AesDecryptEcb(input.get(), length, output.get(), &outLength), 1);
        EXPECT_EQ(outLength, whole);
        EXPECT_EQ(output[whole], 0xAB);
    }
}

TEST(Aes, UnkeyedCipherRefuses)
{
    AesCipher cipher;
    uint8_t block[32] = {};
    size_t outLength = 0;
    EXPECT_FALSE(cipher.IsKeyed());
    EXPECT_EQ(cipher.AesEncryptEcb(block, 16, block, &outLength), 0);
    EXPECT_EQ(cipher.AesDecryptEcb(block, 16, block, &outLength), 0);
}

// CTest runs each test in its own process, so here the threads race for the
// first use of the tables (the network thread decrypts while the interface
// thread encrypts).
TEST(Aes, ConcurrentFirstUseSeesCompleteTables)
{
    const auto key = FromHex("000102030405060708090a0b0c0d0e0f");
    const auto plain = FromHex("00112233445566778899aabbccddeeff");
    const auto expect = FromHex("69c4e0d86a7b0430d8cdb78070b4c55a");
    constexpr int kThreads = 8;
    std::vector<std::vector<uint8_t>> results(kThreads);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            AesCipher cipher;
            cipher.SetKey(key.data(), 128);
            results[i].resize(32);
            size_t n = 0;
            cipher.AesEncryptEcb(plain.data(), 16, results[i].data(), &n);
            results[i].resize(16);
        });
    }
    for (auto& t : threads)
        t.join();
    for (const auto& r : results)
        EXPECT_EQ(r, expect);
}
