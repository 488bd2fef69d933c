#pragma once
// The two-stage codec between a message's plain form and its coded form on
// the wire: a zip stage (zlib) and a cipher stage (AES-ECB). Each stage puts a
// stage block before its payload that says whether the stage was applied:
//
//   offset  0  u32 flags: 0 when the input is stored unchanged, else the
//              sender's flag word for the stage (kCipherAes / kZipZlib + ...)
//   offset  4  u32 input length: bytes that went into the stage
//   offset  8  u32 0
//   offset 12  u32 0
//   offset 16  u32 payload length
//   offset 20  payload: the input itself, the zlib stream or the ciphertext
//
// Coded form = cipher block + payload; the decrypted payload, cut to its input
// length, is the zip block + payload, whose inflated payload is the plain form.
// A decoder follows the flags of the blocks it receives; only the key is its
// own. Everything in a received block is checked against the bytes present.

#include "net/ByteBuffer.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace net {

// Bits of the flag words of the codec, its stages and its transforms.
constexpr uint32_t kCodecEncode = 0x1; // encode / encrypt / compress
constexpr uint32_t kCodecDecode = 0x2; // decode / decrypt / decompress
constexpr uint32_t kCodecDirectionMask = kCodecEncode | kCodecDecode;
constexpr uint32_t kCipherAes = 0x100; // cipher flags: the cipher stage is on
constexpr uint32_t kZipZlib = 0x400; // zip flags: the zip stage is on

constexpr size_t kStageHeadBytes = 20;

class ZipTransform {
public:
    virtual ~ZipTransform() = default;

    // Needs kZipZlib in `flags`; kCodecEncode compresses, else kCodecDecode
    // decompresses (at most kMaxInflatedBytes). `output` becomes the result.
    // 1, or 0 when the flags ask for nothing or nothing could be produced.
    int Transform(const uint8_t* input, size_t length, std::vector<uint8_t>& output, uint32_t flags);
};

class CipherTransform {
public:
    virtual ~CipherTransform() = default;

    // Always sets *outputLengthOut to length - length % 16 + 16. Needs
    // kCipherAes in `flags` and key bits with an AES variant. With a null
    // output it only reports the length; otherwise kCodecEncode encrypts, else
    // kCodecDecode decrypts into `output`, which must hold the reported length.
    // Decryption fills the whole blocks of the input and zeroes the rest.
    // 1, or 0 when the flags, key or key bits do not allow the operation.
    int Transform(const uint8_t* key, int keyBits, const uint8_t* input, size_t length, uint8_t* output,
        size_t* outputLengthOut, uint32_t flags);
};

class MessageCodec {
public:
    // `key` is not owned: it must stay valid while the codec uses it and hold
    // the number of bytes its key bits need.
    MessageCodec(const uint8_t* key, int keyBits, uint32_t cipherFlags, uint32_t zipFlags);
    virtual ~MessageCodec() = default;

    // kCodecEncode: zip stage, then cipher stage. kCodecDecode: cipher stage,
    // then zip stage. The buffer is transformed in place. 1, or 0 for any
    // other direction or when a stage fails (the buffer then holds what the
    // stages before the failing one made of it).
    virtual int Process(ByteBuffer& buffer, uint32_t direction);
    virtual int SetParams(const uint8_t* key, int keyBits, uint32_t cipherFlags, uint32_t zipFlags);
    // One stage: kCodecEncode in `flags` encodes, else kCodecDecode decodes,
    // else 0. A failing stage leaves the buffer unchanged.
    virtual int ZipStage(ByteBuffer& buffer, uint32_t flags);
    virtual int CipherStage(ByteBuffer& buffer, uint32_t flags);
    // Runs the cipher stage with `flags` over each chunk of `chunkSize` bytes
    // of the input file and writes the results one after another. 0 when a
    // file cannot be opened, a chunk fails or the output cannot be written.
    virtual int TransformFile(const std::string& inPath, const std::string& outPath, size_t chunkSize, uint32_t flags);

private:
    int ZipEncode(ByteBuffer& buffer);
    int ZipDecode(ByteBuffer& buffer);
    int CipherEncode(ByteBuffer& buffer);
    int CipherDecode(ByteBuffer& buffer);

    const uint8_t* m_key; // not owned
    int m_keyBits;
    uint32_t m_cipherFlags;
    uint32_t m_zipFlags;
    ZipTransform m_zip;
    CipherTransform m_cipher;
};

} // namespace net
