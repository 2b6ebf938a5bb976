#pragma once
// The one way anything below the view asks for a repaint. The view installs
// its InvalidateGL as the handler at start and removes it before it goes;
// without a handler a request does nothing.

#include <functional>

// Any thread. The handler runs on the calling thread, so it must only mark the
// window; it is never called after SetRepaintHandler(nullptr) has returned.
void RequestRepaint();
void SetRepaintHandler(std::function<void()> handler);
