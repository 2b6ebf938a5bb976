// One skin image: its cached rendition and the two ways of drawing it.

#include "platform/image/QV_ImageFile.h"
#include "theme/QV_SkinBuffer.h"

#include "foundation/QV_System.h"

#include <algorithm>
#include <array>
#include <climits>

TSkinData::TSkinData()
    : SD_ID(MakeID())
{
}

TImageState TImageData::State() const
{
    return WithState([](const TImageState& state) { return state; });
}

void TImageData::ResetSize()
{
    WithState([](TImageState& state) {
        state.IMD_SKIN_W = state.IMD_SKIN_H = 0;
        state.RequestW = state.RequestH = 0;
    });
}

TBitmap32 TImageData::Resize(int width, int height)
{
    MakeRendition(width, height);
    return State().IMD_Dest;
}

void TImageData::MakeRendition(int width, int height)
{
    if (width <= 0 || height <= 0 || IMD_LOADING || IMD_INPROGRESS) return;

    TBitmap32 source;
    TResizeParams params;
    unsigned generation = 0;
    int w = width;
    int h = height;
    {
        std::lock_guard lock(lock_);
        TImageState& state = state_;
        if (width == state.RequestW && height == state.RequestH) return;
        if (IMD_INPROGRESS.exchange(true)) return;
        source = state.IMD_Source;
        TResizeParams& stored = state.IMD_PARAMS;
        if (stored.ResizeType == rmFull) {
            // The same clamping ResizeImage applies, so odd margins cannot demand a
            // huge minimum either.
            const int ml = std::clamp(stored.MarginLeft, 0, source.Width());
            const int mr = std::clamp(stored.MarginRight, 0, source.Width());
            const int mt = std::clamp(stored.MarginTop, 0, source.Height());
            w = std::max(w, ml + mr + 1);
            h = std::max(h, 2 * mt + 1);
        } else if (stored.ResizeType == rmHorizontal) {
            stored.MarginTop = source.Height();
        } else if (stored.ResizeType == rmVertical) {
            stored.MarginLeft = source.Width();
        }
        params = stored;
        generation = generation_;
    }
    if (!CheckImageSize(w, h).isEmpty()) {
        IMD_INPROGRESS = false;
        return;
    }

    TBitmap32 rendition;
    if (params.ResizeType == rmStretchProp) {
        rendition = source;
        ResampleProportional(rendition, w, h);
        rendition.DrawMode = TDrawMode::dmBlend;
    } else {
        ResizeImage(source, rendition, w, h, params);
    }
    ++renditions_;

    {
        std::lock_guard lock(lock_);
        // A picture loaded meanwhile wins over a rendition of the one it replaced.
        if (generation == generation_) {
            state_.IMD_Dest = std::move(rendition);
            state_.IMD_SKIN_W = w;
            state_.IMD_SKIN_H = h;
            state_.RequestW = width;
            state_.RequestH = height;
        }
    }
    IMD_INPROGRESS = false;
}

namespace {

// A size plus two offsets, kept in int range; oversized results are refused later
// by the picture limits.
int Widened(int size, int before, int after)
{
    const long long sum = static_cast<long long>(size) + before + after;
    return int(std::clamp<long long>(sum, INT_MIN, INT_MAX));
}

void Blend(TBitmap32& target, int x, int y, const TBitmap32& picture)
{
    TBitmap32 view = picture;
    view.DrawMode = TDrawMode::dmBlend;
    target.Draw(x, y, view);
}

} // namespace

// Both draws blend under the entry's lock: a loader replacing the picture then
// releases it only after the paint has read it, and that order is visible to
// ThreadSanitizer, which cannot see through the bitmaps' shared reference counts.
void TImageData::DrawTo(TBitmap32& image, int x, int y, int width, int height)
{
    if (IMD_LOADING || IMD_INPROGRESS) return;
    const auto [left, top, right, bottom] = WithState([](const TImageState& s) {
        return std::array<int, 4>{s.IMD_OFFSET_L, s.IMD_OFFSET_T, s.IMD_OFFSET_R, s.IMD_OFFSET_B};
    });
    MakeRendition(Widened(width, left, right), Widened(height, top, bottom));
    std::lock_guard lock(lock_);
    Blend(image, x - state_.IMD_OFFSET_L, y - state_.IMD_OFFSET_T, state_.IMD_Dest);
}

void TImageData::DrawTo(TBitmap32& image, int x, int y)
{
    if (IMD_LOADING) return;
    std::lock_guard lock(lock_);
    Blend(image, x - state_.IMD_OFFSET_L, y - state_.IMD_OFFSET_T, state_.IMD_Source);
}
