// The client program as the frame stands: started by the lobby with one
// argument, it connects to the game server, passes the version check, opens
// the main window with the frame's main view and enters its table.

#include "frame/core/CGameFrameApp.h"
#include "frame/core/GameConnection.h"
#include "frame/core/GameNotifyHandler.h"
#include "frame/ui/GameFrame.h"
#include "engine/modules/ResourceModule.h"

namespace {

// The frame's main view with the skin the skin maker writes beside the
// program.
class KbZnFrame : public frame::GameFrame {
public:
    explicit KbZnFrame(std::string programDir)
        : m_programDir(std::move(programDir))
    {
    }

protected:
    void LoadSkinPacks() override
    {
        engine::ResourceModule* resources = GetResourceModule();
        if (!resources)
            return;
        for (const char* pack : { "skins\\frame.vkr", "skins\\vkface_bobo.vkr" })
            resources->LoadPackFile(m_programDir + pack);
    }

private:
    std::string m_programDir;
};

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
    std::unique_ptr<engine::RectObject> CreateMainView() override { return std::make_unique<KbZnFrame>(GetExeDir()); }

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
