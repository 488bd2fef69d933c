#include "frame/ui/PlayerRowActions.h"

#include "frame/core/CGameFrameApp.h"
#include "frame/core/GameConnection.h"
#include "frame/core/GameNotifyHandler.h"
#include "frame/core/WireReader.h"
#include "platform/Clipboard.h"

#include <array>

namespace frame {

namespace {

// The call record: {caller, room, table, caller's chair, called, called's
// chair}, then zeros.
constexpr size_t kCallRecordSize = 40;

} // namespace

bool CallPlayerFromList(int userId)
{
    CGameFrameApp* app = CGameFrameApp::Current();
    if (!app || userId <= 0)
        return false;
    const int chair = app->GetUserChair(userId);
    if (chair == -1 || app->IsRoomOptionB08())
        return false;
    if (GameConnection* connection = app->GetConnection())
        connection->CallPlayer(userId);
    std::array<uint8_t, kCallRecordSize> record {};
    const int32_t words[] = { app->GetUserId(), app->GetRoomId(), app->GetTableNo(), app->GetChair(), userId, chair };
    for (size_t i = 0; i < std::size(words); ++i)
        StoreLe32(record.data() + 4 * i, static_cast<uint32_t>(words[i]));
    if (GameNotifyHandler* handler = app->GetNotifyHandler())
        handler->OnPlayerCall(record.data(), record.size());
    return true;
}

bool CopyPlayerName(std::string_view name)
{
    return platform::SetClipboardText(name.substr(0, name.find('\0')));
}

} // namespace frame
