#include "cards/CardCounterPanel.h"

#include "engine/controls/widgets/ImageButton.h"
#include "engine/controls/widgets/MenuItem.h"
#include "engine/controls/widgets/PopupMenu.h"
#include "engine/core/EngineFiles.h"
#include "engine/core/InputState.h"
#include "engine/core/EventCodes.h"
#include "engine/core/EngineEvent.h"
#include "engine/core/ObjectGeometry.h"
#include "engine/objects/CanvasObject.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/ui/GameFrame.h"
#include "table/Cards.h"

#include <algorithm>
#include <cstdio>

namespace game {

namespace {

constexpr uint32_t kKey = 0xff00ff;
constexpr uint32_t kWhite = 0xffffff;
constexpr double kPanelDepth = 11000;
constexpr double kButtonAbove = 0.1;
constexpr double kMenuAbove = 100;
constexpr uint32_t kMenuLink = 0x118020;
constexpr int kColumns = 15;
constexpr int kMarkWidth = 16;
constexpr int kMarkHeight = 13;
constexpr int kMarkRowStep = 14;
constexpr int kPlayedStep = 12;
constexpr int kPlayedRowStep = 28;
constexpr int kPlayedPerRow = 10;
constexpr const char* kPack = "skins\\replay.vkr";
constexpr const char* kPanelPicture = "bit_cardmaster";
constexpr const char* kPlayerPicture = "bit_cardmaster_player";
constexpr const char* kSmallPicture = "bit_cardmaster_small";
constexpr const char* kRankPicture = "bit_cardrank";
constexpr const char* kClosePicture = "btn_redcross";
constexpr const char* kMenuPicture = "btn_popmenu";
constexpr const char* kFacePicture = "牌正面";
constexpr const char* kBackPicture = "牌背面";

bool IsJoker(int value)
{
    return value == table::kSmallJokerValue || value == table::kBigJokerValue;
}

} // namespace

int AppCounterSeats::GetChairCount() const
{
    const CGameFrameApp* app = CGameFrameApp::Current();
    return app ? app->GetChairCount() : 0;
}

int AppCounterSeats::GetChair() const
{
    const CGameFrameApp* app = CGameFrameApp::Current();
    return app ? app->GetChair() : 0;
}

std::string AppCounterSeats::GetChairName(int chair) const
{
    const CGameFrameApp* app = CGameFrameApp::Current();
    return app ? app->GetChairName(chair) : std::string();
}

bool AppCounterSeats::GetTableRect(engine::Rect* out) const
{
    return frame::GetMainGameRect(out);
}

std::vector<CounterMark> LayoutCounterColumns(std::span<const int> remaining)
{
    std::vector<int> ids;
    for (int id : remaining)
        if (id >= 0)
            ids.push_back(id);
    auto key = [](int id) { return table::CallCardOrder(id, 1, 0) * 1000 + table::CallCardSuit(id); };
    std::stable_sort(ids.begin(), ids.end(), [&](int a, int b) { return key(a) > key(b); });

    std::vector<CounterMark> marks;
    std::array<int, kColumns> rows {};
    int column = 0;
    int previous = table::kBigJokerValue;
    for (int id : ids) {
        const int value = table::CallCardValue(id);
        if (IsJoker(value)) {
            column = 0;
        } else if (value != previous) {
            ++column;
            previous = value;
        }
        if (column >= kColumns || value < 1)
            continue;
        marks.push_back({ value - 1, column, rows[static_cast<size_t>(column)]++ });
    }
    return marks;
}

CardCounterPanel::CardCounterPanel(CardCounterSeats& seats)
    : m_seats(seats)
{
    m_remaining.fill(-1);
    for (auto& list : m_played)
        list.fill(-1);
}

int CardCounterPanel::OnCreate()
{
    LoadResourcePack(engine::AppPath(kPack));
    engine::PictureDesc desc;
    LookupPicture(&desc, kPanelPicture, 0);
    m_canvas = CreateCanvas(desc.record ? desc.width : 1, desc.record ? desc.height : 1, kKey);
    if (!m_canvas)
        return 0;
    m_canvas->Clear();
    m_canvas->BlitPicture(desc, 0, 0, -1, -1, 0.0, 1.0);
    Bind(m_canvas, engine::LINK_STANDARD);
    SetTopmost();
    SetZ(kPanelDepth);
    SetDraggable(true);
    m_canvas->Show();

    auto button = [&](const char* picture, const engine::EngineEvent& click) {
        auto* b = static_cast<engine::ImageButton*>(RegisterObject(std::make_unique<engine::ImageButton>()));
        if (!b)
            return b;
        engine::PictureDesc face;
        LookupPicture(&face, picture, 0);
        b->Create(face, &click, 0, 0);
        b->SetZ(GetZ() + kButtonAbove);
        return b;
    };
    if (engine::ImageButton* close = button(kClosePicture, engine::EngineEvent(GetId(), engine::EVT_HIDE))) {
        close->MoveTo(GetRight() - close->GetWidth() / 2 - 13, GetTop() + close->GetHeight() / 2 + 6);
        AddChild(close, engine::LINK_STANDARD);
        close->Show();
    }
    if (engine::ImageButton* menu = button(kMenuPicture, engine::EngineEvent(GetId(), EVT_COUNTER_MENU_BUTTON))) {
        menu->SetSendOnPress();
        menu->MoveTo(GetX(), GetTop() + menu->GetHeight() / 2 + 6);
        AddChild(menu, engine::LINK_STANDARD);
        menu->Show();
    }
    SubscribeSelf(engine::EVT_RBUTTON_DOWN);
    return 0;
}

int CardCounterPanel::GetSeat(int chair) const
{
    const int count = m_seats.GetChairCount();
    const int own = m_seats.GetChair();
    if (count <= 0 || chair < 0 || chair >= count)
        return -1;
    for (int j = 0; j < count && j < kSeats; ++j)
        if ((own + j) % count == chair)
            return j;
    return -1;
}

void CardCounterPanel::Reset()
{
    m_remaining.fill(-1);
    for (auto& list : m_played)
        list.fill(-1);
    for (engine::CanvasObject* panel : m_playerPanels)
        HideAndRedraw(panel);
    m_count = 0;
}

void CardCounterPanel::AddCard(int id)
{
    auto slot = std::find(m_remaining.begin(), m_remaining.end(), -1);
    if (slot == m_remaining.end())
        return;
    *slot = id;
    ++m_count;
}

void CardCounterPanel::RemoveCard(int id)
{
    for (int& slot : m_remaining)
        if (slot == id) {
            slot = -1;
            --m_count;
        }
    // One pass: a single gap closes and the order is kept.
    for (size_t i = 0; i + 1 < m_remaining.size(); ++i)
        if (m_remaining[i] == -1) {
            m_remaining[i] = m_remaining[i + 1];
            m_remaining[i + 1] = -1;
        }
    if (IsShown())
        Redraw();
}

void CardCounterPanel::AddPlayedCard(int chair, int id)
{
    const int seat = GetSeat(chair);
    if (seat < 0)
        return;
    for (int& slot : m_played[static_cast<size_t>(seat)])
        if (slot == -1 || (slot == kUnknownCard && id != kUnknownCard)) {
            slot = id;
            return;
        }
}

void CardCounterPanel::Redraw()
{
    if (!m_canvas)
        return;
    m_canvas->Clear();
    engine::PictureDesc desc;
    LookupPicture(&desc, kPanelPicture, 0);
    m_canvas->BlitPicture(desc, 0, 0, -1, -1, 0.0, 1.0);
    m_canvas->SetFont(14, 400, "宋体");
    m_canvas->SetPen(kWhite, 1.0);
    char text[32];
    std::snprintf(text, sizeof text, "剩余%d张", m_count);
    m_canvas->DrawTextCentred(50, 16, text);
    for (const CounterMark& mark : LayoutCounterColumns(m_remaining)) {
        engine::PictureDesc rank;
        LookupPicture(&rank, kRankPicture, mark.frame);
        m_canvas->BlitPicture(rank, mark.column * kMarkWidth + 10, mark.row * kMarkRowStep + 30, kMarkWidth,
            kMarkHeight, 0.0, 1.0);
    }
    m_canvas->Invalidate();
}

void CardCounterPanel::GetSmallCard(engine::PictureDesc* out, int id)
{
    LookupPicture(out, kSmallPicture, ((id % table::kFacesPerDeck) + table::kFacesPerDeck) % table::kFacesPerDeck);
}

engine::CanvasObject* CardCounterPanel::MakePlayerPanel(int chair)
{
    engine::PictureDesc desc;
    LookupPicture(&desc, kPlayerPicture, 0);
    engine::CanvasObject* panel = CreateCanvas(desc.record ? desc.width : 1, desc.record ? desc.height : 1, kKey);
    if (!panel)
        return nullptr;
    panel->SetTopmost();
    panel->SetZ(kPanelDepth + chair);
    panel->SetDraggable(true);
    auto* close = static_cast<engine::ImageButton*>(RegisterObject(std::make_unique<engine::ImageButton>()));
    if (close) {
        engine::PictureDesc face;
        LookupPicture(&face, kClosePicture, 0);
        const engine::EngineEvent click(panel->GetId(), engine::EVT_HIDE);
        close->Create(face, &click, 0, 0);
        close->MoveTo(panel->GetRight() - close->GetWidth() / 2 - 7, panel->GetTop() + close->GetHeight() / 2 + 3);
        close->SetZ(panel->GetZ() + kButtonAbove);
        panel->AddChild(close, engine::LINK_STANDARD);
        close->Show();
    }
    return panel;
}

void CardCounterPanel::ShowPlayerPanel(int chair)
{
    const int seat = GetSeat(chair);
    if (seat < 0)
        return;
    engine::CanvasObject*& panel = m_playerPanels[static_cast<size_t>(seat)];
    if (!panel)
        panel = MakePlayerPanel(chair);
    if (!panel)
        return;
    DrawPlayerPanel(chair);
    PlacePlayerPanel(seat);
}

void CardCounterPanel::DrawPlayerPanel(int chair)
{
    const int seat = GetSeat(chair);
    if (seat < 0)
        return;
    engine::CanvasObject* panel = m_playerPanels[static_cast<size_t>(seat)];
    if (!panel)
        return;
    panel->Clear();
    engine::PictureDesc desc;
    LookupPicture(&desc, kPlayerPicture, 0);
    panel->BlitPicture(desc, 0, 0, -1, -1, 0.0, 1.0);
    panel->SetFont(12, 400, "宋体");
    panel->SetPen(kWhite, 1.0);
    panel->DrawTextCentred(panel->GetBufferWidth() / 2, 10, m_seats.GetChairName(chair));
    const auto& played = m_played[static_cast<size_t>(seat)];
    for (int i = 0; i < kPlayedSlots && played[static_cast<size_t>(i)] != -1; ++i) {
        const int id = played[static_cast<size_t>(i)];
        engine::PictureDesc card;
        if (id == kUnknownCard)
            LookupPicture(&card, kBackPicture, 0);
        else
            LookupPicture(&card, kFacePicture, id % table::kFacesPerDeck);
        if (!card.record)
            continue;
        // The top-left corner of the card: its rank and suit.
        card.width = std::min(card.width, kPlayedStep);
        card.height = std::min(card.height, kPlayedRowStep);
        panel->BlitPicture(card, 13 + (i % kPlayedPerRow) * kPlayedStep, 20 + (i / kPlayedPerRow) * kPlayedRowStep,
            card.width, card.height, 0.0, 1.0);
    }
    panel->Invalidate();
}

void CardCounterPanel::PlacePlayerPanel(int seat)
{
    if (seat < 0 || seat >= kSeats)
        return;
    engine::CanvasObject* panel = m_playerPanels[static_cast<size_t>(seat)];
    if (!panel)
        return;
    char name[32];
    std::snprintf(name, sizeof name, "玩家姓名板%d", seat);
    if (EngineObject* board = FindObjectByName(name))
        panel->MoveTo(board->GetX(), board->GetY());
    engine::Rect table;
    if (m_seats.GetTableRect(&table)) {
        double x = panel->GetX();
        double y = panel->GetY();
        const double hw = panel->GetWidth() / 2;
        const double hh = panel->GetHeight() / 2;
        x = std::max(std::min(x, table.right - hw), table.left + hw);
        y = std::max(std::min(y, table.bottom - hh), table.top + hh);
        panel->MoveTo(x, y);
    }
    panel->Show();
    panel->Invalidate();
}

void CardCounterPanel::PlaceAll()
{
    for (int seat = 0; seat < kSeats; ++seat)
        if (m_playerPanels[static_cast<size_t>(seat)] && m_playerPanels[static_cast<size_t>(seat)]->IsShown())
            PlacePlayerPanel(seat);
    MoveTo(GetScreenWidth() - GetWidth() / 2, GetScreenHeight() - 30 - GetHeight() / 2);
    Invalidate();
}

void CardCounterPanel::RefreshMenuNames()
{
    if (!m_menu)
        return;
    for (size_t i = 0; i < m_menuChairs.size(); ++i)
        if (engine::MenuItem* item = m_menu->GetItem(static_cast<int>(i)))
            item->SetCaption(m_seats.GetChairName(m_menuChairs[i]));
}

void CardCounterPanel::ShowMenu(int x, int y)
{
    if (!m_menu) {
        m_menu = static_cast<engine::PopupMenu*>(RegisterObject(std::make_unique<engine::PopupMenu>()));
        if (!m_menu)
            return;
        m_menu->Create(100, 30, 12, kWhite);
        const int own = m_seats.GetChair();
        for (int chair = 0; chair < kSeats; ++chair) {
            if (chair == own)
                continue;
            const engine::EngineEvent click(GetId(), EVT_COUNTER_SHOW_PLAYER, static_cast<engine::MessageWord>(chair));
            m_menu->AddItem(m_seats.GetChairName(chair), &click, 0, 0);
            m_menuChairs.push_back(chair);
        }
        const engine::EngineEvent openAll(GetId(), EVT_COUNTER_OPEN_ALL);
        const engine::EngineEvent closeAll(GetId(), EVT_COUNTER_CLOSE_ALL);
        const engine::EngineEvent cancel(m_menu->GetId(), engine::EVT_HIDE);
        m_menu->AddItem("全部展开", &openAll, 0, 0);
        m_menu->AddItem("全部关闭", &closeAll, 0, 0);
        m_menu->AddItem("取消", &cancel, 0, 0);
        m_menu->SetZ(GetZ() + kMenuAbove);
        AddChild(m_menu, kMenuLink);
        m_menu->SetTopmost();
        m_menu->Subscribe(engine::EVT_BLUR, engine::EngineEvent(m_menu->GetId(), engine::EVT_HIDE));
        m_menu->SetFocusable(true);
    }
    SetFocus(m_menu->GetId());
    const double w = m_menu->GetWidth();
    const double h = m_menu->GetHeight();
    double cx = x + w / 2;
    double cy = y - h / 2;
    if (cx + w / 2 > GetScreenWidth())
        cx = GetScreenWidth() - w / 2;
    if (cy - h / 2 < 0)
        cy = h;
    m_menu->MoveTo(cx, cy);
    m_menu->Show();
    m_menu->Invalidate();
}

void CardCounterPanel::HideAndRedraw(engine::EngineObject* object)
{
    // Hidden objects leave the screen and the list of what the mouse can
    // hit when their place is redrawn.
    if (!object)
        return;
    object->Hide();
    object->Invalidate();
}

void CardCounterPanel::HideMenu()
{
    HideAndRedraw(m_menu);
}

int CardCounterPanel::OnEvent(const engine::EngineEvent& event)
{
    switch (event.code) {
    case engine::EVT_RBUTTON_DOWN:
        if (const auto* state = event.DataAs<const engine::InputState>())
            ShowMenu(state->x, state->y);
        return 1;
    case EVT_COUNTER_SHOW_PLAYER:
        ShowPlayerPanel(event.ParamInt());
        HideMenu();
        return 1;
    case EVT_COUNTER_MENU_BUTTON:
        if (m_menu && m_menu->IsShown())
            HideMenu();
        else
            ShowMenu(static_cast<int>(GetX()), static_cast<int>(GetTop()));
        return 1;
    case EVT_COUNTER_OPEN_ALL:
        for (int chair = 0; chair < kSeats; ++chair)
            if (chair != m_seats.GetChair())
                ShowPlayerPanel(chair);
        HideMenu();
        return 1;
    case EVT_COUNTER_CLOSE_ALL:
        for (int seat = 1; seat < kSeats; ++seat)
            HideAndRedraw(m_playerPanels[static_cast<size_t>(seat)]);
        HideMenu();
        return 1;
    default:
        return BoundObject::OnEvent(event);
    }
}

} // namespace game
