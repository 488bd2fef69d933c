#pragma once
// An environment variable set for the life of a scope and restored (or
// removed again) when the scope ends. Not copyable or movable, so that each
// variable is restored exactly once.

#include <cstdlib>
#include <optional>
#include <string>

namespace testsupport {

class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value)
        : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_saved = old;
        setenv(name, value.c_str(), 1);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;
    ~ScopedEnv()
    {
        if (m_saved)
            setenv(m_name, m_saved->c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_saved;
};

} // namespace testsupport
