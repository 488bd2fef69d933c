#pragma once
// Pictures decoded on a worker thread before anyone asks for them, so that
// their first use (a large sheet of card faces, say) does not stall the
// frame that shows it. The picture cache hands over the resource bytes of a
// picture it expects to need and takes the decoded record back at the
// picture's first use, filing it then as it would file one decoded on the
// spot.
//
// Queue, Has, Take and Clear are called from the user-interface thread
// only; the worker sees nothing but the jobs it is handed.

#include "engine/core/NameKey.h"
#include "engine/core/PictureData.h"
#include "platform/MessageThread.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

namespace engine {

class PictureDecodeAhead {
public:
    PictureDecodeAhead() = default;
    // Stops the worker once the picture it is decoding is done.
    ~PictureDecodeAhead();
    PictureDecodeAhead(const PictureDecodeAhead&) = delete;
    PictureDecodeAhead& operator=(const PictureDecodeAhead&) = delete;

    // Queues the bytes of key (as the resource module holds them: length
    // bytes and a zero after them) for decoding by the hash of their own
    // extension; the worker starts with the first job. The bytes are taken
    // only when they are queued: false (bytes left where they are) when key
    // is already queued or no worker can be started.
    bool Queue(const NameKey& key, std::unique_ptr<char[]>& bytes, size_t length, uint32_t extension);
    bool Has(const NameKey& key) const { return m_jobs.count(key) != 0; }
    // The outcome of key's decoding, waited for when the worker is on it and
    // decoded here when it has not begun it yet: 1 with the record in out,
    // 0 for bytes that give no picture, -1 when key was not queued. The job
    // is forgotten either way.
    int Take(const NameKey& key, PictureData& out);
    // Forgets every job, waiting for the one the worker is on.
    void Clear();
    size_t Size() const { return m_jobs.size(); }

private:
    struct Job {
        std::unique_ptr<char[]> bytes; // freed by whoever decodes
        size_t length = 0;
        uint32_t extension = 0;
        // Under m_lock: begun by the worker, and done with the outcome set.
        bool begun = false;
        bool done = false;
        int ok = 0;
        PictureData record;
    };

    void Work();
    static void Decode(Job& job);

    platform::MessageThread m_worker;
    bool m_started = false;
    std::map<NameKey, std::shared_ptr<Job>, NameKeyOrder> m_jobs; // user-interface thread

    std::mutex m_lock;
    std::condition_variable m_changed;
    std::deque<std::shared_ptr<Job>> m_queue; // under m_lock, not yet begun
    bool m_stop = false;                      // under m_lock
};

} // namespace engine
