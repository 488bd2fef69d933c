#include "engine/core/NameKey.h"
#include "engine/modules/PictureCache.h"
#include "engine/modules/ResourceModule.h"
#include "engine/modules/ResourceNames.h"
#include "frame/core/FrameConfig.h"
#include "frame/ui/FaceTables.h"
#include "platform/Files.h"
#include "platform/Gbk.h"
#include "platform/ImageDecoder.h"
#include "platform/IniFile.h"
#include "tools/skin/SkinMaker.h"
#include "platform/Bytes.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// One skin for the whole suite: every test reads what the client would read
// from its program directory. CTest draws it once with the skin maker
// (skin-maker --no-voice, the same WriteSkin) and names it in
// KBZN_TEST_SKIN; run by hand, the suite draws its own.
class SkinMakerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const char* shared = std::getenv("KBZN_TEST_SKIN");
        s_shared = shared && *shared;
        if (s_shared) {
            s_dir = shared;
            s_written = fs::is_regular_file(s_dir / tools::kSkinIni);
            ASSERT_TRUE(s_written) << "no skin in " << s_dir;
            return;
        }
        s_dir = fs::temp_directory_path() / ("kbzn_skin_" + std::to_string(getpid()));
        fs::remove_all(s_dir);
        std::string error;
        s_written = tools::WriteSkin(s_dir.string(), false, error);
        ASSERT_TRUE(s_written) << error;
    }
    static void TearDownTestSuite()
    {
        if (!s_shared)
            fs::remove_all(s_dir);
    }

    void SetUp() override { ASSERT_TRUE(s_written); }

    static fs::path s_dir;
    static bool s_written;
    static bool s_shared;
};

fs::path SkinMakerTest::s_dir;
bool SkinMakerTest::s_written = false;
bool SkinMakerTest::s_shared = false;

struct PictureCase {
    const char* pack;
    const char* name;
    int width;
    int height;
    int frames;
    // A glyph strip may hold one character twice.
    bool repeats = false;
};

