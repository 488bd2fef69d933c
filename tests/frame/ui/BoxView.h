#pragma once
// A main view that records the message boxes the frame asks it to show.

#include "engine/objects/RectObject.h"
#include "frame/core/GameFrameCalls.h"

#include <cstdint>
#include <string>
#include <vector>

namespace frameuitest {

struct Box {
    std::string text;
    frame::BoxEvent ok;
    bool hasOk = false;
    uint32_t flags = 0;
};

class BoxView : public engine::RectObject, public frame::GameFrameCalls {
public:
    void ShowMessageBox(const std::string& text, const frame::BoxEvent* ok, const frame::BoxEvent*, int,
        uint32_t flags, const std::string&) override
    {
        boxes.push_back({ text, ok ? *ok : frame::BoxEvent {}, ok != nullptr, flags });
    }
    std::vector<Box> boxes;
};

} // namespace frameuitest
