#pragma once
// The side pane ("SubSystem"): the column beside the table. From the top it
// holds the advertisement bar and the user list (or, in a match, the match
// list), then the chat box and at the bottom the input bar.
//
// It creates its bars and lays them out on every change of its rectangle,
// receives the frame's broadcast events and the bars' button events and
// hands each to the bar concerned, and writes the chat's system lines and
// the players' chat lines.
//
// Bars are never held: every operation finds its bar by object name and
// does nothing when it is missing (a match has no advertisement bar, the
// other programs no match list, and nothing makes the operate bar).

#include "engine/objects/RectObject.h"
#include "frame/core/GameFrameCalls.h"
#include "frame/ui/PaneBarCalls.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace engine {
class CanvasObject;
}

namespace frame {

class ChatBox;
class InputBar;
class PlayerRecord;

// Object names of the pane's bars ("OpereateBar" is spelt so; the input
// bar's, kInputBarName, is with the safe-box dialogs that look for it).
inline constexpr const char* kAdvertBarName = kAdvertBarObject;
inline constexpr const char* kUserListBarName = "UserListBar";
inline constexpr const char* kMatchListBarName = "MatchListBar";
inline constexpr const char* kChatBoxName = "ChatBox";
inline constexpr const char* kOperateBarName = "OpereateBar";

// Engine integer properties of the chat's colours (set by the table view).
inline constexpr int kOwnChatColourProperty = 50013;
inline constexpr int kOtherNameColourProperty = 50014;
inline constexpr int kOtherChatColourProperty = 50015;

// Events only the pane receives (the others are the main view's, see
// GameFrame.h, and the input bar's, see InputBar.h).
inline constexpr int EVT_PANE_SORTED_RANKING = 80000022;
inline constexpr int EVT_PANE_MATCH_OVER = 80000026;
inline constexpr int EVT_PANE_CHAT_LINE = 80000057;
inline constexpr int EVT_PANE_CHAT_IN = 80000058;
inline constexpr int EVT_PANE_MEMBER_CHAT = 80000059;
inline constexpr int EVT_PANE_ADVERT_TEXT = 80000060;
inline constexpr int EVT_PANE_MEMBER_NOTICE = 80000061;
inline constexpr int EVT_PANE_NOTICE_FILE = 80000066;
inline constexpr int EVT_PANE_FACE_LEFT = 80000067;
inline constexpr int EVT_PANE_FACE_RIGHT = 80000068;
inline constexpr int EVT_PANE_MATCH_PLAYER = 19840401;

// The bars of the other areas, each made by one function (null while the
// area is not part of the build). The user list gets its columns for a
// silver room or another room.
std::unique_ptr<engine::EngineObject> MakeAdvertBar();
std::unique_ptr<engine::EngineObject> MakeUserListBar(bool silverRoom);
std::unique_ptr<engine::EngineObject> MakeMatchListBar();
std::unique_ptr<engine::EngineObject> MakeOperateBar();
// The row of operate buttons (emoticons, clear chat, screenshot, complaint,
// safe box), each handed to the input bar with InputBar::AddButton.
void MakeOperateButtons(engine::GameObject& pane, InputBar& bar);

class SubSystem : public engine::RectObject {
public:
    static constexpr int kOwnLineLimit = 60;
    static constexpr int kPrivilegedLineLimit = 250;
    static constexpr uint32_t kFloodMs = 2000;
    static constexpr uint32_t kWelcomeColour = 10715996;
    static constexpr const char* kBackgroundPicture = "bit_SystemBar";

    SubSystem() = default;
    ~SubSystem() override;

    int OnCreate() override;
    // Every event is taken (1); codes the pane does not know do nothing.
    int OnEvent(const engine::EngineEvent& event) override;
    void OnRectChanged() override;
    // Refreshes the bars and writes the welcome line.
    void OnRefresh() override;