// Every picture the frame's views load by name, with the size their
// layouts are written for.
const PictureCase kPictures[] = {
    { tools::kSkinFramePack, "Frame_Top", 64, 28, 1 },
    { tools::kSkinFramePack, "Frame_Bottom", 64, 5, 1 },
    { tools::kSkinFramePack, "Frame_Left", 5, 64, 1 },
    { tools::kSkinFramePack, "Frame_Right", 5, 64, 1 },
    { tools::kSkinFramePack, "FramePatternLeft", 220, 28, 1 },
    { tools::kSkinFramePack, "FramePatternMiddle", 180, 28, 1 },
    { tools::kSkinFramePack, "FramePatternRight", 300, 28, 1 },
    { tools::kSkinFramePack, "GameIcon", 20, 20, 1 },
    { tools::kSkinFramePack, "btnFrameClose", 27, 20, 4 },
    { tools::kSkinFramePack, "btnFrameFit", 27, 20, 4 },
    { tools::kSkinFramePack, "btnFrameMax", 27, 20, 4 },
    { tools::kSkinFramePack, "btnFrameMin", 27, 20, 4 },
    { tools::kSkinFramePack, "btnSet2", 44, 20, 4 },
    { tools::kSkinFramePack, "btnHelp2", 44, 20, 4 },
    { tools::kSkinFramePack, "btnShop2", 44, 20, 4 },
    { tools::kSkinFramePack, "TablePatten", 64, 64, 1 },
    { tools::kSkinFramePack, "TableHalo", 256, 256, 1 },
    { tools::kSkinFramePack, "TableCornerLT", 56, 56, 1 },
    { tools::kSkinFramePack, "TableCornerRT", 56, 56, 1 },
    { tools::kSkinFramePack, "TableCornerLB", 56, 56, 1 },
    { tools::kSkinFramePack, "TableCornerRB", 56, 56, 1 },
    { tools::kSkinFramePack, "左右分隔条_bg", 8, 64, 1 },
    { tools::kSkinFramePack, "ScrollBar_HorzBack", 64, 14, 1 },
    { tools::kSkinFramePack, "bit_systemboard", 270, 200, 1 },
    { tools::kSkinFramePack, "bit_SureQuit", 224, 60, 1 },
    { tools::kSkinFramePack, "btn_gameset_ok", 50, 24, 4 },
    { tools::kSkinFramePack, "btn_gameset_cancel", 50, 24, 4 },
    { tools::kSkinFramePack, "bit_playerdetail", 330, 320, 1 },
    { tools::kSkinFramePack, "btn_redcrossEx", 22, 22, 4 },
    { tools::kSkinFramePack, "btn_buycharacter", 110, 30, 4 },
    { tools::kSkinFramePack, "bit_Duan", 48, 16, 12 },
    { tools::kSkinFramePack, "animation_autoplaying", 160, 40, 4 },
    { tools::kSkinFramePack, "系统信息框模板", 96, 96, 2 },
    { tools::kSkinFramePack, "系统通知框模板", 96, 96, 2 },
    { tools::kSkinFramePack, "系统信息框_确定", 72, 26, 4 },
    { tools::kSkinFramePack, "系统信息框_取消", 72, 26, 4 },
    { tools::kSkinFramePack, "系统信息框_关闭", 20, 20, 4 },
    { tools::kSkinFramePack, "同意", 72, 26, 4 },
    { tools::kSkinFramePack, "拒绝", 72, 26, 4 },
    { tools::kSkinFramePack, "系统通知框_按钮", 72, 26, 4 },
    { tools::kSkinFramePack, "系统通知框_头像背景", 44, 44, 1 },
    { tools::kSkinFramePack, "qh系统通知", 56, 16, 1 },
    // The main view's default figure (figure 0) in its three sizes.
    { tools::kSkinFramePack, "Character0Type1", 32, 32, 1 },
    { tools::kSkinFramePack, "Character0Type2", 48, 48, 1 },
    { tools::kSkinFramePack, "Character0Type3", 135, 270, 1 },
    { tools::kSkinFacePack, "vkf财神", 48, 48, 4 },
    { tools::kSkinFacePack, "vkf打牌", 48, 48, 4 },
    { tools::kSkinFacePack, "vkf抱歉", 48, 48, 4 },
    { tools::kSkinFacePack, "vkf疑问", 48, 48, 4 },
    { tools::kSkinFacePack, "vkf没钱", 48, 48, 4 },
    { tools::kSkinFacePack, "vkf胜利", 48, 48, 4 },
    { tools::kSkinFacePack, "vkf大哭", 48, 48, 4 },
    { tools::kSkinFacePack, "vkf加油", 48, 48, 4 },
    // The safe box.
    { tools::kSkinFramePack, "保险箱广告", 336, 48, 1 },
    { tools::kSkinFramePack, "保险箱框线", 326, 39, 1 },
    { tools::kSkinFramePack, "保险箱按钮", 90, 26, 4 },
    // The match panels.
    { "skins/common.vkr", "word_waitmatchstart", 40, 42, 18, true },
    { "skins/common.vkr", "digit_waitmatchstart", 22, 36, 10 },
    { "skins/common.vkr", "word_washturn", 40, 42, 6 },
    { "skins/common.vkr", "word_resttable", 40, 42, 11 },
    { "skins/common.vkr", "animation_WaitArrangeTable", 300, 192, 4 },
    { "skins/common.vkr", "animation_NoSignUp", 300, 192, 4 },
    { "skins/common.vkr", "bit_Washout", 300, 192, 1 },
    { "skins/common.vkr", "bit_MatchStarted", 300, 192, 1 },
    { "skins/common.vkr", "animation_MatchBegin", 360, 120, 6 },
    { "skins/common.vkr", "btn_signup", 96, 34, 4 },
    { "skins/common.vkr", "btn_giveup", 80, 30, 4 },
    { "skins/common.vkr", "btn_Award", 90, 30, 4 },
    { "skins/common.vkr", "btn_ExChange", 90, 30, 4 },
    { "skins/common.vkr", "MatchResultDlg", 280, 220, 1 },
    { "skins/common.vkr", "digit_MatchRank", 24, 40, 10 },
    { "skins/common.vkr", "char_第", 36, 40, 1 },

    // The player boards.
    { tools::kSkinFramePack, "PlayerBoardSmall", 300, 46, 4 },
    { "skins/common.vkr", "Character0Type1", 32, 32, 1 },
    { "skins/common.vkr", "Character1Type2", 48, 48, 1 },
    { "skins/common.vkr", "Character2Type3", 135, 270, 1 },
    { "skins/common.vkr", "Character5Type3", 135, 270, 1 },
    { "skins/common.vkr", "警灯", 72, 52, 12 },
    { "skins/common.vkr", "digit_restcard", 16, 26, 11 },
    { "skins/common.vkr", "word_zhang", 26, 26, 1 },
    { "skins/common.vkr", "animation_AutoPlay", 64, 30, 1 },
    { "skins/common.vkr", "animation_Offline", 64, 30, 1 },
    { "skins/common.vkr", "animation_Ready", 96, 44, 4 },
    { "skins/common.vkr", "rank", 96, 48, 4 },
    { "skins/common.vkr", "炸弹图标", 50, 30, 1 },
    { "skins/common.vkr", "digit_basescore", 10, 18, 11 },
    { "skins/common.vkr", "str_分", 18, 18, 1 },
    { "skins/common.vkr", "str_两", 18, 18, 1 },
    { "skins/common.vkr", "ScoreDigitMatch", 10, 18, 11 },
    { "skins/common.vkr", "ScoreUniteMatch", 18, 18, 1 },
    { "skins/common.vkr", "Player_MatchScore", 76, 18, 2 },

    // The side pane: system pane, chat box and input bar.
    { tools::kSkinFramePack, "bit_SystemBar", 250, 16, 3 },
    { tools::kSkinFramePack, "SystemChatBox1", 250, 8, 1 },
    { tools::kSkinFramePack, "SystemChatBox2", 250, 8, 1 },
    { tools::kSkinFramePack, "SystemInputBar", 250, 62, 1 },
    { tools::kSkinFramePack, "InputBoxBkg", 120, 24, 1 },
    { tools::kSkinFramePack, "btnQuickChat", 20, 20, 4 },
    { tools::kSkinFramePack, "btnSendChat", 50, 24, 4 },
    { tools::kSkinFramePack, "快速设银图标", 16, 16, 1 },
    { tools::kSkinFramePack, "保险箱图标", 16, 16, 1 },
    { tools::kSkinFramePack, "qh会员", 32, 16, 1 },

    // The side pane's lists and bars.
    { tools::kSkinFramePack, "SystemUserListBar", 64, 22, 1 },
    { tools::kSkinFramePack, "UserListBlock", 64, 32, 3 },
    { tools::kSkinFramePack, "SystemDivide", 2, 18, 1 },
    { tools::kSkinFramePack, "滚动角", 14, 14, 1 },
    { tools::kSkinFramePack, "bit_LookOn", 24, 20, 1 },
    { tools::kSkinFramePack, "ScrollBar_VertBack", 14, 64, 1 },
    { tools::kSkinFramePack, "ScrollBar_VertBtn", 14, 32, 3 },
    { tools::kSkinFramePack, "ScrollBar_VertPattern", 8, 8, 1 },
    { tools::kSkinFramePack, "ScrollBar_VertUpBtn", 14, 14, 4 },
    { tools::kSkinFramePack, "ScrollBar_VertDownBtn", 14, 14, 4 },
    { tools::kSkinFramePack, "ScrollBar_HorzBtn", 32, 14, 3 },
    { tools::kSkinFramePack, "ScrollBar_HorzPattern", 8, 8, 1 },
    { tools::kSkinFramePack, "ScrollBar_HorzLeftBtn", 14, 14, 4 },
    { tools::kSkinFramePack, "ScrollBar_HorzRightBtn", 14, 14, 4 },
    { tools::kSkinFramePack, "btnFace", 26, 26, 4 },
    { tools::kSkinFramePack, "qh清屏按钮", 26, 26, 4 },
    { tools::kSkinFramePack, "qh截屏按钮", 26, 26, 4 },
    { tools::kSkinFramePack, "qh投诉按钮", 26, 26, 4 },
    { tools::kSkinFramePack, "qh保险箱按钮", 26, 26, 4 },
    { tools::kSkinFramePack, "SystemOperateBar", 250, 34, 1 },
    { tools::kSkinFramePack, "btnAdvertTab", 72, 24, 4 },
    { tools::kSkinFramePack, "btnScoreTab", 72, 24, 4 },
    { tools::kSkinFramePack, "btnDepositTab", 72, 24, 4 },
    { tools::kSkinFramePack, "bitHistoryTitle", 64, 22, 1 },
    { tools::kSkinFramePack, "jf_line", 2, 16, 1 },

    // The game's panels (the emoticons are checked against their table
    // below): chat bubbles, the settings board, the marquee's horn, the
    // card counter and the picker's page buttons.
    { tools::kSkinFramePack, "chat", 185, 130, 5 },
    { tools::kSkinFramePack, "bit_gamesetboard", 260, 215, 1 },
    { tools::kSkinFramePack, "复选框", 18, 18, 2 },
    { tools::kSkinFramePack, "获奖喇叭", 20, 21, 1 },
    { "skins/replay.vkr", "bit_cardmaster", 250, 156, 1 },
    { "skins/replay.vkr", "bit_cardmaster_player", 146, 108, 1 },
    { "skins/replay.vkr", "bit_cardrank", 16, 13, 15 },
    { "skins/replay.vkr", "bit_cardmaster_small", 18, 24, 54 },
    { "skins/replay.vkr", "btn_redcross", 18, 18, 4 },
    { "skins/replay.vkr", "btn_popmenu", 64, 19, 4 },
    { "skins/vkfaces_bobo.vkr", "vkf向前翻页", 28, 28, 4 },
    { "skins/vkfaces_bobo.vkr", "vkf向后翻页", 28, 28, 4 },
    // ---- the cards and the card table ----
    { "skins/common.vkr", "牌正面71x96", 71, 96, 54 },
    { "skins/common.vkr", "牌正面82x110", 82, 110, 54 },
    { "skins/common.vkr", "牌正面98x132", 98, 132, 54 },
    { "skins/common.vkr", "牌正面50x68", 50, 68, 54 },
    { "skins/common.vkr", "牌正面_71_96", 71, 96, 54 },
    { "skins/common.vkr", "牌正面_82_110", 82, 110, 54 },
    { "skins/common.vkr", "牌正面_98_132", 98, 132, 54 },
    { "skins/common.vkr", "牌正面_50_68", 50, 68, 54 },
    { "skins/common.vkr", "牌背面71x96", 71, 96, 1 },
    { "skins/common.vkr", "牌背面82x110", 82, 110, 1 },
    { "skins/common.vkr", "牌背面98x132", 98, 132, 1 },
    { "skins/common.vkr", "牌背面50x68", 50, 68, 1 },
    { "skins/common.vkr", "牌背面_71_96", 71, 96, 1 },
    { "skins/common.vkr", "牌背面_82_110", 82, 110, 1 },
    { "skins/common.vkr", "牌背面_98_132", 98, 132, 1 },
    { "skins/common.vkr", "牌背面_50_68", 50, 68, 1 },
    { "skins/common.vkr", "牌角", 20, 26, 54 },
    { "skins/common.vkr", "牌角(1)", 18, 24, 54 },
    { "skins/common.vkr", "vkf角00", 16, 21, 1 },
    { "skins/common.vkr", "vkf角12", 16, 21, 1 },
    { "skins/common.vkr", "vkf角52", 16, 21, 1 },
    { "skins/common.vkr", "vkf角53", 16, 21, 1 },
    { "skins/common.vkr", "边牌标记", 18, 18, 1 },
    { "skins/common.vkr", "btn_StartGame", 110, 42, 4 },
    { "skins/common.vkr", "btnThrow", 72, 32, 4 },
    { "skins/common.vkr", "btnPass", 72, 32, 4 },
    { "skins/common.vkr", "btnRemaind", 72, 32, 4 },
    { "skins/common.vkr", "btn_Sort1", 28, 28, 4 },
    { "skins/common.vkr", "btn_Sort2", 28, 28, 4 },
    { "skins/common.vkr", "btn_Sort3", 28, 28, 4 },
    { "skins/common.vkr", "btn_SortBomb", 28, 28, 4 },
    { "skins/common.vkr", "btn_SortBig", 28, 28, 4 },
    { "skins/common.vkr", "btn_SortType", 28, 28, 4 },
    { "skins/common.vkr", "btn_AutoPlay", 62, 26, 4 },
    { "skins/common.vkr", "btn_CheckResult", 62, 26, 4 },
    { "skins/common.vkr", "btn_AskCardView", 66, 26, 4 },
    { "skins/common.vkr", "过牌提示", 204, 34, 4 },
    { "skins/common.vkr", "bit_BkgPattern", 340, 200, 1 },
    { "skins/common.vkr", "digiti_Clock", 18, 28, 10 },
    { "skins/common.vkr", "digit_Pen", 12, 18, 12 },
    { "skins/common.vkr", "digit_Pen2", 10, 14, 10 },
    { "skins/common.vkr", "waitsolo", 240, 44, 4 },
    // the table in play
    { "skins/common.vkr", "游戏信息框", 170, 70, 1 },
    { "skins/common.vkr", "str_基础分", 64, 18, 1 },
    { "skins/common.vkr", "str_翻牌", 64, 18, 1 },
    { "skins/common.vkr", "btn_CancelAutoPlay", 62, 26, 4 },
    { "skins/common.vkr", "不出", 76, 40, 3 },
    // The game's table: clock, arrangement buttons, information box,
    // result box and bonus frame.
    { "skins/common.vkr", "digiti_Clock_Big", 28, 42, 10 },
    { "skins/common.vkr", "digit_turnScore", 14, 20, 10 },
    { "skins/common.vkr", "btn_SortCustomer", 28, 28, 4 },
    { "skins/common.vkr", "btn_CancelCustomer", 28, 28, 4 },
    { "skins/common.vkr", "觅友", 28, 28, 4 },
    { "skins/common.vkr", "btn_Cardmaster", 28, 28, 4 },
    { "skins/common.vkr", "slogan", 220, 26, 1 },
    { "skins/common.vkr", "str_基础银", 60, 18, 1 },
    { "skins/common.vkr", "str_庄家", 60, 18, 1 },
    { "skins/common.vkr", "str_找朋友", 60, 18, 1 },
    { "skins/common.vkr", "结算框", 460, 290, 1 },
    { "skins/common.vkr", "结算框_有银子", 500, 290, 1 },
    { "skins/common.vkr", "结果框确定", 84, 30, 4 },
    { "skins/common.vkr", "结果框继续游戏", 96, 30, 4 },
    { "skins/common.vkr", "结果框关闭按钮", 22, 22, 4 },
    { "skins/common.vkr", "结果框名次", 22, 22, 4 },
    { "skins/common.vkr", "手机奖励", 20, 24, 1 },
    { "skins/common.vkr", "下局基础分", 92, 18, 1 },
    { "skins/common.vkr", "下局基础银", 92, 18, 1 },
    { "skins/common.vkr", "关两家", 84, 40, 1 },
    { "skins/common.vkr", "关一家", 84, 40, 1 },
    { "skins/common.vkr", "平手", 84, 40, 1 },
    { "skins/common.vkr", "炸弹框", 160, 170, 1 },
    // The fireworks over a bomb badge when a bonus count rises.
    { "skins/common.vkr", "她比烟花更多情", 140, 140, 10 },
    // The match list in the side pane.
    { tools::kSkinFramePack, "SystemMatchListBar", 250, 346, 1 },
    { tools::kSkinFramePack, "MatchListBlock", 238, 22, 5 },
    { tools::kSkinFramePack, "digitUserRank", 16, 26, 10 },
    { tools::kSkinFramePack, "digitUserRest", 10, 16, 10 },
    { tools::kSkinFramePack, "bitDivision", 8, 20, 1 },

    // ---- this game's main view ----
    { "skins/cardmaster.vkr", "logo", 560, 340, 1 },
    // The replay panel.
    { "skins/replay.vkr", "Rep_bitBoard", 440, 50, 1 },
    { "skins/replay.vkr", "Rep_btnPlay", 28, 28, 4 },
    { "skins/replay.vkr", "Rep_btnStop", 28, 28, 4 },
    { "skins/replay.vkr", "Rep_btnReset", 28, 28, 4 },
    { "skins/replay.vkr", "Rep_btnPreStep", 28, 28, 4 },
    { "skins/replay.vkr", "Rep_btnNextStep", 28, 28, 4 },
    { "skins/replay.vkr", "Rep_btnOpenFile", 28, 28, 4 },
    { "skins/replay.vkr", "Rep_Rrogressbar", 200, 10, 2 },
    { "skins/replay.vkr", "Rep_Thumb", 12, 18, 1 },
};

