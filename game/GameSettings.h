#pragma once
// The player's five table settings, kept in section GAMESET of the game's
// INI file (integers; a missing key reads as 0), and the small panel with
// five check boxes that changes them. The panel reaches the settings and
// their writer through GameSettingsHost (the game's application), so it
// stands without it.

#include "engine/objects/BoundObject.h"

#include <array>
#include <string>

namespace engine {
class CheckBox;
}

namespace game {

struct GameSettings {
    int soundEffect = 0;     // SoundEffect: game sounds on
    int music = 0;           // Music: background music on
    int rejectKanPaiAsk = 0; // RejectKanPaiAsk: lookers-on may not see the cards
    int rejectPassSound = 0; // RejectPassSound: no knock on a pass
    int rejectDialect = 0;   // RejectDialect: no spoken voices
    friend bool operator==(const GameSettings&, const GameSettings&) = default;
};

inline constexpr const char* kGameSetSection = "GAMESET";

GameSettings LoadGameSettings(const std::string& iniPath);
// Writes all five keys, changed or not; false when the file cannot be written.
bool SaveGameSettings(const std::string& iniPath, const GameSettings& settings);

class GameSettingsHost {
public:
    virtual ~GameSettingsHost() = default;
    virtual GameSettings& Settings() = 0;
    // Writes the settings' section now.
    virtual void SaveSettings() = 0;
};

// The panel's events.
inline constexpr int EVT_GAMESET_OK = 19840378;
inline constexpr int EVT_GAMESET_CANCEL = 19840379;
inline constexpr int EVT_GAMESET_LABEL_FIRST = 80000099; // sound effects, music, pass, view, dialect
// What OK tells the table view ("MainGame"): apply the settings.
inline constexpr int EVT_APPLY_GAME_SETTINGS = 80000079;

class GameSettingsPanel : public engine::BoundObject {
public:
    // The host is not owned and must outlive the panel (it may be null: the
    // boxes then start unchecked and OK stores nothing).
    explicit GameSettingsPanel(GameSettingsHost* host)
        : m_host(host)
    {
    }
    ~GameSettingsPanel() override = default;

    int OnCreate() override;
    int OnEvent(const engine::EngineEvent& event) override;
    // Stores the boxes into the settings, writes them and tells the table.
    virtual void Save();

    static constexpr int kRows = 5;
    // In field order: sound effects, music, pass sound, view requests, dialect.
    engine::CheckBox* GetBox(int row) const { return m_boxes[static_cast<size_t>(row)]; }
    engine::EngineObject* GetLabel(int row) const { return m_labels[static_cast<size_t>(row)]; }

private:
    int Stored(int row) const;
    void Close();
    void MakeButton(const char* picture, int code, double x, double y);

    GameSettingsHost* m_host;
    std::array<engine::CheckBox*, kRows> m_boxes {}; // not owned: the object module owns the parts
    std::array<engine::EngineObject*, kRows> m_labels {};
};

} // namespace game
