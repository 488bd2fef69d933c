#pragma once
// The headless host window of the object tests, plus what the control
// tests need: pictures written to a pack with the pack writer and loaded
// through the resource module, mouse and key messages injected at the
// window, a recording sound table and an owner that keeps the events it
// receives with the frame they arrived on.

#include "tests/engine/objects/HostFixture.h"

#include "engine/objects/SoundCalls.h"
#include "platform/WindowMessages.h"
#include "tools/pack/PackWriter.h"

#include <string>
#include <vector>

namespace buttonstest {

// Receives the controls' events.
class Owner : public engine::BoundObject {
public:
    int OnEvent(const engine::EngineEvent& event) override
    {
        events.push_back(event);
        return 1;
    }
    int Count(int code) const
    {
        int n = 0;
        for (const engine::EngineEvent& e : events)
            n += e.code == code;
        return n;
    }
    std::vector<engine::EngineEvent> events;
};

// What the sound services were asked to play.
inline std::vector<std::string>& PlayedSounds()
{
    static std::vector<std::string> played;
    return played;
}

class ButtonHost : public objectstest::HostEngine {
protected:
    void SetUp() override
    {
        HostEngine::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        PlayedSounds().clear();
        engine::SoundCalls calls = objects->GetSoundCalls();
        calls.playSound = [](engine::ModuleBase&, std::string_view name, int, const engine::EngineEvent*) {
            PlayedSounds().emplace_back(name);
            return 1;
        };
        objects->SetSoundCalls(calls);
        owner = static_cast<Owner*>(root->RegisterObject(std::make_unique<Owner>()));
        // The test pictures: a 4-frame button, a 2-frame check box, a strip
        // of ten digits and three 16 x 16 word glyphs. Every frame is one
        // colour, so a pixel tells which frame or glyph is shown.
        tools::PackWriter writer;
        auto add = [&](const char* name, int w, int h, int frames) {
            ASSERT_TRUE(writer.AddPicture(name, tools::DrawPicture(w, h, frames, [](int f, int, int) {
                return FrameColour(f);
            })));
        };
        add("btn", kButtonWidth, kButtonHeight, 4);
        add("chk", 16, 16, 2);
        add("digits", kDigitWidth, kDigitHeight, 10);
        add("word", 16, 16, 3);
        const std::vector<uint8_t> pack = writer.Build();
        ASSERT_TRUE(root->LoadResourcePackFromMemory(pack.data(), pack.size()));
        ASSERT_NE(Picture("btn").record, nullptr);
    }

    static constexpr int kButtonWidth = 40;
    static constexpr int kButtonHeight = 20;
    static constexpr int kDigitWidth = 16;
    static constexpr int kDigitHeight = 12;
    // 0xAARRGGBB of frame f: opaque, red 10 x (f + 1), green 200, blue 50.
    static uint32_t FrameColour(int f) { return 0xFF00C832u | uint32_t(10 * (f + 1)) << 16; }
    // The frame whose colour a back-buffer pixel (0x00RRGGBB) shows; -1 for
    // any other colour.
    static int FrameOfRgb(uint32_t rgb)
    {
        for (int f = 0; f < 10; ++f)
            if ((FrameColour(f) & 0xffffff) == rgb)
                return f;
        return -1;
    }
    // The same for a canvas pixel (0x00BBGGRR).
    static int FrameOfColour(uint32_t colour)
    {
        return FrameOfRgb((colour & 0xff) << 16 | (colour & 0xff00) | (colour >> 16 & 0xff));
    }

    engine::PictureDesc Picture(const std::string& name, int frame = 0)
    {
        engine::PictureDesc desc;
        root->LookupPicture(&desc, name, frame);
        return desc;
    }

    // Window input, then two frames so that the events are delivered.
    void Send(uint32_t message, int x, int y, uint32_t key = 0)
    {
        WindowInput(message, x, y, key);
        Frames(2);
    }
    void MoveMouse(int x, int y) { Send(platform::kWmMouseMove, x, y); }
    void Press(int x, int y) { Send(platform::kWmLButtonDown, x, y); }
    void Release(int x, int y) { Send(platform::kWmLButtonUp, x, y); }
    void ClickAt(int x, int y)
    {
        MoveMouse(x, y);
        Press(x, y);
        Release(x, y);
    }
    void KeyDown(uint32_t key) { Send(platform::kWmKeyDown, 0, 0, key); }

    Owner* owner = nullptr;
};

} // namespace buttonstest
