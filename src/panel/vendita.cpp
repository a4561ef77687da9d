#include "panel/vendita.h"

#include <QSqlQuery>
#include <limits>

#include "common/format.h"
#include "data/database.h"
#include "masterdata/masterdata_rules.h"
#include "panel/griglia.h"
#include "stock/scarico.h"

namespace {
constexpr double nessunLimite = 999999;
constexpr int lunghezzaNumero = 13;  // Appoggio_I.Docum_numero
}  // namespace

VenditaInCorso::VenditaInCorso(Database& db, QObject* parent)
    : QObject(parent),
      appoggio_R(db, QStringLiteral("appoggio_R"), this),
      appoggio_I(db, QStringLiteral("appoggio_I"), this),
      Somma(db, QStringLiteral("Somma"), this),
      db_(db) {
    appoggio_R.setTable(QStringLiteral("Appoggio_R"));
    appoggio_R.sortBy(QStringLiteral("ID"));
    appoggio_I.setTable(QStringLiteral("Appoggio_I"));
    Somma.setSql(QStringLiteral("SELECT SUM(TOTALE) AS TOT FROM APPOGGIO_R"));
    // The column's type follows its value (no lines: null), so the format is set at each open.
    Somma.afterOpen += [](DataSet& ds) {
        if (Field* f = ds.findField(QStringLiteral("TOT")))
            f->setDisplayFormat(QStringLiteral("0.00;;#"));
    };
    appoggio_R.afterOpen += [](DataSet& ds) {
        for (const char* f : {"PREZZO", "TOTALE"})
            ds.field(QString::fromLatin1(f)).setDisplayFormat(QStringLiteral("0.00 €;;#"));
    };
}

void VenditaInCorso::apri() {
    appoggio_R.open();
    appoggio_I.open();
    Somma.open();
    Q_EMIT cambiata();
}

void VenditaInCorso::chiudi() {
    if (appoggio_I.isEditing()) appoggio_I.post();
    appoggio_I.close();
    appoggio_R.close();
    Somma.close();
}

// ---- keypad

double VenditaInCorso::leggi_quantita(const QString& testo) {
    double v = 0;
    return parseNumber(testo, &v) ? v : 0.0;
}

void VenditaInCorso::Inserisce_numeri(const QString& cifra) {
    ingresso += cifra;
    quantita_digitata = leggi_quantita(ingresso);
    Q_EMIT cambiata();
}

void VenditaInCorso::Inserisce_virgola() {
    if (!ingresso.contains(QLatin1Char(','))) ingresso += QLatin1Char(',');
    Q_EMIT cambiata();
}

void VenditaInCorso::azzera_ingresso() {
    ingresso.clear();
    quantita_digitata = 0;
    Q_EMIT cambiata();
}

void VenditaInCorso::rileggi_ingresso() {
    quantita_digitata = leggi_quantita(ingresso);
    Q_EMIT cambiata();
}

bool VenditaInCorso::regola_scarica() const {
    return quantita_digitata != 0 && quantita_digitata <= quantita_massima;
}

// ---- selection

std::optional<ProdottoPannello> prodotto_per_nome(Database& db, const QString& nomeBreve) {
    if (nomeBreve.isEmpty()) return std::nullopt;
    QSqlQuery q = db.select(
        QStringLiteral("SELECT p.Codice_prodotto, p.Nome_breve, p.Descrizione, p.UM, p.Stato, "
                       "p.Litri, p.Prezzo_sinottico, (SELECT i.Volume FROM Imballi i WHERE "
                       "i.Bottiglia = p.Bottiglia ORDER BY i.rowid LIMIT 1) "
                       "FROM Prodotti p WHERE p.Nome_breve = ? ORDER BY p.rowid"),
        {nomeBreve});
    std::optional<ProdottoPannello> best;
    while (q.next()) {
        const QString codice = q.value(0).toString();
        if (best && !codicePrima(codice, best->codice)) continue;
        ProdottoPannello p;
        p.codice = codice;
        p.nomeBreve = q.value(1).toString();
        p.descrizione = q.value(2).toString();
        p.um = q.value(3).toString();
        p.stato = q.value(4).toString();
        p.litri = q.value(5).toDouble();
        p.prezzoSinottico = q.value(6).toDouble();
        p.volume = q.value(7).toDouble();
        p.pezzi = pezzi(p.stato, p.litri, p.volume);
        best = p;
    }
    return best;
}

