#include "platform/WindowAttention.h"

#include "platform/MessageLoop.h"
#include "platform/Window.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

namespace {

using namespace platform;

// Headless: the offscreen driver has windows but no caption to flash.
class WindowAttentionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { setenv("SDL_VIDEODRIVER", "offscreen", 0); }
    void TearDown() override { SetMainWindow(nullptr); }
};

TEST_F(WindowAttentionTest, OnlyTheNamedLivingWindowCountsAndFlashes)
{
    // No main window: nothing is in the foreground and nothing flashes.
    EXPECT_EQ(MainWindowHandle(), 0u);
    EXPECT_FALSE(MainWindowIsForeground());
    EXPECT_FALSE(FlashMainWindowCaption());

    Window main;
    Window dialog;
    ASSERT_TRUE(main.Create("main", 320, 240));
    ASSERT_TRUE(dialog.Create("dialog", 100, 80));
    main.Show(ShowCommand::kShow);
    dialog.Show(ShowCommand::kShow);
    for (int i = 0; i < 5; ++i)
        MessageLoop::PumpOnce(0);

    // A window not yet named is not the main window.
    EXPECT_FALSE(FlashMainWindowCaption());
    SetMainWindow(&main);
    EXPECT_EQ(MainWindowHandle(), main.Handle());
    EXPECT_EQ(MainWindowIsForeground(), main.HasFocus());
    EXPECT_TRUE(FlashMainWindowCaption());

    // Other threads never reach the window system.
    bool otherForeground = true;
    bool otherFlashed = true;
    std::thread other([&] {
        otherForeground = MainWindowIsForeground();
        otherFlashed = FlashMainWindowCaption();
    });
    other.join();
    EXPECT_FALSE(otherForeground);
    EXPECT_FALSE(otherFlashed);

    // A destroyed main window is gone, not dangling.
    main.Destroy();
    EXPECT_EQ(MainWindowHandle(), 0u);
    EXPECT_FALSE(MainWindowIsForeground());
    EXPECT_FALSE(FlashMainWindowCaption());
}

} // namespace
