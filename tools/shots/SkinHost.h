#pragma once
// The skin maker's pictures filed straight into a test host's picture
// cache, so tests and visual checks show the client's own skin without
// writing packs. Header-only, for programs that link the skin maker and
// the test host.

#include "tools/skin/SkinMaker.h"
#include "tools/testhost/TestHost.h"

namespace tools {

// Every picture of the list, animated ones keeping their frame delay.
inline void AddSkinPictures(TestHost& host, const std::vector<SkinPicture>& pictures)
{
    for (const SkinPicture& entry : pictures) {
        const uint32_t delay = entry.picture.frameDelays.empty() ? 0 : entry.picture.frameDelays.front();
        host.AddPicture(entry.name, entry.picture, delay);
    }
}

// Every picture one area of the skin draws, whatever pack it goes to.
inline void AddSkinArea(TestHost& host, SkinArea area, platform::FontRenderer& font)
{
    SkinFiles skin;
    area(skin, font);
    for (const auto& [pack, pictures] : skin.pictures)
        AddSkinPictures(host, pictures);
}

} // namespace tools
