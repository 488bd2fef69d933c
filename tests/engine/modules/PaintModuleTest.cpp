#include "engine/modules/GdiPaintModule.h"

#include "engine/core/EngineObject.h"
#include "engine/core/GameCore.h"
#include "engine/core/MemoryPool.h"
#include "engine/core/ObjectModule.h"
#include "engine/modules/Rasteriser.h"
#include "engine/modules/ResourceModule.h"
#include "tests/engine/core/TestSupport.h"
#include "tools/pack/PackWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {

using namespace engine;

// A card-like picture: opaque with transparent corners, colours from a seed.
std::unique_ptr<PictureData> Card(int w, int h, uint32_t seed)
{
    auto p = std::make_unique<PictureData>();
    p->serial = 2;
    p->frameWidth = static_cast<uint16_t>(w);
    p->frameHeight = static_cast<uint16_t>(h);
    p->frameCount = 1;
    p->flags = kPictureAlpha;
    p->pixels.resize(static_cast<size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            bool corner = (x < 2 || x >= w - 2) && (y < 2 || y >= h - 2);
            uint32_t a = corner ? 0 : (x == 2 || y == 2) ? 128 : 255;
            uint32_t v = (a << 24) | ((seed * 2654435761u + uint32_t(x) * 7 + uint32_t(y) * 131) & 0xFFFFFF);
            std::memcpy(p->pixels.data() + (static_cast<size_t>(y) * w + x) * 4, &v, 4);
        }
    return p;
}

PictureRef RefTo(PictureData* record)
{
    PictureDesc desc;
    desc.serial = record->serial;
    desc.record = record;
    desc.width = record->frameWidth;
    desc.height = record->frameHeight;
    desc.matteColour = kNoMatte;
    PictureRef ref;
    ref.SetDesc(desc);
    return ref;
}

struct PaintFixture : ::testing::Test {
    enginetest::ScratchDir dir;
    GameCore core;
    GdiPaintModule* paint = nullptr;
    MemoryPool pool;

    void SetUp() override
    {
        ASSERT_EQ(core.LoadModule(std::make_unique<ResourceModule>(), true, false), ORBITVANE_RETURN_OK);
        auto module = std::make_unique<GdiPaintModule>();
        paint = module.get();
        ASSERT_EQ(core.LoadModule(std::move(module), true, true), ORBITVANE_RETURN_OK);
        pool.Init(sizeof(DrawItem), 64);
    }

    struct Sprite {
        ObjectGeometry g;
        PictureRef* ref;
    };

    std::unique_ptr<RenderList> List(const std::vector<Rect>& rects, const std::vector<Sprite>& sprites)
    {
        auto list = std::make_unique<RenderList>();
        list->viewCentreX = paint->GetWidth() / 2;
        list->viewCentreY = paint->GetHeight() / 2;
        list->itemPool = &pool;
        list->rects = rects;
        DrawItem** tail = &list->first;
        for (const Sprite& s : sprites) {
            auto* item = new (pool.Alloc(sizeof(DrawItem))) DrawItem {};
            item->geometry = s.g;
            item->picture = s.ref;
            *tail = item;
            tail = &item->next;
        }
        return list;
    }
};

ObjectGeometry At(double x, double y, double w, double h, double angle = 0.0, double opacity = 1.0, uint32_t flags = 0)
{
    ObjectGeometry g;
    g.x = x;
    g.y = y;
    g.width = w;
    g.height = h;
    g.angle = angle;
    g.opacity = opacity;
    g.flags = flags;
    return g;
}

TEST_F(PaintFixture, InitNeedsTheResourceModuleAndMarksPaintReady)
{
    EXPECT_EQ(core.GetIntProperty(PROP_PAINT_READY), 1);
    GameCore alone;
    EXPECT_EQ(alone.LoadModule(std::make_unique<GdiPaintModule>(), true, true), ORBITVANE_RETURN_MODULE_INITIAL_FAILD);
    EXPECT_EQ(alone.GetIntProperty(PROP_PAINT_READY), 1);
    EXPECT_EQ(paint->GetId(), MODULE_PAINT);
    EXPECT_STREQ(paint->GetName(), "PaintModule");
    EXPECT_EQ(paint->GetQueueLimit(), 999999u);
}

