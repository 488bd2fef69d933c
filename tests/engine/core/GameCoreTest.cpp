#include "TestSupport.h"

#include "engine/core/GameCore.h"

#include <gmock/gmock.h>

#include <filesystem>
#include <stdexcept>

using namespace engine;
using enginetest::FixedTick;
using enginetest::Recorders;
using enginetest::ScratchDir;
using ::testing::ElementsAre;

namespace {

struct Received {
    int msg;
    MessageWord data;
    MessageWord extra;
    friend bool operator==(const Received&, const Received&) = default;
};

std::ostream& operator<<(std::ostream& os, const Received& r)
{
    return os << "{" << r.msg << ", " << r.data << ", " << r.extra << "}";
}

// A module that writes what happens to it into a journal that outlives it.
class FakeModule : public ModuleBase {
public:
    FakeModule(int id, std::vector<std::string>& journal, std::string name = {})
        : m_id(id)
        , m_journal(journal)
        , m_name(name.empty() ? "Fake" + std::to_string(id) : name)
    {
    }
    ~FakeModule() override { m_journal.push_back("delete " + m_name); }

    int Init() override
    {
        m_journal.push_back("init " + m_name);
        return initResult;
    }
    void Shutdown() override { m_journal.push_back("shutdown " + m_name); }
    void Update() override
    {
        m_journal.push_back("update " + m_name);
        if (drains)
            DrainMessages();
        if (onUpdate)
            onUpdate(*this);
    }
    int GetId() const override { return m_id; }
    const char* GetName() const override { return m_name.c_str(); }
    int OnMessage(int msg, MessageWord data, MessageWord extra) override
    {
        received.push_back({ msg, data, extra });
        return handled;
    }
    uint32_t GetQueueLimit() const override { return queueLimit; }

    int initResult = 1;
    bool drains = true;
    int handled = ORBITVANE_RETURN_OK;
    uint32_t queueLimit = kDefaultQueueLimit;
    std::function<void(FakeModule&)> onUpdate;
    std::vector<Received> received;

private:
    int m_id;
    std::vector<std::string>& m_journal;
    std::string m_name;
};

class GameCoreTest : public ::testing::Test {
protected:
    GameCoreTest()
        : tick(1000)
    {
    }

    FakeModule* Load(int id, std::string name = {}, bool enable = true, bool guarded = true)
    {
        auto module = std::make_unique<FakeModule>(id, journal, name);
        FakeModule* raw = module.get();
        EXPECT_EQ(core.LoadModule(std::move(module), enable, guarded), ORBITVANE_RETURN_OK);
        return raw;
    }

    // Runs frames until the clock has moved past every default interval.
    void Frame(uint32_t advance = 11)
    {
        tick.Advance(advance);
        core.RunFrame();
    }

    std::vector<std::string> Updates() const
    {
        std::vector<std::string> out;
        for (const auto& line : journal)
            if (line.rfind("update ", 0) == 0)
                out.push_back(line.substr(7));
        return out;
    }

    Recorders rec;
    FixedTick tick;
    std::vector<std::string> journal; // declared before the core: outlives its modules
    GameCore core;
};

int g_released = 0;
void CountRelease(int, MessageWord, MessageWord)
{
    ++g_released;
}

} // namespace

