#include "net/MessageCodec.h"

#include "net/Aes.h"
#include "net/ZipStream.h"
#include "platform/Files.h"
#include "platform/Bytes.h"

#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>

namespace net {

namespace {

// Lengths in a stage block are 32-bit words.
constexpr size_t kMaxStageBytes = std::numeric_limits<uint32_t>::max();

struct StageHead {
    uint32_t flags;
    uint32_t inputLength;
    uint32_t payloadLength;
};

bool ReadStageHead(const ByteBuffer& buffer, StageHead& head)
{
    if (buffer.Size() < kStageHeadBytes)
        return false;
    const uint8_t* p = buffer.Data();
    head.flags = platform::LoadLe32(p);
    head.inputLength = platform::LoadLe32(p + 4);
    head.payloadLength = platform::LoadLe32(p + 16);
    return true;
}

void WriteStageHead(uint8_t* p, uint32_t flags, size_t inputLength, size_t payloadLength)
{
    platform::StoreLe32(p, flags);
    platform::StoreLe32(p + 4, static_cast<uint32_t>(inputLength));
    platform::StoreLe32(p + 8, 0);
    platform::StoreLe32(p + 12, 0);
    platform::StoreLe32(p + 16, static_cast<uint32_t>(payloadLength));
}

// [0, n, 0, 0][n] before the unchanged input.
void Store(ByteBuffer& buffer)
{
    uint8_t head[kStageHeadBytes];
    WriteStageHead(head, 0, buffer.Size(), buffer.Size());
    buffer.Prepend(head, sizeof head);
}

// A stored block: both lengths must describe exactly the bytes that follow.
int Unstore(ByteBuffer& buffer, const StageHead& head)
{
    size_t rest = buffer.Size() - kStageHeadBytes;
    if (head.payloadLength != rest || head.inputLength != rest)
        return 0;
    buffer.Consume(kStageHeadBytes);
    return 1;
}

void Replace(ByteBuffer& buffer, const uint8_t* head, const uint8_t* payload, size_t payloadLength)
{
    buffer.Clear();
    buffer.Append(head, kStageHeadBytes);
    buffer.Append(payload, payloadLength);
}

// The direction of a decode is the receiver's, whatever direction bits the
// sender's flag word carried.
constexpr uint32_t DecodeFlags(uint32_t blockFlags)
{
    return (blockFlags & ~kCodecDirectionMask) | kCodecDecode;
}

} // namespace

int ZipTransform::Transform(const uint8_t* input, size_t length, std::vector<uint8_t>& output, uint32_t flags)
{
    output.clear();
    if (!(flags & kZipZlib))
        return 0;
    if (flags & kCodecEncode)
        return ZipCompress(input, length, output);
    if (flags & kCodecDecode)
        return ZipDecompress(input, length, output);
    return 0;
}

int CipherTransform::Transform(const uint8_t* key, int keyBits, const uint8_t* input, size_t length,
    uint8_t* output, size_t* outputLengthOut, uint32_t flags)
{
    if (length > std::numeric_limits<size_t>::max() - AesCipher::kBlockBytes)
        return 0;
    const size_t outputLength = AesOutputLength(length);
    if (outputLengthOut)
        *outputLengthOut = outputLength;
    if (!(flags & kCipherAes))
        return 0;
    if (output == nullptr)
        return 1;
    if (!(flags & kCodecDirectionMask))
        return 0;

    // A new schedule for every call: callers switch keys freely.
    AesCipher cipher;
    if (!cipher.SetKey(key, keyBits))
        return 0;
    if (flags & kCodecEncode)
        return cipher.AesEncryptEcb(input, length, output, nullptr);

    size_t written = 0;
    if (!cipher.AesDecryptEcb(input, length, output, &written))
        return 0;
    std::memset(output + written, 0, outputLength - written);
    return 1;
}

MessageCodec::MessageCodec(const uint8_t* key, int keyBits, uint32_t cipherFlags, uint32_t zipFlags)
    : m_key(key)
    , m_keyBits(keyBits)
    , m_cipherFlags(cipherFlags)
    , m_zipFlags(zipFlags)
{
}

int MessageCodec::SetParams(const uint8_t* key, int keyBits, uint32_t cipherFlags, uint32_t zipFlags)
{
    m_key = key;
    m_keyBits = keyBits;
    m_cipherFlags = cipherFlags;
    m_zipFlags = zipFlags;
    return 1;
}

int MessageCodec::Process(ByteBuffer& buffer, uint32_t direction)
{
    if (direction == kCodecEncode)
        return ZipStage(buffer, kCodecEncode) && CipherStage(buffer, kCodecEncode) ? 1 : 0;
    if (direction == kCodecDecode)
        return CipherStage(buffer, kCodecDecode) && ZipStage(buffer, kCodecDecode) ? 1 : 0;
    return 0;
}

int MessageCodec::ZipStage(ByteBuffer& buffer, uint32_t flags)
{
    if (flags & kCodecEncode)
        return ZipEncode(buffer);
    if (flags & kCodecDecode)
        return ZipDecode(buffer);
    return 0;
}

int MessageCodec::CipherStage(ByteBuffer& buffer, uint32_t flags)
{
    if (flags & kCodecEncode)
        return CipherEncode(buffer);
    if (flags & kCodecDecode)
        return CipherDecode(buffer);
    return 0;
}

int MessageCodec::ZipEncode(ByteBuffer& buffer)
{
    const size_t n = buffer.Size();
    if (n > kMaxStageBytes)
        return 0;
    std::vector<uint8_t> compressed;
    // Without kZipZlib, or when compression fails, the stage stores.
    if (m_zipFlags != 0 && m_zip.Transform(buffer.Data(), n, compressed, m_zipFlags | kCodecEncode)
        && compressed.size() <= kMaxStageBytes) {
        uint8_t head[kStageHeadBytes];
        WriteStageHead(head, m_zipFlags, n, compressed.size());
        Replace(buffer, head, compressed.data(), compressed.size());
        return 1;
    }
    Store(buffer);
    return 1;
}

int MessageCodec::ZipDecode(ByteBuffer& buffer)
{
    StageHead head;
    if (!ReadStageHead(buffer, head))
        return 0;
    if (head.flags == 0)
        return Unstore(buffer, head);
    if (head.payloadLength != buffer.Size() - kStageHeadBytes || head.inputLength > kMaxInflatedBytes)
        return 0;
    std::vector<uint8_t> plain;
    if (!m_zip.Transform(buffer.Data(kStageHeadBytes), head.payloadLength, plain, DecodeFlags(head.flags)))
        return 0;
    // The sender stated how many bytes went in; a stream that inflates to
    // anything else is corrupt or truncated.
    if (plain.size() != head.inputLength)
        return 0;
    buffer.Clear();
    buffer.Append(plain.data(), plain.size());
    return 1;
}

int MessageCodec::CipherEncode(ByteBuffer& buffer)
{
    if (m_cipherFlags == 0) {
        if (buffer.Size() > kMaxStageBytes)
            return 0;
        Store(buffer);
        return 1;
    }
    const size_t n = buffer.Size();
    size_t outputLength = 0;
    if (n > kMaxStageBytes - AesCipher::kBlockBytes
        || !m_cipher.Transform(m_key, m_keyBits, buffer.Data(), n, nullptr, &outputLength, m_cipherFlags))
        return 0;
    // The cipher writes every byte of the output.
    auto cipherText = std::make_unique_for_overwrite<uint8_t[]>(outputLength);
    if (!m_cipher.Transform(
            m_key, m_keyBits, buffer.Data(), n, cipherText.get(), &outputLength, m_cipherFlags | kCodecEncode))
        return 0;
    uint8_t head[kStageHeadBytes];
    WriteStageHead(head, m_cipherFlags, n, outputLength);
    Replace(buffer, head, cipherText.get(), outputLength);
    return 1;
}

int MessageCodec::CipherDecode(ByteBuffer& buffer)
{
    StageHead head;
    if (!ReadStageHead(buffer, head))
        return 0;
    if (head.flags == 0)
        return Unstore(buffer, head);
    // Only whole blocks are decrypted, so the data must end within them.
    const size_t wholeBlocks = head.payloadLength - head.payloadLength % AesCipher::kBlockBytes;
    if (head.payloadLength != buffer.Size() - kStageHeadBytes || head.inputLength > wholeBlocks)
        return 0;
    const uint8_t* cipherText = buffer.Data(kStageHeadBytes);
    const uint32_t flags = DecodeFlags(head.flags);
    size_t outputLength = 0;
    if (!m_cipher.Transform(m_key, m_keyBits, cipherText, head.payloadLength, nullptr, &outputLength, flags)
        || outputLength == 0)
        return 0;
    auto plain = std::make_unique_for_overwrite<uint8_t[]>(outputLength);
    if (!m_cipher.Transform(m_key, m_keyBits, cipherText, head.payloadLength, plain.get(), &outputLength, flags))
        return 0;
    buffer.Clear();
    buffer.Append(plain.get(), head.inputLength);
    return 1;
}

int MessageCodec::TransformFile(const std::string& inPath, const std::string& outPath, size_t chunkSize, uint32_t flags)
{
    if (chunkSize == 0)
        return 0;
    struct FileCloser {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, FileCloser> in(std::fopen(platform::NativePath(inPath).c_str(), "rb"));
    if (!in)
        return 0;
    std::unique_ptr<std::FILE, FileCloser> out(std::fopen(platform::NativePath(outPath).c_str(), "wb"));
    if (!out)
        return 0;

    std::vector<uint8_t> chunk(chunkSize);
    for (;;) {
        size_t got = std::fread(chunk.data(), 1, chunkSize, in.get());
        if (got == 0)
            break;
        ByteBuffer piece(chunk.data(), got);
        if (!CipherStage(piece, flags))
            return 0;
        if (std::fwrite(piece.Data(), 1, piece.Size(), out.get()) != piece.Size())
            return 0;
        if (got < chunkSize)
            break;
    }
    if (std::ferror(in.get()))
        return 0;
    return std::fclose(out.release()) == 0 ? 1 : 0;
}

} // namespace net
