// Screen capture where there is nothing to capture: no display named, or
// one that no server answers. The captures of a real X server are checked
// with the screenshot writer, which decodes what it wrote.

#include "platform/ScreenCapture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

TEST(ScreenCaptureTest, WithoutAReachableXServerThereIsNoCapture)
{
    const char* saved = std::getenv("DISPLAY");
    const std::optional<std::string> restore = saved ? std::optional<std::string>(saved) : std::nullopt;
    for (const char* display : { static_cast<const char*>(nullptr), "", ":64999", "127.0.0.1:64999" }) {
        SCOPED_TRACE(display ? display : "unset");
        if (display)
            setenv("DISPLAY", display, 1);
        else
            unsetenv("DISPLAY");
        EXPECT_FALSE(platform::CaptureScreen());
    }
    if (restore)
        setenv("DISPLAY", restore->c_str(), 1);
    else
        unsetenv("DISPLAY");
}

} // namespace
