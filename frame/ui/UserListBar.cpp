#include "frame/ui/UserListBar.h"

#include "engine/controls/widgets/ScrollBar.h"
#include "engine/controls/widgets/TextButton.h"
#include "engine/core/EngineEvent.h"
#include "engine/core/GameCore.h"
#include "engine/core/ObjectModule.h"
#include "engine/core/InputState.h"
#include "engine/core/ModuleMessage.h"
#include "engine/core/EventCodes.h"
#include "engine/core/ObjectGeometry.h"
#include "engine/modules/TruncateDbcs.h"
#include "engine/objects/CanvasObject.h"
#include "engine/objects/RectObject.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/core/FrameConfig.h"
#include "frame/core/GameConnection.h"
#include "frame/core/GameNotifyHandler.h"
#include "frame/ui/FramePopupMenu.h"
#include "frame/ui/FrameScrollBar.h"
#include "frame/ui/GameFrame.h"
#include "frame/ui/PanelParts.h"
#include "platform/Clipboard.h"

#include <algorithm>
#include <array>

namespace frame {

using engine::CanvasObject;
using engine::EngineEvent;
using engine::PictureDesc;

namespace {

constexpr uint32_t kKey = 0xff00ff;
constexpr const char* kHeaderPicture = "SystemUserListBar";
constexpr const char* kRowPicture = "UserListBlock";
constexpr const char* kDividerPicture = "SystemDivide";
constexpr const char* kCornerPicture = "滚动角";
constexpr const char* kLookOnPicture = "bit_LookOn";
constexpr const char* kFace = "宋体";
constexpr int kFontSize = 12;
constexpr int kNormalWeight = 400;
constexpr int kBoldWeight = 700;
constexpr double kAboveBar = 0.005;
constexpr double kCornerAbove = 0.001;
// The scroll bars stand over the rows they scroll.
constexpr double kBarsAbove = 0.006;
constexpr double kMenuAbove = 100;
// Owned, redrawn, shown and hidden with the block.
constexpr uint32_t kLinkBars = 0x180021;
constexpr int kMenuItemWidth = 162;
constexpr int kMenuItemHeight = 30;
constexpr uint32_t kMenuBackground = 0xf0f0f0;
constexpr int kTextY = 12;
constexpr int kHeadWidth = 32;
constexpr int kHeadHeight = 30;
constexpr int kNameX = 34;
constexpr int kCellX = 4;
// The byte widths of the cut texts, with their terminator.
constexpr size_t kTitleWidth = 10;
constexpr size_t kNicknameWidth = 12;

std::string Cut(std::string_view text, size_t width)
{
    std::array<char, 64> buffer {};
    engine::TruncateDbcs(text, buffer.data(), std::min(width, buffer.size()));
    return buffer.data();
}

const engine::InputState* InputOf(const EngineEvent& event)
{
    return event.DataAs<const engine::InputState>();
}

} // namespace

// ---- UserListBlock ----------------------------------------------------------

UserListBlock::~UserListBlock()
{
    RemoveParts(GetObjectModule(), { m_menu });
}

void UserListBlock::Create(int width, int height)
{
    PictureDesc row;
    LookupPicture(&row, kRowPicture, 0);
    m_rowHeight = row.height;
    ScaleTo(width, height);
    m_canvas = CreateCanvas(std::max(width, 1), std::max(height, 1), kKey);
    if (!m_canvas)
        return;
    m_canvas->SetPen(0, 1.0);
    Bind(m_canvas, engine::LINK_STANDARD);
    const int self = GetId();
    SubscribeEvent(engine::EVT_LBUTTON_DOWN, self, kLeftPress, 0, 0);
    SubscribeEvent(engine::EVT_RBUTTON_DOWN, self, kRightPress, 0, 0);
    SubscribeEvent(engine::EVT_MOUSE_MOVE, self, kMouseMove, 0, 0);
    SubscribeEvent(engine::EVT_MOUSE_LEAVE, self, kMouseLeave, 0, 0);
    // The canvas takes the input, the wheel's included, which goes to the
    // focused object.
    SetFocusable(true);
    m_canvas->SetFocusable(true);
}

void UserListBlock::CreateMenu()
{
    m_menu = static_cast<FramePopupMenu*>(RegisterObject(std::make_unique<FramePopupMenu>()));
    if (!m_menu)
        return;
    m_menu->Create(kMenuItemWidth, kMenuItemHeight, kFontSize, kMenuBackground);
    m_menu->SetFocusable(true);
    m_menu->SetZ(GetZ() + kMenuAbove);
    struct Entry {
        const char* caption;
        int code;
        bool bold;
        bool separator;
    };
    static constexpr Entry kEntries[] = {
        { "", kMenuBlank, false, true },
        { "查看详细", kMenuDetails, true, true },
        { "", kMenuBlank, false, false },
        { "", kMenuBlank, false, false },
        { "", kMenuBlank, false, true },
        { "允许旁观看牌", kMenuPermission, true, false },
        { "呼叫玩家", kMenuCall, true, false },
        { "复制玩家名", kMenuCopyName, true, false },
    };
    for (const Entry& e : kEntries) {
        const EngineEvent click(GetId(), e.code, 0, 0);
        m_menu->AddItem(e.caption, &click, 0, 0, e.bold);
        if (e.separator)
            m_menu->AddSeparator();
    }
    // The bold captions show from the first drawing on.
    for (int i = 0; i < m_menu->GetItemCount(); ++i)
        m_menu->GetItem(i)->DrawState(engine::kTextButtonNormal);
    m_menu->Hide();
    m_selected = -1;
}

void UserListBlock::SelectRow(int index)
{
    m_selected = index;
    PlaySound("SndSelectBlock", 1, nullptr);
}

void UserListBlock::HideMenu()
{
    if (m_menu && m_menu->IsShown())
        m_menu->Hide();
}

void UserListBlock::PlaceMenu(int x, int y)
{
    const double w = m_menu->GetWidth();
    const double h = m_menu->GetHeight();
    int cx;
    int cy;
    if (x < 0 || y < 0) {
        // At the block's upper right.
        cx = static_cast<int>(GetRight() - 10);
        cy = static_cast<int>(GetTop() + h / 2);
    } else {
        // Below and right of the point.
        cx = static_cast<int>(x + (w + 1) / 2 + 1);
        cy = static_cast<int>(y + (h + 1) / 2 + 1);
    }
    // Kept inside the side pane: the block is wider than the view when
    // its columns do not fit, and its right edge may lie out of sight.
    if (auto* pane = dynamic_cast<engine::RectObject*>(FindObjectByName("SubSystem"))) {
        engine::Rect r;
        pane->GetRect(&r);
        if (r.right > 0 && r.right - w / 2 < cx)
            cx = static_cast<int>(r.right - w / 2);
        if (r.bottom > 0 && r.bottom - h / 2 < cy)
            cy = static_cast<int>(r.bottom - h / 2);
    }
    m_menu->MoveTo(cx, cy);
}

void UserListBlock::ShowMenu(bool show, int x, int y)
{
    if (!m_menu)
        return;
    if (!show) {
        m_menu->Hide();
        return;
    }
    SetFocus(m_menu->GetId());
    PlaceMenu(x, y);
    m_menu->Show();
    FillMenu();
    // Drawn again, entries and all, where it now stands.
    m_menu->Invalidate();
}

void UserListBlock::FillMenu()
{
    const CGameFrameApp* app = CGameFrameApp::Current();
    const int target = SelectedUserId();
    if (FrameMenuItem* head = m_menu->GetItem(kEntryHead)) {
        PictureDesc icon;
        LookupPicture(&icon, PortraitName(GetRowPortrait(m_selected)), 0);
        if (icon.record) {
            icon.sourceY = 1;
            icon.height = kHeadHeight;
        }
        head->SetIcon(icon);
        head->SetCaption(GetRowName(m_selected));
    }
    if (FrameMenuItem* item = m_menu->GetItem(kEntrySilver))
        item->SetCaption("银子：" + std::to_string(GetRowSilver(m_selected)) + "两");
    if (FrameMenuItem* item = m_menu->GetItem(kEntryScore))
        item->SetCaption("积分：" + std::to_string(GetRowScore(m_selected)) + "分");
    if (FrameMenuItem* item = m_menu->GetItem(kEntryLevel))
        item->SetCaption("级别：" + GetRowLevelTitle(m_selected));

    const bool lookingOn = !app || app->IsLookOn();
    const int targetChair = app ? app->GetUserChair(target) : -1;
    if (FrameMenuItem* call = m_menu->GetItem(kEntryCall))
        call->SetEnabled(!lookingOn && targetChair != -1 && targetChair != app->GetChair());
    if (FrameMenuItem* permission = m_menu->GetItem(kEntryPermission)) {
        const bool canAllow = app && app->IsInGame() && !lookingOn && app->IsLookOnUser(target)
            && targetChair == app->GetChair();
        permission->SetCaption(canAllow && HasViewPermission(target) ? "禁止旁观看牌" : "允许旁观看牌");
        permission->SetEnabled(canAllow);
    }
    if (FrameMenuItem* copy = m_menu->GetItem(kEntryCopy))
        copy->Invalidate();
}

void UserListBlock::ClearRows()
{
    // The menu speaks of the selected row, which is gone.
    HideMenu();
    m_selected = -1;
    m_rows.clear();
}

int UserListBlock::AddRow(const UserListRow& row)
{
    m_rows.push_back(row);
    // The mouse is still over the row a refresh rebuilt: it stays lit when
    // it holds a player.
    if (GetRowCount() - 1 == m_hovered) {
        if (row.player.UserId() > 0)
            m_rows.back().hovered = true;
        else
            m_hovered = -1;
    }
    return static_cast<int>(m_rows.size());
}

const UserListRow* UserListBlock::GetRow(int index) const
{
    return index >= 0 && index < GetRowCount() ? &m_rows[static_cast<size_t>(index)] : nullptr;
}

void UserListBlock::Redraw()
{
    if (!m_canvas)
        return;
    m_canvas->Clear();
    for (int i = 0; i < GetRowCount(); ++i)
        DrawRow(i);
}

std::string UserListBlock::PortraitName(int figure) const
{
    if (m_hooks && m_hooks->portraitName)
        return m_hooks->portraitName(figure);
    return "Character" + std::to_string(figure) + "Type1";
}

void UserListBlock::DrawRow(int index)
{
    const UserListRow* row = GetRow(index);
    if (!row || !m_canvas)
        return;
    const int height = GetRowHeight();
    const int width = m_canvas->GetBufferWidth();
    const int top = index * height;
    m_canvas->ClearRect(0, top, width, top + height);
    if (const CGameFrameApp* app = CGameFrameApp::Current())
        m_canvas->SetPen(app->GetColorPlayerViewText(), 1.0);
    PictureDesc back;
    LookupPicture(&back, kRowPicture, row->hovered ? 0 : row->shade % 2 + 1);
    m_canvas->BlitPicture(back, 0, top, width, height, 0.0, 1.0);
    if (row->player.UserId() > 0) {
        const CGameFrameApp* app = CGameFrameApp::Current();
        const bool own = app && row->player.UserId() == app->GetUserId();
        m_canvas->SetFont(kFontSize, own ? kBoldWeight : kNormalWeight, kFace);
        DrawCells(*row, top);
    }
    m_canvas->Invalidate();
}

void UserListBlock::DrawCells(const UserListRow& row, int top)
{
    if (!m_columns)
        return;
    int x = 0;
    for (const UserListColumn& column : *m_columns) {
        if (column.kind == kColumnNameAndHead)
            DrawNameCell(row, x, top);
        else
            m_canvas->DrawText(x + kCellX, top + kTextY, CellText(row, column.kind));
        x += column.width;
    }
}

void UserListBlock::DrawNameCell(const UserListRow& row, int x, int top)
{
    PictureDesc head;
    if (row.player.LookOn() != 0) {
        LookupPicture(&head, kLookOnPicture, 0);
        if (head.record)
            m_canvas->BlitPicture(head, x + (kHeadWidth - head.width) / 2 + 1,
                top + (kHeadHeight - head.height) / 2 + 3, -1, -1, 0.0, 1.0);
    } else {
        LookupPicture(&head, PortraitName(row.player.Figure()), 0);
        if (head.record) {
            head.height = std::min(head.height, kHeadHeight);
            m_canvas->BlitPicture(head, x + 1, top + 1, kHeadWidth, kHeadHeight, 0.0, 1.0);
        }
    }
    m_canvas->DrawText(x + kNameX, top + kTextY, row.player.Name());
}

std::string UserListBlock::CellText(const UserListRow& row, int kind) const
{
    const PlayerRecord& p = row.player;
    switch (kind) {
    case kColumnScore: return std::to_string(p.Score());
    case kColumnSilver: return std::to_string(p.Silver());
    case kColumnLevelTitle: return Cut(p.LevelTitle(), kTitleWidth);
    case kColumnWealthTitle: return Cut(GetWealthTitle(p.Silver()), kTitleWidth);
    case kColumnWatched: {
        // The chair comes from the server: only a chair of the table names
        // anyone.
        const CGameFrameApp* app = CGameFrameApp::Current();
        if (p.LookOn() == 0 || !app || p.Chair() < 0 || p.Chair() >= app->GetChairCount())
            return std::string();
        return Cut(app->GetChairName(p.Chair()), kTitleWidth);
    }
    case kColumnNickname: return Cut(p.Nickname(), kNicknameWidth);
    case kColumnGender:
        if (p.Word68() == 1)
            return "美女";
        return p.Word68() == 0 ? "帅哥" : std::string();
    default: return std::string();
    }
}

std::string UserListBlock::GetCellText(int index, int column) const
{
    const UserListRow* row = GetRow(index);
    if (!row || row->player.UserId() <= 0 || !m_columns || column < 0 || column >= static_cast<int>(m_columns->size()))
        return std::string();
    const int kind = (*m_columns)[static_cast<size_t>(column)].kind;
    return kind == kColumnNameAndHead ? row->player.Name() : CellText(*row, kind);
}

void UserListBlock::SetSize(int width, int height)
{
    ScaleTo(width, height);
    if (m_canvas) {
        m_canvas->ResizeBuffer(std::max(width, 1), std::max(height, 1));
        m_canvas->ScaleTo(width, height);
    }
}

int UserListBlock::RowFromPoint(int x, int y) const
{
    if (!m_canvas)
        return -1;
    if (GetFlags() & engine::ObjectFlags::kHitRectActive) {
        const engine::Rect r = GetHitRect();
        if (x < r.left || x >= r.right || y < r.top || y >= r.bottom)
            return -1;
    }
    const int lx = static_cast<int>(x - m_canvas->GetLeft());
    const int ly = static_cast<int>(y - m_canvas->GetTop());
    if (lx < 0 || ly < 0 || lx > m_canvas->GetWidth() || ly > m_canvas->GetHeight())
        return -1;
    const int height = GetRowHeight();
    return height < 1 ? -1 : ly / height;
}

std::string UserListBlock::GetRowName(int index) const
{
    const UserListRow* row = GetRow(index);
    return row ? row->player.Name() : std::string();
}

int UserListBlock::GetRowUserId(int index) const
{
    const UserListRow* row = GetRow(index);
    return row ? row->player.UserId() : 0;
}

int UserListBlock::GetRowPortrait(int index) const
{
    const UserListRow* row = GetRow(index);
    return row ? row->player.Figure() : 0;
}

int UserListBlock::GetRowSilver(int index) const
{
    const UserListRow* row = GetRow(index);
    return row ? row->player.Silver() : 0;
}

int UserListBlock::GetRowScore(int index) const
{
    const UserListRow* row = GetRow(index);
    return row ? row->player.Score() : 0;
}

std::string UserListBlock::GetRowLevelTitle(int index) const
{
    const UserListRow* row = GetRow(index);
    return row ? row->player.LevelTitle() : std::string();
}

void UserListBlock::RevokeViewPermission(const PlayerRecord* player)
{
    if (player)
        m_viewers.erase(player->UserId());
}

void UserListBlock::ClearViewPermissions()
{
    std::unordered_set<int>().swap(m_viewers);
}

void UserListBlock::OpenDetails(int userId)
{
    // The main view shows the player's details, or has the lobby show them.
    const CGameFrameApp* app = CGameFrameApp::Current();
    if (auto* view = dynamic_cast<GameFrame*>(app ? app->GetMainView() : nullptr))
        view->OpenPlayerDetail(userId, true);
}

void UserListBlock::OnHover(int index)
{
    const UserListRow* row = GetRow(index);
    if (!row || index == m_hovered || row->player.UserId() <= 0)
        return;
    if (GetRow(m_hovered)) {
        m_rows[static_cast<size_t>(m_hovered)].hovered = false;
        DrawRow(m_hovered);
    }
    m_hovered = index;
    m_rows[static_cast<size_t>(index)].hovered = true;
    DrawRow(index);
}

void UserListBlock::OnLeave()
{
    if (GetRow(m_hovered)) {
        m_rows[static_cast<size_t>(m_hovered)].hovered = false;
        DrawRow(m_hovered);
    }
    m_hovered = -1;
}

void UserListBlock::CopySelectedName()
{
    if (GetRowUserId(m_selected) > 0)
        platform::SetClipboardText(GetRowName(m_selected));
}

void UserListBlock::CallSelected()
{
    CGameFrameApp* app = CGameFrameApp::Current();
    const int target = SelectedUserId();
    if (!app || target <= 0 || app->GetUserChair(target) == -1 || app->IsRoomOptionB08())
        return;
    PlaySound("SndFa", 1, nullptr);
    if (GameConnection* connection = app->GetConnection())
        connection->CallPlayer(target);
    // The server tells the others; this client shows its own call at once.
    std::array<int32_t, 10> call { app->GetUserId(), app->GetRoomId(), app->GetTableNo(), app->GetChair(), target,
        app->GetUserChair(target) };
    std::array<uint8_t, sizeof call> body {};
    for (size_t i = 0; i < call.size(); ++i)
        for (size_t b = 0; b < 4; ++b)
            body[i * 4 + b] = static_cast<uint8_t>(static_cast<uint32_t>(call[i]) >> (8 * b));
    if (GameNotifyHandler* handler = app->GetNotifyHandler())
        handler->OnPlayerCall(body.data(), body.size());
}

void UserListBlock::ToggleViewPermission()
{
    CGameFrameApp* app = CGameFrameApp::Current();
    const int target = SelectedUserId();
    if (!app || target <= 0 || !app->IsLookOnUser(target))
        return;
    const bool allow = !HasViewPermission(target);
    GameConnection* connection = app->GetConnection();
    // Only a request that left changes the list: the looker-on's client
    // learns of it from the server.
    if (!connection || !connection->SetViewCardsPermission(target, allow ? 1 : 0))
        return;
    if (allow)
        m_viewers.insert(target);
    else if (m_viewers.erase(target) && m_viewers.empty())
        ClearViewPermissions();
    app->AddSystemChatLine(" <c=" + std::to_string(kPermissionLineColour) + ">" + app->GetUserName(app->GetUserId())
        + (allow ? "允许" : "禁止") + app->GetUserName(target) + "看牌 \r\n");
}

int UserListBlock::OnEvent(const EngineEvent& event)
{
    const engine::InputState* input = InputOf(event);
    switch (event.code) {
    case kLeftPress: {
        const int row = input ? RowFromPoint(input->x, input->y) : -1;
        if (GetRowUserId(row) > 0) {
            SelectRow(row);
            HideMenu();
            OpenDetails(GetRowUserId(row));
        }
        return 1;
    }
    case kRightPress: {
        const int row = input ? RowFromPoint(input->x, input->y) : -1;
        if (GetRowUserId(row) > 0) {
            SelectRow(row);
            ShowMenu(true, input->x, input->y);
        }
        return 1;
    }
    case kMenuCopyName:
        HideMenu();
        CopySelectedName();
        return 1;
    case kMenuDetails:
        HideMenu();
        if (SelectedUserId() > 0)
            OpenDetails(SelectedUserId());
        return 1;
    case kMenuCall:
        HideMenu();
        CallSelected();
        return 1;
    case kMouseLeave:
        OnLeave();
        return 1;
    case kMenuBlank:
        HideMenu();
        return 1;
    case kMouseMove:
        if (input)
            OnHover(RowFromPoint(input->x, input->y));
        return 1;
    case kMenuPermission:
        HideMenu();
        ToggleViewPermission();
        return 1;
    default:
        return BoundObject::OnEvent(event);
    }
}

// ---- UserListBar ------------------------------------------------------------

UserListBar::~UserListBar()
{
    // Removing the block removes the bars linked to it.
    RemoveParts(GetObjectModule(), { m_block, m_header, m_cornerTop, m_cornerBottom, m_horizontal, m_vertical });
}

int UserListBar::OnCreate()
{
    SetName("UserListBar");
    return 0;
}

int UserListBar::AddColumnRecord(const UserListColumn& column)
{
    m_columns.push_back(column);
    m_totalWidth += column.width;
    return static_cast<int>(m_columns.size());
}

int UserListBar::AddColumn(int kind, int width, const std::string& caption, int a, int b, int c)
{
    UserListColumn column;
    column.kind = kind;
    column.width = width;
    column.caption = caption;
    column.extra[0] = a;
    column.extra[1] = b;
    column.extra[2] = c;
    return AddColumnRecord(column);
}

void UserListBar::AddRoomColumns()
{
    const CGameFrameApp* app = CGameFrameApp::Current();
    if (app && app->IsSilverRoom()) {
        AddColumn(kColumnNameAndHead, 138, "用户名");
        AddColumn(kColumnSilver, 60, "银子");
        AddColumn(kColumnScore, 60, "积分");
        AddColumn(kColumnWealthTitle, 80, "财富等级");
        AddColumn(kColumnLevelTitle, 80, "级别");
        AddColumn(kColumnWatched, 80, "旁观对象");
        return;
    }
    AddColumn(kColumnNameAndHead, 138, "用户名");
    AddColumn(kColumnScore, 60, "积分");
    AddColumn(kColumnLevelTitle, 80, "级别");
    AddColumn(kColumnSilver, 60, "银子");
    AddColumn(kColumnWatched, 80, "旁观对象");
}

void UserListBar::SetRect(int left, int top, int right, int bottom)
{
    PlaceInRect(*this, left, top, right, bottom);
}

void UserListBar::DropLooker(int userId)
{
    CGameFrameApp* app = CGameFrameApp::Current();
    if (!app || !m_block)
        return;
    for (int slot = 0; slot < FrameRecordStore::kLookOnSlots; ++slot)
        if (const PlayerRecord* looker = app->GetLookOnPlayer(slot); looker && looker->UserId() == userId) {
            m_block->RevokeViewPermission(looker);
            return;
        }
}

int UserListBar::HeaderHeight() const
{
    return m_header ? static_cast<int>(m_header->GetHeight()) : 0;
}

int UserListBar::ViewWidth() const
{
    return static_cast<int>(GetWidth() - (m_vertical ? m_vertical->GetWidth() : 0));
}

int UserListBar::ViewHeight() const
{
    return static_cast<int>(GetHeight() - HeaderHeight() - (m_horizontal ? m_horizontal->GetHeight() : 0));
}

FrameScrollBar* UserListBar::MakeBar(bool vertical)
{
    auto* bar = static_cast<FrameScrollBar*>(RegisterObject(std::make_unique<FrameScrollBar>()));
    if (!bar)
        return nullptr;
    bar->CreateFromSkin(GetId(), vertical);
    bar->SetZ(GetZ() + kBarsAbove);
    bar->Show();
    m_block->AddChild(bar, kLinkBars);
    return bar;
}

void UserListBar::Create()
{
    PictureDesc header;
    PictureDesc row;
    LookupPicture(&header, kHeaderPicture, 0);
    LookupPicture(&row, kRowPicture, 0);
    if (!row.record)
        return;

    m_block = static_cast<UserListBlock*>(RegisterObject(std::make_unique<UserListBlock>()));
    if (!m_block)
        return;
    m_block->SetHooks(&m_hooks);
    m_block->Create(m_totalWidth, row.height * GetRowCount());
    m_block->SetColumns(&m_columns);
    m_block->SetZ(GetZ() + kAboveBar);
    m_block->CreateMenu();
    m_block->Show();

    const int self = GetId();
    m_header = CreateCanvas(std::max(m_totalWidth, 1), std::max(header.height, 1), kKey);
    if (m_header) {
        m_header->SetZ(GetZ() + kAboveBar);
        m_header->Show();
        m_header->SetFocusable(true);
        m_header->SubscribeEvent(engine::EVT_WHEEL_UP, self, engine::EVT_SCROLL_UP, 0, 0);
        m_header->SubscribeEvent(engine::EVT_WHEEL_DOWN, self, engine::EVT_SCROLL_DOWN, 0, 0);
    }
    m_horizontal = MakeBar(false);
    m_vertical = MakeBar(true);

    const int cornerWidth = m_vertical ? static_cast<int>(m_vertical->GetWidth()) : 1;
    PictureDesc verticalTrack;
    const std::string* trackName = GetStringProperty(engine::PROP_SCROLLBAR_FIRST);
    LookupPicture(&verticalTrack, trackName ? *trackName : std::string(), 0);
    m_cornerTop = CreateCanvas(std::max(cornerWidth, 1), std::max(verticalTrack.height, 1), kKey);
    m_cornerBottom = CreateCanvas(std::max(cornerWidth, 1),
        std::max(m_horizontal ? static_cast<int>(m_horizontal->GetHeight()) : 1, 1), kKey);
    for (CanvasObject* corner : { m_cornerTop, m_cornerBottom }) {
        if (corner) {
            corner->SetZ(GetZ() + kCornerAbove);
            corner->Show();
        }
    }
    m_block->SubscribeEvent(engine::EVT_WHEEL_UP, self, engine::EVT_SCROLL_UP, 0, 0);
    m_block->SubscribeEvent(engine::EVT_WHEEL_DOWN, self, engine::EVT_SCROLL_DOWN, 0, 0);
    Layout();
}

void UserListBar::ApplyRange(FrameScrollBar* bar, double position, bool vertical)
{
    if (!bar || !m_block)
        return;
    if (vertical)
        bar->SetRange(position, ViewHeight(), m_block->GetHeight(), -1);
    else
        bar->SetRange(position, ViewWidth(), m_block->GetWidth(), -1);
    bar->NotifyOwner();
}

void UserListBar::PlaceBlock()
{
    const double left = GetLeft();
    const double top = GetTop();
    const int vbar = m_vertical ? static_cast<int>(m_vertical->GetWidth()) : 0;
    const int hbar = m_horizontal ? static_cast<int>(m_horizontal->GetHeight()) : 0;
    m_block->SetHitRect(static_cast<int>(left), static_cast<int>(top) + HeaderHeight(),
        static_cast<int>(GetRight()) - vbar, static_cast<int>(GetBottom()) - hbar);
    m_block->MoveTo(left + m_block->GetWidth() / 2, top + HeaderHeight() + m_block->GetHeight() / 2);
}

void UserListBar::Layout()
{
    if (GetWidth() < 0 || !m_block)
        return;
    const double left = GetLeft();
    const double top = GetTop();
    const double right = GetRight();
    const double bottom = GetBottom();
    const int header = HeaderHeight();
    const int cornerWidth = m_cornerTop ? static_cast<int>(m_cornerTop->GetWidth()) : 0;
    if (GetWidth() - cornerWidth > m_totalWidth) {
        m_totalWidth = static_cast<int>(GetWidth() - cornerWidth);
        if (m_header) {
            m_header->ResizeBuffer(m_totalWidth, header);
            m_header->ScaleTo(m_totalWidth, header);
        }
    }
    if (m_header) {
        m_header->SetHitRect(static_cast<int>(left), static_cast<int>(top), static_cast<int>(right),
            static_cast<int>(top) + header);
        m_header->MoveTo(left + m_header->GetWidth() / 2, top + header / 2.0);
    }
    if (m_cornerTop)
        m_cornerTop->MoveTo(right - m_cornerTop->GetWidth() / 2, top + m_cornerTop->GetHeight() / 2);
    PlaceBlock();
    if (m_horizontal) {
        m_horizontal->ScaleTo(ViewWidth(), m_horizontal->GetHeight());
        m_horizontal->MoveTo(left + ViewWidth() / 2.0, bottom - m_horizontal->GetHeight() / 2);
        ApplyRange(m_horizontal, m_horizontal->ScrollBar::GetPosition(), false);
    }
    if (m_vertical) {
        m_vertical->ScaleTo(m_vertical->GetWidth(), ViewHeight());
        m_vertical->MoveTo(right - m_vertical->GetWidth() / 2, top + header + ViewHeight() / 2.0);
        ApplyRange(m_vertical, m_vertical->ScrollBar::GetPosition(), true);
    }
    if (m_cornerBottom)
        m_cornerBottom->MoveTo(right - m_cornerBottom->GetWidth() / 2, bottom - m_cornerBottom->GetHeight() / 2);
    DrawHeader();
    Refresh();
}

int UserListBar::GetRowCount() const
{
    const CGameFrameApp* app = CGameFrameApp::Current();
    if (!app)
        return 0;
    int rows = 0;
    for (int chair = 0; chair < FrameRecordStore::kSeats; ++chair)
        rows += app->IsChairOccupied(chair) ? 1 : 0;
    for (int slot = 0; slot < FrameRecordStore::kLookOnSlots; ++slot) {
        const PlayerRecord* p = app->GetLookOnPlayer(slot);
        rows += p && p->UserId() != 0 ? 1 : 0;
    }
    return std::max(rows, app->GetChairCount() + 3);
}

void UserListBar::AddRows()
{
    const CGameFrameApp* app = CGameFrameApp::Current();
    if (!app)
        return;
    auto add = [this](const PlayerRecord& player) {
        UserListRow row;
        row.player = player;
        row.shade = m_block->GetRowCount() % 2 + 1;
        m_block->AddRow(row);
    };
    // In a room that hides the players from one another, a seated player
    // sees only himself; lookers-on see everyone.
    const bool onlyOwn = app->IsRoomOptionB08() && !app->IsLookOn();
    for (int chair = 0; chair < FrameRecordStore::kSeats; ++chair) {
        const PlayerRecord* p = app->GetSeatPlayer(chair);
        if (p && p->UserId() != 0 && (!onlyOwn || p->UserId() == app->GetUserId()))
            add(*p);
    }
    for (int slot = 0; slot < FrameRecordStore::kLookOnSlots; ++slot) {
        const PlayerRecord* p = app->GetLookOnPlayer(slot);
        if (p && p->UserId() != 0)
            add(*p);
    }
    while (m_block->GetRowCount() < app->GetChairCount() + 3)
        add(PlayerRecord {});
}

void UserListBar::Refresh()
{
    if (!m_block)
        return;
    m_block->ClearRows();
    AddRows();
    m_block->SetSize(m_totalWidth, m_block->GetRowHeight() * m_block->GetRowCount());
    PlaceBlock();
    ApplyRange(m_vertical, m_vertical ? m_vertical->ScrollBar::GetPosition() : 0, true);
    ApplyRange(m_horizontal, m_horizontal ? m_horizontal->ScrollBar::GetPosition() : 0, false);
    m_block->Redraw();
}

void UserListBar::DrawHeader()
{
    PictureDesc back;
    LookupPicture(&back, kHeaderPicture, 0);
    if (m_header) {
        m_header->Clear();
        if (const CGameFrameApp* app = CGameFrameApp::Current())
            m_header->SetPen(app->GetColorPlayerViewHeader(), 1.0);
        m_header->SetFont(kFontSize, kNormalWeight, kFace);
        m_header->BlitPicture(back, 0, 0, 0, 0, 0.0, 1.0);
        PictureDesc divider;
        LookupPicture(&divider, kDividerPicture, 0);
        int x = 0;
        for (const UserListColumn& column : m_columns) {
            if (x > 0) {
                m_header->BlitPicture(divider, x, 2, -1, -1, 0.0, 1.0);
                m_header->DrawText(x + 4, 3, column.caption);
            } else {
                m_header->DrawText(3, 3, column.caption);
            }
            x += column.width;
        }
        m_header->Invalidate();
    }
    if (m_cornerTop) {
        const int w = static_cast<int>(m_cornerTop->GetWidth());
        m_cornerTop->Clear();
        m_cornerTop->BlitPicture(back, 0, 0, w, w, 0.0, 1.0);
        m_cornerTop->Invalidate();
    }
    if (m_cornerBottom) {
        PictureDesc corner;
        LookupPicture(&corner, kCornerPicture, 0);
        m_cornerBottom->Clear();
        if (corner.record)
            m_cornerBottom->BlitPicture(corner, 0, 0, 0, 0, 0.0, 1.0);
        m_cornerBottom->Invalidate();
    }
}

void UserListBar::Step(FrameScrollBar* bar, int delta, bool vertical)
{
    if (!bar || !m_block)
        return;
    int position = bar->GetPosition() + delta;
    position = std::min(position, bar->GetMaxPosition());
    position = std::max(position, 0);
    ApplyRange(bar, position, vertical);
}

void UserListBar::ScrollLeft()
{
    Step(m_horizontal, -kHorizontalStep, false);
}

void UserListBar::ScrollRight()
{
    Step(m_horizontal, kHorizontalStep, false);
}

void UserListBar::ScrollUp()
{
    Step(m_vertical, m_block ? -m_block->GetRowHeight() : 0, true);
}

void UserListBar::ScrollDown()
{
    Step(m_vertical, m_block ? m_block->GetRowHeight() : 0, true);
}

void UserListBar::OnScroll(const double* v, int orientation)
{
    if (!v || !m_block)
        return;
    if (orientation == 0) {
        const double x = GetLeft() - v[0] + v[2] / 2;
        m_block->MoveTo(x, m_block->GetY());
        if (m_header)
            m_header->MoveTo(x, m_header->GetY());
    } else {
        m_block->MoveTo(m_block->GetX(), GetTop() + HeaderHeight() - v[0] + v[2] / 2);
    }
}

int UserListBar::OnEvent(const EngineEvent& event)
{
    switch (event.code) {
    case EVT_USER_LIST_REFRESH:
        Refresh();
        return 1;
    case EVT_USER_LIST_RESET_PERMISSIONS:
        if (m_block)
            m_block->ClearViewPermissions();
        return BoundObject::OnEvent(event);
    case engine::EVT_SCROLL:
        OnScroll(event.ParamAs<const double>(), event.DataInt());
        return 1;
    case engine::EVT_SCROLL_RIGHT: ScrollRight(); return 1;
    case engine::EVT_SCROLL_LEFT: ScrollLeft(); return 1;
    case engine::EVT_SCROLL_UP: ScrollUp(); return 1;
    case engine::EVT_SCROLL_DOWN: ScrollDown(); return 1;
    default: return BoundObject::OnEvent(event);
    }
}

} // namespace frame
