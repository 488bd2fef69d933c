#include "net/ZipStream.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace net {

bool MemoryReader::Read(void* destination, size_t capacity, size_t* countOut)
{
    size_t n = std::min(capacity, m_size - m_position);
    if (n)
        std::memcpy(destination, m_data + m_position, n);
    m_position += n;
    if (countOut)
        *countOut = n;
    return true;
}

bool ByteArrayWriter::Write(const void* source, size_t n)
{
    if (n > m_limit || m_sink.size() > m_limit - n)
        return false;
    const auto* bytes = static_cast<const uint8_t*>(source);
    m_sink.insert(m_sink.end(), bytes, bytes + n);
    return true;
}

bool DeflateStream::Run(StreamReader& source, StreamWriter& sink)
{
    z_stream zs {};
    if (deflateInit(&zs, Z_DEFAULT_COMPRESSION) != Z_OK)
        return false;
    auto in = std::make_unique<uint8_t[]>(kReadBlock);
    uint8_t out[kWindow];
    bool ok = true;
    while (ok) {
        size_t got = 0;
        if (!source.Read(in.get(), kReadBlock, &got)) {
            ok = false;
            break;
        }
        if (got == 0)
            break;
        zs.next_in = in.get();
        zs.avail_in = static_cast<uInt>(got);
        // Every block is flushed, so its output is complete once the window
        // comes back with room left.
        do {
            zs.next_out = out;
            zs.avail_out = kWindow;
            int result = deflate(&zs, Z_SYNC_FLUSH);
            size_t produced = kWindow - zs.avail_out;
            if (produced && !sink.Write(out, produced)) {
                ok = false;
                break;
            }
            if (result == Z_BUF_ERROR) // nothing left to flush
                break;
            if (result != Z_OK) {
                ok = false;
                break;
            }
        } while (zs.avail_out == 0);
    }
    deflateEnd(&zs);
    return ok;
}

bool InflateStream::Run(StreamReader& source, StreamWriter& sink)
{
    z_stream zs {};
    if (inflateInit(&zs) != Z_OK)
        return false;
    uint8_t in[kReadBlock];
    auto out = std::make_unique<uint8_t[]>(kWindow);
    bool ok = true;
    bool ended = false;
    while (ok && !ended) {
        size_t got = 0;
        if (!source.Read(in, kReadBlock, &got)) {
            ok = false;
            break;
        }
        if (got == 0)
            break; // a stream without an end block ends with its data
        zs.next_in = in;
        zs.avail_in = static_cast<uInt>(got);
        do {
            zs.next_out = out.get();
            zs.avail_out = kWindow;
            int result = inflate(&zs, Z_SYNC_FLUSH);
            size_t produced = kWindow - zs.avail_out;
            if (produced && !sink.Write(out.get(), produced)) {
                ok = false;
                break;
            }
            if (result == Z_STREAM_END) {
                ended = true;
                break;
            }
            // With room in the window, Z_BUF_ERROR means this input block is
            // used up and the stream continues in the next one.
            if (result == Z_BUF_ERROR)
                break;
            if (result != Z_OK) {
                ok = false;
                break;
            }
        } while (zs.avail_out == 0);
    }
    inflateEnd(&zs);
    return ok;
}

int DeflateBuffer(std::vector<uint8_t>& sink, const uint8_t* input, size_t length)
{
    MemoryReader reader(input, length);
    ByteArrayWriter writer(sink);
    DeflateStream stream;
    return stream.Run(reader, writer) && !sink.empty() ? 1 : 0;
}

int InflateBuffer(std::vector<uint8_t>& sink, const uint8_t* input, size_t length, size_t maxOutput)
{
    MemoryReader reader(input, length);
    ByteArrayWriter writer(sink, maxOutput);
    InflateStream stream;
    return stream.Run(reader, writer) && !sink.empty() ? 1 : 0;
}

int ZipCompress(const uint8_t* input, size_t length, std::vector<uint8_t>& output)
{
    output.clear();
    if (!DeflateBuffer(output, input, length)) {
        output.clear();
        return 0;
    }
    return 1;
}

int ZipDecompress(const uint8_t* input, size_t length, std::vector<uint8_t>& output)
{
    output.clear();
    if (!InflateBuffer(output, input, length)) {
        output.clear();
        return 0;
    }
    return 1;
}

} // namespace net
