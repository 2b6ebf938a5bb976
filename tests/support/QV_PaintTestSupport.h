#pragma once
// Helpers of the painting and theme tests: solid pictures.

#include "support/QV_TestSupport.h"
#include "platform/image/QV_Bitmap32.h"

#include <QString>

inline TBitmap32 Filled(int width, int height, TColor32 color)
{
    TBitmap32 b(width, height);
    b.Clear(color);
    return b;
}

