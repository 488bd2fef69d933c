// Every object's engine services: properties, pictures, removal, actions by
// id, and what happens when a module is not loaded.

#include "HostFixture.h"

#include "engine/controls/widgets/ModalPanel.h"
#include "engine/core/EngineRunLog.h"
#include "engine/core/NameKey.h"
#include "engine/modules/PpsCodec.h"
#include "engine/modules/ResourceNames.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <unistd.h>

using namespace engine;
using namespace objectstest;

namespace {

using Services = HostEngine;

TEST_F(Services, PropertiesWithAndWithoutACore)
{
    EXPECT_EQ(root->GetIntProperty(12345), -1);
    root->SetIntProperty(12345, 9);
    EXPECT_EQ(root->GetIntProperty(12345), 9);
    root->SetStringProperty(40, "名字");
    ASSERT_NE(root->GetStringProperty(40), nullptr);
    EXPECT_EQ(*root->GetStringProperty(40), "名字");

    Root loose; // not registered: no core
    EXPECT_EQ(loose.GetIntProperty(12345), -2);
    EXPECT_EQ(loose.GetStringProperty(40), nullptr);
    loose.SetIntProperty(1, 1); // nothing
}

TEST_F(Services, NotifyHostNeedsATarget)
{
    root->NotifyHost(1, 2);
    EXPECT_TRUE(root->events.empty());
    root->SetIntProperty(PROP_NOTIFY_TARGET, root->GetId());
    root->NotifyHost(1, 2);
    ASSERT_EQ(root->events.size(), 1u);
    EXPECT_EQ(root->events[0], EngineEvent(root->GetId(), EVT_FREE_DATA, 1, 2));
}

TEST_F(Services, ScreenAndViewFollowTheWindow)
{
    EXPECT_EQ(root->GetScreenWidth(), kWidth);
    EXPECT_EQ(root->GetScreenHeight(), kHeight);
    Rect view;
    root->GetViewRect(&view);
    EXPECT_EQ(view.right - view.left, kWidth);
}

TEST_F(Services, MissingPictureIsEmptyAndNotSaved)
{
    PictureDesc desc;
    desc.width = 5;
    EXPECT_EQ(root->LookupPicture(&desc, "no-such-picture", 0), &desc);
    EXPECT_EQ(desc.record, nullptr);
    EXPECT_EQ(desc.width, 0);
    EXPECT_EQ(root->SavePicture("no-such-picture", "/tmp/never.pps"), 0);
    EXPECT_EQ(root->GetResourceData("no-such-resource"), nullptr);
}

TEST_F(Services, PicturesAndResourcesRoundTrip)
{
    const std::string dir = testing::TempDir();
    const std::string file = dir + "objects_resource.txt";
    {
        std::ofstream out(file, std::ios::binary);
        out << "hello";
    }
    // Filed under the given base name with the category of the file's
    // extension; the data is asked for under that full name.
    const std::string name = ResourceLookupName(file, "greeting");
    EXPECT_EQ(root->AddResourceFile(file, "greeting"), MakeNameKey(name).rs);
    const char* data = root->GetResourceData(name);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::string(data), "hello");
    EXPECT_EQ(root->AddResourceFile(dir + "missing-file.txt", nullptr), 0u);
    std::remove(file.c_str());

