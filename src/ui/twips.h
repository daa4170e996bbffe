#pragma once

#include <QRect>
#include <QtMath>

namespace thornvale {

// The window is laid out in twips; at 96 dpi fifteen of them make one pixel. Qt scales
// device-independent pixels on high-DPI screens, so converting once here is enough.
constexpr int TwipsPerPixel = 15;

constexpr int px(int twips)
{
    // Round half away from zero, so -120 twips and 120 twips land on mirrored pixels.
    return twips >= 0 ? (twips + TwipsPerPixel / 2) / TwipsPerPixel
                      : -((-twips + TwipsPerPixel / 2) / TwipsPerPixel);
}

constexpr QRect pxRect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

} // namespace thornvale
