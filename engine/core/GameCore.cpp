#include "engine/core/GameCore.h"

#include "engine/core/EngineDailyLog.h"
#include "engine/core/EngineMessageBox.h"
#include "engine/core/EngineRunLog.h"

#include <algorithm>
#include <cstdio>
#include <exception>

namespace engine {

namespace {

constexpr double kEngineVersion = 1.0;

const char* const kScrollBarParts[] = {
    "ScrollBar_VertBack",
    "ScrollBar_VertBtn",
    "ScrollBar_VertPattern",
    "ScrollBar_VertUpBtn",
    "ScrollBar_VertDownBtn",
    "ScrollBar_HorzBack",
    "ScrollBar_HorzBtn",
    "ScrollBar_HorzPattern",
    "ScrollBar_HorzLeftBtn",
    "ScrollBar_HorzRightBtn",
};

} // namespace

GameCore::GameCore() = default;

GameCore::~GameCore()
{
    UnloadAllModules();
    FinishRetired();
    for (ModuleMessage& message : m_posted) {
        if (message.release)
            message.release(message.msg, message.data, message.extra);
    }
    m_posted.clear();
}

void GameCore::Init(HostWindow* hostWindow)
{
    SetDefaultProperties();
    m_hostWindow = hostWindow;
    LogStart();
    LogPrintf("OrbitVaneVesion:%f", kEngineVersion);
    LogPrintf("OrbitVaneLastBulid:<%s>,<%s>", __DATE__, __TIME__);
}

void GameCore::SetDefaultProperties()
{
    SetIntProperty(PROP_SIZE_3, 22);
    SetIntProperty(PROP_SIZE_4, 16);
    SetIntProperty(PROP_FONT_SIZE, 14);
    SetIntProperty(PROP_SIZE_6, 12);
    SetIntProperty(PROP_SIZE_7, 40);
    SetIntProperty(PROP_MSG_TEXT_COLOUR, 0xffffff);
    SetIntProperty(PROP_MSG_BACK_COLOUR, 0x8000);
    SetIntProperty(PROP_MSG_BORDER_COLOUR, 0);
    SetIntProperty(PROP_BUTTON_TEXT_COLOUR, 0xff0080);
    SetIntProperty(PROP_NOTIFY_TARGET, 0);
    SetIntProperty(PROP_NOTIFY_CODE, 19840388);
    int id = PROP_SCROLLBAR_FIRST;
    for (const char* name : kScrollBarParts)
        SetStringProperty(id++, name);
}

int GameCore::LoadModule(std::unique_ptr<ModuleBase> module, bool enable, bool guarded)
{
    if (!module)
        return ORBITVANE_RETURN_MODULE_INITIAL_FAILD;
    int id = module->GetId();
    if (FindModule(id)) {
        if (!SendModuleMessage(MODULE_NOTIFY_SINK, NOTE_DUPLICATE_MODULE, ToWord(&id), 0))
            EngineDailyLog("GameCore::LoadModule---->ORBITVANE_RETURN_MODULE_CRASH");
        return ORBITVANE_RETURN_MODULE_CRASH;
    }
    module->AttachCore(this);
    if ((module->GetFlags() & kModuleSkipInit) || module->Init()) {
        if (enable)
            module->Enable();
        module->SetGuarded(guarded);
        m_modules.push_back(std::move(module));
        return ORBITVANE_RETURN_OK;
    }
    if (!SendModuleMessage(MODULE_NOTIFY_SINK, NOTE_MODULE_INIT_FAILED, ToWord(&id), 0)) {
        EngineDailyLog("GameCore::LoadModule---->ORBITVANE_RETURN_MODULE_INITIAL_FAILD");
        EngineDailyLog("ErrorModule%s", module->GetName());
    }
    return ORBITVANE_RETURN_MODULE_INITIAL_FAILD;
}

void GameCore::DestroyModule(std::unique_ptr<ModuleBase> module)
{
    if (module->Release() > 0) {
        // Another holder keeps a reference and with it the module.
        (void)module.release();
        return;
    }
    if (m_inFrame) {
        // The module may be on the stack of this frame: finish it afterwards.
        m_retired.push_back(std::move(module));
        return;
    }
    module->Shutdown();
}

int GameCore::UnloadModule(int id)
{
    for (size_t i = 0; i < m_modules.size(); ++i) {
        if (!m_modules[i] || m_modules[i]->GetId() != id)
            continue;
        std::unique_ptr<ModuleBase> module = std::move(m_modules[i]);
        if (!m_inFrame)
            m_modules.erase(m_modules.begin() + static_cast<std::ptrdiff_t>(i));
        DestroyModule(std::move(module));
        return ORBITVANE_RETURN_OK;
    }
    return ORBITVANE_RETURN_MODULE_NOT_FOUND;
}

void GameCore::UnloadAllModules()
{
    for (;;) {
        auto first = std::find_if(m_modules.begin(), m_modules.end(), [](const auto& m) { return m != nullptr; });
        if (first == m_modules.end())
            break;
        UnloadModule((*first)->GetId());
    }
    if (!m_inFrame)
        m_modules.clear();
}

ModuleBase* GameCore::FindModule(int id) const
{
    for (const auto& module : m_modules) {
        if (module && module->GetId() == id)
            return module.get();
    }
    return nullptr;
}

size_t GameCore::ModuleCount() const
{
    return static_cast<size_t>(std::count_if(m_modules.begin(), m_modules.end(), [](const auto& m) { return m != nullptr; }));
}

void GameCore::FinishRetired()
{
    while (!m_retired.empty()) {
        std::unique_ptr<ModuleBase> module = std::move(m_retired.back());
        m_retired.pop_back();
        module->Shutdown();
    }
}

void GameCore::RunModule(ModuleBase* module, uint32_t now)
{
    if (!module->IsGuarded()) {
        module->PullMessages(m_posted);
        module->Run(now);
        return;
    }
    try {
        module->PullMessages(m_posted);
        module->Run(now);
    } catch (...) {
        ReportFault(module);
    }
}

void GameCore::ReportFault(ModuleBase* module)
{
    module->Disable();
    int id = module->GetId();
    if (SendModuleMessage(MODULE_NOTIFY_SINK, NOTE_MODULE_ERROR, ToWord(&id), 0))
        return;
    char text[512];
    std::snprintf(text, sizeof text, "模块:<%s>因故障关闭!", module->GetName());
    EngineDailyLog("%s", text);
    // The box runs a message loop of its own: show it once the frame is over.
    m_pendingReports.emplace_back(text);
}

void GameCore::RunPostedCommands()
{
    // A command stays in the list while it runs, so commands that it posts
    // are appended behind it and run in this same walk.
    for (auto it = m_posted.begin(); it != m_posted.end();) {
        if (it->target != MODULE_CORE) {
            ++it;
            continue;
        }
        RunCoreCommand(it->msg, it->data, it->extra);
        it = m_posted.erase(it);
    }
}

void GameCore::DropUndeliverable()
{
    // Messages that no loaded module will ever pull (notices to the sink, or a
    // module that is not loaded) would otherwise stay for the core's life.
    for (auto it = m_posted.begin(); it != m_posted.end();) {
        if (it->target != MODULE_NOTIFY_SINK && FindModule(it->target)) {
            ++it;
            continue;
        }
        EngineDailyLog("GameCore: message %d to module %d dropped, no module takes it", it->msg, it->target);
        ModuleMessage dropped = *it;
        it = m_posted.erase(it);
        if (dropped.release)
            dropped.release(dropped.msg, dropped.data, dropped.extra);
    }
}

void GameCore::ShowPendingReports()
{
    std::vector<std::string> reports;
    reports.swap(m_pendingReports);
    for (const std::string& text : reports)
        ShowEngineMessageBox({ text, "", MessageBoxIcon::None });
}

void GameCore::RunFrame()
{
    if (m_inFrame)
        return;
    Lock();
    m_inFrame = true;
    // An unguarded module's exception leaves the frame, but not the core in a
    // frame or locked.
    struct FrameEnd {
        GameCore& core;
        ~FrameEnd()
        {
            core.m_inFrame = false;
            std::erase_if(core.m_modules, [](const auto& m) { return m == nullptr; });
            core.FinishRetired();
            core.DropUndeliverable();
            core.Unlock();
        }
    };
    {
        FrameEnd end { *this };
        uint32_t now = GetTime();
        // By index: a module may load or unload modules during its turn.
        for (size_t i = 0; i < m_modules.size(); ++i) {
            ModuleBase* module = m_modules[i].get();
            if (module)
                RunModule(module, now);
        }
        RunPostedCommands();
    }
    ShowPendingReports();
}

uint32_t GameCore::MsUntilNextFrame()
{
    if (!m_posted.empty() || !m_pendingReports.empty() || !m_retired.empty())
        return 0;
    const uint32_t now = GetTime();
    uint32_t soonest = kNoWork;
    for (const auto& module : m_modules) {
        if (module)
            soonest = std::min(soonest, module->MsUntilDue(now));
    }
    return soonest;
}

int GameCore::SendModuleMessage(int target, int msg, MessageWord data, MessageWord extra)
{
    if (target == MODULE_CORE) {
        RunCoreCommand(msg, data, extra);
        return 1;
    }
    ModuleBase* module = FindModule(target);
    if (!module)
        return 0;
    return module->OnMessage(msg, data, extra) == ORBITVANE_RETURN_OK ? 1 : 0;
}

size_t GameCore::PostModuleMessage(int target, int msg, MessageWord data, MessageWord extra, MessageRelease release)
{
    m_posted.push_back(ModuleMessage { target, msg, data, extra, release });
    return m_posted.size();
}

void GameCore::RunCoreCommand(int msg, MessageWord data, MessageWord extra)
{
    (void)extra;
    switch (msg) {
    case MODMSG_CORE_ENABLE:
    case MODMSG_CORE_DISABLE: {
        const int* id = FromWord<const int>(data);
        ModuleBase* module = id ? FindModule(*id) : nullptr;
        if (module && msg == MODMSG_CORE_ENABLE)
            module->Enable();
        else if (module)
            module->Disable();
        break;
    }
    case MODMSG_CORE_LOAD:
        if (data)
            LoadModule(std::unique_ptr<ModuleBase>(FromWord<ModuleBase>(data)), false, true);
        break;
    case MODMSG_CORE_UNLOAD:
        if (const int* id = FromWord<const int>(data))
            UnloadModule(*id);
        break;
    default:
        break;
    }
}

uint32_t GameCore::GetTime()
{
    return static_cast<uint32_t>(m_clock.Elapsed());
}

int GameCore::GetIntProperty(int id) const
{
    auto it = m_intProperties.find(id);
    return it == m_intProperties.end() ? -1 : it->second;
}

const std::string* GameCore::GetStringProperty(int id) const
{
    auto it = m_stringProperties.find(id);
    return it == m_stringProperties.end() ? nullptr : &it->second;
}

} // namespace engine
