#pragma once
// A rectangle that keeps its edges and its size together. Setting an edge
// alone leaves the other fields as they are; setting right, bottom, width or
// height keeps the pair it belongs to consistent.

#include <QRect>

struct TSmartRect {
    qint32 SR_LEFT = 0;
    qint32 SR_TOP = 0;
    qint32 SR_RIGHT = 0;
    qint32 SR_BOTTOM = 0;
    qint32 SR_WIDTH = 0;
    qint32 SR_HEIGHT = 0;

    qint32 Left() const { return SR_LEFT; }
    qint32 Top() const { return SR_TOP; }
    qint32 Right() const { return SR_RIGHT; }
    qint32 Bottom() const { return SR_BOTTOM; }
    qint32 Width() const { return SR_WIDTH; }
    qint32 Height() const { return SR_HEIGHT; }

    // Right, bottom and size stay as they were.
    void SetLeft(qint32 value) { SR_LEFT = value; }
    void SetTop(qint32 value) { SR_TOP = value; }
    // The size follows the edge.
    void SetRight(qint32 value);
    void SetBottom(qint32 value);
    // The edge follows the size.
    void SetWidth(qint32 value);
    void SetHeight(qint32 value);

    // (left, top, left + width, top + height) as a plain rectangle with
    // exclusive right and bottom edges.
    QRect Rect() const;
    // A common area of at least one pixel; an empty or inverted rectangle has none.
    bool IntersectsWith(const QRect& rect) const;

    // Normalised, left and top take the smaller and right and bottom the larger
    // coordinates; otherwise the corners are taken as given.
    void SetRect(qint32 x1, qint32 y1, qint32 x2, qint32 y2, bool normalize);
    void SetBounds(qint32 left, qint32 top, qint32 width, qint32 height);

    bool operator==(const TSmartRect&) const = default;
};
