// The table's sound and what players say at their seats: effects and
// background music by the player's settings, the chair's voice naming each
// play and pass, quick-chat phrases spoken and shown in the speaker's board
// bubble, and chat lines at the seats as a short-lived text bubble or an
// animated emoticon.

#include "engine/modules/MusicModule.h"
#include "engine/objects/CanvasObject.h"
#include "engine/objects/SpriteObject.h"
#include "frame/core/FrameRecords.h"
#include "frame/core/WireReader.h"
#include "frame/ui/FaceTables.h"
#include "game/FriendGameApp.h"
#include "game/FriendGameData.h"
#include "game/FriendPlayerBoard.h"
#include "game/FriendTableView.h"
#include "table/Cards.h"
#include "table/Random.h"

#include <algorithm>
#include <array>

namespace game {

namespace {

constexpr const char* kMusic = "default";
constexpr int kMusicLoops = 10000;
constexpr int kChatLineKind = 8;
constexpr const char* kSeatBubblePicture = "chat";
// The bubble's frame whose tail points at each screen seat.
constexpr std::array<int, kGameSeats> kSeatBubbleFrames = { 2, 3, 1, 0 };
constexpr double kSeatBubbleDepth = 59999.5;
constexpr double kSeatTextDepth = 59999.9;
constexpr int kSeatTextWidth = 160;
constexpr int kSeatTextHeight = 80;
constexpr uint32_t kSeatTextKey = 0xff00ff;
constexpr uint32_t kSeatTextPen = 0xffffff;
constexpr int kSeatTextFont = 14;
constexpr uint32_t kSeatTextLink = 0x180020;
constexpr uint32_t kSeatTextMs = 3000;
// A chat line's text shown at a seat keeps at most this many bytes.
constexpr size_t kSeatTextBytes = 63;
constexpr double kSeatEmoticonDepth = 52000.0;
constexpr uint32_t kEmoticonShowMs = 2500;
constexpr size_t kEmoticonCodeBytes = 4;

bool IsLeadByte(char c)
{
    return (static_cast<unsigned char>(c) & 0x80) != 0;
}

// The first `limit` bytes or fewer, never half a two-byte character.
std::string_view CutAtCharacter(std::string_view text, size_t limit)
{
    size_t at = 0;
    while (at < text.size()) {
        const size_t step = IsLeadByte(text[at]) && at + 1 < text.size() ? 2 : 1;
        if (at + step > limit)
            break;
        at += step;
    }
    return text.substr(0, at);
}

// The rank's number, 2 to 14.
int CardNumber(int id)
{
    return table::CallCardFace(id) + 1;
}

} // namespace

// ---- naming -----------------------------------------------------------------------------------

std::string VoicePrefix(int voiceWord)
{
    return voiceWord != 0 ? "woman_" : "man_";
}

std::string PlayVoiceSuffix(const table::PlayRecord& play, bool trickOpen, int bombDraw)
{
    const int id = play.cards[0];
    const int face = id >= 0 ? id % table::kFacesPerDeck : -1;
    const bool joker = id >= 0 && table::CallCardSuit(id) == table::kJokerSuit;
    const std::string n = id >= 0 && !joker ? std::to_string(CardNumber(id)) : std::string();
    switch (play.type) {
    case table::CT_SINGLE:
        if (face == table::kSmallJokerFace)
            return "小王";
        if (face == table::kBigJokerFace)
            return "大王";
        return n.empty() ? "" : "单" + n;
    case table::CT_PAIR:
        if (face == table::kSmallJokerFace)
            return "对小王";
        if (face == table::kBigJokerFace)
            return "对大王";
        return n.empty() ? "" : "对" + n;
    case table::CT_TRIPLE:
        return n.empty() ? "" : "三个" + n;
    case table::CT_STRAIGHT:
        return "顺子";
    case table::CT_PAIR_RUN:
        return "连对";
    case table::CT_BOMB:
        return trickOpen ? "炸1" : "炸" + std::to_string(std::clamp(bombDraw, 0, 1) + 2);
    case table::CT_FOUR_JOKERS:
        return "炸2";
    default:
        return "";
    }
}

std::string CutChatVoiceText(std::string_view text)
{
    const size_t mark = text.find('>');
    std::string_view cut = mark == std::string_view::npos ? text : text.substr(mark + 1);
    // The line ends with a closing pair ("\r\n"); a shorter text has none.
    if (cut.size() >= 2)
        cut.remove_suffix(2);
    return std::string(cut);
}

bool StripMarkup(std::string_view text, std::string& out)
{
    out.clear();
    int depth = 0;
    for (const char c : text) {
        if (c == '<')
            ++depth;
        else if (c == '>' && depth > 0)
            --depth;
        else if (depth == 0)
            out.push_back(c);
    }
    return !out.empty() && out.front() != '#';
}

// ---- sound ------------------------------------------------------------------------------------

// The music is a MIDI song (channel 0) or a sampled loop on its own channel.
bool FriendTableView::IsMusicPlaying()
{
    const auto* music = dynamic_cast<engine::MusicModule*>(GetMusicModule());
    if (!music)
        return false;
    return music->IsPlaying(0) != 0 || (m_musicChannel != 0 && music->IsPlaying(m_musicChannel) != 0);
}

void FriendTableView::ApplySoundSettings()
{
    auto* app = dynamic_cast<FriendGameApp*>(GetApp());
    if (!app) {
        CardTableView::ApplySoundSettings();
        return;
    }
    const bool effects = app->Settings().soundEffect != 0;
    const bool music = app->Settings().music != 0;
    SetMute(effects ? 0 : 1);
    if (music && IsMusicPlaying())
        return;
    // The music plays through the effects' mute: it is lifted for the call.
    if (!effects)
        SetMute(0);
    if (music) {
        m_musicChannel = static_cast<uint32_t>(std::max(PlaySound(kMusic, kMusicLoops, nullptr), 0));
    } else {
        UnloadSound(kMusic);
        m_musicChannel = 0;
    }
    if (!effects)
        SetMute(1);
}

bool FriendTableView::IsDialectMuted() const
{
    const auto* app = dynamic_cast<const FriendGameApp*>(GetApp());
    return app && app->IsDialectMuted();
}

std::string FriendTableView::ChairVoicePrefix(int chair) const
{
    const CardGameApp* app = GetApp();
    const frame::PlayerRecord* player = app ? app->GetSeatPlayer(chair) : nullptr;
    return VoicePrefix(player ? player->Word68() : 0);
}

// The card layer has sounded the play's effect and taken it as the last
// play; the table state still holds the play before it.
void FriendTableView::PlayPlayVoice(int chair, const table::PlayRecord& play)
{
    if (IsDialectMuted())
        return;
    const FriendGameData* data = GetGameData();
    const bool open = (data ? data->GetTableState().lastPlayChair : GetLastPlayChair()) == -1;
    const int draw = play.type == table::CT_BOMB && !open ? table::RandomBelow(2) : 0;
    const std::string suffix = PlayVoiceSuffix(play, open, draw);
    if (!suffix.empty())
        PlayTableSound(ChairVoicePrefix(chair) + suffix);
}

void FriendTableView::PlayPassVoice(int chair)
{
    if (!IsDialectMuted())
        PlayTableSound(ChairVoicePrefix(chair) + "过" + std::to_string(table::RandomBelow(3) + 1));
}

// ---- chat -------------------------------------------------------------------------------------

// 211200: +0 the sender's user id, +8 the kind, +36 the text.
void FriendTableView::OnTableChatLine(const uint8_t* body, size_t length)
{
    const frame::WireReader reader(body, length);
    CardGameApp* app = GetApp();
    if (!app || !reader.Has(36) || reader.Int(8) != kChatLineKind)
        return;
    const int user = reader.Int(0);
    const frame::PlayerRecord* sender = app->FindPlayer(user);
    if (!sender || app->IsLookOnUser(user))
        return;
    const int chair = app->GetUserChair(user);
    const std::string text = CutChatVoiceText(reader.Text(36, length));
    if (text.empty())
        return;
    const auto phrases = frame::QuickChatPhrases();
    if (std::find(phrases.begin(), phrases.end(), text) != phrases.end()) {
        PlayTableSound(VoicePrefix(sender->Word68()) + "chat_" + text);
    }
    if (FriendPlayerBoard* board = GetGameChairBoard(chair))
        board->ShowChatBubble(text);
}

// 201210: +12 the chair, +48 the text.
void FriendTableView::ShowChatLine(const uint8_t* body, size_t length)
{
    const frame::WireReader reader(body, length);
    const int chair = reader.Int(12);
    if (!reader.Has(48) || chair < 0 || chair >= kGameSeats)
        return;
    const int position = ChairToView(chair);
    if (position < 0 || position >= kGameSeats)
        return;
    const std::string text = reader.Text(48, length);
    std::string plain;
    if (!StripMarkup(text, plain)) {
        ShowSeatEmoticonAt(position, text);
        return;
    }
    m_seatChat[static_cast<size_t>(position)].line = std::string(CutAtCharacter(plain, kSeatTextBytes));
    ShowSeatText(position);
}

void FriendTableView::CreateSeatChat(int position)
{
    SeatChat& seat = m_seatChat[static_cast<size_t>(position)];
    if (seat.bubble)
        return;
    engine::PictureDesc picture;
    LookupPicture(&picture, kSeatBubblePicture, kSeatBubbleFrames[static_cast<size_t>(position)]);
    seat.bubble = CreateCanvas(std::max(picture.width, 1), std::max(picture.height, 1), kSeatTextKey);
    seat.text = CreateCanvas(kSeatTextWidth, kSeatTextHeight, kSeatTextKey);
    if (!seat.bubble || !seat.text)
        return;
    if (picture.record)
        seat.bubble->BlitPicture(picture, 0, 0, -1, -1, 0.0, 1.0);
    seat.bubble->SetZ(kSeatBubbleDepth);
    seat.text->SetZ(kSeatTextDepth);
    seat.text->SetFont(kSeatTextFont, 400, "宋体");
    seat.text->SetPen(kSeatTextPen, 1.0);
    seat.text->SetTextSpacing(2, 1);
    seat.bubble->AddChild(seat.text, kSeatTextLink);
    seat.bubble->Hide();
    seat.text->Hide();
}

void FriendTableView::PlaceSeatChat(int position, int width, int height)
{
    const SeatChat& seat = m_seatChat[static_cast<size_t>(position)];
    if (!seat.bubble || !seat.text)
        return;
    const int e = GetIntProperty(kPropBigCardHeight);
    const int f = GetIntProperty(kPropSmallCardHeight);
    const int g = GetIntProperty(kPropSmallBoardHeight);
    const int h = GetIntProperty(kPropBigCardWidth);
    const double bw = seat.bubble->GetWidth();
    const double bh = seat.bubble->GetHeight();
    const Area area = ViewArea();
    const double left = area.left;
    const double top = area.top;
    double x = 0;
    double y = 0;
    switch (position) {
    case 0:
        x = (width + h) / 2;
        y = height - g - e - 8 - bh / 2 - 60;
        break;
    case 1:
        x = g + f + 8 + bw / 2 + 60;
        y = height / 2 - h / 4;
        break;
    case 2:
        x = width / 2;
        y = g + f + 8 + bh / 2 + 60;
        break;
    default:
        x = width - g - f - 8 - bw / 2 - 60;
        y = height / 2 - h / 4;
        break;
    }
    seat.bubble->MoveTo(left + x, top + y);
    const double l = seat.bubble->GetLeft();
    const double t = seat.bubble->GetTop() + (position == 2 ? 45 : 20);
    seat.text->MoveTo((2 * l + 185) / 2, (2 * t + 81) / 2);
}

void FriendTableView::PlaceSeatChats()
{
    const Area area = ViewArea();
    for (int position = 0; position < kGameSeats; ++position)
        PlaceSeatChat(position, area.width, area.height);
}

void FriendTableView::ShowSeatText(int position)
{
    if (position < 0 || position >= kGameSeats)
        return;
    CreateSeatChat(position);
    SeatChat& seat = m_seatChat[static_cast<size_t>(position)];
    if (!seat.bubble || !seat.text)
        return;
    const Area area = ViewArea();
    PlaceSeatChat(position, area.width, area.height);
    seat.text->Clear();
    seat.text->DrawText(10, 5, seat.line);
    seat.bubble->Show();
    seat.text->Show();
    seat.bubble->Invalidate();
    if (seat.hideAction)
        CancelAction(seat.hideAction);
    const engine::EngineEvent ended(GetId(), EVT_SEAT_CHAT_ENDED, position);
    seat.hideAction = Delay(kSeatTextMs, &ended);
}

void FriendTableView::OnSeatChatEnded(int position)
{
    if (position < 0 || position >= kGameSeats)
        return;
    SeatChat& seat = m_seatChat[static_cast<size_t>(position)];
    seat.line.clear();
    seat.hideAction = 0;
    if (seat.bubble) {
        seat.bubble->Hide();
        seat.bubble->Invalidate();
    }
    if (seat.text)
        seat.text->Hide();
}

// ---- emoticons --------------------------------------------------------------------------------

void FriendTableView::ShowSeatEmoticon(int chair, std::string_view code)
{
    if (chair >= 0 && chair < kGameSeats)
        ShowSeatEmoticonAt(ChairToView(chair), code);
}

void FriendTableView::ShowSeatEmoticonAt(int position, std::string_view text)
{
    if (position < 0 || position >= kGameSeats)
        return;
    const size_t mark = text.find('#');
    if (mark == std::string_view::npos)
        return;
    const std::string_view code = CutAtCharacter(text.substr(mark + 1), kEmoticonCodeBytes);
    engine::PictureDesc picture;
    LookupPicture(&picture, frame::EmoticonPicture(code), 0);
    if (!picture.record)
        return;
    SeatChat& seat = m_seatChat[static_cast<size_t>(position)];
    if (!seat.emoticon) {
        seat.emoticon = CreateSprite(picture);
        if (!seat.emoticon)
            return;
        seat.emoticon->SetZ(kSeatEmoticonDepth);
    }
    engine::SpriteObject* sprite = seat.emoticon;
    CancelActionsOf(sprite->GetId());
    sprite->Hide();
    sprite->SetPicture(picture, true);
    if (seat.emoticonAction)
        CancelAction(seat.emoticonAction);
    seat.emoticonAction = 0;
    const CardPoint at = EmoticonPosition(position);
    sprite->MoveTo(at.x, at.y);
    sprite->Show();
    sprite->Invalidate();
    const engine::EngineEvent ended(GetId(), EVT_SEAT_EMOTICON_ENDED, position);
    if (sprite->GetFrameCount() < 2 || sprite->GetTotalDuration() <= kEmoticonShowMs) {
        PlayFrames(sprite, 0, -1, 0, 0, nullptr);
        seat.emoticonAction = Delay(kEmoticonShowMs, &ended);
    } else {
        seat.emoticonAction = PlayFrames(sprite, 0, 1, 0, 0, &ended);
    }
}

void FriendTableView::OnSeatEmoticonEnded(int position)
{
    if (position < 0 || position >= kGameSeats)
        return;
    SeatChat& seat = m_seatChat[static_cast<size_t>(position)];
    seat.emoticonAction = 0;
    if (!seat.emoticon)
        return;
    CancelActionsOf(seat.emoticon->GetId());
    seat.emoticon->Hide();
    seat.emoticon->Invalidate();
}

CardPoint FriendTableView::EmoticonPosition(int position) const
{
    const CardPlayerBoard* board = GetPlayerBoard(position);
    const engine::EngineObject* plate = board ? board->GetBoardCanvas() : nullptr;
    const Area area = ViewArea();
    const double w = area.width;
    const double h = area.height;
    const double x = plate ? plate->GetX() : area.left + w / 2;
    const double y = plate ? plate->GetY() : area.top + h / 2;
    switch (position) {
    case 0: return { static_cast<int>(x), static_cast<int>(y - 0.35 * h) };
    case 1: return { static_cast<int>(x + 0.3 * w), static_cast<int>(y) };
    case 2: return { static_cast<int>(x), static_cast<int>(y + 0.3 * h) };
    default: return { static_cast<int>(x - 0.3 * w), static_cast<int>(y) };
    }
}

// ---- access -----------------------------------------------------------------------------------

engine::CanvasObject* FriendTableView::GetSeatBubble(int position) const
{
    return position >= 0 && position < kGameSeats ? m_seatChat[static_cast<size_t>(position)].bubble : nullptr;
}

engine::CanvasObject* FriendTableView::GetSeatTextCanvas(int position) const
{
    return position >= 0 && position < kGameSeats ? m_seatChat[static_cast<size_t>(position)].text : nullptr;
}

const std::string& FriendTableView::GetSeatText(int position) const
{
    static const std::string kNone;
    return position >= 0 && position < kGameSeats ? m_seatChat[static_cast<size_t>(position)].line : kNone;
}

engine::SpriteObject* FriendTableView::GetSeatEmoticon(int position) const
{
    return position >= 0 && position < kGameSeats ? m_seatChat[static_cast<size_t>(position)].emoticon : nullptr;
}

} // namespace game
