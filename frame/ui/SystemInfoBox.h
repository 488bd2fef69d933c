#pragma once
// The frame's message boxes: a framed panel with a block of marked-up text,
// an optional head picture at its left, one or two picture buttons under the
// text, an optional close button and an optional countdown. A box answers
// exactly once, by sending one of the two events its creator gave it, and
// then removes itself; the creator interprets the answer. The boxes know
// nothing of their callers, so any attached engine object can create one.
//
// Creating a box by hand: register it under the creator, call Build (or a
// kind's Show), then show, place and give it a depth. OpenSystemInfoBox and
// the kinds' Open* helpers below do all of it.

#include "engine/controls/widgets/NineGridPanel.h"
#include "engine/core/EngineEvent.h"
#include "frame/core/GameFrameCalls.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace engine {
class CanvasObject;
class RichEdit;
class GameObject;
class ImageButton;
class SpriteObject;
} // namespace engine

namespace frame {

// Private events a box sends to itself.
inline constexpr int EVT_SIB_TICK = 80000001;
inline constexpr int EVT_SIB_OK = 80000002;
inline constexpr int EVT_SIB_CANCEL = 80000003;

// The engine-wide counter that every box and popup raises; the boxes' depth
// band sits on it.
inline constexpr int kPopupCounterProperty = 50012;

// What a box needs from the application around it. Both may stay empty: the
// title is then empty, and a link is not opened.
struct BoxServices {
    std::string title;
    // Opens the address (signed when the flag says so) in the browser.
    std::function<void(const std::string& address, bool signedLink)> openLink;
};

class SystemInfoBox : public engine::NineGridPanel {
public:
    SystemInfoBox() = default;
    ~SystemInfoBox() override;

    int OnEvent(const engine::EngineEvent& event) override;
    void DrawTitle() override;

    // Before Build: the title and the link opener.
    void SetServices(BoxServices services) { m_services = std::move(services); }

    // Builds the whole box. ok and cancel may be null (the answer then only
    // closes the box); seconds <= 0 means no countdown; flags are the SIB_*
    // flags; empty picture names take the default pictures.
    virtual void Build(std::string_view text, const engine::EngineEvent* ok, const engine::EngineEvent* cancel,
        int seconds, uint32_t flags, std::string_view head, std::string_view okPicture,
        std::string_view cancelPicture);
    virtual void CreateButtons(const engine::EngineEvent* ok, const engine::EngineEvent* cancel,
        std::string_view okPicture, std::string_view cancelPicture);
    virtual engine::ImageButton* CreateOkButton(std::string_view picture);
    virtual engine::ImageButton* CreateCancelButton(std::string_view picture);
    virtual void CreateCloseButton();
    virtual void StartCountdown(int seconds);
    virtual void SetHeadPicture(std::string_view picture);
    // Nonzero when it has set the text block's size itself.
    virtual int MeasureTextBlock(engine::CanvasObject& canvas, std::string_view text, int fontSize);
    virtual void DrawTextBlock(engine::CanvasObject& canvas, std::string_view text);
    virtual int GetButtonHeight();
    virtual int GetTextHeight() const { return m_textHeight; }
    virtual int GetTextWidth() const { return m_textWidth; }
    virtual int GetTextColumns() const { return 17; }
    virtual int GetMinTextRows() const { return 4; }
    virtual int GetHeadWidth() const;
    virtual int GetFontSize();
    virtual int GetMarginX() { return GetFontSize() * 3 / 2; }
    virtual int GetMarginY() { return GetFontSize(); }
    virtual std::string GetTemplateName() const;
    virtual std::string GetTitle() const { return m_services.title; }
    virtual void OnCountdownTick();
    virtual void OnOk();
    virtual void OnCancel();
    // OK opens the address before it answers.
    virtual void SetLink(std::string_view address, bool signedLink);
    // Takes the keyboard focus, and gives it back to its holder before
    // answering (so the box below a closed one hears Esc again).
    void TakeFocus();

    // What the tests and the creators read.
    int GetSecondsLeft() const { return m_seconds; }
    uint32_t GetBoxFlags() const { return m_flags; }
    bool IsAnswered() const { return m_answered; }
    engine::ImageButton* GetOkButton() const { return m_ok; }
    engine::ImageButton* GetCancelButton() const { return m_cancel; }
    engine::ImageButton* GetCloseButton() const { return m_close; }
    engine::SpriteObject* GetHeadSprite() const { return m_head; }
    engine::CanvasObject* GetCountdownLabel() const { return m_label; }
    engine::CanvasObject* GetTextCanvas() const { return m_text; }
    const engine::EngineEvent& GetOkEvent() const { return m_okEvent; }
    const engine::EngineEvent& GetCancelEvent() const { return m_cancelEvent; }

protected:
    // The button picture or the default when the name is empty, frame 0.
    engine::ImageButton* MakeButton(std::string_view picture, std::string_view fallback, int code);
    // The answer the close button (and Esc) gives.
    int CloseAnswerCode() const;
    void SetTextBlockSize(int width, int height)
    {
        m_textWidth = width;
        m_textHeight = height;
    }
    // Cancels the box's timed actions, sends the event and removes the box;
    // false when the box has answered already.
    bool Answer(const engine::EngineEvent& event);
    void RepeatTicks(int seconds);
    void DrawCountdownLabel();

