#pragma once
// The critical section of the system and its scoped lock. Like the Windows
// critical section it stands for, it may be entered again by the thread
// that holds it.

#include <mutex>

namespace net {

class CritSec {
public:
    CritSec() = default;
    ~CritSec() = default;
    CritSec(const CritSec&) = delete;
    CritSec& operator=(const CritSec&) = delete;

    void Enter() { m_mutex.lock(); }
    void Leave() { m_mutex.unlock(); }

private:
    std::recursive_mutex m_mutex;
};

class CritSecLock {
public:
    explicit CritSecLock(CritSec* section)
        : m_section(section)
    {
        m_section->Enter();
    }
    ~CritSecLock() { m_section->Leave(); }
    CritSecLock(const CritSecLock&) = delete;
    CritSecLock& operator=(const CritSecLock&) = delete;

private:
    CritSec* m_section; // not owned
};

} // namespace net
