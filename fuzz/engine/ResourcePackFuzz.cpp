// Feeds a pack image to the memory pack reader and to the resource module:
// iteration, filtered steps and reads by index must stay inside the image.
#include "engine/core/NameKey.h"
#include "engine/modules/ResourceModule.h"
#include "engine/modules/ResourcePack.h"

#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A copy of exactly `size` bytes, so any read past the image is caught.
    std::vector<uint8_t> image(data, data + size);
    engine::MemoryPackReader reader(image.data(), image.size());
    if (!reader.IsOpen())
        return 0;
    engine::PackDirEntry entry;
    std::vector<engine::NameKey> keys;
    reader.Rewind();
    if (reader.CurrentEntry(entry)) {
        uint32_t steps = 0;
        do {
            reader.CurrentEntry(entry);
            keys.push_back(entry.key);
            auto block = reader.ReadEntry(reader.CurrentIndex());
            if (block && block[entry.length] != '\0')
                __builtin_trap();
            char small[16];
            reader.ReadEntryInto(reader.CurrentIndex(), small, sizeof small);
            if (++steps > reader.EntryCount())
                __builtin_trap(); // iteration must end
        } while (reader.NextEntry(0));
        reader.Rewind();
        while (reader.NextEntry(engine::NameHash(".png"))) {
        }
    }
    engine::ResourceModule module;
    module.LoadPackMemory(image.data(), image.size());
    for (const engine::NameKey& key : keys) {
        if (engine::ResourceEntry* e = module.LoadEntry(key)) {
            if (e->data[e->length] != '\0')
                __builtin_trap();
        }
    }
    return 0;
}
