#pragma once
// The award marquee: lines of coloured text (another player's reward)
// scrolling right to left across the top of the table behind a horn, one
// after the other. The table view owns it, forwards its tick (event
// EVT_MARQUEE_TICK every 40 ms while a line scrolls, delivered to the
// view) to Step and calls
// OnResize when its rectangle changes; the marquee needs nothing else of
// the view.

#include "engine/core/ObjectGeometry.h"

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace engine {
class CanvasObject;
class RectObject;
} // namespace engine

namespace game {

inline constexpr int EVT_MARQUEE_TICK = 80000175;
inline constexpr uint32_t kMarqueeTickMs = 40;
inline constexpr int kMarqueeStep = 2; // pixels a tick

struct MarqueeSegment {
    std::string text;  // GBK
    uint32_t colour;   // 0x00BBGGRR
};
using MarqueeLine = std::vector<MarqueeSegment>;

// A text's width at the font size: a double-byte character is as wide as
// the size, any other character half of it.
int MarqueeTextWidth(std::string_view text, int fontSize);

class AwardMarquee {
public:
    explicit AwardMarquee(engine::RectObject& view);
    virtual ~AwardMarquee();
    AwardMarquee(const AwardMarquee&) = delete;
    AwardMarquee& operator=(const AwardMarquee&) = delete;

    // The table view uses (800, 21, 14, 400).
    void Create(int width, int height, int fontSize, int fontWeight);
    void Push(const MarqueeLine& line);
    // Starts the first waiting line beyond the table's right edge.
    void Next();
    // One tick: 2 pixels to the left, the parts outside the bounds erased.
    void Step();
    // Draws the horn and the line from column x0; the width drawn.
    int DrawLine(const MarqueeLine& line, int x0);
    void OnResize();

    engine::CanvasObject* GetCanvas() const { return m_line; }
    size_t GetWaiting() const { return m_queue.size(); }
    const MarqueeLine& GetCurrent() const { return m_current; }
    int GetLeftBound() const { return m_leftBound; }
    int GetRightBound() const { return m_rightBound; }

private:
    engine::Rect ViewRect() const;
    void UpdateBounds();

    engine::RectObject& m_view;
    engine::CanvasObject* m_anchor = nullptr; // not owned: the object module owns the canvases
    engine::CanvasObject* m_line = nullptr;
    uint64_t m_tick = 0;
    std::deque<MarqueeLine> m_queue;
    MarqueeLine m_current;
    int m_width = 0;
    int m_height = 0;
    int m_fontSize = 14;
    int m_fontWeight = 400;
    int m_leftBound = 0;
    int m_rightBound = 0;
    int m_boardHeight = -1; // "PlayerBoardSmall", looked up once
};

} // namespace game