// The picture of the name from the pack, through the resource module and
// the picture decoder as the engine finds it; false when missing or bad.
bool LoadPicture(const fs::path& pack, const std::string& name, engine::PictureData& picture)
{
    engine::ResourceModule resources;
    if (resources.LoadPackFile(pack.string()) <= 0)
        return false;
    engine::ResourceEntry* entry = resources.LoadEntry(engine::MakeNameKey(name + ".imge"));
    if (!entry)
        return false;
    return engine::PictureCache::DecodeImage(reinterpret_cast<const uint8_t*>(entry->data.get()), entry->length,
               entry->extension, picture)
        == 1;
}

uint32_t PixelAt(const engine::PictureData& p, int frame, int x, int y)
{
    const size_t at = ((static_cast<size_t>(frame) * p.frameHeight + y) * p.frameWidth + x) * 4;
    const uint8_t* px = p.pixels.data() + at;
    return static_cast<uint32_t>(px[3]) << 24 | px[2] << 16 | px[1] << 8 | px[0];
}

std::vector<uint8_t> FrameBytes(const engine::PictureData& p, int frame)
{
    const size_t size = static_cast<size_t>(p.frameWidth) * p.frameHeight * 4;
    return { p.pixels.begin() + frame * size, p.pixels.begin() + (frame + 1) * size };
}

