#pragma once
// Sells as the panel does: the product tapped by its short name, the quantity typed on the
// keypad ("," the comma key), then "SCARICA". False when "SCARICA" was not enabled.
#include <QString>

#include "panel/vendita.h"

inline bool vendi(VenditaInCorso& v, const QString& breve, const QString& tasti) {
    v.Seleziona(breve);
    v.azzera_ingresso();
    for (QChar c : tasti) {
        if (c == QLatin1Char(','))
            v.Inserisce_virgola();
        else
            v.Inserisce_numeri(QString(c));
    }
    return v.btnscaricaClick();
}
