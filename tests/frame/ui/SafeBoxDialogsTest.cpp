// The safe box dialogs, the preset dialog and the password keypad in the
// headless host window, against a connection that answers as the server
// would: what is sent, what the player is told, what is remembered; and
// over the main view, where the input bar keeps them centred on the screen
// and an open safe box shows what a transfer from the menu left in it.
#include "tests/engine/objects/HostFixture.h"

#include "engine/controls/widgets/ImageButton.h"
#include "frame/core/CGameFrameApp.h"
#include "frame/core/GameConnection.h"
#include "frame/core/GameFrameCalls.h"
#include "frame/ui/DepositKeypad.h"
#include "frame/ui/FrameEdit.h"
#include "frame/ui/GameFrame.h"
#include "frame/ui/InputBar.h"
#include "frame/ui/SafeBoxDialogs.h"
#include "platform/IniFile.h"
#include "tests/frame/ui/BoxView.h"
#include "tools/testhost/TestHost.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <vector>

using namespace frame;

namespace {

void PutWord(std::span<uint8_t> out, size_t offset, int32_t value)
{
    for (size_t i = 0; i < 4; ++i)
        out[offset + i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
}

// ---- pure parts --------------------------------------------------------------------

TEST(RecentAmounts, LoadKeepsTheNonZeroNumbers)
{
    struct Case {
        const char* stored;
        std::vector<int> values;
    };
    const Case cases[] = {
        { "", {} },
        { "0|300|abc|", { 300 } },
        { "100|200|", { 100, 200 } },
        { "7", { 7 } },
        { "-5|12x|", { -5, 12 } },
    };
    for (const Case& c : cases) {
        RecentAmounts recent;
        recent.Load(c.stored);
        EXPECT_EQ(recent.Values(), c.values) << c.stored;
    }
}

TEST(RecentAmounts, RememberKeepsSixDistinctOldestFirst)
{
    RecentAmounts recent;
    recent.Load("100|200|300|400|500|");
    EXPECT_FALSE(recent.Remember(500));
    EXPECT_EQ(recent.ToString(), "100|200|300|400|500|");
    EXPECT_TRUE(recent.Remember(600));
    EXPECT_TRUE(recent.Remember(700));
    EXPECT_EQ(recent.ToString(), "200|300|400|500|600|700|");
}

TEST(PasswordResponse, GroupsOfFourFromTheLeftPlusTheChallengeHalves)
{
    struct Case {
        const char* password;
        int challenge;
        int response;
    };
    const Case cases[] = {
        { "12345678", 0, 1234 + 5678 },
        { "1234567890", 0, 1234 + 5678 + 90 },
        { "1111222233334444", 0, 1111 + 2222 + 3333 + 4444 },
        { "0000000100000", 0, 0 + 1 + 0 + 0 },
        { "12345678", 123456789, 1234 + 5678 + 12345 + 6789 },
        { "00000000", 10000, 1 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(PasswordResponse(c.password, c.challenge), c.response) << c.password;
}

TEST(DepositPresets, AllDefaultsUnlessTheLastKeyHoldsAValue)
{
    const std::filesystem::path path
        = std::filesystem::temp_directory_path() / ("kbzn_presets_" + std::to_string(getpid()) + ".dat");
    struct Case {
        const char* text;
        DepositPresets presets;
    };
    const Case cases[] = {
        { "", { 100, 200, 500, 1000, 10000, 30000 } },
        { "[FIXDEPOSIT]\nFix0=1\nFix1=2\nFix2=3\nFix3=4\nFix4=5\n", { 100, 200, 500, 1000, 10000, 30000 } },
        { "[FIXDEPOSIT]\nFix0=1\nFix5=\n", { 100, 200, 500, 1000, 10000, 30000 } },
        { "[FIXDEPOSIT]\nFix0=1\nFix1=x\nFix5=-6\n", { 1, 0, 0, 0, 0, -6 } },
    };
    for (const Case& c : cases) {
        std::ofstream(path) << c.text;
        EXPECT_EQ(LoadDepositPresets(path.string()), c.presets) << c.text;
    }
    std::filesystem::remove(path);
}

// ---- the dialogs in the host ----------------------------------------------------------

using frameuitest::Box;
using frameuitest::BoxView;

class FakeConnection : public GameConnection {
public:
    int QuerySafeBox(std::string& text, std::span<uint8_t, 32> out) override
    {
        ++queries;
        if (!queryOk) {
            text = "refused";
            return 0;
        }
        PutWord(out, 0, amount);
        PutWord(out, 4, 77);
        return 1;
    }
    int GameToSafeBox(std::string& text, int& value, uint32_t& code) override
    {
        saves.push_back(value);
        code = saveCode;
        if (code == 10)
            return 1;
        text = "存入失败";
        if (code == 60092)
            value = 450;
        return 0;
    }
    int RequestPasswordChallenge(std::string& text, std::span<uint8_t, 24> out, uint32_t& code) override
    {
        ++challenges;
        code = challengeCode;
        if (code != 10) {
            text = "查询失败";
            return 0;
        }
        PutWord(out, 4, challenge);
        return 1;
    }
    int SafeBoxToGame(std::string& text, int value, int response) override
    {
        takes.push_back({ value, response });
        if (takeOk)
            return 1;
        text = "取出失败";
        return 0;
    }

    bool queryOk = true;
    int amount = 5000;
    uint32_t saveCode = 10;
    uint32_t challengeCode = 10;
    int challenge = 123456789;
    bool takeOk = true;
    int queries = 0;
    int challenges = 0;
    std::vector<int> saves;
    std::vector<std::pair<int, int>> takes;
};

class TestApp : public CGameFrameApp {
public:
    explicit TestApp(std::string name)
        : CGameFrameApp(std::move(name), 21534, 1, 1)
    {
    }
    GameConnection* GetConnection() override { return &connection; }
    engine::RectObject* GetMainView() const override { return &view; }

    FakeConnection connection;
    mutable BoxView view;
};

// The input bar as the take dialog sees it: it opens the real keypad and
// hands on the keypad's response.
class FakeInputBar : public engine::BoundObject, public PasswordPadOwner {
public:
    void ShowPasswordPad(int show, int challenge, int mode) override
    {
        shown.push_back({ show, challenge, mode });
        pad = frame::ShowPasswordPad(*this, show, challenge, mode);
    }
    int GetPasswordValue() const override { return pad ? pad->GetResponse() : 0; }
    int OnEvent(const engine::EngineEvent& event) override
    {
        events.push_back(event.code);
        return 1;
    }

    struct Shown {
        int show;
        int challenge;
        int mode;
    };
    std::vector<Shown> shown;
    std::vector<int> events;
    NumKeyPadDlg* pad = nullptr;
};

class SafeBox : public objectstest::HostEngine {
protected:
    void SetUp() override
    {
        HostEngine::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        host.AddPicture("系统信息框模板", 12, 28, 2, 0, [](int, int x, int y) -> uint32_t {
            const bool inside = x >= 3 && x < 9 && y >= 20 && y < 25;
            return inside ? 0 : engine::CanvasObject::MakePixel(0x808080, engine::kNoColourKey);
        });
        MakePicture("系统通知框_按钮", 40, 16, 0xff0000, 4, 0);
        MakePicture("保险箱按钮", 60, 20, 0x00ff00, 4, 0);
        MakePicture("系统信息框_关闭", 8, 8, 0x0000ff, 4, 0);
        MakePicture("保险箱广告", 300, 40, 0x404040);
        MakePicture("保险箱框线", 200, 60, 0x505050);
        inputBar = static_cast<FakeInputBar*>(root->RegisterObject(std::make_unique<FakeInputBar>()));
        inputBar->SetName(kInputBarName);
        Frame();
    }
    void TearDown() override
    {
        std::filesystem::remove(app.GetGameIniPath());
        HostEngine::TearDown();
    }

    SafeBoxDlg* Open()
    {
        OpenSafeBox(*inputBar);
        Frame();
        return dynamic_cast<SafeBoxDlg*>(root->FindObjectByName(kSafeBoxName));
    }
    template <typename T>
    T* Named(const char* name)
    {
        return dynamic_cast<T*>(root->FindObjectByName(name));
    }
    void Send(engine::EngineObject* to, int code, intptr_t param = 0)
    {
        root->SendEvent(engine::EngineEvent(to->GetId(), code, param));
        Frame();
    }
    void Type(TransferDialog* dialog, const std::string& text)
    {
        dialog->GetAmountInput()->Clear();
        dialog->GetAmountInput()->AppendText(text);
    }
    std::string Ini(const char* key) const
    {
        return platform::IniFile(app.GetGameIniPath()).GetString("DEPOSIT", key, "");
    }
    const std::vector<Box>& Boxes() const { return app.view.boxes; }

    TestApp app { "SafeBoxTest" + std::to_string(getpid()) };
    FakeInputBar* inputBar = nullptr;
};

TEST_F(SafeBox, OpeningShowsTheAmountOnceCreatedAndTellsAFailure)
{
    app.connection.queryOk = false;
    EXPECT_EQ(Open(), nullptr);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, "保险箱打开失败。");
    EXPECT_EQ(Boxes()[0].flags, 0x30u);

    app.connection.queryOk = true;
    SafeBoxDlg* box = Open();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->IsShown());
    EXPECT_EQ(box->GetAmount(), 5000);
    EXPECT_EQ(box->GetZ(), kSafeBoxDepth);

    Send(box, EVT_SAFEBOX_CLOSE);
    EXPECT_FALSE(box->IsShown());
    app.connection.amount = 6000;
    EXPECT_EQ(Open(), box) << "created once";
    EXPECT_TRUE(box->IsShown());
    EXPECT_EQ(box->GetAmount(), 6000);
}

TEST_F(SafeBox, AnAmountBelowOneIsRefusedBeforeAnyRequest)
{
    SafeBoxDlg* box = Open();
    ASSERT_NE(box, nullptr);
    Send(box, EVT_SAFEBOX_OPEN_SAVE);
    Send(box, EVT_SAFEBOX_OPEN_TAKE);
    auto* save = Named<SaveDepositDlg>(kSaveDepositName);
    auto* take = Named<TakeDepositDlg>(kTakeDepositName);
    ASSERT_TRUE(save && take);
    for (const char* typed : { "", "0", "-3", "abc" }) {
        Type(save, typed);
        Send(save, EVT_SAVE_OK);
        Type(take, typed);
        Send(take, EVT_TAKE_OK);
    }
    EXPECT_TRUE(app.connection.saves.empty());
    EXPECT_EQ(app.connection.challenges, 0);
    ASSERT_EQ(Boxes().size(), 8u);
    for (const Box& b : Boxes())
        EXPECT_EQ(b.text, "请输入银子数额。");
}

TEST_F(SafeBox, SavingConfirmsSendsRefreshesRemembersAndTheSuccessBoxClosesTheSafeBox)
{
    SafeBoxDlg* box = Open();
    ASSERT_NE(box, nullptr);
    Send(box, EVT_SAFEBOX_OPEN_SAVE);
    auto* save = Named<SaveDepositDlg>(kSaveDepositName);
    ASSERT_NE(save, nullptr);
    EXPECT_TRUE(save->IsShown());
    EXPECT_EQ(save->GetZ(), kSaveDepositDepth);

    Type(save, "500");
    Send(save, EVT_SAVE_OK);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, "确定要从【】划出【500两】银子到保险箱?");
    EXPECT_EQ(Boxes()[0].flags, 0x35u);
    EXPECT_EQ(Boxes()[0].ok.code, static_cast<uint32_t>(EVT_SAVE_CONFIRMED));
    EXPECT_EQ(Boxes()[0].ok.receiver, static_cast<uint32_t>(save->GetId()));
    EXPECT_FALSE(save->IsShown());
    EXPECT_TRUE(app.connection.saves.empty()) << "nothing leaves before the confirmation";

    const int queries = app.connection.queries;
    app.connection.amount = 5500;
    Send(save, EVT_SAVE_CONFIRMED);
    EXPECT_EQ(app.connection.saves, std::vector<int> { 500 });
    EXPECT_EQ(app.connection.queries, queries + 1);
    EXPECT_EQ(box->GetAmount(), 5500);
    EXPECT_EQ(Ini("Save"), "500|");
    ASSERT_EQ(Boxes().size(), 2u);
    EXPECT_EQ(Boxes()[1].text, "银子已经存入保险箱！");
    EXPECT_EQ(Boxes()[1].ok.code, static_cast<uint32_t>(EVT_DEPOSIT_DONE));

    // The same amount again leaves the list as it is.
    Send(save, EVT_SAVE_CONFIRMED);
    EXPECT_EQ(Ini("Save"), "500|");

    Send(save, EVT_DEPOSIT_DONE);
    EXPECT_FALSE(box->IsShown());
}

TEST_F(SafeBox, ARefusedSaveShowsTheReplyAndTakesOverTheCorrectedAmount)
{
    SafeBoxDlg* box = Open();
    ASSERT_NE(box, nullptr);
    Send(box, EVT_SAFEBOX_OPEN_SAVE);
    auto* save = Named<SaveDepositDlg>(kSaveDepositName);
    ASSERT_NE(save, nullptr);
    Type(save, "900");
    Send(save, EVT_SAVE_OK);
    app.connection.saveCode = 60092;
    Send(save, EVT_SAVE_CONFIRMED);
    EXPECT_EQ(Boxes().back().text, "存入失败");
    EXPECT_EQ(save->GetAmountInput()->GetText(), "450");
    EXPECT_EQ(Ini("Save"), "");
}

TEST_F(SafeBox, TakingWithoutAProtectPasswordSendsResponseZero)
{
    std::filesystem::remove(app.GetGameIniPath());
    platform::IniFile(app.GetGameIniPath()).WriteString("DEPOSIT", "Take", "0|300|abc|");
    SafeBoxDlg* box = Open();
    ASSERT_NE(box, nullptr);
    Send(box, EVT_SAFEBOX_OPEN_TAKE);
    auto* take = Named<TakeDepositDlg>(kTakeDepositName);
    ASSERT_NE(take, nullptr);
    EXPECT_EQ(take->GetRecent().Values(), std::vector<int> { 300 });
    EXPECT_EQ(take->GetAmountInput()->GetHistory().size(), 1u);

    app.connection.challengeCode = 60000;
    Type(take, "800");
    Send(take, EVT_TAKE_OK);
    EXPECT_TRUE(inputBar->shown.empty()) << "no keypad";
    ASSERT_EQ(app.connection.takes.size(), 1u);
    EXPECT_EQ(app.connection.takes[0], std::make_pair(800, 0));
    EXPECT_FALSE(take->IsShown());
    EXPECT_EQ(Ini("Take"), "300|800|");
    EXPECT_EQ(Boxes().back().ok.code, static_cast<uint32_t>(EVT_DEPOSIT_DONE));
}

TEST_F(SafeBox, TakingWithAPasswordCarriesTheAskedAmountAcrossTheKeypad)
{
    SafeBoxDlg* box = Open();
    ASSERT_NE(box, nullptr);
    Send(box, EVT_SAFEBOX_OPEN_TAKE);
    auto* take = Named<TakeDepositDlg>(kTakeDepositName);
    ASSERT_NE(take, nullptr);
    Type(take, "1200");
    Send(take, EVT_TAKE_OK);
    ASSERT_EQ(inputBar->shown.size(), 1u);
    EXPECT_EQ(inputBar->shown[0].challenge, 123456789);
    EXPECT_EQ(inputBar->shown[0].mode, 0);
    EXPECT_TRUE(app.connection.takes.empty());
    NumKeyPadDlg* pad = inputBar->pad;
    ASSERT_NE(pad, nullptr);
    EXPECT_TRUE(pad->IsShown());

    // The player reopens the take dialog and types something else meanwhile.
    Type(take, "7");
    // Positions whose shown digits spell 12345678.
    for (const char digit : std::string("12345678"))
        for (int position = 0; position < 10; ++position)
            if (pad->GetKeyDigit(position) == digit - '0')
                Send(pad, EVT_KEYPAD_DIGIT, position);
    EXPECT_EQ(pad->GetPassword(), "12345678");
    Send(pad, EVT_KEYPAD_OK);
    EXPECT_FALSE(pad->IsShown());
    ASSERT_EQ(app.connection.takes.size(), 1u);
    EXPECT_EQ(app.connection.takes[0], std::make_pair(1200, 1234 + 5678 + 12345 + 6789));
}

TEST_F(SafeBox, ARefusedChallengeKeepsTheTakeDialogOpen)
{
    SafeBoxDlg* box = Open();
    ASSERT_NE(box, nullptr);
    Send(box, EVT_SAFEBOX_OPEN_TAKE);
    auto* take = Named<TakeDepositDlg>(kTakeDepositName);
    ASSERT_NE(take, nullptr);
    app.connection.challengeCode = 1011;
    Type(take, "100");
    Send(take, EVT_TAKE_OK);
    EXPECT_TRUE(take->IsShown());
    EXPECT_EQ(Boxes().back().text, "查询失败");
    EXPECT_TRUE(app.connection.takes.empty());
}

TEST_F(SafeBox, TheKeypadTypesTheShownDigitsWithinSixteenAndChecksTheLength)
{
    NumKeyPadDlg* pad = frame::ShowPasswordPad(*inputBar, 1, 5, 1);
    ASSERT_NE(pad, nullptr);
    pad->SeedShuffle(1);
    Frame();
    // Every key but OK and backspace sends its position.
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ(pad->GetKey(k)->GetClickEvent().param, k);

    Send(pad, EVT_KEYPAD_BACKSPACE);
    EXPECT_EQ(pad->GetPassword(), "");
    Send(pad, EVT_KEYPAD_DIGIT, 3);
    EXPECT_EQ(pad->GetPassword(), std::string(1, static_cast<char>('0' + pad->GetKeyDigit(3))));
    EXPECT_EQ(pad->GetDisplay()->GetText(), "*");
    Send(pad, EVT_KEYPAD_DIGIT, 10);
    Send(pad, EVT_KEYPAD_DIGIT, -1);
    EXPECT_EQ(pad->GetPassword().size(), 1u);

    Send(pad, EVT_KEYPAD_OK);
    EXPECT_TRUE(pad->IsShown()) << "seven digits short";
    EXPECT_EQ(Boxes().back().text, "保护密码至少要有8位,不能超过16位。");

    for (int i = 0; i < 20; ++i)
        Send(pad, EVT_KEYPAD_DIGIT, 0);
    EXPECT_EQ(pad->GetPassword().size(), 16u);
    EXPECT_EQ(pad->GetDisplay()->GetText(), std::string(16, '*'));
    Send(pad, EVT_KEYPAD_OK);
    EXPECT_FALSE(pad->IsShown());
    EXPECT_EQ(inputBar->events, std::vector<int> { EVT_INPUTBAR_TAKE_NOW }) << "mode 1 answers the input bar";
}

TEST_F(SafeBox, EveryShowingShufflesTheKeysAndClearsThePassword)
{
    NumKeyPadDlg* pad = frame::ShowPasswordPad(*inputBar, 1, 5, 0);
    ASSERT_NE(pad, nullptr);
    Send(pad, EVT_KEYPAD_DIGIT, 0);
    std::vector<int> before;
    for (int k = 0; k < 10; ++k)
        before.push_back(pad->GetKeyDigit(k));
    frame::ShowPasswordPad(*inputBar, 0, 0, 0);
    EXPECT_FALSE(pad->IsShown());
    EXPECT_EQ(frame::ShowPasswordPad(*inputBar, 1, 9, 0), pad);
    std::vector<int> after;
    for (int k = 0; k < 10; ++k)
        after.push_back(pad->GetKeyDigit(k));
    EXPECT_NE(before, after);
    std::vector<int> sorted = after;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<int> { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9 }));
    EXPECT_EQ(pad->GetPassword(), "");
}

