#pragma once
// Item lists that nobody shows any more are freed on a thread of their own: a
// large folder's old list takes tens of milliseconds to free, which neither the
// interface nor the end of a listing should wait for.

#include "data/QV_HolderLayout.h"

// Any thread. The items must be unreachable from everything else; small lists
// are freed at once.
void DisposeItems(TItemList&& Items);

// Returns once every list handed over so far is freed.
void WaitItemsDisposed();
