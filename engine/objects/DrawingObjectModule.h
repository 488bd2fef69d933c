#pragma once
// The object module as the host window loads it: the registry and scheduler
// of ObjectModule, plus the text renderer that all canvases share and the
// creators of sprites and canvases, which draw through the layers above the
// core.

#include "engine/text/TextRenderer.h"
#include "engine/core/ObjectModule.h"
#include "engine/core/PictureData.h"
#include "engine/objects/SoundCalls.h"

namespace engine {

class CanvasObject;
class SpriteObject;

class DrawingObjectModule : public ObjectModule {
public:
    DrawingObjectModule() = default;
    ~DrawingObjectModule() override;

    int Init() override;
    void Shutdown() override;

    // A sprite showing the descriptor, sized to it, registered under parent
    // (not linked as its child); null before Init.
    virtual SpriteObject* CreateSprite(const PictureDesc& desc, EngineObject* parent);
    // A canvas of the size filled with the background, registered alike.
    virtual CanvasObject* CreateCanvas(int width, int height, uint32_t background, EngineObject* parent);
    TextRenderer& GetTextRenderer() { return m_text; }
    // How the objects reach the music module (set by the host window).
    void SetSoundCalls(const SoundCalls& calls) { m_soundCalls = calls; }
    const SoundCalls& GetSoundCalls() const { return m_soundCalls; }

private:
    TextRenderer m_text;
    SoundCalls m_soundCalls;
};

} // namespace engine
