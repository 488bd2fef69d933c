#include "engine/modules/PaintModule.h"

namespace engine {

PaintModule::PaintModule()
    : m_pictures(*this)
{
}

int PaintModule::Init()
{
    m_resourceModule = FindModule(MODULE_RESOURCE);
    return m_resourceModule ? 1 : 0;
}

void PaintModule::Shutdown()
{
    m_pictures.Clear();
    m_resourceModule = nullptr;
}

void PaintModule::Update()
{
    DrainMessages();
    const uint32_t now = GetFrameTime();
    const uint32_t elapsed = now - m_lastFrameTime;
    ++m_frameCounter;
    const double rate = elapsed == 0 ? 999.99 : 1000.0 / elapsed;
    if (m_frameCounter < 100)
        m_rateSum += rate;
    else
        m_rateSum = m_rateSum - m_rateSum / 100.0 + rate;
    m_lastFrameTime = now;
}

int PaintModule::OnMessage(int, MessageWord, MessageWord) { return 0; }

double PaintModule::GetAverageFps() const
{
    if (m_frameCounter == 0)
        return 0.0;
    return m_frameCounter < 100 ? m_rateSum / m_frameCounter : m_rateSum / 100.0;
}

} // namespace engine
