#include "game/GameSettings.h"

#include "engine/controls/widgets/CheckBox.h"
#include "engine/controls/widgets/ImageButton.h"
#include "engine/objects/CanvasObject.h"
#include "engine/objects/SpriteObject.h"
#include "platform/IniFile.h"

namespace game {

namespace {

constexpr uint32_t kKey = 0xff00ff;
constexpr const char* kBoardPicture = "bit_gamesetboard";
constexpr const char* kBoxPicture = "复选框";
constexpr int kLabelWidth = 170;
constexpr double kBoxAbove = 0.01;
constexpr double kLabelAbove = 0.005;
constexpr double kButtonAbove = 0.1;

struct Row {
    int GameSettings::*setting;
    const char* label;
    int top; // the row's centre below the board's top
};

// Field order; on screen the rows run by their top.
constexpr Row kRowTable[GameSettingsPanel::kRows] = {
    { &GameSettings::soundEffect, "打开游戏音效", 80 },
    { &GameSettings::music, "打开背景音乐", 55 },
    { &GameSettings::rejectPassSound, "屏蔽放弃敲桌声", 105 },
    { &GameSettings::rejectKanPaiAsk, "不接受看牌请求", 155 },
    { &GameSettings::rejectDialect, "屏蔽方言", 130 },
};

// The keys in the order they are read and written.
constexpr std::pair<const char*, int GameSettings::*> kKeys[] = {
    { "SoundEffect", &GameSettings::soundEffect },
    { "Music", &GameSettings::music },
    { "RejectKanPaiAsk", &GameSettings::rejectKanPaiAsk },
    { "RejectPassSound", &GameSettings::rejectPassSound },
    { "RejectDialect", &GameSettings::rejectDialect },
};

} // namespace

GameSettings LoadGameSettings(const std::string& iniPath)
{
    const platform::IniFile ini(iniPath);
    GameSettings settings;
    for (const auto& [key, member] : kKeys)
        settings.*member = ini.GetInt(kGameSetSection, key, 0);
    return settings;
}

bool SaveGameSettings(const std::string& iniPath, const GameSettings& settings)
{
    const platform::IniFile ini(iniPath);
    bool ok = true;
    for (const auto& [key, member] : kKeys)
        ok = ini.WriteInt(kGameSetSection, key, settings.*member) && ok;
    return ok;
}

int GameSettingsPanel::Stored(int row) const
{
    return m_host ? m_host->Settings().*kRowTable[row].setting : 0;
}

int GameSettingsPanel::OnCreate()
{
    engine::PictureDesc desc;
    LookupPicture(&desc, kBoardPicture, 0);
    engine::SpriteObject* board = CreateSprite(desc);
    if (!board)
        return 0;
    Bind(board, engine::LINK_STANDARD);
    board->Show();
    SetDraggable(true);

    engine::PictureDesc boxPicture;
    LookupPicture(&boxPicture, kBoxPicture, 0);
    const int labelHeight = boxPicture.record ? boxPicture.height : 18;
    const double left = GetLeft();
    const double top = GetTop();
    for (int row = 0; row < kRows; ++row) {
        const double y = top + kRowTable[row].top;
        auto* box = static_cast<engine::CheckBox*>(RegisterObject(std::make_unique<engine::CheckBox>()));
        if (box) {
            box->Create(boxPicture, Stored(row));
            box->MoveTo(left + 40, y);
            box->SetZ(GetZ() + kBoxAbove);
            AddChild(box, engine::LINK_STANDARD);
            box->Show();
        }
        m_boxes[static_cast<size_t>(row)] = box;

        engine::CanvasObject* label = CreateCanvas(kLabelWidth, labelHeight, kKey);
        if (label) {
            label->Clear();
            label->SetPen(0, 1.0);
            label->SetFont(12, 400, "宋体");
            label->DrawText(15, 4, kRowTable[row].label);
            label->MoveTo(GetX(), y);
            label->SetZ(GetZ() + kLabelAbove);
            label->SubscribeEvent(engine::EVT_LBUTTON_DOWN, GetId(), EVT_GAMESET_LABEL_FIRST + row, 0, 0);
            AddChild(label, engine::LINK_STANDARD);
            label->Show();
            label->Invalidate();
        }
        m_labels[static_cast<size_t>(row)] = label;
    }
    MakeButton("btn_gameset_ok", EVT_GAMESET_OK, left + 84, top + 185);
    MakeButton("btn_gameset_cancel", EVT_GAMESET_CANCEL, left + 176, top + 185);
    // The board and every part on it in the topmost layer.
    SetTopmost();
    return 0;
}

void GameSettingsPanel::MakeButton(const char* picture, int code, double x, double y)
{
    auto* button = static_cast<engine::ImageButton*>(RegisterObject(std::make_unique<engine::ImageButton>()));
    if (!button)
        return;
    engine::PictureDesc desc;
    LookupPicture(&desc, picture, 0);
    const engine::EngineEvent click(GetId(), code);
    button->Create(desc, &click, 0, 0);
    button->SetSound(1, "SndTouchButton");
    button->SetSound(2, "SndHitButton");
    button->MoveTo(x, y);
    button->SetZ(GetZ() + kButtonAbove);
    AddChild(button, engine::LINK_STANDARD);
    button->Show();
}

void GameSettingsPanel::Save()
{
    if (m_host) {
        GameSettings& settings = m_host->Settings();
        for (int row = 0; row < kRows; ++row)
            if (m_boxes[static_cast<size_t>(row)])
                settings.*kRowTable[row].setting = m_boxes[static_cast<size_t>(row)]->IsChecked();
        m_host->SaveSettings();
    }
    if (EngineObject* view = FindObjectByName("MainGame"))
        view->OnEvent(engine::EngineEvent(0, EVT_APPLY_GAME_SETTINGS));
}

void GameSettingsPanel::Close()
{
    // Redrawn at once: the hidden board leaves the screen and the list of
    // what the mouse can hit.
    Hide();
    Invalidate();
}

int GameSettingsPanel::OnEvent(const engine::EngineEvent& event)
{
    if (event.code == EVT_GAMESET_OK) {
        Save();
        Close();
        return 1;
    }
    if (event.code == EVT_GAMESET_CANCEL) {
        for (int row = 0; row < kRows; ++row)
            if (m_boxes[static_cast<size_t>(row)])
                m_boxes[static_cast<size_t>(row)]->SetChecked(Stored(row));
        Close();
        return 1;
    }
    const int row = event.code - EVT_GAMESET_LABEL_FIRST;
    if (row >= 0 && row < kRows) {
        if (engine::CheckBox* box = m_boxes[static_cast<size_t>(row)])
            box->SetChecked(!box->IsChecked());
        return 1;
    }
    return BoundObject::OnEvent(event);
}

} // namespace game
