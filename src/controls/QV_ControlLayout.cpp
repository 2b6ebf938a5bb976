#include "controls/QV_ControlLayout.h"

namespace {

// The last visible control of the alignment before index, or -1.
int LastVisible(const std::vector<TEdgeControl>& controls, size_t index, TAlignSide align)
{
    for (size_t i = index; i-- > 0;)
        if (controls[i].Visible && controls[i].Align == align) return int(i);
    return -1;
}

} // namespace

std::vector<TEdgePlacement> ArrangeEdgeControls(const std::vector<TEdgeControl>& controls, int W, int H)
{
    std::vector<TEdgePlacement> placed(controls.size());
    int top = 0, bottom = H;

    for (size_t i = 0; i < controls.size(); ++i) {
        const TEdgeControl& control = controls[i];
        if (!control.Visible || (control.Align != asTop && control.Align != asBot)) continue;
        const int before = LastVisible(controls, i, control.Align);
        int y;
        if (control.Align == asTop) {
            y = before >= 0 ? placed[size_t(before)].Pos->y() + controls[size_t(before)].Height : 0;
            top = y + control.Height;
        } else {
            y = before >= 0 ? placed[size_t(before)].Pos->y() - control.Height : H - control.Height;
            bottom = y;
        }
        placed[i].Pos = QPoint(0, y);
        placed[i].Width = W;
    }

    for (size_t i = 0; i < controls.size(); ++i) {
        const TEdgeControl& control = controls[i];
        if (control.Align != asLeft && control.Align != asRight) continue;
        const int before = LastVisible(controls, i, control.Align);
        int x;
        if (control.Align == asLeft)
            x = before >= 0 ? placed[size_t(before)].Pos->x() + controls[size_t(before)].Width : 0;
        else
            x = before >= 0 ? placed[size_t(before)].Pos->x() - control.Width : W - control.Width;
        if (!control.Center) {
            placed[i].Height = bottom - top;
            placed[i].Pos = QPoint(x, top);
        } else {
            placed[i].Pos = QPoint(x, top + (bottom - top - control.Height) / 2);
        }
    }
    return placed;
}
