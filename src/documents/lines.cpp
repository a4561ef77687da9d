#include "documents/lines.h"

#include <QSqlQuery>

#include "common/format.h"
#include "data/database.h"
#include "masterdata/masterdata_rules.h"

namespace {
const char* const productSelect =
    "SELECT p.Codice_prodotto, p.Descrizione, p.UM, p.IVA, p.Stato, p.Prezzo1, p.Prezzo2, "
    "p.Prezzo3, p.Prezzo4, p.Prezzo5, p.Prezzo_sinottico, p.Litri, "
    "(SELECT i.Volume FROM Imballi i WHERE i.Bottiglia = p.Bottiglia LIMIT 1) "
    "FROM Prodotti p WHERE p.Codice_prodotto = ?";

std::optional<ProdottoRiga> readProduct(QSqlQuery& q) {
    if (!q.next()) return std::nullopt;
    ProdottoRiga p;
    p.codice = q.value(0).toString();
    p.descrizione = q.value(1).toString();
    p.um = q.value(2).toString();
    p.iva = q.value(3).toString();
    p.stato = q.value(4).toString();
    for (int i = 0; i < 5; ++i) p.prezzi[size_t(i)] = q.value(5 + i).toDouble();
    p.prezzoSinottico = q.value(10).toDouble();
    p.litri = q.value(11).toDouble();
    p.volume = q.value(12).toDouble();
    return p;
}
}  // namespace

std::optional<ProdottoRiga> trovaProdotto(Database& db, const QString& codice) {
    QSqlQuery exact = db.select(QString::fromLatin1(productSelect), {codice});
    if (auto p = readProduct(exact)) return p;
    QSqlQuery folded = db.select(QString::fromLatin1(productSelect) +
                                     QStringLiteral(" COLLATE NOCASE ORDER BY p.rowid LIMIT 1"),
                                 {codice});
    return readProduct(folded);
}

ClienteRiga clienteRiga(Database& db, const QString& codice) {
    ClienteRiga c;
    QSqlQuery q = db.select(
        QStringLiteral("SELECT IVA, Listino, Giur_Pers, Sconto FROM Anagrafica WHERE Codice = ?"),
        {codice});
    if (q.next()) {
        c.iva = q.value(0).toString();
        c.listino = q.value(1).toString();
        c.giurPers = q.value(2).toString();
        c.sconto = q.value(3).toDouble();
    }
    return c;
}

double disponibile(const ProdottoRiga& p) {
    return pezzi(p.stato, p.litri, p.volume);
}

double prezzoDocumento(const ProdottoRiga& p, const ClienteRiga& c) {
    if (c.giurPers == QLatin1String("N")) return 0;
    const QString& l = c.listino;
    if (l.size() == 1 && l.at(0) >= QLatin1Char('1') && l.at(0) <= QLatin1Char('5'))
        return p.prezzi[size_t(l.at(0).unicode() - '1')];
    if (l == QLatin1String("6")) return p.prezzoSinottico;
    return 0;
}

double prezzoPannello(const ProdottoRiga& p, const QString& listino, double prezzoVendita) {
    if (listino.isEmpty()) return p.prezzi[0];
    if (listino.size() == 1 && listino.at(0) >= QLatin1Char('1') &&
        listino.at(0) <= QLatin1Char('5'))
        return p.prezzi[size_t(listino.at(0).unicode() - '1')];
    if (listino == QLatin1String("6")) return p.prezzoSinottico;
    return prezzoVendita;
}

void compilaRiga(CampiRiga& riga, const ProdottoRiga& p, const ClienteRiga& c, double quantita) {
    riga.codice = p.codice;
    riga.descrizione = p.descrizione;
    riga.um = p.um;
    if (!c.iva.isEmpty())
        riga.iva = c.iva;
    else if (!p.iva.isEmpty())
        riga.iva = p.iva;
    riga.prezzo = prezzoDocumento(p, c);
    riga.stato = p.stato;
    if (quantita != 0) riga.quantita = quantita;
    if (p.stato == QLatin1String("1")) {
        riga.codVino = p.codice;
        riga.litriPerUnita = 1;
    } else if (p.stato == QLatin1String("2")) {
        riga.codVino = p.codice;
        riga.litriPerUnita = p.volume;
    }
}

void preparaRiga(CampiRiga& riga, bool ricevuta) {
    if (ricevuta) riga.iva.clear();
    riga.volume = riga.quantita * riga.litriPerUnita;
}

ControlloRiga controllaRiga(Database& db, const CampiRiga& riga, bool nuova) {
    if (riga.codVino.isEmpty()) return {};
    if (riga.scaricato) {
        if (nuova) return {};
        return {EsitoRiga::Avviso, msgRigaScaricata()};
    }
    const std::optional<ProdottoRiga> p = trovaProdotto(db, riga.codice);
    if (!p || p->stato == QLatin1String("0")) return {};
    const double d = disponibile(*p);
    if (d >= riga.quantita) return {};
    return {EsitoRiga::Rifiutata, msgGiacenzaInsufficiente(d)};
}

QString msgRigaScaricata() {
    return QStringLiteral(
        "Attenzione! Questa riga è già stata inviata al registro\r\n"
        "Sa la modifica riguarda la quantità è necessario correggere "
        "manualmente le giacenze.");
}

QString msgGiacenzaInsufficiente(double disponibile) {
    return QStringLiteral("Giacenza insufficiente: disponibile ") + formatGeneral(disponibile);
}

QString msgCancellaRiga() {
    return QStringLiteral("   Confermi la cancellazione di questa riga ?   ");
}
