#include "panel/griglia.h"

#include <QSqlQuery>
#include <cmath>

#include "data/database.h"
#include "masterdata/codedvalues.h"

int limita_griglia(const QVariant& stored) {
    bool ok = false;
    const qlonglong v = stored.isNull() ? 0 : stored.toLongLong(&ok);
    if (!ok || v < 1) return 1;
    return v > grigliaMassima ? grigliaMassima : int(v);
}

int arrotonda_pari(double v) {
    return int(std::nearbyint(v));  // the default rounding mode is to nearest, ties to even
}

MisureGriglia misure_griglia(int a, int b, int x, int y) {
    x = limita_griglia(x);
    y = limita_griglia(y);
    MisureGriglia m;
    // A product area smaller than the margins gives empty cells rather than negative ones.
    m.larghezza = std::max(0, (a - 8) / x);
    m.altezza = std::max(0, (b - 8) / y);
    m.sinistra = arrotonda_pari((a - x * m.larghezza) / 2.0);
    m.alto = arrotonda_pari((b - y * m.altezza) / 2.0);
    return m;
}

bool codicePrima(const QString& a, const QString& b) {
    return a.toCaseFolded() < b.toCaseFolded();
}

QVector<CellaGriglia> celle_griglia(const QVector<ProdottoGriglia>& prodotti, int x, int y) {
    x = limita_griglia(x);
    y = limita_griglia(y);
    const int n = x * y;
    QVector<CellaGriglia> celle(n);
    QVector<const ProdottoGriglia*> scelto(n, nullptr);
    for (const ProdottoGriglia& p : prodotti) {
        if (p.posizione < 1 || p.posizione > n) continue;
        const ProdottoGriglia*& s = scelto[p.posizione - 1];
        // Strictly before: of two equal codes the one met first (table order) stays.
        if (!s || codicePrima(p.codice, s->codice)) s = &p;
    }
    for (int i = 0; i < n; ++i) {
        CellaGriglia& c = celle[i];
        c.numero = i + 1;
        if (const ProdottoGriglia* p = scelto[i]) {
            c.prodotto = true;
            c.caption = p->nomeBreve;
            c.rgb = colore_cella(p->colore);
        }
    }
    return celle;
}

QVector<ProdottoGriglia> prodotti_griglia(Database& db, int maxPosizione) {
    QVector<ProdottoGriglia> out;
    QSqlQuery q = db.select(
        QStringLiteral("SELECT Codice_prodotto, Pos_Griglia, Nome_breve, Colore FROM Prodotti "
                       "WHERE Pos_Griglia BETWEEN 1 AND ? ORDER BY rowid"),
        {maxPosizione});
    while (q.next())
        out.push_back({q.value(0).toString(), q.value(1).toInt(), q.value(2).toString(),
                       q.value(3).toString()});
    return out;
}

DimensioniGriglia dimensioni_griglia(Database& db) {
    QSqlQuery q = db.select(QStringLiteral("SELECT Griglia_X, Griglia_Y FROM Intesta LIMIT 1"));
    DimensioniGriglia d;
    if (q.next()) {
        d.x = limita_griglia(q.value(0));
        d.y = limita_griglia(q.value(1));
    }
    return d;
}

namespace {
std::optional<unsigned> daBgr(qulonglong bgr) {
    // The high byte marks system colours, which have no fixed value.
    if (bgr > 0xFFFFFFull) return std::nullopt;
    const unsigned v = unsigned(bgr);
    return ((v & 0xFFu) << 16) | (v & 0xFF00u) | ((v >> 16) & 0xFFu);
}
}  // namespace

std::optional<unsigned> colore_cella(const QString& stored) {
    const QString t = stored.trimmed();
    if (t.isEmpty()) return std::nullopt;
    bool ok = false;
    qulonglong n = 0;
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        n = t.mid(2).toULongLong(&ok, 16);
    else if (t.startsWith(QLatin1Char('$')))
        n = t.mid(1).toULongLong(&ok, 16);
    else if (t.at(0).isDigit())
        n = t.toULongLong(&ok, 10);
    if (ok) return daBgr(n);
    for (const auto& c : coloreChoices())
        if (c.second.compare(t, Qt::CaseInsensitive) == 0) return colore_cella(c.first);
    return std::nullopt;
}
