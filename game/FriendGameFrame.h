#pragma once
// This game's main view: the frame's main view (GameFrame) with the game's
// resource packs, loaded in a fixed order because the first pack to name a
// picture keeps it; the game's logo in the middle of the table; the side
// pane kept at its computed width on every resize; the game's children;
// and the match round caption.
//
// User-interface thread only.

#include "frame/ui/GameFrame.h"

#include <memory>
#include <string>
#include <vector>

namespace engine {
class ImageFont;
}

namespace game {

// The round caption's glyphs and the picture that holds them.
inline constexpr const char* kRoundCaptionGlyphs = "定局淘汰第轮";
inline constexpr const char* kRoundCaptionPicture = "word_washturn";
inline constexpr const char* kRoundCaptionDigits = "digit_waitmatchstart";
inline constexpr const char* kTableLogoPicture = "logo";

class FriendGameFrame : public frame::GameFrame {
public:
    // workAreaWidth < 0 asks the desktop for its work area.
    explicit FriendGameFrame(int workAreaWidth = -1);
    ~FriendGameFrame() override;

    // The packs under the program's directory, in loading order; the replay
    // panel's pack comes last, and only in replay mode.
    static std::vector<std::string> SkinPacks(bool replayMode);

    int OnCreate() override;
    void OnRectChanged() override;

    // Shows "定局淘汰第1轮" over the table until something hides it.
    virtual void ShowMatchRoundTitle();
    engine::ImageFont* GetRoundCaption() const { return m_roundCaption; }
    // The caption's text as last shown; empty before.
    const std::string& GetRoundCaptionText() const { return m_roundCaptionText; }

protected:
    void LoadSkinPacks() override;
    void DrawTableBackground(int width, int height) override;
    void CreateChildren() override;
    // The table view "MainGame", the game's own.
    virtual std::unique_ptr<engine::RectObject> CreateTableView();
    // Replay mode of the running application (false without one).
    virtual bool IsReplayMode() const;

private:
    void MakeRoundCaption();
    void PlaceRoundCaption();

    engine::ImageFont* m_roundCaption = nullptr; // not owned: the object module owns it
    std::string m_roundCaptionText;
};

} // namespace game
