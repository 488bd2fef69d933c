#include "engine/objects/DrawingObjectModule.h"

#include "engine/objects/CanvasObject.h"
#include "engine/objects/SpriteObject.h"

namespace engine {

DrawingObjectModule::~DrawingObjectModule() = default;

int DrawingObjectModule::Init()
{
    const int result = ObjectModule::Init();
    if (result)
        m_text.Init();
    return result;
}

void DrawingObjectModule::Shutdown()
{
    ObjectModule::Shutdown();
    m_text.Destroy();
}

SpriteObject* DrawingObjectModule::CreateSprite(const PictureDesc& desc, EngineObject* parent)
{
    auto sprite = std::make_unique<SpriteObject>();
    SpriteObject* raw = sprite.get();
    AddObject(std::move(sprite), parent);
    if (!raw->IsAttached())
        return nullptr;
    raw->SetPicture(desc, true);
    return raw;
}

CanvasObject* DrawingObjectModule::CreateCanvas(int width, int height, uint32_t background, EngineObject* parent)
{
    auto canvas = std::make_unique<CanvasObject>();
    CanvasObject* raw = canvas.get();
    AddObject(std::move(canvas), parent);
    if (!raw->IsAttached())
        return nullptr;
    raw->Create(width, height, background, &m_text);
    return raw;
}

} // namespace engine
