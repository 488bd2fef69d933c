// Requests from outside at the table server: the bytes are a link stream
// for the link reader, and also a run of requests from three sessions (any
// id the table answers, any body) with the clock moving between them, so
// that deals start, moves are checked, refused and made for absent chairs.
// Nothing may read or write outside the bodies.
//
// Run record: [u8 session][u8 request][u16 body length][body], or a
// session byte of 0xFF: [u8 0xFF][u16 milliseconds] moves the clock.

#include "tools/tableserver/TableRoom.h"
#include "tools/wire/WireLink.h"

#include "platform/Clock.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

constexpr uint32_t kRequests[] = {
    tools::table_ids::kEnter,
    tools::table_ids::kVersion,
    tools::table_ids::kLeave,
    tools::table_ids::kLeaveSeat,
    tools::table_ids::kCanQuit,
    tools::table_ids::kSnapshot,
    tools::table_ids::kStart,
    tools::table_ids::kStartChecked,
    tools::table_ids::kChat,
    tools::table_ids::kThrow,
    tools::table_ids::kPass,
    tools::table_ids::kTableMessage,
    123456,
    tools::table_ids::kViewCards,
    tools::table_ids::kViewCardsAnswer,
};

void ReadLink(const uint8_t* data, size_t size)
{
    tools::LinkReader reader(tools::CountingKey(), true);
    reader.Feed(reinterpret_cast<const char*>(data), size);
    tools::LinkMessage message;
    std::string hello, error;
    while (reader.Next(message, hello, error) != tools::LinkReader::kNeedMore) {
        if (!error.empty())
            break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ReadLink(data, size);

    uint32_t now = 1000;
    platform::SetFixedTick(now);
    platform::SetFixedLocalTime(platform::LocalTime { 2026, 12, 10, 12, 0, 0, 0 });
    tools::TableOptions options;
    options.seed = 1;
    options.pinClockForDeal = false;
    options.robotDelayMs = 0;
    options.dealShowMs = 0;
    tools::Table table(options);
    // Sessions without a socket: what the table sends them goes nowhere.
    std::array<std::unique_ptr<tools::TableSession>, 3> sessions;
    for (auto& s : sessions)
        s = std::make_unique<tools::TableSession>(platform::Socket(), tools::StageOptions {});

    size_t at = 0;
    int steps = 0;
    while (at + 3 <= size && steps++ < 200) {
        const uint8_t who = data[at];
        if (who == 0xFF) {
            now += static_cast<uint32_t>(data[at + 1] | data[at + 2] << 8) * 10u;
            platform::SetFixedTick(now);
            at += 3;
        } else {
            if (at + 4 > size)
                break;
            tools::LinkMessage request;
            request.expectsReply = true;
            request.wireMessageId = static_cast<uint32_t>(steps);
            request.message.head[1] = kRequests[data[at + 1] % std::size(kRequests)];
            const size_t length = std::min<size_t>(data[at + 2] | data[at + 3] << 8, size - at - 4);
            request.message.body.assign(reinterpret_cast<const char*>(data + at + 4), length);
            table.Handle(*sessions[who % sessions.size()], request);
            at += 4 + length;
        }
        for (int moves = 0; moves < 8 && table.MsUntilDue() == 0; ++moves)
            table.OnTimer();
    }
    for (auto& s : sessions)
        table.Leave(*s);
    platform::SetFixedTick(std::nullopt);
    platform::SetFixedLocalTime(std::nullopt);
    return 0;
}
