#include "platform/HttpGet.h"

#include "platform/Gbk.h"

#include <curl/curl.h>

#include <memory>

namespace platform {

namespace {

struct CurlDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};

bool IsWebAddress(const std::string& url)
{
    return url.rfind("http://", 0) == 0 || url.rfind("https://", 0) == 0;
}

size_t OnBlock(char* data, size_t size, size_t count, void* context)
{
    const auto* sink = static_cast<const HttpSink*>(context);
    const size_t bytes = size * count;
    // Anything but the whole block tells curl to stop.
    return (*sink)(data, bytes) ? bytes : 0;
}

} // namespace

bool HttpGet(const std::string& url, const HttpSink& sink, int timeoutSec)
{
    if (!IsWebAddress(url) || !sink)
        return false;
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    if (!initialised)
        return false;
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl)
        return false;
    const std::string address = Gbk::ToUtf8(url);
    curl_easy_setopt(curl.get(), CURLOPT_URL, address.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl.get(), CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl.get(), CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, static_cast<long>(timeoutSec > 0 ? timeoutSec : 1));
    curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, OnBlock);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &sink);
    return curl_easy_perform(curl.get()) == CURLE_OK;
}

} // namespace platform
