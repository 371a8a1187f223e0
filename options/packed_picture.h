// The pictures drawn for screens above 96 DPI, kept packed in the DLL, and
// their reduction to the size a window shows. Portable: no Win32.
//
// A packed picture: "BPK1", width and height as 16-bit little-endian
// numbers, then tokens until width x height pixels are out. A token byte
// holds a kind in its top two bits and a count less one in the rest; a
// count field of 63 is followed by a number to add to it. Numbers are
// base 128, low groups first, the top bit marking that more follow. The
// kinds: 0, that many pixels as they stand (blue, green, red, alpha); 1,
// copies of the last pixel; 2, copies from the row above; 3, copies from a
// distance back given by a number after the count. Flat areas and repeated
// rows cost a few bytes, so the large pictures fit the DLL's size budget.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct TPixels {
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<uint32_t> Bgra;  // rows top down, 0xAARRGGBB

    bool Empty() const noexcept { return Width <= 0 || Height <= 0; }
};

// Empty for anything that is not a whole packed picture: a short or
// overlong stream, a distance before the start, a size beyond the limit.
TPixels UnpackPicture(const uint8_t* data, size_t size);
inline constexpr int32_t MaxPackedSide = 4096;

// The picture reduced (or, when larger, enlarged) to width x height by
// averaging the area each output pixel covers, with colour weighted by
// alpha so that transparent pixels lend no colour to an edge. Alpha comes
// out 0 or 255: the pictures are drawn with a mask, which has no half
// measures. Empty for an empty picture or size.
TPixels ResizePicture(const TPixels& source, int32_t width, int32_t height);

// Of the sizes a picture is drawn at, the one to reduce from for `wanted`:
// the smallest that is not smaller, else the largest. 0 for none.
int32_t SourceSize(const int32_t* sizes, size_t count, int32_t wanted) noexcept;
