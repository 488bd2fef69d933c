#pragma once
// The two replay recorders, one per table view: ReplayRecorder for an
// ordinary table, MatchReplayRecorder for a match table. They are the replay
// panel (ReplayPanel.h) with what depends on the variant: which records the
// table and seat blocks copy and restore, how the table is reset for a new
// game, whether previous honours the deal's lock, and, for a match, the
// upload of every written replay to the match's FTP server.
//
// A recorder needs no table view to exist: it is an engine object made with
// the application (MakeReplayRecorder below) and registered under any
// parent; the table view decides when to record and calls the recording
// operations.

#include "frame/ui/ReplayPanel.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace engine {
class EngineObject;
}

namespace frame {

class ReplayRecorder : public ReplayPanel {
public:
    explicit ReplayRecorder(CGameFrameApp& app);

    // The table block from the application's room and table records and
    // the game state's table words, then one seat block per chair.
    void WriteTableBlock() override;
    // The chair's player record.
    void WriteSeatBlock(int chair) override;
    // Previous also stays disabled while the deal's lock is on.
    void UpdateButtons() override;

protected:
    // Room and seats from the blocks; the main view resets the table.
    void RestoreTable() override;
};

// One upload of a saved match replay.
struct ReplayUpload {
    std::string localFile;
    std::string server;
    std::string remoteDirectory;
    std::string remoteName;
    std::string user;
    std::string password;
    uint16_t port = 21;
};

class MatchReplayRecorder : public ReplayPanel {
public:
    // The match replay server (a private-network address; the system's
    // configuration, changed with SetUploadServer).
    static constexpr const char* kDefaultUploadServer = "10.68.1.20";
    // An empty login is the anonymous one. It is spelled out: the transfer
    // library would otherwise send an empty user name, which servers refuse.
    static constexpr const char* kUploadUser = "anonymous";

    using Uploader = std::function<void(const ReplayUpload&)>;

    explicit MatchReplayRecorder(CGameFrameApp& app);

    // The table block from the match room, then one seat block per seat.
    void WriteTableBlock() override;
    // The chair's match seat.
    void WriteSeatBlock(int chair) override;
    void UpdateButtons() override;

    void SetUploadServer(std::string host, uint16_t port);
    // Replaces the upload (by default a detached FTP upload thread that
    // nobody waits for or hears from).
    void SetUploader(Uploader uploader) { m_uploader = std::move(uploader); }

protected:
    // The match room and seats from the blocks, the seats' player records
    // from them; the main view starts the match's next round.
    void RestoreTable() override;
    // The match's name.
    std::string ReplayName() const override;
    // A written replay goes to the match server when the match room asks
    // for it: the bare file name with its extension lower-cased, in the
    // login directory.
    void AfterWrite(const std::string& path) override;

private:
    std::string m_uploadServer = kDefaultUploadServer;
    uint16_t m_uploadPort = 21;
    Uploader m_uploader;
};

// What the table view's recorder hooks do. The table view decides whether a
// recorder exists (the room records, or the client plays a replay),
// registers it under itself, places it and shows it; these make the one of
// the mode (a match recorder in match mode, else an ordinary one) and set
// its longest pause (nothing for an object that is no recorder).
std::unique_ptr<ReplayPanel> MakeReplayRecorder(CGameFrameApp& app, bool matchMode);
void SetReplayMaxGap(engine::EngineObject* recorder, uint32_t ms);

} // namespace frame
