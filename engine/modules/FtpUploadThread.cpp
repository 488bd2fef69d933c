#include "engine/modules/FtpUploadThread.h"

#include "platform/MessageQueue.h"

#include <cstring>
#include <memory>
#include <string>

namespace engine {

namespace {

// Copies text with its terminating zero into a fixed field; false (and an
// empty field) when it does not fit.
template <size_t N>
bool CopyField(char (&field)[N], std::string_view text)
{
    if (text.size() >= N || text.find('\0') != std::string_view::npos) {
        field[0] = '\0';
        return false;
    }
    std::memcpy(field, text.data(), text.size());
    field[text.size()] = '\0';
    return true;
}

void DisposeJob(const platform::Message& m)
{
    delete reinterpret_cast<FtpUploadJob*>(m.wParam);
}

void RunUpload(std::unique_ptr<FtpUploadJob> job, bool textsFit, uint16_t port)
{
    int result = 0;
    if (textsFit) {
        std::string remotePath = std::string(job->remoteDirectory) + job->remoteName;
        result = platform::FtpUpload(job->server, port, job->user, job->password, job->localFile, remotePath) ? 1 : 0;
    }
    job->done = 1;
    if (job->receiver == 0)
        return; // the job goes with the unique_ptr
    uint32_t receiver = job->receiver;
    uint32_t message = job->message;
    FtpUploadJob* raw = job.release();
    if (!platform::PostThreadMessage(receiver, message, reinterpret_cast<uintptr_t>(raw), result, &DisposeJob))
        delete raw; // the receiver has gone
}

} // namespace

std::thread FtpUploadThread(std::string_view localFile, std::string_view server, std::string_view remoteDirectory,
    std::string_view remoteName, std::string_view user, std::string_view password, uint32_t receiver,
    uint32_t message, uint16_t port)
{
    auto job = std::make_unique<FtpUploadJob>();
    std::memset(job.get(), 0, sizeof(FtpUploadJob));
    job->receiver = receiver;
    job->message = message;
    bool fit = CopyField(job->server, server);
    fit = CopyField(job->remoteDirectory, remoteDirectory) && fit;
    fit = CopyField(job->remoteName, remoteName) && fit;
    fit = CopyField(job->localFile, localFile) && fit;
    fit = CopyField(job->user, user) && fit;
    fit = CopyField(job->password, password) && fit;
    return std::thread(RunUpload, std::move(job), fit, port);
}

} // namespace engine
