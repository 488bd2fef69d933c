#pragma once
// zlib streams of the message codec and the memory adapters they run over.
//
// Compression flushes every input block with Z_SYNC_FLUSH and never finishes
// the stream: the output ends with a sync-flush marker (00 00 FF FF) and has
// no end block or checksum trailer. Decompression accepts such streams as well
// as finished ones.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace net {

// Upper bound of what one decompression may produce. The zip stage inflates
// blocks sent by the peer, and a few kilobytes of zlib stream can inflate to
// gigabytes; anything beyond this bound fails.
constexpr size_t kMaxInflatedBytes = 16u * 1024 * 1024;

// Where a stream reads its input from.
class StreamReader {
public:
    virtual ~StreamReader() = default;
    // Copies up to `capacity` bytes into `destination` and stores the count
    // (0 at the end of the data). False on a read error.
    virtual bool Read(void* destination, size_t capacity, size_t* countOut) = 0;
};

// Where a stream writes its output to.
class StreamWriter {
public:
    virtual ~StreamWriter() = default;
    // Takes all `n` bytes, or none and false.
    virtual bool Write(const void* source, size_t n) = 0;
};

// Reads from a memory block that it does not own, advancing a read position.
class MemoryReader final : public StreamReader {
public:
    MemoryReader(const uint8_t* data, size_t size)
        : m_data(data)
        , m_size(size)
    {
    }
    bool Read(void* destination, size_t capacity, size_t* countOut) override;

private:
    const uint8_t* m_data; // not owned
    size_t m_size;
    size_t m_position = 0;
};

// Appends to a byte array that it does not own, refusing to let the array
// grow beyond `limit` bytes.
class ByteArrayWriter final : public StreamWriter {
public:
    explicit ByteArrayWriter(std::vector<uint8_t>& sink, size_t limit = SIZE_MAX)
        : m_sink(sink)
        , m_limit(limit)
    {
    }
    bool Write(const void* source, size_t n) override;

private:
    std::vector<uint8_t>& m_sink; // not owned
    size_t m_limit;
};

// zlib compression at the default level with the zlib header.
class DeflateStream {
public:
    static constexpr size_t kReadBlock = 32768;
    static constexpr size_t kWindow = 4096;
    // False when zlib fails, or a read or write fails.
    bool Run(StreamReader& source, StreamWriter& sink);
};

// zlib decompression; a stream without an end block is accepted.
class InflateStream {
public:
    static constexpr size_t kReadBlock = 4096;
    static constexpr size_t kWindow = 32768;
    // False on corrupt data, or when a read or write fails.
    bool Run(StreamReader& source, StreamWriter& sink);
};

// Compresses `length` bytes, appending to `sink`. 1 when the stream ran
// without error and the sink holds at least one byte, else 0.
int DeflateBuffer(std::vector<uint8_t>& sink, const uint8_t* input, size_t length);

// Decompresses `length` bytes, appending to `sink`, which may not grow beyond
// `maxOutput` bytes. 1 when the stream decoded without error or overflow and
// the sink holds at least one byte, else 0.
int InflateBuffer(
    std::vector<uint8_t>& sink, const uint8_t* input, size_t length, size_t maxOutput = kMaxInflatedBytes);

// `output` becomes exactly the compressed (decompressed) bytes. 1, or 0 when
// nothing could be produced (the output is then empty).
int ZipCompress(const uint8_t* input, size_t length, std::vector<uint8_t>& output);
int ZipDecompress(const uint8_t* input, size_t length, std::vector<uint8_t>& output);

} // namespace net
