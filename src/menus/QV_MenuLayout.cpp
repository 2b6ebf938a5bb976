#include "menus/QV_MenuLayout.h"

QPoint MenuPlaceNextTo(const QRect& Sender, TAlignSide Align, QSize Menu, int Offset)
{
    switch (Align) {
    case asBot: return {Sender.x(), Sender.y() - Menu.height() - Offset};
    case asLeft: return {Sender.x() + Sender.width() + Offset, Sender.y()};
    case asRight: return {Sender.x() - Menu.width() - Offset, Sender.y()};
    default: return {Sender.x(), Sender.y() + Sender.height() + Offset};
    }
}

QPoint KeepMenuInView(QPoint P, QSize Menu, QSize View)
{
    if (View.width() > 0) {
        if (P.x() <= MenuEdgeMargin) P.setX(MenuEdgeMargin);
        if (P.x() + Menu.width() >= View.width() - MenuEdgeMargin)
            P.setX(View.width() - Menu.width() - MenuEdgeMargin);
    }
    if (View.height() > 0) {
        if (P.y() <= MenuEdgeMargin) P.setY(MenuEdgeMargin);
        if (P.y() + Menu.height() >= View.height() - MenuEdgeMargin)
            P.setY(View.height() - Menu.height() - MenuEdgeMargin);
    }
    return P;
}

TMenuArrangement ArrangeMenu(QPoint Pos, int Width, const TWorkArea& Insets, const std::vector<TMenuItemBox>& Items,
                             int ItemSpacing)
{
    TMenuArrangement result;
    result.Items.resize(Items.size());
    const int left = Pos.x() + Insets.Left;
    const int workWidth = Width - Insets.Left - Insets.Right;
    int y = Pos.y() + Insets.Top;
    for (size_t i = 0; i < Items.size(); ++i) {
        if (!Items[i].Visible) continue;
        result.Items[i] = QRect(left, y, workWidth, Items[i].Height);
        y += Items[i].Height + ItemSpacing;
    }
    result.Height = y - Pos.y() + Insets.Bottom;
    result.Title = QRect(QPoint(left, Pos.y() + 11), QPoint(Pos.x() + Width - Insets.Right - 1, Pos.y() + 29));
    result.Back = QRect(result.Title.topLeft(), QSize(22, 22));
    return result;
}
