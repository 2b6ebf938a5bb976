#pragma once
// The item list of one bar ("<Control>.Items" of the settings file) as the
// control items editor edits it, without any widget: rows of key and parameter
// string in file order, unique keys, and the whole section written back.
// Parameters the editor does not know stay in the row as they were.
//
// Threads: the interface thread only.

#include <QString>
#include <QStringList>

#include <vector>

struct TControlItem {
    QString Key;
    QString Params;  // the value of the line
};

// The alignment words an item may carry, as the controls read them.
QStringList ItemAlignWords();

class TControlItems {
public:
    QString Control;  // "QuickBar", "ActionBar", "PathBar", "SmartTabs"
    std::vector<TControlItem> Items;

    // The rows of "<Control>.Items", in file order.
    void Load(const QString& control);
    // The section erased and every row written in order; false when the
    // settings file does not exist or cannot be written.
    bool Save() const;

    // base when no row other than except has that key (ignoring case), else
    // base + "_" + the smallest number from 1 that is free.
    QString UniqueKey(const QString& base, int except = -1) const;
    // A new row at the end with a unique key; its index.
    int Add(const QString& key);
    void Remove(int row);
    // Swaps the row with its neighbour; false at the ends.
    bool Move(int row, int delta);
};

// The parameter string with Name(Value) set; an empty value removes the entry.
QString SetItemParam(const QString& params, const QString& name, const QString& value);
