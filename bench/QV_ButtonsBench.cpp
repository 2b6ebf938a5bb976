// Command buttons: making and laying out 200 buttons from parameter strings
// until their icons have loaded, against 200 plain controls given the same
// strings; a hover (enter, paint, leave) on a bar of 40 buttons against one
// frame; painting that bar against drawing 40 prepared pictures of the same
// buttons straight onto the back buffer.

#include "QV_BenchSupport.h"

#include "commands/QV_ButtonManager.h"
#include "controls/QV_SmartCtrl.h"
#include "foundation/QV_System.h"
#include "platform/QV_Threads.h"
#include "platform/image/QV_Bitmap32.h"
#include "theme/QV_SkinBuffer.h"

#include <QGuiApplication>
#include <QStringList>

#include <memory>
#include <vector>

namespace {

constexpr int Made = 200;
constexpr int BarButtons = 40;
constexpr int Side = 28;

QStringList Commands()
{
    QStringList known = TButtonManager::KnownCommands();
    known.removeAll(QStringLiteral("QuickFilter"));
    known.removeAll(QStringLiteral("PathEdit"));
    known.removeAll(QStringLiteral("Places.RecycleBin"));  // counts the real trash
    return known;
}

TParamString ParamsOf(const QStringList& commands, int i)
{
    return TParamString{QStringLiteral("CMD(%1), Param1(%2), Style(Icon), Width(28), Height(28)")
                            .arg(commands[i % commands.size()])
                            .arg(i)};
}

void Arrange(std::vector<std::unique_ptr<TSmartCtrl>>& controls)
{
    for (size_t i = 0; i < controls.size(); ++i) {
        controls[i]->SetPosition(QPoint(int(i % BarButtons) * (Side + 2), int(i / BarButtons) * (Side + 2)));
        controls[i]->On_Resize(1280, 800);
    }
}

void CreateAndLayOut(const QStringList& commands)
{
    const TButtonManager registry;
    std::vector<double> buttons, plain;
    for (int run = 0; run < 5; ++run) {
        buttons.push_back(MedianMicros(1, [&] {
            std::vector<std::unique_ptr<TSmartCtrl>> made;
            std::vector<TActionButton*> views;
            for (int i = 0; i < Made; ++i) {
                TActionButton* b = registry.CreateButton(nullptr, ParamsOf(commands, i));
                made.emplace_back(b);
                views.push_back(b);
            }
            Arrange(made);
            ServeUntil([&] {
                for (TActionButton* b : views)
                    if (!b->AB_ImageLoaded) return false;
                return true;
            }, TServeMode::smCallsAndEvents);
        }));
        plain.push_back(MedianMicros(1, [&] {
            std::vector<std::unique_ptr<TSmartCtrl>> made;
            for (int i = 0; i < Made; ++i) {
                made.push_back(std::make_unique<TSmartCtrl>());
                made.back()->SetParams(ParamsOf(commands, i));
            }
            Arrange(made);
        }));
    }
    PrintComparison("buttons_create_200_icons_loaded", MedianOf(buttons) / 1000, MedianOf(plain) / 1000, "ms");
}

struct TBar {
    TSkinBuffer Skin;
    std::vector<std::unique_ptr<TSmartCtrl>> Buttons;
};

void MakeBar(TBar& bar, const QStringList& commands)
{
    TBitmap32 normal(8, 8), hot(8, 8);
    normal.Clear(0xFFF6F7F9);
    hot.Clear(0xFFDCE8F8);
    TResizeParams stretch;
    stretch.ResizeType = rmStretch;
    bar.Skin.LoadImage(QStringLiteral("ButtonNormal"), normal, stretch);
    bar.Skin.LoadImage(QStringLiteral("ButtonHot"), hot, stretch);
    const TButtonManager registry;
    std::vector<TActionButton*> views;
    for (int i = 0; i < BarButtons; ++i) {
        TActionButton* b = registry.CreateButton(nullptr, ParamsOf(commands, i));
        b->SetSkin(&bar.Skin);
        bar.Buttons.emplace_back(b);
        views.push_back(b);
    }
    Arrange(bar.Buttons);
    ServeUntil([&] {
        for (TActionButton* b : views)
            if (!b->AB_ImageLoaded) return false;
        return true;
    }, TServeMode::smCallsAndEvents);
}

void Hover(TBar& bar)
{
    TBitmap32 canvas(1280, 40);
    std::vector<double> times;
    for (int run = 0; run < 200; ++run) {
        TSmartCtrl& button = *bar.Buttons[run % BarButtons];
        times.push_back(MedianMicros(1, [&] {
            button.On_Enter(button.SC_POS.x() + 2, 2);
            for (auto& b : bar.Buttons) b->On_Paint(canvas);
            button.On_Leave(-1, -1);
        }));
    }
    PrintFigureLimit("buttons_hover_bar_40", MedianOf(times) / 1000, "ms", 16);
}

void Paint(TBar& bar)
{
    TBitmap32 canvas(1280, 40);
    // Each button's final look, prepared once: the least a paint must still do.
    std::vector<TBitmap32> prepared;
    for (auto& b : bar.Buttons) {
        TBitmap32 own(Side, Side);
        own.Clear(0);
        const QPoint at = b->SC_POS;
        b->SetPosition(QPoint(0, 0));
        b->On_Resize(1280, 800);
        b->On_Paint(own);
        b->SetPosition(at);
        b->On_Resize(1280, 800);
        prepared.push_back(own);
    }
    for (auto& b : bar.Buttons) b->On_Paint(canvas);  // renditions cached, as after the first frame
    std::vector<double> painted, reference;
    for (int run = 0; run < 300; ++run) {
        painted.push_back(MedianMicros(1, [&] {
            for (auto& b : bar.Buttons) b->On_Paint(canvas);
        }));
        reference.push_back(MedianMicros(1, [&] {
            for (size_t i = 0; i < prepared.size(); ++i)
                canvas.Draw(bar.Buttons[i]->SC_POS.x(), bar.Buttons[i]->SC_POS.y(), prepared[i]);
        }));
    }
    PrintResult("buttons_paint_bar_40", MedianOf(painted), MedianOf(reference), "us", 1.5);
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    TAliasNames names = AliasNames();
    names.AppPath = QStringLiteral(QV_SOURCE_DIR "/data");
    SetAliasNames(names);
    const QStringList commands = Commands();
    CreateAndLayOut(commands);
    TBar bar;
    MakeBar(bar, commands);
    Hover(bar);
    Paint(bar);
    return 0;
}
