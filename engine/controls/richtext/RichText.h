#pragma once
// The control that shows marked-up text: every chat line, notice and input
// box. Markup becomes a singly linked chain of nodes, one per character or
// inline object, kept in the view's pool; tags that make links and objects
// register engine objects that the view removes with their nodes.
//
// Much of the markup comes from other players over the network, so the
// reader works on a bounded view of the text and never reads past its end.

#include "engine/controls/richtext/RichTextNode.h"
#include "engine/core/MemoryPool.h"
#include "engine/objects/BoundObject.h"
#include "engine/objects/CanvasObject.h"

#include <cstdlib>
#include <map>
#include <optional>
#include <utility>
#include <vector>
#include <string>
#include <string_view>

namespace engine {

inline constexpr uint32_t RT_SCROLL_BARS = 0x1;
inline constexpr uint32_t RT_KEEP_IN_VIEW = 0x2;
inline constexpr uint32_t RT_SELECTABLE = 0x4;
inline constexpr uint32_t RT_EXTRA_PART = 0x8;
inline constexpr uint32_t RT_BACK_IMAGE = 0x100;
inline constexpr uint32_t RT_BACK_COLOUR = 0x200;
inline constexpr uint32_t RT_LINKS = 0x400;
inline constexpr uint32_t RT_LOAD_LINKS = 0x800;
inline constexpr uint32_t RT_SINGLE_LINE = 0x2000;
inline constexpr uint32_t RT_CARET = 0x4000;
inline constexpr uint32_t RT_FIT_HEIGHT = 0x8000;
inline constexpr uint32_t RT_MASKED = 0x10000;
inline constexpr uint32_t RT_REDRAW_NOW = 0x20000;
inline constexpr uint32_t RT_HISTORY = 0x40000;
inline constexpr uint32_t RT_HIDE_ON_BLUR = 0x80000;
inline constexpr uint32_t RT_SUBMIT_ON_CHANGE = 0x100000;

// Private events of the view.
inline constexpr int EVT_RT_REDRAW = 80000002;
inline constexpr int EVT_RT_COPY = 80000003;
inline constexpr int EVT_RT_PRESS = 80000004;
inline constexpr int EVT_RT_CLEAR = 80000005;
inline constexpr int EVT_RT_OPEN_LINK = 80000007;
inline constexpr int EVT_RT_APPEND_FREE = 80000008;

class RichText : public BoundObject {
public:
    RichText();
    ~RichText() override;

    // Builds the background and text canvases, sets the behaviour flags and
    // lays out an empty view of width x height.
    virtual void Create(int width, int height, uint32_t flags, int tag);
    virtual void SetStyleFlags(uint32_t flags);
    // Sizes the text area to w x h (less a shown scroll bar) and lays every
    // node out again. Sizes below 1 are ignored.
    virtual void Layout(int w, int h);
    // Hooks for derived views; nothing here.
    virtual void CreateExtraPart() {}
    virtual void OnPress(int, int) {}
    virtual void ReservedHook() {}

    // Text ---------------------------------------------------------------
    // Appends markup at the end (or at the caret in caret views) and asks
    // for a redraw; returns 0 for an empty text.
    virtual int AppendText(std::string_view text);
    // The same for a heap text made with AllocEventBlock, freed here.
    virtual int AppendTextAndFree(MessageWord text);
    // Reads a GBK markup text (up to its first zero byte), appends its nodes
    // and lays them out. The style the text begins with is back afterwards.
    virtual void AddMarkupText(std::string_view text);
    // Returns 1 when the body was recognised and took effect, else 0.
    virtual int ParseTag(std::string_view body);
    virtual int ParseObjectTag(std::string_view body);
    // Where reading goes on after a recognised tag (text[open] is its '<',
    // text[close] its '>'): a derived view may take text after the tag
    // itself. The engine goes on right after the tag; an answer before that
    // counts as right after it.
    virtual size_t ContinueAfterTag(std::string_view text, size_t open, size_t close);
    // Hook reached by "url_load=" in views with RT_LOAD_LINKS.
    virtual int LoadUrl(std::string_view a, std::string_view b, int c, const std::string* d);
    // Appends the character at the start of text; returns the bytes used
    // (1 or 2), or 0 at the end of the text.
    int AppendChar(std::string_view text);
    // Appends a registered inline object (a RichTextObject) as one node,
    // asking it first to fit the text area when it is larger.
    virtual void AppendObject(GameObject* object);
    // Makes and appends the node of a registered inline object.
    RichTextNode* AppendObjectNode(GameObject* object);
    void LinkNode(RichTextNode* node);
    void MapNodeObject(const RichTextNode* node, int objectId);
    // Removes every node and the objects and links they carry.
    virtual void Clear();

