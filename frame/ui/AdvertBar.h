#pragma once
// The top box of the side pane: two tabs over one content area. The first
// tab shows the advert page (an embedded web page); the second the table's
// score history, one row per seated player and one column per round, the
// newest round next to the totals (silver in a silver room, points
// elsewhere). A new bar starts on the score tab; a few seconds after each
// switch to it the bar goes back to the page by itself, a limited number of
// times, unless the mouse is over the bar. A click on the table stops the
// automatic returns for good.
//
// The pane creates the bar ("AdvertBar"), places it (SetRect) and calls
// Layout; the other operations below are the calls the pane, the main view,
// the frame window and the table views make. User-interface thread only.

#include "engine/objects/BoundObject.h"
#include "frame/core/GameFrameCalls.h"
#include "frame/ui/PaneBarCalls.h"

#include <string>
#include <vector>

namespace engine {
class CanvasObject;
class ImageButton;
} // namespace engine

namespace frame {

class FrameScrollBar;
class WebPageCtrl;

// Private events of the bar.
inline constexpr int EVT_ADVERT_TAB = 19840402;
inline constexpr int EVT_SCORE_TAB = 19840403;
inline constexpr int EVT_ADVERT_RETURN = 19840404;
inline constexpr int EVT_HISTORY_PRESS = 19840405;
// From the application: the scores changed.
inline constexpr int EVT_ADVERT_REFRESH = 80000054;

// What the score table says: the captions of the totals and round
// columns (newest round first), then per occupied chair in chair order its
// name, its total and its round scores in the same order.
struct ScoreTable {
    std::vector<std::string> captions;
    struct Row {
        std::string name;
        std::vector<std::string> cells;
    };
    std::vector<Row> rows;
};

class AdvertBar : public engine::BoundObject, public PaneBarCalls, public AdvertPageCalls {
public:
    // Width of the names column of the score table.
    static constexpr int kNameColumnWidth = 110;
    static constexpr int kMaxRounds = 30;
    static constexpr int kDefaultReturnDelay = 10;
    static constexpr int kDefaultReturns = 3;
    // The page's address without a lobby: the shop site's home page.
    static constexpr const char* kStandAloneAddress = "shop.kbzn.example";

    AdvertBar() = default;
    // Removes the tabs, the page, the table and its scroll bar.
    ~AdvertBar() override;

    int OnCreate() override;
    int OnEvent(const engine::EngineEvent& event) override;

    // The advert page (the shop's home page without a lobby); the frame
    // window opens it once the lobby's data is in.
    void LoadPage() override;
    void Layout() override;
    // Clicks every link of the page whose text is the text.
    void ClickPageElement(const std::string& text) override;
    virtual void RefreshPage();
    void Navigate(const std::string& url) override;
    void DrawHistory() override;
    // Redraws the table and puts it back at its left end.
    void RefreshHistory() override;
    // v: {position, visible, content}.
    virtual void OnHistoryScroll(const double* v);
    virtual void ScrollHistoryLeft();
    virtual void ScrollHistoryRight();
    virtual void ShowAdvertTab();
    virtual void ShowScoreTab();
    virtual void OnTabTimer();
    virtual bool IsPageVisible() const;
    virtual void HidePage();
    virtual void ShowPage();

    // The table as DrawHistory writes it, from the application's records.
    static ScoreTable BuildScoreTable();

    // Places the bar (left, top, right, bottom) without laying it out.
    void SetRect(int left, int top, int right, int bottom) override;

    engine::ImageButton* GetAdvertTab() const { return m_advertTab; }
    engine::ImageButton* GetScoreTab() const { return m_scoreTab; }
    WebPageCtrl* GetPage() const { return m_page; }
    engine::CanvasObject* GetHistory() const { return m_history; }
    FrameScrollBar* GetHistoryBar() const { return m_historyBar; }
    bool IsScoreTabActive() const { return m_scoreTabActive; }
    int GetReturnDelay() const { return m_returnDelay; }
    int GetReturnsLeft() const { return m_returnsLeft; }

private:
    int Property(int id);
    int Rows() const;
    int ContentHeight();
    engine::ImageButton* MakeTab(const char* picture, int code);
    void CreateScoreTable();
    void DrawGrid(int columns, int width, int height);
    void DrawHeaderRow(int columns, const ScoreTable& table);
    void DrawBody(const ScoreTable& table);
    void SetHistoryRange(double position);
    void ArmReturn();
    bool IsOnlyAdvert() const;

    engine::ImageButton* m_scoreTab = nullptr;  // not owned: the object module owns the parts
    engine::ImageButton* m_advertTab = nullptr;
    int m_returnDelay = kDefaultReturnDelay;
    int m_returnsLeft = kDefaultReturns;
    bool m_scoreTabActive = false;
    WebPageCtrl* m_page = nullptr;
    engine::CanvasObject* m_history = nullptr;
    FrameScrollBar* m_historyBar = nullptr;
};

} // namespace frame