// Whether two frames of a picture hold the same pixels (compared in place).
bool SameFrames(const engine::PictureData& p, int f, int g)
{
    const size_t size = static_cast<size_t>(p.frameWidth) * p.frameHeight * 4;
    return std::equal(p.pixels.begin() + f * size, p.pixels.begin() + (f + 1) * size, p.pixels.begin() + g * size);
}

TEST_F(SkinMakerTest, EveryPictureDecodesFromItsPackWithItsSizeAndFrames)
{
    for (const PictureCase& c : kPictures) {
        SCOPED_TRACE(c.name);
        engine::PictureData picture;
        ASSERT_TRUE(LoadPicture(s_dir / c.pack, c.name, picture));
        EXPECT_EQ(picture.frameWidth, c.width);
        EXPECT_EQ(picture.frameHeight, c.height);
        EXPECT_EQ(picture.frameCount, c.frames);
        // Something is drawn in every frame, and no two frames of an
        // animation or a button are the same picture.
        for (int f = 0; f < picture.frameCount; ++f) {
            bool inked = false;
            for (int y = 0; y < c.height && !inked; ++y)
                for (int x = 0; x < c.width && !inked; ++x)
                    inked = (PixelAt(picture, f, x, y) >> 24) != 0;
            EXPECT_TRUE(inked) << "frame " << f;
            for (int g = 0; g < f && !c.repeats; ++g)
                EXPECT_FALSE(SameFrames(picture, f, g)) << "frames " << g << " and " << f;
        }
    }
}

