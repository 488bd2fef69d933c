// pack-writer: builds a resource pack, or converts one picture to pps.
//
//   pack-writer [--pps] OUTPUT.vkr FILE...   pack the files (with --pps,
//                                            picture files go in as pps)
//   pack-writer --convert INPUT OUTPUT.pps [METHOD]
//                                            one picture file as pps (method
//                                            1, 3, 4, 5 or 6; 6 by default)
#include "engine/core/EngineFiles.h"
#include "platform/Gbk.h"
#include "tools/pack/PackWriter.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int Usage()
{
    std::fprintf(stderr,
        "usage: pack-writer [--pps] OUTPUT.vkr FILE...\n"
        "       pack-writer --convert INPUT OUTPUT.pps [METHOD]\n");
    return 2;
}

bool IsPicture(const std::string& path)
{
    std::string ext = engine::GetFileExtLower(path);
    return ext == ".png" || ext == ".bmp" || ext == ".gif" || ext == ".jpg" || ext == ".jpeg" || ext == ".tga"
        || ext == ".pcx" || ext == ".ico" || ext == ".tif";
}

// The encoder's method named by text ("1", "3", "4", "5" or "6"), or 0 for
// anything else: a number with junk after it is refused, not cut short.
int ParseMethod(const char* text)
{
    if (std::strlen(text) == 1 && std::strchr("13456", text[0]))
        return text[0] - '0';
    return 0;
}

// A file name as typed on the command line (UTF-8) in the program's own
// text, which the file functions and the pack's names take.
std::string Arg(const char* typed)
{
    return platform::Gbk::FromUtf8(typed);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "--convert") == 0) {
        if (argc != 4 && argc != 5)
            return Usage();
        int method = argc == 5 ? ParseMethod(argv[4]) : 6;
        if (method == 0) {
            std::fprintf(stderr, "pack-writer: %s is not a method (1, 3, 4, 5 or 6)\n", argv[4]);
            return 2;
        }
        size_t length = 0;
        auto block = engine::ReadWholeFile(Arg(argv[2]), &length);
        if (!block) {
            std::fprintf(stderr, "pack-writer: cannot read %s\n", argv[2]);
            return 1;
        }
        std::vector<uint8_t> bytes(block.get(), block.get() + length);
        std::vector<uint8_t> pps = tools::PictureFileToPps(bytes, Arg(argv[2]), method);
        if (pps.empty()) {
            std::fprintf(stderr, "pack-writer: %s is not a picture the engine reads\n", argv[2]);
            return 1;
        }
        if (!engine::WriteWholeFile(Arg(argv[3]), pps.data(), pps.size())) {
            std::fprintf(stderr, "pack-writer: cannot write %s\n", argv[3]);
            return 1;
        }
        return 0;
    }
    int first = 1;
    bool asPps = false;
    if (argc >= 2 && std::strcmp(argv[1], "--pps") == 0) {
        asPps = true;
        first = 2;
    }
    if (argc - first < 2)
        return Usage();
    tools::PackWriter writer;
    for (int i = first + 1; i < argc; ++i) {
        std::string path = Arg(argv[i]);
        bool ok = asPps && IsPicture(path) ? writer.AddPictureFileAsPps(path) : writer.AddFile(path);
        if (!ok) {
            std::fprintf(stderr, "pack-writer: cannot add %s\n", argv[i]);
            return 1;
        }
    }
    if (!writer.Write(Arg(argv[first]))) {
        std::fprintf(stderr, "pack-writer: cannot write %s\n", argv[first]);
        return 1;
    }
    std::printf("%zu resources written to %s\n", writer.Count(), argv[first]);
    return 0;
}
