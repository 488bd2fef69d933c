#include "engine/controls/richtext/RichText.h"

#include "engine/controls/richtext/RichTextObject.h"
#include "engine/controls/widgets/ScrollBar.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace engine {

namespace {
constexpr size_t kNodesPerBlock = 1024;
}

RichText::RichText()
{
    m_pool.Init(sizeof(RichTextNode), kNodesPerBlock);
    AddFont("宋体");
    AddFont("黑体");
    AddFont("幼圆");
    m_fonts.count = 2; // as after Clear: the third entry stays but is not counted
}

RichText::~RichText()
{
    // The pool frees the nodes' memory; the objects they carry belong to the
    // object module, which removes them with the rest of the registry.
    m_first = nullptr;
}

RichTextNode* RichText::NewNode()
{
    void* block = m_pool.Alloc(sizeof(RichTextNode));
    return block ? new (block) RichTextNode() : nullptr;
}

void RichText::FreeNode(RichTextNode* node)
{
    if (!node)
        return;
    const auto it = m_nodeObjects.find(node);
    if (it != m_nodeObjects.end()) {
        if (EngineObject* link = FindObjectById(it->second))
            RemoveObject(link, 1);
        m_nodeObjects.erase(it);
    }
    if (node->flags & NODE_OBJECT) {
        if (EngineObject* object = FindObjectById(static_cast<int>(node->code)))
            RemoveObject(object, 1);
    }
    node->~RichTextNode();
    m_pool.Free(node);
}

int RichText::AddFont(std::string_view face)
{
    if (m_fonts.count >= FontFaceTable::kEntries)
        return m_fonts.count;
    auto& entry = m_fonts.names[static_cast<size_t>(m_fonts.count)];
    entry.fill(0);
    std::memcpy(entry.data(), face.data(), std::min(face.size(), kFaceBytes - 1));
    return ++m_fonts.count;
}

const char* RichText::FindOrAddFont(std::string_view face)
{
    face = face.substr(0, std::min(face.size(), kFaceBytes - 1));
    for (int i = 0; i < m_fonts.count; ++i) {
        const char* name = m_fonts.names[static_cast<size_t>(i)].data();
        if (std::string_view(name) == face)
            return name;
    }
    if (m_fonts.count >= FontFaceTable::kEntries)
        return nullptr; // full: the character is drawn in the default face
    AddFont(face);
    return m_fonts.names[static_cast<size_t>(m_fonts.count - 1)].data();
}

void RichText::SetFontSize(int size)
{
    // A negative size would wrap the nodes' 16-bit sizes.
    m_style.fontSize = std::max(size, 0);
}

void RichText::SetTextColour(uint32_t colour)
{
    m_style.colour = colour;
    if (m_caret) {
        m_caret->SetBackground(colour);
        m_caret->Clear();
        m_caret->Invalidate();
    }
}

void RichText::ResetStyleTo(int fontSize, std::string_view face)
{
    SetTextColour(0);
    m_style.flags &= ~(NODE_BOLD | NODE_ITALIC | NODE_UNDERLINE | NODE_LINK);
    m_style.fontSize = fontSize;
    m_style.face.fill(0);
    face.copy(m_style.face.data(), std::min(face.size(), m_style.face.size() - 1));
}

void RichText::EnableLinks(bool enable)
{
    if (enable)
        m_flags |= RT_LINKS;
    else
        m_flags &= ~RT_LINKS;
}

double RichText::GetTextDepth() const
{
    return (m_textCanvas ? m_textCanvas->GetZ() : GetZ()) + 0.01;
}

int RichText::AreaWidth() const
{
    const int bar = m_vBar && m_vBarShown ? static_cast<int>(m_vBar->GetWidth()) : 0;
    return static_cast<int>(m_viewWidth) + bar;
}

int RichText::AreaHeight() const
{
    const int bar = m_hBar && m_hBarShown && !(m_vBar && m_vBarShown) ? static_cast<int>(m_hBar->GetHeight()) : 0;
    return static_cast<int>(m_viewHeight) + bar;
}

void RichText::SetTextOffset(int x, int y)
{
    m_offsetX = x;
    m_offsetY = y;
    // The whole area, so that a shown bar's share is not taken twice.
    Layout(AreaWidth(), AreaHeight());
}

void RichText::DrawBackground()
{
    if (!m_backCanvas)
        return;
    m_backCanvas->Clear();
    if ((m_flags & RT_BACK_IMAGE) && !m_backImage.empty()) {
        PictureDesc desc;
        LookupPicture(&desc, m_backImage, 0);
        if (desc.record)
            m_backCanvas->BlitPicture(desc, 0, 0, -1, -1, 0, 1.0);
    }
    m_backCanvas->Invalidate();
}

void RichText::SetBackgroundColour(uint32_t colour)
{
    m_flags = (m_flags | RT_BACK_COLOUR) & ~RT_BACK_IMAGE;
    if (m_backCanvas)
        m_backCanvas->SetBackground(colour);
    DrawBackground();
}

void RichText::SetBackgroundImage(std::string_view name)
{
    if (m_backCanvas)
        m_backCanvas->SetBackground(0xFF00FF); // the colour key: transparent
    m_flags = (m_flags | RT_BACK_IMAGE) & ~RT_BACK_COLOUR;
    m_backImage.assign(name);
    DrawBackground();
}

void RichText::ResizeBackground(int width, int height)
{
    if (!m_backCanvas || width < 1 || height < 1)
        return;
    m_backCanvas->ResizeBuffer(width, height);
    m_backCanvas->ScaleTo(width, height);
    DrawBackground();
}

void RichText::DrawImage(PictureDesc desc, int x, int y, int width, int height)
{
    if (!m_backCanvas || !desc.record)
        return;
    m_backCanvas->BlitPicture(desc, x, y, width, height, 0, 1.0);
    m_backCanvas->Invalidate();
}

void RichText::MoveTo(double x, double y)
{
    BoundObject::MoveTo(x, y);
    UpdateClipRects();
}

void RichText::MoveBy(double dx, double dy)
{
    BoundObject::MoveBy(dx, dy);
    UpdateClipRects();
}

void RichText::Scale(double sx, double sy)
{
    BoundObject::Scale(sx, sy);
    // The background takes the new size at its own resolution (not
    // stretched), and the text is laid out for the new area.
    const int width = static_cast<int>(GetWidth());
    const int height = static_cast<int>(GetHeight());
    if (width < 1 || height < 1)
        return;
    ResizeBackground(width, height);
    if (m_backCanvas)
        m_backCanvas->MoveTo(GetX(), GetY());
    Layout(width, height);
}

void RichText::SetDraggable(bool)
{
    if (m_backCanvas)
        m_backCanvas->SubscribeEvent(EVT_DRAG, GetId(), EVT_DRAG_MOVE, 0, 0);
}


} // namespace engine