// Animations the client plays a fixed number of times and then ends (the
// pass hint is hidden at its end, the fireworks and the seat lamp send their
// end) last a while: a picture whose frames have no delay never ends.
TEST_F(SkinMakerTest, AnimationsPlayedToTheirEndHaveADuration)
{
    for (const char* name : { "过牌提示", "她比烟花更多情", "警灯" }) {
        SCOPED_TRACE(name);
        engine::PictureData picture;
        ASSERT_TRUE(LoadPicture(s_dir / "skins/common.vkr", name, picture));
        ASSERT_EQ(picture.frameDelays.size(), static_cast<size_t>(picture.frameCount));
        for (uint32_t delay : picture.frameDelays)
            EXPECT_GT(delay, 0u);
    }
}

// A box template is cut into nine parts by scanning for its transparent
// inside from the centre column: the column must be opaque above and below
// a fully transparent rectangle, and the second frame (the inside's fill)
// must be opaque.
TEST_F(SkinMakerTest, BoxTemplatesHaveATransparentInsideAndAnOpaqueFill)
{
    for (const char* name : { "系统信息框模板", "系统通知框模板" }) {
        SCOPED_TRACE(name);
        engine::PictureData p;
        ASSERT_TRUE(LoadPicture(s_dir / tools::kSkinFramePack, name, p));
        const int cx = p.frameWidth / 2;
        const int cy = p.frameHeight / 2;
        EXPECT_EQ(PixelAt(p, 0, cx, 0) >> 24, 255u);
        EXPECT_EQ(PixelAt(p, 0, cx, p.frameHeight - 1) >> 24, 255u);
        EXPECT_EQ(PixelAt(p, 0, 0, cy) >> 24, 255u);
        EXPECT_EQ(PixelAt(p, 0, p.frameWidth - 1, cy) >> 24, 255u);
        EXPECT_EQ(PixelAt(p, 0, cx, cy) >> 24, 0u);
        for (int y = 0; y < p.frameHeight; ++y)
            for (int x = 0; x < p.frameWidth; ++x)
                ASSERT_EQ(PixelAt(p, 1, x, y) >> 24, 255u) << x << "," << y;
    }
}

// The parts of a PCM WAV file; ok false when it is not one.
struct Wav {
    bool ok = false;
    int channels = 0;
    int rate = 0;
    int bits = 0;
    std::vector<int16_t> samples;
};

Wav ParseWav(const uint8_t* b, size_t n)
{
    Wav w;
    auto u32 = [b](size_t at) { return platform::LoadLe32(b + at); };
    auto u16 = [b](size_t at) { return int { platform::LoadLe16(b + at) }; };
    if (n < 44 || std::memcmp(b, "RIFF", 4) != 0 || std::memcmp(b + 8, "WAVE", 4) != 0 || u32(4) != n - 8
        || std::memcmp(b + 12, "fmt ", 4) != 0 || u16(20) != 1 || std::memcmp(b + 36, "data", 4) != 0
        || u32(40) != n - 44)
        return w;
    w.channels = u16(22);
    w.rate = static_cast<int>(u32(24));
    w.bits = u16(34);
    for (size_t at = 44; at + 1 < n; at += 2)
        w.samples.push_back(static_cast<int16_t>(u16(at)));
    w.ok = true;
    return w;
}

void ExpectAudibleSound(const uint8_t* bytes, size_t size)
{
    const Wav w = ParseWav(bytes, size);
    ASSERT_TRUE(w.ok);
    EXPECT_EQ(w.channels, 1);
    EXPECT_EQ(w.bits, 16);
    EXPECT_GE(w.rate, 8000);
    ASSERT_GT(w.samples.size(), static_cast<size_t>(w.rate / 100)); // at least 10 ms
    int peak = 0;
    for (int16_t s : w.samples)
        peak = std::max(peak, std::abs(static_cast<int>(s)));
    EXPECT_GT(peak, 3000);   // heard
    EXPECT_LT(peak, 32767);  // not clipped
    // Starts and ends near silence, so playing it does not click.
    EXPECT_LT(std::abs(static_cast<int>(w.samples.front())), 2000);
    EXPECT_LT(std::abs(static_cast<int>(w.samples.back())), 2000);
}

