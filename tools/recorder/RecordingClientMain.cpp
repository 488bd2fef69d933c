// recording-client: the client program with the room's recording option
// obeyed, and a trace of the table as the client sees it. It is otherwise
// KbZn, and is built next to it so that it finds the same skin.
//
// Recording: this game's application keeps recording off whatever the room
// says; the replay end-to-end check needs a replay of a deal really played
// against a server, so this program answers the recording question as the
// frame does (option word C, bit 0x20000, from the lobby's room record).
//
// The trace: with KBZN_TABLE_TRACE naming a file, every play and pass the
// client has handled, and every result, appends a line of what the client
// then holds, in the words the table server prints for its own state (see
// tools/tableserver/TableServerMain.cpp), so that the play check can hold the two
// against each other move by move:
//   state D.N: cards A B C D; last C IDS|last -; turn C; banker C; friend C|-
//   settled D: score changes ...; silver changes ...; scores ...; silver ...
// Cards left are the hand cards the table shows at each chair, the last play
// the one the table keeps (its card ids sorted), turn and banker the game
// state's words, the friend the one the table revealed; the settlement is
// the result the client took and the seat records' scores after it.

#include "cards/CardSprite.h"
#include "game/FriendGameApp.h"
#include "game/FriendGameData.h"
#include "game/FriendNotifyHandler.h"
#include "game/FriendTableView.h"
#include "table/FriendRecords.h"
#include "tools/tableserver/SettlementLine.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

class TracingNotifyHandler : public game::FriendNotifyHandler {
public:
    TracingNotifyHandler(CGameFrameApp& app, std::string path)
        : FriendNotifyHandler(app)
        , m_path(std::move(path))
    {
    }

    void Dispatch(uint32_t id, const uint8_t* body, size_t length) override
    {
        FriendNotifyHandler::Dispatch(id, body, length);
        if (id == game::kNotifyRoundStart) {
            ++m_deal;
            m_move = 0;
        } else if (id == game::kNotifyCardsThrown || id == game::kNotifyPassed) {
            ++m_move;
            WriteState();
        } else if (id == game::kNotifyRoundResult) {
            WriteSettlement();
        }
    }

private:
    void WriteState() const
    {
        const auto* view = dynamic_cast<const game::FriendTableView*>(App().GetTableView());
        const auto* data = dynamic_cast<const game::FriendGameData*>(App().GetGameState());
        if (!view || !data)
            return Write("state " + std::to_string(m_deal) + "." + std::to_string(m_move) + ": no table");
        std::array<int, 4> cards {};
        for (int i = 0; i < view->GetCreatedCardCount(); ++i) {
            const game::CardSprite* card = view->GetCard(i);
            if (card && card->state == game::kCardInHand && card->ownerChair >= 0 && card->ownerChair < 4)
                ++cards[static_cast<size_t>(card->ownerChair)];
        }
        std::string line = "state " + std::to_string(m_deal) + "." + std::to_string(m_move) + ": cards "
            + tools::WordRow(cards) + "; last ";
        if (view->GetLastPlayChair() < 0) {
            line += "-";
        } else {
            const table::PlayRecord& play = view->GetLastPlay();
            std::vector<int> ids(play.cards, play.cards + std::clamp(play.count, 0, table::kMaxPlayCards));
            std::sort(ids.begin(), ids.end());
            line += std::to_string(view->GetLastPlayChair());
            for (const int id : ids)
                line += " " + std::to_string(id);
        }
        const int revealed = data->TableWord(table::FriendTableState::kFriendRevealedOffset);
        line += "; turn " + std::to_string(data->GetTableWord56());
        line += "; banker " + std::to_string(data->GetTableWord52());
        line += "; friend " + (revealed < 0 ? std::string("-") : std::to_string(revealed));
        Write(line);
    }

    void WriteSettlement() const
    {
        const auto* data = dynamic_cast<const game::FriendGameData*>(App().GetGameState());
        if (!data)
            return Write("settled " + std::to_string(m_deal) + ": no table");
        std::array<int, 4> scores {};
        std::array<int, 4> silver {};
        for (int c = 0; c < 4; ++c) {
            if (const frame::PlayerRecord* player = App().GetSeatPlayer(c)) {
                scores[static_cast<size_t>(c)] = player->Score();
                silver[static_cast<size_t>(c)] = player->Silver();
            }
        }
        Write(tools::SettlementLine(m_deal, data->GetResultRecord(), scores, silver));
    }

    void Write(const std::string& line) const
    {
        if (std::FILE* f = std::fopen(m_path.c_str(), "a")) {
            std::fprintf(f, "%s\n", line.c_str());
            std::fclose(f);
        }
    }

    std::string m_path;
    int m_deal = 0;
    int m_move = 0;
};

class RecordingClientApp : public game::FriendGameApp {
public:
    RecordingClientApp()
    {
        if (const char* path = std::getenv("KBZN_TABLE_TRACE"); path && *path)
            m_tracing = std::make_unique<TracingNotifyHandler>(*this, path);
    }

    bool IsRoomOptionC20000() const override { return CGameFrameApp::IsRoomOptionC20000(); }
    GameNotifyHandler* GetNotifyHandler() override
    {
        return m_tracing ? m_tracing.get() : FriendGameApp::GetNotifyHandler();
    }

private:
    std::unique_ptr<TracingNotifyHandler> m_tracing;
};

} // namespace

int main(int argc, char** argv)
{
    RecordingClientApp app;
    return app.Run(argc, argv);
}