TEST_F(GameCoreTest, LoadRefusesDuplicatesAndFailedInits)
{
    FakeModule* first = Load(MODULE_OBJECT, "First");
    EXPECT_EQ(core.FindModule(MODULE_OBJECT), first);
    EXPECT_EQ(first->References(), 1);
    EXPECT_TRUE(first->IsEnabled());
    EXPECT_TRUE(first->IsGuarded());

    journal.clear();
    EXPECT_EQ(core.LoadModule(std::make_unique<FakeModule>(MODULE_OBJECT, journal, "Second"), true, false),
        ORBITVANE_RETURN_MODULE_CRASH);
    EXPECT_THAT(journal, ElementsAre("delete Second"));
    EXPECT_THAT(rec.dailyLog, ElementsAre("GameCore::LoadModule---->ORBITVANE_RETURN_MODULE_CRASH"));
    EXPECT_EQ(core.FindModule(MODULE_OBJECT), first);

    journal.clear();
    rec.dailyLog.clear();
    auto failing = std::make_unique<FakeModule>(MODULE_PAINT, journal, "Painter");
    failing->initResult = 0;
    EXPECT_EQ(core.LoadModule(std::move(failing), true, true), ORBITVANE_RETURN_MODULE_INITIAL_FAILD);
    EXPECT_THAT(journal, ElementsAre("init Painter", "delete Painter")); // no shutdown
    EXPECT_THAT(rec.dailyLog,
        ElementsAre("GameCore::LoadModule---->ORBITVANE_RETURN_MODULE_INITIAL_FAILD", "ErrorModulePainter"));
    EXPECT_EQ(core.FindModule(MODULE_PAINT), nullptr);

    // The skip-init flag loads without Init; enable 0 leaves the bit alone.
    journal.clear();
    auto skipping = std::make_unique<FakeModule>(MODULE_MUSIC, journal, "Music");
    skipping->initResult = 0;
    skipping->SetFlags(kModuleInitialFlags | kModuleSkipInit | kModuleEnabled);
    EXPECT_EQ(core.LoadModule(std::move(skipping), false, false), ORBITVANE_RETURN_OK);
    EXPECT_TRUE(journal.empty());
    EXPECT_TRUE(core.FindModule(MODULE_MUSIC)->IsEnabled());
    EXPECT_FALSE(core.FindModule(MODULE_MUSIC)->IsGuarded());

    EXPECT_EQ(core.UnloadModule(4242), ORBITVANE_RETURN_MODULE_NOT_FOUND);
}

TEST_F(GameCoreTest, UnloadsInLoadOrder)
{
    Load(MODULE_RESOURCE, "Res");
    Load(MODULE_OBJECT, "Obj");
    Load(MODULE_PAINT, "Paint");
    journal.clear();
    EXPECT_EQ(core.UnloadModule(MODULE_OBJECT), ORBITVANE_RETURN_OK);
    EXPECT_THAT(journal, ElementsAre("shutdown Obj", "delete Obj"));
    journal.clear();
    core.UnloadAllModules();
    EXPECT_THAT(journal, ElementsAre("shutdown Res", "delete Res", "shutdown Paint", "delete Paint"));
    EXPECT_EQ(core.ModuleCount(), 0u);
}

// With a 5 ms timer a module of interval 10 runs only when strictly more than
// 10 ms have passed since its last run; interval 0 runs whenever the clock
// moved.
TEST_F(GameCoreTest, EachModuleRunsWhenItsIntervalHasPassed)
{
    FakeModule* a = Load(MODULE_RESOURCE, "A");
    FakeModule* b = Load(MODULE_OBJECT, "B");
    FakeModule* c = Load(MODULE_INPUT, "C");
    b->SetInterval(0);
    c->SetInterval(100);

    struct Step {
        uint32_t advance;
        std::vector<std::string> updates;
    };
    const Step steps[] = {
        { 0, {} },              // t = 0
        { 5, { "B" } },         // 5
        { 5, { "B" } },         // 10: not more than 10 for A
        { 1, { "A", "B" } },    // 11
        { 0, {} },              // 11 again: the clock did not move
        { 10, { "B" } },        // 21: 10 since A's run
        { 79, { "A", "B" } },   // 100: not more than 100 for C
        { 1, { "B", "C" } },    // 101
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        journal.clear();
        Frame(steps[i].advance);
        EXPECT_EQ(Updates(), steps[i].updates) << "step " << i;
    }
    EXPECT_EQ(a->GetFrameTime(), 100u);
    EXPECT_EQ(c->GetFrameTime(), 101u);
}

