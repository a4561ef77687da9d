#pragma once
// What the panel's two dialogs share: shown over the panel without title-bar buttons, in large
// type, with "Annulla" and "Stampa" at the bottom right ("Stampa" the default button).
#include <QString>

class QBoxLayout;
class QDialog;
class QPushButton;

void preparaDialogo(QDialog* dialogo, const char* nome, const QString& titolo, double corpo);

struct BottoniDialogo {
    QPushButton* annulla = nullptr;
    QPushButton* stampa = nullptr;
};
BottoniDialogo bottoniAnnullaStampa(QDialog* dialogo, QBoxLayout* layout, const char* annulla,
                                    const char* stampa);
