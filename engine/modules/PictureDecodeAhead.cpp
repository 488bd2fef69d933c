#include "engine/modules/PictureDecodeAhead.h"

#include "engine/modules/PictureCache.h"
#include "platform/Event.h"

#include <algorithm>
#include <utility>

namespace engine {

PictureDecodeAhead::~PictureDecodeAhead()
{
    {
        std::lock_guard guard(m_lock);
        m_stop = true;
        m_queue.clear();
    }
    m_changed.notify_all();
    m_worker.Join(platform::kInfinite);
}

bool PictureDecodeAhead::Queue(const NameKey& key, std::unique_ptr<char[]>& bytes, size_t length, uint32_t extension)
{
    if (Has(key))
        return false;
    if (!m_started) {
        if (!m_worker.Start([this](platform::MessageQueue&) {
                Work();
                return 0;
            }))
            return false;
        m_started = true;
    }
    auto job = std::make_shared<Job>();
    job->bytes = std::move(bytes);
    job->length = length;
    job->extension = extension;
    m_jobs.emplace(key, job);
    {
        std::lock_guard guard(m_lock);
        m_queue.push_back(std::move(job));
    }
    m_changed.notify_all();
    return true;
}

int PictureDecodeAhead::Take(const NameKey& key, PictureData& out)
{
    auto it = m_jobs.find(key);
    if (it == m_jobs.end())
        return -1;
    std::shared_ptr<Job> job = std::move(it->second);
    m_jobs.erase(it);
    bool decodeHere = false;
    {
        std::unique_lock guard(m_lock);
        if (!job->begun) {
            // Waiting behind the pictures queued before it would cost more
            // than decoding it now.
            m_queue.erase(std::find(m_queue.begin(), m_queue.end(), job));
            decodeHere = true;
        } else {
            m_changed.wait(guard, [&] { return job->done; });
        }
    }
    if (decodeHere)
        Decode(*job);
    if (job->ok)
        out = std::move(job->record);
    return job->ok;
}

void PictureDecodeAhead::Clear()
{
    std::unique_lock guard(m_lock);
    m_queue.clear();
    // The worker may still be writing the record of the job it is on.
    m_changed.wait(guard, [&] {
        return std::all_of(m_jobs.begin(), m_jobs.end(), [](const auto& job) { return !job.second->begun || job.second->done; });
    });
    guard.unlock();
    m_jobs.clear();
}

void PictureDecodeAhead::Work()
{
    std::unique_lock guard(m_lock);
    for (;;) {
        m_changed.wait(guard, [this] { return m_stop || !m_queue.empty(); });
        if (m_stop)
            return;
        std::shared_ptr<Job> job = std::move(m_queue.front());
        m_queue.pop_front();
        job->begun = true;
        guard.unlock();
        Decode(*job);
        guard.lock();
        job->done = true;
        m_changed.notify_all();
    }
}

void PictureDecodeAhead::Decode(Job& job)
{
    PictureData record;
    job.ok = PictureCache::DecodeImage(reinterpret_cast<const uint8_t*>(job.bytes.get()), job.length, job.extension, record);
    job.bytes.reset();
    if (job.ok)
        job.record = std::move(record);
}

} // namespace engine
