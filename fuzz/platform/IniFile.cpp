// An INI file of any content: reading keys, then writing one, must neither
// crash nor lose the other keys that were readable before.

#include "platform/IniFile.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/kbzn_fuzz_ini_" + std::to_string(::getpid()) + ".ini";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    platform::IniFile ini(path);
    std::string begin = ini.GetString("MobileDoubleScore", "BeginTime", "2014-03-10-00-00");
    int factor = ini.GetInt("MobileDoubleScore", "Double", 1);
    int kick = ini.GetInt("SoloAlone", "KickTime", 120);
    if (ini.WriteInt("GAMESET", "Fuzz", 7)) {
        if (ini.GetInt("GAMESET", "Fuzz", 0) != 7)
            std::abort();
        // Keys of other sections read the same after the write.
        if (ini.GetString("MobileDoubleScore", "BeginTime", "2014-03-10-00-00") != begin
            || ini.GetInt("MobileDoubleScore", "Double", 1) != factor || ini.GetInt("SoloAlone", "KickTime", 120) != kick)
            std::abort();
    }
    std::remove(path.c_str());
    return 0;
}
