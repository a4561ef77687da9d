#include "stock/scarico.h"

#include <QLocale>

#include "common/format.h"
#include "common/helpers.h"
#include "data/database.h"
#include "data/field.h"
#include "data/schema.h"

QString valoreGiacenza(double litri) {
    // The C locale already writes a point; novirgola keeps the text safe whatever formatFloat
    // is given.
    return novirgola(formatFloat(QStringLiteral("0.###"), litri, QLocale::c()));
}

double arrotondaGiacenza(double litri) {
    return QLocale::c().toDouble(valoreGiacenza(litri));
}

double giacenza_attuale(Database& db, const QString& codiceProdotto) {
    const QVariant v = db.scalar(
        QStringLiteral("SELECT Litri FROM Prodotti WHERE Codice_prodotto = ?"), {codiceProdotto});
    return v.isValid() && !v.isNull() ? v.toDouble() : 0.0;
}

int imposta_giacenza(Database& db, const QString& codiceProdotto, double nuovaGiacenza) {
    return db.exec(QStringLiteral("update prodotti set litri=? where codice_prodotto=?"),
                   {arrotondaGiacenza(nuovaGiacenza), codiceProdotto});
}

int ricarica_giacenza(Database& db, const QString& codiceProdotto, double litri) {
    return db.exec(
        QStringLiteral("update prodotti set litri=coalesce(litri,0)+? where codice_prodotto=?"),
        {arrotondaGiacenza(litri), codiceProdotto});
}

namespace {

// The journal's own checks (text lengths, ranges), as the data layer applies them on a post.
QVariant checked(const char* name, const QVariant& v) {
    const FieldDef* d = Schema::field(QStringLiteral("Giornale"), QString::fromLatin1(name));
    Field f(nullptr, 0, d->name, d->type, d->size, FieldKind::Data);
    return f.normalized(v);
}

QVariant textOrNull(const QString& s) {
    return s.isEmpty() ? QVariant() : QVariant(s);
}

}  // namespace

qint64 scrivi_giornale(Database& db, const MovimentoGiornale& riga) {
    const QVariantList values{
        riga.data.isValid() ? QVariant(riga.data) : QVariant(),
        checked("Cod_vino", textOrNull(riga.codVino)),
        checked("Litri", riga.litri),
        checked("Cliente", textOrNull(riga.cliente)),
        checked("Docum_numero", textOrNull(riga.documNumero)),
        riga.rigaNum ? QVariant(*riga.rigaNum) : QVariant(),
        checked("Tipo", textOrNull(riga.tipo)),
    };
    db.exec(QStringLiteral("INSERT INTO Giornale (Data_Ora, Cod_vino, Litri, Cliente, "
                           "Docum_numero, Riga_num, Tipo) VALUES (?, ?, ?, ?, ?, ?, ?)"),
            values);
    return db.lastInsertId();
}

void segna_scaricato(Database& db, int ordine) {
    db.exec(QStringLiteral("update righe set scaricato=1 where ordine=?"), {ordine});
}

QString msgProdottoSenzaCodice() {
    return QStringLiteral(
        "   Prodotto senza codice: completare il codice in \"Prodotti e prezzi\" prima di "
        "registrare lo scarico   ");
}

void registra_scarico(Database& db, const QString& codiceProdotto, double litri,
                      const MovimentoGiornale& riga, OrdineScarico ordine,
                      std::optional<int> rigaDaSegnare) {
    if (codiceProdotto.trimmed().isEmpty()) throw DatabaseError(msgProdottoSenzaCodice());
    Database::Transaction tx(db);
    // Read inside the transaction: a second line of the same product sees the first one.
    const double attuale = giacenza_attuale(db, codiceProdotto);
    if (ordine == OrdineScarico::GiornalePoiGiacenza) {
        scrivi_giornale(db, riga);
        imposta_giacenza(db, codiceProdotto, attuale - litri);
    } else {
        imposta_giacenza(db, codiceProdotto, attuale - litri);
        scrivi_giornale(db, riga);
    }
    if (rigaDaSegnare) segna_scaricato(db, *rigaDaSegnare);
    tx.commit();
}
