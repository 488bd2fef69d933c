#include "game/CMainFrame.h"

namespace game {

namespace {

// The template's font at the screen's 96 dots an inch: "宋体" at 10 points
// is 14 pixels high and 7 wide on average.
constexpr int kFontAverageWidth = 7;
constexpr int kFontHeight = 14;

} // namespace

DialogTemplate DialogBarTemplate()
{
    DialogTemplate dialog;
    dialog.style = kStyleChild | kDialogSetFont;
    dialog.cx = 100;
    dialog.cy = 0;
    dialog.fontName = "宋体";
    dialog.pointSize = 10;
    dialog.items.push_back({ "IDC_TOP", kTopButtonId, 0, 0, 6, 6, kStyleChild | kStyleVisible | kStyleTabStop });
    return dialog;
}

bool DialogBar::Create(const platform::Window& parent, const DialogTemplate& dialog, int id, uint32_t barStyle)
{
    if (!parent.IsCreated() || (dialog.style & kStyleChild) == 0 || (dialog.style & kDialogSetFont) == 0
        || dialog.fontName.empty())
        return false;
    m_template = dialog;
    m_id = id;
    m_barStyle = barStyle;
    m_created = true;
    return true;
}

void DialogBar::Destroy()
{
    *this = DialogBar {};
}

int DialogBar::PixelWidth() const
{
    return m_created ? m_template.cx * kFontAverageWidth / 4 : 0;
}

int DialogBar::PixelHeight() const
{
    return m_created ? m_template.cy * kFontHeight / 8 : 0;
}

const DialogItem* DialogBar::FindItem(int id) const
{
    for (const DialogItem& item : m_template.items)
        if (item.id == id)
            return &item;
    return nullptr;
}

CMainFrame::CMainFrame(CGameFrameApp& app)
    : CGameFrameWnd(app)
{
}

CMainFrame::~CMainFrame() = default;

bool CMainFrame::Create(std::string_view title, int width, int height, uint32_t style)
{
    if (!CGameFrameWnd::Create(title, width, height, style))
        return false;
    if (!m_dialogBar.Create(GetWindow(), BarTemplate(), kDialogBarId, kDialogBarStyle)) {
        GetWindow().Destroy();
        return false;
    }
    return true;
}

} // namespace game
