#include "documents/service.h"

#include <QSqlQuery>
#include <cmath>

#include "common/format.h"
#include "common/messages.h"
#include "data/database.h"
#include "data/field.h"
#include "data/schema.h"
#include "documents/kinds.h"
#include "documents/numbering.h"
#include "masterdata/masterdata_rules.h"
#include "stock/scarico.h"

namespace {
using Campi = QVector<QPair<QString, QVariant>>;

// A value checked as the data layer checks a post (text lengths, ranges) and converted to its
// stored form (currency in ten-thousandths, dates as text).
QVariant stored(const QString& table, const QString& field, const QVariant& v) {
    const FieldDef* d = Schema::field(table, field);
    if (!d) throw DatabaseError(QStringLiteral("Campo %1.%2 sconosciuto").arg(table, field));
    const Field f(nullptr, 0, d->name, d->type, d->size, FieldKind::Data);
    const QVariant n = f.normalized(v);
    if (n.isNull() || !n.isValid()) return QVariant();
    if (d->type == FieldType::Currency) return qint64(std::llround(n.toDouble() * 10000.0));
    return Database::bindValue(n);
}

qint64 insertRow(Database& db, const QString& table, const Campi& campi) {
    QStringList cols, marks;
    QVariantList vals;
    for (const auto& [name, value] : campi) {
        cols << QStringLiteral("\"%1\"").arg(name);
        marks << QStringLiteral("?");
        vals << stored(table, name, value);
    }
    db.exec(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                .arg(table, cols.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
            vals);
    return db.lastInsertId();
}

void updateHeader(Database& db, const QString& documNumero, const Campi& campi) {
    QStringList sets;
    QVariantList vals;
    for (const auto& [name, value] : campi) {
        sets << QStringLiteral("\"%1\" = ?").arg(name);
        vals << stored(QStringLiteral("Fatture"), name, value);
    }
    vals << documNumero;
    db.exec(QStringLiteral("UPDATE Fatture SET %1 WHERE Docum_numero = ?")
                .arg(sets.join(QLatin1Char(','))),
            vals);
}

bool isUniqueViolation(const DatabaseError& e) {
    return e.text().contains(QLatin1String("UNIQUE constraint failed"), Qt::CaseInsensitive);
}

struct Intestatario {
    QString iva;
    QString riferimento;
};

Intestatario intestatario(Database& db, const QString& cliente) {
    Intestatario out;
    QSqlQuery q = db.select(
        QStringLiteral("SELECT IVA, Riferimento FROM Anagrafica WHERE Codice = ?"), {cliente});
    if (q.next()) {
        out.iva = q.value(0).toString();
        out.riferimento = q.value(1).toString();
    }
    return out;
}
}  // namespace

QString msgSelezionareCliente() {
    return QStringLiteral("   Selezionare cliente !   ");
}
QString msgSelezionareDestinazione() {
    return QStringLiteral("   Selezionare destinazione !   ");
}
QString msgNumeroDuplicato() {
    return QStringLiteral("   Numero fattura DUPLICATO!   ");
}
QString msgNumeroFuoriLimiti() {
    return QStringLiteral("   Il numero del documento deve essere compreso tra %1 e %2   ")
        .arg(numeroMinimo)
        .arg(numeroMassimo);
}
QString msgMancaIvaBase() {
    return QStringLiteral(
        "   Manca l'aliquota IVA del documento: indicarla nella scheda del cliente "
        "oppure nella tabella IVA (Aiuto, Configurazione)   ");
}
QString msgNessunDocumento() {
    return QStringLiteral("   Non ci sono ancora documenti da stampare !   ");
}
QString msgDocumentoSenzaRighe() {
    return QStringLiteral("   Documento ancora senza righe !   ");
}
QString msgTipoSconosciuto() {
    return QStringLiteral("   Tipo di documento sconosciuto: nessun modello di stampa   ");
}

QString ivaBase(Database& db, const QString& cliente) {
    const QString own = intestatario(db, cliente).iva;
    if (!own.isEmpty()) return own;
    return ivaCodes(db).value(0);
}

QString controllaNuovaTestata(Database& db, const NuovaTestata& t) {
    const DocumentKind& kind = documentKind(t.tipo);
    if (t.cliente.isEmpty()) return msgSelezionareCliente();
    if (kind.destinazione && t.destinazione.isEmpty()) return msgSelezionareDestinazione();
    if (t.numero != 0) {
        if (!numeroValido(t.numero)) return msgNumeroFuoriLimiti();
        if (numeroEsistente(db, docum_numero(kind, t.data.year(), t.numero)))
            return msgNumeroDuplicato();
    }
    // A receipt carries no VAT; every other kind needs its base rate.
    if (kind.index != KindRicevuta && ivaBase(db, t.cliente).isEmpty()) return msgMancaIvaBase();
    return {};
}

Campi campiNuovaTestata(const NuovaTestata& t, int numero, const QString& aliva1,
                        const QString& vettore) {
    const DocumentKind& kind = documentKind(t.tipo);
    const int anno = t.data.year();
    const bool ricevuta = kind.docTipo == QLatin1String("N");
    Campi campi{
        {QStringLiteral("Causale"), QStringLiteral("Vendita")},
        {QStringLiteral("Docum_numero"), docum_numero(kind, anno, numero)},
        {QStringLiteral("Doc_tipo"), kind.docTipo},
        {QStringLiteral("DDTFATT"), kind.ddtfatt},
        {QStringLiteral("Fatturato"), kind.fatturato},
        {QStringLiteral("Num_fattura"), numero},
        {QStringLiteral("Anno"), QStringLiteral("%1").arg(anno, 4, 10, QLatin1Char('0'))},
        {QStringLiteral("Data"), t.data.startOfDay()},
        {QStringLiteral("Codice"), t.cliente},
        {QStringLiteral("Destinazione"), kind.destinazione ? t.destinazione : QString()},
        // Transport by the consignee, or by the customer's own carrier.
        {QStringLiteral("Trasporto"),
         vettore.isEmpty() ? QStringLiteral("D") : QStringLiteral("V")},
        {QStringLiteral("Vettore"), vettore.isEmpty() ? QVariant() : QVariant(vettore)},
        {QStringLiteral("Ritiro"), t.ritiro.isEmpty() ? QVariant() : QVariant(t.ritiro)},
        {QStringLiteral("Pagato"), false},
    };
    campi += campiTotali(calcolaTotali(aliva1, aliquota(aliva1), ricevuta, {0, 0, 0, 0}, {}));
    return campi;
}

Campi campiRiga(const CampiRiga& r) {
    return {
        {QStringLiteral("Docum_numero"), r.documNumero},
        {QStringLiteral("CodiceCli"), r.codiceCli},
        {QStringLiteral("Codice"), r.codice},
        {QStringLiteral("UM"), r.um},
        {QStringLiteral("Litri_per_unita"), r.litriPerUnita},
        {QStringLiteral("Stato"), r.stato},
        {QStringLiteral("Quantita"), r.quantita},
        {QStringLiteral("Descrizione"), r.descrizione},
        {QStringLiteral("Prezzo"), r.prezzo},
        {QStringLiteral("IVA"), r.iva},
        {QStringLiteral("Cod_vino_collegato"), r.codVino},
        {QStringLiteral("Sconto"), r.sconto},
        {QStringLiteral("Volume"), r.volume},
        {QStringLiteral("Scaricato"), r.scaricato},
    };
}

namespace {
// The header of a new document, written inside the caller's transaction.
EsitoDocumento writeHeader(Database& db, const NuovaTestata& t) {
    const QString rifiuto = controllaNuovaTestata(db, t);
    if (!rifiuto.isEmpty()) return {{}, rifiuto};
    const DocumentKind& kind = documentKind(t.tipo);
    const int anno = t.data.year();
    const int numero = t.numero != 0 ? t.numero : prossimo_numero(db, kind.docTipo, anno);
    if (!numeroValido(numero)) return {{}, msgNumeroFuoriLimiti()};
    const QString numeroDoc = docum_numero(kind, anno, numero);
    const Intestatario cli = intestatario(db, t.cliente);
    const QString aliva1 = kind.index == KindRicevuta ? QString() : ivaBase(db, t.cliente);
    Campi campi = campiNuovaTestata(t, numero, aliva1, cli.riferimento);
    try {
        insertRow(db, QStringLiteral("Fatture"), campi);
    } catch (const DatabaseError& e) {
        // Another workstation wrote the same number between the check and the insert.
        if (isUniqueViolation(e)) return {{}, msgNumeroDuplicato()};
        throw;
    }
    return {numeroDoc, {}};
}

struct Testata {
    bool trovata = false;
    QString docTipo;
    QString codice;
    QDate data;
    int numFattura = 0;
    QString ddtfatt;
};

Testata testata(Database& db, const QString& documNumero) {
    Testata t;
    QSqlQuery q = db.select(QStringLiteral("SELECT Doc_tipo, Codice, Data, Num_fattura, DDTFATT "
                                           "FROM Fatture WHERE Docum_numero = ?"),
                            {documNumero});
    if (q.next()) {
        t.trovata = true;
        t.docTipo = q.value(0).toString();
        t.codice = q.value(1).toString();
        t.data = Database::parseDateTime(q.value(2).toString()).date();
        t.numFattura = q.value(3).toInt();
        t.ddtfatt = q.value(4).toString();
    }
    return t;
}

EsitoAggiunta insertLine(Database& db, const Testata& h, const QString& documNumero,
                         CampiRiga riga) {
    riga.documNumero = documNumero;
    if (riga.codiceCli.isEmpty()) riga.codiceCli = h.codice;
    preparaRiga(riga, h.docTipo == QLatin1String("N"));
    EsitoAggiunta out;
    out.controllo = controllaRiga(db, riga, true);
    if (out.controllo.esito == EsitoRiga::Rifiutata) return out;
    out.ordine = int(insertRow(db, QStringLiteral("Righe"), campiRiga(riga)));
    return out;
}
}  // namespace

EsitoDocumento creaTestata(Database& db, const NuovaTestata& t) {
    Database::Transaction tx(db);
    EsitoDocumento out = writeHeader(db, t);
    if (out.ok()) tx.commit();
    return out;
}

EsitoDocumento creaDocumento(Database& db, const NuovaTestata& t, const QVector<CampiRiga>& righe) {
    Database::Transaction tx(db);
    EsitoDocumento out = writeHeader(db, t);
    if (!out.ok()) return out;
    const Testata h = testata(db, out.documNumero);
    for (const CampiRiga& r : righe) {
        const EsitoAggiunta a = insertLine(db, h, out.documNumero, r);
        if (a.controllo.esito == EsitoRiga::Rifiutata) return {{}, a.controllo.messaggio};
    }
    ricalcolaTotali(db, out.documNumero);
    tx.commit();
    return out;
}

EsitoAggiunta aggiungiRiga(Database& db, const QString& documNumero, CampiRiga riga,
                           bool ricalcola) {
    Database::Transaction tx(db);
    const Testata h = testata(db, documNumero);
    if (!h.trovata)
        throw DatabaseError(QStringLiteral("Il documento %1 non esiste").arg(documNumero));
    EsitoAggiunta out = insertLine(db, h, documNumero, std::move(riga));
    if (out.controllo.esito == EsitoRiga::Rifiutata) return out;
    if (ricalcola) ricalcolaTotali(db, documNumero);
    tx.commit();
    return out;
}

QVector<CampiRiga> righeDocumento(Database& db, const QString& documNumero) {
    QVector<CampiRiga> out;
    QSqlQuery q =
        db.select(QStringLiteral(
                      "SELECT Ordine, Docum_numero, CodiceCli, Codice, UM, Litri_per_unita, Stato, "
                      "Quantita, Descrizione, Prezzo, IVA, Cod_vino_collegato, Sconto, Volume, "
                      "Scaricato FROM Righe WHERE Docum_numero = ? ORDER BY Ordine"),
                  {documNumero});
    while (q.next()) {
        CampiRiga r;
        r.ordine = q.value(0).toInt();
        r.documNumero = q.value(1).toString();
        r.codiceCli = q.value(2).toString();
        r.codice = q.value(3).toString();
        r.um = q.value(4).toString();
        r.litriPerUnita = q.value(5).toDouble();
        r.stato = q.value(6).toString();
        r.quantita = q.value(7).toDouble();
        r.descrizione = q.value(8).toString();
        r.prezzo = double(q.value(9).toLongLong()) / 10000.0;
        r.iva = q.value(10).toString();
        r.codVino = q.value(11).toString();
        r.sconto = q.value(12).toDouble();
        r.volume = q.value(13).toDouble();
        r.scaricato = q.value(14).toInt() != 0;
        out.append(r);
    }
    return out;
}

QVector<RigaTotali> righeTotali(Database& db, const QString& documNumero) {
    QVector<RigaTotali> out;
    QSqlQuery q =
        db.select(QStringLiteral("SELECT IVA, Quantita, Prezzo, Sconto, Volume FROM Righe "
                                 "WHERE Docum_numero = ? ORDER BY Ordine"),
                  {documNumero});
    while (q.next()) {
        const double prezzo = double(q.value(2).toLongLong()) / 10000.0;
        out.append({q.value(0).toString(),
                    importoRiga(q.value(1).toDouble(), prezzo, q.value(3).toDouble()),
                    q.value(4).toDouble()});
    }
    return out;
}

Castelletto ricalcolaTotali(Database& db, const QString& documNumero) {
    Database::Transaction tx(db);
    QSqlQuery q = db.select(
        QStringLiteral(
            "SELECT ALIVA1, I1, Doc_tipo, SC1, SC2, SC3, SC4 FROM Fatture WHERE Docum_numero = ?"),
        {documNumero});
    if (!q.next()) return {};
    const Castelletto c = calcolaTotali(
        q.value(0).toString(), q.value(1).toInt(), q.value(2).toString() == QLatin1String("N"),
        {q.value(3).toInt(), q.value(4).toInt(), q.value(5).toInt(), q.value(6).toInt()},
        righeTotali(db, documNumero));
    updateHeader(db, documNumero, campiTotali(c));
    tx.commit();
    return c;
}

bool cancellaDocumento(Database& db, const QString& documNumero) {
    Database::Transaction tx(db);
    db.exec(QStringLiteral("DELETE FROM Righe WHERE Docum_numero = ?"), {documNumero});
    const int n =
        db.exec(QStringLiteral("DELETE FROM Fatture WHERE Docum_numero = ?"), {documNumero});
    tx.commit();
    return n > 0;
}

ScaricoDocumento scaricaDocumento(Database& db, const QString& documNumero) {
    struct Linea {
        int ordine;
        QString codVino;
        double litri;
        double volume;
    };
    ScaricoDocumento out;
    Database::Transaction tx(db);
    const Testata h = testata(db, documNumero);
    if (!h.trovata) return out;
    QVector<Linea> linee;
    {
        QSqlQuery q = db.select(
            QStringLiteral("SELECT Ordine, Cod_vino_collegato, Quantita, Litri_per_unita, Volume "
                           "FROM Righe WHERE Docum_numero = ? AND COALESCE(Scaricato, 0) = 0 "
                           "ORDER BY Ordine"),
            {documNumero});
        while (q.next())
            linee.append({q.value(0).toInt(), q.value(1).toString(),
                          q.value(2).toDouble() * q.value(3).toDouble(), q.value(4).toDouble()});
    }
    for (const Linea& l : linee) {
        if (l.codVino.isEmpty()) {
            segna_scaricato(db, l.ordine);
        } else {
            const MovimentoGiornale mov{h.data,      l.codVino, l.volume, h.codice,
                                        documNumero, l.ordine,  h.docTipo};
            registra_scarico(db, l.codVino, l.litri, mov, OrdineScarico::GiacenzaPoiGiornale,
                             l.ordine);
            ++out.scaricate;
        }
        ++out.segnate;
    }
    tx.commit();
    return out;
}

RisultatoStampa stampaDocumento(Database& db, const QString& documNumero,
                                const StampaDocumentoFn& print) {
    RisultatoStampa out;
    const Testata h = testata(db, documNumero);
    if (!h.trovata || h.numFattura == 0) {
        Mymsg::message(msgNessunDocumento());
        return out;
    }
    if (db.scalar(QStringLiteral("SELECT COUNT(*) FROM Righe WHERE Docum_numero = ?"),
                  {documNumero})
            .toInt() == 0) {
        Mymsg::message(msgDocumentoSenzaRighe());
        out.esito = EsitoStampa::SenzaRighe;
        return out;
    }
    const DocumentKind* kind = documentKindByDdtfatt(h.ddtfatt);
    if (!kind) {
        Mymsg::message(msgTipoSconosciuto());
        out.esito = EsitoStampa::TipoSconosciuto;
        return out;
    }
    // Only paper really printed moves the goods out of stock.
    if (!print || !print(kind->modello, kind->titolo)) {
        out.esito = EsitoStampa::NonStampato;
        return out;
    }
    out.scarico = scaricaDocumento(db, documNumero);
    out.esito = EsitoStampa::Stampato;
    return out;
}

QString msgNonRiepilogativa() {
    return QStringLiteral(
        "   I documenti di trasporto si importano solo in una fattura riepilogativa !   ");
}
QString msgDdtNonDisponibile() {
    return QStringLiteral(
        "   Il documento di trasporto non è più da fatturare per questo cliente: "
        "l'elenco viene riletto   ");
}

QString intestazioneDdt(int numero, const QDate& data) {
    return QStringLiteral("Doc. Trasporto n. %1 del %2")
        .arg(numero)
        .arg(formatDateTime(QStringLiteral("dd/mm/yyyy"), data.startOfDay()));
}

EsitoImportazione importaDdt(Database& db, const QString& fattura, const QString& ddt) {
    EsitoImportazione out;
    Database::Transaction tx(db);
    const Testata inv = testata(db, fattura);
    if (!inv.trovata || inv.ddtfatt != QLatin1String("R")) {
        out.rifiuto = msgNonRiepilogativa();
        return out;
    }
    // Read inside the write transaction: another workstation may have invoiced it meanwhile.
    const Testata bolla = testata(db, ddt);
    const QString fatturato =
        db.scalar(QStringLiteral("SELECT Fatturato FROM Fatture WHERE Docum_numero = ?"), {ddt})
            .toString();
    if (!bolla.trovata || bolla.docTipo != QLatin1String("B") || bolla.codice != inv.codice ||
        fatturato != QLatin1String("N")) {
        out.rifiuto = msgDdtNonDisponibile();
        return out;
    }
    CampiRiga titolo;
    titolo.descrizione = intestazioneDdt(bolla.numFattura, bolla.data);
    insertLine(db, inv, fattura, titolo);
    for (const CampiRiga& r : righeDocumento(db, ddt)) {
        if (r.codice.isEmpty()) continue;  // its own heading and text lines stay behind
        CampiRiga copia = r;
        copia.ordine = 0;
        const EsitoAggiunta a = insertLine(db, inv, fattura, copia);
        if (a.controllo.esito == EsitoRiga::Rifiutata) {
            out.rifiuto = a.controllo.messaggio;
            out.righe = 0;
            return out;  // the transaction rolls back: heading and lines before it go too
        }
        ++out.righe;
    }
    db.exec(QStringLiteral("UPDATE Fatture SET Fatturato = 'S' WHERE Docum_numero = ?"), {ddt});
    ricalcolaTotali(db, fattura);
    tx.commit();
    return out;
}
