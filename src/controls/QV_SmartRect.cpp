#include "controls/QV_SmartRect.h"

#include <algorithm>

void TSmartRect::SetRight(qint32 value)
{
    SR_RIGHT = value;
    SR_WIDTH = SR_RIGHT - SR_LEFT;
}

void TSmartRect::SetBottom(qint32 value)
{
    SR_BOTTOM = value;
    SR_HEIGHT = SR_BOTTOM - SR_TOP;
}

void TSmartRect::SetWidth(qint32 value)
{
    SR_WIDTH = value;
    SR_RIGHT = SR_LEFT + SR_WIDTH;
}

void TSmartRect::SetHeight(qint32 value)
{
    SR_HEIGHT = value;
    SR_BOTTOM = SR_TOP + SR_HEIGHT;
}

QRect TSmartRect::Rect() const
{
    // QRect keeps an inclusive right edge: right = left + width - 1.
    return QRect(SR_LEFT, SR_TOP, SR_WIDTH, SR_HEIGHT);
}

bool TSmartRect::IntersectsWith(const QRect& rect) const
{
    // As the plain-rectangle intersection: an empty or inverted side of either
    // rectangle intersects nothing.
    const qint64 left = std::max<qint64>(SR_LEFT, rect.left());
    const qint64 top = std::max<qint64>(SR_TOP, rect.top());
    const qint64 right = std::min<qint64>(qint64(SR_LEFT) + SR_WIDTH, qint64(rect.left()) + rect.width());
    const qint64 bottom = std::min<qint64>(qint64(SR_TOP) + SR_HEIGHT, qint64(rect.top()) + rect.height());
    return left < right && top < bottom;
}

void TSmartRect::SetRect(qint32 x1, qint32 y1, qint32 x2, qint32 y2, bool normalize)
{
    if (normalize) {
        SR_LEFT = std::min(x1, x2);
        SR_TOP = std::min(y1, y2);
        SR_RIGHT = std::max(x1, x2);
        SR_BOTTOM = std::max(y1, y2);
    } else {
        SR_LEFT = x1;
        SR_TOP = y1;
        SR_RIGHT = x2;
        SR_BOTTOM = y2;
    }
    SR_WIDTH = SR_RIGHT - SR_LEFT;
    SR_HEIGHT = SR_BOTTOM - SR_TOP;
}

void TSmartRect::SetBounds(qint32 left, qint32 top, qint32 width, qint32 height)
{
    SR_LEFT = left;
    SR_TOP = top;
    SR_WIDTH = width;
    SR_HEIGHT = height;
    SR_RIGHT = left + width;
    SR_BOTTOM = top + height;
}
