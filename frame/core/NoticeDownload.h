#pragma once
// The room's notice file: fetched over HTTP on a thread of its own, kept
// only when it begins with the "<notify>" marker, and handed back to the
// frame window as WM_FRAME_NOTIFYFILE.

#include "platform/Window.h"

#include <memory>
#include <string>

namespace frame {

constexpr uint32_t WM_FRAME_NOTIFYFILE = 0x8617;

struct NotifyDownloadRequest {
    platform::WindowHandle window = 0;
    bool downloaded = false; // set by the download thread
    std::string host;        // GetNotifyHost
    std::string path;        // "/notify/game/%d.txt"
    std::string localFile;   // "%s%d_%d.txt" in the temp directory
};

// The request of the frame window (its handle) for the game and room.
std::unique_ptr<NotifyDownloadRequest> MakeNotifyRequest(platform::WindowHandle window, const std::string& host,
    int gameId, const std::string& tempDir, int roomWord12);

// Runs the download on the calling thread: "http://<host>/<path>" into the
// local file, which is written only when the body begins with "<notify>"
// (any case). The download's outcome is in job.downloaded.
void DownloadNotice(NotifyDownloadRequest& job);

// Posts the finished job to its window, which takes it over; when the
// window is gone the job is freed here.
void DeliverNotice(std::unique_ptr<NotifyDownloadRequest> job);

// Starts DownloadNotice and DeliverNotice on a thread of its own. The thread owns the job
// until the window takes it (WM_FRAME_NOTIFYFILE, wParam = the job, freed
// by whoever handles or drops the message); when the window is gone the
// thread frees it.
bool StartNotifyDownload(std::unique_ptr<NotifyDownloadRequest> job);

// Frees a posted job; the disposer of WM_FRAME_NOTIFYFILE.
void DisposeNotifyPost(const platform::Message& message);

} // namespace frame
