#pragma once
// The application of the game frame: starts the client from the lobby's
// argument, opens the game-server connection, creates the main window and
// holds every record the lobby and the server deliver. The card layer and
// the game derive from it; exactly one instance runs in a process.

class CGameFrameApp {
public:
    CGameFrameApp();
    virtual ~CGameFrameApp();
    CGameFrameApp(const CGameFrameApp&) = delete;
    CGameFrameApp& operator=(const CGameFrameApp&) = delete;

    // The running application, null when none exists.
    static CGameFrameApp* Current();
};
