#include "stock/giornale.h"

#include <QTime>

#include "common/format.h"
#include "common/messages.h"
#include "data/database.h"
#include "data/shareddata.h"
#include "masterdata/masterdata_rules.h"
#include "stock/scarico.h"

namespace {

const QString kDataOra = QStringLiteral("Data_Ora");
constexpr int kRighePerPagina = 500;

void addPezzi(DataSet& ds, const QString& litriField) {
    ds.addLookupField(QStringLiteral("Volume"), FieldType::Float,
                      {QStringLiteral("Bottiglia"), QStringLiteral("Imballi"),
                       QStringLiteral("Bottiglia"), QStringLiteral("Volume")});
    ds.addCalculatedField(QStringLiteral("Pezzi"), FieldType::Float)
        .setDisplayFormat(QStringLiteral("#.###"));
    ds.onCalcFields = [litriField](DataSet& d) {
        d.field(QStringLiteral("Pezzi"))
            .setValue(pezzi(d.field(QStringLiteral("Stato")).asString(),
                            d.field(litriField).asFloat(),
                            d.field(QStringLiteral("Volume")).asFloat()));
    };
}

void titles(DataSet& ds) {
    // Titles of the grids and the print, set again after each open (fields are typed then).
    auto set = [&ds](const char* field, const char* title) {
        if (Field* f = ds.findField(QString::fromLatin1(field)))
            f->setTitle(QString::fromUtf8(title));
    };
    set("Data_Ora", "Data");
    set("Docum_numero", "Documento");
    set("Cod_vino", "Codice");
    set("SommaDiLitri", "Litri totali");
    if (Field* f = ds.findField(QStringLiteral("SommaDiLitri")))
        f->setDisplayFormat(QStringLiteral("0.###"));
    if (Field* f = ds.findField(QStringLiteral("Litri")))
        f->setDisplayFormat(QStringLiteral("0.###"));
}

}  // namespace

GiornaleMovimenti::GiornaleMovimenti(SharedData& sd, QObject* parent)
    : QObject(parent),
      documenti(sd.db, QStringLiteral("documenti"), this),
      corrispettivi(sd.db, QStringLiteral("corrispettivi"), this),
      dettaglio(sd.db, QStringLiteral("dettaglio"), this),
      controllo(sd.db, QStringLiteral("controllo"), this),
      sd_(sd) {
    documenti.setStoredQuery(QStringLiteral("Esporta_BF"));
    addPezzi(documenti, QStringLiteral("Litri"));
    // Years of movements are hundreds of thousands of rows: the grid reads them as it scrolls.
    // The direct sales are one row per product and are read whole.
    documenti.setFetchOnDemand(kRighePerPagina);
    corrispettivi.setStoredQuery(QStringLiteral("Esporta_N"));
    addPezzi(corrispettivi, QStringLiteral("SommaDiLitri"));
    // Every unexported direct sale of the selected product, oldest first, whatever the period.
    dettaglio.setTable(QStringLiteral("Giornale"), QStringLiteral("Esportato = 0 AND Tipo = 'N'"));
    dettaglio.sortBy(kDataOra);
    dettaglio.setMasterLink(&corrispettivi, QStringLiteral("Cod_vino"), QStringLiteral("Cod_vino"));
    dettaglio.setReadOnly(true);
    controllo.setStoredQuery(QStringLiteral("Esporta_controllo"));
    // The two summaries of the period are read again here after each change made here: on a
    // large journal one reading is what a cancellation may cost. controllo keeps the count of
    // the moment the window was shown.
    documenti.setFollowsDatabase(false);
    corrispettivi.setFollowsDatabase(false);
    controllo.setFollowsDatabase(false);
    for (DataSet* ds : {&documenti, &corrispettivi, &dettaglio})
        ds->afterOpen += [](DataSet& d) { titles(d); };
}

QString GiornaleMovimenti::testoData(const QDate& d) {
    return d.isValid() ? d.toString(QStringLiteral("dd/MM/yyyy")) : QString();
}

QDate GiornaleMovimenti::leggiData(const QString& text) {
    return parseTypedDate(text);
}

QVariant GiornaleMovimenti::inizioPeriodo(const QString& text) {
    const QDate d = leggiData(text);
    return d.isValid() ? QVariant(d.startOfDay()) : QVariant();
}

QVariant GiornaleMovimenti::finePeriodo(const QString& text) {
    const QDate d = leggiData(text);
    return d.isValid() ? QVariant(QDateTime(d, QTime(23, 59, 59))) : QVariant();
}

QString GiornaleMovimenti::msgConfermaRiga() {
    return QStringLiteral("   Confermi la cancellazione di questa riga ?   ");
}
QString GiornaleMovimenti::msgRicaricoDocumento() {
    return QStringLiteral(
        "   (Ricarico la giacenza e cancello la riga in fattura -> il documento va ristampato)   ");
}
QString GiornaleMovimenti::msgNienteDaStampare() {
    return QStringLiteral("   Non ci sono righe da stampare !   ");
}
QString GiornaleMovimenti::msgConfermaPeriodo(const QString& da, const QString& a) {
    return QStringLiteral("   Confermi che vuoi cancellare i movimenti dal ") + da +
           QStringLiteral(" al ") + a + QStringLiteral(" ?   ");
}
QString GiornaleMovimenti::msgDataNonValida(const QString& text) {
    return ::msgDataNonValida(text);
}
QString GiornaleMovimenti::msgPeriodoMancante() {
    return QStringLiteral("   Indicare le date del periodo (gg/mm/aaaa)   ");
}

