// The operate buttons and the operate bar on the headless host: which
// buttons a room gets and what they send, the screenshot's name and its
// notice (only a picture that was written is announced), the complaint
// page, and the bar's spacing.

#include "SideListFixture.h"

#include "engine/controls/widgets/ImageButton.h"
#include "frame/core/ScreenshotWriter.h"
#include "frame/ui/OperateBar.h"
#include "platform/Files.h"

#include <fstream>
#include <map>

using namespace frameuitest;
using frame::OperateBar;

namespace {

namespace fs = std::filesystem;

class OperateButtonsTest : public SideListHost {
protected:
    void SetUp() override
    {
        SideListHost::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        for (const char* name : { "btnFace", "qh清屏按钮", "qh截屏按钮", "qh投诉按钮", "qh保险箱按钮" }) {
            // Opaque: the buttons are hit only on opaque pixels.
            host.AddPicture(name, 20, 20, 4, 0, [](int, int, int) { return 0xFF3070A0u; });
        }
        app->GetHallArgs().userId = 123;
    }
    frame::OperateButtons Make()
    {
        added.clear();
        return frame::CreateOperateButtons(*owner, [this](engine::ImageButton* b) {
            added.push_back(b);
            // As the input bar places them.
            b->MoveTo(20 + 30 * static_cast<int>(added.size() - 1), 100);
            b->Invalidate();
        });
    }
    static platform::LocalTime At(int year, int month, int day, int hour, int minute, int second)
    {
        platform::LocalTime t;
        t.year = year;
        t.month = month;
        t.day = day;
        t.hour = hour;
        t.minute = minute;
        t.second = second;
        return t;
    }
    std::string TempDir() const { return app->GetExeDir() + "temp\\"; }

