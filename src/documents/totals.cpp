#include "documents/totals.h"

#include <cmath>

#include "common/helpers.h"

int aliquota(const QString& codice) {
    int i = 0;
    const int n = int(codice.size());
    while (i < n && codice.at(i).isSpace()) ++i;
    bool negative = false;
    if (i < n && (codice.at(i) == QLatin1Char('+') || codice.at(i) == QLatin1Char('-'))) {
        negative = codice.at(i) == QLatin1Char('-');
        ++i;
    }
    if (i >= n) return 0;
    qint64 value = 0;
    for (; i < n; ++i) {
        const QChar c = codice.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return 0;
        value = value * 10 + (c.unicode() - '0');
        if (value > 2147483647LL) return 0;
    }
    return int(negative ? -value : value);
}

double Ivaround(QChar modo, double valore) {
    if (modo != QLatin1Char('E')) return valore;
    const long double x = static_cast<long double>(valore) * 100.0L;
    if (x == std::truncl(x)) return valore;
    return static_cast<double>(std::truncl(x + 0.5L * segno(valore)) / 100.0L);
}

double importoRiga(double quantita, double prezzo, double sconto) {
    return quantita * prezzo * (100.0 - sconto) / 100.0;
}

bool somma_aliquota(Castelletto& c, const QString& codice, double importo) {
    if (codice == c.aliva[0] || codice.isEmpty()) {
        c.imp[0] += importo;
        return false;
    }
    for (size_t n = 1; n < 4; ++n) {
        if (c.aliva[n].isEmpty()) {
            c.aliva[n] = codice;
            c.i[n] = aliquota(codice);
        }
        if (c.aliva[n] == codice) {
            c.imp[n] += importo;
            return false;
        }
    }
    return true;
}

Castelletto calcolaTotali(const QString& aliva1, int i1, bool ricevuta,
                          const std::array<int, 4>& sc, const QVector<RigaTotali>& righe) {
    Castelletto c;
    c.aliva[0] = ricevuta ? QString() : aliva1;
    c.i[0] = ricevuta ? 0 : i1;
    c.sc = sc;
    for (int r = 0; r < righe.size(); ++r) {
        // A receipt carries no VAT: its lines all belong to the empty base rate.
        const QString& code = ricevuta ? QString() : righe[r].iva;
        if (somma_aliquota(c, code, righe[r].importo)) c.righeEscluse << r;
        c.totLitri += righe[r].volume;
    }
    for (size_t n = 0; n < 4; ++n) {
        c.totsc[n] = c.imp[n] * c.sc[n] / 100.0;
        c.iva[n] = Ivaround(QLatin1Char('E'), c.i[n] * (c.imp[n] - c.totsc[n]) / 100.0);
    }
    c.totSconto = c.totsc[0] + c.totsc[1] + c.totsc[2] + c.totsc[3];
    c.totImponibile = c.imp[0] + c.imp[1] + c.imp[2] + c.imp[3] - c.totSconto;
    c.totIva = c.iva[0] + c.iva[1] + c.iva[2] + c.iva[3];
    c.totale = c.totImponibile + c.totIva;
    return c;
}

QVector<QPair<QString, QVariant>> campiTotali(const Castelletto& c) {
    QVector<QPair<QString, QVariant>> out;
    out.reserve(25);
    for (size_t n = 0; n < 4; ++n) {
        const QString k = QString::number(n + 1);
        out.append({QStringLiteral("ALIVA") + k, c.aliva[n]});
        out.append({QStringLiteral("I") + k, c.i[n]});
        out.append({QStringLiteral("IMP") + k, c.imp[n]});
        out.append({QStringLiteral("TOTSC") + k, c.totsc[n]});
        out.append({QStringLiteral("IVA") + k, c.iva[n]});
    }
    out.append({QStringLiteral("Tot_sconto"), c.totSconto});
    out.append({QStringLiteral("Tot_Imponibile"), c.totImponibile});
    out.append({QStringLiteral("Tot_Iva"), c.totIva});
    out.append({QStringLiteral("Totale"), c.totale});
    out.append({QStringLiteral("Tot_Litri"), c.totLitri});
    return out;
}

QString msgTroppeAliquote() {
    return QStringLiteral("   Errori nel calcolo : Eccessive aliquote IVA nella fattura (max.4)  ");
}

QString trasportoLettere(const QString& trasporto) {
    if (trasporto == QLatin1String("M")) return QStringLiteral("Mittente");
    if (trasporto == QLatin1String("D")) return QStringLiteral("Destinatario");
    if (trasporto == QLatin1String("V")) return QStringLiteral("Vettore");
    return {};
}

QString descrizioneDocumento(const QString& docTipo) {
    if (docTipo == QLatin1String("B")) return QStringLiteral("Docum.Trasporto");
    if (docTipo == QLatin1String("F")) return QStringLiteral("Fattura");
    if (docTipo == QLatin1String("N")) return QStringLiteral("Ricevuta (per privati)");
    return {};
}

QString nota_iva(const QString& codice, const QHash<QString, QString>& note) {
    const auto it = note.constFind(codice);
    if (it == note.constEnd()) return {};
    return QStringLiteral("(%1=%2)").arg(codice, *it);
}

QString noteIva(const std::array<QString, 4>& aliva, const std::array<double, 4>& imp,
                const std::array<double, 4>& iva, const QHash<QString, QString>& note) {
    QString out;
    if (imp[0] != 0 && iva[0] == 0) out = nota_iva(aliva[0], note);
    for (size_t n = 1; n < 4; ++n)
        if (imp[n] != 0 && iva[n] == 0) out += QLatin1Char(' ') + nota_iva(aliva[n], note);
    return out;
}
