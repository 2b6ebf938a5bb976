#include "widgets/QV_EditModel.h"

#include <algorithm>

namespace {

bool IsWordChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_') || c.isMark(); }

bool IsLineBreak(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar(0x2028) || c == QChar(0x2029);
}

}  // namespace

QString TEditModel::Clean(const QString& text)
{
    QString cleaned;
    cleaned.reserve(std::min<qsizetype>(text.size(), MaxLength + 1));
    bool lastBreak = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (IsLineBreak(c)) {
            // "\r\n" is one break, and one space.
            if (!lastBreak) cleaned += QLatin1Char(' ');
            lastBreak = true;
            continue;
        }
        lastBreak = false;
        if (c == QLatin1Char('\t')) {
            cleaned += QLatin1Char(' ');
        } else if (c.isHighSurrogate()) {
            if (i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
                cleaned += c;
                cleaned += text.at(++i);
            }
        } else if (c.isLowSurrogate() || c.category() == QChar::Other_Control) {
            continue;  // NUL, escapes and halves of a pair mean nothing in a name
        } else {
            cleaned += c;
        }
        // Nothing past what could be kept anyway.
        if (cleaned.size() > MaxLength) break;
    }
    return cleaned;
}

int TEditModel::Snap(int pos) const
{
    pos = std::clamp(pos, 0, Length());
    if (pos > 0 && pos < Length() && text_.at(pos).isLowSurrogate() && text_.at(pos - 1).isHighSurrogate()) --pos;
    return pos;
}

void TEditModel::Remember(TLastChange kind)
{
    // A run of typed characters is undone as one change.
    if (kind == TLastChange::lcTyping && last_ == TLastChange::lcTyping && !HasSelection()) return;
    undo_.push_back({text_, caret_, anchor_});
    if (int(undo_.size()) > UndoDepth) undo_.erase(undo_.begin());
    last_ = kind;
}

bool TEditModel::SetText(const QString& text)
{
    QString cleaned = Clean(text);
    truncated_ = cleaned.size() > MaxLength;
    if (truncated_) cleaned.truncate(MaxLength);
    if (cleaned.size() > 0 && cleaned.back().isHighSurrogate()) cleaned.chop(1);
    last_ = TLastChange::lcNone;
    if (cleaned == text_) return false;
    text_ = cleaned;
    caret_ = anchor_ = Length();
    undo_.clear();
    return true;
}

bool TEditModel::Insert(const QString& typed)
{
    QString cleaned = Clean(typed);
    const int room = MaxLength - (Length() - (SelEnd() - SelStart()));
    truncated_ = cleaned.size() > room;
    if (truncated_) {
        cleaned.truncate(std::max(room, 0));
        if (!cleaned.isEmpty() && cleaned.back().isHighSurrogate()) cleaned.chop(1);
    }
    if (cleaned.isEmpty() && !HasSelection()) return false;
    if (cleaned.isEmpty() && truncated_) return false;  // a full field keeps its selection
    Remember(cleaned.size() == 1 ? TLastChange::lcTyping : TLastChange::lcOther);
    const int start = SelStart();
    text_.replace(start, SelEnd() - start, cleaned);
    caret_ = anchor_ = start + int(cleaned.size());
    return true;
}

void TEditModel::Remove(int from, int to)
{
    text_.remove(from, to - from);
    caret_ = anchor_ = from;
}

bool TEditModel::DeleteSelection()
{
    if (!HasSelection()) return false;
    Remember(TLastChange::lcOther);
    Remove(SelStart(), SelEnd());
    return true;
}

bool TEditModel::Backspace(bool ByWord)
{
    if (HasSelection()) return DeleteSelection();
    if (caret_ == 0) return false;
    const int from = ByWord ? WordLeft(text_, caret_) : Snap(caret_ - 1);
    Remember(TLastChange::lcOther);
    Remove(from, caret_);
    return true;
}

bool TEditModel::Delete(bool ByWord)
{
    if (HasSelection()) return DeleteSelection();
    if (caret_ >= Length()) return false;
    int to = ByWord ? WordRight(text_, caret_) : caret_ + 1;
    if (!ByWord && to < Length() && text_.at(to).isLowSurrogate()) ++to;
    Remember(TLastChange::lcOther);
    Remove(caret_, to);
    return true;
}

void TEditModel::MoveTo(int Pos, bool Extend)
{
    caret_ = Snap(Pos);
    if (!Extend) anchor_ = caret_;
    last_ = TLastChange::lcNone;
}

void TEditModel::MoveLeft(bool ByWord, bool Extend)
{
    if (HasSelection() && !Extend && !ByWord) return MoveTo(SelStart(), false);
    MoveTo(ByWord ? WordLeft(text_, caret_) : Snap(caret_ - 1), Extend);
}

void TEditModel::MoveRight(bool ByWord, bool Extend)
{
    if (HasSelection() && !Extend && !ByWord) return MoveTo(SelEnd(), false);
    int to = caret_ + 1;
    if (to < Length() && text_.at(to).isLowSurrogate()) ++to;
    MoveTo(ByWord ? WordRight(text_, caret_) : to, Extend);
}

void TEditModel::MoveHome(bool Extend) { MoveTo(0, Extend); }
void TEditModel::MoveEnd(bool Extend) { MoveTo(Length(), Extend); }

void TEditModel::Select(int AnchorPos, int CaretPos)
{
    anchor_ = Snap(AnchorPos);
    caret_ = Snap(CaretPos);
    last_ = TLastChange::lcNone;
}

bool TEditModel::Undo()
{
    if (undo_.empty()) return false;
    const TState state = undo_.back();
    undo_.pop_back();
    text_ = state.Text;
    caret_ = state.Caret;
    anchor_ = state.Anchor;
    last_ = TLastChange::lcNone;
    return true;
}

int TEditModel::WordLeft(const QString& text, int Pos)
{
    Pos = std::clamp(Pos, 0, int(text.size()));
    while (Pos > 0 && !IsWordChar(text.at(Pos - 1))) --Pos;
    while (Pos > 0 && IsWordChar(text.at(Pos - 1))) --Pos;
    return Pos;
}

int TEditModel::WordRight(const QString& text, int Pos)
{
    const int n = int(text.size());
    Pos = std::clamp(Pos, 0, n);
    while (Pos < n && !IsWordChar(text.at(Pos))) ++Pos;
    while (Pos < n && IsWordChar(text.at(Pos))) ++Pos;
    return Pos;
}
