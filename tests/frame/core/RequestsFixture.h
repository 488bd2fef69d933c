#pragma once
// The ground of the request tests: a scripted server on loopback, program
// and system directories of their own under the temporary directory, SDL
// on its headless drivers, and the helpers that spell the records a test
// expects. Oneself sits at chair 2 of table 5 in room 77.

#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/MessageQueue.h"
#include "platform/Resolver.h"
#include "tools/scripted/ScriptedServer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <unistd.h>
#include <utility>

namespace requeststest {

inline constexpr int kUser = 10001;
inline constexpr int kRoom = 77;
inline constexpr int kTable = 5;
inline constexpr int kChair = 2;

// The words little-endian, four bytes each.
inline std::string Words(std::initializer_list<int32_t> words)
{
    std::string out;
    for (int32_t w : words)
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<char>((static_cast<uint32_t>(w) >> (8 * i)) & 0xFF));
    return out;
}

// An expected record: zeros except for the fields written.
class Expect {
public:
    explicit Expect(size_t length)
        : m_bytes(length, '\0')
    {
    }
    Expect& Int(size_t offset, int32_t value)
    {
        m_bytes.replace(offset, 4, Words({ value }));
        return *this;
    }
    Expect& Text(size_t offset, const std::string& bytes)
    {
        m_bytes.replace(offset, bytes.size(), bytes);
        return *this;
    }
    // Oneself's user, room, table and chair.
    Expect& Head() { return Int(0, kUser).Int(4, kRoom).Int(8, kTable).Int(12, kChair); }
    const std::string& Bytes() const { return m_bytes; }

private:
    std::string m_bytes;
};

// The server started and the directories made; a fixture that derives
// makes its application after SetUp and drops it before TearDown.
class ServerFixture : public ::testing::Test {
protected:
    // dirPrefix: the start of the temporary directory's name.
    explicit ServerFixture(std::string dirPrefix)
        : m_dirPrefix(std::move(dirPrefix))
    {
    }

    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        platform::SetHostResolver([](const std::string&, in_addr&) { return false; });
        m_root = std::filesystem::temp_directory_path() / (m_dirPrefix + std::to_string(getpid()) + "_"
                     + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_root / "program");
        std::filesystem::create_directories(m_root / "system");
        platform::SetExecutableDir((m_root / "program").string() + "/");
        setenv("KBZN_SYSTEM_DIR", (m_root / "system").c_str(), 1);
        ASSERT_TRUE(m_server.Start());
    }
    void TearDown() override
    {
        platform::SetFixedTick(std::nullopt);
        platform::SetExecutableDir("");
        unsetenv("KBZN_SYSTEM_DIR");
        platform::SetHostResolver(nullptr);
        std::filesystem::remove_all(m_root);
    }

    void Reply(uint32_t id, uint32_t code, std::string body = {})
    {
        m_server.SetReply(id, { .code = code, .body = std::move(body) });
    }

    // The body of the last request the server received under id, once it
    // has received count requests.
    std::string LastBody(uint32_t id, size_t count)
    {
        EXPECT_TRUE(m_server.WaitForRequests(count, 5000));
        const auto requests = m_server.Requests();
        for (auto it = requests.rbegin(); it != requests.rend(); ++it)
            if (it->Id() == id)
                return it->message.body;
        return "(none)";
    }

    platform::MessageQueue m_queue;
    tools::ScriptedServer m_server;
    std::filesystem::path m_root;

private:
    std::string m_dirPrefix;
};

} // namespace requeststest
