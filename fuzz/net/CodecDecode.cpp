// Decoding of coded messages from the peer: the cipher stage and the zip
// stage over arbitrary bytes, with a fixed key and both stages on.
#include "net/ByteBuffer.h"
#include "net/MessageCodec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

const uint8_t kKey[16] = { 0x3A, 0x91, 0x0C, 0x55, 0xE2, 0x17, 0x68, 0xB4, 0x09, 0xCD, 0x7F, 0x20, 0x86, 0x4B, 0xF1, 0x3E };

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    net::MessageCodec codec(kKey, 128, net::kCipherAes, net::kZipZlib);

    // The whole path: what a connection does with a joined message.
    net::ByteBuffer coded(data, size);
    if (codec.Process(coded, net::kCodecDecode)) {
        // Whatever decodes must encode and decode back to the same bytes.
        net::ByteBuffer plain(coded);
        if (!codec.Process(coded, net::kCodecEncode) || !codec.Process(coded, net::kCodecDecode)
            || coded.Size() != plain.Size()
            || (plain.Size() && __builtin_memcmp(coded.Data(), plain.Data(), plain.Size()) != 0))
            std::abort();
    }

    // The zip stage alone, which the ciphertext hides from mutation.
    net::ByteBuffer zipped(data, size);
    codec.ZipStage(zipped, net::kCodecDecode);
    return 0;
}
