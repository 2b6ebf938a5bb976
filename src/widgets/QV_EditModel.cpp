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
    if (pos > 0 && pos < Length() && Text_.at(pos).isLowSurrogate() && Text_.at(pos - 1).isHighSurrogate()) --pos;
    return pos;
}

void TEditModel::Remember(TLastChange kind)
{
    // A run of typed characters is undone as one change.
    if (kind == TLastChange::lcTyping && Last_ == TLastChange::lcTyping && !HasSelection()) return;
    Undo_.push_back({Text_, Caret_, Anchor_});
    if (int(Undo_.size()) > UndoDepth) Undo_.erase(Undo_.begin());
    Last_ = kind;
}

bool TEditModel::SetText(const QString& text)
{
    QString cleaned = Clean(text);
    Truncated_ = cleaned.size() > MaxLength;
    if (Truncated_) cleaned.truncate(MaxLength);
    if (cleaned.size() > 0 && cleaned.back().isHighSurrogate()) cleaned.chop(1);
    Last_ = TLastChange::lcNone;
    if (cleaned == Text_) return false;
    Text_ = cleaned;
    Caret_ = Anchor_ = Length();
    Undo_.clear();
    return true;
}

bool TEditModel::Insert(const QString& typed)
{
    QString cleaned = Clean(typed);
    const int room = MaxLength - (Length() - (SelEnd() - SelStart()));
    Truncated_ = cleaned.size() > room;
    if (Truncated_) {
        cleaned.truncate(std::max(room, 0));
        if (!cleaned.isEmpty() && cleaned.back().isHighSurrogate()) cleaned.chop(1);
    }
    if (cleaned.isEmpty() && !HasSelection()) return false;
    if (cleaned.isEmpty() && Truncated_) return false;  // a full field keeps its selection
    Remember(cleaned.size() == 1 ? TLastChange::lcTyping : TLastChange::lcOther);
    const int start = SelStart();
    Text_.replace(start, SelEnd() - start, cleaned);
    Caret_ = Anchor_ = start + int(cleaned.size());
    return true;
}

void TEditModel::Remove(int from, int to)
{
    Text_.remove(from, to - from);
    Caret_ = Anchor_ = from;
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
    if (Caret_ == 0) return false;
    const int from = ByWord ? WordLeft(Text_, Caret_) : Snap(Caret_ - 1);
    Remember(TLastChange::lcOther);
    Remove(from, Caret_);
    return true;
}

bool TEditModel::Delete(bool ByWord)
{
    if (HasSelection()) return DeleteSelection();
    if (Caret_ >= Length()) return false;
    int to = ByWord ? WordRight(Text_, Caret_) : Caret_ + 1;
    if (!ByWord && to < Length() && Text_.at(to).isLowSurrogate()) ++to;
    Remember(TLastChange::lcOther);
    Remove(Caret_, to);
    return true;
}

void TEditModel::MoveTo(int Pos, bool Extend)
{
    Caret_ = Snap(Pos);
    if (!Extend) Anchor_ = Caret_;
    Last_ = TLastChange::lcNone;
}

void TEditModel::MoveLeft(bool ByWord, bool Extend)
{
    if (HasSelection() && !Extend && !ByWord) return MoveTo(SelStart(), false);
    MoveTo(ByWord ? WordLeft(Text_, Caret_) : Snap(Caret_ - 1), Extend);
}

void TEditModel::MoveRight(bool ByWord, bool Extend)
{
    if (HasSelection() && !Extend && !ByWord) return MoveTo(SelEnd(), false);
    int to = Caret_ + 1;
    if (to < Length() && Text_.at(to).isLowSurrogate()) ++to;
    MoveTo(ByWord ? WordRight(Text_, Caret_) : to, Extend);
}

void TEditModel::MoveHome(bool Extend) { MoveTo(0, Extend); }
void TEditModel::MoveEnd(bool Extend) { MoveTo(Length(), Extend); }

void TEditModel::Select(int AnchorPos, int CaretPos)
{
    Anchor_ = Snap(AnchorPos);
    Caret_ = Snap(CaretPos);
    Last_ = TLastChange::lcNone;
}

bool TEditModel::Undo()
{
    if (Undo_.empty()) return false;
    const TState state = Undo_.back();
    Undo_.pop_back();
    Text_ = state.Text;
    Caret_ = state.Caret;
    Anchor_ = state.Anchor;
    Last_ = TLastChange::lcNone;
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
