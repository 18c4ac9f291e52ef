#pragma once
// Decoded pictures as Windows bitmaps, for the splash window and the image
// and button controls of wizard pages.

#include <windows.h>

#include "platform/picture.h"
#include "platform/unique_resource.h"

namespace qm::platform {

// How the alpha of the bitmap's pixels is stored: AlphaBlend (AC_SRC_ALPHA)
// and layered windows expect premultiplied colours; BitBlt ignores alpha,
// and straight colours keep the picture's own colours under transparency.
enum class BitmapAlpha { straight, premultiplied };

// A top-down 32-bit DIB section holding the picture (an HBITMAP in the
// owner); empty when GDI cannot make it.
UniqueGdiObject make_picture_bitmap(const Picture& picture, BitmapAlpha alpha);

}  // namespace qm::platform
