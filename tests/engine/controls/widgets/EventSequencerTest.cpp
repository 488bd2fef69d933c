// The event sequencer: one event released at a time through the object
// module's posted events, payload copies handed to the receiver or freed
// with the sequencer.

#include "tests/engine/objects/HostFixture.h"

#include "engine/controls/widgets/EventSequencer.h"

#include <cstring>
#include <string>
#include <vector>

using namespace engine;
using namespace objectstest;

namespace {

// Records what reaches it and frees the payload copies as their owner.
class Handler : public BoundObject {
public:
    struct Got {
        int code;
        std::string bytes;
        MessageWord param;
        MessageWord data;
    };
    int OnEvent(const EngineEvent& event) override
    {
        const auto* bytes = FromWord<const char>(event.param);
        got.push_back({ event.code, bytes ? std::string(bytes, event.data) : std::string(), event.param, event.data });
        FreeEventBlock(event.param);
        return 1;
    }
    std::vector<int> Codes() const
    {
        std::vector<int> out;
        for (const Got& g : got)
            out.push_back(g.code);
        return out;
    }
    std::vector<Got> got;
};

class SequencerHost : public HostEngine {
protected:
    void SetUp() override
    {
        HostEngine::SetUp();
        if (IsSkipped())
            return;
        handler = static_cast<Handler*>(root->RegisterObject(std::make_unique<Handler>()));
        sequencer = static_cast<EventSequencer*>(root->RegisterObject(std::make_unique<EventSequencer>()));
        ASSERT_TRUE(handler && sequencer);
    }
    int Post(int code, const std::string& payload = {})
    {
        return sequencer->Post(handler->GetId(), code, payload.data(), static_cast<int>(payload.size()));
    }
    Handler* handler = nullptr;
    EventSequencer* sequencer = nullptr;
};

TEST_F(SequencerHost, ReleasesOneEventPerNextInOrderOnLaterFrames)
{
    EXPECT_EQ(Post(1, "end of match"), 1);
    EXPECT_EQ(Post(2, "result"), 1);
    EXPECT_EQ(Post(3), 1);
    // Posted, not sent: nothing arrives before the next frame.
    EXPECT_TRUE(handler->got.empty());
    Frames(3);
    ASSERT_EQ(handler->Codes(), std::vector<int> { 1 });
    EXPECT_EQ(handler->got[0].bytes, "end of match");
    EXPECT_EQ(handler->got[0].data, 12u);

    EXPECT_EQ(sequencer->Next(), 1);
    Frames(3);
    EXPECT_EQ(handler->Codes(), (std::vector<int> { 1, 2 }));
    EXPECT_EQ(handler->got[1].bytes, "result");
    EXPECT_EQ(sequencer->Next(), 1);
    Frames(3);
    ASSERT_EQ(handler->Codes(), (std::vector<int> { 1, 2, 3 }));
    // No payload: a null parameter and data 0.
    EXPECT_EQ(handler->got[2].param, 0u);
    EXPECT_EQ(handler->got[2].data, 0u);

    EXPECT_EQ(sequencer->Next(), 0);
    EXPECT_FALSE(sequencer->IsBusy());
    Post(4);
    Frames(2);
    EXPECT_EQ(handler->Codes(), (std::vector<int> { 1, 2, 3, 4 }));
}

TEST_F(SequencerHost, StopHoldsEverythingUntilNext)
{
    sequencer->Stop();
    Post(7, "held");
    Frames(3);
    EXPECT_TRUE(handler->got.empty());
    EXPECT_EQ(sequencer->QueuedCount(), 1u);
    EXPECT_EQ(sequencer->Next(), 1);
    Frames(2);
    ASSERT_EQ(handler->Codes(), std::vector<int> { 7 });
    EXPECT_EQ(handler->got[0].bytes, "held");
}

TEST_F(SequencerHost, PayloadIsCopiedAtPostTime)
{
    std::string payload = "first";
    Post(1);
    sequencer->Post(handler->GetId(), 2, payload.data(), static_cast<int>(payload.size()));
    payload = "later";
    sequencer->Next();
    Frames(3);
    ASSERT_EQ(handler->got.size(), 2u);
    EXPECT_EQ(handler->got[1].bytes, "first");
}

TEST_F(SequencerHost, LengthWithoutBytesSendsNoCopy)
{
    for (int length : { 5, -3 }) {
        handler->got.clear();
        sequencer->Post(handler->GetId(), 9, length > 0 ? nullptr : "abc", length);
        Frames(2);
        ASSERT_EQ(handler->got.size(), 1u) << length;
        EXPECT_EQ(handler->got[0].param, 0u);
        EXPECT_EQ(handler->got[0].data, 0u);
        sequencer->Next();
    }
}

TEST_F(SequencerHost, DestroyingFreesQueuedCopiesAndPostsNothing)
{
    sequencer->Stop();
    Post(1, "one");
    Post(2, "two");
    Post(3);
    root->RemoveObject(sequencer, 0);
    sequencer = nullptr;
    Frames(3);
    // The leak checker of the sanitizer build sees any copy left behind.
    EXPECT_TRUE(handler->got.empty());
}

TEST(EventSequencerAlone, AnUnregisteredSequencerFreesWhatItCannotPost)
{
    EventSequencer sequencer;
    EXPECT_EQ(sequencer.Post(5, 6, "payload", 7), 1);
    EXPECT_TRUE(sequencer.IsBusy());
    EXPECT_EQ(sequencer.Post(5, 6, "queued", 6), 1);
    EXPECT_EQ(sequencer.Next(), 1);
    EXPECT_EQ(sequencer.QueuedCount(), 0u);
}

} // namespace
