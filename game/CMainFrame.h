#pragma once
// The game's main window: the frame window with a dialog bar along its top.
// The bar comes from dialog template 141, which is described here in code
// (the program carries no resource files): a child dialog 100 dialog units
// wide and 0 high holding one small push button. Its height of 0 leaves the
// whole client area to the engine; the window refuses to open when the bar
// cannot be made, as a window whose creation step failed.
//
// User-interface thread only.

#include "frame/core/CGameFrameWnd.h"

#include <cstdint>
#include <string>
#include <vector>

namespace game {

// Window and dialog styles of the templates.
inline constexpr uint32_t kStyleChild = 0x40000000;
inline constexpr uint32_t kStyleVisible = 0x10000000;
inline constexpr uint32_t kStyleTabStop = 0x00010000;
inline constexpr uint32_t kDialogSetFont = 0x40;
// Control bar styles: tool tips, fly-by help, border at the bottom, aligned
// to the top.
inline constexpr uint32_t kBarToolTips = 0x0010;
inline constexpr uint32_t kBarFlyBy = 0x0020;
inline constexpr uint32_t kBarBorderBottom = 0x0800;
inline constexpr uint32_t kBarAlignTop = 0x2000;

inline constexpr int kDialogBarTemplateId = 141;
inline constexpr int kDialogBarId = 141;
inline constexpr uint32_t kDialogBarStyle = kBarAlignTop | kBarBorderBottom | kBarToolTips | kBarFlyBy;
inline constexpr int kTopButtonId = 1046;

// One control of a dialog template; position and size in dialog units.
struct DialogItem {
    std::string text; // GBK
    int id = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    uint32_t style = 0;
    bool operator==(const DialogItem&) const = default;
};

struct DialogTemplate {
    uint32_t style = 0;
    int cx = 0, cy = 0; // dialog units
    std::string fontName; // GBK
    int pointSize = 0;
    std::vector<DialogItem> items;
};

// Template 141.
DialogTemplate DialogBarTemplate();

// A bar made from a dialog template, placed along one edge of its window.
class DialogBar {
public:
    // False (and nothing made) without a window, or for a template that is
    // not a child dialog or has no font.
    bool Create(const platform::Window& parent, const DialogTemplate& dialog, int id, uint32_t barStyle);
    void Destroy();
    bool IsCreated() const { return m_created; }
    int GetId() const { return m_id; }
    uint32_t GetBarStyle() const { return m_barStyle; }
    const DialogTemplate& GetTemplate() const { return m_template; }
    // The bar's size in pixels from its template: a dialog unit is a quarter
    // of the font's average width across and an eighth of its height down.
    int PixelWidth() const;
    int PixelHeight() const;
    const DialogItem* FindItem(int id) const;

private:
    bool m_created = false;
    int m_id = 0;
    uint32_t m_barStyle = 0;
    DialogTemplate m_template;
};

class CMainFrame : public CGameFrameWnd {
public:
    explicit CMainFrame(CGameFrameApp& app);
    ~CMainFrame() override;

    // The frame window's creation, then the dialog bar; a bar that cannot
    // be made closes the window again and fails the creation.
    bool Create(std::string_view title, int width, int height, uint32_t style = platform::kWindowResizable) override;

    DialogBar& GetDialogBar() { return m_dialogBar; }
    const DialogBar& GetDialogBar() const { return m_dialogBar; }

protected:
    // The bar's template (a test may hand another).
    virtual DialogTemplate BarTemplate() const { return DialogBarTemplate(); }

private:
    DialogBar m_dialogBar;
};

} // namespace game
