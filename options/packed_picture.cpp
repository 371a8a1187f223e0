#include "options/packed_picture.h"

#include <algorithm>

namespace {

constexpr uint8_t Magic[4] = {'B', 'P', 'K', '1'};
constexpr size_t HeaderSize = 8;

}  // namespace

TPixels UnpackPicture(const uint8_t* data, size_t size) {
    if (!data || size < HeaderSize || !std::equal(Magic, Magic + 4, data)) {
        return {};
    }
    TPixels out;
    out.Width = data[4] | data[5] << 8;
    out.Height = data[6] | data[7] << 8;
    if (out.Empty() || out.Width > MaxPackedSide || out.Height > MaxPackedSide) {
        return {};
    }
    const size_t total = static_cast<size_t>(out.Width) * static_cast<size_t>(out.Height);
    out.Bgra.reserve(total);
    size_t at = HeaderSize;
    // A base-128 number; false when the stream ends in it or it exceeds any
    // count a picture can have.
    const auto number = [&](size_t& value) {
        value = 0;
        for (int shift = 0; shift <= 21; shift += 7) {
            if (at >= size) {
                return false;
            }
            const uint8_t part = data[at++];
            value |= static_cast<size_t>(part & 0x7Fu) << shift;
            if (part < 0x80) {
                return true;
            }
        }
        return false;
    };
    while (out.Bgra.size() < total) {
        if (at >= size) {
            return {};
        }
        const uint8_t token = data[at++];
        const unsigned kind = token >> 6;
        size_t count = (token & 0x3Fu) + 1u;
        size_t more = 0;
        if (count == 64 && !number(more)) {
            return {};
        }
        count += more;
        if (count > total - out.Bgra.size()) {
            return {};
        }
        if (kind == 0) {
            if ((size - at) / 4 < count) {
                return {};
            }
            for (size_t i = 0; i < count; ++i, at += 4) {
                out.Bgra.push_back(static_cast<uint32_t>(data[at]) | static_cast<uint32_t>(data[at + 1]) << 8 |
                                   static_cast<uint32_t>(data[at + 2]) << 16 |
                                   static_cast<uint32_t>(data[at + 3]) << 24);
            }
            continue;
        }
        size_t distance = kind == 1 ? 1 : static_cast<size_t>(out.Width);
        if (kind == 3 && !number(distance)) {
            return {};
        }
        if (distance == 0 || distance > out.Bgra.size()) {
            return {};
        }
        // One pixel at a time: a copy may overlap what it writes (a run).
        for (size_t i = 0; i < count; ++i) {
            out.Bgra.push_back(out.Bgra[out.Bgra.size() - distance]);
        }
    }
    return at == size ? out : TPixels{};
}

TPixels ResizePicture(const TPixels& source, int32_t width, int32_t height) {
    if (source.Empty() || width <= 0 || height <= 0 ||
        source.Bgra.size() != static_cast<size_t>(source.Width) * static_cast<size_t>(source.Height)) {
        return {};
    }
    TPixels out;
    out.Width = width;
    out.Height = height;
    out.Bgra.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    // In units of 1 / (width * source.Width) of a source pixel horizontally,
    // so every overlap is a whole number.
    const int64_t sw = source.Width, sh = source.Height;
    for (int32_t y = 0; y < height; ++y) {
        const int64_t y0 = y * sh, y1 = (y + 1) * sh;  // the output row's span, in source rows times height
        for (int32_t x = 0; x < width; ++x) {
            const int64_t x0 = x * sw, x1 = (x + 1) * sw;
            double weight = 0, alpha = 0, red = 0, green = 0, blue = 0;
            for (int64_t sy = y0 / height; sy < sh && sy * height < y1; ++sy) {
                const int64_t hy = std::min(y1, (sy + 1) * height) - std::max(y0, sy * height);
                for (int64_t sx = x0 / width; sx < sw && sx * width < x1; ++sx) {
                    const int64_t hx = std::min(x1, (sx + 1) * width) - std::max(x0, sx * width);
                    const double area = static_cast<double>(hx * hy);
                    const uint32_t p = source.Bgra[static_cast<size_t>(sy * sw + sx)];
                    const double a = static_cast<double>(p >> 24) * area;
                    weight += area;
                    alpha += a;
                    red += static_cast<double>((p >> 16) & 0xFF) * a;
                    green += static_cast<double>((p >> 8) & 0xFF) * a;
                    blue += static_cast<double>(p & 0xFF) * a;
                }
            }
            uint32_t pixel = 0;  // transparent: black under the mask
            if (weight > 0 && alpha * 2 >= weight * 255) {
                const auto channel = [&](double sum) {
                    return static_cast<uint32_t>(std::clamp(sum / alpha + 0.5, 0.0, 255.0));
                };
                pixel = 0xFF000000u | channel(red) << 16 | channel(green) << 8 | channel(blue);
            }
            out.Bgra[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] = pixel;
        }
    }
    return out;
}

int32_t SourceSize(const int32_t* sizes, size_t count, int32_t wanted) noexcept {
    int32_t best = 0, largest = 0;
    for (size_t i = 0; i < count; ++i) {
        largest = std::max(largest, sizes[i]);
        if (sizes[i] >= wanted && (best == 0 || sizes[i] < best)) {
            best = sizes[i];
        }
    }
    return best != 0 ? best : largest;
}