TEST(ModuleBase, IntervalTestIsUnsignedAcrossTheWrap)
{
    std::vector<std::string> journal;
    FakeModule m(1, journal, "M");
    EXPECT_EQ(m.Run(0xFFFFFFF8u), 0); // disabled: nothing
    EXPECT_TRUE(journal.empty());
    m.Enable();
    EXPECT_EQ(m.Run(0xFFFFFFF8u), 1);
    EXPECT_EQ(m.Run(2), 1); // 10 ms later, across the wrap
    EXPECT_EQ(m.Run(3), 1); // 11 ms later
    EXPECT_THAT(journal, ElementsAre("update M", "update M"));
    EXPECT_EQ(m.GetFrameTime(), 3u);
}

TEST(CoreClock, CountsAcrossTheTickWrapAndNeverGoesBack)
{
    FixedTick tick(0xFFFFFFF0u);
    CoreClock clock;
    EXPECT_EQ(clock.Elapsed(), 0u);
    tick.Set(0x10);
    EXPECT_EQ(clock.Elapsed(), 0x20u);
    tick.Set(0x15);
    EXPECT_EQ(clock.Elapsed(), 0x25u);
    clock.Reset(7);
    EXPECT_EQ(clock.Elapsed(), 7u);

    // The core's time wraps at 32 bits like the tick.
    GameCore core;
    uint32_t start = core.GetTime();
    tick.Advance(0xFFFFFFFFu);
    tick.Advance(2);
    EXPECT_EQ(static_cast<uint32_t>(core.GetTime() - start), 1u);
}

// Messages posted for a module that has not had its turn yet arrive in the
// same frame, in order; those for a module that already ran wait a frame.
TEST_F(GameCoreTest, PostedMessagesArriveInOrderAndInTheRightFrame)
{
    FakeModule* a = Load(MODULE_RESOURCE, "A");
    FakeModule* b = Load(MODULE_OBJECT, "B");
    core.PostModuleMessage(MODULE_OBJECT, 1, 10, 0);
    EXPECT_EQ(core.PostModuleMessage(MODULE_OBJECT, 2, 20, 0), 2u);
    a->onUpdate = [](FakeModule& self) { self.PostMessage(MODULE_OBJECT, 3, 30, 0); };
    b->onUpdate = [](FakeModule& self) { self.PostMessage(MODULE_RESOURCE, 4, 40, 0); };

    Frame();
    EXPECT_THAT(b->received, ElementsAre(Received { 1, 10, 0 }, Received { 2, 20, 0 }, Received { 3, 30, 0 }));
    EXPECT_TRUE(a->received.empty());
    EXPECT_EQ(core.PostedCount(), 1u);

    a->onUpdate = nullptr;
    b->onUpdate = nullptr;
    Frame();
    EXPECT_THAT(a->received, ElementsAre(Received { 4, 40, 0 }));
    EXPECT_EQ(core.PostedCount(), 0u);
}

// A disabled module's messages pile up in its ring; once more than its limit
// are queued at the start of a turn they are all dropped (and released).
TEST_F(GameCoreTest, QueueOverflowDropsTheRing)
{
    FakeModule* m = Load(MODULE_INPUT, "In", false);
    m->queueLimit = 4;
    g_released = 0;
    for (int i = 0; i < 5; ++i)
        core.PostModuleMessage(MODULE_INPUT, 100 + i, 0, 0, CountRelease);
    Frame();
    EXPECT_EQ(m->QueuedMessages(), 5u);
    EXPECT_EQ(g_released, 0);

    core.PostModuleMessage(MODULE_INPUT, 200, 0, 0, CountRelease);
    Frame(); // 5 > 4 at the start of the turn: dropped, then the new one queued
    EXPECT_EQ(g_released, 5);
    EXPECT_EQ(m->QueuedMessages(), 1u);

    m->Enable();
    Frame();
    EXPECT_THAT(m->received, ElementsAre(Received { 200, 0, 0 }));
    EXPECT_EQ(g_released, 5); // delivered messages belong to the receiver
}

