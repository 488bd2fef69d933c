#pragma once
// A small engine for the object-model tests: a core with the real object
// module and recording stand-ins for the paint module (which frees the render
// lists it gets), the input module (which frees the input records handed
// back) and the notice sink 1010.

#include "TestSupport.h"

#include "engine/core/GameCore.h"
#include "engine/core/Geometry.h"
#include "engine/core/InputState.h"
#include "engine/core/ObjectModule.h"
#include "engine/core/PictureRef.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace enginetest {

struct RenderRecord {
    std::vector<engine::Rect> rects;
    std::vector<const engine::PictureRef*> pictures; // back to front
    std::vector<engine::ObjectGeometry> geometries;
};

class RecordingPaint final : public engine::ModuleBase {
public:
    int Init() override { return 1; }
    void Shutdown() override { }
    void Update() override { DrainMessages(); }
    int GetId() const override { return engine::MODULE_PAINT; }
    const char* GetName() const override { return "PaintModule"; }
    int OnMessage(int msg, engine::MessageWord data, engine::MessageWord) override
    {
        if (msg != engine::MODMSG_PAINT_RENDER)
            return 0;
        std::unique_ptr<engine::RenderList> list(engine::FromWord<engine::RenderList>(data));
        RenderRecord record;
        record.rects = list->rects;
        for (engine::DrawItem* item = list->first; item; item = item->next) {
            record.pictures.push_back(item->picture);
            record.geometries.push_back(item->geometry);
        }
        renders.push_back(record);
        engine::FreeRenderList(std::move(list));
        return engine::ORBITVANE_RETURN_OK;
    }
    std::vector<RenderRecord> renders;
};

class RecordingInput final : public engine::ModuleBase {
public:
    int Init() override { return 1; }
    void Shutdown() override { }
    void Update() override { DrainMessages(); }
    int GetId() const override { return engine::MODULE_INPUT; }
    const char* GetName() const override { return "InputModule"; }
    int OnMessage(int msg, engine::MessageWord data, engine::MessageWord) override
    {
        if (msg == engine::MODMSG_INPUT_FREE_EVENT) {
            auto* event = engine::FromWord<engine::EngineEvent>(data);
            delete engine::FromWord<engine::InputState>(event->data);
            delete event;
            ++freed;
        }
        return engine::ORBITVANE_RETURN_OK;
    }
    int freed = 0;
};

class NoticeSink final : public engine::ModuleBase {
public:
    int Init() override { return 1; }
    void Shutdown() override { }
    void Update() override { DrainMessages(); }
    int GetId() const override { return engine::MODULE_NOTIFY_SINK; }
    const char* GetName() const override { return "NoticeSink"; }
    int OnMessage(int msg, engine::MessageWord data, engine::MessageWord) override
    {
        if (msg == engine::NOTE_MODULE_ERROR && data)
            texts.push_back(engine::FromWord<const char>(data));
        return engine::ORBITVANE_RETURN_OK;
    }
    std::vector<std::string> texts;
};

class FakeHost final : public engine::HostWindow {
public:
    engine::Point ClientToScreen(engine::Point p) const override { return { p.x + 1000, p.y + 2000 }; }
    engine::Rect GetCursorClip() const override { return clip; }
    void ClipCursor(const engine::Rect& r) override { clip = r; }
    bool IsMinimised() const override { return minimised; }
    engine::Rect clip { 0, 0, 1920, 1080 };
    bool minimised = false;
};

// An object that draws a picture: w x h, every pixel opaque unless cleared.
class TestSprite : public engine::EngineObject {
public:
    TestSprite(int w, int h, std::vector<int>* deleted = nullptr)
        : m_deleted(deleted)
    {
        m_record.serial = 2;
        m_record.frameWidth = static_cast<uint16_t>(w);
        m_record.frameHeight = static_cast<uint16_t>(h);
        m_record.frameCount = 1;
        m_record.framesPerRow = 1;
        m_record.pixels.assign(static_cast<size_t>(w) * h * 4, 0xFF);
        engine::PictureDesc desc;
        desc.serial = 2;
        desc.record = &m_record;
        desc.width = w;
        desc.height = h;
        m_ref.SetDesc(desc);
        SetSize(w, h);
    }
    ~TestSprite() override
    {
        if (m_deleted)
            m_deleted->push_back(GetId());
    }
    engine::PictureRef* GetPicture() override { return &m_ref; }
    void ClearPixel(int x, int y) { m_record.pixels[(static_cast<size_t>(y) * m_record.frameWidth + x) * 4 + 3] = 0; }

private:
    engine::PictureData m_record;
    engine::PictureRef m_ref;
    std::vector<int>* m_deleted;
};

// An object that records the events it gets.
class Listener : public engine::EngineObject {
public:
    explicit Listener(std::vector<int>* deleted = nullptr)
        : m_deleted(deleted)
    {
    }
    ~Listener() override
    {
        if (m_deleted)
            m_deleted->push_back(GetId());
    }
    int OnEvent(const engine::EngineEvent& event) override
    {
        events.push_back(event);
        if (onEvent)
            onEvent(event);
        return engine::EngineObject::OnEvent(event) + 41;
    }
    std::vector<engine::EngineEvent> events;
    std::function<void(const engine::EngineEvent&)> onEvent;

private:
    std::vector<int>* m_deleted;
};

class ObjectEngine : public ::testing::Test {
protected:
    ObjectEngine()
        : tick(5000)
    {
        core.Init(&host);
        auto om = std::make_unique<engine::ObjectModule>();
        objects = om.get();
        EXPECT_EQ(core.LoadModule(std::move(om), true, false), engine::ORBITVANE_RETURN_OK);
        auto p = std::make_unique<RecordingPaint>();
        paint = p.get();
        core.LoadModule(std::move(p), true, true);
        auto i = std::make_unique<RecordingInput>();
        input = i.get();
        input->SetInterval(0);
        core.LoadModule(std::move(i), true, true);
        auto s = std::make_unique<NoticeSink>();
        sink = s.get();
        sink->SetInterval(0);
        core.LoadModule(std::move(s), true, true);
        objects->SetViewCentre(400, 300);
        objects->SetViewSize(800, 600);
        Frame(); // settle the first pass
        paint->renders.clear();
    }

    void Frame(uint32_t advance = 11)
    {
        tick.Advance(advance);
        core.RunFrame();
    }

    template <typename T, typename... Args>
    T* Add(Args&&... args)
    {
        auto object = std::make_unique<T>(std::forward<Args>(args)...);
        T* raw = object.get();
        objects->AddObject(std::move(object), nullptr);
        return raw;
    }

    TestSprite* Sprite(double x, double y, int w, int h, bool show = true)
    {
        TestSprite* s = Add<TestSprite>(w, h, &deleted);
        s->MoveTo(x, y);
        if (show)
            s->Show();
        s->Invalidate();
        return s;
    }

    ScratchDir scratch;
    Recorders rec;
    FixedTick tick;
    FakeHost host;
    std::vector<int> deleted; // ids of deleted test objects; outlives the core
    engine::GameCore core;
    engine::ObjectModule* objects = nullptr;
    RecordingPaint* paint = nullptr;
    RecordingInput* input = nullptr;
    NoticeSink* sink = nullptr;
};

} // namespace enginetest
