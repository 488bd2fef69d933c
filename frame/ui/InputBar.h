#pragma once
// The input bar: the bottom strip of the side pane. It holds the row of
// operate buttons, the chat input box with its quick-chat button, and the
// send button; what is typed goes to the side pane ("SubSystem") as the
// user's own chat line. It also owns the silver menu opened by the
// safe-box button and carries out the silver transfers between the safe
// box and the game; the safe-box dialog, the quick-set dialog and the
// password keypad are the safe-box panels' (hooks here).

#include "engine/objects/BoundObject.h"
#include "frame/ui/DepositKeypad.h"
#include "frame/ui/PaneBarCalls.h"
#include "frame/ui/SafeBoxDialogs.h"

#include <array>
#include <list>
#include <string>
#include <string_view>

namespace engine {
class CanvasObject;
class ImageButton;
class PopupMenu;
class RichEdit;
} // namespace engine

namespace frame {

class FramePopupMenu;

// Events the bar's parts send to the side pane.
inline constexpr int EVT_PANE_SEND = 80000069;
inline constexpr int EVT_PANE_SUBMIT = 80000070;
inline constexpr int EVT_PANE_QUICK_CHAT = 80000071;
inline constexpr int EVT_PANE_PHRASE = 80000072;
// The bar's own events (and the keypad's EVT_INPUTBAR_TAKE_NOW).
inline constexpr int EVT_INPUT_SAFE_BOX = 80000073;
inline constexpr int EVT_INPUT_QUICK_SET = 80000074;
inline constexpr int EVT_INPUT_PRESET = 80000075;
inline constexpr int EVT_INPUT_CARRY_SILVER = 80000076;
inline constexpr int EVT_INPUT_MENU_BLUR = 80010000;

// The operate row's silver button (object name).

class InputBar : public engine::BoundObject, public PasswordPadOwner {
public:
    static constexpr int kMaxButtons = 20;
    static constexpr const char* kBarPicture = "SystemInputBar";
    static constexpr const char* kBoxPicture = "InputBoxBkg";
    static constexpr const char* kQuickChatPicture = "btnQuickChat";
    static constexpr const char* kSendPicture = "btnSendChat";
    static constexpr uint32_t kTextColour = 0x414A28;
    static constexpr int kEditWidth = 168;
    // Where the input row starts below the bar's top (the operate buttons
    // sit above it).
    static constexpr int kInputTop = 32;

    InputBar() = default;
    ~InputBar() override;

    int OnCreate() override;
    int OnEvent(const engine::EngineEvent& event) override;

    virtual void Layout();
    // Stored in the first free slot and laid out; false when all 20 are
    // taken.
    virtual bool AddButton(engine::EngineObject* button);
    // Appended to the input box, which takes the focus.
    virtual void InsertText(std::string_view text);
    virtual void ClearInput();
    // As Enter in the input box: the text goes to the pane.
    virtual void Send();
    virtual void AddQuickPhrase(std::string_view text);
    // Opens the phrase menu above the quick-chat button, or closes it.
    virtual void ToggleQuickPhrases();

    // ---- silver and the safe box ---------------------------------------
    virtual void CreateSilverMenu(int width, int height);
    virtual void ToggleSilverMenu(bool open);
    // Asks the server for the safe box's amounts and shows the dialog.
    virtual void OpenSafeBox();
    // The dialog that edits the six presets.
    virtual void OpenQuickSetDialog();
    // The protect-password keypad (show 0 hides it); in mode 1 it answers
    // this bar with EVT_INPUTBAR_TAKE_NOW.
    void ShowPasswordPad(int show, int challenge, int mode) override;
    // Takes silver from the safe box up to the amount (0: the chosen
    // preset) with the password; returns the amount aimed at.
    virtual int TakeSilver(int amount, int password);
    // The keypad's response to the last password; 0 without a keypad.
    int GetPasswordValue() const override;
    // The six presets from the user's file ("FIXDEPOSIT", "Fix0".."Fix5");
    // the defaults when "Fix5" is empty.
    virtual void LoadDepositPresets();
    virtual void RefreshSilverMenu();
    // Deposits or takes silver so that the user carries the amount.
    virtual void SetSilverTo(int amount);

    bool HasInputText() const;
    std::string GetInputText() const;

    engine::RichEdit* GetInputBox() const { return m_input; }
    engine::ImageButton* GetQuickChatButton() const { return m_quickChat; }
    engine::ImageButton* GetSendButton() const { return m_send; }
    // The added buttons in their order (null past the last).
    engine::EngineObject* GetButton(size_t index) const { return index < m_buttons.size() ? m_buttons[index] : nullptr; }
    engine::PopupMenu* GetPhraseMenu() const { return m_phraseMenu; }
    FramePopupMenu* GetSilverMenu() const { return m_silverMenu; }
    engine::CanvasObject* GetBarCanvas() const { return m_bar; }
    engine::CanvasObject* GetInputBackground() const { return m_inputBack; }
    const std::list<std::string>& GetPhrases() const { return m_phrases; }
    const DepositPresets& GetPresets() const { return m_presets; }
    int GetChosenPreset() const { return m_chosenPreset; }
    int GetPendingAmount() const { return m_pendingAmount; }

protected:
    // The silver the user carries now: the silver word of the own seat's
    // record (0 without one).
    virtual int GetOwnSilver() const;
    // The requests behind the transfers and the wait text shown meanwhile
    // (the application's connection and wait display; tests record them).
    // Each answers 1 on success and leaves the failure's text in `text`.
    virtual int RequestTake(std::string& text, int amount, int password);
    virtual int RequestDeposit(std::string& text, int& amount);
    virtual int RequestPasswordQuery(std::string& text, int& value);
    virtual void ShowWait(const std::string& text, bool show);
    // The result of a transfer in the frame's message box.
    virtual void ShowResult(const std::string& text);

private:
    int PaneId();
    void DrawBar(int width, int height);
    void DrawInputBackground(int width);
    void CentreShownDialogs();
    void RedrawShownSafeBox();

    std::list<std::string> m_phrases; // a list: menu events point at the texts
    std::array<engine::EngineObject*, kMaxButtons> m_buttons {};
    engine::RichEdit* m_input = nullptr;           // not owned: the object module owns the parts
    engine::ImageButton* m_quickChat = nullptr;
    engine::ImageButton* m_send = nullptr;
    engine::PopupMenu* m_phraseMenu = nullptr;
    engine::CanvasObject* m_bar = nullptr;         // the bound child
    engine::CanvasObject* m_inputBack = nullptr;
    FramePopupMenu* m_silverMenu = nullptr;
    int m_chosenPreset = 0;
    DepositPresets m_presets {};
    // The amount asked for while the password is being entered; 0: none.
    int m_pendingAmount = 0;
};

} // namespace frame
