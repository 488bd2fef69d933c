#pragma once
// The side pane's list of the people at the table: a header row of column
// captions, one row per seated player and per looker-on, a horizontal and a
// vertical scroll bar, and a context menu on each row (copy the name, call
// the player, let a looker-on see this player's cards or not, open the
// player's details).
//
// UserListBar ("UserListBar") is the frame: columns, header, the two bars,
// two corner canvases and the block. UserListBlock is the scrolled canvas
// that draws the rows, follows the mouse and owns the row menu. The pane
// creates the bar, adds its columns, calls Create, places it (SetRect) and
// calls Layout; the application asks it to Refresh after seats, players or
// scores change. The rows are moved, not redrawn, when the list scrolls;
// the hit rectangle both limits their input and cuts their drawing to the
// view.
//
// User-interface thread only.

#include "engine/objects/BoundObject.h"
#include "frame/core/FrameRecords.h"

#include "frame/ui/PaneBarCalls.h"

#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

namespace engine {
class CanvasObject;
}

namespace frame {

class FramePopupMenu;
class FrameScrollBar;

// Events the application sends the bar.
inline constexpr int EVT_USER_LIST_REFRESH = 80000055;
inline constexpr int EVT_USER_LIST_RESET_PERMISSIONS = 80000056;

// What a column shows.
enum UserListColumnKind {
    kColumnNameAndHead = 0,
    kColumnScore = 1,
    kColumnSilver = 2,
    kColumnLevelTitle = 3,
    kColumnWealthTitle = 4,
    kColumnWatched = 5,
    kColumnNothing = 6,
    kColumnNickname = 7,
    kColumnGender = 8,
};

struct UserListColumn {
    int kind = kColumnNothing;
    int width = 0;
    std::string caption;
    int extra[3] = {}; // kept as given; nothing reads them
};

struct UserListRow {
    PlayerRecord player; // user id 0: an empty filler row
    int shade = 1;       // 1 or 2, alternating by row index
    bool hovered = false;
};

// Where the list reaches outside the frame's panels. May be empty.
struct UserListHooks {
    // The name of a figure's small (32 x 32) picture; empty for none. By
    // default "Character%dType1", the name the main view files it under.
    std::function<std::string(int figure)> portraitName;
};

class UserListBlock : public engine::BoundObject {
public:
    // Private events of the block (its own input and its menu's entries).
    static constexpr int kLeftPress = 1052;
    static constexpr int kRightPress = 1053;
    static constexpr int kMenuCopyName = 1054;
    static constexpr int kMenuDetails = 1056;
    static constexpr int kMenuCall = 1057;
    static constexpr int kMouseLeave = 1059;
    static constexpr int kMenuBlank = 1060;
    static constexpr int kMouseMove = 1061;
    static constexpr int kMenuPermission = 1062;
    // The menu's entries.
    static constexpr int kEntryHead = 0;
    static constexpr int kEntryDetails = 1;
    static constexpr int kEntrySilver = 2;
    static constexpr int kEntryScore = 3;
    static constexpr int kEntryLevel = 4;
    static constexpr int kEntryPermission = 5;
    static constexpr int kEntryCall = 6;
    static constexpr int kEntryCopy = 7;
    // The colour of the permission line in the chat.
    static constexpr int kPermissionLineColour = 2906200;

    UserListBlock() = default;
    ~UserListBlock() override;

    int OnEvent(const engine::EngineEvent& event) override;

    virtual void Create(int width, int height);
    virtual void CreateMenu();
    // Stores the selection and plays the selection sound.
    virtual void SelectRow(int index);
    // show false hides the menu; x or y negative puts it at the block's
    // upper right.
    virtual void ShowMenu(bool show, int x, int y);
    // No rows, nothing selected.
    virtual void ClearRows();
    virtual void SetColumns(const std::vector<UserListColumn>* columns) { m_columns = columns; }
    // Returns the number of rows.
    virtual int AddRow(const UserListRow& row);
    virtual void Redraw();
    virtual void DrawRow(int index);
    virtual void SetSize(int width, int height);
    using engine::EngineObject::SetSize;
    // The row under the view point; -1 outside the view or the canvas. The
    // index may lie past the rows.
    virtual int RowFromPoint(int x, int y) const;

    // Outside the rows: "" and 0.
    std::string GetRowName(int index) const;
    int GetRowUserId(int index) const;
    int GetRowPortrait(int index) const;
    int GetRowSilver(int index) const;
    int GetRowScore(int index) const;
    std::string GetRowLevelTitle(int index) const;
    // What a text cell of the row shows (the name for the head column);
    // "" outside the rows and columns.
    std::string GetCellText(int row, int column) const;

