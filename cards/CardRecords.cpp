// The card layer's notifications read into their records: the one place
// where their offsets and the rules of their fields live.

#include "cards/CardRecords.h"

#include "frame/core/WireReader.h"

#include <cinttypes>
#include <cstdio>

namespace game {

namespace {

using frame::WireReader;

RecordFault Short(size_t length, size_t needed)
{
    return { RecordFault::kShort, length, needed, 0 };
}

// A chair of the table, or the fault naming it.
std::optional<RecordFault> ChairFault(int chair, int chairs, size_t length)
{
    if (chair >= 0 && chair < chairs)
        return std::nullopt;
    return RecordFault { RecordFault::kChair, length, 0, chair };
}

// `count` ids of 4 bytes from `offset`: no fewer than none, no more than a
// hand, and all of them inside the body.
std::optional<RecordFault> CardsFault(const WireReader& reader, size_t offset, int count)
{
    if (count < 0 || count > kMaxHandCards)
        return RecordFault { RecordFault::kCount, reader.Size(), 0, count };
    if (const size_t needed = offset + 4 * static_cast<size_t>(count); !reader.Has(needed))
        return Short(reader.Size(), needed);
    return std::nullopt;
}

std::vector<int> ReadIds(const WireReader& reader, size_t offset, int count)
{
    std::vector<int> ids(static_cast<size_t>(count));
    for (size_t i = 0; i < ids.size(); ++i)
        ids[i] = reader.Int(offset + 4 * i);
    return ids;
}

} // namespace

std::string RecordFault::Describe() const
{
    char text[96];
    switch (kind) {
    case kShort: std::snprintf(text, sizeof text, "%zu bytes, %zu needed", length, needed); break;
    case kChair: std::snprintf(text, sizeof text, "chair %" PRId64 " outside the table", value); break;
    case kCount: std::snprintf(text, sizeof text, "%" PRId64 " cards", value); break;
    case kPayload: std::snprintf(text, sizeof text, "payload of %" PRId64 " bytes in %zu", value, length); break;
    }
    return text;
}

Parsed<PlayerStarted> PlayerStarted::Parse(const uint8_t* body, size_t length, int chairs)
{
    const WireReader reader(body, length);
    if (!reader.Has(kSize))
        return Short(reader.Size(), kSize);
    PlayerStarted record;
    record.chair = reader.Int(12);
    if (auto fault = ChairFault(record.chair, chairs, reader.Size()))
        return *fault;
    return record;
}

Parsed<ShownCards> ShownCards::Parse(const uint8_t* body, size_t length, int chairs)
{
    const WireReader reader(body, length);
    if (!reader.Has(kHead))
        return Short(reader.Size(), kHead);
    ShownCards record;
    record.chair = reader.Int(4);
    const int count = reader.Int(8);
    if (auto fault = ChairFault(record.chair, chairs, reader.Size()))
        return *fault;
    if (auto fault = CardsFault(reader, kHead, count))
        return *fault;
    record.cards = ReadIds(reader, kHead, count);
    return record;
}

Parsed<TableMessage> TableMessage::Parse(const uint8_t* body, size_t length, int chairs)
{
    const WireReader reader(body, length);
    if (!reader.Has(kHead))
        return Short(reader.Size(), kHead);
    const uint32_t declared = reader.Word(16);
    if (declared > reader.Size() - kHead)
        return RecordFault { RecordFault::kPayload, reader.Size(), 0, declared };
    TableMessage record;
    record.kind = reader.Int(8);
    const WireReader payload(reader.Data() + kHead, declared);
    if (payload.Has(4) && !ChairFault(payload.Int(0), chairs, payload.Size()))
        record.chair = payload.Int(0);
    if (record.kind == kTableMsgShowCards)
        if (auto shown = ShownCards::Parse(payload.Data(), payload.Size(), chairs))
            record.shown = *shown;
    return record;
}

Parsed<PlayerOffline> PlayerOffline::Parse(const uint8_t* body, size_t length, int /*chairs*/)
{
    const WireReader reader(body, length);
    if (!reader.Has(kSize))
        return Short(reader.Size(), kSize);
    PlayerOffline record;
    record.userId = reader.Int(0);
    return record;
}

Parsed<ViewCardsRequest> ViewCardsRequest::Parse(const uint8_t* body, size_t length, int /*chairs*/)
{
    const WireReader reader(body, length);
    if (!reader.Has(kSize))
        return Short(reader.Size(), kSize);
    ViewCardsRequest record;
    record.requester = reader.Int(0);
    return record;
}

Parsed<ViewCardsAnswer> ViewCardsAnswer::Parse(const uint8_t* body, size_t length, int chairs)
{
    const WireReader reader(body, length);
    if (!reader.Has(kSize))
        return Short(reader.Size(), kSize);
    ViewCardsAnswer record;
    record.userId = reader.Int(0);
    record.chair = reader.Int(12);
    record.requester = reader.Int(16);
    record.allowed = reader.Int(20) != 0;
    if (auto fault = ChairFault(record.chair, chairs, reader.Size()))
        return *fault;
    return record;
}

Parsed<PassedTurn> PassedTurn::Parse(const uint8_t* body, size_t length, int chairs)
{
    const WireReader reader(body, length);
    if (!reader.Has(kSize))
        return Short(reader.Size(), kSize);
    PassedTurn record;
    record.chair = reader.Int(8);
    record.nextChair = reader.Int(16);
    record.clearsTable = reader.Int(20) != 0;
    record.seconds = reader.Int(32);
    for (const int chair : { record.chair, record.nextChair })
        if (auto fault = ChairFault(chair, chairs, reader.Size()))
            return *fault;
    return record;
}

Parsed<ThrownPlay> ThrownPlay::Parse(const uint8_t* body, size_t length, int chairs)
{
    const WireReader reader(body, length);
    if (!reader.Has(kHead))
        return Short(reader.Size(), kHead);
    ThrownPlay record;
    record.chair = reader.Int(12);
    record.nextChair = reader.Int(20);
    record.finishPlace = reader.Int(24);
    record.seconds = reader.Int(28);
    const int count = reader.Int(60);
    for (const int chair : { record.chair, record.nextChair })
        if (auto fault = ChairFault(chair, chairs, reader.Size()))
            return *fault;
    if (auto fault = CardsFault(reader, kHead, count))
        return *fault;
    record.play = table::PlayRecord(reader.Int(48), reader.Int(52), reader.Int(56), count);
    for (int i = 0; i < count; ++i)
        record.play.cards[i] = reader.Int(kHead + 4 * static_cast<size_t>(i));
    return record;
}

Parsed<TurnNotice> TurnNotice::Parse(const uint8_t* body, size_t length, int chairs)
{
    const WireReader reader(body, length);
    if (!reader.Has(kSize))
        return Short(reader.Size(), kSize);
    TurnNotice record;
    record.chair = reader.Int(4);
    if (auto fault = ChairFault(record.chair, chairs, reader.Size()))
        return *fault;
    return record;
}

} // namespace game
