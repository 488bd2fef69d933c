#pragma once
// The safe box: silver a player keeps on the server outside any game. Three
// framed dialogs look at it and move silver between it and this game:
// SafeBoxDlg (the amount held and two ways out), SaveDepositDlg (from the
// game into the safe box) and TakeDepositDlg (from the safe box into the
// game, through the protect-password keypad when the player has one set).
// Each is created on first use and then only hidden and shown again.
//
// The dialogs find one another and the input bar by object name. The input
// bar owns the entry point (OpenSafeBox below) and the keypad; the take
// dialog reaches the keypad through PasswordPadOwner.

#include "engine/controls/widgets/NineGridPanel.h"
#include "engine/core/EngineEvent.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace engine {
class CanvasObject;
class GameObject;
class ImageButton;
} // namespace engine

namespace frame {

class ComboInput;

// Private events of the safe box dialogs.
inline constexpr int EVT_SAFEBOX_OPEN_TAKE = 80000002;
inline constexpr int EVT_SAFEBOX_OPEN_SAVE = 80000003;
inline constexpr int EVT_SAFEBOX_CLOSE = 80000004;
inline constexpr int EVT_SAFEBOX_REFRESH = 80000005;
inline constexpr int EVT_DEPOSIT_DONE = 80000006;
inline constexpr int EVT_SAVE_OK = 80000007;
inline constexpr int EVT_SAVE_CANCEL = 80000008;
inline constexpr int EVT_SAVE_CONFIRMED = 80000009;
inline constexpr int EVT_TAKE_OK = 80000010;
inline constexpr int EVT_TAKE_CANCEL = 80000011;
inline constexpr int EVT_TAKE_NOW = 80000012;

inline constexpr double kSafeBoxDepth = 89900;
inline constexpr double kTakeDepositDepth = 89960;
inline constexpr double kSaveDepositDepth = 89970;

inline constexpr const char* kSafeBoxName = "SafeBoxDlg";
inline constexpr const char* kSaveDepositName = "SaveDepositDlg";
inline constexpr const char* kTakeDepositName = "TakeDepositDlg";
inline constexpr const char* kInputBarName = "InputBar";

// What the take dialog asks of the input bar: the keypad on which the
// player types the protect password, and the response it made of it.
class PasswordPadOwner {
public:
    virtual ~PasswordPadOwner() = default;
    // show 0 hides the pad; mode 0 answers the take dialog, 1 the owner.
    virtual void ShowPasswordPad(int show, int challenge, int mode) = 0;
    // The response of the last accepted password; 0 without one.
    virtual int GetPasswordValue() const = 0;
};

// The recent amounts of a transfer dialog, oldest first, at most six,
// stored as decimal numbers each followed by "|".
class RecentAmounts {
public:
    static constexpr size_t kMaxKept = 6;

    // Every field whose decimal value is not 0, of at most 100 fields.
    void Load(std::string_view stored);
    // False when the amount is listed already; otherwise appended (the
    // oldest dropped when six are listed).
    bool Remember(int amount);
    std::string ToString() const;
    const std::vector<int>& Values() const { return m_values; }

private:
    std::vector<int> m_values;
};

// What the frame's skinned dialogs share: the frame from the message box
// template, the title drawn as the boxes draw it, a content canvas over the
// client area, captioned and close buttons, and placement at the screen's
// centre.
class SkinnedDialog : public engine::NineGridPanel {
public:
    void DrawTitle() override;
    virtual void BuildContent();
    void Hide() override;

    void CentreOnScreen();
    // Moves the dialog and all its parts so that its frame lands on depth.
    void SetDepth(double depth);
    engine::CanvasObject* GetCanvas() const { return m_canvas; }

protected:
    // The frame from frames 0 and 1 of the message box template.
    void CreateFrame(int width, int height);
    // A picture button sending code to this dialog, with the button sounds.
    engine::ImageButton* MakeButton(std::string_view picture, int code);
    // A button from the captioned button picture with a 12-pixel caption.
    engine::ImageButton* MakeCaptionButton(std::string_view caption, int code);
    // The close button in the top-right corner.
    engine::ImageButton* MakeCloseButton(int code);
    // Buttons side by side, centred on x, at y.
    void PlaceRow(const std::vector<engine::ImageButton*>& buttons, double x, double y, int gap);
    // The message box with a 10-second countdown and the card player's head.
    void ShowMessage(const std::string& text, int okCode, bool withCancel) const;

