#include "cards/CardGameApp.h"

#include "engine/objects/RectObject.h"
#include "frame/ui/GameTableView.h"
#include "net/Paths.h"
#include "platform/FileTypeRegistry.h"
#include "platform/Files.h"
#include "platform/Gbk.h"
#include "platform/Process.h"

#include <algorithm>

namespace game {

namespace {

std::string Trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool EndsWith(const std::string& text, std::string_view end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

CardGameApp::CardGameApp(std::string gameName, int defaultPort, int versionMajor, int versionMinor)
    : CGameFrameApp(std::move(gameName), defaultPort, versionMajor, versionMinor)
{
}

CardGameApp::~CardGameApp() = default;

bool CardGameApp::InitInstance()
{
    RegisterReplayFileType();
    return CGameFrameApp::InitInstance();
}

void CardGameApp::PlayGameSound(const std::string& name, int /*flags*/)
{
    engine::RectObject* view = GetMainView();
    if (IsSoundOn() && view)
        view->PlaySound(name, 1, nullptr);
}

void CardGameApp::ParseCommandLine()
{
    std::string line = CommandLine();
    std::replace(line.begin(), line.end(), '"', ' ');
    line = Trimmed(line);
    // The line holds the arguments; a line that starts with the program's
    // own path (as a shell association may pass it) is read after it.
    std::string argument = line;
    const std::string self = platform::ExecutablePath();
    if (!self.empty() && line.compare(0, self.size(), self) == 0)
        argument = Trimmed(line.substr(self.size()));
    if (argument.empty() || !net::PathExists(argument, false))
        return;
    if (EndsWith(line, kReplayExtension))
        SetReplayMode(1);
    m_replayPath = argument;
}

void CardGameApp::OnNetworkError()
{
    if (IsStandAlone())
        return;
    if (auto* table = dynamic_cast<frame::GameTableView*>(GetTableView())) {
        table->ResetCards();
        table->OnRoundStart();
    }
    SetRestartPending(true);
    ShowNoticeBox("您的网络出现了异常，请重新登录大厅。", 10, 0, "");
}

platform::FileType CardGameApp::ReplayFileType() const
{
    const std::string hallDir = Paths().GetHallDir();
    platform::FileType type;
    type.id = "kbzn-vududivi";
    type.mimeType = "application/x-vududivi";
    type.extension = kReplayExtension;
    type.comment = platform::Gbk::ToUtf8("觅友存盘文件");
    type.iconPath = platform::NativePath(hallDir + "share\\Image\\common\\replayico.ico");
    type.opener = platform::NativePath(hallDir + "Zovudave.exe");
    return type;
}

void CardGameApp::RegisterReplayFileType()
{
    platform::RegisterFileType(ReplayFileType());
}

} // namespace game
