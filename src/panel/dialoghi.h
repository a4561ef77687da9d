#pragma once
// What the panel's two dialogs share: shown over the panel without title-bar buttons, in large
// type, with "Annulla" and "Stampa" at the bottom right ("Stampa" the default button).
#include <QRect>
#include <QString>

class QBoxLayout;
class QDialog;
class QPushButton;

// How much smaller than drawn the panel and its dialogs are made to fit: 1 on a work area of at
// least 1024 x 768, less on a smaller one (a small screen, or a large scale factor, which leaves
// the same number of points on the glass as 1024 x 768 would).
double adattamento(const QRect& area);
double adattamento();  // of the desktop's work area

// corpo: the type size in points before adattamento().
void preparaDialogo(QDialog* dialogo, const char* nome, const QString& titolo, double corpo);
// A size drawn for 1024 x 768, made to fit.
int misura(int pixel);

struct BottoniDialogo {
    QPushButton* annulla = nullptr;
    QPushButton* stampa = nullptr;
};
BottoniDialogo bottoniAnnullaStampa(QDialog* dialogo, QBoxLayout* layout, const char* annulla,
                                    const char* stampa);