    int m_seconds = 0;
    engine::CanvasObject* m_label = nullptr; // not owned: a child of the box
    engine::ImageButton* m_ok = nullptr;     // not owned
    engine::ImageButton* m_cancel = nullptr; // not owned
    engine::ImageButton* m_close = nullptr;  // not owned
    engine::SpriteObject* m_head = nullptr;  // not owned
    engine::CanvasObject* m_text = nullptr;  // not owned: the panel's content
    uint32_t m_flags = 0;
    int m_textWidth = 0;
    int m_textHeight = 0;
    engine::EngineEvent m_okEvent;
    engine::EngineEvent m_cancelEvent;
    std::string m_link;
    bool m_linkSigned = false;
    bool m_answered = false;
    BoxServices m_services;
    int m_focusBefore = 0;
};

// Another player asks to see this player's cards: agree or refuse, no close
// button, no countdown.
class ViewCardsRequestBox : public SystemInfoBox {
public:
    void CreateCloseButton() override { }
    void SetHeadPicture(std::string_view picture) override;
    int MeasureTextBlock(engine::CanvasObject& canvas, std::string_view text, int fontSize) override;
    void DrawTextBlock(engine::CanvasObject& canvas, std::string_view text) override;
    std::string GetTemplateName() const override;
    std::string GetTitle() const override { return {}; }

    // Builds the box for the requester's name and head picture.
    virtual void ShowViewCardsRequest(std::string_view name, std::string_view head,
        const engine::EngineEvent* agree, const engine::EngineEvent* refuse);
    virtual engine::ImageButton* CreateAcceptButton();
    virtual engine::ImageButton* CreateRefuseButton();

protected:
    // The name's header line and the two rules under it.
    void DrawHeader(engine::CanvasObject& canvas, std::string_view text);
    int m_nameLength = 0;
};

// Another player asks to leave a running game; the box refuses by itself
// when its time runs out and shows no countdown label.
class QuitRequestBox : public ViewCardsRequestBox {
public:
    void StartCountdown(int seconds) override;
    int MeasureTextBlock(engine::CanvasObject& canvas, std::string_view text, int fontSize) override;
    void DrawTextBlock(engine::CanvasObject& canvas, std::string_view text) override;
    void OnCountdownTick() override;

    // Builds the box for the requester's name, the server's reason and the
    // head picture, refusing by itself after the seconds.
    virtual void ShowQuitRequest(std::string_view name, std::string_view reason, std::string_view head,
        const engine::EngineEvent* agree, const engine::EngineEvent* refuse, int seconds);
    virtual engine::ImageButton* CreateAgreeButton();

    const std::string& GetReason() const { return m_reason; }

private:
    std::string m_reason;
};

// The player types the reason for a forced quit under the box's text. OK
// sends the reason in the OK event's param: a text made with
// engine::AllocEventBlock (also when empty) that the receiver frees with
// engine::FreeEventBlock.
class ForceQuitReasonBox : public SystemInfoBox {
public:
    int MeasureTextBlock(engine::CanvasObject& canvas, std::string_view text, int fontSize) override;
    void DrawTextBlock(engine::CanvasObject& canvas, std::string_view text) override;
    void OnOk() override;

    // Builds the box with two buttons, Cancel on expiry, and an edit of the
    // given number of lines.
    virtual void ShowReasonBox(std::string_view text, const engine::EngineEvent* ok,
        const engine::EngineEvent* cancel, int lines);
    // After ShowReasonBox: the most bytes the reason takes.
    virtual void SetMaxLength(int bytes);

    engine::RichEdit* GetReasonEdit() const { return m_edit; }

private:
    engine::RichEdit* m_edit = nullptr; // not owned: a child of the box
    int m_lines = 3;
};

// ---- creation -----------------------------------------------------------

// The engine event a box sends for a caller's BoxEvent.
engine::EngineEvent ToEngineEvent(const BoxEvent& event);

// What a creator says about a general box.
struct InfoBoxRequest {
    std::string text;
    const engine::EngineEvent* ok = nullptr;
    const engine::EngineEvent* cancel = nullptr;
    int seconds = 0;
    uint32_t flags = 0;
    std::string head;
    std::string okPicture;
    std::string cancelPicture;
    std::string link;
    bool signedLink = false;
};

// Raises the popup counter and returns the next message-box depth,
// 90000 + 2 x the raised counter.
double NextBoxDepth(engine::GameObject& creator);
// Raises the popup counter and returns the next popup depth, 90000 + 10 x
// the raised counter.
double NextPopupDepth(engine::GameObject& creator);

// Registers a general box under the creator, builds it, sets its link,
// shows it draggable at the centre of the screen at the next message-box
// depth, gives it the keyboard focus (Esc answers as its close button) and
// plays "Snd_msg". Null when the creator is not attached.
SystemInfoBox* OpenSystemInfoBox(engine::GameObject& creator, const InfoBoxRequest& request,
    BoxServices services = {});
// The request boxes, shown draggable at the next popup depth centred at
// (x, y) with the sound "SndHi"; the caller may slide them elsewhere.
ViewCardsRequestBox* OpenViewCardsRequestBox(engine::GameObject& creator, std::string_view name,
    std::string_view head, const engine::EngineEvent& agree, const engine::EngineEvent& refuse, int x, int y);
// The forced-quit reason box: titled, holding at most maxBytes of reason,
// centred at (x, y) at depth 90000 with the sound "SndHi", with the focus in
// its edit.
ForceQuitReasonBox* OpenForceQuitReasonBox(engine::GameObject& creator, std::string_view text,
    std::string_view title, const engine::EngineEvent& ok, const engine::EngineEvent& cancel, int lines,
    int maxBytes, int x, int y);
QuitRequestBox* OpenQuitRequestBox(engine::GameObject& creator, std::string_view name, std::string_view reason,
    std::string_view head, const engine::EngineEvent& agree, const engine::EngineEvent& refuse, int seconds, int x,
    int y);

} // namespace frame
