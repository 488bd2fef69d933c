// The card table view records with the frame's recorders through
// TableRecorderCalls: the recorder of each mode answers to it, and a replay
// holds what the view hands it only while it records.
#include "cards/TableRecorder.h"

#include "engine/objects/RectObject.h"
#include "tests/cards/CardTableFixture.h"

#include <gtest/gtest.h>

#include <array>

namespace {

TEST(TableRecorder, EachModesRecorderAnswersTheViewAndRecordsOnlyWhileOn)
{
    game::testing::TableApp app;
    game::testing::TurnState state;
    app.state = &state;
    for (const bool match : { false, true }) {
        std::unique_ptr<engine::EngineObject> made = game::MakeTableRecorder(app, match);
        auto* calls = dynamic_cast<game::TableRecorderCalls*>(made.get());
        ASSERT_NE(calls, nullptr) << match;
        auto* panel = dynamic_cast<frame::ReplayPanel*>(made.get());
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(dynamic_cast<frame::MatchReplayRecorder*>(made.get()) != nullptr, match);

        const std::array<uint8_t, 8> body { 1, 2, 3, 4, 5, 6, 7, 8 };
        EXPECT_FALSE(calls->RecordingNow());
        calls->RecordNotification(221170, body.data(), body.size());
        EXPECT_FALSE(panel->AppendRecord(221170, body.data(), body.size())) << "nothing before a replay begins";

        calls->StartReplay();
        EXPECT_TRUE(calls->RecordingNow());
        EXPECT_FALSE(panel->GetTableBlock().empty()) << "the table block begins the replay";
        EXPECT_TRUE(panel->AppendRecord(221170, body.data(), body.size()));
    }
}

} // namespace
