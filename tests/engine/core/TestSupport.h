#pragma once
// Shared fixtures of the engine core tests: a scratch program directory
// (with the state directory, where the logs go, inside it) and recorders for
// the daily log and message boxes.

#include "engine/core/EngineDailyLog.h"
#include "engine/core/EngineMessageBox.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "tests/support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace enginetest {

class ScratchDir {
public:
    ScratchDir()
    {
        auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_path = std::filesystem::temp_directory_path()
            / ("engine_core_" + std::string(info->test_suite_name()) + "_" + info->name() + "_"
                + std::to_string(::getpid()));
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
        platform::SetExecutableDir(m_path.string());
        m_state.emplace("XDG_STATE_HOME", (m_path / "state").string());
    }
    ~ScratchDir()
    {
        platform::SetExecutableDir("");
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    std::string Dir() const { return m_path.string() + "/"; }
    // Where the run log and the daily log are written.
    std::string StateDir() const { return Dir() + "state/kbzn/"; }

private:
    std::filesystem::path m_path;
    std::optional<testsupport::ScopedEnv> m_state;
};

// Collects daily log lines and message boxes for the life of the object.
class Recorders {
public:
    Recorders()
    {
        engine::SetEngineDailyLogSink([this](const std::string& line) { dailyLog.push_back(line); });
        engine::SetEngineMessageBoxHandler([this](const engine::MessageBoxRequest& box) {
            boxes.push_back(box);
            if (onBox)
                onBox();
        });
    }
    ~Recorders()
    {
        engine::SetEngineDailyLogSink(nullptr);
        engine::SetEngineMessageBoxHandler(nullptr);
    }
    std::vector<std::string> dailyLog;
    std::vector<engine::MessageBoxRequest> boxes;
    std::function<void()> onBox;
};

// Pins the millisecond tick for the life of the object.
class FixedTick {
public:
    explicit FixedTick(uint32_t start) { Set(start); }
    ~FixedTick() { platform::SetFixedTick(std::nullopt); }
    void Set(uint32_t tick)
    {
        m_tick = tick;
        platform::SetFixedTick(tick);
    }
    void Advance(uint32_t ms) { Set(m_tick + ms); }

private:
    uint32_t m_tick = 0;
};

} // namespace enginetest
