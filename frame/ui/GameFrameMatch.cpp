// The main view's match panels: made in a match program, laid out with the
// view, and handed the match's replies and notifications.
#include "frame/ui/GameFrame.h"

#include "engine/objects/CanvasObject.h"
#include "frame/core/CGameFrameApp.h"
#include "platform/Window.h"

namespace frame {

// What the panels ask of the view.
class GameFrameMatchHost : public MatchPanelsHost {
public:
    explicit GameFrameMatchHost(GameFrame& view)
        : m_view(view)
    {
    }
    engine::Rect GetTableRect() const override
    {
        engine::Rect r;
        if (m_view.m_mainGame)
            m_view.m_mainGame->GetRect(&r);
        return r;
    }
    void SendToTable(int code, intptr_t param) override { m_view.ToTable(code, param); }
    void ShowSystemBoard(const std::string& text, uint32_t colour, int size) override
    {
        m_view.ShowSystemBoard(text, colour, size);
    }
    void HideSystemBoard() override { GameFrame::HideFromScreen(m_view.m_systemBoard); }
    void AddChatLine(const std::string& text) override
    {
        m_view.ToPane(EVT_CHILD_SYSTEM_LINE, reinterpret_cast<intptr_t>(text.c_str()));
    }
    std::string GetCharacterImageName(int figure, int size) override
    {
        return m_view.GetCharacterImageName(figure, size);
    }
    void RequestPlayerDetail() override { m_view.RequestPlayerDetail(); }
    void BringToFront() override
    {
        if (platform::Window* window = m_view.GetFrameWindow())
            window->BringToFront();
    }

private:
    GameFrame& m_view;
};

void GameFrame::CreateMatchPanels()
{
    const CGameFrameApp* app = CGameFrameApp::Current();
    if (!app || !app->IsMatchMode() || m_match)
        return;
    m_matchHost = std::make_unique<GameFrameMatchHost>(*this);
    m_match = std::make_unique<MatchPanels>(*this, *m_matchHost);
    m_match->Create();
}

#define FORWARD_TO_PANELS(call)                           \
    void GameFrame::call(const uint8_t*, size_t)          \
    {                                                     \
        if (m_match)                                      \
            m_match->call();                              \
    }
FORWARD_TO_PANELS(ShowNotSignedUp)
FORWARD_TO_PANELS(ShowWashout)
FORWARD_TO_PANELS(ShowMatchEnded)
FORWARD_TO_PANELS(ShowMatchLate)
FORWARD_TO_PANELS(ShowMatchStarted)
FORWARD_TO_PANELS(ShowMatchSystemCancel)
FORWARD_TO_PANELS(ShowMatchSelfCancel)
FORWARD_TO_PANELS(ShowWaitSignUpCheck)
FORWARD_TO_PANELS(ShowMatchRejected)
FORWARD_TO_PANELS(OnSignUpOk)
FORWARD_TO_PANELS(OnWithdrawn)
#undef FORWARD_TO_PANELS

void GameFrame::QueueMatchEnd(const uint8_t* data, size_t size)
{
    if (m_match)
        m_match->QueueMatchEnd(data, size);
}

void GameFrame::QueueMatchResult(const uint8_t* data, size_t size)
{
    if (m_match)
        m_match->QueueMatchResult(data, size);
}

void GameFrame::ShowTablesRemaining(const uint8_t* data, size_t size)
{
    if (m_match)
        m_match->ShowTablesRemaining(data, size);
}

void GameFrame::HideMatchPanels()
{
    if (m_match)
        m_match->HideMatchPanels();
}

void GameFrame::HideMatchResult()
{
    if (m_match)
        m_match->HideMatchResult();
}

} // namespace frame