    // Drawing and scrolling ---------------------------------------------------
    virtual void RequestRedraw();
    virtual void Refresh() { RequestRedraw(); }
    virtual void RedrawNow(bool useCache);
    virtual void KeepInView();
    void ScrollTo(int position);
    virtual void ScrollLineUp();
    virtual void ScrollLineDown();
    void ScrollToStart();
    void ScrollToEnd();
    virtual void SyncScrollBar();
    virtual void CreateScrollBars();
    // Opens a link's text with the system's opener, only when it is an http
    // or https address.
    virtual void OpenUrl(const char* text);

    int OnEvent(const EngineEvent& event) override;

    // Hit tests and mouse (points in engine coordinates unless said) --------
    void ToTextCoords(int& x, int& y) const;
    // Content coordinates from here on.
    RichTextNode* NodeAtPoint(int x, int y) const;
    RichTextNode* CaretNodeAt(int x, int y) const;
    RichTextNode* SelectionNodeAt(int x, int y) const;
    RichTextNode* NodeBefore(RichTextNode* node) const;
    class RichTextLink* LinkOfNode(const RichTextNode* node);
    virtual void OnMouseMove(int x, int y);
    virtual void OnMouseDown(int x, int y);
    virtual void OnMouseUp(int x, int y);
    virtual void OnDrag(int x, int y);
    virtual void OnDoubleClick(int x, int y);
    virtual void OnKeyDown(uint32_t key, bool controlDown);
    virtual void ShowHandCursor();
    virtual void ShowArrowCursor();

    // Selection and clipboard -------------------------------------------------
    void EnableSelection(bool enable);
    void SelectRange(RichTextNode* from, RichTextNode* to);
    void RefreshSelection();
    void SelectWord(int x, int y);
    void SelectAll();
    void ClearSelection();
    // The text of the selection as copied: characters' bytes, objects' copy
    // texts, lines ending in a bare line feed.
    std::string SelectionText();
    virtual void CopySelection();
    virtual void PasteClipboard();
    // Caret of editable views --------------------------------------------
    virtual void CreateCaret();
    // Places the caret before node (none: after the last node), shows it
    // blinking and moves the input method's composition window there.
    virtual void ShowCaret(RichTextNode* node);
    virtual void HideCaret();
    virtual void MoveCaretLeft();
    virtual void MoveCaretRight();
    // To the nearest place on the line above or below (the end of a shorter
    // line); a selection becomes a caret at its start (Up) or end (Down).
    virtual void MoveCaretUp();
    virtual void MoveCaretDown();
    // The last node of the line that node is on.
    RichTextNode* LastNodeOfLine(RichTextNode* node) const;
    // Scrolls so that the line of lineNode lies inside the text area.
    void BringLineIntoView(const RichTextNode* lineNode);
    // An existing selection becomes the caret, placed before `at`; false
    // when there was none.
    bool CaretFromSelection(RichTextNode* at);
    virtual void OnBlur();
    CanvasObject* GetCaret() const { return m_caret; }
    const RichTextNode* GetSelectionStart() const { return m_selStart; }
    const RichTextNode* GetSelectionEnd() const { return m_selEnd; }
    bool IsSelecting() const { return m_selecting; }
    CanvasObject* GetSelectionLayer() const { return m_selLayer; }

