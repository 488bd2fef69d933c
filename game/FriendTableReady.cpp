// The game's table view around the plays: the ready countdown and the start
// button, the seat events, the automatic move, the bonus counts with their
// fireworks, the award lines of the marquee and the QR-code picture.

#include "engine/controls/widgets/ImageButton.h"
#include "engine/controls/widgets/ImageNumber.h"
#include "engine/modules/ResourceModule.h"
#include "engine/objects/SpriteObject.h"
#include "frame/core/FormatLine.h"
#include "frame/core/FrameRecords.h"
#include "frame/core/GameConnection.h"
#include "frame/core/WireReader.h"
#include "cards/CardGameApp.h"
#include "cards/CardHand.h"
#include "game/FriendGameData.h"
#include "game/FriendPlayerBoard.h"
#include "game/FriendTableView.h"
#include "cards/HandCounts.h"
#include "game/QrCodePicture.h"
#include "platform/WindowMessages.h"
#include "table/Cards.h"
#include "table/FriendRecords.h"

#include <cstring>

namespace game {

namespace {

constexpr int kClockAboveStart = 45;
// The chair's seat record in the table state; its word at 56 counts the
// chair's bonuses.
constexpr size_t kSeatRecordBytes = 4 * table::kChairRecordSize;
constexpr size_t kSeatBonusWord = 56;
// 402000: +8 + 4c the bonus count of chair c.
constexpr size_t kBonusCountsAt = 8;
// 211010: +4 the chair that left, +32 the other players agreed.
constexpr size_t kLeftChair = 4;
constexpr size_t kLeftAgreed = 32;
constexpr size_t kLeftSize = 36;
constexpr size_t kNameField = 32;
constexpr char kQrPictureName[] = "QRCode_Image.bmp";
constexpr char kQrPictureLookup[] = "QRCode_Image"; // pictures go by name without extension

bool IsGameChair(int chair)
{
    return chair >= 0 && chair < kGameSeats;
}

constexpr uint32_t kWhite = 0xffffff;
constexpr uint32_t kYellow = 0x00ffff;
constexpr uint32_t kRed = 0x0000ff;


// A name field of an award body, cut on a character boundary.
std::string AwardName(const frame::WireReader& reader, size_t offset)
{
    return frame::GbkCut(reader.Text(offset, kNameField), kNameField - 1);
}

MarqueeLine AwardLine(const std::string& name, std::initializer_list<MarqueeSegment> rest)
{
    MarqueeLine line { { "恭喜手机玩家", kWhite }, { " " + name + " ", kYellow } };
    line.insert(line.end(), rest);
    return line;
}

// ---- the automatic lead ----

using hand_detail::CountValues;
using hand_detail::Histogram;
using hand_detail::kHistogram;

// The game orders values for its lead as at level 1 (the ace as level card).
constexpr int kLeadLevel = 1;
constexpr int kJokersInPlay = 4;
constexpr int kLargestLeadGroup = 8;

bool IsJokerValue(int value)
{
    return value == table::kSmallJokerValue || value == table::kBigJokerValue;
}

// The lowest-ordered value held exactly k times; 0 when there is none.
// With all four jokers in hand their pairs are kept together.
int LowestValueHeld(const Histogram& counts, int k, bool keepJokers)
{
    int best = 0;
    int bestOrder = 0;
    for (int v = 1; v < kHistogram; ++v) {
        if (counts[v] != k || (keepJokers && IsJokerValue(v)))
            continue;
        const int order = table::CallMapOrderValue(v, kLeadLevel);
        if (best == 0 || order < bestOrder) {
            best = v;
            bestOrder = order;
        }
    }
    return best;
}

// The lead for a player whose clock ran out: the lowest card's group, or,
// when that group is a bomb, the lowest small group; a hand of one value
// (jokers aside) goes out whole.
void SelectLead(CardHand& hand)
{
    std::vector<int> ids = hand.GetHandCards();
    const int n = hand.SortIdsByOrder(ids.data(), static_cast<int>(ids.size()));
    if (n == 0)
        return;
    const Histogram counts = CountValues(ids.data(), n);
    int values = 0;
    int jokers = 0;
    for (int v = 1; v < kHistogram; ++v) {
        if (IsJokerValue(v))
            jokers += counts[v];
        else
            values += counts[v] > 0;
    }
    if (values <= 1) {
        for (int v = 1; v < kHistogram; ++v)
            if (counts[v] > 0)
                hand.SelectCardsOfValue(v);
        return;
    }
    const int lowest = table::CardValue(ids[static_cast<size_t>(n - 1)]);
    if (counts[lowest] < 4) {
        hand.SelectCardsOfValue(lowest);
        return;
    }
    for (int k = 1; k <= kLargestLeadGroup; ++k)
        if (const int v = LowestValueHeld(counts, k, k == 2 && jokers == kJokersInPlay)) {
            hand.SelectCardsOfValue(v);
            return;
        }
    // Only groups larger than eight: the lowest of them rather than nothing.
    hand.SelectCardsOfValue(lowest);
}

} // namespace

// ---- ready countdown ----------------------------------------------------------------------

bool FriendTableView::IsReadyCountdownRoom() const
{
    const CardGameApp* app = GetApp();
    return app && app->IsRoomOptionB40() && app->IsRoomOptionB80();
}

bool FriendTableView::IsInGame() const
{
    const CardGameApp* app = GetApp();
    return app && app->IsInGame();
}

void FriendTableView::StartReadyCountdown(int seconds)
{
    StopReadyCountdown();
    if (!IsReadyCountdownRoom() || IsInGame())
        return;
    m_readyCountdown.Start(seconds);
    if (m_clockInUse) {
        m_clockInUse->SetValue(seconds);
        m_clockInUse->Refresh();
    }
    ShowClockAtStartButton();
}

void FriendTableView::StopReadyCountdown()
{
    if (m_readyCountdown.Stop())
        SetShown(m_clockInUse, false);
}

void FriendTableView::ShowClockAtStartButton()
{
    const engine::ImageButton* start = GetButton(kStartButton);
    if (!m_clockInUse || !start)
        return;
    m_clockInUse->MoveTo(start->GetX(), start->GetY() - kClockAboveStart);
    SetShown(m_clockInUse, true);
}

void FriendTableView::OnReadyCountdownTick()
{
    const ReadyCountdown::Step step = m_readyCountdown.Tick();
    if (step.warnSeconds)
        AddChatLine(frame::FormatLine(" <z=qh系统通知> <c=%d>%d秒<>内未准备, 您将被请离游戏!\r\n", 255, step.warnSeconds));
    if (step.shownSeconds >= 0) {
        if (m_clockInUse) {
            m_clockInUse->SetValue(step.shownSeconds);
            m_clockInUse->Refresh();
            m_clockInUse->Invalidate();
        }
        return;
    }
    if (!step.expired)
        return;
    // One close at expiry: a close the player refuses must not come back
    // every second with its requests and boxes.
    StopReadyCountdown();
    if (!IsInGame())
        CloseForNotReady();
}

void FriendTableView::CloseForNotReady()
{
    if (const CardGameApp* app = GetApp())
        platform::PostMessage(app->GetMainWindowHandle(), platform::kWmClose, 0, 0);
}

bool FriendTableView::AllOthersReady() const
{
    const GameState* state = GetGameState();
    if (!state)
        return false;
    const int own = MyChair();
    for (int chair = 0; chair < kGameSeats; ++chair)
        if (chair != own && !state->IsChairReady(chair))
            return false;
    return !state->IsChairReady(own);
}

// ---- start button and seat events -----------------------------------------------------------

void FriendTableView::ShowStartButton()
{
    // Lookers-on take no part in starting a round.
    if (IsLookerOn()) {
        SetShown(GetButton(kStartButton), false);
        return;
    }
    CardTableView::ShowStartButton();
    if (!m_readyCountdown.StartsOnClose())
        StartReadyCountdown(ReadyCountdown::StartSeconds(AllOthersReady()));
    else if (IsReadyCountdownRunning())
        ShowClockAtStartButton();
}

void FriendTableView::OnStartClicked()
{
    if (IsLookerOn()) {
        SetShown(GetButton(kStartButton), false);
        return;
    }
    CardTableView::OnStartClicked();
}

void FriendTableView::OnStartRefused(const std::string& /*text*/)
{
    // The table stays open: the player may press start again while the
    // ready countdown, where the room has one, still runs.
    const CardGameApp* app = GetApp();
    if (app && !app->IsInGame())
        ShowStartButton();
}

void FriendTableView::ShowReadyMarks()
{
    const CardGameApp* app = GetApp();
    const GameState* state = GetGameState();
    if (!app || !state)
        return;
    for (int chair = 0; chair < kGameSeats; ++chair)
        if (CardPlayerBoard* board = GetChairBoard(chair);
            board && app->IsChairOccupied(chair) && state->IsChairReady(chair))
            board->ShowReady();
}

void FriendTableView::RefreshBoards()
{
    const CardGameApp* app = GetApp();
    for (int chair = 0; chair < kGameSeats; ++chair)
        if (CardPlayerBoard* board = GetChairBoard(chair); board && app && app->IsChairOccupied(chair))
            board->UpdatePlayer(chair);
    ShowReadyMarks();
    if (!app || IsLookerOn())
        return;
    if (!app->IsRoomOptionB02() || app->GetReenterFlag())
        ShowStartButton();
    else if (!IsInGame())
        ShowWaitSolo();
}

void FriendTableView::OnPlayerStarted(int chair)
{
    if (!IsGameChair(chair))
        return;
    if (FriendPlayerBoard* board = GetGameChairBoard(chair))
        board->HideFinishRank();
    CardTableView::OnPlayerStarted(chair);
    if (chair == MyChair())
        StopReadyCountdown();
    else if (IsReadyCountdownRunning() && m_readyCountdown.ShortensFor(AllOthersReady()))
        StartReadyCountdown(ReadyCountdown::kShortSeconds);
}

void FriendTableView::OnPlayerEnter(engine::MessageWord record)
{
    CardTableView::OnPlayerEnter(record);
    // A player who sat down and pressed start before we entered: the table
    // information of the enter reply holds his ready flag.
    const auto* player = engine::FromWord<const frame::PlayerRecord>(record);
    const GameState* state = GetGameState();
    if (!player || !state || !IsGameChair(player->Chair()) || IsInGame() || !state->IsChairReady(player->Chair()))
        return;
    if (CardPlayerBoard* board = GetChairBoard(player->Chair()))
        board->ShowReady();
}

void FriendTableView::OnPlayerLeave(engine::MessageWord record)
{
    CardTableView::OnPlayerLeave(record);
    const auto* player = engine::FromWord<const frame::PlayerRecord>(record);
    FriendGameData* data = GetGameData();
    if (!player || !data || !IsGameChair(player->Chair()))
        return;
    const int chair = player->Chair();
    data->SetChairFlags(chair, data->GetChairFlags(chair) & ~FriendGameData::kReadyBit);
}

void FriendTableView::OnOwnExitAgreed(const uint8_t* body, size_t length)
{
    const frame::WireReader reader(body, length);
    if (!reader.Has(kLeftSize) || reader.Int(kLeftChair) != MyChair() || IsLookerOn())
        return;
    if (!IsReadyCountdownRoom() || reader.Int(kLeftAgreed) == 0)
        return;
    StopReadyCountdown();
    SetShown(GetButton(kStartButton), false);
}

void FriendTableView::OnTableChanged()
{
    CardTableView::OnTableChanged();
    ShowReadyMarks();
    StopReadyCountdown();
    ShowStartButton();
}

void FriendTableView::RequestChangeTable()
{
    CardGameApp* app = GetApp();
    if (!app || !IsReadyCountdownRoom() || app->IsRoomOptionB02())
        return;
    GameConnection* connection = app->GetConnection();
    std::string text;
    if (!connection || !connection->ChangeTable(text))
        return;
    if (CardPlayerBoard* board = GetPlayerBoard(0))
        board->HideReady();
    if (const engine::EngineObject* panel = GetResultPanel(); panel && panel->IsShown())
        CloseResultPanel();
    ShowStartButton();
}

void FriendTableView::OnPlayerBack(int chair)
{
    // The clocks are the turn's: the returning player's board loses its
    // offline mark, the clock in use stays as the turn left it.
    CardPlayerBoard* board = IsGameChair(chair) ? GetChairBoard(chair) : nullptr;
    if (!board || !board->IsOffline())
        return;
    AddChatLine(frame::FormatLine(" <z=qh系统通知> <c=%d>%s重新回到了游戏!\r\n", GetIntProperty(kPropNoticeChatColour),
        ChairName(chair).c_str()));
    board->SetOffline(0);
}

void FriendTableView::OnWaitSolo()
{
    CardTableView::OnWaitSolo();
    StopReadyCountdown();
    if (engine::EngineObject* panel = GetResultPanel(); panel && panel->IsShown()) {
        panel->Hide();
        panel->Invalidate();
    }
    ResetCards();
    ShowReadyMarks();
}

// ---- automatic play -------------------------------------------------------------------------

void FriendTableView::PlayForMe()
{
    // Outside the play phase (calling, dealing) there is nothing to move.
    const GameState* state = GetGameState();
    if (!state || (state->GetStatus() & FriendGameData::kStatusPlayPhase) == 0 || !MayMoveForMe())
        return;
    CardHand& hand = Hand();
    // Answering a play, the card layer's move is the game's.
    if (!hand.IsLeading()) {
        CardTableView::PlayForMe();
        return;
    }
    const bool wasOn = IsAutoPlayOn();
    hand.DeselectAll();
    SelectLead(hand);
    hand.UpdateThrowButton();
    if (const std::vector<int> ids = hand.GetThrowCards(); !ids.empty()) {
        HidePlayButtons();
        SendThrow(ids.data(), static_cast<int>(ids.size()));
    }
    // A player whose clock ran out stays on automatic play until he
    // switches it off.
    if (!wasOn)
        OnAutoPlayClicked();
}

// ---- bonus counts and awards ---------------------------------------------------------------------

int FriendTableView::GetBonusCount(int chair) const
{
    if (chair < 0 || chair >= kGameSeats)
        return 0;
    return TableWord(table::FriendTableState::kChairRecordsOffset + static_cast<size_t>(chair) * kSeatRecordBytes + kSeatBonusWord);
}

void FriendTableView::SetBonusCount(int chair, int count)
{
    SetTableWord(table::FriendTableState::kChairRecordsOffset + static_cast<size_t>(chair) * kSeatRecordBytes
            + kSeatBonusWord,
        count);
}

void FriendTableView::OnBonusCounts(const uint8_t* body, size_t length)
{
    const frame::WireReader reader(body, length);
    if (!reader.Has(kBonusCountsAt + 4 * kGameSeats))
        return;
    int rose = -1;
    for (int chair = 0; chair < kGameSeats; ++chair) {
        const int count = reader.Int(kBonusCountsAt + 4 * static_cast<size_t>(chair));
        if (count > GetBonusCount(chair))
            rose = chair;
        SetBonusCount(chair, count);
    }
    if (rose < 0)
        return;
    PlayTableSound("Snd_Cai");
    for (int chair = 0; chair < kGameSeats; ++chair)
        if (FriendPlayerBoard* board = GetGameChairBoard(chair))
            board->SetBombCount(GetBonusCount(chair));
    ShowFireworks(rose);
}

void FriendTableView::ShowFireworks(int chair)
{
    const FriendPlayerBoard* board = GetGameChairBoard(chair);
    if (!m_fireworks || !board)
        return;
    double x = 0;
    double y = 0;
    board->GetBombBadgePosition(&x, &y);
    CancelActionsOf(m_fireworks->GetId());
    m_fireworks->MoveTo(x, y);
    SetShown(m_fireworks, true);
    if (const int frames = m_fireworks->GetFrameCount(); frames > 0) {
        m_fireworks->SetFrame(0);
        const engine::EngineEvent done(GetId(), EVT_FIREWORKS_ENDED, 0, 0);
        PlayFrames(m_fireworks, 1, frames, 0, 0, &done);
    }
}

void FriendTableView::OnFireworksEnded()
{
    if (!m_fireworks)
        return;
    CancelActionsOf(m_fireworks->GetId());
    SetShown(m_fireworks, false);
}

void FriendTableView::OnWinStreakAward(const uint8_t* body, size_t length)
{
    constexpr size_t kName = 0, kRounds = 32, kSize = 36;
    const frame::WireReader reader(body, length);
    if (!reader.Has(kSize))
        return;
    m_marquee.Push(AwardLine(AwardName(reader, kName),
        { { "连赢", kWhite }, { frame::FormatLine(" %d ", reader.Int(kRounds)), kRed }, { "局", kWhite } }));
}

void FriendTableView::OnBonusAward(const uint8_t* body, size_t length)
{
    constexpr size_t kName = 4, kCount = 36, kSilver = 40, kDoubleRounds = 44, kSize = 48;
    const frame::WireReader reader(body, length);
    if (!reader.Has(kSize))
        return;
    m_marquee.Push(AwardLine(AwardName(reader, kName),
        { { "意气风发, 已累计打出了", kWhite }, { frame::FormatLine(" %d ", reader.Int(kCount)), kRed }, { "赏, 喜得", kWhite },
            { frame::FormatLine("%d两银子、%d局双倍积分", reader.Int(kSilver), reader.Int(kDoubleRounds)), kRed },
            { "的奖励。", kWhite } }));
}

void FriendTableView::OnRoundsAward(const uint8_t* body, size_t length)
{
    constexpr size_t kName = 4, kRounds = 36, kSilver = 40, kDoubleRounds = 44, kSize = 48;
    const frame::WireReader reader(body, length);
    if (!reader.Has(kSize))
        return;
    m_marquee.Push(AwardLine(AwardName(reader, kName),
        { { "勤勤恳恳玩了", kWhite }, { frame::FormatLine(" %d ", reader.Int(kRounds)), kRed },
            { "局，牌神感其诚，赏赐", kWhite },
            { frame::FormatLine("%d两银子、%d局双倍积分", reader.Int(kSilver), reader.Int(kDoubleRounds)), kRed },
            { "的奖励。", kWhite } }));
}

// ---- QR-code picture -----------------------------------------------------------------------------

void FriendTableView::BuildQrCodePicture(const std::string& text)
{
    const std::optional<QrModules> modules = EncodeQrText(text);
    engine::ResourceModule* resources = GetResourceModule();
    if (!modules || !resources)
        return;
    const std::vector<uint8_t> file = QrBitmapFile(*modules);
    // The picture decoded from an earlier text would otherwise stay in the
    // picture cache in place of the new one.
    FreePicture(kQrPictureLookup, false);
    resources->AddEntry(kQrPictureName, engine::MakeResourceBlock(file.data(), file.size()),
        static_cast<uint32_t>(file.size()));
}

} // namespace game
