#include "platform/Application.h"

#include "platform/Gbk.h"
#include "platform/MessageLoop.h"

namespace platform {

std::string Application::JoinArguments(int argc, char** argv)
{
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            line.push_back(' ');
        line += Gbk::FromUtf8(argv[i] ? argv[i] : "");
    }
    return line;
}

int Application::Run(int argc, char** argv)
{
    return Run(JoinArguments(argc, argv));
}

int Application::Run(std::string commandLine)
{
    m_commandLine = std::move(commandLine);
    if (InitInstance())
        m_exitCode = RunLoop();
    else
        m_exitCode = 1;
    return ExitInstance();
}

int Application::RunLoop()
{
    return MessageLoop::Run();
}

} // namespace platform
