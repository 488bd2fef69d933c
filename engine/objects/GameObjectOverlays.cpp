// The system overlays of GameObject: the message panel, the system-detail
// panel, the system note and the system board. They are drawn on canvases
// with the engine's own font and need no resource pictures.

#include "engine/objects/GameObject.h"

#include "engine/core/EngineRunLog.h"
#include "engine/core/GameCore.h"
#include "engine/core/MemoryPool.h"
#include "engine/core/ObjectModule.h"
#include "engine/core/TimedAction.h"
#include "engine/objects/CanvasObject.h"
#include "engine/objects/OverlayPanel.h"
#include "engine/modules/PaintModule.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace engine {

namespace {

constexpr int kOverlayFontSize = 15;
constexpr int kOverlayWeight = 400;
constexpr const char* kOverlayFace = "宋体";
constexpr const char* kSystemNoteName = "object_systemnote";
constexpr const char* kSystemBoardName = "object-systemboard";
constexpr uint32_t kPanelGreen = 0x8000;
constexpr uint32_t kNoteRefreshMs = 1000;

void SetOverlayFont(CanvasObject& canvas)
{
    canvas.SetFont(kOverlayFontSize, kOverlayWeight, kOverlayFace);
}

double AverageFps(GameCore* core)
{
    auto* paint = core ? dynamic_cast<PaintModule*>(core->FindModule(MODULE_PAINT)) : nullptr;
    return paint ? paint->GetAverageFps() : 0.0;
}

ObjectModule* Objects(GameCore* core)
{
    return core ? dynamic_cast<ObjectModule*>(core->FindModule(MODULE_OBJECT)) : nullptr;
}

std::vector<std::string> SplitLines(std::string_view text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (true) {
        const size_t end = text.find('\n', start);
        lines.emplace_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return lines;
}

// A new panel from the installed maker, registered under owner and made
// with the size, events and seconds. Null (with a log line naming the
// overlay) when no maker is installed or the panel could not be made.
OverlayPanel* MakePanel(GameObject& owner, const char* overlay, int width, int height, const EngineEvent* ok,
    const EngineEvent* cancel, int seconds)
{
    std::unique_ptr<OverlayPanel> made = MakeOverlayPanel();
    if (!made) {
        LogPrintf("%s: no modal panel maker is installed", overlay);
        return nullptr;
    }
    OverlayPanel* panel = made.get();
    if (!owner.RegisterObject(std::move(made)))
        return nullptr;
    if (!panel->Create(width, height, ok, cancel, seconds)) {
        LogPrintf("%s: the panel could not be made", overlay);
        owner.RemoveObject(panel, 0);
        return nullptr;
    }
    return panel;
}

// Places the panel's buttons and countdown label on the line b near the
// bottom of the drawn canvas: OK alone in the middle, OK and Cancel side by
// side 20 pixels apart, the label beside or above them. A Cancel button
// without OK stays where the panel put it.
void PlaceParts(OverlayPanel& panel, const CanvasObject& canvas, int h)
{
    EngineObject* ok = panel.GetOkButton();
    EngineObject* cancel = panel.GetCancelButton();
    EngineObject* label = panel.GetCountdownLabel();
    const double centreX = canvas.GetX();
    const double b = canvas.GetY() + h / 2 - 20;
    if (ok && !cancel) {
        ok->MoveTo(centreX, b);
        if (label)
            label->MoveTo(canvas.GetRight() - 10, b);
    } else if (ok) {
        ok->MoveTo(centreX - ok->GetWidth() / 2 - 10, b);
        cancel->MoveTo(centreX + cancel->GetWidth() / 2 + 10, b);
        if (label)
            label->MoveTo(canvas.GetRight() - 10, ok->GetY() - ok->GetHeight() / 2 - label->GetHeight() / 2);
    } else if (label) {
        label->MoveTo(centreX + label->GetHeight() / 2, b);
    }
}

// The note's refresh: redraws the counters every run and never finishes.
int RefreshNote(EngineObject* target, void*, GameCore* core, uint32_t)
{
    auto* note = dynamic_cast<CanvasObject*>(target);
    ObjectModule* objects = Objects(core);
    if (!note || !objects)
        return 1;
    note->Clear();
    note->BringToFront();
    char line[64];
    std::snprintf(line, sizeof line, "实体:%ld", static_cast<long>(objects->GetObjectCount()));
    note->DrawText(0, 0, line);
    std::snprintf(line, sizeof line, "事件:%ld", static_cast<long>(objects->GetLiveActionCount()));
    note->DrawText(0, 20, line);
    std::snprintf(line, sizeof line, "FPS :%0.1f", AverageFps(core));
    note->DrawText(0, 40, line);
    note->Invalidate();
    return 0;
}

} // namespace

void GameObject::ShowMessagePanel(std::string_view text, const EngineEvent* ok, const EngineEvent* cancel, int seconds)
{
    if (!GetObjectModule()) {
        LogPrintf("ShowMessagePanel: ObjectModule is not loaded");
        return;
    }
    OverlayPanel* panel = MakePanel(*this, "ShowMessagePanel", 10, 10, ok, cancel, seconds);
    if (!panel)
        return;
    CanvasObject& canvas = *panel->GetBackground();
    canvas.SetPen(static_cast<uint32_t>(GetIntProperty(PROP_MSG_TEXT_COLOUR)), 1.0);
    SetOverlayFont(canvas);
    canvas.SetTextMargins(10, 10);

    const std::vector<std::string> lines = SplitLines(text);
    int w = 200;
    auto heightAt = [&](int width) {
        int h = 70;
        for (const std::string& line : lines)
            h += canvas.MeasureText(line, width);
        return h;
    };
    int h = heightAt(w);
    while (static_cast<double>(w) / h < 0.8 && w < 500) {
        w += 50;
        h = heightAt(w);
    }
    canvas.ResizeBuffer(w, h);
    canvas.ScaleTo(w, h);
    canvas.SetBackground(static_cast<uint32_t>(GetIntProperty(PROP_MSG_BACK_COLOUR)));
    canvas.Clear();
    canvas.DrawBorder(0, 2);
    canvas.DrawBorder(static_cast<uint32_t>(GetIntProperty(PROP_MSG_BORDER_COLOUR)), 1);
    int y = 10;
    for (const std::string& line : lines) {
        canvas.DrawWrappedText(line.c_str(), y);
        y += canvas.MeasureText(line, w);
    }
    PlaceParts(*panel, canvas, h);

    panel->SetZ(100000.0);
    panel->MoveTo(GetScreenWidth() / 2, GetScreenHeight() / 2);
    panel->SetOpacity(0.0);
    panel->Show();
    panel->Invalidate();
    FadeOpacity(panel, 0.1, 1.0, 30, nullptr);
}

void GameObject::ShowSystemDetail()
{
    ObjectModule* objects = GetObjectModule();
    if (!objects) {
        LogPrintf("ShowSystemDetail: ObjectModule is not loaded");
        return;
    }
    OverlayPanel* panel = MakePanel(*this, "ShowSystemDetail", 300, 200, nullptr, nullptr, -1);
    if (!panel)
        return;
    CanvasObject& canvas = *panel->GetBackground();
    canvas.SetBackground(kPanelGreen);
    canvas.Clear();
    canvas.DrawBorder(0, 1);
    canvas.SetPen(0xffffff, 1.0);
    SetOverlayFont(canvas);

    char line[96];
    canvas.DrawText(100, 0, "<size=20>系统详情");
    std::snprintf(line, sizeof line, "实体:%d", static_cast<int>(objects->GetObjectCount()));
    canvas.DrawText(10, 20, line);
    std::snprintf(line, sizeof line, "事件:%d", static_cast<int>(objects->GetLiveActionCount()));
    canvas.DrawText(10, 40, line);
    std::snprintf(line, sizeof line, "内存申请:%lld Byte", PoolBytesRequested());
    canvas.DrawText(10, 60, line);
    std::snprintf(line, sizeof line, "内存使用:%lld Byte", PoolBytesInUse());
    canvas.DrawText(10, 80, line);
    std::snprintf(line, sizeof line, "FPS:%.1f 帧", AverageFps(GetCore()));
    canvas.DrawText(10, 100, line);

    panel->MoveTo(GetScreenWidth() / 2, GetScreenHeight() / 2);
    panel->SetOpacity(0.0);
    panel->Show();
    panel->Invalidate();
    FadeOpacity(panel, 0.1, 1.0, 30, nullptr);
}

void GameObject::ShowSystemNote(int flag)
{
    ObjectModule* objects = GetObjectModule();
    if (!objects) {
        LogPrintf("ShowSystemNote: ObjectModule is not loaded");
        return;
    }
    auto* note = dynamic_cast<CanvasObject*>(FindObjectByName(kSystemNoteName));
    if (!note) {
        note = CreateCanvas(100, 100, kNoColourKey);
        if (!note)
            return;
        note->SetTopmost();
        note->MoveTo(50, 50);
        note->SetName(kSystemNoteName);
        note->SetPen(255, 1.0);
        SetOverlayFont(*note);
        note->Invalidate();
    }
    CancelActionsOf(note->GetId());
    if (!flag) {
        note->Hide();
        note->Invalidate();
        return;
    }
    note->BringToFront();
    note->Show();
    note->Invalidate();
    TimedAction* refresh = objects->NewAction();
    if (!refresh)
        return;
    refresh->target = note;
    refresh->targetId = note->GetId();
    refresh->interval = kNoteRefreshMs;
    refresh->step = RefreshNote;
    GetCore()->PostModuleMessage(MODULE_OBJECT, MODMSG_OBJ_ADD_ACTION, ToWord(refresh), 0);
}

uint64_t GameObject::ShowSystemBoard(const char* text, int seconds)
{
    if (!GetObjectModule()) {
        LogPrintf("ShowSystemBoard: ObjectModule is not loaded");
        return 0;
    }
    CanvasObject* board = FindSystemBoard();
    if (!board) {
        board = CreateCanvas(10, 10, kNoColourKey);
        if (!board)
            return 0;
        board->SetTopmost();
        board->SetName(kSystemBoardName);
        board->SetPen(0, 1.0);
        SetOverlayFont(*board);
        board->SetDraggable(true);
    }
    if (text) {
        const std::string_view content(text);
        int w = static_cast<int>(static_cast<unsigned>(content.size() * board->Style().size) / 2u);
        w = std::min(w, GetScreenWidth() / 2);
        int h = board->MeasureText(content, w);
        w += 20;
        h += 20;
        board->ResizeBuffer(w, h);
        board->ScaleTo(w, h);
        board->SetBackground(kPanelGreen);
        board->SetTextMargins(10, 10);
        board->Clear();
        board->DrawText(0, 10, content);
        board->DrawBorder(0, 2);
        board->DrawBorder(0xffffff, 1);
    }
    board->BringToFront();
    board->Show();
    board->MoveTo(GetScreenWidth() / 2, GetScreenHeight() / 2);
    board->SetOpacity(0.0);
    board->Invalidate();
    uint64_t id = FadeOpacity(board, 0.1, 1.0, 30, nullptr);
    if (seconds >= 1) {
        const EngineEvent hide(board->GetId(), EVT_HIDE);
        id = Delay(static_cast<uint32_t>(seconds) * 1000u, &hide);
    }
    return id;
}

void GameObject::CloseSystemBoard()
{
    CanvasObject* board = FindSystemBoard();
    if (!board)
        return;
    CancelActionsOf(board->GetId());
    board->Hide();
    board->Invalidate();
}

CanvasObject* GameObject::FindSystemBoard()
{
    return dynamic_cast<CanvasObject*>(FindObjectByName(kSystemBoardName));
}

} // namespace engine
