#pragma once
// Download of one web address over HTTP (libcurl), block by block.

#include <cstddef>
#include <functional>
#include <string>

namespace platform {

// Receives each block as it arrives; false stops the download.
using HttpSink = std::function<bool(const char* data, size_t size)>;

// Fetches the address (GBK text; only http and https are taken) and hands
// the body to the sink. Blocks the calling thread for at most timeoutSec.
// True when the whole body arrived with a 2xx status; false for another
// scheme, an unreachable host, an HTTP error status, a time-out, or a sink
// that stopped.
bool HttpGet(const std::string& url, const HttpSink& sink, int timeoutSec);

} // namespace platform
