#pragma once
// A view for holder tests: the operations every view must have answer
// nothing, and the two that carry text record it. A test derives and
// overrides what it watches.

#include "data/QV_HolderHost.h"

#include <QStringList>

class TQuietHost : public THolderHost {
public:
    TSkinBuffer* ItemSkin() override { return nullptr; }
    TDataHolder* AddFileTab(const QString&, bool) override { return nullptr; }
    TDataHolder* AddSearchTab(const QString&, bool) override { return nullptr; }
    bool RemHolder(const QString&) override { return false; }
    void ShowPropDialog() override {}
    void FilesDelete(bool) override {}
    void SwitchMode(const QString& Mode) override { Modes << Mode; }
    void ShowMessage(const QString& Text) override { Messages << Text; }
    void PopUpMenu(int, int, const TStringArray&) override {}
    void PopUpTypeMenu(int, int, const TStringArray&) override {}

    QStringList Messages;
    QStringList Modes;
};
