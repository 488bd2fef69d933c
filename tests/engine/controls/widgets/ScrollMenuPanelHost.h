#pragma once
// The headless host window of the object tests, with real mouse input
// injected at the window, an owner object that records what controls
// deliver to it, and pictures whose frames have colours of their own.

#include "tests/engine/objects/HostFixture.h"

#include "platform/WindowMessages.h"

#include <initializer_list>
#include <vector>

namespace widgetstest {

// Records every event; for EVT_SCROLL it copies the three doubles, which
// are valid during the call only.
class Recorder : public engine::EngineObject {
public:
    int OnEvent(const engine::EngineEvent& event) override
    {
        events.push_back(event);
        if (event.code == 19840362) {
            const auto* v = engine::FromWord<const double>(event.param);
            scrolls.push_back({ v[0], v[1], v[2] });
        }
        return 1;
    }
    int Count(int code) const
    {
        int n = 0;
        for (const auto& e : events)
            n += e.code == code;
        return n;
    }
    struct Scroll {
        double position;
        double visible;
        double content;
    };
    std::vector<engine::EngineEvent> events;
    std::vector<Scroll> scrolls;
};

class WidgetHost : public objectstest::HostEngine {
protected:
    void SetUp() override
    {
        HostEngine::SetUp();
        if (IsSkipped())
            return;
        owner = static_cast<Recorder*>(root->RegisterObject(std::make_unique<Recorder>()));
    }
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
    // A picture of w x h per frame, frame i filled with colours[i]
    // (0x00BBGGRR, opaque), cached under the name. The frames carry no
    // delays: they change only when a control picks one.
    engine::PictureDesc MakeFrames(const std::string& name, int w, int h, std::initializer_list<uint32_t> colours)
    {
        std::vector<uint32_t> pixels;
        for (uint32_t colour : colours)
            pixels.push_back(engine::CanvasObject::MakePixel(colour, engine::kNoColourKey));
        return host.AddPicture(name, w, h, static_cast<int>(pixels.size()), 0,
            [&pixels](int frame, int, int) { return pixels[static_cast<size_t>(frame)]; });
    }

    Recorder* owner = nullptr;
};

} // namespace widgetstest