// Every emoticon code the chat recognises has its animated picture and its
// small grid picture, each face its own, and every face moves.
TEST_F(SkinMakerTest, EveryEmoticonCodeHasItsOwnAnimatedAndSmallPicture)
{
    std::set<std::vector<uint8_t>> faces;
    std::set<std::vector<uint8_t>> smalls;
    for (std::string_view code : frame::EmoticonCodes()) {
        const std::string_view name = frame::EmoticonName(code);
        SCOPED_TRACE(std::string(name));
        engine::PictureData large;
        ASSERT_TRUE(LoadPicture(s_dir / tools::kSkinFacePack, frame::EmoticonPicture(name), large));
        EXPECT_EQ(large.frameWidth, 48);
        EXPECT_EQ(large.frameHeight, 48);
        ASSERT_EQ(large.frameCount, 4);
        EXPECT_NE(FrameBytes(large, 0), FrameBytes(large, 1)) << "a face that does not move";
        EXPECT_TRUE(faces.insert(FrameBytes(large, 0)).second) << "drawn like another face";
        engine::PictureData small;
        ASSERT_TRUE(LoadPicture(s_dir / "skins/vkfaces_bobo.vkr", frame::EmoticonSmallPicture(name), small));
        EXPECT_EQ(small.frameWidth, 32);
        EXPECT_EQ(small.frameHeight, 32);
        EXPECT_TRUE(smalls.insert(FrameBytes(small, 0)).second);
    }
}

// The index the chat box fills its picker from names every emoticon of the
// table once, in its order.
TEST_F(SkinMakerTest, TheEmoticonIndexListsTheTableInOrder)
{
    engine::ResourceModule resources;
    ASSERT_GT(resources.LoadPackFile((s_dir / tools::kSkinFacePack).string()), 0);
    engine::ResourceEntry* entry = resources.LoadEntry(engine::MakeNameKey("表情索引.text"));
    ASSERT_NE(entry, nullptr);
    const std::string index(reinterpret_cast<const char*>(entry->data.get()), entry->length);
    std::string expected;
    const auto codes = frame::EmoticonCodes();
    for (size_t i = 0; i < codes.size(); ++i)
        expected += (i ? "|" : "") + std::string(frame::EmoticonName(codes[i])) + "=" + std::to_string(i + 1);
    EXPECT_EQ(index, expected);
}

TEST_F(SkinMakerTest, NamedSoundsArePlayableWavInTheFramePack)
{
    engine::ResourceModule resources;
    ASSERT_GT(resources.LoadPackFile((s_dir / tools::kSkinFramePack).string()), 0);
    for (const char* name : { "SndTouchButton", "SndHitButton", "Snd_msg", "snd_dang", "SndHi", "Snd_GameStart",
             "Snd_GameWin", "SndAhoo",
             // the user list
             "SndSelectBlock", "SndFa",
             // the table in play
             "Snd_Throw", "Snd_HitCard", "Snd_Pass", "snd_sort", "Snd_Bomb4", "Snd_Bomb5", "Snd_Bomb6", "Snd_Bomb78",
             "Snd_4King", "snd_ArrageTable" }) {
        SCOPED_TRACE(name);
        engine::ResourceEntry* entry =
            resources.LoadEntry(engine::MakeNameKey(engine::ResourceLookupName(std::string(name) + ".wav")));
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->extension, engine::NameHash(".wav"));
        ExpectAudibleSound(reinterpret_cast<const uint8_t*>(entry->data.get()), entry->length);
    }
}

