#include "frame/ui/OperateBar.h"

#include "engine/controls/widgets/ImageButton.h"
#include "engine/controls/widgets/ToolTip.h"
#include "engine/core/EngineFiles.h"
#include "engine/core/EngineEvent.h"
#include "engine/core/GameCore.h"
#include "engine/objects/SpriteObject.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/core/ScreenshotWriter.h"
#include "frame/core/FormatLine.h"
#include "frame/ui/PanelParts.h"

#include <cstdio>

namespace frame {

namespace {

constexpr int kToolTipWidth = 120;
// The engine's notice of a missing resource.
constexpr int kMissingResourceTarget = 1010;
constexpr int kMissingResourceMessage = 1002;
constexpr const char* kComplaintHost = "http://service.kbzn.example/";

struct ButtonSpec {
    const char* picture;
    const char* name; // null: none
    int code;
    const char* tip;
};

constexpr ButtonSpec kButtons[] = {
    { "btnFace", kFaceButtonName, EVT_PANE_FACES, " 表情 " },
    { "qh清屏按钮", nullptr, EVT_PANE_CLEAR_CHAT, "清除聊天" },
    { "qh截屏按钮", nullptr, EVT_PANE_SCREENSHOT, " 截图 " },
    { "qh投诉按钮", nullptr, EVT_PANE_COMPLAINT, " 投诉 " },
    { "qh保险箱按钮", kSilverButtonName, EVT_PANE_SAFE_BOX, " 保险箱 " },
};

engine::ImageButton* MakeButton(engine::GameObject& pane, const ButtonSpec& spec)
{
    auto* button = static_cast<engine::ImageButton*>(pane.RegisterObject(std::make_unique<engine::ImageButton>()));
    if (!button)
        return nullptr;
    engine::PictureDesc picture;
    pane.LookupPicture(&picture, spec.picture, 0);
    const engine::EngineEvent click(pane.GetId(), spec.code, 0, 0);
    button->Create(picture, &click, 0, engine::ObjectFlags::kPixelHitTest);
    button->SetSound(1, "SndTouchButton");
    button->SetSound(2, "SndHitButton");
    button->Show();
    button->SetEnabled(true);
    if (spec.name)
        button->SetName(spec.name);
    if (auto* tip = static_cast<engine::ToolTip*>(pane.RegisterObject(std::make_unique<engine::ToolTip>())))
        tip->Attach(button, spec.tip, kToolTipWidth);
    return button;
}

} // namespace

OperateButtons CreateOperateButtons(engine::GameObject& pane,
    const std::function<void(engine::ImageButton*)>& addButton)
{
    OperateButtons made;
    const CGameFrameApp* app = CGameFrameApp::Current();
    engine::ImageButton** slots[] = { &made.faces, &made.clearChat, &made.screenshot, &made.complaint,
        &made.safeBox };
    for (size_t i = 0; i < std::size(kButtons); ++i) {
        if (kButtons[i].code == EVT_PANE_SAFE_BOX && !(app && app->IsSafeBoxTransferAllowed()))
            continue;
        *slots[i] = MakeButton(pane, kButtons[i]);
        if (*slots[i] && addButton)
            addButton(*slots[i]);
    }
    return made;
}

std::string ScreenshotFileName(const std::string& gameName, int userId, const platform::LocalTime& when)
{
    return FormatLine("%s_%d_%d%d_%d.jpg", gameName.c_str(), userId, when.year, when.month * 100 + when.day,
        when.hour * 10000 + when.minute * 100 + when.second);
}

std::string SaveScreenshot(const std::string& programDir, const std::string& gameName, int userId,
    const platform::LocalTime& when, const ScreenWriter& write)
{
    const std::string directory = programDir + "temp\\";
    const bool made = engine::MakeDirectoryChain(directory, true);
    const std::string path = directory + ScreenshotFileName(gameName, userId, when);
    return made && write && write(path) ? directory : std::string();
}

std::string ComplaintPageUrl(int gameId)
{
    return std::string(kComplaintHost) + "advice.aspx?gameid=" + std::to_string(gameId);
}

void OpenComplaintPage(CGameFrameApp& app)
{
    app.SendTextToHall(ComplaintPageUrl(app.GetGameId()), 1);
}

// ---- OperateBar ---------------------------------------------------------------

int OperateBar::OnCreate()
{
    SetName("OpereateBar");
    engine::PictureDesc picture;
    LookupPicture(&picture, "SystemOperateBar", 0);
    if (!picture.record) {
        if (engine::GameCore* core = GetCore())
            core->SendModuleMessage(kMissingResourceTarget, kMissingResourceMessage, 0, 0);
        return 0;
    }
    if (engine::SpriteObject* sprite = CreateSprite(picture))
        Bind(sprite, engine::LINK_STANDARD);
    Show();
    Layout();
    return 0;
}

void OperateBar::SetRect(int left, int top, int right, int bottom)
{
    PlaceInRect(*this, left, top, right, bottom);
}

void OperateBar::SetButton(int index, engine::ImageButton* button)
{
    if (index >= 0 && index < kButtons)
        m_buttons[static_cast<size_t>(index)] = button;
}

engine::ImageButton* OperateBar::GetButton(int index) const
{
    return index >= 0 && index < kButtons ? m_buttons[static_cast<size_t>(index)] : nullptr;
}

void OperateBar::Layout()
{
    // The strip is drawn again where the pane moved it.
    Invalidate();
    if (!m_buttons[0])
        return;
    const double w = m_buttons[0]->GetWidth();
    const int gap = static_cast<int>((GetWidth() - kButtons * w) / (kButtons + 1));
    for (int i = 0; i < kButtons; ++i) {
        engine::ImageButton* button = m_buttons[static_cast<size_t>(i)];
        if (!button)
            continue;
        button->MoveTo(GetLeft() + (i + 1) * gap + (i + 0.5) * w, GetY() - 2);
        button->Invalidate();
    }
}

} // namespace frame
