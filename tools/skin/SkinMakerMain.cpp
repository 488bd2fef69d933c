// skin-maker [--no-voice] [--voices] [--sheet picture.png] <program directory>
//
// --voices speaks the game's voice pack with espeak-ng (a few seconds);
// without it the voices are short tones, so the build stays quick.
// Writes the client's skin (packs, skin ini, dialog background, sounds)
// under the program directory; with --sheet also a contact sheet of every
// picture to look the skin over, and beside it (name-preview.png) the
// pictures put together as the frame shows them.

#include "platform/FontRenderer.h"
#include "tools/pack/PackWriter.h"
#include "tools/skin/SkinMaker.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

namespace {

int Usage()
{
    std::fprintf(stderr, "usage: skin-maker [--no-voice] [--voices] [--sheet picture.png] <program directory>\n");
    return 2;
}

bool WriteSheet(const std::string& path)
{
    platform::FontRenderer font;
    std::vector<tools::SkinPicture> pictures = tools::DrawFramePictures(font);
    for (tools::SkinPicture& face : tools::DrawFacePictures(font))
        pictures.push_back(std::move(face));
    pictures.push_back({ "CommDlgBK", tools::DrawDialogBackground(font) });
    const std::vector<uint8_t> png = tools::EncodePng(tools::ContactSheet(pictures, font));
    const std::vector<uint8_t> preview = tools::EncodePng(tools::DrawPreview(font));
    std::string previewPath = path;
    const size_t dot = previewPath.rfind('.');
    previewPath.insert(dot == std::string::npos ? previewPath.size() : dot, "-preview");
    std::ofstream previewFile(previewPath, std::ios::binary | std::ios::trunc);
    previewFile.write(reinterpret_cast<const char*>(preview.data()), static_cast<std::streamsize>(preview.size()));
    if (preview.empty() || !previewFile.good())
        return false;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    return !png.empty() && file.good();
}

} // namespace

int main(int argc, char** argv)
{
    bool voice = true;
    bool voices = false;
    std::string sheet;
    std::string dir;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg(argv[i]);
        if (arg == "--no-voice")
            voice = false;
        else if (arg == "--voices")
            voices = true;
        else if (arg == "--sheet" && i + 1 < argc)
            sheet = argv[++i];
        else if (!arg.empty() && arg[0] != '-' && dir.empty())
            dir = argv[i];
        else
            return Usage();
    }
    if (dir.empty())
        return Usage();
    std::string error;
    if (!tools::WriteSkin(dir, voice, error, voices)) {
        std::fprintf(stderr, "skin-maker: %s\n", error.c_str());
        return 1;
    }
    if (!sheet.empty() && !WriteSheet(sheet)) {
        std::fprintf(stderr, "skin-maker: cannot write %s\n", sheet.c_str());
        return 1;
    }
    return 0;
}
