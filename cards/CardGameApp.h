#pragma once
// The card layer's application: what every card game of the platform adds
// to the frame's application. It makes the replay file type known to the
// desktop at every start, recognises a replay file named on the command
// line (replay mode, without server or lobby), and answers the card table
// view's questions that the game narrows (turn length, hand size, level
// rank, refusal of looker-on requests to see the cards).

#include "frame/core/CGameFrameApp.h"
#include "cards/CardTableCalls.h"

#include <string>

namespace platform {
struct FileType;
}

namespace game {

// The replay file type as the desktop knows it.
inline constexpr const char* kReplayExtension = "qhrep";
inline constexpr const char* kReplayTypeName = "VuDudivi";

class CardGameApp : public CGameFrameApp, public CardAppCalls {
public:
    CardGameApp(std::string gameName, int defaultPort, int versionMajor, int versionMinor);
    ~CardGameApp() override;

    // Plays a sound of the loaded skin packs while sound is on.
    virtual void PlayGameSound(const std::string& name, int flags);
    using CGameFrameApp::PlayGameSound;
    // Replays are never recorded for an ordinary card table.
    bool IsRoomOptionC20000() const override { return false; }

    // Looks for a replay file on the command line: an existing file makes
    // the replay path; when the line ends in the replay extension (exactly,
    // case-sensitive), replay mode goes on as well.
    virtual void ParseCommandLine();
    // The card layer's answer to a lost connection: the table is cleared,
    // the client relaunches from the lobby's argument at exit, and the
    // player is told to log in again. Nothing in a stand-alone client.
    virtual void OnNetworkError();
    bool RejectsViewCardRequests() const override { return false; }
    virtual int GetTurnSeconds() const { return 20; }
    // The level rank handed to the card ordering; 0 is no level card.
    virtual int GetLevelRank() const { return 0; }
    virtual int GetMaxHandCards() const { return 64; }

    const std::string& GetReplayPath() const { return m_replayPath; }

    // The description of the replay file type; the lobby's directory holds
    // its icon and its player.
    platform::FileType ReplayFileType() const;
    // Writes the type's files (every start, also when they exist);
    // failures are ignored.
    virtual void RegisterReplayFileType();

protected:
    bool InitInstance() override;

private:
    std::string m_replayPath;
};

} // namespace game
