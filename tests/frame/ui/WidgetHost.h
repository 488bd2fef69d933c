#pragma once
// The headless host window for the frame's widgets: real mouse and key
// messages injected at the window, and an owner that records what the
// widgets deliver (copying the three doubles of EVT_SCROLL, which live
// only during the call).

#include "tests/engine/objects/HostFixture.h"

#include "engine/controls/widgets/ScrollBar.h"
#include "platform/WindowMessages.h"

#include <vector>

namespace frameuitest {

class Recorder : public engine::BoundObject {
public:
    int OnEvent(const engine::EngineEvent& event) override
    {
        events.push_back(event);
        if (event.code == engine::EVT_SCROLL) {
            const auto* v = engine::FromWord<const double>(event.param);
            scrolls.push_back({ v[0], v[1], v[2], static_cast<int>(event.data) });
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
        int data;
    };
    std::vector<engine::EngineEvent> events;
    std::vector<Scroll> scrolls;
};

class WidgetHost : public objectstest::HostEngine {
protected:
    void SetUp() override
    {
        HostEngine::SetUp();
        if (IsSkipped() || HasFatalFailure())
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

    Recorder* owner = nullptr;
};

} // namespace frameuitest
