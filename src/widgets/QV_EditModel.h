#pragma once
// The text of one single-line edit field and what the keyboard does to it:
// a caret between characters, a selection anchored at one end, insertion that
// replaces the selection, deletion by character or word, word moves and an
// undo history. No fonts and no pixels: the edit controls measure and draw it.
//
// Positions are gaps: 0 is before the first character, Length() after the
// last. A position never splits a surrogate pair. Everything typed or pasted is
// cleaned first (line breaks become spaces, other control characters and lone
// surrogates go) and the text never grows beyond MaxLength characters, so a
// paste of a megabyte costs no more than a paste of a file name.
//
// Threads: whoever owns it; the edit controls use it on the main thread.

#include <QString>

#include <vector>

class TEditModel {
public:
    // A path's limit on the desktop; far beyond any name a field is meant for.
    static constexpr int MaxLength = 4096;
    // Changes kept for Undo.
    static constexpr int UndoDepth = 100;

    const QString& Text() const { return text_; }
    int Length() const { return int(text_.size()); }
    int Caret() const { return caret_; }
    int Anchor() const { return anchor_; }
    bool HasSelection() const { return caret_ != anchor_; }
    int SelStart() const { return qMin(caret_, anchor_); }
    int SelEnd() const { return qMax(caret_, anchor_); }
    QString SelectedText() const { return text_.mid(SelStart(), SelEnd() - SelStart()); }

    // Replaces the whole text from outside (the holder's filter, a path): no
    // undo step; the caret goes to the end, the selection is dropped. The text
    // is cleaned and cut like typed text. Answers whether anything changed.
    bool SetText(const QString& text);
    // Types or pastes at the caret, replacing the selection; the caret ends
    // after the inserted text. Answers whether the text changed. Truncated()
    // tells whether the last insertion was cut to fit MaxLength.
    bool Insert(const QString& typed);
    bool Truncated() const { return truncated_; }
    // Removes the selection; the caret stays where the selection began (0 when
    // it began with the first character). False without a selection.
    bool DeleteSelection();
    // The selection, else the character (or, with ByWord, the word) before or
    // after the caret. False when nothing was removed.
    bool Backspace(bool ByWord = false);
    bool Delete(bool ByWord = false);

    // Caret moves; Extend keeps the anchor (Shift), otherwise a selection
    // collapses to its edge on the side of the move.
    void MoveLeft(bool ByWord, bool Extend);
    void MoveRight(bool ByWord, bool Extend);
    void MoveHome(bool Extend);
    void MoveEnd(bool Extend);
    // Puts the caret at Pos (clamped, snapped off a surrogate middle).
    void MoveTo(int Pos, bool Extend);
    void Select(int AnchorPos, int CaretPos);
    void SelectAll() { Select(0, Length()); }
    void Deselect() { anchor_ = caret_; }

    // Back to the text, caret and selection before the last change; a run of
    // typed characters is one change. False when there is nothing to undo.
    bool Undo();

    // What typed or pasted text becomes before it is inserted.
    static QString Clean(const QString& text);
    // The start of the word before Pos and the end of the word after it.
    static int WordLeft(const QString& text, int Pos);
    static int WordRight(const QString& text, int Pos);

private:
    struct TState {
        QString Text;
        int Caret = 0;
        int Anchor = 0;
    };
    enum class TLastChange { lcNone, lcTyping, lcOther };
    void Remember(TLastChange kind);
    void Remove(int from, int to);
    int Snap(int pos) const;

    QString text_;
    int caret_ = 0;
    int anchor_ = 0;
    bool truncated_ = false;
    TLastChange last_ = TLastChange::lcNone;
    std::vector<TState> undo_;
};
