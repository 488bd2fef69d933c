#include "tools/wire/WireCodec.h"
#include "platform/Bytes.h"

#include <openssl/evp.h>
#include <zlib.h>

#include <memory>

namespace tools {

namespace {

struct CipherContextDeleter {
    void operator()(EVP_CIPHER_CTX* c) const { EVP_CIPHER_CTX_free(c); }
};
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, CipherContextDeleter>;

bool RunAes(const AesKey& key, std::string_view input, std::string& out, bool encrypt)
{
    if (input.size() % 16 != 0)
        return false;
    CipherContext context(EVP_CIPHER_CTX_new());
    if (!context
        || EVP_CipherInit_ex(context.get(), EVP_aes_128_ecb(), nullptr, key.data(), nullptr, encrypt ? 1 : 0) != 1
        || EVP_CIPHER_CTX_set_padding(context.get(), 0) != 1)
        return false;
    out.assign(input.size(), '\0');
    int written = 0;
    int last = 0;
    if (!input.empty()
        && EVP_CipherUpdate(context.get(), reinterpret_cast<unsigned char*>(out.data()), &written,
               reinterpret_cast<const unsigned char*>(input.data()), static_cast<int>(input.size()))
            != 1)
        return false;
    if (EVP_CipherFinal_ex(context.get(), reinterpret_cast<unsigned char*>(out.data()) + written, &last) != 1)
        return false;
    return static_cast<size_t>(written + last) == input.size();
}

std::string StageBlock(uint32_t flags, size_t inputLength, std::string_view payload)
{
    std::string out;
    out.reserve(kStageBlockSize + payload.size());
    PutU32(out, flags);
    PutU32(out, static_cast<uint32_t>(inputLength));
    PutU32(out, 0);
    PutU32(out, 0);
    PutU32(out, static_cast<uint32_t>(payload.size()));
    out.append(payload);
    return out;
}

struct Block {
    uint32_t flags = 0;
    uint32_t inputLength = 0;
    std::string_view payload;
};

bool ReadBlock(std::string_view bytes, const char* stage, Block& block, std::string& error)
{
    if (bytes.size() < kStageBlockSize) {
        error = std::string(stage) + " block shorter than its 20-byte header";
        return false;
    }
    block.flags = GetU32(bytes, 0);
    block.inputLength = GetU32(bytes, 4);
    if (GetU32(bytes, 8) != 0 || GetU32(bytes, 12) != 0) {
        error = std::string(stage) + " block reserved words not zero";
        return false;
    }
    uint32_t length = GetU32(bytes, 16);
    if (length != bytes.size() - kStageBlockSize) {
        error = std::string(stage) + " block length " + std::to_string(length) + " but "
            + std::to_string(bytes.size() - kStageBlockSize) + " bytes follow";
        return false;
    }
    block.payload = bytes.substr(kStageBlockSize);
    return true;
}

} // namespace

AesKey CountingKey()
{
    AesKey key {};
    for (size_t i = 0; i < key.size(); ++i)
        key[i] = static_cast<uint8_t>(i);
    return key;
}

void PutU32(std::string& out, uint32_t value)
{
    uint8_t bytes[4];
    platform::StoreLe32(bytes, value);
    out.append(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

uint32_t GetU32(std::string_view bytes, size_t offset)
{
    return platform::LoadLe32(reinterpret_cast<const uint8_t*>(bytes.data()) + offset);
}

std::string EncodePlain(const PlainMessage& message)
{
    std::string out;
    out.reserve(kHeadSize + 4 + message.body.size());
    for (uint32_t word : message.head)
        PutU32(out, word);
    PutU32(out, static_cast<uint32_t>(message.body.size()));
    out.append(message.body);
    return out;
}

bool DecodePlain(std::string_view bytes, PlainMessage& out, std::string& error)
{
    if (bytes.size() < kHeadSize + 4) {
        error = "plain form shorter than 28 bytes";
        return false;
    }
    for (size_t i = 0; i < out.head.size(); ++i)
        out.head[i] = GetU32(bytes, 4 * i);
    uint32_t length = GetU32(bytes, kHeadSize);
    if (length != bytes.size() - kHeadSize - 4) {
        error = "body length " + std::to_string(length) + " but " + std::to_string(bytes.size() - kHeadSize - 4)
            + " bytes follow";
        return false;
    }
    out.body.assign(bytes.substr(kHeadSize + 4));
    return true;
}

bool AesEncryptZeroPadded(const AesKey& key, std::string_view input, std::string& out)
{
    std::string padded(input);
    padded.resize(input.size() - input.size() % 16 + 16, '\0');
    return RunAes(key, padded, out, true);
}

bool AesDecryptBlocks(const AesKey& key, std::string_view input, std::string& out)
{
    return RunAes(key, input, out, false);
}

bool Deflate(std::string_view input, std::string& out, bool finish)
{
    z_stream z {};
    if (deflateInit(&z, Z_DEFAULT_COMPRESSION) != Z_OK)
        return false;
    out.clear();
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
    z.avail_in = static_cast<uInt>(input.size());
    unsigned char window[4096];
    int flush = finish ? Z_FINISH : Z_SYNC_FLUSH;
    int rc;
    do {
        z.next_out = window;
        z.avail_out = sizeof window;
        rc = deflate(&z, flush);
        out.append(reinterpret_cast<char*>(window), sizeof window - z.avail_out);
    } while (rc == Z_OK && (z.avail_out == 0 || (finish && rc != Z_STREAM_END)));
    deflateEnd(&z);
    return (rc == Z_OK || rc == Z_STREAM_END || rc == Z_BUF_ERROR) && !out.empty();
}

bool Inflate(std::string_view input, std::string& out)
{
    z_stream z {};
    if (inflateInit(&z) != Z_OK)
        return false;
    out.clear();
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
    z.avail_in = static_cast<uInt>(input.size());
    unsigned char window[32768];
    int rc;
    for (;;) {
        z.next_out = window;
        z.avail_out = sizeof window;
        rc = inflate(&z, Z_SYNC_FLUSH);
        out.append(reinterpret_cast<char*>(window), sizeof window - z.avail_out);
        if (rc == Z_STREAM_END)
            break;
        if (rc != Z_OK && rc != Z_BUF_ERROR)
            break;
        // Done when all input is used and the window was not filled.
        if (z.avail_in == 0 && z.avail_out != 0)
            break;
        if (rc == Z_BUF_ERROR && z.avail_out != 0)
            break;
    }
    bool consumed = z.avail_in == 0;
    inflateEnd(&z);
    return (rc == Z_OK || rc == Z_STREAM_END || rc == Z_BUF_ERROR) && consumed;
}

std::string EncodeStages(std::string_view plain, const StageOptions& options)
{
    std::string zipped;
    std::string compressed;
    if (options.zip && Deflate(plain, compressed))
        zipped = StageBlock(kZipStage, plain.size(), compressed);
    else
        zipped = StageBlock(0, plain.size(), plain);

    std::string cipherText;
    if (options.cipher && AesEncryptZeroPadded(options.key, zipped, cipherText))
        return StageBlock(kCipherStage, zipped.size(), cipherText);
    return StageBlock(0, zipped.size(), zipped);
}

bool DecodeStages(std::string_view coded, const AesKey& key, std::string& plain, std::string& error)
{
    Block cipher;
    if (!ReadBlock(coded, "cipher", cipher, error))
        return false;
    std::string zipped;
    if (cipher.flags == 0) {
        if (cipher.inputLength != cipher.payload.size()) {
            error = "stored cipher block input length differs from its payload";
            return false;
        }
        zipped.assign(cipher.payload);
    } else {
        if (!(cipher.flags & kCipherStage)) {
            error = "cipher block flags without 0x100";
            return false;
        }
        size_t expected = cipher.inputLength - cipher.inputLength % 16 + 16;
        if (cipher.payload.size() != expected) {
            error = "cipher payload of " + std::to_string(cipher.payload.size()) + " bytes for input length "
                + std::to_string(cipher.inputLength);
            return false;
        }
        if (!AesDecryptBlocks(key, cipher.payload, zipped)) {
            error = "AES decryption failed";
            return false;
        }
        if (zipped.find_first_not_of('\0', cipher.inputLength) != std::string::npos) {
            error = "cipher padding not zero (wrong key?)";
            return false;
        }
        zipped.resize(cipher.inputLength);
    }

    Block zip;
    if (!ReadBlock(zipped, "zip", zip, error))
        return false;
    if (zip.flags == 0) {
        if (zip.inputLength != zip.payload.size()) {
            error = "stored zip block input length differs from its payload";
            return false;
        }
        plain.assign(zip.payload);
        return true;
    }
    if (!(zip.flags & kZipStage)) {
        error = "zip block flags without 0x400";
        return false;
    }
    if (!Inflate(zip.payload, plain)) {
        error = "inflate failed";
        return false;
    }
    if (plain.size() != zip.inputLength) {
        error = "inflated " + std::to_string(plain.size()) + " bytes, block says " + std::to_string(zip.inputLength);
        return false;
    }
    return true;
}

} // namespace tools