TEST_F(PaintFixture, OnlyDirtyRectanglesChangeAndTheyMatchAFullRecompose)
{
    const int W = 160;
    const int H = 120;
    paint->Resize(W, H);
    paint->Clear(0x00204060);
    auto a = Card(30, 40, 1);
    auto b = Card(24, 24, 2);
    auto c = Card(16, 28, 3);
    PictureRef ra = RefTo(a.get());
    PictureRef rb = RefTo(b.get());
    PictureRef rc = RefTo(c.get());
    std::vector<Sprite> before = {
        { At(40, 40, 30, 40), &ra },
        { At(60, 50, 24, 24, 30.0), &rb },
        { At(100, 80, 16, 28, 0.0, 0.5), &rc },
        { At(130, 30, 32, 20, 0.0, 1.0, DrawFlags::kBilinear), &rb },
    };
    core.SendModuleMessage(MODULE_PAINT, MODMSG_PAINT_RENDER, ToWord(List({ Rect { 0, 0, W, H } }, before).release()), 0);
    const std::vector<uint32_t> first = paint->FinishedFrame();
    EXPECT_NE(first[static_cast<size_t>(40) * W + 40], 0xFF604020u); // the card is there
    EXPECT_EQ(first[0], 0xFF604020u);

    // Card a moves; card c turns. Their old and new places are dirty, and
    // one rectangle reaches past the buffer.
    std::vector<Sprite> after = before;
    after[0].g = At(70, 70, 30, 40);
    after[2].g = At(100, 80, 16, 28, 45.0, 0.5);
    const std::vector<Rect> dirty = { Rect { 25, 20, 56, 61 }, Rect { 55, 50, 86, 91 }, Rect { 84, 60, 200, 200 } };
    core.SendModuleMessage(MODULE_PAINT, MODMSG_PAINT_RENDER, ToWord(List(dirty, after).release()), 0);
    const std::vector<uint32_t> second = paint->FinishedFrame();
    const std::vector<Rect> clamped = { Rect { 25, 20, 56, 61 }, Rect { 55, 50, 86, 91 }, Rect { 84, 60, W, H } };
    EXPECT_EQ(paint->LastInvalidated(), clamped);

    // The full recompose of the new scene.
    core.SendModuleMessage(MODULE_PAINT, MODMSG_PAINT_RENDER, ToWord(List({ Rect { 0, 0, W, H } }, after).release()), 0);
    const std::vector<uint32_t> full = paint->FinishedFrame();

    size_t inside = 0;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            bool dirtyPixel = false;
            for (const Rect& r : clamped)
                dirtyPixel |= x >= r.left && x < r.right && y >= r.top && y < r.bottom;
            const size_t i = static_cast<size_t>(y) * W + x;
            if (dirtyPixel) {
                ++inside;
                ASSERT_EQ(second[i], full[i]) << "inside at " << x << "," << y;
            } else {
                ASSERT_EQ(second[i], first[i]) << "outside at " << x << "," << y;
            }
        }
    EXPECT_GT(inside, 0u);
    // What moved is fully covered, so the whole frame equals the recompose.
    EXPECT_EQ(second, full);
}

TEST_F(PaintFixture, ResizeDiscardsLayersOnlyOnAChange)
{
    paint->Resize(8, 4);
    paint->Clear(0x000000FF);
    EXPECT_EQ(paint->Background()[0], 0xFFFF0000u);
    paint->Resize(8, 4);
    EXPECT_EQ(paint->Background()[0], 0xFFFF0000u);
    paint->Resize(4, 8);
    EXPECT_EQ(paint->Background(), std::vector<uint32_t>(32, 0));
    EXPECT_EQ(paint->FinishedFrame(), std::vector<uint32_t>(32, 0));
    // A rectangle entirely outside becomes empty.
    core.SendModuleMessage(MODULE_PAINT, MODMSG_PAINT_RENDER, ToWord(List({ Rect { 10, 10, 20, 20 } }, {}).release()), 0);
    EXPECT_EQ(paint->LastInvalidated(), (std::vector<Rect> { Rect { 4, 8, 4, 8 } }));
}

TEST_F(PaintFixture, ConversionToTheScreenDepth)
{
    paint->SetColourDepth(24);
    paint->Resize(2, 1);
    paint->Clear(0x00C08040); // red 0x40, green 0x80, blue 0xC0
    core.SendModuleMessage(MODULE_PAINT, MODMSG_PAINT_RENDER, ToWord(List({ Rect { 0, 0, 1, 1 } }, {}).release()), 0);
    ASSERT_EQ(paint->ScreenFrameBytes(), 6u);
    const uint8_t* f = paint->ScreenFrame();
    EXPECT_EQ(std::vector<uint8_t>(f, f + 6), (std::vector<uint8_t> { 0xC0, 0x80, 0x40, 0, 0, 0 }));

    paint->SetColourDepth(16);
    EXPECT_EQ(paint->ConvertAndBlit(), 1);
    ASSERT_EQ(paint->ScreenFrameBytes(), 4u);
    uint16_t word;
    std::memcpy(&word, paint->ScreenFrame(), 2);
    EXPECT_EQ(word, ((0x40 & 0xF8) << 8) | ((0x80 & 0xFC) << 3) | (0xC0 >> 3));

    paint->SetColourDepth(8);
    EXPECT_EQ(paint->ConvertAndBlit(), 0); // nobody takes the notice
    std::memcpy(&word, paint->ScreenFrame(), 2);
    EXPECT_EQ(word, ((0x40 & 0xF8) << 8) | ((0x80 & 0xFC) << 3) | (0xC0 >> 3));
}

