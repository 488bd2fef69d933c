#include "frame/core/NoticeDownload.h"

#include "platform/Files.h"
#include "platform/HttpGet.h"

#include <cstdio>
#include <strings.h>
#include <thread>

namespace frame {

namespace {

constexpr char kMarker[] = "<notify>";
constexpr size_t kMarkerSize = sizeof(kMarker) - 1;
constexpr int kDownloadTimeoutSec = 30;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

std::unique_ptr<NotifyDownloadRequest> MakeNotifyRequest(platform::WindowHandle window, const std::string& host,
    int gameId, const std::string& tempDir, int roomWord12)
{
    auto job = std::make_unique<NotifyDownloadRequest>();
    job->window = window;
    job->host = host.substr(0, 63);
    job->path = "/notify/game/" + std::to_string(gameId) + ".txt";
    job->localFile = tempDir + std::to_string(roomWord12) + "_" + std::to_string(gameId) + ".txt";
    return job;
}

void DownloadNotice(NotifyDownloadRequest& job)
{
    job.downloaded = false;
    // The marker is judged on the first eight bytes received, however the
    // network cuts them.
    std::string head;
    std::unique_ptr<std::FILE, FileCloser> file;
    const auto sink = [&](const char* data, size_t size) {
        if (!file) {
            head.append(data, size);
            if (head.size() < kMarkerSize)
                return true;
            if (strncasecmp(head.data(), kMarker, kMarkerSize) != 0)
                return false;
            file.reset(std::fopen(platform::NativePath(job.localFile).c_str(), "wb"));
            if (!file)
                return false;
            data = head.data();
            size = head.size();
        }
        return std::fwrite(data, 1, size, file.get()) == size;
    };
    const std::string url = "http://" + job.host + "/" + job.path;
    const bool complete = platform::HttpGet(url, sink, kDownloadTimeoutSec);
    if (!file)
        return; // refused, empty, shorter than the marker, or unreachable
    const bool closed = std::fclose(file.release()) == 0;
    job.downloaded = complete && closed;
    if (!job.downloaded)
        std::remove(platform::NativePath(job.localFile).c_str());
}

void DisposeNotifyPost(const platform::Message& message)
{
    delete reinterpret_cast<NotifyDownloadRequest*>(message.wParam);
}

void DeliverNotice(std::unique_ptr<NotifyDownloadRequest> job)
{
    NotifyDownloadRequest* raw = job.get();
    if (raw
        && platform::PostMessage(raw->window, WM_FRAME_NOTIFYFILE, reinterpret_cast<uintptr_t>(raw), 0,
            DisposeNotifyPost))
        job.release(); // the window owns it now
}

bool StartNotifyDownload(std::unique_ptr<NotifyDownloadRequest> job)
{
    try {
        std::thread([job = std::move(job)]() mutable {
            DownloadNotice(*job);
            DeliverNotice(std::move(job));
        }).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

} // namespace frame
