#include "frame/ui/FacePicker.h"

#include "engine/controls/widgets/ImageButton.h"
#include "engine/core/InputState.h"
#include "engine/core/EventCodes.h"
#include "engine/core/EngineEvent.h"
#include "engine/objects/CanvasObject.h"
#include "engine/objects/SpriteObject.h"
#include "frame/ui/FaceTables.h"

#include <algorithm>

namespace frame {

namespace {

constexpr uint32_t kKey = 0xff00ff;
constexpr uint32_t kWhite = 0xffffff;
constexpr uint32_t kRed = 0x0000ff; // 0x00BBGGRR
constexpr uint32_t kGridLines = 0xe1e1e1;
constexpr uint32_t kHighlightLink = 0x3C0AB;
constexpr uint32_t kPreviewLink = 0x13C0AB;
constexpr uint32_t kButtonLink = 0x1BC0AB;
constexpr double kHighlightAbove = 0.001;
constexpr double kHoverAbove = 0.1;
constexpr double kButtonAbove = 0.2;
constexpr double kPreviewAbove = 0.25;
constexpr double kPreviewSpriteAbove = 0.3;
constexpr int kPreviewSize = 64;
constexpr int kPreviewFace = 48;
constexpr int kPreviewFaceDrop = 6; // below the centre, clear of the code
constexpr const char* kPreviousPicture = "vkf向前翻页";
constexpr const char* kNextPicture = "vkf向后翻页";

// Hidden objects leave the screen (and the list of what the mouse can hit)
// when their place is redrawn.
void HideNow(engine::EngineObject* object)
{
    if (!object)
        return;
    object->Hide();
    object->Invalidate();
}

} // namespace

void FacePicker::Create(int cols, int rows, int cellSize, int padding)
{
    m_cols = std::max(cols, 0);
    m_rows = std::max(rows, 0);
    m_cellSize = cellSize;
    m_padding = padding;
    const int d = GetCellStep();
    m_grid = CreateCanvas(std::max(m_cols * d, 1), std::max(m_rows * d, 1), kWhite);
    if (m_grid) {
        Bind(m_grid, engine::LINK_STANDARD);
        m_grid->Show();
    }
    m_highlight = CreateCanvas(d, d, kKey);
    if (m_highlight && m_grid) {
        m_highlight->Clear();
        m_highlight->DrawBorder(kRed, 1);
        m_highlight->SetZ(m_grid->GetZ() + kHighlightAbove);
        m_grid->AddChild(m_highlight, kHighlightLink);
        m_highlight->Hide();
    }
    m_previous = MakePageButton(kPreviousPicture, EVT_FACE_PREVIOUS_PAGE);
    m_next = MakePageButton(kNextPicture, EVT_FACE_NEXT_PAGE);
    for (int code : { engine::EVT_MOUSE_MOVE, engine::EVT_MOUSE_ENTER, engine::EVT_MOUSE_LEAVE,
             engine::EVT_LBUTTON_DOWN, engine::EVT_RBUTTON_DOWN })
        SubscribeSelf(code);
    if (GetPageSize() <= 0) {
        m_pages = 0;
        Hide();
    }
}

engine::ImageButton* FacePicker::MakePageButton(const char* picture, int code)
{
    auto* button = static_cast<engine::ImageButton*>(RegisterObject(std::make_unique<engine::ImageButton>()));
    if (!button || !m_grid)
        return button;
    engine::PictureDesc desc;
    LookupPicture(&desc, picture, 0);
    const engine::EngineEvent click(GetId(), code);
    button->Create(desc, &click, 0, 0);
    button->SetZ(m_grid->GetZ() + kButtonAbove);
    m_grid->AddChild(button, kButtonLink);
    button->Show();
    return button;
}

void FacePicker::AddEntry(std::string_view name, std::string_view text, int value)
{
    m_entries.push_back({ std::string(name), std::string(text), value });
}

void FacePicker::PlaceButton(engine::ImageButton* button, int cell, bool enabled)
{
    if (!button)
        return;
    const int d = GetCellStep();
    const int c = cell % m_cols;
    const int r = cell / m_cols;
    button->MoveTo(static_cast<int>(GetLeft()) + c * d + m_padding + d / 2.0,
        static_cast<int>(GetTop()) + r * d + m_padding + d / 2.0);
    button->SetEnabled(enabled);
}

void FacePicker::Draw()
{
    const int n = GetPageSize();
    if (n < 1 || !m_grid)
        return;
    const int d = GetCellStep();
    const int width = m_cols * d;
    const int height = m_rows * d;
    m_grid->Clear();
    m_grid->SetPen(kGridLines, 1.0);
    for (int i = 1; i < m_cols; ++i)
        m_grid->DrawLine(i * d, 0, i * d, height - 1);
    for (int j = 1; j < m_rows; ++j)
        m_grid->DrawLine(0, j * d, width - 1, j * d);
    m_pages = static_cast<int>(m_entries.size()) / n + 1;
    for (int r = 0; r < m_rows; ++r)
        for (int c = 0; c < m_cols; ++c) {
            const int b = r * m_cols + c;
            if (b < n) {
                const size_t index = static_cast<size_t>(m_page) * n + b;
                if (index >= m_entries.size())
                    continue;
                engine::PictureDesc desc;
                LookupPicture(&desc, EmoticonSmallPicture(m_entries[index].name), 0);
                m_grid->BlitPicture(desc, c * d + m_padding, r * d + m_padding, m_cellSize, m_cellSize, 0.0, 1.0);
            } else if (b == n) {
                PlaceButton(m_previous, b, m_page != 0);
            } else if (b == n + 1) {
                PlaceButton(m_next, b, m_page != m_pages - 1);
            }
        }
    m_grid->DrawBorder(0, 1);
    m_grid->Invalidate();
}

void FacePicker::Resize(int cols, int rows)
{
    m_cols = std::max(cols, 0);
    m_rows = std::max(rows, 0);
    const int d = GetCellStep();
    if (m_grid) {
        const int w = std::max(m_cols * d, 1);
        const int h = std::max(m_rows * d, 1);
        m_grid->ResizeBuffer(w, h);
        m_grid->ScaleTo(w, h);
    }
    if (GetPageSize() < 1) {
        m_pages = 0;
        Hide();
        return;
    }
    m_pages = static_cast<int>(m_entries.size()) / GetPageSize() + 1;
    m_page = 0;
    Draw();
}

int FacePicker::EntryAt(int x, int y) const
{
    const int d = GetCellStep();
    if (d <= 0 || x < 0 || y < 0)
        return -1;
    const int column = x / d;
    const int row = y / d;
    const int cell = row * m_cols + column;
    if (column >= m_cols || row >= m_rows || cell >= GetPageSize())
        return -1;
    const int index = m_page * GetPageSize() + cell;
    return index < static_cast<int>(m_entries.size()) ? index : -1;
}

void FacePicker::OnHover(int x, int y)
{
    const int d = GetCellStep();
    if (d <= 0 || x < 0 || y < 0)
        return;
    const int column = x / d;
    const int row = y / d;
    const double cx = static_cast<int>(GetLeft() + column * d + d / 2.0);
    const double cy = static_cast<int>(GetTop() + row * d + d / 2.0);
    const int index = row * m_cols + column + m_page * GetPageSize();
    if (index == m_hovered)
        return;
    m_hovered = index;
    const int entry = EntryAt(x, y);
    if (entry < 0) {
        if (m_highlight) {
            HideNow(m_highlight);
            m_highlight->MoveTo(cx, cy);
        }
        HidePreview();
        return;
    }
    if (m_highlight && m_grid) {
        m_highlight->MoveTo(cx, cy);
        m_highlight->SetZ(m_grid->GetZ() + kHoverAbove);
        m_highlight->Show();
        m_highlight->Invalidate();
    }
    ShowPreview(m_entries[static_cast<size_t>(entry)], column, row);
}

void FacePicker::ShowPreview(const FaceEntry& entry, int column, int row)
{
    if (!m_grid)
        return;
    engine::PictureDesc desc;
    LookupPicture(&desc, EmoticonPicture(entry.name), 0);
    if (!m_preview) {
        m_preview = CreateCanvas(kPreviewSize, kPreviewSize, kWhite);
        if (!m_preview)
            return;
        m_preview->SetZ(m_grid->GetZ() + kPreviewAbove);
        m_grid->AddChild(m_preview, kPreviewLink);
        m_previewSprite = CreateSprite(desc);
        if (m_previewSprite) {
            m_previewSprite->SetZ(m_grid->GetZ() + kPreviewSpriteAbove);
            m_preview->AddChild(m_previewSprite, engine::LINK_STANDARD);
        }
    } else if (m_previewSprite) {
        m_previewSprite->SetPicture(desc, true);
    }
    if (m_previewSprite)
        m_previewSprite->ScaleTo(kPreviewFace, kPreviewFace);

    m_preview->Clear();
    m_preview->SetFont(12, 400, "宋体");
    m_preview->SetPen(kRed, 1.0);
    m_preview->DrawText(2, 2, entry.text);
    m_preview->DrawBorder(0, 1);

    const int d = GetCellStep();
    double x = GetLeft() + d;
    double y = GetTop() + d;
    if (m_cols > 2) {
        if (column <= 2)
            x = GetRight() - d;
    } else if (row <= 1) {
        y = GetBottom() - d;
    }
    m_preview->MoveTo(x, y);
    m_preview->Show();
    m_preview->Invalidate();
    if (m_previewSprite) {
        m_previewSprite->MoveTo(x, y + kPreviewFaceDrop);
        m_previewSprite->Show();
        CancelActionsOf(m_previewSprite->GetId());
        PlayFrames(m_previewSprite, 0, -1, 0, 0, nullptr);
    }
}

void FacePicker::HidePreview()
{
    if (m_previewSprite)
        CancelActionsOf(m_previewSprite->GetId());
    HideNow(m_preview);
}

void FacePicker::Pick(int x, int y, int code)
{
    const int index = EntryAt(x, y);
    if (index < 0)
        return;
    if (EngineObject* pane = FindObjectByName("SubSystem")) {
        const FaceEntry& entry = m_entries[static_cast<size_t>(index)];
        pane->OnEvent(engine::EngineEvent(pane->GetId(), code, engine::ToWord(entry.text.c_str()),
            static_cast<engine::MessageWord>(index)));
    }
    HideNow(m_highlight);
    Hide();
}

void FacePicker::OnPick(int x, int y)
{
    Pick(x, y, EVT_FACE_PICKED);
}

void FacePicker::OnPickAlternate(int x, int y)
{
    Pick(x, y, EVT_FACE_PICKED_ALTERNATE);
}

void FacePicker::Hide()
{
    HidePreview();
    BoundObject::Hide();
    // Redrawn at once, so that the hidden parts also leave the engine's
    // list of what the mouse can hit.
    Invalidate();
}

int FacePicker::OnEvent(const engine::EngineEvent& event)
{
    auto relative = [&](void (FacePicker::*handler)(int, int)) {
        if (const auto* state = event.DataAs<const engine::InputState>())
            (this->*handler)(static_cast<int>(state->x - GetLeft()), static_cast<int>(state->y - GetTop()));
        return 1;
    };
    switch (event.code) {
    case engine::EVT_MOUSE_LEAVE:
        // The preview and the hovered cell go with the frame, so the same
        // cell shows them again when the mouse comes back to it.
        HideNow(m_highlight);
        HidePreview();
        m_hovered = -1;
        return 1;
    case engine::EVT_MOUSE_MOVE:
        return relative(&FacePicker::OnHover);
    case engine::EVT_LBUTTON_DOWN:
        return relative(&FacePicker::OnPick);
    case engine::EVT_RBUTTON_DOWN:
        return relative(&FacePicker::OnPickAlternate);
    case EVT_FACE_PREVIOUS_PAGE:
        m_page = std::max(m_page - 1, 0);
        Draw();
        return 1;
    case EVT_FACE_NEXT_PAGE:
        m_page = std::max(std::min(m_page + 1, m_pages - 1), 0);
        Draw();
        return 1;
    default:
        return BoundObject::OnEvent(event);
    }
}

} // namespace frame
