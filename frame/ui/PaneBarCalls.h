#pragma once
// What the side pane calls on its bars, each found by its object name.

#include <string>

namespace frame {

// The operate row's buttons.
inline constexpr int EVT_PANE_CLEAR_CHAT = 19840395;
inline constexpr int EVT_PANE_FACES = 19840396;
inline constexpr int EVT_PANE_SCREENSHOT = 19840397;
inline constexpr int EVT_PANE_COMPLAINT = 19840398;
inline constexpr int EVT_PANE_SAFE_BOX = 19840399;

// Names the pane's buttons are found by.
inline constexpr const char* kFaceButtonName = "系统栏表情按钮";
inline constexpr const char* kSilverButtonName = "系统栏划银按钮";

// What the pane asks of the bars that other areas of the client make (the
// advertisement bar, the user list, the match list and the operate bar).
// A bar answers to the calls it knows; the rest do nothing.
class PaneBarCalls {
public:
    virtual ~PaneBarCalls() = default;
    // Once, after the pane registered the bar: its parts.
    virtual void Build() { }
    // The pane gives each bar its rectangle (left, top, right, bottom),
    // then lays it out.
    virtual void SetRect(int /*left*/, int /*top*/, int /*right*/, int /*bottom*/) { }
    virtual void Layout() { }
    // User list.
    virtual void Refresh() { }
    virtual void DropLooker(int /*userId*/) { }
    // Advertisement bar.
    virtual void RefreshHistory() { }
    virtual void DrawHistory() { }
    virtual void Navigate(const std::string& /*address*/) { }
    // Clicks the page's links whose text is the text.
    virtual void ClickPageElement(const std::string& /*text*/) { }
    // Match list.
    virtual void StartClock() { }
    virtual void StopClock() { }
    virtual void ResumeClock() { }
    virtual void RefreshRanking() { }
    virtual void ShowSignUpCount(int /*count*/) { }
    virtual void DrawPortrait() { }
    virtual void DrawMatchName() { }
};

} // namespace frame
