#pragma once
// The local player's hand on the card table: the order of the cards (every
// sort mode and the sort buttons), selection by the value buttons and by
// click and drag, the completion of a selection to the play it belongs to,
// whether the selection may be thrown, the hints, and the decisions of
// automatic play. The table view holds one CardHand, forwards the mouse and
// button events to it and carries out what it answers (requests, buttons,
// cursor); the hand never sends anything itself.
//
// The hand works on the view's card sprites: a hand card is a sprite in
// state 1; my hand is the hand of the own chair. Selecting a card sets its
// fields and calls its Update. Every rules question goes to HandRules.
//
// Times are engine milliseconds passed in by the caller, so the timing of
// clicks, drags and hovering is a function of the times given.
//
// A game with rules of its own gives its HandRules and overrides the
// virtual operations it plays differently.
//
// Wiring in the view: card events 80000109 OnCardPress, 80000110
// OnCardRelease, 80000112 OnCardDrag (pointer x), 80000114 OnCardEnter
// (true: hand cursor), 80000115 OnCardLeave (arrow cursor), 80000113
// OnEmptyRightPress; buttons 80000127-80000131 the Select* operations with
// their codes, 80000130/80000132/80000133 the sort toggles; 80000121
// OnHintClicked (kPass: the view's pass); the own turn CheckTurnStart; a
// throw GetThrowCards and ChooseThrowPlay; a play shown CardsForPlay,
// OrderPlayForDisplay and ThrowSoundName; the automatic move PlayForMe
// (with the rules of TurnClock.h and AutoPlaySwitch.h).

#include "cards/CardSprite.h"
#include "cards/HandRules.h"

#include "table/PlayRecord.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace game {

// What the hand asks of the table view that holds it.
class CardHandHost {
public:
    virtual ~CardHandHost() = default;
    // Every card sprite of the table, in sprite order.
    virtual std::span<CardSprite* const> Cards() const = 0;
    virtual int OwnChair() const = 0;
    virtual int ChairCount() const { return 4; }
    virtual bool IsLookerOn() const { return false; }
    // The level rank the card order lifts above the ace.
    virtual int LevelRank() const { return 0; }
    // The chair of the last play of the trick, -1 while the trick is open
    // (the local player leads), and that play.
    virtual int LastPlayChair() const = 0;
    virtual const table::PlayRecord& LastPlayRecord() const = 0;
    // Whether the chair plays on the own side, so that automatic play lets
    // its play stand: the chair two steps back unless the game pairs the
    // chairs otherwise.
    virtual bool IsOppositeChair(int chair) const;
    virtual void SetThrowEnabled(bool /*enabled*/) { }
    virtual void PlaySound(std::string_view /*name*/) { }
    // The size-sort button's picture ("btn_SortBig" / "btn_SortSmall").
    virtual void SetSortSizePicture(std::string_view /*name*/) { }
};

// Sort modes of SortHand.
enum SortMode : int {
    kSortBySizeDown = 1,
    kSortBySuit = 3,
    kSortBySizeUp = 4,
    kSortByCountUp = 5,
    kSortByCountDown = 6,
};

// Codes of the value-selection buttons (their event codes).
inline constexpr int kSelectSinglesCode = 80000127;
inline constexpr int kSelectPairsCode = 80000128;
inline constexpr int kSelectTriplesCode = 80000129;
inline constexpr int kSelectBombsCode = 80000131;

// What the hint button asks the view to do.
enum class HintOutcome {
    kNothing,  // leading: the hint button has nothing to offer
    kSelected, // a hint is selected
    kPass,     // nothing beats the last play: pass
};

// The automatic move the view carries out.
enum class AutoMove {
    kThrow, // throw the selection
    kPass,
};

// What the start of the own turn asks for (following a play).
enum class TurnStart {
    kLeading,           // the trick is open
    kCanPlay,           // something beats the last play (or the hand is empty)
    kShowPassHint,      // nothing beats it: show the pass hint
    kPassAutomatically, // nothing beats it and the hand is nearly out: pass after a second
};

// The play masks CompleteToUniquePlay tries, in its order: 2^i x 16^j inside
// the play mask, i outer (from 1 when leading, else 0, up to 3), j inner
// (from 1 when leading, else 0, up to 7).
std::vector<int> UniquePlayMasks(bool leading, int playMask);

// The sound of a play of this type and card count.
std::string_view ThrowSoundName(int type, int count);

