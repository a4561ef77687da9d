#pragma once
// The program's pictures, drawn rather than shipped: the icon (a glass of red wine), the splash
// picture and the band along the bottom of the main window.
#include <QPixmap>
#include <QString>

// "Vinorda Lestro ZUPAR 02.01"
QString applicationTitle();

QPixmap programIcon(int size);
// background false: only the glass and the grapes, on a transparent ground.
QPixmap splashPicture(int width, int height, bool background = true);
