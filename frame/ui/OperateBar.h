#pragma once
// The operate buttons: the row of small picture buttons at the left of the
// input bar (emoticons, clear chat, screenshot, complaint and, where the
// room allows transfers, the safe box). The side pane creates them with
// CreateOperateButtons, the input bar places them, and their clicks come
// back to the pane as the events below; the pane carries out the actions,
// the screenshot and the complaint page with the functions here.
//
// OperateBar ("OpereateBar", the name other parts look for) is a strip for
// three buttons above the advertisement bar that a pane may create; this
// program's pane does not.
//
// User-interface thread only.

#include "engine/objects/BoundObject.h"
#include "frame/ui/PaneBarCalls.h"
#include "platform/Clock.h"

#include <array>
#include <functional>
#include <string>

class CGameFrameApp;

namespace engine {
class ImageButton;
}

namespace frame {

// The buttons' clicks go to the pane (EVT_PANE_*), and the face and
// silver buttons are found by their names (PaneBarCalls.h).

struct OperateButtons {
    engine::ImageButton* faces = nullptr; // not owned: the object module owns them
    engine::ImageButton* clearChat = nullptr;
    engine::ImageButton* screenshot = nullptr;
    engine::ImageButton* complaint = nullptr;
    engine::ImageButton* safeBox = nullptr; // null where the room allows no transfers
};

// Creates the buttons as children of the pane, each with its sounds and
// tooltip, and hands each to addButton in order (the input bar's AddButton).
OperateButtons CreateOperateButtons(engine::GameObject& pane,
    const std::function<void(engine::ImageButton*)>& addButton);

// Writes a whole screen to path; true when the file was written.
using ScreenWriter = std::function<bool(const std::string& path)>;

// The screenshot's name: game, user id, year, month * 100 + day and
// hour * 10000 + minute * 100 + second, plain decimals joined as
// "%s_%d_%d%d_%d", then ".jpg".
std::string ScreenshotFileName(const std::string& gameName, int userId, const platform::LocalTime& when);

// Saves the screen as "temp\<name>" under programDir (the folder made
// when missing) through write. The folder when the file was written, else
// empty: only a picture that is there may be announced as saved.
std::string SaveScreenshot(const std::string& programDir, const std::string& gameName, int userId,
    const platform::LocalTime& when, const ScreenWriter& write);

// The complaint page of the service site for the game.
std::string ComplaintPageUrl(int gameId);
// Hands the complaint page to the lobby, which opens it.
void OpenComplaintPage(CGameFrameApp& app);

class OperateBar : public engine::BoundObject, public PaneBarCalls {
public:
    static constexpr int kButtons = 3;

    OperateBar() = default;
    ~OperateBar() override = default;

    int OnCreate() override;
    // Spreads the buttons evenly over the bar, a little above its middle.
    void Layout() override;

    // Places the bar (left, top, right, bottom) without laying it out.
    void SetRect(int left, int top, int right, int bottom) override;
    // Not owned; null leaves the place empty.
    void SetButton(int index, engine::ImageButton* button);
    engine::ImageButton* GetButton(int index) const;

private:
    std::array<engine::ImageButton*, kButtons> m_buttons {};
};

} // namespace frame
