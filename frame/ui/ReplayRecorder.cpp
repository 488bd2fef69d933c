#include "frame/ui/ReplayRecorder.h"

#include "engine/core/EngineFiles.h"
#include "engine/modules/FtpUploadThread.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/core/GameFrameCalls.h"
#include "frame/core/GameState.h"
#include "frame/ui/GameFrame.h"
#include "frame/ui/ReplayBlocks.h"

#include <algorithm>
#include <memory>

namespace frame {

namespace {

void StartUploadThread(const ReplayUpload& upload)
{
    engine::FtpUploadThread(upload.localFile, upload.server, upload.remoteDirectory, upload.remoteName, upload.user,
        upload.password, 0, 0, upload.port)
        .detach();
}

} // namespace

// ---- Ordinary tables ---------------------------------------------------------------

ReplayRecorder::ReplayRecorder(CGameFrameApp& app)
    : ReplayPanel(app, ReplayVariant::Ordinary)
{
}

void ReplayRecorder::WriteTableBlock()
{
    ReplayTableBlock block = ReplayTableBlock::FromStore(App());
    // The table's state words, which the game's table view reads back.
    if (const GameState* state = App().GetGameState()) {
        block.SetStateWord32(state->GetTableWord32());
        block.SetStateWord52(state->GetTableWord52());
        block.SetStateWord40(state->GetTableWord40());
        block.SetStateWord36(state->GetTableWord36());
    }
    WriteBlocks(block.Bytes(), block.SeatCount());
}

void ReplayRecorder::WriteSeatBlock(int chair)
{
    const PlayerRecord* player = App().GetSeatPlayer(chair);
    const ReplaySeatBlock block = player ? ReplaySeatBlock::FromPlayer(*player) : ReplaySeatBlock {};
    Image().AppendSeatBlock(block.Bytes());
}

void ReplayRecorder::UpdateButtons()
{
    UpdateButtonsFrom(true);
}

void ReplayRecorder::RestoreTable()
{
    CGameFrameApp& app = App();
    const std::span<const uint8_t> table = GetTableBlock();
    app.RestoreRoomFromReplay(table.data(), table.size());
    for (int chair = 0; chair < PlayedSeats(); ++chair) {
        const std::span<const uint8_t> seat = GetSeatBlock(chair);
        if (PlayerRecord* player = app.GetSeatPlayer(chair))
            app.ReplaySeatToPlayer(*player, seat.data(), seat.size());
    }
    if (auto* view = dynamic_cast<GameFrame*>(app.GetMainView()))
        view->ResetMainGame();
}

// ---- Match tables ----------------------------------------------------------------------

MatchReplayRecorder::MatchReplayRecorder(CGameFrameApp& app)
    : ReplayPanel(app, ReplayVariant::Match)
    , m_uploader(StartUploadThread)
{
}

void MatchReplayRecorder::WriteTableBlock()
{
    const MatchReplayTableBlock block = MatchReplayTableBlock::FromMatchRoom(App().GetMatchRoomInfo());
    WriteBlocks(block.Bytes(), block.SeatCount());
}

void MatchReplayRecorder::WriteSeatBlock(int chair)
{
    const MatchSeatRecord* seat = App().GetMatchSeat(chair);
    const MatchReplaySeatBlock block = seat ? MatchReplaySeatBlock::FromMatchSeat(*seat) : MatchReplaySeatBlock {};
    Image().AppendSeatBlock(block.Bytes());
}

void MatchReplayRecorder::UpdateButtons()
{
    UpdateButtonsFrom(false);
}

void MatchReplayRecorder::RestoreTable()
{
    CGameFrameApp& app = App();
    MatchReplayTableBlock table;
    const std::span<const uint8_t> tableBytes = GetTableBlock();
    if (table.Load(tableBytes.data(), tableBytes.size()))
        table.ApplyTo(app.GetMatchRoomInfo());
    app.ApplyMatchRoomInfo();
    for (int chair = 0; chair < PlayedSeats(); ++chair) {
        MatchSeatRecord* seat = app.GetMatchSeat(chair);
        PlayerRecord* player = app.GetSeatPlayer(chair);
        MatchReplaySeatBlock block;
        const std::span<const uint8_t> bytes = GetSeatBlock(chair);
        if (!seat || !player || !block.Load(bytes.data(), bytes.size()))
            continue;
        block.ApplyTo(*seat);
        app.MatchSeatToPlayer(*player, *seat, chair, app.GetTableNo());
    }
    if (GameFrameCalls* view = app.GetMainViewCalls())
        view->OnMatchNextRound();
}

std::string MatchReplayRecorder::ReplayName() const
{
    return App().GetMatchName();
}

void MatchReplayRecorder::SetUploadServer(std::string host, uint16_t port)
{
    m_uploadServer = std::move(host);
    m_uploadPort = port;
}

void MatchReplayRecorder::AfterWrite(const std::string& path)
{
    if (App().GetMatchRoomWord140() == 0 || !m_uploader)
        return;
    ReplayUpload upload;
    upload.localFile = path;
    upload.server = m_uploadServer;
    upload.remoteName = engine::GetFileNameLowerExt(path);
    upload.user = kUploadUser;
    upload.port = m_uploadPort;
    m_uploader(upload);
}

// ---- Creation ------------------------------------------------------------------------------

std::unique_ptr<ReplayPanel> MakeReplayRecorder(CGameFrameApp& app, bool matchMode)
{
    if (matchMode)
        return std::make_unique<MatchReplayRecorder>(app);
    return std::make_unique<ReplayRecorder>(app);
}

void SetReplayMaxGap(engine::EngineObject* recorder, uint32_t ms)
{
    if (auto* panel = dynamic_cast<ReplayPanel*>(recorder))
        panel->SetMaxGap(ms);
}

} // namespace frame
