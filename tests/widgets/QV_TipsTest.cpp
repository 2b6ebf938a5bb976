#include "QV_WidgetFixture.h"

#include "foundation/QV_PaintUtils.h"
#include "platform/image/QV_Bitmap32.h"
#include "widgets/QV_SelectTip.h"
#include "widgets/QV_SmartProgress.h"
#include "widgets/QV_SmartTip.h"

namespace {

using Tips = WidgetFixture;

}  // namespace

TEST(TipPlace, GoesBesideTheAskingControlAndStaysInTheView)
{
    const struct {
        const char* Name;
        QSize Size;
        int X, Y, W;
        TPopUpDirection Direction;
        QPoint Expected;
    } rows[] = {
        {"below a quick-bar button", {80, 20}, 100, 108, 48, podBott, {84, 118}},
        {"right of an action-bar button", {80, 20}, 148, 60, 0, podRight, {158, 60}},
        {"left of the scroll bar", {70, 20}, 960, 300, 0, podLeft, {880, 300}},
        {"above a bottom bar", {80, 20}, 100, 500, 48, podTop, {84, 470}},
        {"kept off the left edge", {300, 20}, 3, 50, 10, podBott, {5, 60}},
        {"kept off the right edge", {300, 20}, 950, 50, 10, podRight, {1000 - 300 - 5, 50}},
        {"wider than the view", {2000, 20}, 10, 50, 0, podTopLeft, {1000 - 2000 - 5, 20}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(TipPlace(row.Size, row.X, row.Y, row.W, row.Direction, 10, 1000), row.Expected) << row.Name;
}

TEST_F(Tips, SmartTipTakesItsDirectionFromTheSendersBar)
{
    auto* tip = static_cast<TSmartTip*>(Manager.AddControl("SmartTip", new TSmartTip()));
    TSmartCtrl bar, button;
    bar.SC_ALIGN = asLeft;
    button.SC_PARENT = &bar;
    button.SC_POS = QPoint(148, 60);
    button.SC_WIDTH = 24;
    tip->PopUp(&button, "Copy");
    EXPECT_EQ(tip->SC_POS, QPoint(148 + 24 + 10, 60));
    EXPECT_TRUE(tip->SC_VISIBLE);
    tip->PopUp(&button, "");
    EXPECT_EQ(tip->ST_TEXT, ":)");
    tip->PopDown();
    EXPECT_FALSE(tip->SC_VISIBLE);
    tip->PopUp(nullptr, "nothing");
    EXPECT_FALSE(tip->SC_VISIBLE);
}

TEST_F(Tips, SelectTipShowsTheCountAndTheSize)
{
    auto* tip = static_cast<TSelectTip*>(Manager.AddControl("SelectTip", new TSelectTip()));
    const struct {
        int Count;
        qint64 Size;
        QString Value;
    } rows[] = {{0, 0, "0"}, {1, 1536, SizeText(1536)}, {250000, qint64(5) << 32, SizeText(qint64(5) << 32)}};
    int width = 0;
    for (const auto& row : rows) {
        tip->PopUp(row.Count, row.Size, 100, 100);
        EXPECT_EQ(tip->ST_SELECT.VS_VALUE.Text(), QString::number(row.Count));
        EXPECT_EQ(tip->ST_SIZE.VS_VALUE.Text(), row.Value);
        EXPECT_EQ(tip->ST_SELECT.VS_PARAM.Text(), "Selected:");
        EXPECT_EQ(tip->SC_HEIGHT, 2 * tip->ST_LINE_H + 4 + tip->SC_OFFSET_TOP + tip->SC_OFFSET_BOTTOM);
        EXPECT_GE(tip->SC_WIDTH, width) << "wider values, a wider tip";
        width = tip->SC_WIDTH;
    }
    EXPECT_TRUE(SizeText(1536).contains("KB"));
    tip->PopUp(3, 0, 890, 590);
    EXPECT_LE(tip->SC_POS.x() + tip->SC_WIDTH, 900 - 5);
    EXPECT_LE(tip->SC_POS.y() + tip->SC_HEIGHT, 600 - 5);
    tip->PopDown();
    EXPECT_FALSE(tip->SC_VISIBLE);
}

TEST_F(Tips, ProgressFillsItsShareOfTheWorkArea)
{
    TSmartProgress bar;
    bar.SC_OFFSET_LEFT = bar.SC_OFFSET_RIGHT = 0;
    bar.SetWidth(250);
    const struct {
        int Done;
        int Width;
    } rows[] = {{40, 100}, {0, 0}, {-5, 0}, {100, 250}, {150, 250}, {1, 2}};
    for (const auto& row : rows) {
        bar.SetPos(row.Done);
        EXPECT_EQ(bar.PosToWidth(), row.Width) << row.Done;
    }
    bar.ProgressSource = [](int& done, QString& text) {
        done = 70;
        text = "Searching /usr";
        return true;
    };
    TBitmap32 canvas(400, 100);
    bar.On_Paint(canvas);
    EXPECT_EQ(bar.SP_DONE, 70);
    EXPECT_EQ(bar.SP_TEXT, "Searching /usr");
}
