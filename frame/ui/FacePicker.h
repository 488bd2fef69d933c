#pragma once
// The emoticon picker: a paged grid of small emoticon pictures. Hovering a
// cell frames it in red and shows the animated picture with its code in a
// preview box placed away from the cursor; a click sends the code to the
// side pane ("SubSystem") and closes the picker. The last two cells of
// every page hold the previous and next page buttons.

#include "engine/objects/BoundObject.h"
#include "frame/ui/FacePickerCalls.h"

#include <string>
#include <string_view>
#include <vector>

namespace engine {
class CanvasObject;
class ImageButton;
class SpriteObject;
} // namespace engine

namespace frame {

// The picker's own page buttons.
inline constexpr int EVT_FACE_PREVIOUS_PAGE = 19840384;
inline constexpr int EVT_FACE_NEXT_PAGE = 19840385;

struct FaceEntry {
    std::string name; // the two characters, GBK
    std::string text; // what a pick sends: "#" + name
    int value = 0;
};

class FacePicker : public engine::BoundObject, public FacePickerCalls {
public:
    FacePicker() = default;
    ~FacePicker() override = default;

    int OnEvent(const engine::EngineEvent& event) override;
    void Hide() override;

    virtual void Create(int cols, int rows, int cellSize, int padding);
    void AddEntry(std::string_view name, std::string_view text, int value) override;
    void DrawEntries() override { Draw(); }
    virtual void Draw();
    virtual void Resize(int cols, int rows);
    // Positions relative to the picker's top-left corner.
    virtual void OnHover(int x, int y);
    virtual void OnPick(int x, int y);
    virtual void OnPickAlternate(int x, int y);

    int GetPage() const { return m_page; }
    int GetPageCount() const { return m_pages; }
    int GetHovered() const { return m_hovered; }
    int GetPageSize() const { return m_cols * m_rows - 2; }
    int GetCellStep() const { return m_cellSize + 2 * m_padding; }
    const std::vector<FaceEntry>& GetEntries() const { return m_entries; }
    engine::CanvasObject* GetGrid() const { return m_grid; }
    engine::CanvasObject* GetHighlight() const { return m_highlight; }
    engine::CanvasObject* GetPreview() const { return m_preview; }
    engine::ImageButton* GetPreviousButton() const { return m_previous; }
    engine::ImageButton* GetNextButton() const { return m_next; }

private:
    engine::ImageButton* MakePageButton(const char* picture, int code);
    void PlaceButton(engine::ImageButton* button, int cell, bool enabled);
    void ShowPreview(const FaceEntry& entry, int column, int row);
    void HidePreview();
    void Pick(int x, int y, int code);
    // The entry index under a point, or -1 for an empty or button cell.
    int EntryAt(int x, int y) const;

    engine::CanvasObject* m_grid = nullptr; // not owned: the object module owns the parts
    engine::CanvasObject* m_highlight = nullptr;
    engine::SpriteObject* m_previewSprite = nullptr;
    engine::CanvasObject* m_preview = nullptr;
    engine::ImageButton* m_previous = nullptr;
    engine::ImageButton* m_next = nullptr;
    int m_page = 0;
    int m_pages = 0;
    int m_cols = 0;
    int m_rows = 0;
    int m_hovered = -1;
    int m_cellSize = 0;
    int m_padding = 0;
    std::vector<FaceEntry> m_entries;
};

} // namespace frame
