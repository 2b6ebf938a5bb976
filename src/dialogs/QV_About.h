#pragma once
// The About box: the program's version, the about text of the chosen language
// (its ".QVA" file, else the English one) and the licence of the icons the
// program ships.
//
// Threads: the interface thread only.

#include <QDialog>

class QLabel;
class QPlainTextEdit;

class TAboutQorvel : public QDialog {
    Q_OBJECT
public:
    explicit TAboutQorvel(QWidget* parent = nullptr);

    // Reads the about text again and sets every caption.
    void LoadText();

    QLabel* Version = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QLabel* Licence = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
};

// The about text: the language's about file, else the English one; empty when
// neither can be read. Only a regular file of at most 1 MiB is read.
QString ReadAboutText();
