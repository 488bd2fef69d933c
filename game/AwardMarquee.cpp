#include "game/AwardMarquee.h"

#include "engine/core/EngineEvent.h"
#include "engine/objects/CanvasObject.h"
#include "engine/objects/RectObject.h"
#include "platform/Gbk.h"

namespace game {

namespace {

constexpr uint32_t kKey = 0xff00ff;
constexpr double kLineDepth = 52000;
constexpr uint32_t kLineLink = 0x180A2;
constexpr int kTextIndent = 20;
constexpr int kLeftMargin = 150;
constexpr const char* kHornPicture = "获奖喇叭";
constexpr const char* kBoardPicture = "PlayerBoardSmall";

} // namespace

int MarqueeTextWidth(std::string_view text, int fontSize)
{
    int wide = 0;
    int narrow = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (platform::Gbk::IsLeadByte(static_cast<uint8_t>(text[i])) && i + 1 < text.size()) {
            ++wide;
            ++i;
        } else {
            ++narrow;
        }
    }
    return wide * fontSize + narrow * (fontSize / 2);
}

AwardMarquee::AwardMarquee(engine::RectObject& view)
    : m_view(view)
{
}

AwardMarquee::~AwardMarquee()
{
    if (m_tick)
        m_view.CancelAction(m_tick);
}

engine::Rect AwardMarquee::ViewRect() const
{
    engine::Rect rect;
    m_view.GetRect(&rect);
    return rect;
}

void AwardMarquee::UpdateBounds()
{
    const engine::Rect r = ViewRect();
    m_rightBound = r.right - 1;
    m_leftBound = r.left + kLeftMargin;
}

void AwardMarquee::Create(int width, int height, int fontSize, int fontWeight)
{
    m_width = width;
    m_height = height;
    m_fontSize = fontSize;
    m_fontWeight = fontWeight;
    if (m_line)
        return;
    const engine::Rect r = ViewRect();
    m_anchor = m_view.CreateCanvas(1, 1, kKey);
    m_line = m_view.CreateCanvas(width, height, kKey);
    if (!m_anchor || !m_line)
        return;
    m_anchor->Clear();
    m_anchor->MoveTo(r.right - 1, r.top + 2);
    m_line->SetZ(kLineDepth);
    m_line->SetTopmost();
    m_anchor->AddChild(m_line, kLineLink);
    m_line->MoveTo(r.right - width / 2.0, r.top + height / 2.0 + 2);
    m_line->Hide();
    m_line->Invalidate();
    UpdateBounds();
}

void AwardMarquee::Push(const MarqueeLine& line)
{
    m_queue.push_back(line);
    if (m_line && !m_line->IsShown())
        Next();
}

void AwardMarquee::Next()
{
    if (m_queue.empty() || !m_line)
        return;
    m_current = std::move(m_queue.front());
    m_queue.pop_front();
    if (m_boardHeight < 0) {
        engine::PictureDesc board;
        m_view.LookupPicture(&board, kBoardPicture, 0);
        m_boardHeight = board.record ? board.height : 0;
    }
    const engine::Rect r = ViewRect();
    m_line->MoveTo(r.left + (r.right - r.left) + m_width / 2.0, r.top + m_boardHeight + m_height / 2.0);
    UpdateBounds();
    m_line->Show();
    m_line->Invalidate();
    // The tick runs only while a line scrolls: an empty marquee costs the
    // idle table nothing.
    if (!m_tick) {
        const engine::EngineEvent tick(m_view.GetId(), EVT_MARQUEE_TICK, engine::ToWord(m_line));
        m_tick = m_view.RepeatEvent(kMarqueeTickMs, -1, &tick);
    }
}

int AwardMarquee::DrawLine(const MarqueeLine& line, int x0)
{
    if (!m_line)
        return 0;
    const int w = m_line->GetBufferWidth();
    const int h = m_line->GetBufferHeight();
    m_line->ClearRect(x0, 0, w, h);
    m_line->SetFont(m_fontSize, m_fontWeight, "宋体");
    m_line->SetTextSpacing(0, 7);
    engine::PictureDesc horn;
    m_view.LookupPicture(&horn, kHornPicture, 0);
    m_line->BlitPicture(horn, 0, 0, -1, -1, 0.0, 1.0);
    int x = x0 + kTextIndent;
    for (const MarqueeSegment& segment : line) {
        m_line->SetPen(segment.colour, 1.0);
        m_line->DrawText(x, 0, segment.text);
        x += MarqueeTextWidth(segment.text, m_fontSize);
    }
    return x - x0;
}

void AwardMarquee::Step()
{
    if (!m_line || !m_line->IsShown())
        return;
    const int x = static_cast<int>(m_line->GetX()) - kMarqueeStep;
    const double y = m_line->GetY();
    const int w = m_line->GetBufferWidth();
    const int h = m_line->GetBufferHeight();
    const int half = static_cast<int>(m_line->GetWidth()) / 2;
    m_line->MoveTo(x, y);
    const int drawn = DrawLine(m_current, 0);
    if (m_rightBound < x + half) {
        const int from = x - half < m_rightBound ? m_rightBound + half - x : 0;
        m_line->ClearRect(from, 0, w, h);
    }
    if (x - half < m_leftBound) {
        const int passed = m_leftBound + half - x;
        if (drawn < passed)
            m_line->Hide();
        else
            m_line->ClearRect(0, 0, passed, h);
    }
    m_line->Invalidate();
    if (m_line->IsShown())
        return;
    if (m_queue.empty() && m_tick) {
        m_view.CancelAction(m_tick);
        m_tick = 0;
    }
    Next();
}

void AwardMarquee::OnResize()
{
    if (!m_anchor)
        return;
    const engine::Rect r = ViewRect();
    // The running line keeps its place; only the bounds move.
    const double x = m_line ? m_line->GetX() : 0;
    const double y = m_line ? m_line->GetY() : 0;
    m_anchor->MoveTo(r.right - 1, r.top + 2);
    if (m_line)
        m_line->MoveTo(x, y);
    UpdateBounds();
}

} // namespace game