TEST_F(SafeBox, ThePresetDialogShowsTheInputBarsPresets)
{
    SetDepositDlg* dialog = OpenQuickSetDialog(*inputBar, { 1, 2, 3, 4, 5, 6 });
    ASSERT_NE(dialog, nullptr);
    Frame();
    EXPECT_TRUE(dialog->IsShown());
    for (int i = 0; i < kPresetCount; ++i)
        EXPECT_EQ(dialog->GetBox(i)->GetText(), std::to_string(i + 1));
    EXPECT_EQ(OpenQuickSetDialog(*inputBar, { 10, 20, 30, 40, 50, 60 }), dialog);
    EXPECT_EQ(dialog->GetBox(5)->GetText(), "60");
    Send(dialog, EVT_PRESETS_CANCEL);
    EXPECT_FALSE(dialog->IsShown());
}

// ---- over the main view --------------------------------------------------------------

// The application whose main view is the one on the host window.
class MainViewApp : public CGameFrameApp {
public:
    MainViewApp()
        : CGameFrameApp("SafeBoxView" + std::to_string(getpid()), 21534, 1, 1)
    {
    }
    GameConnection* GetConnection() override { return &connection; }
    engine::RectObject* GetMainView() const override { return view; }

    FakeConnection connection;
    engine::RectObject* view = nullptr;
};