void VenditaInCorso::Seleziona(const QString& nomeBreve) {
    prodotto_scelto = prodotto_per_nome(db_, nomeBreve);
    if (!prodotto_scelto) {
        // tipo_SB keeps what it showed; with no limit nothing can be sold.
        disponibile.clear();
        quantita_massima = 0;
        litri_per_pezzo = 1;
    } else if (prodotto_scelto->stato == QLatin1String("0")) {
        tipo_SB.clear();
        disponibile.clear();
        quantita_massima = nessunLimite;
        litri_per_pezzo = 0;
    } else {
        const ProdottoPannello& p = *prodotto_scelto;
        if (p.stato == QLatin1String("1"))
            tipo_SB = QStringLiteral("sfuso litri");
        else if (p.stato == QLatin1String("2"))
            tipo_SB = QStringLiteral("imbott. litri");
        else
            tipo_SB.clear();
        disponibile = formatGeneral(p.pezzi);
        quantita_massima = p.pezzi;
        litri_per_pezzo = p.volume == 0 ? 1.0 : p.volume;
    }
    Q_EMIT cambiata();
}

// ---- lines

bool VenditaInCorso::btnscaricaClick() {
    if (!regola_scarica() || !prodotto_scelto) return false;
    const ProdottoPannello& p = *prodotto_scelto;
    const double q = quantita_digitata;
    if (!appoggio_R.isOpen()) appoggio_R.open();
    appoggio_R.append();
    try {
        appoggio_R.field(QStringLiteral("Codice_Breve")).setValue(p.nomeBreve);
        appoggio_R.field(QStringLiteral("Descrizione")).setValue(p.descrizione);
        appoggio_R.field(QStringLiteral("UM")).setValue(p.um);
        appoggio_R.field(QStringLiteral("Quantita")).setValue(q);
        appoggio_R.field(QStringLiteral("PREZZO")).setValue(p.prezzoSinottico);
        appoggio_R.field(QStringLiteral("Cod_vino_collegato")).setValue(p.codice);
        appoggio_R.field(QStringLiteral("Litri_per_unita")).setValue(litri_per_pezzo);
        appoggio_R.field(QStringLiteral("Stato")).setValue(p.stato);
        appoggio_R.field(QStringLiteral("TOTALE"))
            .setValue(appoggio_R.field(QStringLiteral("PREZZO")).asFloat() * q);
        appoggio_R.field(QStringLiteral("Volume")).setValue(litri_per_pezzo * q);
        appoggio_R.post();
    } catch (...) {
        // A value the table refuses leaves no half line behind and the entry as typed.
        appoggio_R.cancel();
        throw;
    }
    ultimo = ingresso + QLatin1Char(' ') + p.descrizione;
    aggiorna_totale();
    azzera_ingresso();
    return true;
}

bool VenditaInCorso::elimina_riga(qint64 id) {
    if (!appoggio_R.isOpen() || !appoggio_R.locate(QStringLiteral("ID"), id)) return false;
    if (!appoggio_R.remove()) return false;
    aggiorna_totale();
    Q_EMIT cambiata();
    return true;
}

QVector<RigaVendita> VenditaInCorso::righe() const {
    QVector<RigaVendita> out;
    QSqlQuery q =
        db_.select(QStringLiteral("SELECT ID, Codice_Breve, Descrizione, UM, Quantita, PREZZO, "
                                  "Cod_vino_collegato, Litri_per_unita, Stato, TOTALE, Volume "
                                  "FROM Appoggio_R ORDER BY ID"));
    while (q.next()) {
        RigaVendita r;
        r.id = q.value(0).toLongLong();
        r.codiceBreve = q.value(1).toString();
        r.descrizione = q.value(2).toString();
        r.um = q.value(3).toString();
        r.quantita = q.value(4).toDouble();
        r.prezzo = q.value(5).toDouble();
        r.codVino = q.value(6).toString();
        r.litriPerUnita = q.value(7).toDouble();
        r.stato = q.value(8).toString();
        r.totale = q.value(9).toDouble();
        r.volume = q.value(10).toDouble();
        out << r;
    }
    return out;
}

bool VenditaInCorso::vuota() const {
    return db_.scalar(QStringLiteral("SELECT COUNT(*) FROM Appoggio_R")).toLongLong() == 0;
}

