#pragma once
// The headless host window of the control tests with an owner object that
// records what the controls deliver to it.

#include "tests/engine/objects/HostFixture.h"

#include "engine/controls/widgets/ScrollBar.h"

#include <memory>
#include <vector>

namespace objectstest {

// Records every event; for EVT_SCROLL it copies the three doubles, which
// are valid during the call only, and the event's data.
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

// The host with a registered Recorder as the controls' owner.
class OwnerHost : public HostEngine {
protected:
    void SetUp() override
    {
        HostEngine::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        owner = static_cast<Recorder*>(root->RegisterObject(std::make_unique<Recorder>()));
    }

    Recorder* owner = nullptr;
};

} // namespace objectstest
