#pragma once

// How the window's design maps onto Qt: its unit, the twip, and its colour roles.

#include <QPalette>
#include <QRect>

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

// The desktop colour roles the layout is drawn in, as the Qt palette names them:
//   window background -> Base, window text -> Text, highlight -> Highlight,
//   active border -> Mid (the palette has no border role; Mid is what styles draw frames with).
namespace design {
constexpr QPalette::ColorRole WindowBackground = QPalette::Base;
constexpr QPalette::ColorRole WindowText = QPalette::Text;
constexpr QPalette::ColorRole Highlight = QPalette::Highlight;
constexpr QPalette::ColorRole ActiveBorder = QPalette::Mid;
} // namespace design

} // namespace thornvale
