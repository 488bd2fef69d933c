#pragma once
// This game's request channel: the card layer's and the frame's requests
// unchanged, except that once the other players let the own player leave
// (FriendAppCalls::IsExitAgreed), failed card-layer requests are no longer
// logged: the server drops the leaving player's requests, and each would
// add a line.

#include "cards/CardGameConnection.h"

#include <cstdint>

namespace game {

class FriendGameConnection : public CardGameConnection {
public:
    FriendGameConnection() = default;
    ~FriendGameConnection() override = default;

protected:
    void LogFailedRequest(uint32_t requestId, uint32_t code) const override;
};

} // namespace game