// A run shown on the table reads from its highest card down, unless the
// player sorts small first (modes 4 and 6); other plays keep their order.
void OrderPlayForDisplay(table::PlayRecord& play, int sortMode);

class CardHand {
public:
    explicit CardHand(CardHandHost& host, std::unique_ptr<HandRules> rules = nullptr);
    virtual ~CardHand() = default;
    CardHand(const CardHand&) = delete;
    CardHand& operator=(const CardHand&) = delete;

    const HandRules& Rules() const { return *m_rules; }

    // A new round: no drag, no selection, no last value button, no hints.
    virtual void ResetRoundState();

    // --- Sorting ---
    int GetSortMode() const { return m_sortMode; }
    int GetPreviousSortMode() const { return m_previousSortMode; }
    // Orders my hand cards by the mode's key (order 0 = leftmost) and
    // updates them; the mode is not stored.
    virtual void SortHand(int mode);
    virtual void ToggleSortBySize();
    virtual void ToggleSortByCount();
    void ToggleSortMode3();

    // --- Value-selection buttons (each takes its event code) ---
    void SelectSingles(int code) { PressValueButton(code, 1); }
    void SelectPairs(int code) { PressValueButton(code, 2); }
    void SelectTriples(int code) { PressValueButton(code, 3); }
    virtual void SelectBombs(int code);
    int GetLastValueButton() const { return m_lastValueButton; }

    // Selects my hand cards whose value occurs exactly k times.
    void SelectByValueCount(int k);
    // Selects my hand cards with these ids; ids my hand does not hold are
    // skipped.
    void SelectCards(const int* ids, int n);
    virtual void DeselectAll();

    // --- Mouse on the cards. Each answers false when the card is refused.
    bool OnCardPress(CardSprite& card);
    bool OnCardRelease(CardSprite& card, uint32_t now);
    // The pointer moved to x with the button held; card is the pressed one.
    bool OnCardDrag(CardSprite& card, int pointerX);
    // True when the view shows the hand cursor.
    bool OnCardEnter(CardSprite& card, uint32_t now);
    void OnCardLeave(CardSprite& card);
    // A right press on the empty table.
    void OnEmptyRightPress();
    int GetDragAnchor() const { return m_dragAnchor; }
    // A hover raises a card only this long after it was selected.
    static constexpr uint32_t kHoverDelayMs = 300;

    // After a click or drag: toggles or selects the marked cards and
    // completes the selection.
    virtual void CompleteSelection(uint32_t now);
    // Completes the selection to the one play it can belong to; true when
    // the selection changed.
    bool CompleteToUniquePlay();
    // Enables the throw button when the selection is a play that may be
    // thrown now; answers whether it is.
    virtual bool UpdateThrowButton();
    int GetSelectedCount() const { return m_selectedCount; }

    // --- Hands of every chair ---
    // Gives the chair's hand cards their count (and the other chairs' cards
    // their order); answers the count for the view's card number.
    int LayoutSeatCards(int chair);
    // Orders the chair's hand cards by card order, smallest first.
    void ArrangeCards(int chair);

    // --- Cards shown to lookers-on ---
    // Shows a chair's hidden hand face up, highest card first; nothing
    // changes unless the ids are exactly as many as the chair's hand cards.
    bool SetSeatCards(int chair, const int* ids, int n);
    // A looker-on sees a face-up card of the watched (own) chair's hand.
    bool HasMarkedCard() const;
    // Turns the watched chair's shown cards back into hidden ones (the
    // player withdrew the permission); answers how many were shown.
    int HideShownCards();

    // --- Queries over my hand (ids by hand order, rightmost first) ---
    std::vector<int> GetHandCards() const;
    std::vector<int> GetSelectedCards() const;
    std::vector<int> GetHandCardsOfValue(int k) const;
    // counts[v] = how many of my hand cards have value v (size entries).
    int CountHandValues(int* counts, int size) const;
    static int CountDistinctValues(const int* ids, int n);
    // Cards of a chair (-1: every chair) in a state.
    int CountCards(int chair, int state) const;
    int CountSelected() const;
    // Sorts by order x 1000 + id, largest first; answers the number of ids.
    int SortIdsByOrder(int* ids, int n) const;
    CardSprite* FindCardById(int id) const;
    // The chair's hand card with the id, else its first hand card (a hidden
    // hand shows no ids), else null.
    CardSprite* FindSeatCardById(int chair, int id) const;
    CardSprite* FindHandCardAt(int chair, int order) const;
    // The sprites that show a play of the chair: one distinct hand card per
    // id, by FindSeatCardById's rule; ids the hand cannot supply are
    // skipped, so a hand out of step with the server loses no sprite twice.
    std::vector<CardSprite*> CardsForPlay(int chair, const int* ids, int n) const;
    int PrevChair(int chair) const;
    // The table's answer (CardHandHost::IsOppositeChair).
    bool IsOppositeChair(int chair) const { return m_host.IsOppositeChair(chair); }

