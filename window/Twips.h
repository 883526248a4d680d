#pragma once

#include <QRect>

// The window's layout is drawn in twips (1440 to the inch). At 96 dots per
// inch fifteen twips are one pixel, so a twip value divided by 15 is a
// device-independent pixel and scales with the screen.
namespace Twips {

constexpr int TwipsPerPixel = 15;

constexpr int toPixels(int twips)
{
    return twips / TwipsPerPixel;
}

constexpr QRect rect(int left, int top, int width, int height)
{
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

} // namespace Twips
