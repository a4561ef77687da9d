#pragma once
// The shared 24 x 24 button pictures and imposta_pulsanti, which every button bar uses.
#include <QIcon>
#include <QString>

class QAbstractButton;

// Picture positions, each always used with the same caption.
enum ButtonImage {
    ImgNuovo = 0,
    ImgCancella = 1,
    ImgBlocca = 2,
    ImgModifica = 3,
    ImgScheda = 4,
    ImgLista = 5,
    ImgChiudi = 6,
    ImgStampa = 7,
};
constexpr int buttonImageCount = 8;

// The picture at index (drawn once, then cached); a null icon for an index out of range.
QIcon buttonImage(int index);

// Clears the button's picture, loads the picture at imageIndex and sets the caption.
void imposta_pulsanti(QAbstractButton* button, int imageIndex, const QString& caption);
