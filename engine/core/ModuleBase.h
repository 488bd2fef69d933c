#pragma once
// The common base of the engine's modules: the queue of incoming messages,
// the run interval, the flags and the link to the core.

#include "engine/core/MessageRing.h"
#include "engine/core/ModuleMessage.h"

#include <cstdint>
#include <list>

namespace engine {

class GameCore;

// Module flag bits.
inline constexpr uint32_t kModuleEnabled = 0x1;
inline constexpr uint32_t kModuleSkipInit = 0x2; // load without running Init
inline constexpr uint32_t kModuleGuarded = 0x40; // its turn runs inside the fault guard
inline constexpr uint32_t kModuleInitialFlags = 0x10;

inline constexpr uint32_t kDefaultModuleInterval = 10;
inline constexpr uint32_t kDefaultQueueLimit = 8192;
// MsUntilWork and MsUntilDue: nothing waits on time, only on a message or
// a call from outside the frame.
inline constexpr uint32_t kNoWork = UINT32_MAX;

class ModuleBase {
public:
    ModuleBase() = default;
    virtual ~ModuleBase() = default;
    ModuleBase(const ModuleBase&) = delete;
    ModuleBase& operator=(const ModuleBase&) = delete;

    // Lifecycle, in the order the core calls them.
    virtual int Init() = 0; // nonzero on success
    virtual void Shutdown() = 0;
    virtual void Update() = 0;

    // Identity and messages.
    virtual int GetId() const = 0;
    virtual const char* GetName() const = 0;
    // ORBITVANE_RETURN_OK when the message was handled.
    virtual int OnMessage(int msg, MessageWord data, MessageWord extra) = 0;
    // The most messages the ring may hold at the start of a turn before they
    // are dropped.
    virtual uint32_t GetQueueLimit() const { return kDefaultQueueLimit; }
    // The per-frame turn: Update when more than the interval has passed since
    // the last run (unsigned, so across the clock's wrap). 1 when enabled.
    virtual int Run(uint32_t now);
    // How long from now until the module's turn has work of its own: 0 for
    // now, kNoWork when it waits only for messages and calls. A module that
    // cannot tell answers 0, so that it runs at every turn as it always did.
    virtual uint32_t MsUntilWork(uint32_t now) { (void)now; return 0; }
    // How long from now until a turn of this module would do work: queued
    // messages or MsUntilWork, no earlier than its interval lets Update run;
    // kNoWork for a disabled module or one with nothing to do.
    uint32_t MsUntilDue(uint32_t now);

    void SetInterval(uint32_t ms) { m_interval = ms; }
    uint32_t GetInterval() const { return m_interval; }
    uint32_t GetFlags() const { return m_flags; }
    void SetFlags(uint32_t flags) { m_flags = flags; }
    // The time of the current or latest turn; the module's "now".
    uint32_t GetFrameTime() const { return m_lastRun; }
    void Enable() { m_flags |= kModuleEnabled; }
    void Disable() { m_flags &= ~kModuleEnabled; }
    bool IsEnabled() const { return m_flags & kModuleEnabled; }
    void SetGuarded(bool guarded);
    bool IsGuarded() const { return m_flags & kModuleGuarded; }

    void AttachCore(GameCore* core);
    // Drops one reference; returns how many are left.
    int Release();
    int References() const { return m_references; }

    // Moves this module's messages out of the core's posted list into the
    // ring, in list order. A ring already over the queue limit is emptied
    // first (after a NOTE_QUEUE_OVERFLOW notice).
    void PullMessages(std::list<ModuleMessage>& posted);
    // Passes every queued message to OnMessage in FIFO order.
    void DrainMessages();
    size_t QueuedMessages() const { return m_ring.Length(); }

    ModuleBase* FindModule(int id) const;
    int SendMessage(int target, int msg, MessageWord data, MessageWord extra);
    size_t PostMessage(int target, int msg, MessageWord data, MessageWord extra, MessageRelease release = nullptr);
    GameCore* GetCore() const { return m_core; }

private:
    int m_references = 0;
    uint32_t m_interval = kDefaultModuleInterval;
    uint32_t m_lastRun = 0;
    uint32_t m_flags = kModuleInitialFlags;
    MessageRing m_ring;
    GameCore* m_core = nullptr; // not owned: the core owns the module
};

} // namespace engine
