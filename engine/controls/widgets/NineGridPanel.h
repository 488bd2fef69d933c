#pragma once
// A resizable framed panel drawn from one frame picture whose inside is
// transparent: the picture is cut into four corners, four edges and the
// centre by scanning its pixels; corners keep their natural size, edges
// stretch along one axis, and the centre (the client area) is filled with a
// centre picture or a colour. A title is drawn over the top edge, and a
// content object or canvas is placed in the client area.
//
// Part indices: 0 the whole frame (or panel), 1 to 9 the nine parts in
// reading order (1 top-left, 2 top, 3 top-right, 4 left, 5 centre, 6 right,
// 7 bottom-left, 8 bottom, 9 bottom-right). Source rectangles are in picture
// coordinates, destination rectangles in panel coordinates (origin at the
// panel's top-left); right and bottom are exclusive.

#include "engine/core/ObjectGeometry.h"
#include "engine/core/PictureData.h"
#include "engine/objects/BoundObject.h"

#include <array>
#include <string>
#include <string_view>

namespace engine {

class CanvasObject;

class NineGridPanel : public BoundObject {
public:
    static constexpr int kParts = 10;
    static constexpr int kClientPart = 5;

    NineGridPanel() = default;
    ~NineGridPanel() override = default;

    // centre may be null (no centre picture: the centre colour, by default
    // the transparent key, fills the client area).
    virtual void Create(const PictureDesc* frame, const PictureDesc* centre, int clientWidth, int clientHeight);
    virtual void CreateWithColour(const PictureDesc* frame, uint32_t colour, int clientWidth, int clientHeight);
    virtual void SetTitle(std::string_view text);
    // Finds the nine parts. On a created panel the outer size is kept and
    // the client area takes what the new borders leave.
    virtual void SetFrameImage(const PictureDesc& frame);
    // The client area's size (below 0 counts as 0); the panel grows around
    // it by the borders.
    virtual void SetSize(int clientWidth, int clientHeight);
    virtual void Resize(int clientWidth, int clientHeight) { SetSize(clientWidth, clientHeight); }
    using BoundObject::SetSize;
    virtual void DrawTitle();
    virtual void Redraw();

    // Places the object (a caller's, not owned here once linked: the object
    // module owns it) in the client area; the previous content is removed
    // on a later frame.
    void SetContent(EngineObject* object);
    Rect GetClientRect() const { return m_dest[kClientPart]; }
    // A canvas of the client area's size, made on first use and kept as the
    // content.
    CanvasObject* GetContentCanvas();

    const Rect& GetSourcePart(int i) const { return m_source[static_cast<size_t>(i)]; }
    const Rect& GetDestPart(int i) const { return m_dest[static_cast<size_t>(i)]; }
    CanvasObject* GetBackground() const { return m_background; }
    CanvasObject* GetTitleCanvas() const { return m_title; }
    const std::string& GetTitleText() const { return m_titleText; }
    EngineObject* GetContent() const { return m_content; }

protected:
    // The title text at (x, y) of the title canvas, in the title face at
    // that size, over a cleared canvas.
    void DrawTitleText(int x, int y, int size);

private:
    // Alpha 0, or the colour key for a picture without an alpha plane.
    bool IsTransparent(int x, int y) const;
    void CreateCanvases();
    // Moves obj so that its top-left corner is at the panel point.
    void PlaceAt(EngineObject* object, const Rect& rect) const;

    std::string m_titleText;
    PictureDesc m_frame;
    PictureDesc m_centre;
    uint32_t m_centreColour = kNoColourKey;
    CanvasObject* m_title = nullptr;         // not owned (the object module owns the objects)
    CanvasObject* m_background = nullptr;    // not owned
    EngineObject* m_content = nullptr;       // not owned
    CanvasObject* m_contentCanvas = nullptr; // not owned; the content canvas while it is the content
    std::array<Rect, kParts> m_source {};
    std::array<Rect, kParts> m_dest {};
};

} // namespace engine
