#pragma once
// The game's table view tests on the headless host: the host started with
// the settable clock, pictures of one colour made by name (the card faces
// and backs at every size class in one go), and the engine run frame by
// frame with the clock moved on first.

#include "engine/objects/RectObject.h"
#include "game/CardSprite.h"
#include "platform/Clock.h"
#include "tools/TestHost.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

namespace friendtest {

class ViewHostTest : public ::testing::Test {
protected:
    // False when there is no video driver (the test skips then).
    bool StartHost(const char* name, int width = 1280, int height = 860)
    {
        tools::TestHost::PreferHeadlessDrivers();
        platform::SetFixedTick(m_tick);
        if (!host.Create(name, width, height))
            return false;
        return host.Init(std::make_unique<engine::RectObject>());
    }
    void TearDown() override { platform::SetFixedTick(std::nullopt); }

    void Picture(const std::string& name, int w, int h, int frames = 1, uint32_t delayMs = 0)
    {
        host.AddPicture(name, w, h, frames, delayMs, [](int, int, int) { return 0xff336699u; });
    }
    // Faces (54 frames) and backs of the cards at the four size classes,
    // all of one size.
    void CardPictures(int w = 71, int h = 96)
    {
        for (const char* part : { "_50_68", "_71_96", "_82_110", "_98_132" }) {
            Picture(game::CardPictureName(false, part), w, h);
            Picture(game::CardPictureName(true, part), w, h, 54);
        }
    }
    void Frame(uint32_t ms)
    {
        m_tick += ms;
        platform::SetFixedTick(m_tick);
        host.RunFrame();
    }
    // Frames of 30 ms for a span of engine time.
    void Run(uint32_t ms)
    {
        for (uint32_t t = 0; t < ms; t += 30)
            Frame(30);
    }
    uint32_t Tick() const { return m_tick; }

    tools::TestHost host;

private:
    uint32_t m_tick = 100000;
};

} // namespace friendtest
