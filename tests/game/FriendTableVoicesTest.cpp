// The game's table view's sound and seat chat on the headless host: the
// voice a chair's record and a play name, the pass voice, the dialect
// switch, effects and background music from the settings (every sound call
// recorded through the engine's sound table); table chat lines cut, spoken
// when they are a quick-chat phrase and shown in the speaker's board
// bubble; chat lines at the seats as a three-second text bubble or an
// emoticon.

#include "game/FriendTableView.h"

#include "engine/modules/MusicModule.h"
#include "engine/objects/CanvasObject.h"
#include "engine/objects/RectObject.h"
#include "engine/objects/SpriteObject.h"
#include "frame/core/FrameRecords.h"
#include "frame/ui/FaceTables.h"
#include "game/FriendGameApp.h"
#include "game/FriendPlayerBoard.h"
#include "platform/Clock.h"
#include "table/Cards.h"
#include "table/FriendRecords.h"
#include "tests/game/FriendBodies.h"
#include "tests/game/ViewHostTest.h"
#include "tools/testhost/TestHost.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using Log = std::vector<std::string>;

// Every sound call of the engine, one line each.
Log& SoundLog()
{
    static Log log;
    return log;
}

// The background music plays when this is set: a MIDI song on channel 0.
bool& MusicPlaying()
{
    static bool playing = false;
    return playing;
}

// Sounds started play on channel 7 until the test stops them.
constexpr int kSoundChannel = 7;
bool& SoundPlaying()
{
    static bool playing = false;
    return playing;
}

class RecordingMusic : public engine::MusicModule {
public:
    int IsPlaying(uint32_t channel) const override
    {
        return (channel == 0 && MusicPlaying()) || (channel == kSoundChannel && SoundPlaying()) ? 1 : 0;
    }
};

engine::SoundCalls RecordingCalls()
{
    engine::SoundCalls calls;
    calls.playSound = [](engine::ModuleBase&, std::string_view name, int loops, const engine::EngineEvent*) {
        SoundLog().push_back(std::string(name) + (loops == 1 ? "" : " x" + std::to_string(loops)));
        SoundPlaying() = true;
        return kSoundChannel;
    };
    calls.unloadSound = [](engine::ModuleBase&, std::string_view name) {
        SoundLog().push_back("unload " + std::string(name));
    };
    calls.setMute = [](engine::ModuleBase&, int flag) { SoundLog().push_back("mute " + std::to_string(flag)); };
    return calls;
}

using friendtest::Put;

// 211200: +0 the sender's user id, +8 the kind, +36 the text.
std::vector<uint8_t> TableChatBody(int user, int kind, const std::string& text)
{
    std::vector<uint8_t> body(36 + text.size() + 1, 0);
    Put(body, 0, user);
    Put(body, 8, kind);
    std::memcpy(body.data() + 36, text.data(), text.size());
    return body;
}

// 201210: +12 the chair, +48 the text.
std::vector<uint8_t> SeatChatBody(int chair, const std::string& text)
{
    std::vector<uint8_t> body(48 + text.size() + 1, 0);
    Put(body, 12, chair);
    std::memcpy(body.data() + 48, text.data(), text.size());
    return body;
}

table::PlayRecord Play(int type, std::vector<int> ids)
{
    table::PlayRecord play(type, type, 0, static_cast<int>(ids.size()));
    for (size_t i = 0; i < ids.size(); ++i)
        play.cards[i] = ids[i];
    return play;
}

class VoiceApp : public game::FriendGameApp {
public:
    engine::EngineObject* GetTableView() const override { return view; }
    engine::EngineObject* view = nullptr;
};

class FriendVoices : public friendtest::ViewHostTest {
protected:
    static constexpr int kWidth = 1280;
    static constexpr int kHeight = 860;
    static constexpr int kOwn = 0;
    static constexpr int kFirstUser = 5000;
    static constexpr int kLookerOn = 6000;

