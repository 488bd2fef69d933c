#pragma once
// Download of one web address over HTTP (libcurl), block by block.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace platform {

// Receives each block as it arrives; false stops the download.
using HttpSink = std::function<bool(const char* data, size_t size)>;

// Fetches the address (GBK text; only http and https are taken) and hands
// the body to the sink. Blocks the calling thread for at most timeoutSec.
// True when the whole body arrived with a 2xx status; false for another
// scheme, an unreachable host, an HTTP error status, a time-out, or a sink
// that stopped.
bool HttpGet(const std::string& url, const HttpSink& sink, int timeoutSec);

// One request whose caller sees redirects and error statuses itself, as a
// browser does: redirects are reported, never followed.
struct HttpRequest {
    std::string url;                  // GBK; http and https only
    std::vector<std::string> headers; // "Name: value" lines
    bool post = false;                // POST the body below instead of GET
    std::string postData;
    int timeoutSec = 30;
    // Polled while the transfer runs (also while it waits for the peer);
    // true ends it at once. Called on the fetching thread.
    std::function<bool()> cancelled;
};

struct HttpResponse {
    long status = 0;          // the HTTP status; 0 when none arrived
    std::string location;     // the Location header of a 3xx answer, as sent
    std::string contentType;  // the Content-Type header, as sent
    bool transferred = false; // the exchange ran to its end (any status)
    bool cancelled = false;   // stopped by the cancel test or the sink
};

// Runs the request on the calling thread and hands the body of any status
// to the sink. True when the exchange ran to its end with a 2xx status.
bool HttpFetch(const HttpRequest& request, const HttpSink& sink, HttpResponse& response);

} // namespace platform
