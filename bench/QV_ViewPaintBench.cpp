// One frame of the view as the program paints it (white, the active holder,
// every registered control, the copy to the window), against a plain fill of
// the same buffer and its copy to the window. Both run through the toolkit's
// synchronous repaint, so the window system's share is the same on both sides.

#include "QV_BenchSupport.h"

#include "view/QV_MainUnit.h"
#include "view/QV_QorView.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

namespace {

class TPlainFill : public QWidget {
public:
    // Opaque like the view, so the toolkit erases neither background.
    TPlainFill()
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_NoSystemBackground);
    }
    void paintEvent(QPaintEvent*) override
    {
        if (Buffer.size() != size()) Buffer = QImage(size(), QImage::Format_ARGB32_Premultiplied);
        Buffer.fill(0xFFFFFFFF);
        QPainter(this).drawImage(0, 0, Buffer);
    }
    QImage Buffer;
};

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // A program folder of its own, so the view's window-state save touches no real settings.
    QTemporaryDir folder;
    if (!folder.isValid() || !UseOwnProgramFolder(folder.path().toStdString())) return 1;

    TQV_MainForm form;
    form.show();
    TPlainFill plain;
    plain.resize(form.QorView()->size());
    plain.show();
    QApplication::processEvents();

    const double view = MedianMicros(500, [&] { form.QorView()->repaint(); });
    const double fill = MedianMicros(500, [&] { plain.repaint(); });
    PrintComparison("view_frame_900x665", view, fill, "us");
    return 0;
}
