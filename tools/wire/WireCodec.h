#pragma once
// The game link's message codec as a peer sees it, written without the
// client's network library: the plain form, the zip stage (zlib) and the
// cipher stage (AES-128 in ECB mode from libcrypto, zero-padded), each
// wrapped in its 20-byte stage block.
//
// Stage block, little-endian u32 words: [flags][input length][0][0]
// [payload length] then the payload. Flags 0 means the stage stored its
// input unchanged.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tools {

constexpr uint32_t kCipherStage = 0x100;
constexpr uint32_t kZipStage = 0x400;
constexpr size_t kStageBlockSize = 20;
constexpr size_t kHeadSize = 24; // six u32 words

using AesKey = std::array<uint8_t, 16>;

// The key 00 01 02 ... 0f, handy for tests and demos.
AesKey CountingKey();

// Little-endian words, read and written byte by byte.
void PutU32(std::string& out, uint32_t value);
uint32_t GetU32(std::string_view bytes, size_t offset); // offset + 4 <= size

// A message as the peers exchange it: the six head words (word 1 is the
// request id, the reply code or the notification id) and the body.
struct PlainMessage {
    std::array<uint32_t, 6> head {};
    std::string body;

    uint32_t Id() const { return head[1]; }
};

// head, u32 body length, body.
std::string EncodePlain(const PlainMessage& message);
// Strict: the stated body length must match the bytes that follow.
bool DecodePlain(std::string_view bytes, PlainMessage& out, std::string& error);

// AES-128-ECB without an IV. Encryption pads with zero bytes to
// n - n % 16 + 16 bytes (a whole block of padding when n is a multiple of
// 16). Decryption needs a whole number of blocks.
bool AesEncryptZeroPadded(const AesKey& key, std::string_view input, std::string& out);
bool AesDecryptBlocks(const AesKey& key, std::string_view input, std::string& out);

// zlib stream with header, ended by a sync flush rather than a final block
// (finish = false), as this link's senders produce it; or a complete
// stream (finish = true).
bool Deflate(std::string_view input, std::string& out, bool finish = false);
// Accepts a stream that ends with a sync flush or a final block.
bool Inflate(std::string_view input, std::string& out);

struct StageOptions {
    AesKey key = CountingKey();
    bool cipher = true;
    bool zip = false;
};

// Plain form -> zip block -> cipher block.
std::string EncodeStages(std::string_view plain, const StageOptions& options);
// Follows the flags of the blocks received (only the key is ours). Strict:
// every length must agree, reserved words must be 0 and the cipher padding
// must be zero bytes; error says what was wrong.
bool DecodeStages(std::string_view coded, const AesKey& key, std::string& plain, std::string& error);

} // namespace tools
