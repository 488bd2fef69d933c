#pragma once
// Two small dialogs of the input bar's silver functions: SetDepositDlg edits
// the six preset amounts of the silver menu (section FIXDEPOSIT of the
// user's data file), and NumKeyPadDlg is the on-screen keypad for the safe
// box's protect password, its digits on keys shuffled at every showing. The
// keypad never sends the password: it turns it and the server's challenge
// into one response number, which the take request carries.

#include "frame/ui/SafeBoxDialogs.h"

#include <array>
#include <random>
#include <string>
#include <string_view>

namespace frame {

class InputBox;

inline constexpr int EVT_KEYPAD_OK = 80000015;
inline constexpr int EVT_KEYPAD_CLOSE = 80000016;
inline constexpr int EVT_KEYPAD_DIGIT = 80000017;
inline constexpr int EVT_KEYPAD_BACKSPACE = 80000018;
inline constexpr int EVT_PRESETS_OK = 80000019;
inline constexpr int EVT_PRESETS_CANCEL = 80000020;
// Sent to the input bar by a keypad in mode 1: take the missing silver now.
inline constexpr int EVT_INPUTBAR_TAKE_NOW = 80000021;

inline constexpr double kSetDepositDepth = 89990;
inline constexpr double kNumKeyPadDepth = 89980;
inline constexpr const char* kSetDepositName = "SetDepositDlg";
inline constexpr const char* kNumKeyPadName = "NumKeyPadDlg";

inline constexpr int kPresetCount = 6;
using DepositPresets = std::array<int, kPresetCount>;

// The six presets from section FIXDEPOSIT of the user data file; all six
// defaults when the last one is missing or empty.
DepositPresets LoadDepositPresets(const std::string& userDataPath);

// The response to the server's challenge: the password cut from the left
// into at most four groups of four digits (the rest the last group), their
// sum, plus the challenge's value divided by 10000 and its last four
// decimal digits. The password must hold 8 to 16 digits.
int PasswordResponse(std::string_view password, int challenge);

class SetDepositDlg : public SkinnedDialog {
public:
    int OnEvent(const engine::EngineEvent& event) override;

    // The panel's own Create stays callable beside the dialog's.
    using engine::NineGridPanel::Create;
    virtual void Create();
    virtual void DrawText();
    virtual void CreateRows();
    virtual void CreateButtons();
    // Stores and writes every box's number (atoi: not a number is 0).
    virtual void OnOk();

    void SetValues(const DepositPresets& values);
    const DepositPresets& GetValues() const { return m_values; }
    InputBox* GetBox(int i) const { return m_boxes[static_cast<size_t>(i)]; }

private:
    DepositPresets m_values {};
    std::array<InputBox*, kPresetCount> m_boxes {}; // not owned
};

class NumKeyPadDlg : public SkinnedDialog {
public:
    static constexpr int kMinDigits = 8;
    static constexpr int kMaxDigits = 16;
    static constexpr int kKeyCount = 12;

    int OnEvent(const engine::EngineEvent& event) override;
    // Shuffles the keys, then shows.
    void Show() override;

    // The panel's own Create stays callable beside the dialog's.
    using engine::NineGridPanel::Create;
    virtual void Create(int challenge);
    virtual void CreateDisplay();
    virtual void CreateKeys();
    virtual void OnOk();
    virtual void PressKey(int position);
    virtual void Backspace();
    virtual void ClearPassword();
    virtual void Shuffle();

    int GetResponse() const { return m_response; }
    void SetMode(int mode) { m_mode = mode; }
    void SetChallenge(int challenge) { m_challenge = challenge; }
    void RefreshDisplay();
    void LabelKeys();

    // What the tests read.
    const std::string& GetPassword() const { return m_password; }
    int GetKeyDigit(int position) const { return m_digits[static_cast<size_t>(position)]; }
    engine::ImageButton* GetKey(int k) const { return m_keys[static_cast<size_t>(k)]; }
    InputBox* GetDisplay() const { return m_display; }
    // A fixed seed makes the shuffles repeatable.
    void SeedShuffle(uint32_t seed) { m_random.seed(seed); }

private:
    int m_mode = 0;
    int m_challenge = 0;
    int m_response = 0;
    std::array<int, 10> m_digits { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9 };
    std::string m_password;
    std::array<engine::ImageButton*, kKeyCount> m_keys {}; // not owned
    InputBox* m_display = nullptr;                      // not owned
    std::mt19937 m_random { std::random_device {}() };
};

// The input bar's entries: the preset dialog filled with the presets, and
// the keypad (show 0 hides it) for a challenge in mode 0 (answer the take
// dialog) or 1 (answer the input bar). Both are created once under owner.
SetDepositDlg* OpenQuickSetDialog(engine::GameObject& owner, const DepositPresets& presets);
NumKeyPadDlg* ShowPasswordPad(engine::GameObject& owner, int show, int challenge, int mode);

} // namespace frame
