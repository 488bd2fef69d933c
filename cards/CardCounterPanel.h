#pragma once
// The card counter: a draggable panel listing the cards not played yet as
// small rank marks stacked in columns by value, with the count, and on
// request one small panel per opponent laid over that opponent's board
// with the cards that opponent has played. The table view creates it
// (never in replay mode), feeds it the cards and shows or hides it; the
// panel asks the application only what CardCounterSeats offers, so it
// stands without the table view.

#include "engine/core/ObjectGeometry.h"
#include "engine/objects/BoundObject.h"

#include <array>
#include <span>
#include <string>
#include <vector>

namespace engine {
class CanvasObject;
class PopupMenu;
} // namespace engine

namespace game {

// What the panel needs of the running application.
class CardCounterSeats {
public:
    virtual ~CardCounterSeats() = default;
    virtual int GetChairCount() const = 0;
    virtual int GetChair() const = 0; // the own chair
    virtual std::string GetChairName(int chair) const = 0;
    // The table view's rectangle; false when there is none.
    virtual bool GetTableRect(engine::Rect* out) const = 0;
};

// The seats of the running application (CGameFrameApp::Current) and the
// table view's rectangle; without an application there are no chairs.
class AppCounterSeats : public CardCounterSeats {
public:
    int GetChairCount() const override;
    int GetChair() const override;
    std::string GetChairName(int chair) const override;
    bool GetTableRect(engine::Rect* out) const override;
};

// The panel's private events.
inline constexpr int EVT_COUNTER_SHOW_PLAYER = 80000001; // param: the chair
inline constexpr int EVT_COUNTER_MENU_BUTTON = 80000002;
inline constexpr int EVT_COUNTER_OPEN_ALL = 80000003;
inline constexpr int EVT_COUNTER_CLOSE_ALL = 80000004;

// One rank mark of the main panel: frame value - 1 of "bit_cardrank" in a
// column (jokers in column 0, then one column a value, largest first) and
// a row within it.
struct CounterMark {
    int frame = 0;
    int column = 0;
    int row = 0;
    friend bool operator==(const CounterMark&, const CounterMark&) = default;
};
std::vector<CounterMark> LayoutCounterColumns(std::span<const int> remaining);

class CardCounterPanel : public engine::BoundObject {
public:
    static constexpr int kRemainingSlots = 108;
    static constexpr int kPlayedSlots = 27;
    static constexpr int kSeats = 4;
    static constexpr int kUnknownCard = 99999999;

    // The seats are not owned and must outlive the panel.
    explicit CardCounterPanel(CardCounterSeats& seats);
    ~CardCounterPanel() override = default;

    int OnCreate() override;
    int OnEvent(const engine::EngineEvent& event) override;

    virtual void DrawPlayerPanel(int chair);
    virtual void Redraw();
    virtual void RefreshMenuNames();
    virtual void Reset();
    virtual void AddCard(int id);
    virtual void RemoveCard(int id);
    virtual void AddPlayedCard(int chair, int id);
    virtual void ShowMenu(int x, int y);
    virtual void ShowPlayerPanel(int chair);
    virtual void PlaceAll();
    virtual void PlacePlayerPanel(int seat);
    virtual void GetSmallCard(engine::PictureDesc* out, int id);

    // The screen seat of a chair (0 own, then round the table), -1 for none.
    int GetSeat(int chair) const;
    int GetCount() const { return m_count; }
    // The ids in their slots, -1 for an empty slot.
    std::span<const int> GetRemaining() const { return m_remaining; }
    std::span<const int> GetPlayed(int seat) const { return m_played[static_cast<size_t>(seat)]; }
    engine::PopupMenu* GetMenu() const { return m_menu; }
    engine::CanvasObject* GetPlayerPanel(int seat) const { return m_playerPanels[static_cast<size_t>(seat)]; }
    engine::CanvasObject* GetCanvas() const { return m_canvas; }

private:
    static void HideAndRedraw(engine::EngineObject* object);
    void HideMenu();
    engine::CanvasObject* MakePlayerPanel(int chair);

    CardCounterSeats& m_seats;
    std::array<int, kRemainingSlots> m_remaining;
    std::array<std::array<int, kPlayedSlots>, kSeats> m_played;
    int m_count = 0;
    engine::PopupMenu* m_menu = nullptr; // not owned: the object module owns the parts
    std::array<engine::CanvasObject*, kSeats> m_playerPanels {};
    engine::CanvasObject* m_canvas = nullptr;
    std::vector<int> m_menuChairs; // the chair of each name item, in order
};

} // namespace game
