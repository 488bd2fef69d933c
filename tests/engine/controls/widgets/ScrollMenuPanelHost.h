#pragma once
// The headless host window of the object tests, with real mouse input
// injected at the window, an owner object that records what controls
// deliver to it, and pictures whose frames have colours of their own.

#include "tests/engine/controls/widgets/OwnerHost.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace widgetstest {

using objectstest::Recorder;

class WidgetHost : public objectstest::OwnerHost {
protected:
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
};

} // namespace widgetstest
