// The GAMESET section read and written, and the settings panel in the
// headless host window: labels toggle their boxes, cancel restores the
// stored states, OK writes all five keys (changed or not) and tells the
// table view. The window is small, so the panel is moved to bring each
// part under the cursor, as a player drags it.

#include "game/GameSettings.h"

#include "engine/controls/widgets/CheckBox.h"
#include "platform/IniFile.h"
#include "tests/frame/ui/WidgetHost.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

using game::GameSettings;
using game::GameSettingsPanel;

namespace {

namespace fs = std::filesystem;

class IniPath : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("kbzn_gameset_" + std::to_string(getpid()) + "_"
                  + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        path = (dir / "KbZn.ini").string();
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Contents() const
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    fs::path dir;
    std::string path;
};

TEST_F(IniPath, SettingsRoundTripThroughTheGameSetSection)
{
    EXPECT_EQ(game::LoadGameSettings(path), GameSettings {}); // no file: all 0
    const GameSettings written { 1, 0, 1, 1, 0 };
    ASSERT_TRUE(game::SaveGameSettings(path, written));
    EXPECT_EQ(game::LoadGameSettings(path), written);
    const platform::IniFile ini(path);
    EXPECT_EQ(ini.GetString("GAMESET", "SoundEffect", "?"), "1");
    EXPECT_EQ(ini.GetString("GAMESET", "Music", "?"), "0");
    EXPECT_EQ(ini.GetString("GAMESET", "RejectKanPaiAsk", "?"), "1");
    EXPECT_EQ(ini.GetString("GAMESET", "RejectPassSound", "?"), "1");
    EXPECT_EQ(ini.GetString("GAMESET", "RejectDialect", "?"), "0");
}

// The application as the panel reaches it: its settings and their writer.
class App : public game::GameSettingsHost {
public:
    GameSettings& Settings() override { return settings; }
    void SaveSettings() override
    {
        ++saves;
        game::SaveGameSettings(path, settings);
    }
    GameSettings settings;
    std::string path;
    int saves = 0;
};

class TableView : public engine::BoundObject {
public:
    int OnEvent(const engine::EngineEvent& event) override
    {
        codes.push_back(event.code);
        return 1;
    }
    std::vector<int> codes;
};

constexpr int kBoardW = 260;
constexpr int kBoardH = 215;
constexpr int kX = 100; // where the part to click is brought
constexpr int kY = 75;

class Panel : public frameuitest::WidgetHost {
protected:
    void SetUp() override
    {
        WidgetHost::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        MakePicture("bit_gamesetboard", kBoardW, kBoardH, 0xd0e0f0);
        MakePicture("复选框", 18, 18, 0x404040, 2, 0);
        MakePicture("btn_gameset_ok", 50, 24, 0x00a000, 4, 0);
        MakePicture("btn_gameset_cancel", 50, 24, 0x0000a0, 4, 0);
        dir = fs::temp_directory_path() / ("kbzn_gamesetpanel_" + std::to_string(getpid()));
        fs::create_directories(dir);
        app.path = (dir / "KbZn.ini").string();
        fs::remove(app.path);
    }
    void TearDown() override
    {
        fs::remove_all(dir);
        WidgetHost::TearDown();
    }
    GameSettingsPanel* Make()
    {
        auto* panel = static_cast<GameSettingsPanel*>(root->RegisterObject(std::make_unique<GameSettingsPanel>(&app)));
        panel->Show();
        panel->Invalidate();
        Frame();
        return panel;
    }
    // Moves the panel so that the point (dx, dy) from its top-left lies
    // under (kX, kY), then clicks there.
    void ClickOnBoard(GameSettingsPanel* panel, double dx, double dy)
    {
        panel->MoveTo(kX - dx + kBoardW / 2.0, kY - dy + kBoardH / 2.0);
        panel->Invalidate();
        Frame();
        ClickAt(kX, kY);
    }
    void ClickLabel(GameSettingsPanel* panel, int row) // on the text, right of the box
    {
        ClickOnBoard(panel, panel->GetLabel(row)->GetX() - panel->GetLeft(), panel->GetLabel(row)->GetY() - panel->GetTop());
    }
    void ClickOk(GameSettingsPanel* panel) { ClickOnBoard(panel, 84, 185); }
    void ClickCancel(GameSettingsPanel* panel) { ClickOnBoard(panel, 176, 185); }
    std::vector<int> States(GameSettingsPanel* panel) const
    {
        std::vector<int> states;
        for (int row = 0; row < GameSettingsPanel::kRows; ++row)
            states.push_back(panel->GetBox(row)->IsChecked());
        return states;
    }

