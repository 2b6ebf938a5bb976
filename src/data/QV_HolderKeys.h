#pragma once
// Where the keyboard moves a holder's focus item, kept apart from the holder so
// it can be checked alone: the arrows, Home/End and Page Up/Down over the flow
// layout, and type-ahead over the captions. Only visible items are stops,
// group headers included (Enter opens or closes them); the functions read the
// positions the last Arrange left and change nothing.

#include "data/QV_HolderLayout.h"

#include <QString>

#include <QtGlobal>

enum class TNavMove { nmLeft, nmRight, nmUp, nmDown, nmHome, nmEnd, nmPageUp, nmPageDown };

// The index of the item the move reaches from the item at from. Left and
// Right step through the list order; Up and Down go to the next row above or
// below, to its item nearest in x (from a group header, its first item); Page
// Up and Down go as far as page pixels allow (at least one row; the first or
// last stop when no row is left); Home and End go to the first and last stop.
// Without a focus (from -1 or not a stop) every move lands on the first stop,
// End on the last. The answer is from itself when nothing lies that way, and
// -1 when there are no stops.
int NavigateItems(const TItemList& items, int from, TNavMove move, int page);

// The text typed in one burst of type-ahead: a pause longer than PauseMs
// starts a new search.
class TTypeAhead {
public:
    static constexpr qint64 PauseMs = 1000;

    // Adds the character typed at now (milliseconds of any steady clock) and
    // answers the whole text to look for. A blank that would start a text is
    // not taken: the answer is then empty.
    QString Type(QChar typed, qint64 now);
    void Reset() { text_.clear(); }

private:
    QString text_;
    qint64 last_ = 0;
};

// The index of the visible item whose caption starts with text (case
// folded), searched from the item at from onwards and round to the start. The
// item at from itself counts unless text is one character repeated ("g",
// "gg"): repeating a letter steps on to the next item with it. Group headers
// are skipped; -1 when nothing matches.
int TypeAheadMatch(const TItemList& items, int from, const QString& text);
