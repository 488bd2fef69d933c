#include "frame/ui/AdvertBar.h"

#include "engine/controls/widgets/ImageButton.h"
#include "engine/controls/widgets/ScrollBar.h"
#include "engine/core/EngineEvent.h"
#include "engine/core/InputState.h"
#include "engine/core/ModuleMessage.h"
#include "engine/core/ObjectModule.h"
#include "engine/core/EventCodes.h"
#include "engine/objects/CanvasObject.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/ui/WebPageCtrl.h"
#include "frame/ui/FrameScrollBar.h"
#include "frame/ui/MainViewProtocol.h"
#include "frame/ui/PanelParts.h"
#include "platform/HtmlView.h"
#include "platform/IniFile.h"

#include <algorithm>

namespace frame {

using engine::CanvasObject;
using engine::EngineEvent;

namespace {

constexpr uint32_t kKey = 0xff00ff;
// Owned, redrawn, shown and hidden with the table.
constexpr uint32_t kLinkBar = 0x180021;
constexpr const char* kFace = "宋体";
constexpr int kFontSize = 12;
constexpr int kNormalWeight = 400;
constexpr int kTextLeft = 9;
constexpr int kNameTop = 7;
constexpr int kFirstArrowStop = 100;

} // namespace

AdvertBar::~AdvertBar()
{
    // Removing the table removes its scroll bar.
    RemoveParts(GetObjectModule(), { m_scoreTab, m_advertTab, m_page, m_history, m_historyBar });
}

int AdvertBar::Property(int id)
{
    return GetIntProperty(id);
}

int AdvertBar::Rows() const
{
    const CGameFrameApp* app = CGameFrameApp::Current();
    return std::max(app ? app->GetChairCount() : 0, 4);
}

int AdvertBar::ContentHeight()
{
    return Property(kSideGapProperty) + Property(kSideSeatRowProperty) * Rows();
}

bool AdvertBar::IsOnlyAdvert() const
{
    // A room that hides the players from one another shows a seated
    // player no scores.
    const CGameFrameApp* app = CGameFrameApp::Current();
    return app && app->IsRoomOptionB08() && !app->IsLookOn();
}

engine::ImageButton* AdvertBar::MakeTab(const char* picture, int code)
{
    auto* tab = static_cast<engine::ImageButton*>(RegisterObject(std::make_unique<engine::ImageButton>()));
    if (!tab)
        return nullptr;
    engine::PictureDesc desc;
    LookupPicture(&desc, picture, 0);
    const EngineEvent click(GetId(), code, 0, 0);
    tab->Create(desc, &click, 0, engine::ObjectFlags::kPixelHitTest);
    tab->SubscribeEvent(engine::EVT_MOUSE_ENTER, GetId(), code, 0, 0);
    tab->SetZ(GetZ() + 0.01);
    tab->Show();
    tab->SetEnabled(true);
    tab->SetSelected(false);
    return tab;
}

int AdvertBar::OnCreate()
{
    SetName(kAdvertBarObject);
    CGameFrameApp* app = CGameFrameApp::Current();
    m_page = static_cast<WebPageCtrl*>(RegisterObject(std::make_unique<WebPageCtrl>()));
    if (m_page) {
        m_page->Create(10, 10);
        m_page->SetZ(GetZ() + 0.01);
        m_page->SetRestricted(true);
        if (app)
            m_page->SetWhitelistFile(app->Paths().GetAdvertDomainFile());
    }
    m_advertTab = MakeTab("btnAdvertTab", EVT_ADVERT_TAB);
    if (IsOnlyAdvert()) {
        if (m_page) {
            m_page->Show();
            m_page->Invalidate();
        }
        return 0;
    }
    m_scoreTab = MakeTab(app && app->IsSilverRoom() ? "btnDepositTab" : "btnScoreTab", EVT_SCORE_TAB);
    CreateScoreTable();
    if (app) {
        const platform::IniFile ini(app->GetGameIniPath());
        m_returnDelay = ini.GetInt("GAMESET", "AdvertACSencond", kDefaultReturnDelay);
        m_returnsLeft = ini.GetInt("GAMESET", "AdvertACMaxCount", kDefaultReturns);
    }
    ShowScoreTab();
    return 0;
}

void AdvertBar::CreateScoreTable()
{
    m_historyBar = static_cast<FrameScrollBar*>(RegisterObject(std::make_unique<FrameScrollBar>()));
    if (m_historyBar)
        m_historyBar->CreateFromSkin(GetId(), false);
    m_history = CreateCanvas(10, 10, kKey);
    if (!m_history)
        return;
    m_history->SetZ(GetZ() + 0.01);
    DrawHistory();
    if (m_historyBar) {
        m_historyBar->SetZ(GetZ() + 0.02);
        m_history->AddChild(m_historyBar, kLinkBar);
    }
    m_history->SubscribeEvent(engine::EVT_LBUTTON_DOWN, GetId(), EVT_HISTORY_PRESS, 0, 0);
}

void AdvertBar::SetRect(int left, int top, int right, int bottom)
{
    PlaceInRect(*this, left, top, right, bottom);
}

void AdvertBar::LoadPage()
{
    const CGameFrameApp* app = CGameFrameApp::Current();
    if (!m_page || !app)
        return;
    Navigate(app->IsStandAlone() ? std::string(kStandAloneAddress) : app->GetAdvertPageUrl());
}

void AdvertBar::Navigate(const std::string& url)
{
    if (m_page)
        m_page->Navigate(url);
}

void AdvertBar::ClickPageElement(const std::string& text)
{
    if (m_page)
        m_page->ClickLinkByText(text);
}

void AdvertBar::RefreshPage()
{
    // The page is fetched again from the server, nothing kept.
    if (m_page && m_page->View() && !m_page->View()->Url().empty())
        m_page->Navigate(m_page->View()->Url());
}

void AdvertBar::Layout()
{
    const double left = GetLeft();
    const double top = GetTop();
    const int width = static_cast<int>(GetWidth());
    const int strip = Property(kSideRowProperty);
    const int content = ContentHeight();
    const int odd = content % 2 != 0 ? 1 : 0;
    if (m_advertTab) {
        m_advertTab->MoveTo(left + m_advertTab->GetWidth() / 2, top + strip - m_advertTab->GetHeight() / 2 + odd);
        m_advertTab->Invalidate();
    }
    const int x2 = static_cast<int>(left + (m_advertTab ? m_advertTab->GetWidth() : 0) + 1);
    if (m_scoreTab) {
        m_scoreTab->MoveTo(x2 + m_scoreTab->GetWidth() / 2, top + strip - m_scoreTab->GetHeight() / 2 + odd);
        m_scoreTab->Invalidate();
    }
    if (m_page) {
        const int height = content + Property(kHorzScrollHeightProperty);
        m_page->Resize(std::max(width, 1), std::max(height, 1));
        m_page->MoveTo(static_cast<int>(left) + width / 2.0, static_cast<int>(top) + strip + height / 2.0);
    }
    if (m_history) {
        m_history->SetHitRect(static_cast<int>(left), static_cast<int>(top) + strip, static_cast<int>(GetRight()),
            static_cast<int>(GetBottom()));
        m_history->MoveTo(left + m_history->GetWidth() / 2, top + strip + content / 2);
        m_history->Invalidate();
    }
    if (m_historyBar && m_history) {
        m_historyBar->ScaleTo(width, m_historyBar->GetHeight());
        m_historyBar->MoveTo(GetX(), m_history->GetBottom() + m_historyBar->GetHeight() / 2);
        SetHistoryRange(m_historyBar->ScrollBar::GetPosition());
    }
    DrawHistory();
}

void AdvertBar::SetHistoryRange(double position)
{
    if (!m_historyBar || !m_history)
        return;
    m_historyBar->SetRange(position, GetWidth(), m_history->GetWidth(), -1);
    m_historyBar->NotifyOwner();
}

void AdvertBar::DrawGrid(int columns, int width, int height)
{
    const CGameFrameApp* app = CGameFrameApp::Current();
    const int column = Property(kAdvertHeightProperty);
    const int header = Property(kSideGapProperty);
    const int row = Property(kSideSeatRowProperty);
    m_history->SetPen(app ? app->GetColorAdvGrid() : 0, 1.0);
    m_history->DrawLine(kNameColumnWidth, 0, kNameColumnWidth, height);
    for (int i = 1; i < columns; ++i)
        m_history->DrawLine(kNameColumnWidth + i * column, 0, kNameColumnWidth + i * column, height);
    m_history->DrawLine(0, header, width, header);
    for (int e = 1; e <= Rows(); ++e)
        m_history->DrawLine(0, header + e * row, width, header + e * row);
}

ScoreTable AdvertBar::BuildScoreTable()
{
    ScoreTable table;
    const CGameFrameApp* app = CGameFrameApp::Current();
    if (!app)
        return table;
    const ScoreHistory& history = app->GetScoreHistory();
    const int64_t rounds = history.RoundCount();
    const int shown = static_cast<int>(std::min<int64_t>(rounds, kMaxRounds));
    table.captions.push_back(app->IsSilverRoom() ? "总银子" : "总积分");
    for (int i = 0; i < shown; ++i)
        table.captions.push_back("第" + std::to_string(rounds - i) + "局");
    const int rows = std::max(app->GetChairCount(), 4);
    for (int chair = 0; chair < FrameRecordStore::kSeats && static_cast<int>(table.rows.size()) < rows; ++chair) {
        if (!app->IsChairOccupied(chair))
            continue;
        ScoreTable::Row row;
        row.name = app->GetChairName(chair);
        row.cells.push_back(std::to_string(history.Total(chair)));
        // Round r lies in ring slot (r - 1) mod 30.
        for (int i = 0; i < shown; ++i)
            row.cells.push_back(std::to_string(history.Entry(chair, static_cast<int>((rounds - i - 1) % kMaxRounds))));
        table.rows.push_back(std::move(row));
    }
    return table;
}

void AdvertBar::DrawHeaderRow(int columns, const ScoreTable& table)
{
    const CGameFrameApp* app = CGameFrameApp::Current();
    const int column = Property(kAdvertHeightProperty);
    const int header = Property(kSideGapProperty);
    m_history->SetPen(app ? app->GetColorAdvHeader() : 0, 1.0);
    m_history->SetFont(kFontSize, kNormalWeight, kFace);
    m_history->DrawText(kTextLeft, 5, "用户名");
    engine::PictureDesc line;
    LookupPicture(&line, "jf_line", 0);
    const int lineTop = std::max(0, (header - line.height) / 2 + 1);
    for (int i = 0; i < columns; ++i)
        m_history->BlitPicture(line, kNameColumnWidth + i * column, lineTop, -1, -1, 0.0, 1.0);
    const int y = Property(kSideSeatRowProperty) / 2 - 1;
    for (size_t i = 0; i < table.captions.size(); ++i)
        m_history->DrawTextCentred(kNameColumnWidth + static_cast<int>(i) * column + column / 2, y, table.captions[i]);
}

void AdvertBar::DrawBody(const ScoreTable& table)
{
    const CGameFrameApp* app = CGameFrameApp::Current();
    const int column = Property(kAdvertHeightProperty);
    const int header = Property(kSideGapProperty);
    const int row = Property(kSideSeatRowProperty);
    m_history->SetPen(app ? app->GetColorAdvText() : 0, 1.0);
    for (size_t k = 0; k < table.rows.size(); ++k) {
        const int top = header + static_cast<int>(k) * row;
        m_history->DrawText(kTextLeft, top + kNameTop, table.rows[k].name);
        const std::vector<std::string>& cells = table.rows[k].cells;
        for (size_t i = 0; i < cells.size(); ++i)
            m_history->DrawTextCentred(kNameColumnWidth + static_cast<int>(i) * column + column / 2, top + row / 2,
                cells[i]);
    }
}

void AdvertBar::DrawHistory()
{
    if (!m_history)
        return;
    const CGameFrameApp* app = CGameFrameApp::Current();
    const int64_t counted = app ? app->GetScoreHistory().RoundCount() : 0;
    const int rounds = static_cast<int>(std::min<int64_t>(counted, 1 << 30));
    const int columns = std::min(rounds >= 1 ? rounds + 1 : 2, kMaxRounds + 1);
    const int column = Property(kAdvertHeightProperty);
    const int header = Property(kSideGapProperty);
    const int width = std::max(kNameColumnWidth + column * columns, static_cast<int>(GetWidth()));
    const int height = std::max(Rows() * Property(kSideSeatRowProperty) + header, 1);
    m_history->ResizeBuffer(width, height);
    m_history->ScaleTo(width, height);
    m_history->SetBackground(app ? app->GetColorAdvBk() : 0xffffff);
    m_history->Clear();
    engine::PictureDesc title;
    LookupPicture(&title, "bitHistoryTitle", 0);
    m_history->BlitPicture(title, 0, 0, width, header, 0.0, 1.0);
    DrawGrid(columns, width, height);
    const ScoreTable table = BuildScoreTable();
    DrawHeaderRow(columns, table);
    DrawBody(table);
    m_history->Invalidate();
    SetHistoryRange(0);
}

void AdvertBar::RefreshHistory()
{
    DrawHistory();
    SetHistoryRange(0);
}

void AdvertBar::OnHistoryScroll(const double* v)
{
    if (!v || !m_history)
        return;
    m_history->MoveTo(GetLeft() - v[0] + v[2] / 2, m_history->GetY());
    m_history->Invalidate();
}

void AdvertBar::ScrollHistoryRight()
{
    if (!m_history || !m_historyBar)
        return;
    const int offset = static_cast<int>(GetLeft() - m_history->GetLeft());
    int d = offset + Property(kAdvertHeightProperty);
    if (d > 0 && d < kFirstArrowStop)
        d = kFirstArrowStop;
    const int last = static_cast<int>(m_history->GetWidth() - GetWidth());
    d = std::min(d, last);
    SetHistoryRange(d);
}

void AdvertBar::ScrollHistoryLeft()
{
    if (!m_history || !m_historyBar)
        return;
    const int offset = static_cast<int>(GetLeft() - m_history->GetLeft());
    int d = offset - Property(kAdvertHeightProperty);
    if (d < kFirstArrowStop)
        d = 0;
    SetHistoryRange(d);
}

void AdvertBar::ArmReturn()
{
    const EngineEvent back(GetId(), EVT_ADVERT_RETURN, 0, 0);
    Delay(static_cast<uint32_t>(std::max(m_returnDelay, 0)) * 1000u, &back);
}

void AdvertBar::ShowAdvertTab()
{
    if (IsOnlyAdvert())
        return;
    for (engine::ImageButton* tab : { m_advertTab, m_scoreTab }) {
        if (tab) {
            tab->Show();
            tab->SetSelected(tab == m_advertTab);
            tab->Invalidate();
        }
    }
    // Shown and drawn again: a page shown without being redrawn stays off
    // the screen and out of the mouse's reach.
    if (m_page) {
        m_page->Show();
        m_page->Invalidate();
    }
    if (m_history) {
        m_history->Hide();
        m_history->Invalidate();
    }
    m_scoreTabActive = false;
}

void AdvertBar::ShowScoreTab()
{
    // Without scores the page stays.
    if (!m_scoreTab)
        return;
    for (engine::ImageButton* tab : { m_advertTab, m_scoreTab }) {
        if (tab) {
            tab->Show();
            tab->SetSelected(tab == m_scoreTab);
            tab->Invalidate();
        }
    }
    if (m_page) {
        m_page->Hide();
        m_page->Invalidate();
    }
    if (m_history) {
        m_history->Show();
        m_history->Invalidate();
    }
    m_scoreTabActive = true;
    if (m_returnsLeft >= 1) {
        --m_returnsLeft;
        ArmReturn();
    }
}

void AdvertBar::OnTabTimer()
{
    if (!m_scoreTabActive)
        return;
    engine::InputState input;
    GetInputState(&input);
    const bool over = input.x >= GetLeft() && input.x < GetRight() && input.y >= GetTop() && input.y < GetBottom();
    if (over)
        ArmReturn();
    else
        ShowAdvertTab();
}

bool AdvertBar::IsPageVisible() const
{
    return m_advertTab && m_advertTab->IsShown() && !m_scoreTabActive;
}

void AdvertBar::HidePage()
{
    if (m_page) {
        m_page->Hide();
        m_page->Invalidate();
    }
}

void AdvertBar::ShowPage()
{
    if (m_page && IsPageVisible()) {
        m_page->Show();
        m_page->Invalidate();
    }
}

int AdvertBar::OnEvent(const EngineEvent& event)
{
    switch (event.code) {
    case engine::EVT_SCROLL: OnHistoryScroll(event.ParamAs<const double>()); break;
    case engine::EVT_SCROLL_RIGHT: ScrollHistoryRight(); break;
    case engine::EVT_SCROLL_LEFT: ScrollHistoryLeft(); break;
    case EVT_ADVERT_TAB: ShowAdvertTab(); break;
    case EVT_SCORE_TAB: ShowScoreTab(); break;
    case EVT_ADVERT_RETURN: OnTabTimer(); break;
    case EVT_HISTORY_PRESS: m_returnsLeft = 0; break;
    case EVT_ADVERT_REFRESH: RefreshHistory(); break;
    default: break;
    }
    return BoundObject::OnEvent(event);
}

} // namespace frame
