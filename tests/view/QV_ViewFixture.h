#pragma once
// Shared by the window's tests: a program folder of its own for each test (the
// view loads its settings there and saves its window state there, never in
// the build's Data/), and a holder that writes down what the view routes to it.

#include "controls/QV_ViewHolder.h"
#include "foundation/QV_System.h"
#include "platform/image/QV_Bitmap32.h"
#include "support/QV_TestSupport.h"

#include <QDir>
#include <QStringList>

#include <ostream>
#include <stdexcept>

inline void PrintTo(const QStringList& list, std::ostream* os) { *os << list.join(", ").toStdString(); }

class TProgramFolder {
public:
    // Data/Settings.QVS holds "[Qorvel]" and then settingsLines.
    explicit TProgramFolder(const QByteArray& settingsLines = {})
        : savedFolder_(QDir::currentPath()), savedNames_(AliasNames())
    {
        Dir.WriteFile("Data/Settings.QVS", "[Qorvel]\n" + settingsLines);
        QDir::setCurrent(Dir.Path());
    }
    ~TProgramFolder()
    {
        QDir::setCurrent(savedFolder_);
        SetAliasNames(savedNames_);
    }
    QByteArray Settings() const { return Dir.ReadFile("Data/Settings.QVS"); }

    TTestDir Dir;

private:
    QString savedFolder_;
    TAliasNames savedNames_;
};

class TRecordingHolder : public TViewHolder {
public:
    explicit TRecordingHolder(QStringList* log) : Log(log) {}

    QStringList* Log;
    bool selecting_ = false;
    bool ThrowOnMouseDown = false;
    QRect PaintRect;          // filled with PaintColor when painting
    TColor32 PaintColor = 0xFF0000FF;
    QSize Size;
    QList<int> Keys;          // key codes of downs and ups
    QList<TShiftState> UpShifts;  // the shift state of each up
    QString Typed;
    int LastWheelDelta = 0;

    void Note(const char* event) { Log->append(QStringLiteral("Holder.") + QLatin1String(event)); }

    // The log without paints, which come whenever the window is exposed.
    static QStringList Events(const QStringList& log)
    {
        QStringList events;
        for (const QString& line : log)
            if (!line.endsWith(QLatin1String(".Paint"))) events << line;
        return events;
    }

    void On_Paint(TBitmap32& canvas) override
    {
        Note("Paint");
        canvas.Clear(0xFFFFFFFF);
        canvas.FillRect(PaintRect, PaintColor);
    }
    void On_Resize(int W, int H) override { Size = QSize(W, H); }
    void On_KeyPress(QChar& Key) override
    {
        Note("KeyPress");
        Typed += Key;
    }
    void On_KeyDown(TKeyCode& Key, TShiftState) override
    {
        Note("KeyDown");
        Keys << Key;
    }
    void On_KeyUp(TKeyCode& Key, TShiftState Shift) override
    {
        Note("KeyUp");
        Keys << Key;
        UpShifts << Shift;
    }
    TViewHolder* On_MouseUp(TMouseButton, TShiftState, int, int) override
    {
        Note("MouseUp");
        return this;
    }
    TViewHolder* On_MouseDown(TMouseButton, TShiftState, int, int) override
    {
        if (ThrowOnMouseDown) throw std::runtime_error("Can not rename: /x");
        Note("MouseDown");
        return this;
    }
    TViewHolder* On_MouseMove(TShiftState, int, int) override
    {
        Note("MouseMove");
        return this;
    }
    TViewHolder* On_MouseWheel(TWMMouseWheel& Msg) override
    {
        LastWheelDelta = Msg.WheelDelta;
        Note("Wheel");
        return this;
    }
    void On_DblClick(TMouseButton, TShiftState, int, int) override { Note("DblClick"); }
    bool Selecting() const override { return selecting_; }
};