TEST_F(GameCoreTest, SendReportsWhetherTheModuleHandledIt)
{
    FakeModule* m = Load(MODULE_PAINT, "P");
    EXPECT_EQ(core.SendModuleMessage(MODULE_PAINT, MODMSG_PAINT_PRESENT, 0, 0), 1);
    m->handled = 0;
    EXPECT_EQ(core.SendModuleMessage(MODULE_PAINT, MODMSG_PAINT_PRESENT, 0, 0), 0);
    EXPECT_EQ(core.SendModuleMessage(4242, 1, 0, 0), 0);
    EXPECT_EQ(core.SendModuleMessage(MODULE_NOTIFY_SINK, NOTE_MODULE_ERROR, 0, 0), 0);
    // Target 0 is a core command: 1 whatever it did.
    EXPECT_EQ(core.SendModuleMessage(MODULE_CORE, 9999, 0, 0), 1);
    int missing = 4242;
    EXPECT_EQ(core.SendModuleMessage(MODULE_CORE, MODMSG_CORE_ENABLE, ToWord(&missing), 0), 1);
    int id = MODULE_PAINT;
    EXPECT_EQ(core.SendModuleMessage(MODULE_CORE, MODMSG_CORE_DISABLE, ToWord(&id), 0), 1);
    EXPECT_FALSE(m->IsEnabled());
}

TEST_F(GameCoreTest, PostedCoreCommandsRunAtTheEndOfTheFrame)
{
    FakeModule* a = Load(MODULE_RESOURCE, "A");
    auto extra = std::make_unique<FakeModule>(MODULE_MUSIC, journal, "Late");
    FakeModule* late = extra.get();
    static int lateId = MODULE_MUSIC;
    // Posted during A's turn: the load runs once every module had its turn.
    a->onUpdate = [&](FakeModule& self) {
        self.PostMessage(MODULE_CORE, MODMSG_CORE_LOAD, ToWord(extra.release()), 0);
        self.PostMessage(MODULE_CORE, MODMSG_CORE_ENABLE, ToWord(&lateId), 0);
        self.onUpdate = nullptr;
    };
    Frame();
    ASSERT_EQ(core.FindModule(MODULE_MUSIC), late);
    EXPECT_TRUE(late->IsGuarded());
    EXPECT_TRUE(late->IsEnabled()); // the enable after the load
    EXPECT_THAT(Updates(), ElementsAre("A"));

    // Loaded by a command alone: disabled and guarded.
    int id = MODULE_MUSIC;
    core.PostModuleMessage(MODULE_CORE, MODMSG_CORE_UNLOAD, ToWord(&id), 0);
    core.PostModuleMessage(MODULE_CORE, MODMSG_CORE_LOAD, ToWord(new FakeModule(MODULE_MUSIC, journal, "Again")), 0);
    Frame();
    ModuleBase* again = core.FindModule(MODULE_MUSIC);
    ASSERT_NE(again, nullptr);
    EXPECT_STREQ(again->GetName(), "Again");
    EXPECT_FALSE(again->IsEnabled());
    EXPECT_TRUE(again->IsGuarded());
}

// A guarded module that throws is disabled and reported once, after the
// frame; the modules after it still run in that frame.
TEST_F(GameCoreTest, GuardedFaultDisablesAndReportsAfterTheFrame)
{
    Load(MODULE_RESOURCE, "Before");
    FakeModule* bad = Load(MODULE_OBJECT, "ObjectModule");
    Load(MODULE_PAINT, "After");
    bad->onUpdate = [](FakeModule&) { throw std::runtime_error("broken"); };
    bool boxDuringFrame = false;
    rec.onBox = [&] { boxDuringFrame = core.InFrame(); };

    Frame();
    EXPECT_THAT(Updates(), ElementsAre("Before", "ObjectModule", "After"));
    EXPECT_FALSE(bad->IsEnabled());
    ASSERT_EQ(rec.boxes.size(), 1u);
    EXPECT_EQ(rec.boxes[0].text, "模块:<ObjectModule>因故障关闭!");
    EXPECT_EQ(rec.boxes[0].caption, "");
    EXPECT_FALSE(boxDuringFrame);
    EXPECT_THAT(rec.dailyLog, ElementsAre("模块:<ObjectModule>因故障关闭!"));

    journal.clear();
    Frame();
    EXPECT_THAT(Updates(), ElementsAre("Before", "After"));
    EXPECT_EQ(rec.boxes.size(), 1u);
}

