// The program's icon, drawn at any size: a rounded tile holding a 3 x 3 mosaic of
// coloured tesserae. The window uses it, and the build makes the hicolor theme's
// pictures from it.
#pragma once

#include <QIcon>
#include <QImage>

QImage DrawAppIcon(int size);
// The theme's icon when one is installed, otherwise the drawn one at the usual sizes.
QIcon AppIcon();

// The sizes of the hicolor theme's pictures that the build makes.
inline constexpr int kAppIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256, 512};
// The icon's (and the desktop entry's) name.
inline constexpr const char* kAppId = "org.example.Tessaro";