    // The lookers-on this player lets see his cards.
    bool HasViewPermission(int userId) const { return m_viewers.contains(userId); }
    // A looker-on left; null is allowed.
    void RevokeViewPermission(const PlayerRecord* player);
    void ClearViewPermissions();
    size_t ViewPermissionCount() const { return m_viewers.size(); }

    void SetHooks(const UserListHooks* hooks) { m_hooks = hooks; }
    // The height of the row picture; 0 before Create.
    int GetRowHeight() const { return m_rowHeight; }
    int GetRowCount() const { return static_cast<int>(m_rows.size()); }
    const UserListRow* GetRow(int index) const;
    int GetSelectedRow() const { return m_selected; }
    int GetHoveredRow() const { return m_hovered; }
    FramePopupMenu* GetMenu() const { return m_menu; }
    engine::CanvasObject* GetCanvas() const { return m_canvas; }

private:
    std::string PortraitName(int figure) const;
    void DrawCells(const UserListRow& row, int top);
    void DrawNameCell(const UserListRow& row, int x, int top);
    std::string CellText(const UserListRow& row, int kind) const;
    void FillMenu();
    void PlaceMenu(int x, int y);
    void HideMenu();
    void OnHover(int row);
    void OnLeave();
    void CallSelected();
    void ToggleViewPermission();
    void CopySelectedName();
    void OpenDetails(int userId);
    int SelectedUserId() const { return GetRowUserId(m_selected); }

    FramePopupMenu* m_menu = nullptr;      // not owned: the object module owns it
    engine::CanvasObject* m_canvas = nullptr; // not owned: the bound child
    const std::vector<UserListColumn>* m_columns = nullptr; // the bar's
    const UserListHooks* m_hooks = nullptr;                 // the bar's
    std::vector<UserListRow> m_rows;
    int m_rowHeight = 0;
    int m_hovered = -1;
    int m_selected = -1;
    std::unordered_set<int> m_viewers;
};

class UserListBar : public engine::BoundObject, public PaneBarCalls {
public:
    // Steps of the arrows.
    static constexpr int kHorizontalStep = 10;

    UserListBar() = default;
    // Removes the parts, which share the bar's columns and hooks.
    ~UserListBar() override;

    int OnCreate() override;
    int OnEvent(const engine::EngineEvent& event) override;

    // Builds the block, header, bars and corners (nothing without the row
    // picture) and lays them out.
    virtual void Create();
    void Layout() override;
    // Both return the number of columns.
    virtual int AddColumnRecord(const UserListColumn& column);
    virtual int AddColumn(int kind, int width, const std::string& caption, int a = 0, int b = 0, int c = 0);
    // The columns the side pane gives the list for the running room.
    void AddRoomColumns();
    // Rows rebuilt from the application's records; the scroll positions are
    // applied again.
    void Refresh() override;
    virtual void DrawHeader();
    virtual int GetRowCount() const;
    virtual void ScrollLeft();
    virtual void ScrollRight();
    virtual void ScrollUp();
    virtual void ScrollDown();
    // v: {position, visible, content}; orientation 0 horizontal.
    virtual void OnScroll(const double* v, int orientation);

    // Places the bar (left, top, right, bottom) without laying it out.
    void SetRect(int left, int top, int right, int bottom) override;
    // A looker-on left: he no longer sees anyone's cards.
    void DropLooker(int userId) override;
    // The room's columns, then the parts.
    void Build() override
    {
        AddRoomColumns();
        Create();
    }
    void SetHooks(UserListHooks hooks) { m_hooks = std::move(hooks); }

    UserListBlock* GetBlock() const { return m_block; }
    FrameScrollBar* GetHorizontalBar() const { return m_horizontal; }
    FrameScrollBar* GetVerticalBar() const { return m_vertical; }
    engine::CanvasObject* GetHeader() const { return m_header; }
    int GetTotalWidth() const { return m_totalWidth; }
    const std::vector<UserListColumn>& GetColumns() const { return m_columns; }

private:
    int HeaderHeight() const;
    int ViewWidth() const;
    int ViewHeight() const;
    void PlaceBlock();
    void ApplyRange(FrameScrollBar* bar, double position, bool vertical);
    void Step(FrameScrollBar* bar, int delta, bool vertical);
    FrameScrollBar* MakeBar(bool vertical);
    void AddRows();

    engine::CanvasObject* m_header = nullptr;      // not owned: the object module owns them
    engine::CanvasObject* m_cornerTop = nullptr;
    engine::CanvasObject* m_cornerBottom = nullptr;
    FrameScrollBar* m_horizontal = nullptr;
    FrameScrollBar* m_vertical = nullptr;
    UserListBlock* m_block = nullptr;
    std::vector<UserListColumn> m_columns;
    int m_totalWidth = 0;
    UserListHooks m_hooks;
};

} // namespace frame
