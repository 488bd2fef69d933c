#include "engine/core/ModuleBase.h"

#include "engine/core/GameCore.h"

#include <algorithm>

namespace engine {

int ModuleBase::Run(uint32_t now)
{
    if (!IsEnabled())
        return 0;
    if (static_cast<uint32_t>(now - m_lastRun) > m_interval) {
        m_lastRun = now;
        Update();
    }
    return 1;
}

uint32_t ModuleBase::MsUntilDue(uint32_t now)
{
    if (!IsEnabled())
        return kNoWork;
    const uint32_t work = m_ring.Length() > 0 ? 0 : MsUntilWork(now);
    if (work == kNoWork)
        return kNoWork;
    // Run updates once more than the interval has passed since the last
    // update.
    const uint32_t since = now - m_lastRun;
    const uint32_t gate = since > m_interval ? 0 : m_interval + 1 - since;
    return std::max(work, gate);
}

void ModuleBase::SetGuarded(bool guarded)
{
    if (guarded)
        m_flags |= kModuleGuarded;
    else
        m_flags &= ~kModuleGuarded;
}

void ModuleBase::AttachCore(GameCore* core)
{
    m_core = core;
    ++m_references;
}

int ModuleBase::Release()
{
    return --m_references;
}

void ModuleBase::PullMessages(std::list<ModuleMessage>& posted)
{
    if (m_ring.Length() > GetQueueLimit()) {
        if (m_core)
            m_core->SendModuleMessage(MODULE_NOTIFY_SINK, NOTE_QUEUE_OVERFLOW, static_cast<MessageWord>(GetId()), 0);
        m_ring.Clear();
    }
    int id = GetId();
    for (auto it = posted.begin(); it != posted.end();) {
        if (it->target == id) {
            m_ring.Push(*it);
            it = posted.erase(it);
        } else {
            ++it;
        }
    }
}

void ModuleBase::DrainMessages()
{
    ModuleMessage message;
    while (m_ring.Pop(message))
        OnMessage(message.msg, message.data, message.extra);
    m_ring.Clear();
}

ModuleBase* ModuleBase::FindModule(int id) const
{
    return m_core ? m_core->FindModule(id) : nullptr;
}

int ModuleBase::SendMessage(int target, int msg, MessageWord data, MessageWord extra)
{
    return m_core ? m_core->SendModuleMessage(target, msg, data, extra) : 0;
}

size_t ModuleBase::PostMessage(int target, int msg, MessageWord data, MessageWord extra, MessageRelease release)
{
    if (!m_core) {
        if (release)
            release(msg, data, extra);
        return 0;
    }
    return m_core->PostModuleMessage(target, msg, data, extra, release);
}

} // namespace engine