class SafeBoxOverMainView : public ::testing::Test {
protected:
    void SetUp() override
    {
        tools::TestHost::PreferHeadlessDrivers();
        platform::SetFixedTick(m_tick);
        if (!host.Create("safebox-view", 800, 600))
            GTEST_SKIP() << "no video driver";
        auto view = std::make_unique<GameFrame>(1280);
        app.view = view.get();
        ASSERT_TRUE(host.Init(std::move(view)));
        host.AddPicture("系统信息框模板", 12, 28, 2, 0, [](int, int x, int y) -> uint32_t {
            const bool inside = x >= 3 && x < 9 && y >= 20 && y < 25;
            return inside ? 0 : engine::CanvasObject::MakePixel(0x808080, engine::kNoColourKey);
        });
        for (const char* name : { "系统通知框_按钮", "保险箱按钮", "系统信息框_关闭", "btnQuickChat", "btnSendChat" })
            Picture(name, 40, 16);
        for (const char* name : { "保险箱广告", "保险箱框线", "SystemInputBar", "InputBoxBkg" })
            Picture(name, 200, 40);
        // The pictures are in: the window's next size lays the pane out
        // with its input bar.
        host.OnSize(790, 590);
        Frame();
        bar = dynamic_cast<InputBar*>(app.view->FindObjectByName(kInputBarName));
        ASSERT_NE(bar, nullptr);
        ASSERT_GT(bar->GetWidth(), 0);
        app.GetHallArgs().chair = 1;
        app.GetSeatPlayer(1)->SetSilver(1000);
    }
    void TearDown() override { platform::SetFixedTick(std::nullopt); }

