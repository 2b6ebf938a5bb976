#include "controls/QV_Repaint.h"

#include "foundation/QV_Context.h"

void RequestRepaint() { QvContext().Repaint(); }

void SetRepaintHandler(std::function<void()> handler) { QvContext().SetRepaint(std::move(handler)); }