// A tick that arrives while a frame runs (say inside a message box's loop)
// starts no frame inside the frame.
TEST_F(GameCoreTest, NoFrameStartsInsideAFrame)
{
    FakeModule* a = Load(MODULE_RESOURCE, "A");
    Load(MODULE_OBJECT, "B");
    int nested = 0;
    a->onUpdate = [&](FakeModule&) {
        ++nested;
        tick.Advance(50);
        core.RunFrame();
    };
    Frame();
    EXPECT_EQ(nested, 1);
    EXPECT_THAT(Updates(), ElementsAre("A", "B"));

    // A box shown after a fault may run frames of its own: they run normally.
    a->onUpdate = [](FakeModule&) { throw 7; };
    int framesInBox = 0;
    rec.onBox = [&] {
        tick.Advance(11);
        core.RunFrame();
        ++framesInBox;
    };
    journal.clear();
    Frame();
    EXPECT_EQ(framesInBox, 1);
    EXPECT_THAT(Updates(), ElementsAre("A", "B", "B"));
}

TEST_F(GameCoreTest, UnguardedFaultLeavesTheFrameButNotTheCoreStuck)
{
    FakeModule* m = Load(MODULE_RESOURCE, "Raw", true, false);
    m->onUpdate = [](FakeModule&) { throw std::runtime_error("raw"); };
    EXPECT_THROW(Frame(), std::runtime_error);
    EXPECT_FALSE(core.InFrame());
    m->onUpdate = nullptr;
    journal.clear();
    Frame();
    EXPECT_THAT(Updates(), ElementsAre("Raw"));
}

// A module unloaded during its own turn is shut down and deleted after the
// frame, not under its own feet; the next module still runs.
TEST_F(GameCoreTest, UnloadDuringAFrameWaitsForTheFrameToEnd)
{
    FakeModule* a = Load(MODULE_RESOURCE, "A");
    Load(MODULE_OBJECT, "B");
    a->onUpdate = [&](FakeModule& self) {
        int id = self.GetId();
        EXPECT_EQ(self.SendMessage(MODULE_CORE, MODMSG_CORE_UNLOAD, ToWord(&id), 0), 1);
        EXPECT_EQ(core.FindModule(MODULE_RESOURCE), nullptr);
        self.received.push_back({ 0, 0, 0 }); // still alive here
    };
    journal.clear();
    Frame();
    EXPECT_THAT(journal, ElementsAre("update A", "update B", "shutdown A", "delete A"));
    EXPECT_EQ(core.ModuleCount(), 1u);
}

// Notices to 1010 and messages to modules that are not loaded are dropped
// with a daily log line and released, instead of piling up.
TEST_F(GameCoreTest, UndeliverableMessagesAreDroppedAndLogged)
{
    FakeModule* a = Load(MODULE_RESOURCE, "A");
    Load(MODULE_OBJECT, "B");
    g_released = 0;
    core.PostModuleMessage(MODULE_NOTIFY_SINK, NOTE_MODULE_ERROR, 0, 0, CountRelease);
    core.PostModuleMessage(4242, 77, 0, 0, CountRelease);
    // Posted by B for A after A's turn: A is loaded, so it waits a frame.
    core.FindModule(MODULE_OBJECT);
    static_cast<FakeModule*>(core.FindModule(MODULE_OBJECT))->onUpdate = [](FakeModule& self) {
        self.PostMessage(MODULE_RESOURCE, 5, 0, 0, CountRelease);
        self.onUpdate = nullptr;
    };
    Frame();
    EXPECT_EQ(g_released, 2);
    EXPECT_EQ(core.PostedCount(), 1u);
    EXPECT_THAT(rec.dailyLog,
        ElementsAre("GameCore: message 1002 to module 1010 dropped, no module takes it",
            "GameCore: message 77 to module 4242 dropped, no module takes it"));
    Frame();
    EXPECT_THAT(a->received, ElementsAre(Received { 5, 0, 0 }));
    EXPECT_EQ(g_released, 2);
}