    // --- Plays ---
    bool IsLeading() const { return m_host.LastPlayChair() < 0; }
    // The ids to throw: my selected hand cards in sprite order (at most 64).
    std::vector<int> GetThrowCards() const;
    // The play to send for these ids; nothing when they form none.
    std::optional<table::PlayRecord> ChooseThrowPlay(const int* ids, int n) const;

    virtual HintOutcome OnHintClicked();
    virtual bool SelectWholeGroupHint();
    // Selects one play that beats the last play, whole groups first.
    virtual bool SelectBeatingPlay();
    virtual bool HintSearch(const int* ids, int n, int typeMask, bool select);
    virtual bool HintFromHand(int typeMask, bool select);
    const table::PlayRecord& GetHintCursor() const { return m_hintCursor; }
    const table::PlayRecord& GetWholeGroupCursor() const { return m_wholeGroupCursor; }
    void ClearHintCursors();

    // --- Automatic play ---
    // The automatic move for the own turn: selects the cards and answers
    // whether to throw them or pass.
    AutoMove PlayForMe();
    // Leading: selects the lowest card's group.
    void AutoSelectGroup();
    // Selects the lowest-ordered value held exactly n times.
    int SelectGroupOfValue(int n);
    int SelectCardsOfValue(int value);
    // The checks at the start of the own turn; clears the hint cursors.
    virtual TurnStart CheckTurnStart();

protected:
    // Where a hand card's picture lies on the pointer's axis, and its depth.
    struct CardSpan {
        int left = 0;
        int right = 0;
        double depth = 0;
    };
    virtual CardSpan SpanOf(const CardSprite& card) const;
    // Sets and applies a sort mode after a sort button.
    void ResortAs(int mode, bool rememberCurrent = false);
    CardHandHost& Host() const { return m_host; }
    // Whether the hints try each step with the jokers as themselves before
    // letting them stand in for other cards.
    virtual bool HintsTryNaturalFirst() const { return false; }
    // Whether a hand card counts in the count sort's group sizes.
    virtual bool CountsInSort(const CardSprite& /*card*/) const { return true; }

private:
    bool IsMyHandCard(const CardSprite& card) const;
    bool IsHandCardOf(const CardSprite& card, int chair) const;
    // My hand cards in sprite order, and by hand order (rightmost first).
    std::vector<CardSprite*> MyHand() const;
    std::vector<CardSprite*> MyHandByOrder() const;
    CardSprite* FindMyCardById(int id) const;
    int CardKey(int mode, const CardSprite& card, const int* counts) const;
    // The common start of a value button; true when it was its second press.
    bool ClearOnSecondPress(int code);
    void PressValueButton(int code, int k);
    void SelectWholeHand();
    void SelectAllowedToBeat(const table::PlayRecord& play);
    bool CompleteLeadToHand(const std::vector<int>& hand);
    bool CompleteFollowToPlay(const std::vector<int>& hand);
    void ReplaceWithLongestGroup(const std::vector<int>& selected);
    void ReplaceWithBeatingPlay(const std::vector<int>& selected);
    void SelectHint(const table::PlayRecord& play);
    // The next hint after from, with the jokers as the game's hints take them.
    bool FindNextHint(const int* hand, int n, const table::PlayRecord& from, table::PlayRecord& found, int mask) const;
    // Searches from the cursor on for a play that takes every hand card of
    // each value it holds; the cursor follows the search.
    bool FindWholeGroupPlay(const std::vector<int>& hand, table::PlayRecord& cursor, bool tryWithoutWildcards);

    CardHandHost& m_host;
    std::unique_ptr<HandRules> m_rules;
    int m_sortMode = kSortBySizeDown;
    int m_previousSortMode = kSortBySizeDown;
    int m_dragAnchor = -1;
    int m_selectedCount = 0;
    int m_lastValueButton = 0;
    table::PlayRecord m_hintCursor;
    table::PlayRecord m_wholeGroupCursor;
};

} // namespace game