    void Picture(const char* name, int w, int h)
    {
        const uint32_t pixel = engine::CanvasObject::MakePixel(0x406080, engine::kNoColourKey);
        host.AddPicture(name, w, h, 1, 0, [pixel](int, int, int) { return pixel; });
    }
    void Frame()
    {
        m_tick += 30;
        platform::SetFixedTick(m_tick);
        host.RunFrame();
    }
    // What the bar's menu items and the application's prompts send it.
    void ToBar(int code, int param = 0)
    {
        app.view->SendEvent(engine::EngineEvent(bar->GetId(), code, static_cast<engine::MessageWord>(param), 0));
        Frame();
    }
    engine::GameObject* Named(const char* name) const
    {
        return dynamic_cast<engine::GameObject*>(app.view->FindObjectByName(name));
    }

    MainViewApp app;
    tools::TestHost host;
    InputBar* bar = nullptr;

private:
    uint32_t m_tick = 100000;
};

TEST_F(SafeBoxOverMainView, ShownDialogsStayCentredWhenTheWindowChangesSize)
{
    ToBar(EVT_INPUT_SAFE_BOX);
    auto* box = dynamic_cast<SafeBoxDlg*>(Named(kSafeBoxName));
    ASSERT_NE(box, nullptr);
    app.view->SendEvent(engine::EngineEvent(box->GetId(), EVT_SAFEBOX_OPEN_SAVE));
    ToBar(EVT_INPUT_QUICK_SET);
    ToBar(EVT_INPUT_CARRY_SILVER, 5000); // above the silver carried: the keypad asks for the password
    const char* shown[] = { kSafeBoxName, kSaveDepositName, kSetDepositName, kNumKeyPadName };
    for (const char* name : shown) {
        engine::GameObject* dialog = Named(name);
        ASSERT_NE(dialog, nullptr) << name;
        ASSERT_TRUE(dialog->IsShown()) << name;
        EXPECT_EQ(dialog->GetX(), 395) << name;
        EXPECT_EQ(dialog->GetY(), 295) << name;
        dialog->MoveTo(60, 50); // dragged aside by the player
    }
    host.OnSize(700, 500);
    Frame();
    for (const char* name : shown) {
        EXPECT_EQ(Named(name)->GetX(), 350) << name;
        EXPECT_EQ(Named(name)->GetY(), 250) << name;
    }
}

TEST_F(SafeBoxOverMainView, AnOpenSafeBoxShowsWhatATransferFromTheMenuLeftInIt)
{
    ToBar(EVT_INPUT_SAFE_BOX);
    auto* box = dynamic_cast<SafeBoxDlg*>(Named(kSafeBoxName));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->GetAmount(), 5000);
    const int queries = app.connection.queries;
    app.connection.amount = 5600;
    ToBar(EVT_INPUT_CARRY_SILVER, 400); // 600 of the 1000 carried go into the safe box
    EXPECT_EQ(app.connection.saves, std::vector<int> { 600 });
    EXPECT_EQ(app.connection.queries, queries + 1);
    EXPECT_EQ(box->GetAmount(), 5600);

    // A closed safe box is not asked again.
    app.view->SendEvent(engine::EngineEvent(box->GetId(), EVT_SAFEBOX_CLOSE));
    Frame();
    ASSERT_FALSE(box->IsShown());
    ToBar(EVT_INPUT_CARRY_SILVER, 300);
    EXPECT_EQ(app.connection.queries, queries + 1);
}

} // namespace
