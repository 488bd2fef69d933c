#include "tools/testhost/TestHost.h"

#include "engine/core/GameCore.h"
#include "engine/objects/DrawingObjectModule.h"
#include "engine/objects/EnginePaintModule.h"
#include "engine/objects/RectObject.h"
#include "engine/modules/InputModule.h"

#include <cstdlib>

namespace tools {

void TestHost::PreferHeadlessDrivers()
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
}

engine::EnginePaintModule* TestHost::Paint()
{
    return dynamic_cast<engine::EnginePaintModule*>(GetCore().FindModule(engine::MODULE_PAINT));
}

engine::DrawingObjectModule* TestHost::Objects()
{
    return dynamic_cast<engine::DrawingObjectModule*>(GetCore().FindModule(engine::MODULE_OBJECT));
}

engine::InputModule* TestHost::Input()
{
    return dynamic_cast<engine::InputModule*>(GetCore().FindModule(engine::MODULE_INPUT));
}

engine::PictureDesc TestHost::AddPicture(std::string_view name, engine::PictureData picture, uint32_t delayMs)
{
    picture.flags = engine::kPictureAlpha;
    picture.colourKey = engine::kNoColourKey;
    if (picture.frameCount > 1 && delayMs > 0) {
        picture.flags |= engine::kPictureDelays;
        picture.frameDelays.assign(picture.frameCount, delayMs);
    }
    engine::PictureDesc desc;
    desc.record = &picture;
    desc.width = picture.frameWidth;
    desc.height = picture.frameHeight;
    engine::PictureDesc cached;
    engine::EnginePaintModule* paint = Paint();
    engine::RectObject* root = GetRootObject();
    if (!paint || !root)
        return cached;
    paint->AddImage(desc, name);
    root->LookupPicture(&cached, name, 0);
    return cached;
}

void InjectWindowInput(engine::COrbitVaneWnd& window, uint32_t message, int x, int y, uint32_t key)
{
    platform::WindowEvent e;
    e.message = message;
    e.x = x;
    e.y = y;
    const platform::Point screen = window.GetWindow().ClientToScreen(platform::Point { x, y });
    e.screenX = screen.x;
    e.screenY = screen.y;
    e.key = key;
    window.OnEvent(e);
}

void TestHost::InjectInput(uint32_t message, int x, int y, uint32_t key)
{
    InjectWindowInput(*this, message, x, y, key);
}

} // namespace tools
