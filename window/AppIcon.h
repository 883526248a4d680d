#pragma once

#include <QIcon>
#include <QImage>

// The program's icon: a small window with a black outline, a red and yellow
// title strip, a dark green left pane and a white body, drawn as 16 x 16
// pixels in the 16-colour palette.
class AppIcon
{
public:
    static constexpr int DrawnSize = 16;

    // The icon at `size` x `size` pixels, a multiple of 16, scaled up pixel
    // by pixel so it stays sharp.
    static QImage image(int size = DrawnSize);
    // Every size the desktop may ask for.
    static QIcon icon();
};
