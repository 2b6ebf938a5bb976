#pragma once
// The one way anything below the view asks for a repaint. The view installs
// its InvalidateGL as the handler at start and removes it before it goes;
// without a handler a request does nothing.

#include <functional>

// Any thread. The handler runs on the calling thread, so it must only mark the
// window; it is never called after SetRepaintHandler(nullptr) has returned.
void RequestRepaint();
void SetRepaintHandler(std::function<void()> handler);

// Work that need not be in the window's first frame, such as the bars'
// pictures: the view holds it back from its creation until it has painted
// its first complete frame, so that the frame does not wait for it. Without
// a hold it runs at once. Interface thread only.
void AfterFirstFrame(std::function<void()> work);
// The view's side: true from its creation; false once that frame is painted
// (or the view goes), which runs the work held back, in the order asked.
void HoldUntilFirstFrame(bool hold);
