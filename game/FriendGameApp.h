#pragma once
// This game's application, the program's one application object. It owns
// the game's request channel, notification handler and game data, holds the
// player's five settings (section GAMESET of the game's INI file), starts
// either from the lobby or, given an existing replay file, on its own with
// a table of four built at once, and answers the hooks of the frame and
// the card layer with this game's values (four chairs, 27 cards a hand).
//
// User-interface thread only.

#include "cards/CardGameApp.h"
#include "game/FriendGameConnection.h"
#include "game/FriendGameData.h"
#include "game/FriendNotifyHandler.h"
#include "game/FriendTableCalls.h"
#include "game/GameSettings.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace game {

// The launch fields of a replay, which has no lobby behind it.
inline constexpr int kReplayGameId = 30;
inline constexpr const char* kReplayServerHost = "127.0.0.1";
inline constexpr const char* kReplayTitle = "觅友";
inline constexpr int kGameChairs = 4;
inline constexpr int kGameHandCards = 27;

class FriendGameApp : public CardGameApp, public GameSettingsHost, public FriendAppCalls {
public:
    FriendGameApp();
    ~FriendGameApp() override;

    // ---- the frame's hooks -------------------------------------------------
    std::unique_ptr<CGameFrameWnd> NewMainWindow() override;
    std::unique_ptr<engine::RectObject> CreateMainView() override;
    int GetChairCount() const override { return kGameChairs; }
    GameNotifyHandler* GetNotifyHandler() override { return &m_notifyHandler; }
    GameConnection* GetConnection() override { return &m_connection; }
    int GetEnterExtra() const override { return 0; }
    // Reply 210200's data fill the table information, 210210's and
    // 210220's the table state.
    std::span<uint8_t> GetEnterDataBuffer() override { return m_data.TableInfoBuffer(); }
    std::span<uint8_t> GetLookOnDataBuffer() override { return m_data.TableStateBuffer(); }
    GameState* GetGameState() override { return &m_data; }
    int IsSoundOn() const override { return m_settings.soundEffect; }
    int FilterChatText(const std::string& /*text*/) override { return 0; }
    // The score history the server kept is restored before the frame's
    // handling; a body too short to hold it leaves the history as it was.
    void OnEnterReply210200(const uint8_t* data, size_t size) override;
    void OnEnterReply210210(const uint8_t* data, size_t size) override;
    // The frame's seat records, then the four chairs' flag words.
    bool LoadPlayersByChair(const uint8_t* data, size_t size) override;

    // ---- the card layer's hooks ----------------------------------------------
    bool RejectsViewCardRequests() const override { return m_settings.rejectKanPaiAsk != 0; }
    int GetTurnSeconds() const override { return m_data.GetTurnSeconds(); }
    int GetLevelRank() const override { return m_data.GetLevelRank(); }
    int GetMaxHandCards() const override { return kGameHandCards; }

    // ---- the game's own -------------------------------------------------------
    virtual bool IsPassSoundMuted() const { return m_settings.rejectPassSound != 0; }
    bool IsDialectMuted() const { return m_settings.rejectDialect != 0; }
    bool IsExitAgreed() const override { return m_exitAgreed; }
    void SetExitAgreed() override { m_exitAgreed = true; }

    // Section GAMESET: read (missing keys are 0) and written (failures
    // ignored).
    void LoadSettings();
    void SaveSettings() override;
    GameSettings& Settings() override { return m_settings; }

    FriendGameData& GetGameData() { return m_data; }
    FriendNotifyHandler& GetFriendNotifyHandler() { return m_notifyHandler; }
    FriendGameConnection& GetFriendConnection() { return m_connection; }

protected:
    // Replay type, settings, command line, the frame's start-up and the
    // main window; a replay then builds its table at once.
    bool InitInstance() override;
    int ExitInstance() override;

private:
    void FillReplayLaunchArgs();

    GameSettings m_settings;
    FriendGameConnection m_connection;
    FriendNotifyHandler m_notifyHandler;
    FriendGameData m_data;
    bool m_exitAgreed = false;
};

} // namespace game
