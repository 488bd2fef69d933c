#pragma once
// The heart of the engine: the registry of modules, the frame loop that gives
// each module its turn, module messages (sent at once or posted for a later
// turn), the engine-wide properties and the millisecond clock. Everything
// here runs on the user-interface thread.

#include "engine/core/CoreClock.h"
#include "engine/core/HostWindow.h"
#include "engine/core/ModuleBase.h"
#include "engine/core/ModuleMessage.h"

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace engine {

// Engine property ids.
inline constexpr int PROP_SIZE_3 = 3;
inline constexpr int PROP_SIZE_4 = 4;
inline constexpr int PROP_FONT_SIZE = 5;
inline constexpr int PROP_SIZE_6 = 6;
inline constexpr int PROP_SIZE_7 = 7;
inline constexpr int PROP_MSG_TEXT_COLOUR = 8;
inline constexpr int PROP_MSG_BACK_COLOUR = 9;
inline constexpr int PROP_MSG_BORDER_COLOUR = 10;
inline constexpr int PROP_BUTTON_TEXT_COLOUR = 11;
inline constexpr int PROP_NOTIFY_TARGET = 16;
inline constexpr int PROP_NOTIFY_CODE = 17;
inline constexpr int PROP_PAINT_READY = 18;
inline constexpr int PROP_SCROLLBAR_FIRST = 22; // 22..31: scroll-bar part names

// The lock a frame holds; re-entrant, so code already holding it on the
// user-interface thread may run a frame's work again.
class CriticalLock {
public:
    void Lock()
    {
        m_section.lock();
        ++m_held;
    }
    void Unlock()
    {
        if (m_held == 0)
            return;
        --m_held;
        m_section.unlock();
    }
    int Held() const { return m_held; }

private:
    std::recursive_mutex m_section;
    int m_held = 0;
};

class GameCore {
public:
    GameCore();
    virtual ~GameCore();
    GameCore(const GameCore&) = delete;
    GameCore& operator=(const GameCore&) = delete;

    // Sets the default properties, keeps the host window (null in headless
    // use) and restarts the engine run log.
    void Init(HostWindow* hostWindow);

    // Takes the module. ORBITVANE_RETURN_OK; ORBITVANE_RETURN_MODULE_CRASH when
    // its id is already loaded, ORBITVANE_RETURN_MODULE_INITIAL_FAILD when its
    // Init fails (the module is deleted in both cases).
    int LoadModule(std::unique_ptr<ModuleBase> module, bool enable, bool guarded);
    // ORBITVANE_RETURN_OK, or ORBITVANE_RETURN_MODULE_NOT_FOUND. A module
    // unloaded while a frame runs is shut down and deleted when the frame ends.
    int UnloadModule(int id);
    // Unloads in load order.
    void UnloadAllModules();
    ModuleBase* FindModule(int id) const;
    size_t ModuleCount() const;

    // One engine frame. A call that arrives while a frame runs (a timer tick
    // inside a message box's loop) returns at once.
    void RunFrame();
    bool InFrame() const { return m_inFrame; }
    // How long from now until a frame would do work (ModuleBase::MsUntilDue
    // of every module; 0 while messages or commands wait in the posted
    // list); kNoWork when every module waits for a message or a call.
    uint32_t MsUntilNextFrame();

    // Target 0 runs a core command and gives 1; otherwise 1 only when the
    // module exists and handles the message.
    int SendModuleMessage(int target, int msg, MessageWord data, MessageWord extra);
    // Queues the message; returns the posted list's new length.
    size_t PostModuleMessage(int target, int msg, MessageWord data, MessageWord extra, MessageRelease release = nullptr);
    size_t PostedCount() const { return m_posted.size(); }
    void RunCoreCommand(int msg, MessageWord data, MessageWord extra);

    // Milliseconds of the engine clock (low 32 bits).
    uint32_t GetTime();
    CoreClock& Clock() { return m_clock; }

    void Lock() { m_lock.Lock(); }
    void Unlock() { m_lock.Unlock(); }

    void SetIntProperty(int id, int value) { m_intProperties[id] = value; }
    // -1 when the id has no value.
    int GetIntProperty(int id) const;
    void SetStringProperty(int id, std::string text) { m_stringProperties[id] = std::move(text); }
    // Null when the id has no value.
    const std::string* GetStringProperty(int id) const;

    HostWindow* GetHostWindow() const { return m_hostWindow; }

    virtual void SetDefaultProperties();

private:
    void RunModule(ModuleBase* module, uint32_t now);
    void ReportFault(ModuleBase* module);
    void RunPostedCommands();
    void DropUndeliverable();
    void DestroyModule(std::unique_ptr<ModuleBase> module);
    void FinishRetired();
    void ShowPendingReports();

    CoreClock m_clock;
    // Load order. While a frame runs, an unloaded module's slot is emptied and
    // compacted when the frame ends.
    std::vector<std::unique_ptr<ModuleBase>> m_modules;
    std::vector<std::unique_ptr<ModuleBase>> m_retired;
    std::list<ModuleMessage> m_posted;
    CriticalLock m_lock;
    std::map<int, int> m_intProperties;
    std::map<int, std::string> m_stringProperties;
    HostWindow* m_hostWindow = nullptr; // not owned
    bool m_inFrame = false;
    std::vector<std::string> m_pendingReports; // fault boxes shown after the frame
};

} // namespace engine
