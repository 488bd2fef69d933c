#pragma once
// The match list ("MatchListBar"): in a match program the side pane's top
// box, in place of the advertisement bar and the user list. From the top it
// shows the match name, a status line (the sign-up count before the match,
// then the match clock), the player's portrait with his rank among the
// players still in the match, and the ranking: one row a player, each with
// a menu (details, call the player, copy the name).
//
// The ranking is the application's MatchRanking, read again from scratch
// on every refresh; the rows are inline objects of a rich-text list, so
// the list scrolls them like lines.

#include "engine/controls/richtext/RichText.h"
#include "engine/controls/richtext/RichTextObject.h"
#include "frame/core/FrameRecords.h"
#include "frame/ui/SubSystem.h"

#include <cstdint>
#include <string>

namespace engine {
class CanvasObject;
class ImageNumber;
class SpriteObject;
} // namespace engine

namespace frame {

class FramePopupMenu;
class MatchPlayerList;

// Events between a row and its list; the data word is the row's object id.
inline constexpr int EVT_MATCH_ROW_PRESS = 1052;
inline constexpr int EVT_MATCH_ROW_MENU = 1053;
inline constexpr int EVT_MATCH_MENU_COPY = 1054;
inline constexpr int EVT_MATCH_MENU_HIDE = 1055;
inline constexpr int EVT_MATCH_MENU_DETAIL = 1056;
inline constexpr int EVT_MATCH_MENU_CALL = 1057;
inline constexpr int EVT_MATCH_ROW_ENTER = 1058;
inline constexpr int EVT_MATCH_ROW_LEAVE = 1059;
// The bar's one-second tick.
inline constexpr int EVT_MATCH_CLOCK_TICK = 80000001;

// Row kinds, which are also the frames of the row picture.
inline constexpr int kMatchRowPromotedEven = 1;
inline constexpr int kMatchRowOtherEven = 3;
inline constexpr int kMatchRowOwn = 5;

// The kind of ranking row i.
int MatchRowKind(int row, bool promotionMarking, int promotionCount);

// One ranking entry as a row of the list.
class MatchListBlock : public engine::RichTextObject {
public:
    static constexpr const char* kPicture = "MatchListBlock";

    MatchListBlock() = default;
    ~MatchListBlock() override = default;

    // EVT_FIT_REQUEST: the row takes the new width (param) at its height.
    int OnEvent(const engine::EngineEvent& event) override;

    virtual void Init(MatchPlayerList& list, int width, int height, const MatchRankingEntry& entry, int kind);
    virtual void Redraw();
    virtual void SetHighlight(bool on);
    virtual std::string GetName() const { return m_entry.Name(); }
    virtual int GetUserId() const { return m_entry.UserId(); }

    int GetRowKind() const { return m_kind; }
    bool IsHighlighted() const { return m_highlight; }
    engine::CanvasObject* GetCanvas() const { return m_canvas; }
    const MatchRankingEntry& GetEntry() const { return m_entry; }

private:
    engine::CanvasObject* m_canvas = nullptr; // not owned: the bound child
    MatchRankingEntry m_entry;
    int m_kind = 0;
    bool m_highlight = false;
};

// The ranking list and the rows' menu.
class MatchPlayerList : public engine::RichText {
public:
    static constexpr int kMenuWidth = 102;
    static constexpr int kMenuHeight = 92;
    static constexpr const char* kCallItemName = "BTN_MATCH_LIST_POPMENU_CALLPLAYER";
    static constexpr const char* kSelectSound = "SndSelectBlock";

    MatchPlayerList() = default;
    ~MatchPlayerList() override = default;

    int OnEvent(const engine::EngineEvent& event) override;
    // The rows go, and with them the selection and the menu that was
    // opened on one of them.
    void Clear() override;
    // The frame's scroll bar in place of the engine's.
    void CreateScrollBars() override;

    virtual void CreateMenu();
    virtual void ResetStyle();
    virtual void SelectRow(MatchListBlock* row);
    virtual void ShowMenu(bool show);

    MatchListBlock* GetSelectedRow() const;
    FramePopupMenu* GetMenu() const { return m_menu; }

private:
    // The row an event names in its data word; null when it is gone.
    MatchListBlock* RowOf(const engine::EngineEvent& event);

    int m_selectedId = 0;
    FramePopupMenu* m_menu = nullptr; // not owned: the object module owns it
};

class MatchListBar : public engine::BoundObject, public PaneBarCalls {
public:
    static constexpr const char* kBarPicture = "SystemMatchListBar";
    static constexpr const char* kRankDigits = "digitUserRank";
    static constexpr const char* kRestDigits = "digitUserRest";
    static constexpr const char* kDivisionPicture = "bitDivision";
    static constexpr int kPortraitSize = 48;
    static constexpr int kTitleHeight = 40;
    static constexpr int kStatusWidth = 230;
    static constexpr int kStatusHeight = 20;
    static constexpr int kListHeight = 168;
    static constexpr uint32_t kClockInterval = 1000;

    MatchListBar() = default;
    ~MatchListBar() override;

    int OnCreate() override;
    int OnEvent(const engine::EngineEvent& event) override;

    void Layout() override;
    void RefreshRanking() override;
    virtual void PlaceRankNumbers();
    void DrawMatchName() override;
    void DrawPortrait() override;
    void StartClock() override;
    void StopClock() override;
    void ResumeClock() override;
    virtual void TickClock();
    void ShowSignUpCount(int count) override;

    MatchPlayerList* GetPlayerList() const { return m_list; }
    engine::ImageNumber* GetRankNumber() const { return m_rank; }
    engine::ImageNumber* GetRestNumber() const { return m_rest; }
    engine::SpriteObject* GetDivision() const { return m_division; }
    engine::CanvasObject* GetPortrait() const { return m_portrait; }
    engine::CanvasObject* GetTitle() const { return m_title; }
    engine::CanvasObject* GetStatus() const { return m_status; }
    // What the status line shows now (markup), and the title's font size.
    const std::string& GetStatusLine() const { return m_statusLine; }
    int GetTitleFontSize() const { return m_titleFontSize; }
    int GetElapsedSeconds() const { return m_elapsed; }
    bool IsClockRunning() const { return m_clockAction != 0; }

private:
    void CreateNumbers();
    void CreatePortrait();
    void CreateList();
    void CreateTitle();
    void RunClock();
    void DrawStatus(const std::string& line);
    // Counts a number toward value in steps of a fifth of the way.
    static void CountNumberTo(engine::ImageNumber* number, int value);

    MatchPlayerList* m_list = nullptr; // not owned: the object module owns the parts
    engine::ImageNumber* m_rank = nullptr;
    engine::ImageNumber* m_rest = nullptr;
    engine::SpriteObject* m_division = nullptr;
    engine::CanvasObject* m_portrait = nullptr;
    engine::CanvasObject* m_title = nullptr;
    engine::CanvasObject* m_status = nullptr;
    uint64_t m_clockAction = 0;
    int m_elapsed = 0;
    std::string m_statusLine;
    int m_titleFontSize = 0;
};

} // namespace frame
