#include "cards/ChatBubble.h"

#include "engine/objects/CanvasObject.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/SpriteObject.h"
#include "engine/text/TextRenderer.h"
#include "frame/ui/FaceTables.h"

#include <array>

namespace game {

namespace {

constexpr uint32_t kKey = 0xff00ff;
constexpr uint32_t kTextColour = 0x01CFFB; // 0x00BBGGRR: warm gold
constexpr int kFontSize = 15;
constexpr double kBubbleDepth = 2000;
constexpr double kTextAbove = 0.001;
constexpr double kEmoticonAbove = 1e-7;
constexpr uint32_t kEmoticonLink = 0x1900A2;
constexpr int kRowStep = 48;
constexpr int kEmoticonStep = 48;
constexpr int kFirstRow = 34;
constexpr int kEmoticonHalf = 24;
constexpr int kEmoticonLift = 14 - 24; // the sprite's centre row from the text row
constexpr const char* kBubblePicture = "chat";
constexpr const char* kBoardPicture = "PlayerBoardSmall";
// The frame of "chat" by screen seat: the tail points at the speaker.
constexpr std::array<int, 4> kBubbleFrames = { 0, 3, 4, 0 };

bool IsLead(char c)
{
    return static_cast<uint8_t>(c) >= 0x80;
}

// The next token of the rest: an emoticon code (true), or the text up to
// the next '#' after its first byte.
bool NextToken(std::string_view& rest, std::string_view& token)
{
    if (rest.front() == '#' && frame::IsEmoticonCode(rest.substr(0, frame::kEmoticonCodeBytes))) {
        token = rest.substr(0, frame::kEmoticonCodeBytes);
        rest.remove_prefix(token.size());
        return true;
    }
    const size_t end = rest.find('#', 1);
    token = rest.substr(0, end);
    rest.remove_prefix(token.size());
    return false;
}

} // namespace

std::vector<BubbleItem> LayoutBubbleText(std::string_view text, const BubbleMetrics& metrics,
    const std::function<bool(std::string_view picture)>& hasPicture)
{
    std::vector<BubbleItem> items;
    int x = 0;
    int y = kFirstRow;
    std::string_view rest = text;
    while (!rest.empty()) {
        std::string_view token;
        if (NextToken(rest, token)) {
            std::string picture = frame::EmoticonPicture(frame::EmoticonName(token));
            if (hasPicture && !hasPicture(picture))
                continue;
            if (x + kEmoticonStep > metrics.wrap) {
                x = 0;
                y += kRowStep;
            }
            const int centreY = static_cast<int>(metrics.top + y + kEmoticonLift);
            if (!(metrics.bottom > centreY + kEmoticonHalf))
                continue;
            items.push_back({ true, std::move(picture), x, y });
            x += kEmoticonStep;
            continue;
        }
        for (size_t i = 0; i < token.size();) {
            // A lead byte without its second byte is drawn alone.
            const size_t n = IsLead(token[i]) && i + 1 < token.size() ? 2 : 1;
            const int width = n == 2 ? metrics.wide : metrics.narrow;
            if (x + width > metrics.wrap) {
                x = 0;
                y += kRowStep;
            }
            items.push_back({ false, std::string(token.substr(i, n)), x, y });
            x += width;
            i += n;
        }
    }
    return items;
}

ChatBubble::ChatBubble(engine::GameObject& board)
    : m_board(board)
{
}

void ChatBubble::Create()
{
    if (m_canvas)
        return;
    m_canvas = m_board.CreateCanvas(kBubbleWidth, kBubbleHeight, kKey);
    m_text = m_board.CreateCanvas(kBubbleTextWidth, kBubbleTextHeight, kKey);
    if (!m_canvas || !m_text)
        return;
    m_canvas->SetTopmost();
    m_canvas->SetZ(kBubbleDepth);
    m_text->SetZ(kBubbleDepth + kTextAbove);
    m_canvas->AddChild(m_text, engine::LINK_STANDARD);
    HideCanvas();
}

void ChatBubble::Show(std::string_view text, const engine::Rect& table)
{
    if (table.bottom - table.top < kBubbleMinTableHeight || !m_canvas || !m_text)
        return;
    HideCanvas();
    Clear();
    if (m_timer)
        m_board.CancelAction(m_timer);
    m_timer = 0;
    m_canvas->Clear();

    engine::PictureDesc desc;
    m_board.LookupPicture(&desc, kBubblePicture, kBubbleFrames[static_cast<size_t>(m_seat & 3)]);
    if (desc.record)
        m_canvas->BlitPicture(desc, (kBubbleWidth - desc.width) / 2, (kBubbleHeight - desc.height) / 2, -1, -1, 0.0,
            1.0);

    m_text->Clear();
    m_text->SetPen(kTextColour, 1.0);
    m_text->SetFont(kFontSize, 400, "宋体");
    Place(table); // the text canvas first takes its place: emoticons are placed from it
    if (frame::ContainsEmoticon(text))
        DrawMixed(text);
    else
        m_text->DrawText(0, 0, text);

    m_canvas->Show();
    m_canvas->Invalidate();
    m_text->Invalidate();
    const engine::EngineEvent hide(m_board.GetId(), EVT_BUBBLE_HIDE);
    m_timer = m_board.Delay(kBubbleShowMs, &hide);
}

void ChatBubble::DrawMixed(std::string_view text)
{
    m_text->SetTextSpacing(0, 0);
    engine::TextRenderer renderer;
    renderer.SetStyle(m_text->Style());
    BubbleMetrics metrics;
    int height = 0;
    renderer.MeasureText(0, 0, "我", metrics.wide, height);
    renderer.MeasureText(0, 0, "w", metrics.narrow, height);
    metrics.top = m_text->GetTop();
    metrics.bottom = m_text->GetBottom();
    const auto hasPicture = [this](std::string_view name) {
        engine::PictureDesc desc;
        m_board.LookupPicture(&desc, name, 0);
        return desc.record != nullptr;
    };
    for (const BubbleItem& item : LayoutBubbleText(text, metrics, hasPicture)) {
        if (item.emoticon)
            AddEmoticon(item);
        else
            m_text->DrawText(item.x, item.y, item.text);
    }
}

void ChatBubble::AddEmoticon(const BubbleItem& item)
{
    engine::PictureDesc desc;
    m_board.LookupPicture(&desc, item.text, 0);
    engine::SpriteObject* sprite = m_board.CreateSprite(desc);
    if (!sprite)
        return;
    m_text->AddChild(sprite, kEmoticonLink);
    sprite->SetZ(m_text->GetZ() + kEmoticonAbove);
    sprite->MoveTo(static_cast<int>(m_text->GetLeft() + item.x + kEmoticonHalf),
        static_cast<int>(m_text->GetTop() + item.y + kEmoticonLift));
    sprite->Show();
    m_board.PlayFrames(sprite, 0, -1, 0, 0, nullptr);
    m_emoticons.push_back(sprite);
}

void ChatBubble::Clear()
{
    if (m_text)
        m_text->RemoveAllChildren();
    for (engine::SpriteObject* sprite : m_emoticons)
        m_board.RemoveObject(sprite, 1);
    m_emoticons.clear();
}

void ChatBubble::Place(const engine::Rect& table)
{
    if (!m_canvas)
        return;
    const int l = table.left;
    const int t = table.top;
    const int w = table.right - table.left;
    const int h = table.bottom - table.top;
    if (h < kBubbleMinTableHeight) {
        HideCanvas();
        return;
    }
    engine::PictureDesc board;
    m_board.LookupPicture(&board, kBoardPicture, 0);
    const double bh = board.record ? board.height : 0;
    const double bw = m_canvas->GetWidth();
    const double bhb = m_canvas->GetHeight();
    double x = 0;
    double y = 0;
    switch (m_seat) {
    case 0:
        x = l + w / 2 - 250;
        y = static_cast<int>(t + h - bh - bhb / 2 - 150);
        break;
    case 1:
        x = static_cast<int>(l + bh + bw / 2 + 130);
        y = t + h / 2 - 100;
        break;
    case 2:
        x = l + w / 2 - 200;
        y = static_cast<int>(t + bh + bhb / 2 + 28);
        break;
    default:
        x = static_cast<int>(l + w - bh - bw / 2 - 130);
        y = t + h / 2 - 95;
        break;
    }
    m_canvas->MoveTo(x, y);
    if (m_text)
        m_text->MoveTo(x, y + (m_seat == 2 ? 20 : -5));
}

bool ChatBubble::OnEvent(const engine::EngineEvent& event)
{
    if (event.code != EVT_BUBBLE_HIDE)
        return false;
    m_timer = 0;
    HideCanvas();
    Clear();
    return true;
}

void ChatBubble::HideCanvas()
{
    if (!m_canvas)
        return;
    // Hidden objects are taken off the screen by a redraw of their place.
    m_canvas->Hide();
    m_canvas->Invalidate();
}

} // namespace game
