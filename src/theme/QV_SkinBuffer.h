#pragma once
// A control's store of theme images and fonts, found by identifier, and the
// reading of a control theme's data file.
//
// Threads: button images are loaded by worker tasks while the interface thread
// paints the same buffer. Safe by construction, not by flags alone:
// - the entry lists are guarded by the buffer's lock, and entries are shared
//   pointers, so an entry a painter holds outlives its removal;
// - an image's bitmaps, sizes and parameters live in one TImageState guarded by
//   the entry's lock; readers take a copy (bitmaps share their pixels, so a copy
//   costs a reference) and paints blend under the lock, writers decode or render
//   outside the lock and publish the finished bitmap in one assignment that
//   leaves them no reference of their own. A paint never sees a half-made picture.
// Fonts are loaded and changed by the interface thread only.

#include "foundation/QV_PaintUtils.h"
#include "platform/image/QV_Bitmap32.h"

#include <QRect>
#include <QString>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

class TSkinData {
public:
    TSkinData();
    virtual ~TSkinData() = default;
    TSkinData(const TSkinData&) = delete;
    TSkinData& operator=(const TSkinData&) = delete;

    // Written only under the owning buffer's lock (loading, ExchangeImage); the
    // interface thread may read it directly.
    QString SD_ID;
};

// Everything of an image that changes together.
struct TImageState {
    QString IMD_PATH;     // carried over by CopyImageData; the loaders leave it empty
    TBitmap32 IMD_Source; // as loaded
    TBitmap32 IMD_Dest;   // the rendition for IMD_SKIN_W x IMD_SKIN_H
    int IMD_SKIN_W = 0;   // 0 x 0: no rendition yet
    int IMD_SKIN_H = 0;
    int IMD_OFFSET_L = 0;
    int IMD_OFFSET_T = 0;
    int IMD_OFFSET_R = 0;
    int IMD_OFFSET_B = 0;
    TResizeParams IMD_PARAMS;
    // The size asked for that produced IMD_Dest: the nine-slice minimum can make
    // the rendition larger than the request, and the cache must still hit.
    int RequestW = 0;
    int RequestH = 0;
};

class TImageData : public TSkinData {
public:
    // A consistent copy of the image's state.
    TImageState State() const;

    // The rendition for width x height, made and cached when the request differs
    // from the cached one. Returns the cached bitmap unchanged for a non-positive
    // size, a size beyond the picture limits, or while the entry loads or renders.
    TBitmap32 Resize(int width, int height);

    // Blends Resize(w + offsets, h + offsets) at (x - IMD_OFFSET_L, y - IMD_OFFSET_T).
    void DrawTo(TBitmap32& image, int x, int y, int width, int height);
    // Blends the source unscaled at (x - IMD_OFFSET_L, y - IMD_OFFSET_T).
    void DrawTo(TBitmap32& image, int x, int y);

    // Forgets the cached size, so the next scaled draw renders afresh.
    void ResetSize();

    // How many renditions this entry has made.
    int Renditions() const { return renditions_.load(); }

    std::atomic<bool> IMD_INPROGRESS{false}; // a rendition is being made
    std::atomic<bool> IMD_LOADING{false};    // the file is being read

private:
    friend class TSkinBuffer;
    // Runs f(state) under the entry's lock.
    template <class F>
    auto WithState(F&& f) const
    {
        std::lock_guard lock(lock_);
        return f(state_);
    }
    template <class F>
    auto WithState(F&& f)
    {
        std::lock_guard lock(lock_);
        return f(state_);
    }

    // Resize without handing out the result.
    void MakeRendition(int width, int height);

    mutable std::mutex lock_;
    TImageState state_;
    // Bumped whenever the source is replaced, so a rendition of an older source is
    // not published over a newer picture.
    unsigned generation_ = 0;
    std::atomic<int> renditions_{0};
};

class TFontData : public TSkinData {
public:
    TFont FD_FONT;
};

using TImageDataPtr = std::shared_ptr<TImageData>;
using TFontDataPtr = std::shared_ptr<TFontData>;

class TSkinBuffer {
public:
    TSkinBuffer();
    ~TSkinBuffer();
    TSkinBuffer(const TSkinBuffer&) = delete;
    TSkinBuffer& operator=(const TSkinBuffer&) = delete;

    // "SkinBuffer" + MakeID(); the main view renames its buffer "<default>".
    QString SB_ID;
    // Scratch record: a control reads an image's parameters into it for LoadImage.
    TResizeParams SB_PARAMS;

    // False and a null pointer for a position outside the list or an unknown
    // identifier; the first entry wins when identifiers repeat.
    bool GetImageData(int idx, TImageDataPtr& imageData) const;
    bool GetImageData(const QString& id, TImageDataPtr& imageData) const;
    int ImageCount() const;