TEST_F(PaintFixture, FrameRateOfTheModulesTurns)
{
    enginetest::FixedTick tick(0);
    uint32_t t = 0;
    for (int turn = 1; turn < 100; ++turn)
        paint->Run(t += 20);
    EXPECT_DOUBLE_EQ(paint->GetAverageFps(), 50.0);
    // From the 100th turn a running average that starts a little below and
    // approaches the rate.
    double last = 0;
    for (int turn = 100; turn < 400; ++turn) {
        paint->Run(t += 20);
        double now = paint->GetAverageFps();
        EXPECT_GT(now, last);
        EXPECT_LT(now, 50.0);
        last = now;
    }
    EXPECT_NEAR(last, 50.0, 0.05);
    // A turn with no time elapsed counts as 999.99.
    PaintModule fresh;
    fresh.Update();
    EXPECT_DOUBLE_EQ(fresh.GetAverageFps(), 999.99);
    EXPECT_DOUBLE_EQ(PaintModule().GetAverageFps(), 0.0);
}

TEST_F(PaintFixture, StaleHandlesAreRepairedFromTheCache)
{
    paint->Resize(20, 20);
    auto card = Card(10, 10, 4);
    paint->AddImage(RefTo(card.get()).GetDesc(), "card");
    PictureDesc desc;
    paint->GetImageInfo(desc, "card", 0);
    ASSERT_NE(desc.record, nullptr);
    PictureRef ref;
    ref.SetDesc(desc);
    auto render = [&] {
        core.SendModuleMessage(MODULE_PAINT, MODMSG_PAINT_RENDER,
            ToWord(List({ Rect { 0, 0, 20, 20 } }, { { At(10, 10, 10, 10), &ref } }).release()), 0);
        return paint->FinishedFrame()[10 * 20 + 10];
    };
    EXPECT_NE(render(), 0u);
    // Removed: the handle is stale and nothing can repair it.
    paint->RemoveImage("card");
    EXPECT_FALSE(ref.IsValid());
    paint->Run(5000);
    EXPECT_EQ(render(), 0u);
    // Filed again: the next repair (a second later) makes it drawable.
    paint->AddImage(RefTo(card.get()).GetDesc(), "card");
    EXPECT_EQ(render(), 0u); // tried less than a second ago
    paint->Run(6100);
    EXPECT_NE(render(), 0u);
    EXPECT_TRUE(ref.IsValid());
}

TEST_F(PaintFixture, FreeImageMessageFreesTheRecord)
{
    auto* record = Card(4, 4, 5).release();
    EXPECT_EQ(core.SendModuleMessage(MODULE_PAINT, MODMSG_PAINT_FREE_IMAGE, ToWord(record), 0), 0);
    // AddressSanitizer's leak check sees the record go.
}

TEST_F(PaintFixture, DrawImagePaintsTheBackground)
{
    paint->Resize(20, 20);
    paint->Clear(0);
    auto card = Card(10, 10, 6);
    PictureRef ref = RefTo(card.get());
    paint->DrawImage(ref.GetDesc(), 2, 3, 10, 10, 0.0);
    // Centre (7, 8): box (2, 3)-(12, 13).
    uint32_t source;
    std::memcpy(&source, card->pixels.data() + (5 * 10 + 5) * 4, 4);
    // An opaque pixel blends with weight 255 over the opaque black background.
    uint32_t expected = 0xFF000000;
    for (int shift = 0; shift < 24; shift += 8)
        expected |= ((((source >> shift) & 255) * 255) >> 8) << shift;
    EXPECT_EQ(paint->Background()[static_cast<size_t>(8) * 20 + 7], expected);
    EXPECT_EQ(paint->FinishedFrame()[static_cast<size_t>(8) * 20 + 7], 0u); // not yet shown
    DrawSurface s = paint->GetSurface();
    EXPECT_EQ(s.bytesPerPixel, 32);
    EXPECT_EQ(s.width, 20);
}

