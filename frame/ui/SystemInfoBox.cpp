#include "frame/ui/SystemInfoBox.h"

#include "engine/controls/richtext/RichEdit.h"
#include "engine/controls/widgets/ImageButton.h"
#include "engine/core/GameCore.h"
#include "engine/core/ModuleMessage.h"
#include "engine/objects/CanvasObject.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/SpriteObject.h"
#include "engine/core/InputState.h"
#include "engine/core/EventCodes.h"
#include "engine/core/EngineEvent.h"
#include "engine/core/ObjectGeometry.h"
#include "frame/core/GameFrameCalls.h"
#include "frame/ui/PanelParts.h"
#include "platform/WindowMessages.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

namespace frame {

namespace {

using engine::CanvasObject;
using engine::EngineEvent;
using engine::ImageButton;
using engine::PictureDesc;
using engine::SpriteObject;

constexpr uint32_t kKey = 0xff00ff;
constexpr double kPartAbove = 0.02;
constexpr double kLabelAbove = 0.01;
constexpr double kHeadBackBelow = 0.0000001;
constexpr uint32_t kTickMs = 1000;
constexpr int kDefaultFontSize = 14;
constexpr int kButtonGap = 20;
constexpr const char* kFace = "宋体";

constexpr const char* kInfoTemplate = "系统信息框模板";
constexpr const char* kNoticeTemplate = "系统通知框模板";
constexpr const char* kOkPicture = "系统信息框_确定";
constexpr const char* kCancelPicture = "系统信息框_取消";
constexpr const char* kClosePicture = "系统信息框_关闭";
constexpr const char* kAgreePicture = "同意";
constexpr const char* kRefusePicture = "拒绝";
constexpr const char* kCaptionedPicture = "系统通知框_按钮";
constexpr const char* kHeadBackPicture = "系统通知框_头像背景";

// Flags the request boxes are built with: two buttons, refuse on expiry, a
// head picture.
constexpr uint32_t kRequestFlags = SIB_TWO_BUTTONS | SIB_EXPIRE_CANCEL | SIB_HEAD_PICTURE;
static_assert(kRequestFlags == 0x15);

constexpr int kBoxDepthBase = 90000;

bool HasEvent(const EngineEvent& e)
{
    return e.target != 0 && e.code != 0;
}

std::string Format(const char* pattern, std::string_view name)
{
    std::string out(pattern);
    const size_t at = out.find("%s");
    if (at != std::string::npos)
        out.replace(at, 2, name);
    return out;
}

} // namespace

SystemInfoBox::~SystemInfoBox() = default;

int SystemInfoBox::GetFontSize()
{
    const int size = GetIntProperty(engine::PROP_FONT_SIZE);
    return size > 0 ? size : kDefaultFontSize;
}

std::string SystemInfoBox::GetTemplateName() const
{
    return kInfoTemplate;
}

int SystemInfoBox::GetButtonHeight()
{
    PictureDesc desc;
    LookupPicture(&desc, kOkPicture, 0);
    return desc.record ? desc.height : 0;
}

int SystemInfoBox::GetHeadWidth() const
{
    return m_head ? static_cast<int>(m_head->GetWidth()) : 0;
}

void SystemInfoBox::DrawTitle()
{
    DrawTitleText(kDialogTitleX, kDialogTitleY, kDialogTitleSize);
}

int SystemInfoBox::MeasureTextBlock(CanvasObject&, std::string_view, int)
{
    return 0;
}

void SystemInfoBox::DrawTextBlock(CanvasObject& canvas, std::string_view text)
{
    const int h = canvas.MeasureText(text, m_textWidth);
    canvas.DrawText(0, std::max(0, (m_textHeight - h) / 2), text);
    canvas.Invalidate();
}

void SystemInfoBox::Build(std::string_view text, const EngineEvent* ok, const EngineEvent* cancel, int seconds,
    uint32_t flags, std::string_view head, std::string_view okPicture, std::string_view cancelPicture)
{
    m_flags = flags;
    const int f = GetFontSize();
    const int columns = GetTextColumns();
    const int rows = GetMinTextRows();
    const int marginX = GetMarginX();
    const int marginY = GetMarginY();

    int headWidth = 0;
    if (flags & SIB_HEAD_PICTURE) {
        PictureDesc desc;
        LookupPicture(&desc, head, 0);
        headWidth = desc.record ? desc.width : 0;
    }

    m_text = CreateCanvas(10, 10, kKey);
    if (!m_text)
        return;
    m_text->SetPen(0, 1.0);
    m_text->SetFont(f, 400, kFace);
    m_text->SetTextSpacing(0, f / 3);
    if (!MeasureTextBlock(*m_text, text, f)) {
        m_textWidth = f * columns;
        m_textHeight = std::max(m_text->MeasureText(text, m_textWidth), rows * f);
    }
    m_text->ResizeBuffer(m_textWidth, m_textHeight);
    m_text->ScaleTo(m_textWidth, m_textHeight);

    const int rightMargin = (flags & SIB_HEAD_PICTURE) ? marginX / 2 : marginX;
    const int width = headWidth + m_textWidth + marginX + rightMargin;
    const int height = m_textHeight + 2 * marginY + GetButtonHeight() + f;

    PictureDesc frame;
    PictureDesc second;
    const std::string templateName = GetTemplateName();
    LookupPicture(&frame, templateName, 0);
    LookupPicture(&second, templateName, 1);
    Create(&frame, second.record ? &second : nullptr, width, height);
    SetTitle(GetTitle());

    const engine::Rect client = GetClientRect();
    const int left = static_cast<int>(GetLeft());
    const int top = static_cast<int>(GetTop());
    m_text->MoveTo(left + client.left + marginX + headWidth + m_textWidth / 2,
        top + client.top + marginY + m_textHeight / 2);
    SetContent(m_text);
    m_text->Clear();
    DrawTextBlock(*m_text, text);

    SetHeadPicture(head);
    CreateButtons(ok, cancel, okPicture, cancelPicture);
    StartCountdown(seconds);

    // Esc answers as the close button does, while the box has the focus.
    SetFocusable(true);
    SubscribeSelf(engine::EVT_KEY_DOWN);
}

void SystemInfoBox::SetHeadPicture(std::string_view picture)
{
    if (!(m_flags & SIB_HEAD_PICTURE) || picture.empty() || m_head)
        return;
    PictureDesc desc;
    LookupPicture(&desc, picture, 0);
    m_head = CreateSprite(desc);
    if (!m_head)
        return;
    const engine::Rect client = GetClientRect();
    m_head->MoveTo(GetLeft() + client.left + GetMarginX() / 2 + static_cast<int>(m_head->GetWidth()) / 2,
        GetTop() + client.top + GetMarginY() + static_cast<int>(m_head->GetHeight()) / 2);
    m_head->SetZ(GetZ() + kPartAbove);
    AddChild(m_head, engine::LINK_STANDARD);
    if (m_flags & SIB_HEAD_ANIMATED)
        PlayFrames(m_head, 0, -1, 0, 0, nullptr);
}

ImageButton* SystemInfoBox::MakeButton(std::string_view picture, std::string_view fallback, int code)
{
    return MakeSkinButton(*this, picture.empty() ? fallback : picture, code, engine::ObjectFlags::kPixelHitTest);
}

ImageButton* SystemInfoBox::CreateOkButton(std::string_view picture)
{
    return MakeButton(picture, kOkPicture, EVT_SIB_OK);
}

ImageButton* SystemInfoBox::CreateCancelButton(std::string_view picture)
{
    return MakeButton(picture, kCancelPicture, EVT_SIB_CANCEL);
}

int SystemInfoBox::CloseAnswerCode() const
{
    return (m_flags & SIB_TWO_BUTTONS) ? EVT_SIB_CANCEL : EVT_SIB_OK;
}

void SystemInfoBox::CreateCloseButton()
{
    m_close = MakeButton({}, kClosePicture, CloseAnswerCode());
    if (!m_close)
        return;
    const double w = m_close->GetWidth();
    const double h = m_close->GetHeight();
    m_close->MoveTo(GetRight() - 7 - static_cast<int>(w) / 2, GetTop() + 1 + static_cast<int>(h) / 2);
    m_close->SetZ(GetZ() + kPartAbove);
    AddChild(m_close, engine::LINK_STANDARD);
}

void SystemInfoBox::CreateButtons(const EngineEvent* ok, const EngineEvent* cancel, std::string_view okPicture,
    std::string_view cancelPicture)
{
    const engine::Rect client = GetClientRect();
    const int f = GetFontSize();
    const int rowY = static_cast<int>(GetTop()) + client.top + f + m_textHeight + GetMarginY() + GetButtonHeight() / 2;
    const double centreX = GetX();

    auto place = [&](ImageButton* button, double x) {
        if (!button)
            return;
        button->MoveTo(x, rowY);
        button->SetZ(GetZ() + kPartAbove);
        AddChild(button, engine::LINK_STANDARD);
    };
    m_ok = CreateOkButton(okPicture);
    if (m_flags & SIB_TWO_BUTTONS) {
        m_cancel = CreateCancelButton(cancelPicture);
        place(m_ok, m_ok ? centreX - static_cast<int>(m_ok->GetWidth()) / 2 - kButtonGap / 2 : 0);
        place(m_cancel, m_cancel ? centreX + static_cast<int>(m_cancel->GetWidth()) / 2 + kButtonGap / 2 : 0);
    } else {
        place(m_ok, centreX);
    }
    if (ok)
        m_okEvent = *ok;
    if ((m_flags & SIB_TWO_BUTTONS) && cancel)
        m_cancelEvent = *cancel;
    CreateCloseButton();
}

void SystemInfoBox::RepeatTicks(int seconds)
{
    const EngineEvent tick(GetId(), EVT_SIB_TICK);
    RepeatEvent(kTickMs, seconds + 3, &tick);
}

void SystemInfoBox::DrawCountdownLabel()
{
    if (!m_label)
        return;
    char number[16];
    std::snprintf(number, sizeof number, "%d", m_seconds);
    m_label->Clear();
    m_label->DrawTextCentred(m_label->GetBufferWidth() / 2, m_label->GetBufferHeight() / 2, number);
    m_label->Invalidate();
}

void SystemInfoBox::StartCountdown(int seconds)
{
    m_seconds = seconds;
    if (seconds <= 0 || !m_text)
        return;
    const int f = GetFontSize();
    char number[16];
    const int digits = std::snprintf(number, sizeof number, "%d", seconds);
    const int width = digits * f / 2;
    m_label = CreateCanvas(width, f, kKey);
    if (m_label) {
        m_label->SetFont(f, 400, kFace);
        m_label->SetPen(0, 1.0);
        m_label->MoveTo(m_text->GetRight() - width, m_text->GetBottom() + f + GetButtonHeight() / 2);
        m_label->SetZ(m_text->GetZ() + kLabelAbove);
        AddChild(m_label, engine::LINK_STANDARD);
        DrawCountdownLabel();
    }
    RepeatTicks(seconds);
}

void SystemInfoBox::OnCountdownTick()
{
    if (m_answered)
        return;
    --m_seconds;
    if (m_seconds >= 0)
        DrawCountdownLabel();
    if (m_seconds < 0) {
        if (m_flags & SIB_EXPIRE_CANCEL)
            OnCancel();
        else
            OnOk();
    }
}

void SystemInfoBox::SetLink(std::string_view address, bool signedLink)
{
    m_link.assign(address);
    m_linkSigned = signedLink;
}

void SystemInfoBox::TakeFocus()
{
    engine::InputState state;
    GetInputState(&state);
    if (state.focusId != GetId())
        m_focusBefore = state.focusId;
    SetFocus(GetId());
}

bool SystemInfoBox::Answer(const EngineEvent& event)
{
    if (m_answered)
        return false;
    m_answered = true;
    CancelActionsOf(GetId());
    // Before the event: its receiver may open a box that takes the focus.
    if (m_focusBefore != 0 && FindObjectById(m_focusBefore))
        SetFocus(m_focusBefore);
    if (HasEvent(event))
        SendEvent(event);
    RemoveObject(this, 1);
    return true;
}

void SystemInfoBox::OnOk()
{
    if (m_answered)
        return;
    if (!m_link.empty() && m_services.openLink)
        m_services.openLink(m_link, m_linkSigned);
    Answer(m_okEvent);
}

void SystemInfoBox::OnCancel()
{
    Answer(m_cancelEvent);
}

int SystemInfoBox::OnEvent(const EngineEvent& event)
{
    switch (event.code) {
    case EVT_SIB_TICK:
        OnCountdownTick();
        break;
    case EVT_SIB_OK:
        OnOk();
        break;
    case EVT_SIB_CANCEL:
        OnCancel();
        break;
    case engine::EVT_KEY_DOWN: {
        const auto* state = event.DataAs<const engine::InputState>();
        if (state && state->lastKeyDown == platform::kVkEscape && m_close)
            OnEvent(EngineEvent(GetId(), CloseAnswerCode()));
        break;
    }
    default:
        break;
    }
    return EngineObject::OnEvent(event);
}

// ---- the view-cards request ---------------------------------------------

std::string ViewCardsRequestBox::GetTemplateName() const
{
    return kNoticeTemplate;
}

void ViewCardsRequestBox::ShowViewCardsRequest(std::string_view name, std::string_view head,
    const EngineEvent* agree, const EngineEvent* refuse)
{
    m_nameLength = static_cast<int>(name.size());
    Build(Format("<c=255>%s<c=0> 请求看牌!", name), agree, refuse, 0, kRequestFlags, head, kAgreePicture,
        kRefusePicture);
}

int ViewCardsRequestBox::MeasureTextBlock(CanvasObject&, std::string_view, int fontSize)
{
    // The name in bytes and the ten bytes of " 请求看牌!", two bytes a column.
    const int columns = std::max((m_nameLength + 10) / 2, 12);
    SetTextBlockSize(fontSize * columns, 2 * fontSize);
    return 1;
}

void ViewCardsRequestBox::DrawHeader(CanvasObject& canvas, std::string_view text)
{
    const int f = GetFontSize();
    const int right = canvas.GetBufferWidth() - 1;
    canvas.SetPen(0, 1.0);
    canvas.SetFont(f, 700, kFace);
    canvas.DrawText(0, 0, text);
    canvas.SetPen(0xbdd0b4, 1.0);
    canvas.DrawLine(0, f + 5, right, f + 5);
    canvas.SetPen(0xdeeed7, 1.0);
    canvas.DrawLine(0, f + 6, right, f + 6);
}

void ViewCardsRequestBox::DrawTextBlock(CanvasObject& canvas, std::string_view text)
{
    DrawHeader(canvas, text);
    canvas.Invalidate();
}

void ViewCardsRequestBox::SetHeadPicture(std::string_view picture)
{
    SystemInfoBox::SetHeadPicture(picture);
    if (!m_head)
        return;
    PictureDesc desc;
    LookupPicture(&desc, kHeadBackPicture, 0);
    SpriteObject* back = CreateSprite(desc);
    if (!back)
        return;
    back->MoveTo(m_head->GetX(), m_head->GetY());
    back->SetZ(m_head->GetZ() - kHeadBackBelow);
    m_head->AddChild(back, engine::LINK_STANDARD);
}

ImageButton* ViewCardsRequestBox::CreateAcceptButton()
{
    ImageButton* button = MakeButton({}, kCaptionedPicture, EVT_SIB_OK);
    if (button)
        button->SetCaption("接受", 0, GetFontSize());
    return button;
}

ImageButton* ViewCardsRequestBox::CreateRefuseButton()
{
    ImageButton* button = MakeButton({}, kCaptionedPicture, EVT_SIB_CANCEL);
    if (button)
        button->SetCaption("拒绝", 0, GetFontSize());
    return button;
}

// ---- the quit request -----------------------------------------------------

void QuitRequestBox::ShowQuitRequest(std::string_view name, std::string_view reason, std::string_view head,
    const EngineEvent* agree, const EngineEvent* refuse, int seconds)
{
    m_nameLength = static_cast<int>(name.size());
    m_reason.assign(reason);
    Build(Format("<c=255>%s<c=0> 请求退出!", name), agree, refuse, seconds, kRequestFlags, head, kAgreePicture,
        kRefusePicture);
}

int QuitRequestBox::MeasureTextBlock(CanvasObject& canvas, std::string_view text, int fontSize)
{
    ViewCardsRequestBox::MeasureTextBlock(canvas, text, fontSize);
    const int width = GetTextWidth();
    SetTextBlockSize(width, canvas.MeasureText(m_reason, width) + 2 * fontSize);
    return 1;
}

void QuitRequestBox::DrawTextBlock(CanvasObject& canvas, std::string_view text)
{
    DrawHeader(canvas, text);
    const int f = GetFontSize();
    canvas.SetPen(0, 1.0);
    canvas.SetFont(f, 400, kFace);
    canvas.DrawText(0, 2 * f, m_reason);
    canvas.Invalidate();
}

void QuitRequestBox::StartCountdown(int seconds)
{
    m_seconds = seconds;
    if (seconds > 0)
        RepeatTicks(seconds);
}

void QuitRequestBox::OnCountdownTick()
{
    if (m_answered)
        return;
    if (--m_seconds < 0) {
        if (m_flags & SIB_EXPIRE_CANCEL)
            OnCancel();
        else
            OnOk();
    }
}

ImageButton* QuitRequestBox::CreateAgreeButton()
{
    ImageButton* button = MakeButton({}, kCaptionedPicture, EVT_SIB_OK);
    if (button)
        button->SetCaption("同意", 0, GetFontSize());
    return button;
}

// ---- the forced-quit reason ----------------------------------------------

namespace {

constexpr uint32_t kReasonFlags = SIB_TWO_BUTTONS | SIB_EXPIRE_CANCEL;
static_assert(kReasonFlags == 0x05);
constexpr int kEditPadding = 6;
constexpr uint32_t kEditBackground = 0xeaf2f2;
constexpr uint32_t kEditBorder = 0x5a5151;

} // namespace

void ForceQuitReasonBox::ShowReasonBox(std::string_view text, const EngineEvent* ok, const EngineEvent* cancel,
    int lines)
{
    m_lines = lines;
    Build(text, ok, cancel, 0, kReasonFlags, {}, {}, {});
}

void ForceQuitReasonBox::SetMaxLength(int bytes)
{
    if (m_edit)
        m_edit->SetMaxLength(bytes);
}

int ForceQuitReasonBox::MeasureTextBlock(CanvasObject& canvas, std::string_view text, int fontSize)
{
    const int width = fontSize * GetTextColumns();
    const int textHeight = std::max(canvas.MeasureText(text, width), GetMinTextRows() * fontSize);
    SetTextBlockSize(width, textHeight + kEditPadding + fontSize * m_lines);
    return 1;
}

void ForceQuitReasonBox::DrawTextBlock(CanvasObject& canvas, std::string_view text)
{
    canvas.DrawText(0, 0, text);
    canvas.Invalidate();
    if (m_edit)
        return;
    m_edit = static_cast<engine::RichEdit*>(RegisterObject(std::make_unique<engine::RichEdit>()));
    if (!m_edit)
        return;
    const int f = GetFontSize();
    m_edit->Create(m_textWidth + kEditPadding, f * m_lines + kEditPadding, 0);
    m_edit->Layout(m_textWidth, f * m_lines);
    m_edit->SetBackgroundColour(kEditBackground);
    m_edit->SetFontSize(f);
    m_edit->SetTextColour(0);
    // The edit fills the bottom of the text block.
    m_edit->MoveTo(canvas.GetX(), canvas.GetBottom() - m_edit->GetHeight() / 2);
    if (CanvasObject* back = m_edit->GetBackgroundCanvas())
        back->DrawBorder(kEditBorder, 1);
    m_edit->SetZ(canvas.GetZ());
    AddChild(m_edit, engine::LINK_STANDARD);
}

void ForceQuitReasonBox::OnOk()
{
    if (m_answered)
        return;
    if (!HasEvent(m_okEvent)) {
        Answer(m_okEvent);
        return;
    }
    EngineEvent event = m_okEvent;
    const std::string reason = m_edit ? m_edit->GetText() : std::string();
    uint8_t* block = engine::AllocEventBlock(reason.size() + 1);
    std::copy(reason.begin(), reason.end(), block);
    block[reason.size()] = 0;
    event.param = engine::ToWord(block);
    Answer(event); // the receiver owns the text now
}

// ---- creation ------------------------------------------------------------

namespace {

int RaisePopupCounter(engine::GameObject& creator)
{
    const int n = std::max(creator.GetIntProperty(kPopupCounterProperty), 0) + 1;
    creator.SetIntProperty(kPopupCounterProperty, n);
    return n;
}

template <typename Box>
Box* RegisterBox(engine::GameObject& creator)
{
    return static_cast<Box*>(creator.RegisterObject(std::make_unique<Box>()));
}

void Present(SystemInfoBox& box, double depth, int x, int y, const char* sound)
{
    box.Show();
    box.SetDraggable(true);
    // The box reports its frame's depth, and its parts follow by the same
    // step: move them all so that the frame lands on the depth.
    box.SetZ(box.EngineObject::GetZ() + depth - box.GetZ());
    box.MoveTo(x, y);
    box.Invalidate();
    box.TakeFocus();
    box.PlaySound(sound, 1, nullptr);
}

} // namespace

EngineEvent ToEngineEvent(const BoxEvent& event)
{
    return EngineEvent(static_cast<int>(event.receiver), static_cast<int>(event.code),
        static_cast<engine::MessageWord>(event.param), static_cast<engine::MessageWord>(event.data));
}

double NextBoxDepth(engine::GameObject& creator)
{
    return kBoxDepthBase + 2.0 * RaisePopupCounter(creator);
}

double NextPopupDepth(engine::GameObject& creator)
{
    return kBoxDepthBase + 10.0 * RaisePopupCounter(creator);
}

SystemInfoBox* OpenSystemInfoBox(engine::GameObject& creator, const InfoBoxRequest& request, BoxServices services)
{
    auto* box = RegisterBox<SystemInfoBox>(creator);
    if (!box)
        return nullptr;
    box->SetServices(std::move(services));
    box->Build(request.text, request.ok, request.cancel, request.seconds, request.flags, request.head,
        request.okPicture, request.cancelPicture);
    if (!request.link.empty())
        box->SetLink(request.link, request.signedLink);
    Present(*box, NextBoxDepth(creator), box->GetScreenWidth() / 2, box->GetScreenHeight() / 2, "Snd_msg");
    return box;
}

ViewCardsRequestBox* OpenViewCardsRequestBox(engine::GameObject& creator, std::string_view name,
    std::string_view head, const EngineEvent& agree, const EngineEvent& refuse, int x, int y)
{
    auto* box = RegisterBox<ViewCardsRequestBox>(creator);
    if (!box)
        return nullptr;
    box->ShowViewCardsRequest(name, head, &agree, &refuse);
    Present(*box, NextPopupDepth(creator), x, y, "SndHi");
    return box;
}

ForceQuitReasonBox* OpenForceQuitReasonBox(engine::GameObject& creator, std::string_view text,
    std::string_view title, const EngineEvent& ok, const EngineEvent& cancel, int lines, int maxBytes, int x, int y)
{
    auto* box = RegisterBox<ForceQuitReasonBox>(creator);
    if (!box)
        return nullptr;
    box->ShowReasonBox(text, &ok, &cancel, lines);
    box->SetMaxLength(maxBytes);
    box->SetTitle(title);
    Present(*box, kBoxDepthBase, x, y, "SndHi");
    if (engine::RichEdit* edit = box->GetReasonEdit())
        edit->TakeFocus();
    return box;
}

QuitRequestBox* OpenQuitRequestBox(engine::GameObject& creator, std::string_view name, std::string_view reason,
    std::string_view head, const EngineEvent& agree, const EngineEvent& refuse, int seconds, int x, int y)
{
    auto* box = RegisterBox<QuitRequestBox>(creator);
    if (!box)
        return nullptr;
    box->ShowQuitRequest(name, reason, head, &agree, &refuse, seconds);
    Present(*box, NextPopupDepth(creator), x, y, "SndHi");
    return box;
}

} // namespace frame
