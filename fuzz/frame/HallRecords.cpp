// The lobby's records over bytes from outside: the init data in both
// forms (plain, and deciphered first as the client receives it), the
// notices of looker-on, leave and show-player, and sign answers.
//
// Input: an operation byte, then the payload, copied into its own
// allocation so that a read past it is caught. Whatever a reader accepts
// must keep its promises (counts, chairs) and build back into a payload
// that reads the same.
#include "frame/core/HallRecords.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

using namespace frame;

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

bool ValidChair(int32_t chair) { return chair >= 0 && chair < kHallMaxSeated; }

void InitGame(const std::vector<uint8_t>& payload)
{
    HallInitGame init;
    if (ParseHallInitGame(payload.data(), payload.size(), init) != HallInitStatus::kOk)
        return;
    Check(init.seated.size() <= static_cast<size_t>(kHallMaxSeated));
    Check(init.lookers.size() <= static_cast<size_t>(kHallMaxLookers));
    Check(init.table.PlayerCount() == static_cast<int32_t>(init.seated.size()));
    Check(init.table.LookOnCount() == static_cast<int32_t>(init.lookers.size()));
    for (const PlayerRecord& p : init.seated)
        Check(ValidChair(p.Chair()));
    for (const PlayerRecord& p : init.lookers)
        Check(ValidChair(p.Chair()));
    Check(init.RoomTexts().size() <= kRoomTextsMaxFields);

    const std::vector<uint8_t> rebuilt = BuildHallInitGame(init);
    HallInitGame again;
    Check(ParseHallInitGame(rebuilt.data(), rebuilt.size(), again) == HallInitStatus::kOk);
    Check(again.room == init.room && again.table == init.table && again.seated == init.seated
        && again.lookers == init.lookers && again.RoomTexts() == init.RoomTexts());
}

void InitMatch(const std::vector<uint8_t>& payload)
{
    HallInitMatch init;
    if (!ParseHallInitMatch(payload.data(), payload.size(), init))
        return;
    const std::vector<uint8_t> rebuilt = BuildHallInitMatch(init);
    Check(rebuilt.size() == kHallInitMatchSize);
    Check(std::equal(rebuilt.begin(), rebuilt.end(), payload.begin()));
    volatile size_t sink = init.match.MatchName().size() + init.match.AwardUrl().size() + init.room.Name().size();
    (void)sink;
}

void Notices(const std::vector<uint8_t>& payload)
{
    size_t sink = 0;
    if (auto looker = ReadHallLooker(payload.data(), payload.size())) {
        Check(ValidChair(looker->Chair()));
        sink += looker->DisplayName().size();
    }
    if (auto leave = ReadHallLeaveTable(payload.data(), payload.size()))
        Check(ValidChair(leave->Chair()));
    if (auto shown = ReadHallShowPlayer(payload.data(), payload.size()))
        sink += shown->DisplayName().size() + shown->LevelTitle().size();
    if (auto close = ReadHallRecord<HallCloseNotice>(payload.data(), payload.size()))
        sink += static_cast<size_t>(close->UserId());
    if (auto text = ReadHallRecord<HallTextMessage>(payload.data(), payload.size()))
        Check(text->Text().size() < HallTextMessage::kTextSize);
    if (auto answer = ReadHallRecord<HallSignAnswer>(payload.data(), payload.size())) {
        Check(answer->Text().size() < HallSignAnswer::kTextSize);
        HallSignRequests requests;
        const uint32_t token = requests.Open(answer->UserId());
        if (requests.Answer(*answer))
            Check(answer->Token() == token && requests.Wait(token, 0) == answer->Text());
    }
    volatile size_t keep = sink;
    (void)keep;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::vector<uint8_t> payload(data + 1, data + size);
    switch (data[0] % 4) {
    case 0: InitGame(payload); break;
    case 1: {
        const std::vector<uint8_t> plain = HallDataCipher::Decipher(payload);
        Check(plain.size() == payload.size() - payload.size() % 16);
        InitGame(plain);
        break;
    }
    case 2: InitMatch(payload); break;
    case 3: Notices(payload); break;
    }
    return 0;
}
