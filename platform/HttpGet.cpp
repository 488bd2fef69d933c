#include "platform/HttpGet.h"

#include "platform/Gbk.h"

#include <curl/curl.h>

#include <functional>
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

int OnProgress(void* context, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    const auto* cancelled = static_cast<const std::function<bool()>*>(context);
    return (*cancelled)() ? 1 : 0;
}

bool StartCurl()
{
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return initialised;
}

std::string InfoText(CURL* curl, CURLINFO what)
{
    char* text = nullptr;
    if (curl_easy_getinfo(curl, what, &text) != CURLE_OK || !text)
        return std::string();
    return Gbk::FromUtf8(text);
}

} // namespace

bool HttpGet(const std::string& url, const HttpSink& sink, int timeoutSec)
{
    if (!IsWebAddress(url) || !sink)
        return false;
    if (!StartCurl())
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

bool HttpFetch(const HttpRequest& request, const HttpSink& sink, HttpResponse& response)
{
    response = HttpResponse();
    if (!IsWebAddress(request.url) || !sink || !StartCurl())
        return false;
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl)
        return false;
    const std::string address = Gbk::ToUtf8(request.url);
    curl_easy_setopt(curl.get(), CURLOPT_URL, address.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl.get(), CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, static_cast<long>(request.timeoutSec > 0 ? request.timeoutSec : 1));
    curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, OnBlock);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &sink);
    if (request.cancelled) {
        curl_easy_setopt(curl.get(), CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl.get(), CURLOPT_XFERINFOFUNCTION, OnProgress);
        curl_easy_setopt(curl.get(), CURLOPT_XFERINFODATA, &request.cancelled);
    }
    const std::string body = Gbk::ToUtf8(request.postData);
    if (request.post) {
        curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
        curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, body.data());
    }
    struct SlistDeleter {
        void operator()(curl_slist* list) const { curl_slist_free_all(list); }
    };
    std::unique_ptr<curl_slist, SlistDeleter> headers;
    for (const std::string& line : request.headers) {
        curl_slist* grown = curl_slist_append(headers.get(), Gbk::ToUtf8(line).c_str());
        if (!grown)
            return false;
        headers.release();
        headers.reset(grown);
    }
    if (headers)
        curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, headers.get());

    const CURLcode result = curl_easy_perform(curl.get());
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &response.status);
    response.contentType = InfoText(curl.get(), CURLINFO_CONTENT_TYPE);
    if (response.status >= 300 && response.status < 400)
        response.location = InfoText(curl.get(), CURLINFO_REDIRECT_URL);
    response.cancelled = result == CURLE_ABORTED_BY_CALLBACK || result == CURLE_WRITE_ERROR;
    response.transferred = result == CURLE_OK;
    return response.transferred && response.status >= 200 && response.status < 300;
}

} // namespace platform