TEST(GameCoreLifetime, DestroyReleasesWhatIsStillPosted)
{
    g_released = 0;
    {
        GameCore core;
        core.PostModuleMessage(MODULE_OBJECT, 1, 0, 0, CountRelease);
        core.PostModuleMessage(MODULE_OBJECT, 2, 0, 0);
    }
    EXPECT_EQ(g_released, 1);
}

TEST(GameCoreProperties, DefaultsAndUnsetValues)
{
    ScratchDir scratch;
    GameCore core;
    EXPECT_EQ(core.GetIntProperty(PROP_FONT_SIZE), -1);
    core.Init(nullptr);
    EXPECT_EQ(core.GetHostWindow(), nullptr);
    const std::pair<int, int> ints[] = { { 3, 22 }, { 4, 16 }, { 5, 14 }, { 6, 12 }, { 7, 40 }, { 8, 0xffffff },
        { 9, 0x8000 }, { 10, 0 }, { 11, 0xff0080 }, { 16, 0 }, { 17, 19840388 }, { 18, -1 }, { 12, -1 } };
    for (const auto& [id, value] : ints)
        EXPECT_EQ(core.GetIntProperty(id), value) << id;
    ASSERT_NE(core.GetStringProperty(22), nullptr);
    EXPECT_EQ(*core.GetStringProperty(22), "ScrollBar_VertBack");
    EXPECT_EQ(*core.GetStringProperty(26), "ScrollBar_VertDownBtn");
    EXPECT_EQ(*core.GetStringProperty(31), "ScrollBar_HorzRightBtn");
    EXPECT_EQ(core.GetStringProperty(32), nullptr);
    core.SetIntProperty(40, -1);
    EXPECT_EQ(core.GetIntProperty(40), -1);
    core.SetStringProperty(40, "x");
    EXPECT_EQ(*core.GetStringProperty(40), "x");

    std::string log;
    ASSERT_TRUE(platform::ReadFile(scratch.StateDir() + "GameRun.log", log));
    EXPECT_NE(log.find("     GameCore Start\r\n"), std::string::npos);
    EXPECT_NE(log.find("     OrbitVaneVesion:1.000000\r\n"), std::string::npos);
    EXPECT_NE(log.find("     OrbitVaneLastBulid:<"), std::string::npos);
}

TEST(MessageRing, GrowsBeforeFillingAndKeepsOrder)
{
    MessageRing ring;
    EXPECT_EQ(ring.Capacity(), 16u);
    ModuleMessage out;
    // Wrap the indexes around first.
    for (int i = 0; i < 10; ++i)
        ring.Push({ 1, i });
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(ring.Pop(out));
    for (int i = 0; i < 15; ++i)
        ring.Push({ 1, i });
    EXPECT_EQ(ring.Capacity(), 16u);
    ring.Push({ 1, 15 }); // the count had reached capacity - 1
    EXPECT_EQ(ring.Capacity(), 32u);
    for (int i = 0; i < 16; ++i) {
        ASSERT_TRUE(ring.Pop(out));
        EXPECT_EQ(out.msg, i);
    }
    EXPECT_FALSE(ring.Pop(out));
    EXPECT_EQ(ring.Length(), 0u);
}
