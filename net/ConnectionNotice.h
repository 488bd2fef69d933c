#pragma once
// Telling the connection's own closed and error notices from messages of
// the peer, which may use the same ids (1 and 2) for messages of its own.

#include "net/NetMessage.h"

namespace net {

// The first reserved word of a notice's context. A message of the peer
// never carries it: its context is made by the connection, never read from
// the wire.
constexpr uint32_t kOwnNoticeMark = 1;

inline void MarkOwnNotice(MessageContext& context)
{
    context.reserved[0] = kOwnNoticeMark;
}

inline bool IsOwnNotice(const MessageContext& context, const NetMessage& message)
{
    return context.reserved[0] == kOwnNoticeMark
        && (message.messageId == kConnectionClosed || message.messageId == kConnectionError);
}

} // namespace net
