// Bound objects forward to their visual child; rectangle objects keep a
// layout rectangle.

#include "HostFixture.h"

using namespace engine;
using namespace objectstest;

namespace {

class Control : public BoundObject {
public:
    int OnEvent(const EngineEvent& event) override
    {
        codes.push_back(event.code);
        return 7;
    }
    std::vector<int> codes;
};

class Bound : public HostEngine {
protected:
    Control* NewControl()
    {
        return static_cast<Control*>(root->RegisterObject(std::make_unique<Control>()));
    }
};

TEST_F(Bound, UnboundAnswersForItself)
{
    Control* c = NewControl();
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->GetBound(), c);
    EXPECT_EQ(c->GetKind(), OBJKIND_BOUND);
    c->MoveTo(10, 20);
    EXPECT_EQ(c->GetX(), 10);
}

TEST_F(Bound, StandardLinkMirrorsTheChildAndDrawsIt)
{
    Control* c = NewControl();
    CanvasObject* face = c->CreateCanvas(10, 10, 0x00ff00);
    c->Bind(face, LINK_STANDARD);
    EXPECT_EQ(c->GetBound(), face);
    EXPECT_TRUE(c->IsClickThrough());
    EXPECT_EQ(c->GetChildLink(face->GetId()), LINK_STANDARD | kLinkSubscribe);
    c->MoveTo(60, 40);
    c->Show();
    EXPECT_EQ(face->GetX(), 60);
    EXPECT_EQ(c->GetX(), 60);
    EXPECT_TRUE(c->IsShown());
    EXPECT_EQ(c->GetWidth(), 10);
    c->Invalidate();
    Frame();
    EXPECT_EQ(Pixel(60, 40), 0x00ff00u);

    // Setters on the control, getters from the child.
    c->SetOpacity(0.5);
    EXPECT_DOUBLE_EQ(face->GetOpacity(), 0.5);
    EXPECT_DOUBLE_EQ(c->GetOpacity(), 0.5);
}

TEST_F(Bound, WithoutTheMoveFlagTheControlReportsItsOwnCentre)
{
    Control* c = NewControl();
    CanvasObject* face = c->CreateCanvas(10, 10, 0);
    face->MoveTo(5, 5);
    c->Bind(face, LINK_STANDARD & ~kLinkMove);
    c->MoveTo(80, 80);
    EXPECT_EQ(c->GetX(), 80);
    EXPECT_EQ(face->GetX(), 5);
}

TEST_F(Bound, SetEnabledGoesToTheChildAndRaisesTheEvent)
{
    Control* c = NewControl();
    CanvasObject* face = c->CreateCanvas(10, 10, 0);
    c->Bind(face, LINK_STANDARD);
    c->SetEnabled(true);
    EXPECT_TRUE(face->IsInputEnabled());
    EXPECT_EQ(c->SetEnabled(false), 7);
    EXPECT_FALSE(face->IsInputEnabled());
    EXPECT_FALSE(c->IsInputEnabled());
    EXPECT_EQ(c->codes, (std::vector<int> { EVT_ENABLED, EVT_DISABLED }));
}

TEST_F(Bound, RebindingUnlinksTheFirstAndChildrenGoToTheBoundChild)
{
    Control* c = NewControl();
    CanvasObject* first = c->CreateCanvas(10, 10, 0);
    CanvasObject* second = c->CreateCanvas(10, 10, 0);
    c->Bind(first, LINK_STANDARD);
    c->Bind(second, LINK_STANDARD);
    EXPECT_EQ(c->GetBound(), second);
    EXPECT_EQ(objects->FindById(first->GetId()), first);
    EXPECT_FALSE(c->EngineObject::HasChild(first->GetId()));

    CanvasObject* extra = c->CreateCanvas(4, 4, 0);
    c->AddChild(extra, kLinkMove);
    EXPECT_TRUE(second->HasChild(extra->GetId()));
    EXPECT_EQ(c->GetChildLink(extra->GetId()), kLinkMove);
}

TEST_F(Bound, RectObjectNotifiesOnceAndStartsEmpty)
{
    auto rect = std::make_unique<Root>();
    Root* r = static_cast<Root*>(root->RegisterObject(std::move(rect)));
    Rect out { 1, 2, 3, 4 };
    EXPECT_EQ(r->GetRect(&out), &out);
    EXPECT_EQ(out, Rect {});
    r->SetRect(Rect { 5, 6, 70, 80 });
    EXPECT_EQ(r->rectChanges, 1);
    r->GetRect(&out);
    EXPECT_EQ(out, (Rect { 5, 6, 70, 80 }));
}

} // namespace