    // A cached picture saved as pps decodes to the same pixels.
    MakePicture("saved", 6, 4, 0x336699);
    const std::string pps = dir + "objects_saved.pps";
    ASSERT_EQ(root->SavePicture("saved", pps), 1);
    std::ifstream in(pps, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    PictureData decoded;
    ASSERT_NE(DecodePps(bytes.data(), bytes.size(), decoded), 0u);
    EXPECT_EQ(decoded.frameWidth, 6);
    EXPECT_EQ(decoded.frameHeight, 4);
    ASSERT_GE(decoded.pixels.size(), 4u);
    EXPECT_EQ(decoded.pixels[0], 0x33); // blue
    EXPECT_EQ(decoded.pixels[2], 0x99); // red
    std::remove(pps.c_str());

    root->FreePicture("saved", false);
    PictureDesc gone;
    root->LookupPicture(&gone, "saved", 0);
    EXPECT_EQ(gone.record, nullptr);
}

TEST_F(Services, PaintImageAtFullScreenAndClearScreen)
{
    root->ClearScreen(0x0000ff);
    EXPECT_EQ(paint->Background()[0] & 0xffffff, 0xff0000u);
    const PictureDesc pic = MakePicture("full", 4, 4, 0x00ff00);
    root->PaintImage(pic, 0, 0, 0, 0, 0.0);
    // Green blended at full weight ((255 x 255) >> 8) over the red.
    EXPECT_EQ(paint->Background()[static_cast<size_t>(kHeight - 1) * kWidth + kWidth - 1] & 0xffffff, 0x00fe00u);
}

TEST_F(Services, DeferredRemovalHidesNowAndDeletesLater)
{
    CanvasObject* c = root->CreateCanvas(4, 4, 0);
    c->Show();
    const int id = c->GetId();
    root->RemoveObject(c, 1);
    root->RemoveObject(c, 1); // twice: the second finds nothing to remove
    EXPECT_FALSE(c->IsShown());
    EXPECT_EQ(root->FindObjectById(id), c);
    Frames(3);
    EXPECT_EQ(root->FindObjectById(id), nullptr);

    CanvasObject* now = root->CreateCanvas(4, 4, 0);
    const int nowId = now->GetId();
    root->RemoveObject(now, 0);
    EXPECT_EQ(root->FindObjectById(nowId), nullptr);
    root->RemoveObject(nullptr, 0);
}

TEST_F(Services, CancelActionStopsExactlyThatAction)
{
    CanvasObject* a = root->CreateCanvas(4, 4, 0);
    CanvasObject* b = root->CreateCanvas(4, 4, 0);
    a->SetOpacity(0);
    b->SetOpacity(0);
    const uint64_t fadeA = root->FadeOpacity(a, 0.1, 1.0, 30, nullptr);
    root->FadeOpacity(b, 0.1, 1.0, 30, nullptr);
    ASSERT_NE(fadeA, 0u);
    root->CancelAction(fadeA);
    Frames(5, 31);
    EXPECT_DOUBLE_EQ(a->GetOpacity(), 0.0);
    EXPECT_GT(b->GetOpacity(), 0.3);
}

TEST_F(Services, InputServicesReachTheInputModule)
{
    CanvasObject* c = root->CreateCanvas(4, 4, 0);
    c->SetFocusable(true);
    EXPECT_EQ(root->SetInputListener(c->GetId()), 0);
    EXPECT_EQ(input->GetListener(), c->GetId());
    EXPECT_EQ(root->ExchangeInputListener(0), c->GetId());
    root->SetModalObject(c->GetId());
    EXPECT_EQ(input->GetModalObject(), c->GetId());
    root->SetModalObject(0);
    root->SetFocus(c->GetId());
    InputState state;
    EXPECT_EQ(root->GetInputState(&state), &state);
    EXPECT_EQ(root->GetMinActionInterval(), 30u);
}

// Without the modules: every service does nothing (or answers 0, null or
// an empty record) and writes a line to the run log instead of crashing.
TEST(ServicesWithoutModules, DoNothingAndLog)
{
    InstallModalPanels();
    GameCore core;
    core.Init(nullptr);
    core.LoadModule(std::make_unique<DrawingObjectModule>(), true, false);
    auto* objects = dynamic_cast<DrawingObjectModule*>(core.FindModule(MODULE_OBJECT));
    auto owned = std::make_unique<Root>();
    Root* r = owned.get();
    objects->AddObject(std::move(owned), nullptr);

    EXPECT_EQ(r->GetScreenWidth(), 0);
    PictureDesc desc;
    r->LookupPicture(&desc, "x", 0);
    EXPECT_EQ(desc.record, nullptr);
    r->FreePicture("x", true);
    r->PaintImage(desc, 0, 0, 0, 0, 0);
    r->ClearScreen(0);
    EXPECT_EQ(r->AddResourceFile("/nonexistent", nullptr), 0u);
    EXPECT_FALSE(r->LoadResourcePack("/nonexistent"));
    EXPECT_EQ(r->GetResourceData("x"), nullptr);
    r->ListenInput(EVT_CLICK, EngineEvent(1, 2));
    r->UnlistenInput(EVT_CLICK);
    EXPECT_EQ(r->SetFocus(1), 0);
    EXPECT_EQ(r->SetInputListener(1), 0);
    r->SetCursor(nullptr);
    r->ShowCursor(0);
    r->RefreshMouse();
    InputState state;
    state.x = 5;
    r->GetInputState(&state);
    EXPECT_EQ(state.x, 0);
    EXPECT_EQ(r->PlaySound("ding", 1, nullptr), 0);
    r->StopSound(1);
    r->PauseSound(1);
    r->ResumeSound(1, 0);
    r->UnloadSound("ding");
    r->StopAllSounds();
    r->SetMute(1);
    EXPECT_NE(r->PlaySoundLater("ding", 1, nullptr), 0u);
    // The panels with their buttons and countdown, drawn with no paint
    // module to draw on.
    const EngineEvent answer(r->GetId(), 1);
    r->ShowMessagePanel("text", &answer, &answer, 3);
    r->ShowSystemDetail();
    r->ShowSystemBoard("board", 0);
    for (int i = 0; i < 3; ++i) {
        platform::SetFixedTick(1000u + 50u * i);
        core.RunFrame();
    }
    platform::SetFixedTick(std::nullopt);
    core.UnloadAllModules();
}

} // namespace
