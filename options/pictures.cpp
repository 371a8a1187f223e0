#include "options/pictures.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "base/message_window.h"
#include "options/dpi_scale.h"
#include "options/options_logic.h"
#include "options/packed_picture.h"
#include "options/res/picture_ids.h"

namespace {

HBITMAP LoadPicture(int id, UINT flags) {
    return static_cast<HBITMAP>(::LoadImageW(ThisModule(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, flags));
}

// The status pictures drawn for larger screens, by size.
struct TStatusStrip {
    int32_t Size;
    int Id;
};
constexpr TStatusStrip StatusStrips[] = {
    {20, IDR_STATUS_ICONS_20}, {24, IDR_STATUS_ICONS_24}, {32, IDR_STATUS_ICONS_32}};
constexpr int32_t StatusStripSizes[] = {StatusStrips[0].Size, StatusStrips[1].Size, StatusStrips[2].Size};
static_assert(std::size(StatusStripSizes) == std::size(StatusStrips));

TPixels LoadPacked(int id) {
    const HRSRC found = ::FindResourceW(ThisModule(), MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));  // RT_RCDATA
    const HGLOBAL loaded = found ? ::LoadResource(ThisModule(), found) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    return data ? UnpackPicture(static_cast<const uint8_t*>(data), ::SizeofResource(ThisModule(), found)) : TPixels{};
}

// Part `part` of `parts` of a picture cut into bands one above the other.
TPixels Band(const TPixels& whole, int32_t part, int32_t parts) {
    if (whole.Empty() || whole.Height % parts != 0) {
        return {};
    }
    const int32_t height = whole.Height / parts;
    const auto size = static_cast<std::ptrdiff_t>(height) * whole.Width;
    const auto begin = whole.Bgra.begin() + part * size;
    return TPixels{whole.Width, height, std::vector<uint32_t>(begin, begin + size)};
}

// A picture at the size the window shows, as a 32-bit bitmap; null when the
// picture is missing or broken.
HBITMAP ScaledPicture(const TPixels& source, int32_t width, int32_t height, TPixels* pixels = nullptr) {
    const TPixels picture = ResizePicture(source, width, height);
    if (picture.Empty()) {
        return nullptr;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = picture.Width;
    info.bmiHeader.biHeight = -picture.Height;  // top down, as the pixels run
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) {
        std::copy(picture.Bgra.begin(), picture.Bgra.end(), static_cast<uint32_t*>(bits));
    }
    if (pixels) {
        *pixels = picture;
    }
    return bitmap;
}

// 1 where a picture is transparent, as ImageList_Add expects of a mask.
HBITMAP MaskOf(const TPixels& picture) {
    const size_t stride = (static_cast<size_t>(picture.Width) + 15) / 16 * 2;  // rows end on a word
    std::vector<uint8_t> bits(stride * static_cast<size_t>(picture.Height), 0);
    for (int32_t y = 0; y < picture.Height; ++y) {
        for (int32_t x = 0; x < picture.Width; ++x) {
            if ((picture.Bgra[static_cast<size_t>(y * picture.Width + x)] >> 24) == 0) {
                bits[static_cast<size_t>(y) * stride + static_cast<size_t>(x / 8)] |=
                    static_cast<uint8_t>(0x80 >> (x % 8));
            }
        }
    }
    return ::CreateBitmap(picture.Width, picture.Height, 1, 1, bits.data());
}

}  // namespace

TUniqueImageList LoadStatusPictures(int32_t dpi, int32_t& pictureSize) {
    const bool reference = dpi == ReferenceDpi;
    pictureSize = ScaleToDpi(StatusPictureSize, dpi);
    const int32_t source = SourceSize(StatusStripSizes, std::size(StatusStripSizes), pictureSize);
    int stripId = 0;
    for (const TStatusStrip& candidate : StatusStrips) {
        stripId = candidate.Size == source ? candidate.Id : stripId;
    }
    TPixels strip;
    const TUniqueBitmap icons(reference ? nullptr
                                        : ScaledPicture(LoadPacked(stripId), pictureSize * StatusPictureCount,
                                                        pictureSize, &strip));
    TUniqueImageList list;
    if (icons) {
        const TUniqueBitmap mask(MaskOf(strip));
        list.reset(::ImageList_Create(pictureSize, pictureSize, ILC_COLOR32 | ILC_MASK, StatusPictureCount, 0));
        if (list) {
            ::ImageList_Add(list.get(), icons.get(), mask.get());
        }
    } else {
        pictureSize = StatusPictureSize;
        list.reset(::ImageList_Create(StatusPictureSize, StatusPictureSize, ILC_COLOR32 | ILC_MASK,
                                      StatusPictureCount, 0));
        const TUniqueBitmap reference16(LoadPicture(IDB_STATUS_ICONS, LR_CREATEDIBSECTION));
        const TUniqueBitmap mask(LoadPicture(IDB_STATUS_MASK, LR_MONOCHROME));
        if (list && reference16) {
            ::ImageList_Add(list.get(), reference16.get(), mask.get());
        }
    }
    return list;
}

std::array<TUniqueBitmap, 3> LoadModePictures(int32_t dpi, int32_t width, int32_t height) {
    const bool reference = dpi == ReferenceDpi;
    const auto picture = [&](int id, const TPixels& large) {
        HBITMAP scaled = reference ? nullptr : ScaledPicture(large, ScaleToDpi(width, dpi), ScaleToDpi(height, dpi));
        return TUniqueBitmap(scaled ? scaled : LoadPicture(id, LR_CREATEDIBSECTION));
    };
    // wiz_01, wiz_02 and wiz_03, one above the other.
    const TPixels modes = reference ? TPixels{} : LoadPacked(IDR_WIZ_2X);
    std::array<TUniqueBitmap, 3> pictures;
    pictures[0] = picture(IDB_WIZ_01, Band(modes, 0, 3));
    pictures[1] = picture(IDB_WIZ_02, Band(modes, 1, 3));
    pictures[2] = picture(IDB_WIZ_03, Band(modes, 2, 3));
    return pictures;
}

TUniqueBitmap LoadLogo(int32_t dpi, int32_t width, int32_t height) {
    // Kept packed at both sizes; the larger one where it is there.
    const TPixels logo = dpi == ReferenceDpi ? TPixels{} : LoadPacked(IDR_LOGO_2X);
    return TUniqueBitmap(ScaledPicture(logo.Empty() ? LoadPacked(IDR_LOGO) : logo, ScaleToDpi(width, dpi),
                                       ScaleToDpi(height, dpi)));
}
