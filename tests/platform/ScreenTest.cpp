#include "platform/Screen.h"
#include "platform/SdlVideo.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* driver = std::getenv("SDL_VIDEODRIVER");
        m_saved = driver ? std::optional<std::string>(driver) : std::nullopt;
    }
    void TearDown() override
    {
        if (m_saved)
            setenv("SDL_VIDEODRIVER", m_saved->c_str(), 1);
        else
            unsetenv("SDL_VIDEODRIVER");
    }

    std::optional<std::string> m_saved;
};

TEST_F(ScreenTest, TheVideoSubsystemIsLeftAsItWasFound)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    ASSERT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
    platform::ScreenSize size = platform::PrimaryScreenSize();
    EXPECT_GT(size.width, 0);
    EXPECT_GT(size.height, 0);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u) << "stopped again";

    // While a window holds video, the question leaves it running.
    ASSERT_TRUE(platform::SdlVideo::Acquire());
    platform::ScreenSize again = platform::PrimaryScreenSize();
    EXPECT_EQ(again.width, size.width);
    EXPECT_EQ(again.height, size.height);
    EXPECT_NE(SDL_WasInit(SDL_INIT_VIDEO), 0u);
    platform::SdlVideo::Release();
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
}

TEST_F(ScreenTest, WithoutADisplayTheFallbackSizeIsUsed)
{
    setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    platform::ScreenSize size = platform::PrimaryScreenSize();
    EXPECT_EQ(size.width, platform::kFallbackScreenSize.width);
    EXPECT_EQ(size.height, platform::kFallbackScreenSize.height);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
}

} // namespace
