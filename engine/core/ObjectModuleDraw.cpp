// The object module's draw state: the view, dirty rectangles, the draw list
// and the render pass.
#include "engine/core/GameCore.h"
#include "engine/core/Geometry.h"
#include "engine/core/ObjectModule.h"
#include "engine/core/PictureRef.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <optional>

namespace engine {


void FreeRenderList(std::unique_ptr<RenderList> list)
{
    if (!list)
        return;
    for (DrawItem* item = list->first; item;) {
        DrawItem* next = item->next;
        item->~DrawItem();
        if (list->itemPool)
            list->itemPool->Free(item);
        item = next;
    }
    list->first = nullptr;
}

namespace {
Rect MeetBox(const ObjectGeometry& g, const Rect& b);
} // namespace

bool ObjectModule::DrawOrderLess::operator()(const DrawKey& a, const DrawKey& b) const
{
    if (a.layer != b.layer)
        return a.layer < b.layer;
    if (a.z != b.z)
        return a.z < b.z;
    return a.id < b.id;
}

bool ObjectModule::IsDrawable(const ObjectGeometry& g) const
{
    if (!g.shown || (g.flags & ObjectFlags::kHiddenByVisible))
        return false;
    Rect common;
    return IntersectRect(common, ObjectBounds(g), m_view);
}

void ObjectModule::InsertIntoDrawList(ObjectEntry& entry)
{
    const ObjectGeometry& g = entry.drawn;
    // A z that is not a number would break the order: it sorts to the back.
    double z = std::isnan(g.z) ? -HUGE_VAL : g.z;
    entry.key = DrawKey { g.layer, z, entry.object->GetId(), &entry, entry.object.get(), MeetBox(g, GeometryBounds(g)) };
    entry.inDrawList = true;
    m_drawList.insert(entry.key);
    m_staleOrder.erase(entry.key.id);
}

void ObjectModule::TakeOutOfDrawList(ObjectEntry& entry)
{
    if (entry.inDrawList)
        m_drawList.erase(entry.key);
    entry.inDrawList = false;
    m_staleOrder.erase(entry.key.id);
}

void ObjectModule::NoteMoved(EngineObject* object)
{
    auto it = m_entries.find(object->GetId());
    if (it == m_entries.end() || it->second->object.get() != object || !it->second->inDrawList)
        return;
    ObjectEntry& entry = *it->second;
    if (entry.key.moved)
        return;
    auto node = m_drawList.find(entry.key);
    if (node != m_drawList.end())
        node->moved = true;
    entry.key.moved = true;
}

void ObjectModule::NoteOrderChange(EngineObject* object)
{
    auto it = m_entries.find(object->GetId());
    if (it == m_entries.end() || it->second->object.get() != object || !it->second->inDrawList)
        return;
    const DrawKey& key = it->second->key;
    double z = object->GetZ();
    if (key.layer != object->GetLayer() || !(key.z == z))
        m_staleOrder.insert(key.id);
    else
        m_staleOrder.erase(key.id);
}

void ObjectModule::AddDirtyRect(const Rect& r)
{
    Rect clipped;
    if (!IntersectRect(clipped, r, m_view))
        return;
    if (m_dirty.empty()) {
        m_dirty.push_back(clipped);
        return;
    }
    for (Rect& s : m_dirty) {
        Rect u { std::min(r.left, s.left), std::min(r.top, s.top), std::max(r.right, s.right),
            std::max(r.bottom, s.bottom) };
        if (u == r) {
            s = r;
            return;
        }
        if (u == s)
            return;
        if ((r.left == s.left && r.right == s.right) || (r.top == s.top && r.bottom == s.bottom)) {
            s = u;
            return;
        }
    }
    m_dirty.push_back(r);
    if (m_dirty.size() > kMaxDirtyRects) {
        m_dirty.clear();
        m_dirty.push_back(m_view);
    }
}

void ObjectModule::UpdateObject(EngineObject* object)
{
    if (!object)
        return;
    auto it = m_entries.find(object->GetId());
    // Only a registered object, and only the one registered under that id.
    if (it == m_entries.end() || it->second->object.get() != object)
        return;
    ObjectEntry& entry = *it->second;
    std::lock_guard guard(m_lock);
    ObjectGeometry g = object->GetGeometry();
    Rect bounds = ObjectBounds(g);
    if (!GeometryEqual(g, entry.drawn))
        AddDirtyRect(ObjectBounds(entry.drawn));
    AddDirtyRect(bounds);
    entry.drawn = g;
    TakeOutOfDrawList(entry);
    if (IsDrawable(g))
        InsertIntoDrawList(entry);
}

void ObjectModule::RebuildDrawList()
{
    std::lock_guard guard(m_lock);
    for (auto& [id, entry] : m_entries)
        entry->inDrawList = false;
    m_drawList.clear();
    m_staleOrder.clear();
    for (auto& [id, entry] : m_entries) {
        entry->drawn = entry->object->GetGeometry();
        if (IsDrawable(entry->drawn)) {
            InsertIntoDrawList(*entry);
            Rect visible;
            IntersectRect(visible, ObjectBounds(entry->drawn), m_view);
            AddDirtyRect(visible);
        }
    }
}

void ObjectModule::SetViewSize(int width, int height)
{
    int left = m_viewCentreX - (width + 1) / 2;
    int top = m_viewCentreY - (height + 1) / 2;
    m_view = Rect { left, top, left + width, top + height };
    RebuildDrawList();
}

void ObjectModule::SetViewCentre(int x, int y)
{
    int dx = x - m_viewCentreX;
    int dy = y - m_viewCentreY;
    m_view = Rect { m_view.left + dx, m_view.top + dy, m_view.right + dx, m_view.bottom + dy };
    m_viewCentreX = x;
    m_viewCentreY = y;
    RebuildDrawList();
}

void ObjectModule::RedrawAll()
{
    {
        std::lock_guard guard(m_lock);
        AddDirtyRect(m_view);
    }
    RenderPass();
}

int ObjectModule::IndexInDrawList(int id) const
{
    int index = -1;
    for (const DrawKey& key : m_drawList) {
        if (key.id == id)
            return index;
        ++index;
    }
    return static_cast<int>(m_drawList.size()) - 1;
}

bool ObjectModule::IsDrawListOrdered() const
{
    uint32_t layer = 0;
    double z = -9999999.0;
    for (const DrawKey& key : m_drawList) {
        const ObjectGeometry& g = key.entry->drawn;
        if (g.layer < layer || (g.layer == layer && g.z < z))
            return false;
        layer = g.layer;
        z = g.z;
    }
    return true;
}

std::vector<int> ObjectModule::DrawOrder() const
{
    std::vector<int> ids;
    ids.reserve(m_drawList.size());
    for (const DrawKey& key : m_drawList)
        ids.push_back(key.id);
    return ids;
}

namespace {

constexpr int kCell = 64;

// A box that holds everything ObjectMeetsRect can report for the geometry:
// its bounds unrotated; rotated, the turned bounds square (corners up to
// r * sqrt(2) from the centre, plus rounding).
Rect MeetBox(const ObjectGeometry& g, const Rect& b)
{
    if (g.angle == 0)
        return b;
    int cx = TruncToInt(g.x);
    int cy = TruncToInt(g.y);
    double half = std::max({ std::abs(b.right - cx), std::abs(cx - b.left), std::abs(b.bottom - cy),
        std::abs(cy - b.top) });
    int reach = TruncToInt(half * 1.4142136) + 2;
    return Rect { cx - reach, cy - reach, cx + reach + 1, cy + reach + 1 };
}

bool Touches(const Rect& a, const Rect& b)
{
    // Closed on every side: ObjectMeetsRect counts touching edges.
    return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}

} // namespace

void ObjectModule::RenderPass()
{
    auto list = std::make_unique<RenderList>();
    {
        std::lock_guard guard(m_lock);
        if (m_dirty.empty())
            return;
        GameCore* core = GetCore();
        if (core && core->GetHostWindow() && core->GetHostWindow()->IsMinimised())
            return; // the dirty rectangles wait for the window to come back
        if (!m_poolsReady)
            return;

        list->viewCentreX = m_viewCentreX;
        list->viewCentreY = m_viewCentreY;
        list->itemPool = &m_itemPool;
        int viewW = m_view.right - m_view.left;
        int viewH = m_view.bottom - m_view.top;
        if (m_fullRedraw) {
            list->rects.push_back(Rect { 0, 0, viewW, viewH });
        } else {
            list->rects.reserve(m_dirty.size());
            for (const Rect& r : m_dirty)
                list->rects.push_back(
                    Rect { r.left - m_view.left, r.top - m_view.top, r.right - m_view.left, r.bottom - m_view.top });
        }
        // Bucket the dirty rectangles into cells (each widened by a pixel, as
        // touching counts); clamping to the grid keeps every pair that
        // touches in a shared cell.
        const Rect view = m_view;
        const int cols = std::max(1, (viewW + kCell - 1) / kCell);
        const int rows = std::max(1, (viewH + kCell - 1) / kCell);
        auto cellSpan = [&](const Rect& r, int& c0, int& c1, int& r0, int& r1) {
            auto cell = [](long long v, int count) {
                long long c = v >= 0 ? v / kCell : -((-v + kCell - 1) / kCell);
                return static_cast<int>(std::clamp<long long>(c, 0, count - 1));
            };
            c0 = cell(static_cast<long long>(r.left) - 1 - view.left, cols);
            c1 = cell(static_cast<long long>(r.right) + 1 - view.left, cols);
            r0 = cell(static_cast<long long>(r.top) - 1 - view.top, rows);
            r1 = cell(static_cast<long long>(r.bottom) + 1 - view.top, rows);
        };
        if (!m_fullRedraw) {
            m_cellRects.resize(static_cast<size_t>(cols) * rows);
            for (auto& cell : m_cellRects)
                cell.clear();
            m_cellUsed.assign(m_cellRects.size(), 0);
            m_rectStamps.assign(m_dirty.size(), 0);
            for (size_t k = 0; k < m_dirty.size(); ++k) {
                int c0, c1, r0, r1;
                cellSpan(m_dirty[k], c0, c1, r0, r1);
                for (int y = r0; y <= r1; ++y)
                    for (int x = c0; x <= c1; ++x) {
                        m_cellRects[static_cast<size_t>(y) * cols + x].push_back(static_cast<int>(k));
                        m_cellUsed[static_cast<size_t>(y) * cols + x] = 1;
                    }
            }
        }
        uint32_t stamp = 0;

        DrawItem** tail = &list->first;
        for (const DrawKey& key : m_drawList) {
            if (!m_fullRedraw && !key.moved) {
                // Unmoved: its last drawn box is its box now.
                int c0, c1, r0, r1;
                cellSpan(key.box, c0, c1, r0, r1);
                bool near = false;
                for (int y = r0; y <= r1 && !near; ++y) {
                    for (int x = c0; x <= c1 && !near; ++x) {
                        size_t cell = static_cast<size_t>(y) * cols + x;
                        if (!m_cellUsed[cell])
                            continue;
                        for (int k : m_cellRects[cell]) {
                            if (Touches(key.box, m_dirty[static_cast<size_t>(k)])) {
                                near = true;
                                break;
                            }
                        }
                    }
                }
                if (!near)
                    continue;
            }
            EngineObject& object = *key.object;
            PictureRef* picture = object.GetPicture();
            if (!picture)
                continue;
            ObjectGeometry g = object.GetGeometry();
            if (!m_fullRedraw) {
                Rect bounds = GeometryBounds(g);
                Rect box = MeetBox(g, bounds);
                int c0, c1, r0, r1;
                cellSpan(box, c0, c1, r0, r1);
                ++stamp;
                bool meets = false;
                std::optional<RectMeetTest> test; // made once a rectangle comes near
                for (int y = r0; y <= r1 && !meets; ++y) {
                    for (int x = c0; x <= c1 && !meets; ++x) {
                        size_t cell = static_cast<size_t>(y) * cols + x;
                        if (!m_cellUsed[cell])
                            continue;
                        for (int k : m_cellRects[cell]) {
                            if (m_rectStamps[static_cast<size_t>(k)] == stamp)
                                continue;
                            m_rectStamps[static_cast<size_t>(k)] = stamp;
                            const Rect& r = m_dirty[static_cast<size_t>(k)];
                            if (!Touches(box, r))
                                continue;
                            if (!test)
                                test.emplace(g, bounds);
                            if (test->Meets(r)) {
                                meets = true;
                                break;
                            }
                        }
                    }
                }
                if (!meets)
                    continue;
            }
            auto* item = new (m_itemPool.Alloc(sizeof(DrawItem))) DrawItem {};
            item->geometry = g;
            item->geometry.x -= m_view.left;
            item->geometry.y -= m_view.top;
            item->picture = picture;
            *tail = item;
            tail = &item->next;
        }
        m_dirty.clear();
    }
    ++m_drawnPasses;
    // The paint module owns the record once it has it; without one there is
    // nobody to free it but us.
    if (FindModule(MODULE_PAINT))
        SendMessage(MODULE_PAINT, MODMSG_PAINT_RENDER, ToWord(list.release()), 0);
    else
        FreeRenderList(std::move(list));
}

} // namespace engine