void VenditaInCorso::aggiorna_totale() {
    if (Somma.isOpen()) Somma.close();
    Somma.open();
    Q_EMIT cambiata();
}

double VenditaInCorso::totale() const {
    const Field* f = Somma.isOpen() ? Somma.findField(QStringLiteral("TOT")) : nullptr;
    return f && !Somma.isEmpty() ? f->asFloat() : 0.0;
}

QString VenditaInCorso::totaleTesto() const {
    return formatFloat(QStringLiteral("0.00;;#"), totale());
}

void VenditaInCorso::svuota(const QVector<qint64>& ids, bool contaNumero) {
    for (qint64 id : ids) db_.exec(QStringLiteral("DELETE FROM Appoggio_R WHERE ID = ?"), {id});
    // The header row is never deleted; a table without one gets it here.
    if (db_.scalar(QStringLiteral("SELECT COUNT(*) FROM Appoggio_I")).toLongLong() == 0)
        db_.exec(QStringLiteral("INSERT INTO Appoggio_I (Intesta1) VALUES (NULL)"));
    db_.exec(
        QStringLiteral("UPDATE Appoggio_I SET Intesta1 = '', Intesta2 = '', Intesta3 = '', "
                       "Intesta4 = ''"));
    if (!contaNumero) return;
    const QString numero =
        db_.scalar(QStringLiteral("SELECT Docum_numero FROM Appoggio_I LIMIT 1")).toString();
    const QString dopo = numero_successivo(numero);
    if (dopo != numero) db_.exec(QStringLiteral("UPDATE Appoggio_I SET Docum_numero = ?"), {dopo});
}

void VenditaInCorso::rileggi() {
    // A pending edit of the header was stored by its window; what is in the tables now counts.
    if (appoggio_I.isEditing()) appoggio_I.cancel();
    for (DataSet* ds : {&appoggio_R, &appoggio_I})
        if (ds->isOpen()) ds->refresh();
    aggiorna_totale();
}

void VenditaInCorso::svuota_vendita() {
    QVector<qint64> ids;
    for (const RigaVendita& r : righe()) ids << r.id;
    {
        Database::Transaction tx(db_);
        svuota(ids, false);
        tx.commit();
    }
    rileggi();
}

// ---- receipt

void VenditaInCorso::prepara_intestazione(const QDate& datamov) {
    if (!appoggio_I.isOpen()) appoggio_I.open();
    if (appoggio_I.isEditing()) appoggio_I.cancel();
    if (appoggio_I.isEmpty()) {
        appoggio_I.append();
    } else {
        appoggio_I.first();
        appoggio_I.edit();
    }
    appoggio_I.field(QStringLiteral("Data")).setValue(QDateTime(datamov, QTime(0, 0)));
}

QString VenditaInCorso::numero_successivo(const QString& numero) {
    bool ok = false;
    const qlonglong n = numero.trimmed().toLongLong(&ok);
    if (!ok || n == std::numeric_limits<qlonglong>::max()) return numero;
    const QString next = QString::number(n + 1);
    return next.size() > lunghezzaNumero ? numero : next;
}

VenditaInCorso::Scontrino VenditaInCorso::stampa_scontrino(const QDate& datamov,
                                                           const std::function<bool()>& stampa) {
    // The template prints the tables as read now, and exactly those lines are discharged.
    if (appoggio_I.isEditing()) appoggio_I.post();
    rileggi();
    const QVector<RigaVendita> stampate = righe();
    if (stampate.isEmpty()) return Scontrino::NienteDaStampare;
    if (!stampa()) return Scontrino::NonStampato;
    try {
        Database::Transaction tx(db_);
        QVector<qint64> ids;
        for (const RigaVendita& r : stampate) {
            ids << r.id;
            if (r.stato == QLatin1String("0")) continue;
            const double litri = r.quantita * r.litriPerUnita;
            MovimentoGiornale m;
            m.data = datamov;
            m.codVino = r.codVino;
            m.litri = litri;
            m.tipo = QStringLiteral("N");
            registra_scarico(db_, r.codVino, litri, m, OrdineScarico::GiacenzaPoiGiornale);
        }
        svuota(ids, true);
        tx.commit();
    } catch (...) {
        rileggi();
        throw;
    }
    rileggi();
    return Scontrino::Stampato;
}
