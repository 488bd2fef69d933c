#pragma once
// A player's speech bubble at the table: a line of table chat shown for
// five seconds next to the player's board, with emoticon codes drawn as
// their animated pictures. The player board owns one and forwards the
// bubble's hide event to it; the bubble needs only the board (the engine
// object that creates its parts and receives the timer), the board's
// screen seat and the table's rectangle, so it stands without the table
// view.
//
// Lines are laid out from the whole text, whatever its length: a long
// line wraps on character boundaries and nothing of it is cut.

#include "engine/core/EngineEvent.h"
#include "engine/core/ObjectGeometry.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {
class CanvasObject;
class GameObject;
class SpriteObject;
} // namespace engine

namespace game {

// The hide timer, delivered to the board.
inline constexpr int EVT_BUBBLE_HIDE = 80000152;

inline constexpr int kBubbleWidth = 187;
inline constexpr int kBubbleHeight = 140;
inline constexpr int kBubbleTextWidth = 155;
inline constexpr int kBubbleTextHeight = 75;
inline constexpr int kBubbleMinTableHeight = 600;
inline constexpr uint32_t kBubbleShowMs = 5000;

// One piece of the mixed layout: a character drawn at (x, y) of the text
// canvas, or an emoticon picture whose sprite's top-left row is y - 10
// (its centre 24 to the right of x).
struct BubbleItem {
    bool emoticon = false;
    std::string text; // the character's bytes, or the picture's name
    int x = 0;
    int y = 0;
    friend bool operator==(const BubbleItem&, const BubbleItem&) = default;
};

struct BubbleMetrics {
    int wide = 15;   // a two-byte character
    int narrow = 8;  // a one-byte character
    // Where text wraps: the text canvas's width, so that no character
    // reaches past the canvas's edge (where the text renderer would break
    // the line by itself and draw the character at the start of a row).
    int wrap = kBubbleTextWidth;
    double top = 0;  // the text canvas's edges where the sprites go
    double bottom = kBubbleTextHeight;
};

// The mixed layout of a line holding emoticon codes: text and emoticons
// wrap at the text canvas's width, rows are 48 apart from y = 34, an
// emoticon takes 48 pixels and is left out (taking no room) when its
// picture is missing or it would fall below the text canvas.
std::vector<BubbleItem> LayoutBubbleText(std::string_view text, const BubbleMetrics& metrics,
    const std::function<bool(std::string_view picture)>& hasPicture);

class ChatBubble {
public:
    // The board: it creates the parts and receives EVT_BUBBLE_HIDE.
    explicit ChatBubble(engine::GameObject& board);
    ~ChatBubble() = default;
    ChatBubble(const ChatBubble&) = delete;
    ChatBubble& operator=(const ChatBubble&) = delete;

    // Builds the two canvases (once the board is registered).
    void Create();
    void SetSeat(int seat) { m_seat = seat; }
    int GetSeat() const { return m_seat; }

    // Shows the line for five seconds; nothing on a table under 600 high.
    void Show(std::string_view text, const engine::Rect& table);
    // Places the bubble for the seat, or hides it on a low table.
    void Place(const engine::Rect& table);
    // Removes the emoticon sprites.
    void Clear();
    // True when the event was the bubble's (the bubble is then hidden).
    bool OnEvent(const engine::EngineEvent& event);

    engine::CanvasObject* GetCanvas() const { return m_canvas; }
    engine::CanvasObject* GetTextCanvas() const { return m_text; }
    const std::vector<engine::SpriteObject*>& GetEmoticons() const { return m_emoticons; }
    uint64_t GetTimer() const { return m_timer; }

private:
    void HideCanvas();
    void DrawMixed(std::string_view text);
    void AddEmoticon(const BubbleItem& item);

    engine::GameObject& m_board;
    int m_seat = 0;
    engine::CanvasObject* m_canvas = nullptr; // not owned: the object module owns the parts
    engine::CanvasObject* m_text = nullptr;
    uint64_t m_timer = 0;
    std::vector<engine::SpriteObject*> m_emoticons;
};

} // namespace game
