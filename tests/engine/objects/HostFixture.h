#pragma once
// The test host on SDL's offscreen driver with all engine modules loaded,
// a settable clock, and helpers to make pictures, read the back buffer and
// inject real mouse messages at the window.

#include "engine/core/GameCore.h"
#include "engine/core/ObjectModule.h"
#include "engine/objects/BoundObject.h"
#include "engine/objects/CanvasObject.h"
#include "engine/objects/DrawingObjectModule.h"
#include "engine/objects/EnginePaintModule.h"
#include "engine/objects/RectObject.h"
#include "engine/objects/SpriteObject.h"
#include "engine/modules/InputModule.h"
#include "engine/modules/ResourceModule.h"
#include "platform/Clock.h"
#include "platform/WindowMessages.h"
#include "tools/testhost/TestHost.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace objectstest {

class Root : public engine::RectObject {
public:
    void OnRectChanged() override { ++rectChanges; }
    void OnCopyData(const platform::CopyDataRecord& record) override
    {
        copied.emplace_back(reinterpret_cast<const char*>(record.bytes), record.size);
    }
    int OnEvent(const engine::EngineEvent& event) override
    {
        events.push_back(event);
        return 1;
    }
    int rectChanges = 0;
    std::vector<std::string> copied;
    std::vector<engine::EngineEvent> events;
};

class HostEngine : public ::testing::Test {
protected:
    static constexpr int kWidth = 200;
    static constexpr int kHeight = 150;

    void SetUp() override
    {
        tools::TestHost::PreferHeadlessDrivers();
        SetTick(100000);
        if (!host.Create("objects", kWidth, kHeight))
            GTEST_SKIP() << "no video driver";
        auto r = std::make_unique<Root>();
        root = r.get();
        ASSERT_TRUE(host.Init(std::move(r)));
        objects = host.Objects();
        paint = host.Paint();
        input = host.Input();
        ASSERT_TRUE(objects && paint && input);
        Frame();
    }
    void TearDown() override { platform::SetFixedTick(std::nullopt); }

    engine::GameCore& core() { return host.GetCore(); }
    uint32_t Tick() const { return m_tick; }
    void SetTick(uint32_t t)
    {
        m_tick = t;
        platform::SetFixedTick(t);
    }
    // One engine frame, the clock moved on first.
    void Frame(uint32_t advance = 11)
    {
        SetTick(m_tick + advance);
        host.RunFrame();
    }
    void Frames(int count, uint32_t advance = 11)
    {
        for (int i = 0; i < count; ++i)
            Frame(advance);
    }
    // A window message as the window system delivers it to the host (no
    // frame is run).
    void WindowInput(uint32_t message, int x, int y, uint32_t key = 0)
    {
        host.InjectInput(message, x, y, key);
    }
    // A mouse message at the window, then one frame.
    void Mouse(uint32_t message, int x, int y)
    {
        WindowInput(message, x, y);
        Frame();
    }
    void MoveMouse(int x, int y) { Mouse(platform::kWmMouseMove, x, y); }
    void Press(int x, int y) { Mouse(platform::kWmLButtonDown, x, y); }
    void Release(int x, int y) { Mouse(platform::kWmLButtonUp, x, y); }
    void ClickAt(int x, int y)
    {
        MoveMouse(x, y);
        Press(x, y);
        Release(x, y);
    }
    // The back buffer's pixel as 0x00RRGGBB (alpha dropped).
    uint32_t Pixel(int x, int y) const
    {
        return paint->FinishedFrame()[static_cast<size_t>(y) * kWidth + x] & 0xffffff;
    }
    // A picture of w x h filled with one colour (0x00BBGGRR, opaque), cached
    // under the name.
    engine::PictureDesc MakePicture(const std::string& name, int w, int h, uint32_t colour, int frames = 1,
        uint32_t delay = 100)
    {
        const uint32_t pixel = engine::CanvasObject::MakePixel(colour, engine::kNoColourKey);
        return host.AddPicture(name, w, h, frames, delay, [pixel](int, int, int) { return pixel; });
    }

    tools::TestHost host;
    Root* root = nullptr;
    engine::DrawingObjectModule* objects = nullptr;
    engine::EnginePaintModule* paint = nullptr;
    engine::InputModule* input = nullptr;

private:
    uint32_t m_tick = 0;
};

} // namespace objectstest