    void SetUp() override
    {
        MusicPlaying() = false;
        SoundPlaying() = false;
        host.SetMusicModule([] { return std::make_unique<RecordingMusic>(); }, RecordingCalls());
        if (!StartHost("friendvoices", kWidth, kHeight))
            GTEST_SKIP() << "no video driver";
        app.SetOwnChair(kOwn);
        SeatPlayers(app, kFirstUser);
        for (int chair = 0; chair < 4; ++chair)
            app.GetSeatPlayer(chair)->SetWord68(chair % 2); // odd chairs speak in the female voice
        app.GetLookOnPlayer(0)->SetUserId(kLookerOn);
        // A round under way, the trick open.
        table::FriendTableState state;
        table::InitTableState(&state);
        state.header.status = 0x101;
        app.GetGameData().SetTableState(state);
        host.AddPicture("chat", 190, 100, 4, 0, [](int, int, int) { return 0xff203040u; });
        host.AddPicture("PlayerBoardSmall", 120, 40, 1, 0, [](int, int, int) { return 0xff336699u; });
        // A short emoticon loops, a long one plays once through.
        host.AddPicture("vkf握手", 48, 48, 4, 100, [](int, int, int) { return 0xff40c0c0u; });
        host.AddPicture("vkf庆祝", 48, 48, 4, 1000, [](int, int, int) { return 0xffc04040u; });

        view = AddTableView(kWidth, kHeight);
        ASSERT_NE(view, nullptr);
        app.view = view;
        SoundLog().clear();
    }
    void TearDown() override
    {
        ViewHostTest::TearDown();
        app.view = nullptr;
    }

    // A play by the chair, the next chair's turn; the play's mask (+52)
    // is its type.
    void ThrowFromServer(int chair, const std::vector<int>& ids, int type)
    {
        std::vector<uint8_t> body = friendtest::Play(chair, (chair + 1) % 4, type, ids);
        Put(body, 52, type);
        view->OnCardsThrown(cardtest::Read<game::ThrownPlay>(body));
    }
    void TableChat(int user, const std::string& text, int kind = 8)
    {
        const std::vector<uint8_t> body = TableChatBody(user, kind, text);
        view->OnTableChatLine(body.data(), body.size());
    }
    void SeatChat(int chair, const std::string& text)
    {
        const std::vector<uint8_t> body = SeatChatBody(chair, text);
        view->ShowChatLine(body.data(), body.size());
    }
    bool BubbleShown(int chair)
    {
        const engine::CanvasObject* bubble = view->GetGameChairBoard(chair)->GetBubble();
        return bubble && bubble->IsShown();
    }
    bool SeatTextShown(int position)
    {
        const engine::CanvasObject* bubble = view->GetSeatBubble(position);
        return bubble && bubble->IsShown();
    }

    VoiceApp app;
    game::FriendTableView* view = nullptr;
};

// ---- voices -------------------------------------------------------------------------------

