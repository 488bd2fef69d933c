#pragma once
// A wait display that writes down the texts the communication thread shows,
// for tests of the whole application.

#include "frame/core/CGameCommThread.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace clienttest {

// What the communication thread showed in its wait display.
struct WaitTexts {
    std::mutex lock;
    std::vector<std::string> shown;
    std::vector<std::string> Take()
    {
        std::lock_guard guard(lock);
        return shown;
    }
};

class RecordingWait : public WaitTextDisplay {
public:
    explicit RecordingWait(std::shared_ptr<WaitTexts> texts)
        : m_texts(std::move(texts))
    {
    }
    void ShowText(const std::string& text, int) override
    {
        std::lock_guard guard(m_texts->lock);
        m_texts->shown.push_back(text);
    }
    void Hide() override { }

private:
    std::shared_ptr<WaitTexts> m_texts;
};

} // namespace clienttest