bool GiornaleMovimenti::periodoValido(bool withMessage) const {
    for (const QString& t : {esportaDa, esportaA}) {
        if (!t.trimmed().isEmpty() && !leggiData(t).isValid()) {
            if (withMessage) Mymsg::message(msgDataNonValida(t.trimmed()));
            return false;
        }
    }
    return true;
}

void GiornaleMovimenti::FormShow() {
    controllo.close();
    controllo.open();
    esportaDa.clear();
    esportaA.clear();
    numero_ = controllo.isEmpty() ? 0 : controllo.field(QStringLiteral("NUM")).asInteger();
    if (!controllo.isEmpty()) {
        esportaDa = testoData(controllo.field(QStringLiteral("MI")).asDateTime().date());
        esportaA = testoData(controllo.field(QStringLiteral("MA")).asDateTime().date());
    }
    apre_db();
}

bool GiornaleMovimenti::apre_db() {
    if (!periodoValido(true)) return false;
    const QVariantList period{inizioPeriodo(esportaDa), finePeriodo(esportaA)};
    documenti.close();
    documenti.setParams(period);
    documenti.open();
    corrispettivi.close();
    corrispettivi.setParams(period);
    corrispettivi.open();
    dettaglio.close();
    dettaglio.open();
    return true;
}

void GiornaleMovimenti::FormClose() {
    documenti.close();
    corrispettivi.close();
    dettaglio.close();
    controllo.close();
}

int GiornaleMovimenti::numeroRighe() const {
    return numero_;
}

void GiornaleMovimenti::contaRighe(int tolte) {
    // Keeps "Stam&pa" truthful after rows left the journal here, without reading the whole
    // journal again.
    numero_ = qMax(0, numero_ - tolte);
}

void GiornaleMovimenti::riapri(DataSet& ds) {
    // Read again on the same row (or the nearest one), as after the user's own change.
    const int row = ds.recNo();
    ds.close();
    ds.open();
    // Reads on to that row when it lies beyond the first page; past the end, the last row.
    if (!ds.isEmpty() && !ds.setRecNo(qMax(0, row))) ds.setRecNo(ds.recordCount() - 1);
}

int annulla_movimento(Database& db, const MovimentoDaAnnullare& m,
                      const RicalcolaDocumento& ricalcola) {
    // Never a line gone with the stock not given back, nor a document left with its old totals.
    Database::Transaction tx(db);
    ricarica_giacenza(db, m.codVino, m.litri);
    if (m.rigaNum) db.exec(QStringLiteral("delete from righe where ordine=?"), {*m.rigaNum});
    const int tolte = db.exec(QStringLiteral("delete from giornale where id=?"), {m.id});
    if (!m.documNumero.isEmpty() && ricalcola) ricalcola(m.documNumero);
    tx.commit();
    return tolte;
}

bool GiornaleMovimenti::annullaDocumento() {
    if (!documenti.isOpen() || documenti.isEmpty()) return false;
    if (!Mymsg::confirmDelete(msgConfermaRiga() + QStringLiteral("\n\r") + msgRicaricoDocumento()))
        return false;
    MovimentoDaAnnullare m;
    m.id = documenti.field(QStringLiteral("ID")).value().toLongLong();
    m.codVino = documenti.field(QStringLiteral("Cod_vino")).asString();
    m.litri = documenti.field(QStringLiteral("Litri")).asFloat();
    const Field& riga = documenti.field(QStringLiteral("Riga_num"));
    if (!riga.isNull()) m.rigaNum = riga.asInteger();
    m.documNumero = documenti.field(QStringLiteral("Docum_numero")).asString();
    contaRighe(annulla_movimento(sd_.db, m, ricalcola_));
    riapri(documenti);
    return true;
}

bool GiornaleMovimenti::annullaCorrispettivo() {
    if (!corrispettivi.isOpen() || corrispettivi.isEmpty() || !dettaglio.isOpen() ||
        dettaglio.isEmpty())
        return false;
    if (!Mymsg::confirmDelete(msgConfermaRiga())) return false;
    MovimentoDaAnnullare m;
    m.codVino = corrispettivi.field(QStringLiteral("Cod_vino")).asString();
    m.litri = dettaglio.field(QStringLiteral("Litri")).asFloat();
    m.id = dettaglio.field(QStringLiteral("ID")).value().toLongLong();
    contaRighe(annulla_movimento(sd_.db, m));
    // The product's total shrinks; stay on the product while it still has sales.
    riapri(corrispettivi);
    corrispettivi.locate(QStringLiteral("Cod_vino"), m.codVino);
    return true;
}

bool GiornaleMovimenti::esportazioneOk() {
    if (!periodoValido(true)) return false;
    const QVariant da = inizioPeriodo(esportaDa), a = finePeriodo(esportaA);
    if (!da.isValid() || !a.isValid()) {
        Mymsg::message(msgPeriodoMancante());
        return false;
    }
    if (!Mymsg::confirmDelete(msgConfermaPeriodo(esportaDa, esportaA))) return false;
    const int tolte = sd_.db.exec(
        QStringLiteral("delete from giornale where Data_Ora >= ? AND Data_Ora <= ?"), {da, a});
    apre_db();
    contaRighe(tolte);
    return true;
}

bool GiornaleMovimenti::stampa() {
    if (numeroRighe() == 0) {
        Mymsg::message(msgNienteDaStampare());
        return false;
    }
    // The print lists every row of the period: it reads them itself, in a walk of its own that
    // keeps about a page in memory (the grid keeps the rows it has read).
    if (print_) print_(QStringLiteral("movimenti"), QStringLiteral("Giornale movimenti"));
    return true;
}