    std::vector<engine::ImageButton*> added;
};

TEST_F(OperateButtonsTest, ARoomWithoutTransfersGetsFourButtons)
{
    const frame::OperateButtons b = Make();
    EXPECT_EQ(added, (std::vector<engine::ImageButton*> { b.faces, b.clearChat, b.screenshot, b.complaint }));
    EXPECT_EQ(b.safeBox, nullptr);
    EXPECT_EQ(owner->FindObjectByName(frame::kFaceButtonName), b.faces);
    EXPECT_EQ(owner->FindObjectByName(frame::kSilverButtonName), nullptr);
    // Each click goes to the pane with its own code.
    Frame();
    for (int i = 0; i < 4; ++i)
        ClickAt(20 + 30 * i, 100);
    std::vector<int> codes;
    for (const auto& e : owner->events)
        codes.push_back(e.code);
    EXPECT_EQ(codes, (std::vector<int> { frame::EVT_PANE_FACES, frame::EVT_PANE_CLEAR_CHAT,
                         frame::EVT_PANE_SCREENSHOT, frame::EVT_PANE_COMPLAINT }));
}

TEST_F(OperateButtonsTest, ASilverRoomWithTransfersAddsTheSafeBox)
{
    frame::RoomInfo& room = app->GetRoomInfo();
    room.SetOptionsA(frame::RoomInfo::kOptionASilver);
    room.SetOptionsB(frame::RoomInfo::kOptionBSafeBoxTransfer);
    const frame::OperateButtons b = Make();
    ASSERT_EQ(added.size(), 5u);
    EXPECT_EQ(added.back(), b.safeBox);
    EXPECT_EQ(owner->FindObjectByName(frame::kSilverButtonName), b.safeBox);
    Frame();
    ClickAt(20 + 4 * 30, 100);
    ASSERT_EQ(owner->events.size(), 1u);
    EXPECT_EQ(owner->events[0].code, frame::EVT_PANE_SAFE_BOX);
}

TEST(ScreenshotFileName, PlainNumbersWithoutLeadingZeros)
{
    struct Case {
        platform::LocalTime when;
        const char* name;
    };
    auto at = [](int y, int mo, int d, int h, int mi, int s) {
        platform::LocalTime t;
        t.year = y, t.month = mo, t.day = d, t.hour = h, t.minute = mi, t.second = s;
        return t;
    };
    const Case cases[] = {
        { at(2026, 1, 8, 9, 30, 5), "KbZn_123_2026108_93005.jpg" },
        { at(2026, 12, 31, 23, 59, 59), "KbZn_123_20261231_235959.jpg" },
        { at(2027, 10, 1, 0, 0, 0), "KbZn_123_20271001_0.jpg" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(frame::ScreenshotFileName("KbZn", 123, c.when), c.name);
}

TEST_F(OperateButtonsTest, OnlyAWrittenScreenshotGivesItsFolder)
{
    std::vector<std::string> paths;
    const uint8_t rgb[4 * 3] = { 255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255 };
    auto write = [&](const std::string& path) {
        paths.push_back(path);
        return frame::WriteRgbJpeg(path, rgb, 2, 2, 75, [](const std::string&) { });
    };
    auto save = [&](const platform::LocalTime& when, const frame::ScreenWriter& writer) {
        return frame::SaveScreenshot(app->GetExeDir(), app->GetGameName(), app->GetUserId(), when, writer);
    };
    EXPECT_EQ(save(At(2026, 1, 8, 9, 30, 5), write), TempDir());
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(paths[0], TempDir() + "KbZn_123_2026108_93005.jpg");
    EXPECT_TRUE(fs::exists(programDir / "temp" / "KbZn_123_2026108_93005.jpg"));

    // The writer refuses (a screen of another depth, a full disk).
    EXPECT_EQ(save(At(2026, 1, 8, 9, 30, 6), [](const std::string&) { return false; }), "");

    // The folder cannot be made: a file stands in its place.
    fs::remove_all(programDir / "temp");
    std::ofstream(programDir / "temp") << "x";
    paths.clear();
    EXPECT_EQ(save(At(2026, 1, 8, 9, 30, 7), write), "");
}

TEST_F(OperateButtonsTest, TwoShotsInOneSecondShareTheName)
{
    int written = 0;
    auto write = [&](const std::string& path) {
        std::ofstream(platform::NativePath(path)) << ++written;
        return true;
    };
    const platform::LocalTime t = At(2026, 3, 4, 5, 6, 7);
    for (int shot = 0; shot < 2; ++shot)
        frame::SaveScreenshot(app->GetExeDir(), app->GetGameName(), app->GetUserId(), t, write);
    std::ifstream in(programDir / "temp" / "KbZn_123_2026304_50607.jpg");
    std::string text;
    in >> text;
    EXPECT_EQ(text, "2");
}

TEST_F(OperateButtonsTest, TheComplaintPageGoesToTheLobby)
{
    app->GetHallArgs().gameId = 42;
    frame::OpenComplaintPage(*app);
    ASSERT_EQ(app->toHall.size(), 1u);
    EXPECT_EQ(app->toHall[0], "http://service.kbzn.example/advice.aspx?gameid=42|1");
}

TEST_F(OperateButtonsTest, TheOperateBarSpreadsItsThreeButtons)
{
    host.AddPicture("SystemOperateBar", 160, 30, 1, 0, [](int, int, int) { return 0xFF204020u; });
    auto* bar = static_cast<OperateBar*>(root->RegisterObject(std::make_unique<OperateBar>()));
    ASSERT_NE(bar->GetName(), nullptr);
    EXPECT_EQ(*bar->GetName(), "OpereateBar");
    EXPECT_TRUE(bar->IsShown());
    const frame::OperateButtons b = Make();
    bar->SetButton(0, b.faces);
    bar->SetButton(1, b.clearChat);
    bar->SetButton(2, b.screenshot);
    bar->MoveTo(100, 50);
    bar->Layout();
    // (160 - 3 * 20) / 4 = 25 pixels between the buttons and the ends.
    EXPECT_DOUBLE_EQ(b.faces->GetX(), 20 + 25 + 10);
    EXPECT_DOUBLE_EQ(b.clearChat->GetX(), 20 + 50 + 30);
    EXPECT_DOUBLE_EQ(b.screenshot->GetX(), 20 + 75 + 50);
    EXPECT_DOUBLE_EQ(b.screenshot->GetY(), 48);
    // The strip is drawn where it was moved, left of the first button.
    Frame();
    EXPECT_EQ(Pixel(25, 40), 0x204020u);
}

TEST_F(OperateButtonsTest, WithoutItsPictureTheOperateBarStaysHidden)
{
    auto* bar = static_cast<OperateBar*>(root->RegisterObject(std::make_unique<OperateBar>()));
    EXPECT_FALSE(bar->IsShown());
    bar->Layout(); // no buttons: nothing to place
}

} // namespace