    virtual void RefreshScores() { }
    virtual void RefreshMatchList();
    virtual void ClearChat();
    // The screen into the temporary folder, announced with a link that
    // opens the folder; a screenshot that was not written says so.
    virtual void SaveScreenshot();
    // Hands the complaint page's address to the lobby, which opens it.
    virtual void OpenComplaintPage();
    virtual void OpenFacePicker();
    // A picked emoticon: inserted with the flag or while something is
    // typed, otherwise sent at once.
    virtual void PassToInputBar(std::string_view code, bool insert);
    // The user's own line: cut to the limit on a character boundary, held
    // back by the flood limit, filtered, sent (and shown when no server
    // echoes it).
    virtual void ShowOwnChat(std::string_view text);
    // Another player's chat (notification 201210: user id at 0, text at 48).
    virtual void ShowChatIn(const uint8_t* body, size_t size);
    // A chat or text line sent with a kind (211200: user id at 0, kind at
    // 8, text at 36).
    virtual void ShowMemberChat(const uint8_t* body, size_t size);
    virtual void AppendNoticeText(std::string_view text);
    virtual void OnMatchEntered() { }

    // The bars; each registered under the pane.
    virtual void CreateAdvertBar();
    virtual void CreateOperateBar();
    virtual void CreateUserListBar();
    virtual void CreateMatchListBar();
    virtual void CreateChatBox();
    virtual void CreateInputBar();

    // Heights of the bars for the layout.
    virtual int CalcBoardHeight();
    virtual int PlaceOperateBar();
    virtual int PlaceMatchListBar();
    virtual int PlaceUserListBar();
    virtual int PlaceUserListBlock();
    // The chat box's height: what the other bars leave.
    virtual int LayoutBars();
    virtual int PlaceInputBar();
    virtual void LoadQuickPhrases();
    virtual void OnSafeBoxButton();
    virtual void ShowSilverMenu();
    // The member skill notice (211900: flag word, eight user ids at 4,
    // eight amounts at 36).
    virtual void ShowMemberNotice(const uint8_t* body, size_t size);
    virtual void OnServerText(const uint8_t* /*text*/) { }

    // Notice lines.
    virtual void OnPlayerEnterText(const PlayerRecord& record);
    virtual void OnPlayerLeaveText(PlayerRecord& record);
    virtual void OnLookerEnterText(const PlayerRecord& record);
    virtual void OnLookerLeaveText(const PlayerRecord& record);
    virtual void OnRandomTableText();
    virtual void OnTableChangedText();
    // The silver notice ({user id, , kind, amount, silver now, base silver}).
    virtual void OnSilverNotice(const uint8_t* body, size_t size);

    ChatBox* GetChatBox();
    InputBar* GetInputBar();
    engine::CanvasObject* GetBackground() const { return m_background; }
    uint32_t GetLastChatTime() const { return m_lastChatTime; }

protected:
    // Writes a line through the application (which sends it back as
    // EVT_PANE_CHAT_LINE); straight into the chat box without one.
    virtual void AddSystemLine(const std::string& text);
    // Writes the screen as a JPEG file; true when the file was written.
    virtual bool WriteScreenshot(const std::string& path);

private:
    // The named bar as the pane's calls see it; null when missing or not
    // one of those bars.
    PaneBarCalls* Bar(const char* name);
    engine::EngineObject* Adopt(std::unique_ptr<engine::EngineObject> bar);
    int PictureHeight(const char* name);
    int Property(int id);
    // A chat colour property, or its usual value while it is not set.
    int ChatColour(int id);
    // Shows the table number in the notices (not in rooms that hide it).
    bool ShowsTableNumber() const;
    void LayoutSideBars(int left, int top, int width, int op, int ad);
    void DrawBackground(int left, int top, int width, int op, int ad, int ul);

    engine::CanvasObject* m_background = nullptr; // not owned; null in a match
    uint32_t m_lastChatTime = 0;
};

} // namespace frame