    engine::CanvasObject* m_canvas = nullptr; // not owned: the content
};

class SafeBoxDlg : public SkinnedDialog {
public:
    ~SafeBoxDlg() override;
    int OnEvent(const engine::EngineEvent& event) override;

    // The panel's own Create stays callable beside the dialog's.
    using engine::NineGridPanel::Create;
    virtual void Create(int amount, int word);
    virtual void DrawInfo();
    virtual void CreateButtons();
    virtual void OpenSaveDialog();
    virtual void OpenTakeDialog();

    void SetAmount(int amount);
    int GetAmount() const { return m_amount; }
    // Ignores sizes that are not positive.
    void SetBoxSize(int width, int height);
    // Asks the server again; draws the amount again only when it changed.
    void Refresh();
    // Transfer dialogs that are shown go back to the screen's centre.
    void RecentreChildren();

private:
    int m_amount = 0;
    int m_word = 0;
    int m_width = 0;
    int m_height = 0;
    engine::GameObject* m_save = nullptr; // not owned
    engine::GameObject* m_take = nullptr; // not owned
};

// The save and take dialogs: a game name, an amount input with its recent
// amounts kept under a key of section DEPOSIT in the game's INI file.
class TransferDialog : public SkinnedDialog {
public:
    ~TransferDialog() override;

    // The panel's own Create stays callable beside the dialog's.
    using engine::NineGridPanel::Create;
    virtual void Create(const std::string& gameName) = 0;
    virtual void DrawText() = 0;
    virtual void CreateAmountBox();
    virtual void CreateButtons() = 0;
    virtual void OnOk() = 0;

    void SetGameName(const std::string& name) { m_gameName = name; }
    void FocusAmount();
    void RememberAmount();
    void LoadRecentAmounts();
    void FillRecentAmounts();

    int GetAmountValue() const { return m_amount; }
    ComboInput* GetAmountInput() const { return m_input; }
    const RecentAmounts& GetRecent() const { return m_recent; }

protected:
    void Build(const char* name, const char* title);
    void DrawSeparator();
    // The typed amount; below 1 the player is told and 0 returned.
    int ReadAmount();
    // The line positions inside the content canvas.
    int FirstLineY() const;
    int SecondLineY() const;
    // Places the amount input with its left edge at x on the line at y.
    void PlaceAmountInput(int x, int y);
    // The OK and cancel buttons side by side under the lines, and the close
    // button, which cancels too.
    void CreateOkCancel(int okCode, int cancelCode);
    virtual const char* IniKey() const = 0;

    int m_amount = 0;
    std::string m_gameName;
    ComboInput* m_input = nullptr; // not owned
    RecentAmounts m_recent;
};

class SaveDepositDlg : public TransferDialog {
public:
    int OnEvent(const engine::EngineEvent& event) override;
    void Create(const std::string& gameName) override;
    void DrawText() override;
    void CreateAmountBox() override;
    void CreateButtons() override;
    void OnOk() override;
    virtual void SendSave();

protected:
    const char* IniKey() const override { return "Save"; }
};

class TakeDepositDlg : public TransferDialog {
public:
    int OnEvent(const engine::EngineEvent& event) override;
    void Create(const std::string& gameName) override;
    void DrawText() override;
    void CreateAmountBox() override;
    void CreateButtons() override;
    void OnOk() override;
    virtual void SendTake();

    void SetWord(int word) { m_word = word; }

protected:
    const char* IniKey() const override { return "Take"; }

private:
    int m_word = 0;
};

// The input bar's entry: asks the server for the safe box and shows it
// (created once under owner), or tells the player it failed.
void OpenSafeBox(engine::GameObject& owner);

} // namespace frame