TEST_F(FriendVoices, APlayIsNamedInTheChairsVoice)
{
    using namespace table;
    struct Case {
        int chair;
        table::PlayRecord play;
        const char* said; // empty: nothing
    };
    // id mod 54 mod 13 + 2 is the number said: id 3 is a 5, id 66 (12 in
    // the second deck) the ace, id 0 the 2.
    const Case cases[] = {
        { 0, Play(CT_SINGLE, { 52 }), "man_小王" },
        { 1, Play(CT_SINGLE, { 107 }), "woman_大王" },
        { 0, Play(CT_SINGLE, { 66 }), "man_单14" },
        { 2, Play(CT_SINGLE, { 0 }), "man_单2" },
        { 3, Play(CT_PAIR, { 53, 107 }), "woman_对大王" },
        { 0, Play(CT_PAIR, { 52, 106 }), "man_对小王" },
        { 1, Play(CT_PAIR, { 3, 57 }), "woman_对5" },
        { 0, Play(CT_TRIPLE, { 22, 22 + 54, 9 }), "man_三个11" },
        { 0, Play(CT_STRAIGHT, { 0, 1, 2, 3, 4 }), "man_顺子" },
        { 1, Play(CT_PAIR_RUN, { 0, 54, 1, 55 }), "woman_连对" },
        // A bomb that opens the trick.
        { 0, Play(CT_BOMB, { 5, 18, 31, 44 }), "man_炸1" },
        { 1, Play(CT_BOMB, { 5, 18, 31, 44, 59, 72, 85 }), "woman_炸1" },
        { 0, Play(CT_FOUR_JOKERS, { 52, 53, 106, 107 }), "man_炸2" },
        // Types without a voice of their own say nothing.
        { 0, Play(CT_TRIPLE_PAIR, { 1, 55, 2, 56, 3 }), "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.said);
        SoundLog().clear();
        view->PlayPlayVoice(c.chair, c.play);
        EXPECT_EQ(SoundLog(), *c.said ? Log { c.said } : Log {});
    }
}

TEST_F(FriendVoices, APlayFromTheServerSoundsItsEffectThenItsVoiceAndABombOnItSaysTwoOrThree)
{
    // The round as a client entering it gets it: the own chair holds the
    // small joker, the others 27 cards each that it cannot see.
    table::FriendTableState state;
    table::InitTableState(&state);
    state.header.status = 0x101;
    state.header.currentChair = 1;
    state.cards[0] = { 52, 0, 0, 0, table::kCardInHand, kOwn, 0, 1 };
    for (int i = 1; i <= 81; ++i)
        state.cards[i] = { -1, 0, 0, 0, table::kCardInHand, 1 + (i - 1) / 27, (i - 1) % 27, 27 };
    std::vector<uint8_t> bytes(table::FriendTableState::kWireSize);
    state.Write(bytes);
    app.GetNotifyHandler()->Dispatch(211160, bytes.data(), bytes.size());
    SoundLog().clear();

    ThrowFromServer(2, { 3, 57 }, table::CT_PAIR);
    EXPECT_EQ(SoundLog(), (Log { "Snd_Throw", "man_对5" }));

    SoundLog().clear();
    ThrowFromServer(3, { 5, 18, 31, 44, 59 }, table::CT_BOMB);
    ASSERT_EQ(SoundLog().size(), 2u);
    EXPECT_EQ(SoundLog()[0], "Snd_Bomb5");
    EXPECT_TRUE(SoundLog()[1] == "woman_炸2" || SoundLog()[1] == "woman_炸3") << SoundLog()[1];

    app.Settings().rejectDialect = 1;
    SoundLog().clear();
    ThrowFromServer(0, { 52 }, table::CT_SINGLE);
    view->PlayPassVoice(1);
    EXPECT_EQ(SoundLog(), Log { "Snd_Throw" });
}

TEST_F(FriendVoices, APassSaysPassInOneOfThreeWaysInTheChairsVoice)
{
    for (int chair : { 0, 3 }) {
        SoundLog().clear();
        view->PlayPassVoice(chair);
        ASSERT_EQ(SoundLog().size(), 1u);
        const std::string prefix = chair == 0 ? "man_过" : "woman_过";
        const std::string& said = SoundLog()[0];
        ASSERT_EQ(said.compare(0, prefix.size(), prefix), 0) << said;
        const std::string which = said.substr(prefix.size());
        EXPECT_TRUE(which == "1" || which == "2" || which == "3") << said;
    }
}

// ---- effects and music ----------------------------------------------------------------------

TEST_F(FriendVoices, SettingsMuteTheEffectsAndStartOrUnloadTheMusic)
{
    struct Case {
        int effects;
        int music;
        bool playing;
        Log calls;
    };
    const Case cases[] = {
        { 1, 1, false, { "mute 0", "default x10000" } },
        // Music already playing is not started again.
        { 1, 1, true, { "mute 0" } },
        { 1, 0, false, { "mute 0", "unload default" } },
        // The music goes through the effects' mute.
        { 0, 1, false, { "mute 1", "mute 0", "default x10000", "mute 1" } },
        { 0, 0, true, { "mute 1", "mute 0", "unload default", "mute 1" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.effects << c.music << c.playing);
        app.Settings().soundEffect = c.effects;
        app.Settings().music = c.music;
        MusicPlaying() = c.playing;
        SoundLog().clear();
        view->ApplySoundSettings();
        EXPECT_EQ(SoundLog(), c.calls);
    }

    // A sampled loop started by the settings is not started again while it
    // plays, and is once it has stopped.
    app.Settings().soundEffect = 1;
    app.Settings().music = 1;
    MusicPlaying() = false;
    SoundPlaying() = false;
    SoundLog().clear();
    view->ApplySoundSettings();
    view->ApplySoundSettings();
    SoundPlaying() = false;
    view->ApplySoundSettings();
    EXPECT_EQ(SoundLog(), (Log { "mute 0", "default x10000", "mute 0", "mute 0", "default x10000" }));
}

// ---- table chat -------------------------------------------------------------------------------

TEST_F(FriendVoices, ChatVoiceTextIsCutWithoutRunningPastEitherEnd)
{
    struct Case {
        const char* text;
        const char* cut;
    };
    const Case cases[] = {
        { "<玩家1>这局赢定了\r\n", "这局赢定了" },
        { "<a><b>好>\r\n", "<b>好>" },
        // No '>': the whole text; too short for the closing pair: kept.
        { "你好\r\n", "你好" },
        { "<a>x", "x" },
        { "<a>", "" },
        { ">", "" },
        { "x", "x" },
        { "", "" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(game::CutChatVoiceText(c.text), c.cut) << c.text;
}

TEST_F(FriendVoices, AQuickChatPhraseIsSpokenAndEveryLineGoesToTheSpeakersBubble)
{
    const std::string phrase(frame::QuickChatPhrases()[10]);
    TableChat(kFirstUser + 1, "<玩家1>" + phrase + "\r\n");
    EXPECT_EQ(SoundLog(), Log { "woman_chat_" + phrase });
    EXPECT_TRUE(BubbleShown(1));
    EXPECT_FALSE(BubbleShown(2));

    SoundLog().clear();
    TableChat(kFirstUser + 2, "<玩家2>随便说说\r\n");
    EXPECT_TRUE(SoundLog().empty());
    EXPECT_TRUE(BubbleShown(2));

    // The board's hide timer reaches the bubble through the board.
    Run(game::kBubbleShowMs + 200);
    EXPECT_FALSE(BubbleShown(1));
    EXPECT_FALSE(BubbleShown(2));
}

TEST_F(FriendVoices, TableChatFromLookersOnOtherKindsOrEmptyCutsShowsNothing)
{
    TableChat(kLookerOn, "<看客>" + std::string(frame::QuickChatPhrases()[0]) + "\r\n");
    TableChat(kFirstUser + 3, "<玩家3>你好\r\n", 7);
    TableChat(12345, "<无名>你好\r\n");
    TableChat(kFirstUser + 3, "<玩家3>");
    EXPECT_TRUE(SoundLog().empty());
    for (int chair = 0; chair < 4; ++chair)
        EXPECT_FALSE(BubbleShown(chair)) << chair;
    // A body too short for its text field is refused.
    const std::vector<uint8_t> body = TableChatBody(kFirstUser, 8, "");
    view->OnTableChatLine(body.data(), 20);
    EXPECT_FALSE(BubbleShown(0));
}

// ---- chat at the seats ------------------------------------------------------------------------

TEST_F(FriendVoices, MarkupIsStrippedAndEmoticonCodesAreNotText)
{
    struct Case {
        const char* text;
        bool shown;
        const char* plain;
    };
    const Case cases[] = {
        { "<c=255>你好", true, "你好" },
        { "<a<b>c>前<x>后", true, "前后" },
        { "#握手", false, "#握手" },
        { "<c=1>#握手", false, "#握手" },
        { "<c=1>", false, "" },
        { "", false, "" },
        { "a>b", true, "a>b" },
    };
    for (const Case& c : cases) {
        std::string plain;
        EXPECT_EQ(game::StripMarkup(c.text, plain), c.shown) << c.text;
        EXPECT_EQ(plain, c.plain) << c.text;
    }
}

TEST_F(FriendVoices, ASeatLineShowsForThreeSecondsAndASecondLineRestartsThem)
{
    const int position = view->ChairToView(2);
    SeatChat(2, "<c=255>大家好");
    EXPECT_EQ(view->GetSeatText(position), "大家好");
    EXPECT_TRUE(SeatTextShown(position));
    EXPECT_TRUE(view->GetSeatTextCanvas(position)->IsShown());

    Run(2000);
    SeatChat(2, "再来一局");
    EXPECT_EQ(view->GetSeatText(position), "再来一局");
    Run(2000);
    EXPECT_TRUE(SeatTextShown(position)) << "the second line's three seconds run from its arrival";
    Run(1200);
    EXPECT_FALSE(SeatTextShown(position));
    EXPECT_EQ(view->GetSeatText(position), "");
}

// Each seat's bubble and emoticon stand on the table, toward the middle
// from the seat's board.
TEST_F(FriendVoices, SeatBubblesAndEmoticonsStandInsideTheTableByTheirSeats)
{
    for (int chair = 0; chair < 4; ++chair) {
        SeatChat(chair, "你好");
        SeatChat(chair, "#握手");
    }
    for (int position = 0; position < 4; ++position) {
        SCOPED_TRACE(position);
        const engine::CanvasObject* bubble = view->GetSeatBubble(position);
        const engine::SpriteObject* face = view->GetSeatEmoticon(position);
        ASSERT_NE(bubble, nullptr);
        ASSERT_NE(face, nullptr);
        for (const engine::EngineObject* part : { static_cast<const engine::EngineObject*>(bubble),
                 static_cast<const engine::EngineObject*>(face) }) {
            EXPECT_GE(part->GetLeft(), 0);
            EXPECT_GE(part->GetTop(), 0);
            EXPECT_LE(part->GetLeft() + part->GetWidth(), kWidth);
            EXPECT_LE(part->GetTop() + part->GetHeight(), kHeight);
        }
    }
    const auto x = [&](int position) { return view->GetSeatBubble(position)->GetX(); };
    const auto y = [&](int position) { return view->GetSeatBubble(position)->GetY(); };
    EXPECT_GT(y(0), y(2)); // the bottom seat's bubble below the top seat's
    EXPECT_LT(x(1), x(3)); // the left seat's left of the right seat's
    EXPECT_LT(x(1), kWidth / 2);
    EXPECT_GT(x(3), kWidth / 2);
}

TEST_F(FriendVoices, ALongSeatLineKeepsWholeCharactersWithinItsBuffer)
{
    std::string line;
    for (int i = 0; i < 40; ++i)
        line += "好";
    SeatChat(1, "a" + line);
    const std::string& kept = view->GetSeatText(view->ChairToView(1));
    EXPECT_EQ(kept, "a" + line.substr(0, 62));
}

TEST_F(FriendVoices, AnEmoticonCodeShowsItsPictureAtTheSeatAndAnUnknownCodeNothing)
{
    const int position = view->ChairToView(3);
    SeatChat(3, "#不明");
    EXPECT_EQ(view->GetSeatEmoticon(position), nullptr);
    EXPECT_FALSE(SeatTextShown(position));

    SeatChat(3, "#握手");
    engine::SpriteObject* face = view->GetSeatEmoticon(position);
    ASSERT_NE(face, nullptr);
    EXPECT_TRUE(face->IsShown());
    EXPECT_FALSE(SeatTextShown(position));
    const game::CardPoint at = view->EmoticonPosition(position);
    EXPECT_EQ(static_cast<int>(face->GetX()), at.x);
    EXPECT_EQ(static_cast<int>(face->GetY()), at.y);
    // A short picture loops for 2.5 seconds.
    Run(2000);
    EXPECT_TRUE(face->IsShown());
    Run(700);
    EXPECT_FALSE(face->IsShown());

    // A long one plays once through (4 frames of a second each).
    SeatChat(3, "#庆祝");
    Run(3000);
    EXPECT_TRUE(face->IsShown());
    Run(1300);
    EXPECT_FALSE(face->IsShown());
}

} // namespace
