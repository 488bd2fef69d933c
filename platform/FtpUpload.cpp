#include "platform/FtpUpload.h"

#include "platform/Files.h"

#include <curl/curl.h>

#include <cctype>
#include <cstdio>
#include <memory>
#include <mutex>

namespace platform {

namespace {

// A host name, an IPv4 address or a bracketed IPv6 address: nothing that
// could carry further URL parts into the request.
bool IsPlainHost(const std::string& host)
{
    if (host.empty())
        return false;
    if (host.front() == '[') {
        if (host.size() < 3 || host.back() != ']')
            return false;
        for (size_t i = 1; i + 1 < host.size(); ++i) {
            unsigned char c = host[i];
            if (!std::isxdigit(c) && c != ':' && c != '.')
                return false;
        }
        return true;
    }
    for (unsigned char c : host) {
        if (!std::isalnum(c) && c != '.' && c != '-' && c != '_')
            return false;
    }
    return true;
}

// Percent-encodes every byte but unreserved characters and '/', so any
// byte of the remote path (GBK included) reaches the server unchanged.
std::string EncodePath(const std::string& path)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        }
    }
    return out;
}

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
struct CurlCleanup {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};

} // namespace

bool FtpUpload(const std::string& host, uint16_t port, const std::string& user, const std::string& password,
    const std::string& localFile, const std::string& remotePath)
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    if (!IsPlainHost(host) || port == 0 || remotePath.empty())
        return false;
    std::unique_ptr<FILE, FileCloser> file(std::fopen(NativePath(localFile).c_str(), "rb"));
    if (!file)
        return false;
    if (std::fseek(file.get(), 0, SEEK_END) != 0)
        return false;
    long size = std::ftell(file.get());
    if (size < 0 || std::fseek(file.get(), 0, SEEK_SET) != 0)
        return false;

    std::unique_ptr<CURL, CurlCleanup> curl(curl_easy_init());
    if (!curl)
        return false;
    std::string url = "ftp://" + host + ":" + std::to_string(port) + "/" + EncodePath(remotePath);
    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(c, CURLOPT_USERNAME, user.c_str());
    curl_easy_setopt(c, CURLOPT_PASSWORD, password.c_str());
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c, CURLOPT_READDATA, file.get());
    curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(size));
    curl_easy_setopt(c, CURLOPT_TRANSFERTEXT, 0L);
    // Store under the path as given, in one command.
    curl_easy_setopt(c, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
    // Active mode: the server connects back to the address of the control
    // connection.
    curl_easy_setopt(c, CURLOPT_FTPPORT, "-");
    curl_easy_setopt(c, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, 30L);
    curl_easy_setopt(c, CURLOPT_ACCEPTTIMEOUT_MS, 30000L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, 60L);
    return curl_easy_perform(c) == CURLE_OK;
}

} // namespace platform
