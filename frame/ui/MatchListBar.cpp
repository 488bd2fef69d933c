#include "frame/ui/MatchListBar.h"

#include "engine/controls/widgets/ImageNumber.h"
#include "engine/core/GameCore.h"
#include "engine/core/EventCodes.h"
#include "engine/core/EngineEvent.h"
#include "engine/objects/CanvasObject.h"
#include "engine/objects/SpriteObject.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/core/GameConnection.h"
#include "frame/core/FormatLine.h"
#include "frame/ui/CharacterPicture.h"
#include "frame/ui/FramePopupMenu.h"
#include "frame/ui/FrameScrollBar.h"
#include "frame/ui/PlayerRowActions.h"

#include <algorithm>
#include <cstdlib>

namespace frame {

namespace {

constexpr uint32_t kTransparent = 0xff00ff;
constexpr const char* kFace = "宋体";
constexpr int kFontSize = 12;
constexpr int kMaxFontSize = 30;
constexpr int kNormalWeight = 400;
constexpr int kBoldWeight = 700;

// The engine's message for a picture the skin lacks.
constexpr int kResourceModule = 1010;
constexpr int kMissingResource = 1002;

// Parts of the bar follow its depth, are removed with it and redrawn with
// it; where they stand and whether they show is the bar's layout.
constexpr uint32_t kLinkPart = engine::kLinkOwned | engine::kLinkZ | engine::kLinkInvalidate;
// The status line rides on the title.
constexpr uint32_t kLinkStatus = 0x1980A2;
// The list's scroll bar, as the engine links its own.
constexpr uint32_t kLinkScrollBar = 0x190A3;

// The bar's positions from its left, top and bottom edges.
constexpr int kTitleY = 30;
constexpr int kStatusY = 67;
constexpr int kPortraitX = 36;
constexpr int kPortraitY = 120;
constexpr int kListMargin = 12;
constexpr int kListBottom = 6;

// Texts and colours.
constexpr uint32_t kStatusPen = 0x00FFFF;
constexpr uint32_t kTitlePen = 0x95E273;
constexpr int kTitleUnit = 16;
constexpr int kTitleSpare = 30;
constexpr int kTitleCentreY = 15;
constexpr int kStatusTextY = 4;
constexpr int kSeparatorX = 74;
constexpr uint32_t kSeparatorDark = 0x426E11;
constexpr uint32_t kSeparatorLight = 0x2C4D09;
constexpr uint32_t kRowPen = 0x415928;
constexpr uint32_t kRowHighlightPen = 0x407382;
constexpr uint32_t kMenuBackground = 0xFFFFFF;
constexpr uint32_t kMenuBorder = 0xE7BFC8;
constexpr int kMenuItemWidth = MatchPlayerList::kMenuWidth - 2 * FramePopupMenu::kMargin;
constexpr int kMenuItemHeight = 30;
constexpr int kMenuRight = 20;

// Status words of an own entry that show the rank without the count of
// players still in the match.
constexpr int kStatusKeepsScore = -4;
bool ShowsRankAlone(int status)
{
    return status == kStatusKeepsScore || status == -2 || status == -1;
}

CGameFrameApp* App()
{
    return CGameFrameApp::Current();
}

engine::PictureDesc Picture(engine::GameObject& object, const std::string& name, int frame = 0)
{
    engine::PictureDesc desc;
    object.LookupPicture(&desc, name, frame);
    return desc;
}

void Place(engine::EngineObject* part, double x, double y, bool show)
{
    if (!part)
        return;
    part->MoveTo(x, y);
    if (show)
        part->Show();
    else
        part->Hide();
    part->Invalidate();
}

void HidePart(engine::EngineObject* part)
{
    if (!part)
        return;
    part->Hide();
    part->Invalidate();
}

} // namespace

int MatchRowKind(int row, bool promotionMarking, int promotionCount)
{
    if (row == 0)
        return kMatchRowOwn;
    if (promotionMarking && row < promotionCount)
        return row % 2 + kMatchRowPromotedEven;
    return row % 2 + kMatchRowOtherEven;
}

// ---- the rows ---------------------------------------------------------------------

void MatchListBlock::Init(MatchPlayerList& list, int width, int height, const MatchRankingEntry& entry, int kind)
{
    m_canvas = CreateCanvas(std::max(width, 1), std::max(height, 1), kTransparent);
    if (m_canvas) {
        m_canvas->SetPen(0, 1.0);
        Bind(m_canvas, engine::LINK_STANDARD);
        const auto self = static_cast<engine::MessageWord>(GetId());
        m_canvas->SubscribeEvent(engine::EVT_LBUTTON_DOWN, list.GetId(), EVT_MATCH_ROW_PRESS, 0, self);
        m_canvas->SubscribeEvent(engine::EVT_RBUTTON_DOWN, list.GetId(), EVT_MATCH_ROW_MENU, 0, self);
        m_canvas->SubscribeEvent(engine::EVT_MOUSE_ENTER, list.GetId(), EVT_MATCH_ROW_ENTER, 0, self);
        m_canvas->SubscribeEvent(engine::EVT_MOUSE_LEAVE, list.GetId(), EVT_MATCH_ROW_LEAVE, 0, self);
    }
    m_entry = entry;
    m_kind = kind;
    SetCopyText(m_entry.Name());
    Redraw();
}

void MatchListBlock::Redraw()
{
    if (!m_canvas)
        return;
    m_canvas->Clear();
    const int frame = m_highlight ? 0 : (m_kind == kMatchRowOwn ? 1 : m_kind);
    const engine::PictureDesc back = Picture(*this, kPicture, frame);
    if (back.record)
        m_canvas->BlitPicture(back, 0, 0, -1, -1, 0.0, 1.0);
    m_canvas->SetPen(m_highlight ? kRowHighlightPen : kRowPen, 1.0);
    m_canvas->SetFont(kFontSize, m_kind == kMatchRowOwn ? kBoldWeight : kNormalWeight, kFace);
    const int w = m_canvas->GetBufferWidth();
    const int y = m_canvas->GetBufferHeight() / 2;
    m_canvas->DrawTextCentred(w / 8, y, std::to_string(m_entry.RankingKey()));
    m_canvas->DrawTextCentred(w / 2, y, m_entry.Name());
    const bool out = m_entry.Out() != 0 && m_entry.Status() != kStatusKeepsScore;
    m_canvas->DrawTextCentred(7 * w / 8, y, out ? std::string("出局") : std::to_string(m_entry.MatchScore()));
    m_canvas->Invalidate();
}

void MatchListBlock::SetHighlight(bool on)
{
    m_highlight = on;
    Redraw();
}

int MatchListBlock::OnEvent(const engine::EngineEvent& event)
{
    if (event.code != engine::EVT_FIT_REQUEST)
        return RichTextObject::OnEvent(event);
    const int width = event.ParamInt();
    if (m_canvas && width > 0) {
        const int height = m_canvas->GetBufferHeight();
        m_canvas->ResizeBuffer(width, height);
        m_canvas->ScaleTo(width, height);
        Redraw();
    }
    return 1;
}

// ---- the list -----------------------------------------------------------------------

void MatchPlayerList::CreateScrollBars()
{
    engine::GameCore* core = GetCore();
    if (m_vBar || !m_backCanvas || !core)
        return;
    auto picture = [&](int offset) {
        const std::string* name = core->GetStringProperty(engine::PROP_SCROLLBAR_FIRST + offset);
        return name ? Picture(*this, *name) : engine::PictureDesc {};
    };
    auto* bar = dynamic_cast<FrameScrollBar*>(RegisterObject(std::make_unique<FrameScrollBar>()));
    if (!bar)
        return;
    bar->Create(GetId(), picture(0).width, 100, 1, 0);
    bar->SetThumbImage(picture(1));
    bar->SetThumbPicture(picture(2));
    bar->CreateUpButton(picture(3));
    bar->CreateDownButton(picture(4));
    bar->SetTrackImage(picture(0));
    bar->Hide();
    m_backCanvas->AddChild(bar, kLinkScrollBar);
    m_vBar = bar;
}

void MatchPlayerList::CreateMenu()
{
    m_menu = static_cast<FramePopupMenu*>(RegisterObject(std::make_unique<FramePopupMenu>()));
    if (m_menu) {
        m_menu->Create(kMenuItemWidth, kMenuItemHeight, kFontSize, kMenuBackground);
        m_menu->SetFocusable(true);
        m_menu->SetZ(GetZ() + 100);
        const std::pair<const char*, int> items[] = {
            { "查看详细", EVT_MATCH_MENU_DETAIL },
            { "呼叫玩家", EVT_MATCH_MENU_CALL },
            { "复制玩家名", EVT_MATCH_MENU_COPY },
        };
        for (const auto& [caption, code] : items) {
            const engine::EngineEvent click(GetId(), code, 0, 0);
            FrameMenuItem* item = m_menu->AddItem(caption, &click, 0, 0, false);
            if (item && code == EVT_MATCH_MENU_CALL)
                item->SetName(kCallItemName);
        }
        m_menu->SetBorderColour(kMenuBorder);
        m_menu->CentreCaptions();
        // Clicking elsewhere takes the focus from the menu and closes it.
        m_menu->SubscribeEvent(engine::EVT_BLUR, GetId(), EVT_MATCH_MENU_HIDE, 0, 0);
        m_menu->Layout();
        m_menu->Hide();
    }
    m_selectedId = 0;
}

void MatchPlayerList::ResetStyle()
{
    ResetStyleTo(kFontSize, kFace);
}

MatchListBlock* MatchPlayerList::GetSelectedRow() const
{
    if (m_selectedId == 0)
        return nullptr;
    return dynamic_cast<MatchListBlock*>(const_cast<MatchPlayerList*>(this)->FindObjectById(m_selectedId));
}

MatchListBlock* MatchPlayerList::RowOf(const engine::EngineEvent& event)
{
    return dynamic_cast<MatchListBlock*>(FindObjectById(event.DataInt()));
}

void MatchPlayerList::SelectRow(MatchListBlock* row)
{
    const int id = row ? row->GetId() : 0;
    if (id == m_selectedId)
        return;
    if (MatchListBlock* old = GetSelectedRow())
        old->SetHighlight(false);
    m_selectedId = id;
    if (!row)
        return;
    row->SetHighlight(true);
    PlaySound(kSelectSound, 1, nullptr);
}

void MatchPlayerList::ShowMenu(bool show)
{
    if (!m_menu)
        return;
    MatchListBlock* row = GetSelectedRow();
    if (!show || !row) {
        m_menu->Hide();
        m_menu->Invalidate();
        return;
    }
    engine::CanvasObject* menu = m_menu->GetCanvas();
    const double width = menu ? menu->GetWidth() : kMenuWidth;
    m_menu->SetZ(GetZ() + 100);
    m_menu->MoveTo(GetRight() - width / 2 - kMenuRight, row->GetY());
    m_menu->Show();
    m_menu->Invalidate();
    SetFocus(m_menu->GetId());
    CGameFrameApp* app = App();
    const bool seated = app && app->GetUserChair(row->GetUserId()) != -1;
    if (FrameMenuItem* call = m_menu->GetItem(1))
        call->SetEnabled(seated);
}

void MatchPlayerList::Clear()
{
    RichText::Clear();
    m_selectedId = 0;
    // The menu belonged to a row that is gone.
    ShowMenu(false);
}

int MatchPlayerList::OnEvent(const engine::EngineEvent& event)
{
    CGameFrameApp* app = App();
    GameConnection* connection = app ? app->GetConnection() : nullptr;
    MatchListBlock* selected = GetSelectedRow();
    switch (event.code) {
    case EVT_MATCH_ROW_PRESS:
        SelectRow(RowOf(event));
        ShowMenu(false);
        if (MatchListBlock* row = GetSelectedRow(); row && connection)
            connection->Request201230(row->GetUserId());
        return 1;
    case EVT_MATCH_ROW_MENU:
        SelectRow(RowOf(event));
        ShowMenu(true);
        return 1;
    // The menu's commands act on the selected row; a ranking refresh may
    // have removed it while the command was on its way.
    case EVT_MATCH_MENU_COPY:
        if (selected)
            CopyPlayerName(selected->GetName());
        ShowMenu(false);
        return 1;
    case EVT_MATCH_MENU_HIDE:
        ShowMenu(false);
        return 1;
    case EVT_MATCH_MENU_DETAIL:
        ShowMenu(false);
        if (selected && connection)
            connection->Request201230(selected->GetUserId());
        return 1;
    case EVT_MATCH_MENU_CALL:
        if (selected)
            CallPlayerFromList(selected->GetUserId());
        ShowMenu(false);
        return 1;
    case EVT_MATCH_ROW_ENTER:
    case EVT_MATCH_ROW_LEAVE:
        if (MatchListBlock* row = RowOf(event))
            row->SetHighlight(event.code == EVT_MATCH_ROW_ENTER);
        return 1;
    default:
        return RichText::OnEvent(event);
    }
}

// ---- the bar ----------------------------------------------------------------------------

MatchListBar::~MatchListBar() = default;

int MatchListBar::OnCreate()
{
    SetName(kMatchListBarName);
    const engine::PictureDesc bar = Picture(*this, kBarPicture);
    if (!bar.record) {
        if (engine::GameCore* core = GetCore())
            core->SendModuleMessage(kResourceModule, kMissingResource, 0, 0);
        return 0;
    }
    engine::SpriteObject* sprite = CreateSprite(bar);
    if (!sprite)
        return 0;
    Bind(sprite, engine::LINK_STANDARD);
    CreateNumbers();
    CreatePortrait();
    CreateList();
    CreateTitle();
    Layout();
    return 0;
}

void MatchListBar::CreateNumbers()
{
    auto number = [&](const char* digits, uint32_t alignment) {
        auto* made = static_cast<engine::ImageNumber*>(RegisterObject(std::make_unique<engine::ImageNumber>()));
        if (made) {
            made->CreateDigits(digits, alignment);
            made->SetZ(GetZ() + 0.02);
            AddChild(made, kLinkPart);
        }
        return made;
    };
    m_rank = number(kRankDigits, engine::kFontAlignRight);
    m_rest = number(kRestDigits, engine::kFontAlignLeft);
    m_division = CreateSprite(Picture(*this, kDivisionPicture));
    if (m_division) {
        m_division->SetZ(GetZ() + 0.02);
        AddChild(m_division, kLinkPart);
    }
}

void MatchListBar::CreatePortrait()
{
    m_portrait = CreateCanvas(kPortraitSize, kPortraitSize, kTransparent);
    if (!m_portrait)
        return;
    m_portrait->SetZ(GetZ() + 0.02);
    AddChild(m_portrait, kLinkPart);
    // A click, a right click and a hover all ask for the player's own
    // details; the pane sends the request.
    engine::EngineObject* pane = FindObjectByName("SubSystem");
    CGameFrameApp* app = App();
    const int paneId = pane ? pane->GetId() : 0;
    const auto self = static_cast<engine::MessageWord>(app ? app->GetUserId() : 0);
    for (int code : { engine::EVT_LBUTTON_DOWN, engine::EVT_RBUTTON_DOWN, engine::EVT_HOVER })
        m_portrait->SubscribeEvent(code, paneId, EVT_PANE_MATCH_PLAYER, self, 0);
}

void MatchListBar::CreateList()
{
    m_list = static_cast<MatchPlayerList*>(RegisterObject(std::make_unique<MatchPlayerList>()));
    if (!m_list)
        return;
    m_list->Create(100, 50, engine::RT_SCROLL_BARS | engine::RT_EXTRA_PART | engine::RT_LINKS, engine::RT_BACK_COLOUR);
    m_list->SetZ(GetZ() + 10);
    m_list->CreateMenu();
    m_list->SetBackgroundColour(kTransparent);
    m_list->Show();
    m_list->SetMaxFontSize(kMaxFontSize);
    m_list->SetFontSize(kFontSize);
    m_list->SetTextColour(0);
    AddChild(m_list, kLinkPart);
}

void MatchListBar::CreateTitle()
{
    const engine::PictureDesc bar = Picture(*this, kBarPicture);
    m_title = CreateCanvas(std::max(bar.width, 1), kTitleHeight, kTransparent);
    if (!m_title)
        return;
    m_title->SetZ(GetZ() + 0.02);
    m_title->Show();
    AddChild(m_title, kLinkPart);
    m_status = CreateCanvas(kStatusWidth, kStatusHeight, kTransparent);
    if (!m_status)
        return;
    m_status->SetFont(kFontSize, kNormalWeight, kFace);
    m_status->SetPen(kStatusPen, 1.0);
    m_status->SetZ(m_title->GetZ() + 0.0001);
    m_status->Show();
    m_status->Invalidate();
    m_title->AddChild(m_status, kLinkStatus);
}

void MatchListBar::Layout()
{
    const double x = GetX();
    const double left = GetLeft();
    const double top = GetTop();
    Place(m_title, x, top + kTitleY, true);
    Place(m_status, x, top + kStatusY, true);
    Place(m_portrait, left + kPortraitX, top + kPortraitY, true);
    PlaceRankNumbers();
    if (!m_list)
        return;
    const int width = static_cast<int>(GetWidth() - kListMargin);
    if (width < 0)
        return;
    // The background at the list's own size (not stretched), and the text
    // laid out for it.
    m_list->MoveTo(x, GetBottom() - kListBottom - kListHeight / 2);
    m_list->ScaleTo(width, kListHeight);
    m_list->ResizeBackground(width, kListHeight);
    m_list->Layout(width, kListHeight);
    m_list->SetZ(GetZ() + 10);
    m_list->SetLineSpacingPixels(0);
    m_list->Invalidate();
}

void MatchListBar::PlaceRankNumbers()
{
    CGameFrameApp* app = App();
    const MatchRanking* ranking = app ? &app->GetMatchRanking() : nullptr;
    if (!ranking || ranking->Count() == 0) {
        HidePart(m_rank);
        HidePart(m_division);
        HidePart(m_rest);
        return;
    }
    const double left = GetLeft();
    const double top = GetTop();
    if (ShowsRankAlone(ranking->Entry(0).Status())) {
        Place(m_rank, left + 180, top + 125, true);
        HidePart(m_division);
        HidePart(m_rest);
        return;
    }
    Place(m_rank, left + 170, top + 115, true);
    Place(m_division, left + 178, top + 125, true);
    Place(m_rest, left + 185, top + 127, true);
}

void MatchListBar::CountNumberTo(engine::ImageNumber* number, int value)
{
    if (!number)
        return;
    const int64_t distance = std::llabs(static_cast<int64_t>(value) - number->GetValue());
    number->StopCounting();
    number->CountTo(value, static_cast<int>(std::min<int64_t>(distance / 5, INT32_MAX)), 0, nullptr);
}

void MatchListBar::RefreshRanking()
{
    CGameFrameApp* app = App();
    if (!m_list || !app)
        return;
    m_list->Clear();
    const int rowHeight = Picture(*this, MatchListBlock::kPicture).height;
    const MatchRanking& ranking = app->GetMatchRanking();
    if (ranking.PlayersLeft() >= 1) {
        CountNumberTo(m_rank, ranking.Entry(0).RankingKey());
        CountNumberTo(m_rest, ranking.PlayersLeft());
        PlaceRankNumbers();
    } else {
        HidePart(m_rank);
        HidePart(m_rest);
        HidePart(m_division);
    }
    const bool marking = ranking.PromotionMarking() != 0;
    for (size_t i = 0; i < ranking.Count(); ++i) {
        auto* row = static_cast<MatchListBlock*>(m_list->RegisterObject(std::make_unique<MatchListBlock>()));
        if (!row)
            continue;
        const int n = static_cast<int>(i);
        row->Init(*m_list, m_list->GetViewWidth(), rowHeight, ranking.Entry(i),
            MatchRowKind(n, marking, ranking.PromotionCount()));
        m_list->AppendObject(row);
    }
    m_list->ScrollToStart();
    m_list->SyncScrollBar();
    if (engine::CanvasObject* text = m_list->GetTextCanvas())
        text->DrawBorder(0, 5);
}

void MatchListBar::DrawMatchName()
{
    if (!m_title)
        return;
    m_title->Clear();
    m_title->SetPen(kTitlePen, 1.0);
    CGameFrameApp* app = App();
    const std::string name = app ? app->GetMatchName() : std::string();
    const int width = m_title->GetBufferWidth();
    const int bytes = static_cast<int>(name.size());
    int unit = kTitleUnit;
    if (bytes > 0 && width - kTitleSpare < kTitleUnit * bytes)
        unit = std::max((width - kTitleSpare) / bytes, 1);
    m_titleFontSize = 2 * unit;
    m_title->SetFont(m_titleFontSize, kBoldWeight, kFace);
    m_title->DrawTextCentred(width / 2, kTitleCentreY, name);
    m_title->Invalidate();
}

void MatchListBar::DrawPortrait()
{
    CGameFrameApp* app = App();
    if (!m_portrait || !app)
        return;
    m_portrait->Clear();
    const PlayerRecord* self = app->GetSeatPlayer(app->GetChair());
    const engine::PictureDesc figure = Picture(*this, CharacterPicture(*this, self ? self->Figure() : 0, 2));
    if (figure.record)
        m_portrait->BlitPicture(figure, 0, 0, kPortraitSize, kPortraitSize, 0.0, 1.0);
    m_portrait->Invalidate();
}

void MatchListBar::RunClock()
{
    if (m_clockAction != 0)
        CancelAction(m_clockAction);
    const engine::EngineEvent tick(GetId(), EVT_MATCH_CLOCK_TICK, 0, 0);
    m_clockAction = RepeatEvent(kClockInterval, -1, &tick);
}

void MatchListBar::StartClock()
{
    m_elapsed = 0;
    RunClock();
}

void MatchListBar::StopClock()
{
    CancelAction(m_clockAction);
    m_clockAction = 0;
}

void MatchListBar::ResumeClock()
{
    CGameFrameApp* app = App();
    if (!app)
        return;
    // Negative seconds to the start: the match began that long ago.
    constexpr size_t kSecondsToStart = 32;
    const auto word = static_cast<int32_t>(LoadLe32(app->GetMatchStateBlock().Bytes().data() + kSecondsToStart));
    if (word >= 0)
        return;
    m_elapsed = word == INT32_MIN ? INT32_MAX : -word;
    RunClock();
}

void MatchListBar::DrawStatus(const std::string& line)
{
    m_statusLine = line;
    if (!m_status)
        return;
    m_status->Clear();
    m_status->DrawText(0, kStatusTextY, line);
}

void MatchListBar::TickClock()
{
    if (m_elapsed < INT32_MAX)
        ++m_elapsed;
    const int hours = m_elapsed / 3600;
    const int minutes = m_elapsed % 3600 / 60;
    const int seconds = m_elapsed % 60;
    CGameFrameApp* app = App();
    const MatchSeatRecord* seat = app ? app->FindMatchSeat(app->GetUserId()) : nullptr;
    if (seat)
        DrawStatus(FormatLine(" <rgb=115,226,149>总第<rgb=198,255,10> %02lld <rgb=115,226,149>局   "
                              "比赛进行:<rgb=198,255,10>%02d小时%02d分%02d秒",
            OneUp(seat->Played()), hours, minutes, seconds));
    else
        DrawStatus(FormatLine("           <rgb=115,226,149>比赛进行:<rgb=198,255,10>%02d小时%02d分%02d秒", hours,
            minutes, seconds));
    if (!m_status)
        return;
    m_status->SetPen(kSeparatorDark, 1.0);
    m_status->DrawLine(kSeparatorX, 0, kSeparatorX, kStatusHeight);
    m_status->SetPen(kSeparatorLight, 1.0);
    m_status->DrawLine(kSeparatorX + 1, 0, kSeparatorX + 1, kStatusHeight);
    m_status->SetPen(kStatusPen, 1.0);
    m_status->Invalidate();
}

void MatchListBar::ShowSignUpCount(int count)
{
    CGameFrameApp* app = App();
    if (app && app->IsMatchKind500Plus())
        return;
    DrawStatus(FormatLine("    <rgb=115,226,149>本场比赛当前<rgb=255,255,255> %d <rgb=115,226,149>人报名。", count));
    if (m_status)
        m_status->Invalidate();
}

int MatchListBar::OnEvent(const engine::EngineEvent& event)
{
    if (event.code == EVT_MATCH_CLOCK_TICK) {
        TickClock();
        return 1;
    }
    return BoundObject::OnEvent(event);
}

} // namespace frame
