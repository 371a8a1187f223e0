// The options window's pictures at the DPI it is laid out for: the status
// pictures of clbStatuses, the mode pictures WIZ shows and the logo. At 96
// DPI the pictures as drawn; above, the larger drawings kept packed in the
// DLL, unpacked and reduced to the window's sizes. A missing one falls back
// to the 96-DPI picture, so the window always shows something.
#pragma once

#include <array>
#include <cstdint>

#include "base/win_handles.h"

// The status pictures, one image list entry per status; pictureSize gets
// the side of one picture as it is drawn.
TUniqueImageList LoadStatusPictures(int32_t dpi, int32_t& pictureSize);
// wiz_01, wiz_02 and wiz_03 for an image laid out width x height (96-DPI
// pixels).
std::array<TUniqueBitmap, 3> LoadModePictures(int32_t dpi, int32_t width, int32_t height);
// The logo for an image laid out width x height (96-DPI pixels).
TUniqueBitmap LoadLogo(int32_t dpi, int32_t width, int32_t height);
