#include "frame/ui/FaceTables.h"

#include <algorithm>
#include <array>

namespace frame {

namespace {

constexpr std::array<std::string_view, kEmoticonCount> kCodes = {
    "#嗯哈", "#白眼", "#坏笑", "#抽烟", "#呲牙", "#大哭", "#调皮", "#发怒", "#飞吻", "#流汗", //
    "#惊吓", "#囧囧", "#耍酷", "#犯困", "#鼻血", "#拍砖", "#爱钱", "#好色", "#好衰", "#呕吐", //
    "#微笑", "#委屈", "#疑问", "#头晕", "#再见", "#安静", "#鄙视", "#害羞", "#魂魄", "#加油", //
    "#抠鼻", "#佩服", "#睡觉", "#捂耳", "#邪恶", "#不行", "#好的", "#爱心", "#安慰", "#抱歉", //
    "#闭嘴", "#便便", "#财神", "#打牌", "#大兵", "#呆住", "#电话", "#凋谢", "#恭喜", "#鼓掌", //
    "#胡牌", "#饥饿", "#惊愕", "#礼物", "#没钱", "#玫瑰", "#敲打", "#庆祝", "#弱小", "#生病", //
    "#生气", "#胜利", "#时间", "#太阳", "#偷笑", "#投降", "#握手", "#无聊", "#无奈", "#羡慕", //
    "#心碎", "#摇头", "#有钱", "#月亮", "#炸弹", "#咒骂", "#猪头",
};

constexpr std::array<std::string_view, kQuickChatCount> kPhrases = {
    "快点吧，我等到花儿也谢了",
    "你的牌打的太好了！",
    "跟你对家我太高兴了",
    "你敢不敢打的再烂点",
    "在我手上你还想跑？",
    "什么，这都被捉住了",
    "你不要乱打",
    "不好意思，打错牌了",
    "炸弹你要带回家？",
    "你打成这样，家里人知道吗",
    "这局赢定了",
    "这局输定了",
    "这炸弹炸的，根本停不下来啊",
    "这局是意外，敢不敢再来一局",
    "下次再玩，我要走了。",
    "真不好意思，我要离开一下。",
};

} // namespace

std::span<const std::string_view> EmoticonCodes()
{
    return kCodes;
}

std::span<const std::string_view> QuickChatPhrases()
{
    return kPhrases;
}

bool IsEmoticonCode(std::string_view text)
{
    return text.size() == kEmoticonCodeBytes && std::find(kCodes.begin(), kCodes.end(), text) != kCodes.end();
}

bool ContainsEmoticon(std::string_view text)
{
    // '#' is never the second byte of a GBK character, so every '#' found
    // starts a character.
    for (size_t at = text.find('#'); at != std::string_view::npos; at = text.find('#', at + 1))
        if (IsEmoticonCode(text.substr(at, kEmoticonCodeBytes)))
            return true;
    return false;
}

std::string_view EmoticonName(std::string_view code)
{
    return code.empty() || code.front() != '#' ? code : code.substr(1);
}

std::string EmoticonPicture(std::string_view name)
{
    return "vkf" + std::string(name);
}

std::string EmoticonSmallPicture(std::string_view name)
{
    return "vkfs" + std::string(name);
}

} // namespace frame