    App app;
    fs::path dir;
};

TEST_F(Panel, BoxesStartFromTheStoredSettingsInTheirRows)
{
    app.settings = { 1, 0, 1, 0, 1 };
    GameSettingsPanel* panel = Make();
    // Field order: effects, music, pass, view requests, dialect.
    EXPECT_EQ(States(panel), (std::vector<int> { 1, 0, 0, 1, 1 }));
    // On screen: music, effects, pass, dialect, view requests, 25 apart.
    const int order[] = { 1, 0, 2, 4, 3 };
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(panel->GetBox(order[i])->GetY(), panel->GetTop() + 55 + 25 * i);
        EXPECT_EQ(panel->GetBox(order[i])->GetX(), panel->GetLeft() + 40);
        EXPECT_EQ(panel->GetLabel(order[i])->GetY(), panel->GetBox(order[i])->GetY());
    }
}

TEST_F(Panel, LabelsToggleTheirBoxesAndCancelRestoresTheStoredStates)
{
    app.settings = { 0, 1, 0, 0, 0 };
    GameSettingsPanel* panel = Make();
    ClickLabel(panel, 0);
    ClickLabel(panel, 1);
    ClickLabel(panel, 4);
    EXPECT_EQ(States(panel), (std::vector<int> { 1, 0, 0, 0, 1 }));
    ClickLabel(panel, 4);
    EXPECT_EQ(States(panel), (std::vector<int> { 1, 0, 0, 0, 0 }));

    ClickCancel(panel);
    EXPECT_FALSE(panel->IsShown());
    EXPECT_EQ(States(panel), (std::vector<int> { 0, 1, 0, 0, 0 }));
    EXPECT_EQ(app.settings, (GameSettings { 0, 1, 0, 0, 0 }));
    EXPECT_EQ(app.saves, 0);
    EXPECT_FALSE(fs::exists(app.path));
}

TEST_F(Panel, OkStoresWritesAndTellsTheTableEvenWhenNothingChanged)
{
    auto* view = static_cast<TableView*>(root->RegisterObject(std::make_unique<TableView>()));
    view->SetName("MainGame");
    GameSettingsPanel* panel = Make();
    ClickOk(panel);
    EXPECT_FALSE(panel->IsShown());
    EXPECT_EQ(app.saves, 1);
    EXPECT_EQ(view->codes, (std::vector<int> { game::EVT_APPLY_GAME_SETTINGS }));
    const platform::IniFile ini(app.path);
    for (const char* key : { "SoundEffect", "Music", "RejectKanPaiAsk", "RejectPassSound", "RejectDialect" })
        EXPECT_EQ(ini.GetString("GAMESET", key, "missing"), "0") << key;

    // The closed panel takes no clicks where its button was.
    ClickAt(kX, kY);
    EXPECT_EQ(app.saves, 1);

    panel->Show();
    ClickLabel(panel, 2);
    ClickLabel(panel, 3);
    ClickOk(panel);
    EXPECT_EQ(app.settings, (GameSettings { 0, 0, 1, 1, 0 }));
    EXPECT_EQ(game::LoadGameSettings(app.path), app.settings);
    EXPECT_EQ(view->codes.size(), 2u);
}

TEST_F(Panel, OkWithoutATableViewStillWrites)
{
    app.settings.music = 1;
    GameSettingsPanel* panel = Make();
    ClickOk(panel);
    EXPECT_EQ(app.saves, 1);
    EXPECT_EQ(game::LoadGameSettings(app.path).music, 1);
}

} // namespace
