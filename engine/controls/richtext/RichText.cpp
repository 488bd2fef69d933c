#include "engine/controls/richtext/RichText.h"

#include "engine/controls/richtext/RichTextObject.h"

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


} // namespace engine
