// recording-client: the client program with the room's recording option
// obeyed. This game's application keeps recording off whatever the room
// says; the replay end-to-end check needs a replay of a deal really played
// against a server, so this program answers the recording question as the
// frame does (option word C, bit 0x20000, from the lobby's room record) and
// is otherwise KbZn. It is built next to KbZn so that it finds the same
// skin.

#include "game/FriendGameApp.h"

namespace {

class RecordingClientApp : public game::FriendGameApp {
public:
    bool IsRoomOptionC20000() const override { return CGameFrameApp::IsRoomOptionC20000(); }
};

} // namespace

int main(int argc, char** argv)
{
    RecordingClientApp app;
    return app.Run(argc, argv);
}
