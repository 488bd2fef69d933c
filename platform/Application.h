#pragma once
// The program's application object. Run takes the command line, calls
// InitInstance, runs the user-interface thread's message loop while it
// succeeded, and always ends with ExitInstance, whose result is the
// process's exit code (as the message loop's quit code, or the failure's).

#include <string>

namespace platform {

class Application {
public:
    Application() = default;
    virtual ~Application() = default;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // argv as main receives it; the arguments after the program's name
    // become the command line (GBK, joined by single spaces).
    int Run(int argc, char** argv);
    int Run(std::string commandLine);

    // The arguments after the program's own name, GBK.
    const std::string& CommandLine() const { return m_commandLine; }
    void SetCommandLine(std::string commandLine) { m_commandLine = std::move(commandLine); }

    // Joins argv[1..] with spaces, each argument converted to GBK.
    static std::string JoinArguments(int argc, char** argv);

protected:
    // False ends the program: ExitInstance runs, then Run returns.
    virtual bool InitInstance() = 0;
    // Runs last; the default answers the exit code of the message loop (1
    // when InitInstance failed).
    virtual int ExitInstance() { return m_exitCode; }
    // The loop between the two; the default runs the message loop until a
    // quit message.
    virtual int RunLoop();

    int m_exitCode = 0;

private:
    std::string m_commandLine;
};

} // namespace platform
