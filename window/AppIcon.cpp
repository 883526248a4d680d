#include "AppIcon.h"

#include <QPixmap>

namespace {

// clang-format off
const char *const IconRows[] = {
    "16 16 6 1",
    ". c None",
    "# c #000000",
    "r c #FF0000",
    "y c #FFFF00",
    "g c #008000",
    "w c #FFFFFF",
    "................",
    "################",
    "#rrrrrrrrrryyyy#",
    "#rrrrrrrrrryyyy#",
    "################",
    "#ggg#wwwwwwwwww#",
    "#ggg#wwwwwwwwww#",
    "#ggg#wwwwwwwwww#",
    "#ggg#wwwwwwwwww#",
    "#ggg#wwwwwwwwww#",
    "#ggg#wwwwwwwwww#",
    "#ggg#wwwwwwwwww#",
    "#ggg#wwwwwwwwww#",
    "#ggg#wwwwwwwwww#",
    "################",
    "................",
};
// clang-format on

} // namespace

QImage AppIcon::image(int size)
{
    const QImage drawn(IconRows);
    if (size == DrawnSize)
        return drawn;
    return drawn.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

QIcon AppIcon::icon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(image(size)));
    return icon;
}
