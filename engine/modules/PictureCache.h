#pragma once
// The engine's decoded pictures, filed by the NameKey of their name followed
// by ".imge". The paint module owns one cache and answers the picture
// operations of the engine through it; pictures are decoded from the bytes
// the resource module holds, chosen by the resource's own file extension
// (pps by the engine's own codec, the standard formats by the platform's
// image decoder).
//
// Records live in a MemoryPool and stay at their address while cached.
// PictureDesc and PictureRef only borrow them; the serial stamped on each
// filed record tells a handle whose picture was removed (its descriptor's
// serial no longer matches). A removed record's storage goes back to the
// pool as a zeroed record, so a stale handle reads serial 0 (or a newer
// record's serial), never freed memory.
//
// User-interface thread only; DecodeAhead hands decoding to a worker of its
// own (PictureDecodeAhead).

#include "engine/core/MemoryPool.h"
#include "engine/core/ModuleBase.h"
#include "engine/core/NameKey.h"
#include "engine/core/PictureData.h"
#include "engine/core/PictureRef.h"
#include "engine/modules/PictureDecodeAhead.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <string_view>

namespace platform {
struct DecodedImage;
}

namespace engine {

class ResourceModule;

// A stale handle is repaired at most this often (module frame time).
inline constexpr uint32_t kRepairIntervalMs = 1000;

class PictureCache {
public:
    // owner: the module whose frame time stamps records and through which
    // the resource module is found (not owned; it owns the cache).
    explicit PictureCache(ModuleBase& owner);
    ~PictureCache();
    PictureCache(const PictureCache&) = delete;
    PictureCache& operator=(const PictureCache&) = delete;

    // The descriptor of frame (frame mod frame count, into 0..count-1) of
    // the picture name (without ".imge"), decoding it on first use. All
    // fields zero when no resource gives a picture.
    void GetImageInfo(PictureDesc& out, std::string_view name, int frame);
    // The record of name (already followed by ".imge"), decoded and cached
    // on first use; null when there is none.
    PictureData* FindImage(std::string_view name);
    // Decodes the resource of key and caches it: 1 on success, 0 when the
    // resource is missing, unreadable or not a picture. The resource's bytes
    // are taken from the resource module in both outcomes.
    int LoadImageByKey(const NameKey& key);
    // LoadImageByKey of the key of name (already followed by ".imge").
    int LoadImage(std::string_view name);
    // Decodes the pictures of names (without ".imge") on a worker thread,
    // so that their first use need not: that use takes the record (waiting
    // for the worker when it is still on it) and files it as a picture
    // decoded on the spot is filed. Names already cached or asked for, and
    // names without a resource, are passed over. The resource's bytes are
    // taken from the resource module now.
    void DecodeAhead(std::initializer_list<std::string_view> names);
    // Pictures asked for ahead and not used yet.
    size_t AheadCount() const { return m_ahead.Size(); }
    // Caches a deep copy of the descriptor's record under name + ".imge".
    void AddImage(const PictureDesc& desc, std::string_view name);
    // Decodes a picture by the hash of its own extension into a zeroed
    // record: 1 on success, 0 for an unknown extension or bytes that give no
    // picture (never a half-made record).
    static int DecodeImage(const uint8_t* data, size_t length, uint32_t extension, PictureData& out);
    // Decodes a pps picture: its decoded size, 0 when it cannot be decoded
    // or carries a 32-byte palette block (the record is then untouched).
    // The record of a decoded image file (only its first frame with
    // firstFrameOnly): 1, or 0 for an image without pixels or too large for
    // the record. Transparency: a colour key that no pixel uses is dropped.
    static int PictureFromImage(const platform::DecodedImage& image, bool firstFrameOnly, PictureData& out);
    static uint32_t DecodePpsImage(const uint8_t* data, size_t length, PictureData& out);
    static void CopyPicture(PictureData& destination, const PictureData& source);
    uint32_t GetLastSerial() const { return m_serial; }
    // Stamps the next serial and the frame time on the record and files it.
    // When the key is already cached the cached record stays and this one is
    // freed. The filed (or already cached) record.
    PictureData* CacheInsert(const NameKey& key, PictureData&& record);
    // Frees the cached picture of name (without ".imge").
    void RemoveImage(std::string_view name);
    // Repairs a stale handle: points it at the cached record of its key,
    // decoding the picture again when needed, and takes that record's
    // serial, so the handle is valid (and drawn) from then on. 1 when the
    // handle was repaired, 0 when it is not drawable now (serial 0 or 1,
    // tried less than a second ago, or the picture cannot be decoded).
    int RevalidatePicture(PictureRef& handle);
    // Frees what the record holds and zeroes it (the record itself stays).
    static void FreePicture(PictureData* record);
    // Frees every cached record (the paint module's shutdown).
    void Clear();

    size_t Size() const { return m_cache.size(); }

private:
    ResourceModule* Resources() const;
    void Destroy(PictureData* record);

    ModuleBase& m_owner;
    std::map<NameKey, PictureData*, NameKeyOrder> m_cache; // records in m_pool
    MemoryPool m_pool;
    uint32_t m_serial = 1;
    PictureDecodeAhead m_ahead;
};

} // namespace engine
