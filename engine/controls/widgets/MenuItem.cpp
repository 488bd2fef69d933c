#include "engine/controls/widgets/MenuItem.h"

#include "engine/objects/CanvasObject.h"

namespace engine {

namespace {

constexpr uint32_t kHoverTint = 0xFF0000; // blue
constexpr uint32_t kHoverBorder = 0xBB5B6C;
constexpr double kDisabledOpacity = 0.3;

} // namespace

void MenuItem::DrawCentredCaption()
{
    CanvasObject* c = GetCanvas();
    const TextStyle& style = c->Style();
    c->SetFont(GetFontSize(), style.weight, "宋体");
    c->DrawTextCentred(static_cast<int>(c->GetWidth() / 2), static_cast<int>(c->GetHeight() / 2), Caption());
}

void MenuItem::DrawState(int state)
{
    CanvasObject* c = GetCanvas();
    if (!c)
        return;
    switch (state) {
    case kTextButtonNormal:
        c->Clear();
        c->SetOpacity(1.0);
        c->SetFont(GetFontSize(), 400, "宋体");
        DrawCentredCaption();
        break;
    case kTextButtonHover:
        c->SetFont(GetFontSize(), 700, "宋体");
        c->Clear();
        c->SetOpacity(1.0);
        DrawCentredCaption();
        c->Tint(kHoverTint, 0.2);
        c->DrawBorder(kHoverBorder, 1);
        break;
    case kTextButtonPressed:
        c->SetOpacity(1.0);
        c->InvertRect(0, 0, static_cast<int>(c->GetWidth()), static_cast<int>(c->GetHeight()));
        break;
    case kTextButtonDisabled:
        c->Clear();
        c->SetFont(GetFontSize(), 400, "宋体");
        c->SetOpacity(kDisabledOpacity);
        DrawCentredCaption();
        break;
    default:
        break;
    }
    c->Invalidate();
}

} // namespace engine
