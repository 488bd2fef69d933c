#pragma once
// Engine module 1003: owns the frame the player sees. This base holds what
// does not depend on where frames go: the colour depth, the back-buffer
// size, the frame rate of the module's turns and the cache of decoded
// pictures; GdiPaintModule adds the layers, composing and conversion.
//
// User-interface thread only (the engine frame and the host window's
// handlers); no lock of its own.

#include "engine/core/ModuleBase.h"
#include "engine/core/PictureRef.h"
#include "engine/modules/PictureCache.h"

#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace engine {

inline constexpr uint32_t kPaintQueueLimit = 999999;

class PaintModule : public ModuleBase {
public:
    PaintModule();
    ~PaintModule() override = default;

    // ModuleBase.
    // Needs the resource module loaded (0 otherwise).
    int Init() override;
    void Shutdown() override;
    // Drains the messages and counts one turn towards the frame rate.
    void Update() override;
    // The paint module works on messages and calls only.
    uint32_t MsUntilWork(uint32_t) override { return kNoWork; }
    int GetId() const override { return MODULE_PAINT; }
    const char* GetName() const override { return "PaintModule"; }
    int OnMessage(int msg, MessageWord data, MessageWord extra) override;
    uint32_t GetQueueLimit() const override { return kPaintQueueLimit; }

    // Turns per second: the mean of the first 99 turns' rates, then a
    // running average over about 100 turns.
    double GetAverageFps() const;
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    int GetColourDepth() const { return m_colourDepth; }
    // Bits per pixel of the screen the frames go to: 32, 24 or 16 (others
    // are reported on every pass). The window layer's surfaces are 32-bit.
    void SetColourDepth(int bits) { m_colourDepth = bits; }

    // The picture operations, answered by the module's picture cache (see
    // PictureCache for each).
    void GetImageInfo(PictureDesc& out, std::string_view name, int frame) { m_pictures.GetImageInfo(out, name, frame); }
    PictureData* FindImage(std::string_view name) { return m_pictures.FindImage(name); }
    int LoadImageByKey(const NameKey& key) { return m_pictures.LoadImageByKey(key); }
    int LoadImage(std::string_view name) { return m_pictures.LoadImage(name); }
    void DecodeAhead(std::initializer_list<std::string_view> names) { m_pictures.DecodeAhead(names); }
    void AddImage(const PictureDesc& desc, std::string_view name) { m_pictures.AddImage(desc, name); }
    uint32_t GetLastSerial() const { return m_pictures.GetLastSerial(); }
    PictureData* CacheInsert(const NameKey& key, PictureData&& record)
    {
        return m_pictures.CacheInsert(key, std::move(record));
    }
    void RemoveImage(std::string_view name) { m_pictures.RemoveImage(name); }
    // Repairs a stale handle: 1 when it is drawable again, 0 when nothing can
    // be drawn this pass.
    virtual int RevalidatePicture(PictureRef& picture) { return m_pictures.RevalidatePicture(picture); }
    PictureCache& Pictures() { return m_pictures; }

protected:
    int m_colourDepth = 32;
    int m_width = 0;
    int m_height = 0;
    ModuleBase* m_resourceModule = nullptr; // not owned
    int m_viewCentreX = 0;
    int m_viewCentreY = 0;

private:
    uint32_t m_lastFrameTime = 0;
    double m_rateSum = 0.0;
    uint32_t m_frameCounter = 0;
    PictureCache m_pictures;
};

} // namespace engine
