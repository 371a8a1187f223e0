// The pictures for screens above 96 DPI: scaling the layout's pixels, the
// packed form the DLL keeps them in, their reduction to the size shown and
// the choice of the size to reduce from.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "options/layout_table.h"
#include "options/options_layout.h"
#include "options/packed_picture.h"

namespace {

TEST(DpiScale, RoundsEachValueOnceAndLeaves96Alone) {
    for (const TLayoutRow& row : OptionsLayout) {
        const TLayoutRect rect{row.Left, row.Top, row.Width, row.Height};
        const TLayoutRect same = ScaleToDpi(rect, ReferenceDpi);
        EXPECT_EQ(same.Left, rect.Left);
        EXPECT_EQ(same.Top, rect.Top);
        EXPECT_EQ(same.Width, rect.Width);
        EXPECT_EQ(same.Height, rect.Height);
    }
    // Halves round away from zero, both ways.
    EXPECT_EQ(ScaleToDpi(10, 120), 13);   // 12.5
    EXPECT_EQ(ScaleToDpi(-10, 120), -13);
    EXPECT_EQ(ScaleToDpi(450, 120), 563);  // 562.5
    EXPECT_EQ(ScaleToDpi(22, 144), 33);
    EXPECT_EQ(ScaleToDpi(538, 192), 1076);
    // A sum scaled once, not its parts: 3 + 25 at 150 % is 42, not 5 + 38.
    EXPECT_EQ(ScaleToDpi(PositionOnPage(OptionsLayout, LayoutIndex(u"RadioButton3")), 144).Left, 42);
    // Radio items keep their margins in proportion.
    const TLayoutRect item = RadioItemRect(ScaleToDpi(180, 192), ScaleToDpi(80, 192), 3, 1, 0, 26, 192);
    EXPECT_EQ(item.Left, 16);
    EXPECT_EQ(item.Width, 360 - 20);
}

std::vector<uint8_t> Packed(int width, int height, const std::vector<uint8_t>& tokens) {
    const uint8_t header[] = {'B', 'P', 'K', '1', static_cast<uint8_t>(width), static_cast<uint8_t>(width >> 8),
                              static_cast<uint8_t>(height), static_cast<uint8_t>(height >> 8)};
    std::vector<uint8_t> data(std::size(header) + tokens.size());
    std::copy(std::begin(header), std::end(header), data.begin());
    std::copy(tokens.begin(), tokens.end(), data.begin() + static_cast<std::ptrdiff_t>(std::size(header)));
    return data;
}

TPixels Unpack(const std::vector<uint8_t>& data) { return UnpackPicture(data.data(), data.size()); }

// Two literal pixels, a run of the last one, then the row above.
const std::vector<uint8_t> GoodTokens = {
    0x01, 0x10, 0x20, 0x30, 0xFF, 0x01, 0x02, 0x03, 0x00,  // blue-ish opaque, then transparent
    0x40 | 1,                                              // two more copies of the last pixel
    0x80 | 3,                                              // the row above, four pixels
};

TEST(PackedPicture, LiteralsRunsAndRowsComeOutInOrder) {
    const TPixels p = Unpack(Packed(4, 2, GoodTokens));
    ASSERT_EQ(p.Width, 4);
    ASSERT_EQ(p.Height, 2);
    const std::vector<uint32_t> want = {0xFF302010u, 0x00030201u, 0x00030201u, 0x00030201u,
                                        0xFF302010u, 0x00030201u, 0x00030201u, 0x00030201u};
    EXPECT_EQ(p.Bgra, want);
    // A count beyond the token's 63 and a distance in two base-128 groups:
    // 128 pixels as they stand, two more, then one from 130 back.
    std::vector<uint8_t> far = {0x3F, 128 - 64};
    for (int i = 0; i < 128; ++i) {
        far.insert(far.end(), {static_cast<uint8_t>(i), 0, 0, 0xFF});
    }
    far.insert(far.end(), {0x01, 1, 1, 1, 0xFF, 2, 2, 2, 0xFF, 0xC0, 0x82, 0x01});
    const TPixels wide = Unpack(Packed(131, 1, far));
    ASSERT_EQ(wide.Bgra.size(), 131u);
    EXPECT_EQ(wide.Bgra[130], 0xFF000000u) << "pixel 0 again";
}

TEST(PackedPicture, BrokenStreamsGiveNothing) {
    EXPECT_TRUE(UnpackPicture(nullptr, 0).Empty());
    std::vector<uint8_t> bad = Packed(4, 2, GoodTokens);
    bad[3] = '2';
    EXPECT_TRUE(Unpack(bad).Empty()) << "another format";
    EXPECT_TRUE(Unpack(Packed(0, 2, GoodTokens)).Empty()) << "no pixels";
    EXPECT_TRUE(Unpack(Packed(MaxPackedSide + 1, 1, GoodTokens)).Empty()) << "beyond the size limit";
    EXPECT_TRUE(Unpack(Packed(4, 3, GoodTokens)).Empty()) << "stream ends early";
    EXPECT_TRUE(Unpack(Packed(4, 1, GoodTokens)).Empty()) << "more pixels than the picture";
    std::vector<uint8_t> trailing = GoodTokens;
    trailing.push_back(0);
    EXPECT_TRUE(Unpack(Packed(4, 2, trailing)).Empty()) << "bytes after the last pixel";
    EXPECT_TRUE(Unpack(Packed(4, 1, {0x40})).Empty()) << "a run with nothing before it";
    EXPECT_TRUE(Unpack(Packed(4, 2, {0x80})).Empty()) << "the row above the first";
    EXPECT_TRUE(Unpack(Packed(4, 1, {0x00, 1, 2, 3, 4, 0xC2, 0x00})).Empty()) << "distance 0";
    EXPECT_TRUE(Unpack(Packed(4, 1, {0x00, 1, 2, 3, 4, 0xC2, 0x02})).Empty()) << "a copy before the start";
    EXPECT_TRUE(Unpack(Packed(4, 1, {0x00, 1, 2, 3, 4, 0xC2, 0x81})).Empty()) << "distance cut short";
    EXPECT_TRUE(Unpack(Packed(4, 1, {0x03, 1, 2, 3})).Empty()) << "literal cut short";
    EXPECT_TRUE(Unpack(Packed(100, 1, {0x3F})).Empty()) << "count cut short";
    EXPECT_TRUE(Unpack(Packed(100, 1, {0x3F, 0xFF, 0xFF, 0xFF, 0x7F})).Empty()) << "count beyond the picture";
    EXPECT_TRUE(Unpack(Packed(100, 1, {0x3F, 0xFF, 0xFF, 0xFF, 0xFF, 0x01})).Empty()) << "endless number";
    // Every cut of a good stream is refused, none is read past its end.
    const std::vector<uint8_t> good = Packed(4, 2, GoodTokens);
    for (size_t size = 0; size < good.size(); ++size) {
        const std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_TRUE(Unpack(cut).Empty()) << size;
    }
}

TPixels Picture(int32_t width, int32_t height, std::vector<uint32_t> bgra) { return TPixels{width, height, bgra}; }

TEST(ResizePicture, AveragesTheAreaAndKeepsEdgesClean) {
    constexpr uint32_t Red = 0xFFFF0000u, Blue = 0xFF0000FFu, Clear = 0x00000000u;
    // Four pixels into one: their average.
    EXPECT_EQ(ResizePicture(Picture(2, 2, {Red, Blue, Red, Blue}), 1, 1).Bgra,
              std::vector<uint32_t>{0xFF800080u});
    // A transparent pixel lends no black to the edge; a mostly clear area
    // stays clear.
    EXPECT_EQ(ResizePicture(Picture(2, 2, {Red, Red, Red, Clear}), 1, 1).Bgra, std::vector<uint32_t>{Red});
    EXPECT_EQ(ResizePicture(Picture(2, 2, {Red, Clear, Clear, Clear}), 1, 1).Bgra, std::vector<uint32_t>{Clear});
    // Three into two: each output pixel takes half of the middle one.
    const TPixels thirds = ResizePicture(Picture(3, 1, {0xFF000000u, 0xFF000096u, 0xFF0000FFu}), 2, 1);
    EXPECT_EQ(thirds.Bgra, (std::vector<uint32_t>{0xFF000032u, 0xFF0000DCu}));
    // The same size gives the picture back.
    const TPixels same = Picture(2, 1, {Red, Clear});
    EXPECT_EQ(ResizePicture(same, 2, 1).Bgra, same.Bgra);
    EXPECT_TRUE(ResizePicture(Picture(2, 2, {Red}), 1, 1).Empty()) << "pixels short of the size";
    EXPECT_TRUE(ResizePicture(same, 0, 1).Empty());
}

TEST(ResizePicture, StatusStripCellsStayApart) {
    // Two 4-pixel cells, red and blue, reduced to 3 each: no purple seam.
    std::vector<uint32_t> strip;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 8; ++x) {
            strip.push_back(x < 4 ? 0xFFFF0000u : 0xFF0000FFu);
        }
    }
    const TPixels small = ResizePicture(Picture(8, 4, strip), 6, 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 6; ++x) {
            EXPECT_EQ(small.Bgra[static_cast<size_t>(y * 6 + x)], x < 3 ? 0xFFFF0000u : 0xFF0000FFu) << x << "," << y;
        }
    }
}

TEST(SourceSize, NearestNotSmallerElseTheLargest) {
    constexpr int32_t sizes[] = {20, 24, 32};
    EXPECT_EQ(SourceSize(sizes, 3, 17), 20);
    EXPECT_EQ(SourceSize(sizes, 3, 20), 20);
    EXPECT_EQ(SourceSize(sizes, 3, 21), 24);
    EXPECT_EQ(SourceSize(sizes, 3, 28), 32);
    EXPECT_EQ(SourceSize(sizes, 3, 40), 32);
    EXPECT_EQ(SourceSize(sizes, 0, 20), 0);
}

}  // namespace
