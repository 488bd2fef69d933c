#pragma once
// The start of a visual check that shows the client's own skin: the skin
// the skin maker draws (the test run's shared one, or one written into a
// scratch directory), the shot window opened, the skin's packs loaded (and
// the scratch directory removed), and
// the table felt behind everything. For the programs that link the skin
// maker beside the test host.

#include "engine/modules/ResourceModule.h"
#include "engine/objects/SpriteObject.h"
#include "tools/shots/FrameShot.h"
#include "tools/skin/SkinMaker.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>

namespace tools {

// The paint module of the opened window, or null with a message naming the
// step that failed. packs are paths under the program directory, such as
// kSkinFramePack.
inline engine::EnginePaintModule* OpenSkinnedShot(const char* program, TestHost& host, int width, int height,
    std::unique_ptr<engine::RectObject> root, std::initializer_list<const char*> packs)
{
    const std::filesystem::path scratch
        = std::filesystem::temp_directory_path() / (std::string("kbzn-") + program + "-" + std::to_string(getpid()));
    std::string error;
    const std::filesystem::path dir = SkinForCheck(scratch.string(), error);
    if (dir.empty()) {
        std::fprintf(stderr, "%s: %s\n", program, error.c_str());
        return nullptr;
    }
    TestHost::PreferHeadlessDrivers();
    engine::RectObject* view = root.get();
    engine::EnginePaintModule* paint = OpenShotWindow(program, host, program, width, height, std::move(root));
    engine::ResourceModule* resources = paint ? view->GetResourceModule() : nullptr;
    bool loaded = resources != nullptr;
    for (const char* pack : packs)
        loaded = loaded && resources->LoadPackFile((dir / pack).string());
    std::filesystem::remove_all(scratch);
    if (paint && !loaded) {
        std::fprintf(stderr, "%s: the skin packs do not load\n", program);
        return nullptr;
    }
    return paint;
}

// The green felt under the whole window.
inline void ShowFelt(TestHost& host, engine::GameObject& root, int width, int height)
{
    const engine::PictureDesc felt = AddPicture(host, "shot_felt", width, height, Felt);
    if (engine::SpriteObject* back = root.CreateSprite(felt)) {
        back->MoveTo(width / 2, height / 2);
        back->SetZ(-500000);
        back->Show();
        back->Invalidate();
    }
}

} // namespace tools
