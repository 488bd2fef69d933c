#include "frame/core/QuitDecision.h"

#include <cstdio>

namespace frame {

namespace {

constexpr int kExitWaitColour = 0x2C5858;

bool ExitRequestPending(const QuitFacts& facts)
{
    // Unsigned difference: right across the tick counter's wrap.
    return facts.inGame && facts.exitTick != 0 && facts.now - facts.exitTick < kExitWaitMs;
}

} // namespace

const char* const kQuitLockedText
    = "生命不息，战斗不止，请继续游戏。\r\n(如果游戏中有玩家长时间不活动，请您等待2分钟后再退出)";
const char* const kConfirmLeaveText = "游戏还没有结束，现在退出要扣你分，还要扣你银子。确定退出吗？";

QuitStep DecideQuit(const QuitFacts& facts)
{
    if (facts.lookOn || !facts.gameRunning)
        return QuitStep::kLeave;
    if (ExitRequestPending(facts))
        return QuitStep::kWaitForAnswers;
    if (facts.mayRequestForcedQuit)
        return QuitStep::kAskOthers;
    if (facts.quitLocked)
        return QuitStep::kStayLocked;
    return QuitStep::kConfirmLeave;
}

int ExitWaitSecondsLeft(uint32_t exitTick, uint32_t now)
{
    return 30 - static_cast<int>((now - exitTick) / 1000);
}

std::string ExitWaitLine(int secondsLeft)
{
    char line[160];
    std::snprintf(line, sizeof line, " <c=%d>已经请求退出，请耐心等候其他玩家回应(%d秒)。\r\n", kExitWaitColour,
        secondsLeft);
    return line;
}

std::string ForcedQuitText(bool silverRoom)
{
    char text[256];
    std::snprintf(text, sizeof text,
        "游戏还没结束，强退操作将扣除大量%s。输入理由请求其他玩家同意。（最多30个汉字，最多请求2次）",
        silverRoom ? "银两" : "积分");
    return text;
}

} // namespace frame
