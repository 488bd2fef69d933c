// The game's notifications: each handler checks the record it reads against
// the body and the chairs against the table before the game data, the views
// or the application see anything.

#include "game/FriendNotifyHandler.h"

#include "engine/core/EngineObject.h"
#include "engine/objects/COrbitVaneWnd.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/core/GameFrameCalls.h"
#include "frame/core/WireReader.h"
#include "game/FriendGameData.h"
#include "game/FriendTableCalls.h"
#include "table/FriendRecords.h"

#include <algorithm>
#include <array>
#include <string>

namespace game {

namespace {

constexpr uint32_t kNotifyGameAborted = 211000;
constexpr uint32_t kNotifyPlayerLeft = 211010;
constexpr uint32_t kNotifyQrCodeText = 211920;

constexpr std::array kGameIds = { kNotifyRoundStart, kNotifyRoundResult, kNotifyTableState, kNotifyBonusCounts,
    kNotifyWinStreakAward, kNotifyBonusAward, kNotifyRoundsAward };

// The boxes of players leaving: picture head, animated.
constexpr uint32_t kSorryFlags = frame::SIB_HEAD_PICTURE | frame::SIB_HEAD_ANIMATED;
constexpr const char* kSorryHead = "vkf抱歉";

using frame::WireReader;

// The amount the player lost, as a positive number (the wire sends the
// change). Wraps instead of overflowing for the most negative int.
int32_t Deduction(int32_t change)
{
    return static_cast<int32_t>(0u - static_cast<uint32_t>(change));
}

} // namespace

std::span<const uint32_t> FriendNotifyHandler::GameIds()
{
    return kGameIds;
}

FriendNotifyHandler::FriendNotifyHandler(CGameFrameApp& app)
    : CardNotifyHandler(app)
{
}

FriendNotifyHandler::~FriendNotifyHandler() = default;

void FriendNotifyHandler::Dispatch(uint32_t id, const uint8_t* body, size_t length)
{
    if (!body)
        length = 0;
    FriendTableCalls* view = FriendCalls();
    switch (id) {
    case kNotifyRoundStart: OnRoundStart(body, length); break;
    case kNotifyRoundResult: OnRoundResult(body, length); break;
    case kNotifyTableState: OnTableState(body, length); break;
    case kNotifyBonusCounts:
        if (view)
            view->OnBonusCounts(body, length);
        break;
    case kNotifyWinStreakAward:
        if (view)
            view->OnWinStreakAward(body, length);
        break;
    case kNotifyBonusAward:
        if (view)
            view->OnBonusAward(body, length);
        break;
    case kNotifyRoundsAward:
        if (view)
            view->OnRoundsAward(body, length);
        break;
    default: CardNotifyHandler::Dispatch(id, body, length); return;
    }
    ForwardToRecorder(id, body, length);
}

FriendTableCalls* FriendNotifyHandler::FriendCalls() const
{
    return dynamic_cast<FriendTableCalls*>(App().GetTableView());
}

FriendGameData* FriendNotifyHandler::GameData() const
{
    return dynamic_cast<FriendGameData*>(App().GetGameState());
}

void FriendNotifyHandler::BringMainWindowToFront() const
{
    if (engine::COrbitVaneWnd* window = App().GetMainWindow())
        window->GetWindow().BringToFront();
}

// ---- rounds and the table state -------------------------------------------------------

void FriendNotifyHandler::OnRoundStart(const uint8_t* body, size_t length)
{
    if (!BodyHolds(kNotifyRoundStart, length, FriendGameData::kStartSize))
        return;
    App().BeginGame();
    if (FriendGameData* data = GameData())
        data->BeginRound(body, length);
    if (FriendTableCalls* view = FriendCalls())
        view->ShowRoundHeader();
}

void FriendNotifyHandler::OnSeatPlayersTail(const uint8_t* tail, size_t length)
{
    // A seat list without a start record behind it starts no round.
    if (length > 0)
        OnRoundStart(tail, length);
}

void FriendNotifyHandler::OnRoundResult(const uint8_t* body, size_t length)
{
    if (!BodyHolds(kNotifyRoundResult, length, FriendGameData::kResultSize))
        return;
    App().EndGame();
    if (FriendGameData* data = GameData())
        data->EndRound(body, length);
    App().ApplyRoundResult(body, length);
    if (FriendTableCalls* view = FriendCalls())
        view->ShowRoundResultLines();
}

void FriendNotifyHandler::OnTableState(const uint8_t* body, size_t length)
{
    constexpr size_t kSize = FriendGameData::kTableStateSize;
    if (!BodyHolds(kNotifyTableState, length, kSize))
        return;
    FriendTableCalls* view = FriendCalls();
    if (view)
        view->ResetRoundState();
    const std::span<uint8_t> state = App().GetLookOnDataBuffer();
    std::copy_n(body, std::min(kSize, state.size()), state.begin());
    if (auto* pane = dynamic_cast<FriendPaneCalls*>(App().GetSystemPane())) {
        if (App().IsMatchMode())
            pane->RefreshMatchList();
        else
            pane->RefreshScores();
    }
    if (view)
        view->RefreshSeatedBoards();
}

// ---- chat and texts -----------------------------------------------------------------------

void FriendNotifyHandler::OnChatText(const uint8_t* body, size_t length)
{
    GameNotifyHandler::OnChatText(body, length);
    if (FriendTableCalls* view = FriendCalls())
        view->ShowChatLine(body, length);
}

void FriendNotifyHandler::OnChatText2(const uint8_t* body, size_t length)
{
    if (FriendTableCalls* view = FriendCalls())
        view->OnTableChatLine(body, length);
    GameNotifyHandler::OnChatText2(body, length);
}

void FriendNotifyHandler::On211920(const uint8_t* body, size_t length)
{
    constexpr size_t kText = 32;
    if (!BodyHolds(kNotifyQrCodeText, length, kText + 1))
        return;
    const std::string text = WireReader(body, length).Text(kText, length - kText);
    if (text.empty())
        return;
    if (FriendTableCalls* view = FriendCalls())
        view->BuildQrCodePicture(text);
}

// ---- players leaving ------------------------------------------------------------------------

void FriendNotifyHandler::OnGameAborted(const uint8_t* body, size_t length)
{
    constexpr size_t kChair = 4, kForced = 8, kScore = 20, kSilver = 24, kSize = 28;
    // The table ends whatever the body holds; only the notice needs it.
    GameNotifyHandler::OnGameAborted(body, length);
    BringMainWindowToFront();
    // The link is closed already: the player is told even when the body
    // does not say who left (no name then) or how.
    std::string text = "已经离开，游戏结束。";
    if (BodyHolds(kNotifyGameAborted, length, kSize)) {
        const WireReader reader(body, length);
        const int chair = reader.Int(kChair);
        const std::string name = IsTableChair(kNotifyGameAborted, chair) ? App().GetChairDisplayName(chair) + " " : "";
        text = reader.Int(kForced) != 0
            ? name + "已经强行退出，游戏结束。(扣除" + std::to_string(Deduction(reader.Int(kSilver))) + "两,"
                + std::to_string(Deduction(reader.Int(kScore))) + "分)"
            : name + text;
    }
    App().ShowNoticeBox(text, 10, kSorryFlags, kSorryHead);
}

void FriendNotifyHandler::OnPlayerLeft(const uint8_t* body, size_t length)
{
    constexpr size_t kChair = 4, kAgreed = 32, kSize = 36;
    if (!BodyHolds(kNotifyPlayerLeft, length, kSize))
        return;
    const WireReader reader(body, length);
    const int chair = reader.Int(kChair);
    if (!IsTableChair(kNotifyPlayerLeft, chair))
        return;
    frame::PlayerRecord& seat = *App().GetSeatPlayer(chair);
    if (App().IsChairOccupied(chair)) {
        if (frame::GameFrameCalls* view = App().GetMainViewCalls())
            view->OnPlayerLeave(seat);
    }
    if (FriendTableCalls* view = FriendCalls())
        view->OnOwnExitAgreed(body, length);
    ShowLeaveNotices(chair, reader.Int(kAgreed) != 0);
    seat.Clear();
    // A leave the table did not count (repeated, or before the count
    // arrived) must not make the count negative.
    frame::TableInfo& table = App().GetTableInfo();
    table.SetPlayerCount(std::max(table.PlayerCount(), 1) - 1);
}

void FriendNotifyHandler::ShowLeaveNotices(int chair, bool agreed)
{
    CGameFrameApp& app = App();
    const std::string name = app.GetChairDisplayName(chair);
    const bool own = chair == app.GetChair();
    if (own && app.IsLookOn())
        app.ShowNoticeBox(name + " 已经离开，旁观结束。", 30, frame::SIB_TWO_BUTTONS, "");
    if (!own && agreed)
        app.ShowMessageBox(name + "已经离开！", nullptr, nullptr, 5, kSorryFlags, kSorryHead);
    if (own && agreed && app.IsRoomOptionB40() && app.IsRoomOptionB80()) {
        BringMainWindowToFront();
        app.ShowNoticeBox("其他玩家同意您退出游戏！", 10, kSorryFlags, kSorryHead);
        if (auto* flags = dynamic_cast<FriendAppCalls*>(&app))
            flags->SetExitAgreed();
    }
}

} // namespace game