    // Removal -----------------------------------------------------------------
    // Removes the nodes from `from` up to, not including, `to` (to = from
    // removes just from) and lays out what followed; the caret goes before
    // the node that followed.
    virtual void RemoveNodes(RichTextNode* from, RichTextNode* to);
    virtual void RemoveNode(RichTextNode* node);
    virtual void RemoveNodeAt(int index);
    virtual void DeleteBackward();
    virtual void DeleteForward();
    // Removes the node of the inline object with that id; without destroy
    // the object outlives its node and is no longer the view's.
    virtual void RemoveInlineObject(int objectId, bool destroy);
    // Hide or show nodes by index (an object node's object with them). They
    // keep their place until the view is laid out again.
    virtual void HideNodeAt(int index);
    virtual void ShowNodeAt(int index);
    virtual void ShowAllNodes();
    virtual void FreeNode(RichTextNode* node);
    RichTextNode* GetLastNode() const { return m_last; }
    const RichTextNode* GetCaretNode() const { return m_caretNode; }

    // Settings -------------------------------------------------------------
    virtual void SetMaxLines(int lines);
    void SetLineSpacingPixels(int pixels) { m_lineSpacing = -std::abs(static_cast<double>(pixels)); }
    void SetLineSpacing(double spacing) { m_lineSpacing = spacing; }
    virtual int AddFont(std::string_view face);
    // Moves the text within the view and lays it out again.
    void SetTextOffset(int x, int y);

    // Background ------------------------------------------------------------
    virtual void DrawBackground();
    virtual void SetBackgroundColour(uint32_t colour);
    // The named picture (frame 0) at its own size in the top-left corner.
    virtual void SetBackgroundImage(std::string_view name);
    virtual void ResizeBackground(int width, int height);
    virtual void DrawImage(PictureDesc desc, int x, int y, int width, int height);
    CanvasObject* GetBackgroundCanvas() const { return m_backCanvas; }

    // Engine operations: the text area and the objects over it follow.
    void MoveTo(double x, double y) override;
    void MoveBy(double dx, double dy) override;
    void Scale(double sx, double sy) override;
    // Dragging the background moves the view.
    void SetDraggable(bool draggable) override;
    const char* FindOrAddFont(std::string_view face);
    void SetFontSize(int size);
    void SetTextColour(uint32_t colour);
    void SetMaxFontSize(int size) { m_maxFontSize = size; }
    void EnableLinks(bool enable);
    uint32_t GetStyleFlags() const { return m_flags; }
    void SetStyleFlagsRaw(uint32_t flags) { m_flags = flags; }

    // Queries ---------------------------------------------------------------
    virtual int GetNodeCount() const { return m_nodeCount; }
    const RichTextNode* GetFirstNode() const { return m_first; }
    const RichTextStyle& GetStyle() const { return m_style; }
    const FontFaceTable& GetFontTable() const { return m_fonts; }
    // The engine object id filed for the node (the first node of a link
    // run), or 0.
    int FindNodeObject(const RichTextNode* node) const;
    int GetCharSpacing() const { return m_charSpacing; }
    virtual int GetViewWidth() const { return static_cast<int>(m_viewWidth); }
    virtual int GetViewHeight() const { return static_cast<int>(m_viewHeight); }
    int GetLineCount() const { return m_lineCount; }
    int GetContentTop() const { return m_top; }
    int GetScrollX() const { return m_scrollX; }
    int GetScrollY() const { return m_scrollY; }
    int GetContentHeight() const { return m_contentHeight; }
    class ScrollBar* GetVerticalBar() const { return m_vBar; }
    int GetContentWidth() const { return m_contentWidth; }
    bool IsRedrawPending() const { return m_redrawPending; }
    // How many characters the last redraw took from the pixel cache.
    int GetCacheCopies() const { return m_cacheCopies; }
    double GetTextDepth() const;
    Rect GetTextArea() const;
    // The canvas the text is drawn into (none until the view is created).
    CanvasObject* GetTextCanvas() const { return m_textCanvas; }

protected:
    // Black plain text (no bold, italic, underline or link) of that size
    // and face, for the next text added; the face is cut to what the style
    // holds.
    void ResetStyleTo(int fontSize, std::string_view face);
    // Lays out the chain added by the last AddMarkupText.
    virtual void FinishAppend();
    RichTextNode* NewNode();
    RichTextNode* NodeAt(int index) const;
    // The whole area the text and a shown scroll bar share.
    int AreaWidth() const;
    int AreaHeight() const;
    void FitHeightToContent();
    // Places up to count nodes from first on, continuing the open line at
    // (x0, y0); returns where the next node goes.
    std::pair<int, int> LayoutNodes(int x0, int y0, RichTextNode* first, int count);
    void TrimLines();
    // Ends the list before node; returns the node before it (none when node
    // was the first).
    RichTextNode* CutListAt(RichTextNode* node);
    void AppendLaidOut(RichTextNode* chain);
    void RecountLines();
    void TrimFirstLine();
    // The first visible node whose bottom lies below content y.
    RichTextNode* NodeAtOffset(int y) const;
    void DrawNode(RichTextNode* node, bool useCache);
    void HidePlacedObjects();
    void UpdateClipRects();
    int Advance(int y, int h) const;
    // The extra height below a node that belongs to its line.
    int LineGap(const RichTextNode* node) const;
    bool InBox(const RichTextNode* node, int x, int y) const;