    // Loads or reloads (in place, keeping the list position and the cached size)
    // the image file at path (aliases allowed): .png, .jpg or .bmp by the
    // lower-cased extension. A missing file changes nothing and answers -1; else
    // the entry's position. A PNG that cannot be decoded raises EImageError with
    // the entry left in place, no longer loading; JPEG and BMP failures fall back
    // to "ButtonsTheme:\Unknown.png"; any other extension leaves an entry that
    // never draws. Safe to call from a worker thread.
    int LoadImage(const QString& id, const QString& path, const TResizeParams& resizeParams);
    // The same from a bitmap in memory (taken as source and unscaled rendition). A
    // worker thread hands its picture over with std::move, so that it keeps no
    // reference a paint could outlive.
    int LoadImage(const QString& id, TBitmap32 image, const TResizeParams& resizeParams);

    // Nothing for an unknown identifier or position.
    void DrawImage(const QString& id, TBitmap32& canvas, int x, int y, int width, int height);
    void DrawImage(const QString& id, TBitmap32& canvas, const QRect& rect);
    void DrawImage(int idx, TBitmap32& canvas, int x, int y, int width, int height);
    // The source, unscaled, shifted by the left and top offsets.
    void DrawImage(const QString& id, TBitmap32& canvas, int x, int y);

    void ResetImageSize(int idx);
    void ResetImageSize();

    // Fonts: returned pointers stay valid for the buffer's life.
    bool GetFontData(int idx, TFontDataPtr& fontData) const;
    bool GetFontData(const QString& id, TFontDataPtr& fontData) const;
    // Each LoadFont appends a new entry, so a second font under an identifier is
    // never found.
    TFont* LoadFont(const QString& id);
    TFont* LoadFont(const QString& id, const TParamString& params);
    // The key "Font(" + fontId + ")" of fontSection in paramsPath (aliases
    // allowed), def when the key is missing.
    TFont* LoadFont(const QString& id, const QString& paramsPath, const QString& fontSection, const QString& fontId,
                    const QString& def);
    TFont* Font(const QString& id) const;
    TFont* Font(int idx) const;
    // Copies the named font into the bitmap's text font; false without it.
    bool AssignFont(const QString& id, TBitmap32& bitmap) const;

    // Appends a copy of the other buffer's first font (image) of that identifier;
    // false when it has none.
    bool CopyFontData(const TSkinBuffer& skinBuffer, const QString& dataId);
    bool CopyImageData(const TSkinBuffer& skinBuffer, const QString& dataId);

    // Swaps the identifiers of the two entries when both exist.
    void ExchangeImage(const QString& id1, const QString& id2);

    // Theme data file reading for controls: the image key "Image(" + imageName +
    // ")" of the section in "ControlTheme:\" (def when missing) loaded from file,
    // a path below "ControlThemePath:\" unless it carries an alias of its own.
    // Answers the entry's position or -1 as LoadImage.
    int LoadThemeImage(const QString& id, const QString& section, const QString& imageName, const QString& file,
                       const QString& def = QString());
    // The font key "Font(" + fontId + ")" of the section in "ControlTheme:\".
    TFont* LoadThemeFont(const QString& id, const QString& section, const QString& fontId, const QString& def);

    // Renditions made by all entries: drawing at a cached size makes none.
    int RenditionCount() const;
    // Changes whenever a picture or a font of the buffer may look different (a
    // load published, an exchange, a font added), so that a control keeping a
    // finished picture of itself knows when to make it again.
    unsigned ContentGeneration() const { return contentGeneration_.load(std::memory_order_acquire); }

private:
    TImageDataPtr FindImage(const QString& id) const;
    TImageDataPtr ImageAt(int idx) const;
    // The entry of that identifier, appended when missing; answers its position.
    int FindOrAppendImage(const QString& id, TImageDataPtr& entry);
    TFont* AppendFont(const QString& id);

    mutable std::mutex lock_;
    std::vector<TImageDataPtr> SB_IMAGE_LIST;
    std::vector<TFontDataPtr> SB_FONT_LIST;
    std::atomic<unsigned> contentGeneration_{0};

    void ContentChanged() { contentGeneration_.fetch_add(1, std::memory_order_acq_rel); }
};

// The image keys of a control theme: section, key, the identifier a control
// registers and the file below the theme folder. Controls and tests share it.
struct TThemeImageEntry {
    const char* Section;
    const char* ImageName; // inside "Image(...)"
    const char* Id;
    const char* File;
    const char* Default;   // the value a control passes for a missing key
};
const std::vector<TThemeImageEntry>& ControlThemeImages();
