// The client program as the frame stands: started by the lobby with one
// argument, it connects to the game server, passes the version check and
// opens the main window.

#include "frame/core/CGameFrameApp.h"
#include "frame/core/GameConnection.h"
#include "frame/core/GameNotifyHandler.h"

namespace {

class KbZnApp : public CGameFrameApp {
public:
    KbZnApp()
        : CGameFrameApp("KbZn", 21534, 1, 1)
        , m_notifyHandler(*this)
    {
    }
    ~KbZnApp() override { m_connection.Close(); }

    int GetChairCount() const override { return 4; }
    GameConnection* GetConnection() override { return &m_connection; }
    GameNotifyHandler* GetNotifyHandler() override { return &m_notifyHandler; }

protected:
    bool InitInstance() override { return CGameFrameApp::InitInstance() && CreateMainWindow(); }

private:
    GameConnection m_connection;
    GameNotifyHandler m_notifyHandler;
};

} // namespace

int main(int argc, char** argv)
{
    KbZnApp app;
    return app.Run(argc, argv);
}