TEST_F(SkinMakerTest, ProgramSoundsAreSixDistinctWavFiles)
{
    std::vector<std::string> seen;
    for (int id = tools::kFirstProgramSound; id < tools::kFirstProgramSound + tools::kProgramSoundCount; ++id) {
        SCOPED_TRACE(id);
        std::string bytes;
        ASSERT_TRUE(platform::ReadFile((s_dir / tools::kSkinSoundDir / (std::to_string(id) + ".wav")).string(), bytes));
        ExpectAudibleSound(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        for (const std::string& other : seen)
            EXPECT_NE(bytes, other);
        seen.push_back(bytes);
    }
}

// The frame finds the skin ini under its program directory, reads its
// colours (none falls back to the built-in default) and the wait dialog's
// background beside it.
TEST_F(SkinMakerTest, TheFrameFindsTheSkinIniAndItsDialogBackground)
{
    const std::string programDir = s_dir.string() + "/";
    const frame::FramePaths paths("KbZn", programDir, programDir);
    const std::string iniPath = paths.GetSkinIniPath();
    ASSERT_FALSE(iniPath.empty());
    const platform::IniFile ini(iniPath);

    struct ColourCase {
        const char* key;
        uint32_t expected; // red | green << 8 | blue << 16
    } colours[] = {
        { "AdvHeader", 38 | 96 << 8 | 52 << 16 },
        { "AdvText", 58 | 36 << 8 | 16 << 16 },
        { "AdvBk", 246 | 238 << 8 | 218 << 16 },
        { "AdvGrid", 222 | 206 << 8 | 168 << 16 },
        { "PlayerViewHeader", 62 | 34 << 8 | 13 << 16 },
        { "PlayerViewText", 30 | 30 << 8 | 30 << 16 },
        { "TitleText", 246 | 222 << 8 | 150 << 16 },
        { "WaitBarfg", 226 | 184 << 8 | 78 << 16 },
        { "WaitBarbg", 30 | 107 << 8 | 58 << 16 },
    };
    constexpr uint32_t kUnset = 0x01020304;
    for (const ColourCase& c : colours)
        EXPECT_EQ(frame::ParseRgbColor(ini.GetString("CommColors", c.key, ""), kUnset), c.expected) << c.key;

    const std::string background = ini.GetString("BitmapResource", "CommDlgBK", "");
    ASSERT_FALSE(background.empty());
    const std::string dir = iniPath.substr(0, iniPath.find_last_of("\\/") + 1);
    std::string bytes;
    ASSERT_TRUE(platform::ReadFile(dir + background, bytes));
    platform::DecodedImage image;
    ASSERT_TRUE(platform::ImageDecoder::Decode(bytes.data(), bytes.size(), platform::kImageBmp, image));
    EXPECT_EQ(image.width, 311);
    EXPECT_EQ(image.height, 68);
}

// The program: writes the skin, the contact sheet and the preview, and refuses a call
// without a directory.
int RunSkinMaker(const std::string& args)
{
    const std::string command = std::string(KBZN_SKIN_MAKER) + " " + args + " 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SkinMakerProgram, WritesTheSkinAndTheContactSheet)
{
    const fs::path dir = fs::temp_directory_path() / ("kbzn_skinmaker_" + std::to_string(getpid()));
    fs::remove_all(dir);
    const fs::path sheet = dir / "sheet.png";
    fs::create_directories(dir);
    ASSERT_EQ(RunSkinMaker("--no-voice --sheet '" + sheet.string() + "' '" + (dir / "client").string() + "'"), 0);
    for (const char* file : { tools::kSkinFramePack, tools::kSkinFacePack, tools::kSkinIni, "skins/CommDlgBK.bmp",
             "sound/29010.wav", "sound/29015.wav" })
        EXPECT_TRUE(fs::is_regular_file(dir / "client" / file)) << file;

    std::string png;
    ASSERT_TRUE(platform::ReadFile(sheet.string(), png));
    platform::DecodedImage image;
    ASSERT_TRUE(platform::ImageDecoder::Decode(png.data(), png.size(), platform::kImagePng, image));
    EXPECT_GT(image.width, 330);
    EXPECT_GT(image.height, 320);
    ASSERT_TRUE(platform::ReadFile((dir / "sheet-preview.png").string(), png));
    ASSERT_TRUE(platform::ImageDecoder::Decode(png.data(), png.size(), platform::kImagePng, image));

    EXPECT_EQ(RunSkinMaker(""), 2);
    EXPECT_EQ(RunSkinMaker("--sheet"), 2);
    fs::remove_all(dir);
}

// With --voices the voices are spoken by espeak-ng (here a stand-in on the
// path that logs its voice and text and writes a fixed recording), the
// woman's in a female variant; without it the build's quick tones stay.
TEST(SkinMakerProgram, VoicesAreSpokenOnlyWhenAskedForInAMaleAndAFemaleVoice)
{
    const fs::path dir = fs::temp_directory_path() / ("kbzn_voices_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "bin");
    std::vector<int16_t> tone;
    for (int i = 0; i < 4000; ++i)
        tone.push_back(static_cast<int16_t>(8000 * std::sin(i * 0.05) * std::sin(i * 3.14159 / 4000)));
    const std::vector<uint8_t> recording = tools::EncodeWav(tone, 22050);
    {
        std::ofstream wav(dir / "said.wav", std::ios::binary);
        wav.write(reinterpret_cast<const char*>(recording.data()), static_cast<std::streamsize>(recording.size()));
        std::ofstream script(dir / "bin" / "espeak-ng");
        script << "#!/bin/sh\nvoice=; out=; for a; do text=$a; done\n"
               << "while [ $# -gt 0 ]; do case \"$1\" in -v) voice=$2; shift;; -w) out=$2; shift;; esac; shift; done\n"
               << "echo \"$voice|$text\" >> '" << (dir / "said.log").string() << "'\n"
               << "cp '" << (dir / "said.wav").string() << "' \"$out\"\n";
    }
    fs::permissions(dir / "bin" / "espeak-ng", fs::perms::owner_all);
    const std::string path = "PATH='" + (dir / "bin").string() + "':\"$PATH\" ";
    auto run = [&](const std::string& args) {
        const int status = std::system((path + KBZN_SKIN_MAKER + " " + args + " 2>/dev/null").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    auto voice = [&](const char* client, const std::string& name) {
        engine::ResourceModule resources;
        EXPECT_GT(resources.LoadPackFile((dir / client / "skins/peiyin.vkr").string()), 0);
        engine::ResourceEntry* entry = resources.LoadEntry(engine::MakeNameKey(engine::ResourceLookupName(name + ".wav")));
        return entry ? std::vector<uint8_t>(entry->data.get(), entry->data.get() + entry->length)
                     : std::vector<uint8_t>();
    };

    ASSERT_EQ(run("--voices '" + (dir / "spoken").string() + "'"), 0);
    EXPECT_EQ(voice("spoken", "man_对3"), recording);
    EXPECT_EQ(voice("spoken", "woman_chat_" + std::string(frame::QuickChatPhrases()[4])), recording);
    std::string log;
    ASSERT_TRUE(platform::ReadFile((dir / "said.log").string(), log));
    EXPECT_NE(log.find("cmn|" + platform::Gbk::ToUtf8("对三") + "\n"), std::string::npos);
    EXPECT_NE(log.find("cmn+f3|" + platform::Gbk::ToUtf8("对三") + "\n"), std::string::npos);
    EXPECT_NE(log.find("cmn+f3|" + platform::Gbk::ToUtf8(frame::QuickChatPhrases()[4]) + "\n"), std::string::npos);

    ASSERT_EQ(run("'" + (dir / "toned").string() + "'"), 0);
    const std::vector<uint8_t> toned = voice("toned", "man_对3");
    EXPECT_FALSE(toned.empty());
    EXPECT_NE(toned, recording);
    fs::remove_all(dir);
}

// The sounds of the deal, the start of play, the friend's reveal and the
// round's end, in the game's pack.
TEST_F(SkinMakerTest, GameTableSoundsArePlayableWavInTheGamePack)
{
    engine::ResourceModule resources;
    ASSERT_GT(resources.LoadPackFile((s_dir / "skins/common.vkr").string()), 0);
    for (const char* name : { "Snd_DealCard", "Snd_Start", "Snd_Whistler", "Snd_GameResultPeace", "Snd_GameLose" }) {
        SCOPED_TRACE(name);
        engine::ResourceEntry* entry =
            resources.LoadEntry(engine::MakeNameKey(engine::ResourceLookupName(std::string(name) + ".wav")));
        ASSERT_NE(entry, nullptr);
        ExpectAudibleSound(reinterpret_cast<const uint8_t*>(entry->data.get()), entry->length);
    }
}

// The cheer of a rising bonus count, in the game's pack.
TEST_F(SkinMakerTest, BonusCheerIsPlayableWavInTheGamePack)
{
    engine::ResourceModule resources;
    ASSERT_GT(resources.LoadPackFile((s_dir / "skins/common.vkr").string()), 0);
    engine::ResourceEntry* entry = resources.LoadEntry(engine::MakeNameKey(engine::ResourceLookupName("Snd_Cai.wav")));
    ASSERT_NE(entry, nullptr);
    ExpectAudibleSound(reinterpret_cast<const uint8_t*>(entry->data.get()), entry->length);
}

// The tick of a picked row in the side pane's lists, in the frame pack.
TEST_F(SkinMakerTest, RowSelectionSoundIsPlayableWavInTheFramePack)
{
    engine::ResourceModule resources;
    ASSERT_GT(resources.LoadPackFile((s_dir / tools::kSkinFramePack).string()), 0);
    engine::ResourceEntry* entry
        = resources.LoadEntry(engine::MakeNameKey(engine::ResourceLookupName("SndSelectBlock.wav")));
    ASSERT_NE(entry, nullptr);
    ExpectAudibleSound(reinterpret_cast<const uint8_t*>(entry->data.get()), entry->length);
}

// The few-cards warning the player boards sound, in the game's pack.
TEST_F(SkinMakerTest, BoardAlertIsPlayableWavInTheGamePack)
{
    engine::ResourceModule resources;
    ASSERT_GT(resources.LoadPackFile((s_dir / "skins/common.vkr").string()), 0);
    engine::ResourceEntry* entry = resources.LoadEntry(engine::MakeNameKey(engine::ResourceLookupName("alert.wav")));
    ASSERT_NE(entry, nullptr);
    ExpectAudibleSound(reinterpret_cast<const uint8_t*>(entry->data.get()), entry->length);
}

// ---- the game's voice pack ----------------------------------------------------------------

// Every name the table view speaks after "man_" or "woman_": each play, each
// pass, each quick-chat phrase of the chat's own table.
std::vector<std::string> VoiceNames()
{
    std::vector<std::string> names = { "小王", "大王", "对小王", "对大王", "顺子", "连对", "炸1", "炸2", "炸3", "过1",
        "过2", "过3" };
    for (int n = 2; n <= 14; ++n)
        for (const char* kind : { "单", "对", "三个" })
            names.push_back(kind + std::to_string(n));
    for (const std::string_view phrase : frame::QuickChatPhrases())
        names.push_back("chat_" + std::string(phrase));
    return names;
}

// Zero crossings a second: the tone's height.
double Crossings(const Wav& w)
{
    int crossings = 0;
    for (size_t i = 1; i < w.samples.size(); ++i)
        crossings += (w.samples[i - 1] < 0) != (w.samples[i] < 0);
    return crossings * static_cast<double>(w.rate) / static_cast<double>(w.samples.size());
}

TEST_F(SkinMakerTest, EveryVoiceIsPlayableInBothVoicesTheWomansHigherAndEachItsOwn)
{
    engine::ResourceModule resources;
    ASSERT_GT(resources.LoadPackFile((s_dir / "skins/peiyin.vkr").string()), 0);
    auto load = [&](const std::string& name) {
        engine::ResourceEntry* entry = resources.LoadEntry(engine::MakeNameKey(engine::ResourceLookupName(name + ".wav")));
        return entry ? std::vector<uint8_t>(entry->data.get(), entry->data.get() + entry->length)
                     : std::vector<uint8_t>();
    };
    std::set<std::vector<uint8_t>> distinct;
    const std::vector<std::string> names = VoiceNames();
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t> man = load("man_" + name);
        const std::vector<uint8_t> woman = load("woman_" + name);
        ASSERT_FALSE(man.empty());
        ASSERT_FALSE(woman.empty());
        ExpectAudibleSound(man.data(), man.size());
        ExpectAudibleSound(woman.data(), woman.size());
        EXPECT_GT(Crossings(ParseWav(woman.data(), woman.size())), Crossings(ParseWav(man.data(), man.size())));
        distinct.insert(man);
        distinct.insert(woman);
    }
    EXPECT_EQ(distinct.size(), 2 * names.size());
}

TEST_F(SkinMakerTest, TheBackgroundMusicIsPlayableInTheVoicePack)
{
    engine::ResourceModule resources;
    ASSERT_GT(resources.LoadPackFile((s_dir / "skins/peiyin.vkr").string()), 0);
    engine::ResourceEntry* entry = resources.LoadEntry(engine::MakeNameKey(engine::ResourceLookupName("default.wav")));
    ASSERT_NE(entry, nullptr);
    ExpectAudibleSound(reinterpret_cast<const uint8_t*>(entry->data.get()), entry->length);
}

} // namespace