TEST_F(PaintFixture, PicturesFromAPackAreDrawnByName)
{
    // A two-frame animation written to a pack with the engine's own codec,
    // found by name through the cache and drawn at frame 1.
    PictureData drawn = tools::DrawPicture(4, 3, 2, [](int f, int x, int y) {
        return 0xFF000000u | uint32_t(f * 100) << 16 | uint32_t(x * 10) << 8 | uint32_t(y * 10);
    });
    tools::PackWriter writer;
    ASSERT_TRUE(writer.AddPicture("Flag", drawn));
    std::vector<uint8_t> pack = writer.Build();
    auto* resources = dynamic_cast<ResourceModule*>(core.FindModule(MODULE_RESOURCE));
    ASSERT_NE(resources, nullptr);
    ASSERT_EQ(resources->LoadPackMemory(pack.data(), pack.size()), 1);

    paint->Resize(10, 10);
    PictureDesc desc;
    paint->GetImageInfo(desc, "Flag", 1);
    ASSERT_NE(desc.record, nullptr);
    PictureRef ref;
    ref.SetDesc(desc);
    core.SendModuleMessage(MODULE_PAINT, MODMSG_PAINT_RENDER,
        ToWord(List({ Rect { 0, 0, 10, 10 } }, { { At(5, 5, 4, 3), &ref } }).release()), 0);
    // Box (5 - 2, 5 - 2)-(7, 6); frame 1's pixel (x, y) is red 100, green 10x,
    // blue 10y, copied whole (no alpha plane, no key).
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(paint->FinishedFrame()[static_cast<size_t>(3 + y) * 10 + 3 + x],
                0xFF640000u | uint32_t(x * 10) << 8 | uint32_t(y * 10))
                << x << "," << y;
    EXPECT_EQ(paint->FinishedFrame()[static_cast<size_t>(3) * 10 + 2], 0u);
    EXPECT_EQ(paint->FinishedFrame()[static_cast<size_t>(6) * 10 + 3], 0u);
}

// The object module's render pass feeding the paint module.
class CardObject final : public EngineObject {
public:
    explicit CardObject(uint32_t seed)
        : m_record(Card(28, 36, seed))
        , m_ref(RefTo(m_record.get()))
    {
    }
    PictureRef* GetPicture() override { return &m_ref; }

private:
    std::unique_ptr<PictureData> m_record;
    PictureRef m_ref;
};

TEST(PaintModuleWithObjects, RenderPassUpdatesOnlyWhatMoved)
{
    enginetest::ScratchDir dir;
    enginetest::FixedTick tick(1000);
    GameCore core;
    core.LoadModule(std::make_unique<ResourceModule>(), true, false);
    auto om = std::make_unique<ObjectModule>();
    ObjectModule* objects = om.get();
    core.LoadModule(std::move(om), true, false);
    auto pm = std::make_unique<GdiPaintModule>();
    GdiPaintModule* paint = pm.get();
    ASSERT_EQ(core.LoadModule(std::move(pm), true, true), ORBITVANE_RETURN_OK);
    const int W = 200;
    const int H = 150;
    paint->Resize(W, H);
    paint->Clear(0x00336699);
    objects->SetViewCentre(W / 2, H / 2);
    objects->SetViewSize(W, H);
    std::vector<EngineObject*> cards;
    for (int i = 0; i < 8; ++i) {
        auto card = std::make_unique<CardObject>(static_cast<uint32_t>(i));
        EngineObject* raw = card.get();
        objects->AddObject(std::move(card), nullptr);
        raw->SetSize(28, 36);
        raw->MoveTo(20 + i * 22, 40 + (i % 3) * 30);
        if (i == 5)
            raw->RotateTo(20);
        raw->Show();
        raw->Invalidate();
        cards.push_back(raw);
    }
    objects->RedrawAll();
    const std::vector<uint32_t> first = paint->FinishedFrame();

    cards[2]->MoveBy(15, 25);
    cards[2]->Invalidate();
    cards[5]->RotateTo(40);
    cards[5]->Invalidate();
    tick.Advance(50);
    core.RunFrame();
    const std::vector<uint32_t> second = paint->FinishedFrame();
    const std::vector<Rect> dirty = paint->LastInvalidated();
    ASSERT_FALSE(dirty.empty());
    EXPECT_NE(second, first);

    objects->RedrawAll();
    const std::vector<uint32_t> full = paint->FinishedFrame();
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            bool dirtyPixel = false;
            for (const Rect& r : dirty)
                dirtyPixel |= x >= r.left && x < r.right && y >= r.top && y < r.bottom;
            const size_t i = static_cast<size_t>(y) * W + x;
            ASSERT_EQ(second[i], dirtyPixel ? full[i] : first[i]) << x << "," << y;
        }
    EXPECT_EQ(second, full);
}

} // namespace
