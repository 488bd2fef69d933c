// The client program: started by the lobby with one argument it connects to
// the game server and enters its table; started with a replay file it plays
// the recorded game back on its own.

#include "game/FriendGameApp.h"

int main(int argc, char** argv)
{
    game::FriendGameApp app;
    return app.Run(argc, argv);
}