    CanvasObject* m_backCanvas = nullptr; // not owned: the object module owns it
    CanvasObject* m_textCanvas = nullptr; // not owned
    uint32_t m_flags = RT_KEEP_IN_VIEW | RT_BACK_COLOUR;
    int m_tag = 0;
    int m_lineLimit = 1000;
    int m_lineCount = 0;
    double m_lineSpacing = 0.2;
    bool m_redrawPending = false;
    uint32_t m_viewWidth = 0;  // W
    uint32_t m_viewHeight = 0; // H
    int m_offsetX = 0;
    int m_offsetY = 0;
    int m_top = 0;
    int m_scrollX = 0;
    int m_scrollY = 0;
    int m_cacheY = kNoCache;
    int m_cacheScrollX = 0;
    int m_contentHeight = 0;
    int m_contentWidth = 0;
    std::vector<int> m_placed; // ids of the objects placed over the text canvas
    std::vector<uint32_t> m_cache;
    int m_cacheWidth = 0;
    int m_cacheHeight = 0;
    int m_cacheLimitX = 0;
    int m_cacheLimitY = 0;
    int m_cacheCopies = 0;
    int m_pendingX = 0;
    int m_pendingY = 0;
    int m_pendingLineHeight = 0;
    RichTextNode* m_openLineStart = nullptr; // first node of the open last line
    RichTextNode* m_caretNode = nullptr;
    RichTextNode* m_selStart = nullptr;
    RichTextNode* m_selEnd = nullptr; // none: to the end of the text
    bool m_selecting = false;
    int m_anchorX = 0;
    int m_anchorY = 0;
    int m_currentX = 0;
    int m_currentY = 0;
    int m_hoveredLink = 0; // id of the link under the pointer
    CanvasObject* m_selLayer = nullptr; // not owned
    CanvasObject* m_caret = nullptr;    // not owned
    class ScrollBar* m_vBar = nullptr;  // not owned: the object module owns the bars
    class ScrollBar* m_hBar = nullptr;
    bool m_vBarShown = false;
    bool m_fitting = false;
    std::string m_backImage;
    bool m_hBarShown = false;
    static constexpr int kNoCache = 0xF000000;
    int m_maxFontSize = 1000;
    int m_charSpacing = 0;
    int m_nodeCount = 0;
    RichTextStyle m_style;
    FontFaceTable m_fonts;
    std::map<const RichTextNode*, int> m_nodeObjects;
    MemoryPool m_pool;

    RichTextNode* m_first = nullptr;
    RichTextNode* m_last = nullptr; // last node of the whole chain

    // Append state of the markup text being read.
    RichTextNode* m_addHead = nullptr;
    RichTextNode* m_addTail = nullptr;
    int m_addCount = 0;

private:
    void AppendLink(std::string_view data, std::string_view shown, std::string_view picture);
    // The hook's answer, or nothing when the value has too few parts to
    // call it.
    std::optional<int> ParseUrlLoad(std::string_view value);
};

} // namespace engine
