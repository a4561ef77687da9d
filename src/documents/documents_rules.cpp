#include "documents/documents_rules.h"

#include <QSqlQuery>

#include "common/helpers.h"
#include "common/messages.h"
#include "data/database.h"
#include "data/shareddata.h"
#include "documents/service.h"
#include "documents/totals.h"
#include "masterdata/masterdata_rules.h"

namespace {
QString text(const DataSet& ds, const char* field) {
    return ds.field(QString::fromLatin1(field)).asString();
}
double number(const DataSet& ds, const char* field) {
    return ds.field(QString::fromLatin1(field)).asFloat();
}

void setText(DataSet& ds, const char* name, const QString& v) {
    Field& f = ds.field(QString::fromLatin1(name));
    if (f.asString() != v) f.setValue(v);
}
void setNumber(DataSet& ds, const char* name, double v) {
    Field& f = ds.field(QString::fromLatin1(name));
    // A missing value stays missing when the rule would write 0 (it reads as 0 anyway).
    if (f.isNull() ? v != 0 : f.asFloat() != v) f.setValue(v);
}

std::array<int, 4> scontiTestata(const DataSet& f) {
    return {f.field(QStringLiteral("SC1")).asInteger(), f.field(QStringLiteral("SC2")).asInteger(),
            f.field(QStringLiteral("SC3")).asInteger(), f.field(QStringLiteral("SC4")).asInteger()};
}

Castelletto totaliTestata(Database& db, const DataSet& f) {
    return calcolaTotali(text(f, "ALIVA1"), f.field(QStringLiteral("I1")).asInteger(),
                         text(f, "Doc_tipo") == QLatin1String("N"), scontiTestata(f),
                         righeTotali(db, text(f, "Docum_numero")));
}

void scriviTotali(DataSet& f, const Castelletto& c) {
    for (const auto& [name, value] : campiTotali(c)) f.field(name).setValue(value);
}

ProdottoRiga prodottoCorrente(const DataSet& p) {
    ProdottoRiga out;
    out.codice = text(p, "Codice_prodotto");
    out.descrizione = text(p, "Descrizione");
    out.um = text(p, "UM");
    out.iva = text(p, "IVA");
    out.stato = text(p, "Stato");
    for (int i = 0; i < 5; ++i)
        out.prezzi[size_t(i)] = p.field(QStringLiteral("Prezzo%1").arg(i + 1)).asFloat();
    out.prezzoSinottico = number(p, "Prezzo_sinottico");
    out.litri = number(p, "Litri");
    if (const Field* v = p.findField(QStringLiteral("Volume"))) out.volume = v->asFloat();
    return out;
}
}  // namespace

bool accettaDocumento(const FiltroDocumenti& f, const QString& docTipo, const QString& anno,
                      const QDateTime& data, const QString& codice, const QString& documNumero) {
    bool ok = true;
    if (f.stampa) {
        const SelezioneStampaDocumenti& s = *f.stampa;
        if (s.da.isValid() && (!data.isValid() || data < s.da)) ok = false;
        if (s.a.isValid() && (!data.isValid() || data > s.a)) ok = false;
        if (!s.cliente.isEmpty() && codice != s.cliente) ok = false;
        if ((docTipo == QLatin1String("B") && !s.ddt) ||
            (docTipo == QLatin1String("F") && !s.fatture) ||
            (docTipo == QLatin1String("N") && !s.privati))
            ok = false;
    }
    if (f.finestra) {
        if (!f.sempreVisibile.isEmpty() && documNumero == f.sempreVisibile) return true;
        ok = true;
        if (f.anno != 0 && anno != QStringLiteral("%1").arg(f.anno, 4, 10, QLatin1Char('0')))
            ok = false;
        if (!f.docTipo.isEmpty() && docTipo != f.docTipo) ok = false;
    }
    return ok;
}

DocumentRules::DocumentRules(SharedData& sd) : QObject(&sd), sd_(sd) {
    setObjectName(QStringLiteral("DocumentRules"));
}

DocumentRules* DocumentRules::of(SharedData& sd) {
    return sd.findChild<DocumentRules*>(QStringLiteral("DocumentRules"),
                                        Qt::FindDirectChildrenOnly);
}

QString DocumentRules::msgCancellaDocumento() {
    return QStringLiteral("   Confermi la cancellazione di questo documento ?   ");
}

void DocumentRules::ricaricaNoteIva() {
    noteIva_.clear();
    QSqlQuery q = sd_.db.select(QStringLiteral("SELECT IVA, Nota_fin FROM IVA ORDER BY Ordine"));
    while (q.next()) {
        const QString code = q.value(0).toString();
        if (!noteIva_.contains(code)) noteIva_.insert(code, q.value(1).toString());
    }
    noteLette_ = true;
}

const QHash<QString, QString>& DocumentRules::noteCodici() {
    if (!noteLette_) ricaricaNoteIva();
    return noteIva_;
}

// ---- headers

void DocumentRules::FattureBeforePost(DataSet& ds) {
    // A line still being typed belongs to the totals: it is saved first, and a refused line
    // keeps the header unsaved too.
    DataSet& r = sd_.righe;
    if (&ds == &sd_.Fatture && r.isOpen() && r.isEditing() && !r.checkBrowseMode()) throw Abort{};
    const Castelletto c = totaliTestata(ds.database(), ds);
    for (int i = 0; i < c.righeEscluse.size(); ++i) Mymsg::message(msgTroppeAliquote());
    scriviTotali(ds, c);
}

void DocumentRules::FattureCalcFields(DataSet& ds) {
    ds.field(QStringLiteral("Trasporto_l")).setValue(trasportoLettere(text(ds, "Trasporto")));
    ds.field(QStringLiteral("LitriLettere")).setValue(litri_in_lettere(number(ds, "Tot_Litri")));
    ds.field(QStringLiteral("Doc_descr")).setValue(descrizioneDocumento(text(ds, "Doc_tipo")));
    std::array<QString, 4> aliva;
    std::array<double, 4> imp{}, iva{};
    for (size_t n = 0; n < 4; ++n) {
        const QString k = QString::number(n + 1);
        aliva[n] = ds.field(QStringLiteral("ALIVA") + k).asString();
        imp[n] = ds.field(QStringLiteral("IMP") + k).asFloat();
        iva[n] = ds.field(QStringLiteral("IVA") + k).asFloat();
    }
    ds.field(QStringLiteral("NOTEIVA")).setValue(noteIva(aliva, imp, iva, noteCodici()));
}

void DocumentRules::FattureBeforeDelete(DataSet& ds) {
    if (!Mymsg::confirmDelete(msgCancellaDocumento())) throw Abort{};
    // The lines go with the header, without a question for each.
    cancellaDocumento(ds.database(), text(ds, "Docum_numero"));
}

bool DocumentRules::FattureFilterRecord(DataSet& ds) const {
    // Without criteria every header passes, and none of its fields need reading.
    const bool finestra = filtro.finestra && (filtro.anno != 0 || !filtro.docTipo.isEmpty());
    if (!filtro.stampa && !finestra) return true;
    // The fields by position: the filter runs once per header, tens of thousands of times.
    if (filterFields_.owner != &ds || filterFields_.count != ds.fieldCount()) {
        filterFields_.owner = &ds;
        filterFields_.count = ds.fieldCount();
        int i = 0;
        for (const char* name : {"Doc_tipo", "Anno", "Data", "Codice", "Docum_numero"})
            filterFields_.field[size_t(i++)] = &ds.field(QString::fromLatin1(name));
    }
    const auto& f = filterFields_.field;
    return accettaDocumento(filtro, f[0]->asString(), f[1]->asString(), f[2]->asDateTime(),
                            f[3]->asString(), f[4]->asString());
}

bool DocumentRules::cancellaDocumentoCorrente() {
    DataSet& f = sd_.Fatture;
    if (!f.isOpen() || f.isEmpty()) return false;
    if (!Mymsg::confirmDelete(msgCancellaDocumento())) return false;
    if (sd_.righe.isEditing()) sd_.righe.cancel();
    if (f.isEditing()) f.cancel();
    if (!cancellaDocumento(sd_.db, text(f, "Docum_numero"))) return false;
    f.refresh();
    return true;
}

// ---- lines

void DocumentRules::RigheNewRecord(DataSet& ds) {
    const DataSet& f = sd_.Fatture;
    if (f.isOpen() && !f.isEmpty()) {
        ds.field(QStringLiteral("CodiceCli")).setValue(text(f, "Codice"));
        ds.field(QStringLiteral("Docum_numero")).setValue(text(f, "Docum_numero"));
    }
    ds.field(QStringLiteral("Scaricato")).setValue(false);
}

void DocumentRules::RigheCalcFields(DataSet& ds) {
    ds.field(QStringLiteral("Totale"))
        .setValue(importoRiga(number(ds, "Quantita"), number(ds, "Prezzo"), number(ds, "Sconto")));
}

void DocumentRules::righeBeforeEdit(DataSet&) {
    // The header is saved again later, and its totals with it.
    DataSet& f = sd_.Fatture;
    if (f.isOpen() && !f.isEmpty() && !f.isEditing()) f.edit();
}

void DocumentRules::RigheBeforePost(DataSet& ds) {
    CampiRiga riga = leggiRiga(ds);
    const QString docTipo = sd_.db
                                .scalar(QStringLiteral("SELECT Doc_tipo FROM Fatture WHERE "
                                                       "Docum_numero = ?"),
                                        {riga.documNumero})
                                .toString();
    preparaRiga(riga, docTipo == QLatin1String("N"));
    setText(ds, "IVA", riga.iva);
    setNumber(ds, "Volume", riga.volume);
    const ControlloRiga c =
        controllaRiga(ds.database(), riga, ds.state() == DataSet::State::Insert);
    if (c.esito == EsitoRiga::Ok) return;
    Mymsg::message(c.messaggio);
    if (c.esito == EsitoRiga::Rifiutata) throw Abort{};
}

void DocumentRules::RigheBeforeDelete(DataSet&) {
    if (!Mymsg::confirmDelete(msgCancellaRiga())) throw Abort{};
}

void DocumentRules::totaliDopoRiga() {
    DataSet& f = sd_.Fatture;
    DataSet& r = sd_.righe;
    if (!f.isOpen() || f.isEmpty() || !f.canModify() || r.master() != &f) return;
    if (!f.isEditing() && !f.tryEdit()) return;
    scriviTotali(f, totaliTestata(sd_.db, f));
}

bool DocumentRules::completa_riga(const QString& codice, double quantita) {
    DataSet& r = sd_.righe;
    if (!r.isOpen() || !r.isEditing()) return false;
    std::optional<ProdottoRiga> p;
    const DataSet& prod = sd_.prodotti;
    if (prod.isOpen() && !prod.isEmpty() && text(prod, "Codice_prodotto") == codice)
        p = prodottoCorrente(prod);
    else if (prod.isOpen() && prod.isFiltered())
        return false;  // the picker offers only what it lists
    else
        p = trovaProdotto(sd_.db, codice);
    if (!p) return false;
    const DataSet& cli = sd_.clifatt;
    const QString codiceCliente = text(sd_.Fatture, "Codice");
    ClienteRiga c;
    if (cli.isOpen() && !cli.isEmpty() && text(cli, "Codice") == codiceCliente) {
        c.iva = text(cli, "IVA");
        c.listino = text(cli, "Listino");
        c.giurPers = text(cli, "Giur_Pers");
        c.sconto = number(cli, "Sconto");
    } else {
        c = clienteRiga(sd_.db, codiceCliente);
    }
    CampiRiga riga = leggiRiga(r);
    compilaRiga(riga, *p, c, quantita);
    scriviRiga(r, riga);
    return r.post();
}

CampiRiga leggiRiga(const DataSet& ds) {
    CampiRiga r;
    r.ordine = ds.field(QStringLiteral("Ordine")).asInteger();
    r.documNumero = text(ds, "Docum_numero");
    r.codiceCli = text(ds, "CodiceCli");
    r.codice = text(ds, "Codice");
    r.um = text(ds, "UM");
    r.litriPerUnita = number(ds, "Litri_per_unita");
    r.stato = text(ds, "Stato");
    r.quantita = number(ds, "Quantita");
    r.descrizione = text(ds, "Descrizione");
    r.prezzo = number(ds, "Prezzo");
    r.iva = text(ds, "IVA");
    r.codVino = text(ds, "Cod_vino_collegato");
    r.sconto = number(ds, "Sconto");
    r.volume = number(ds, "Volume");
    r.scaricato = ds.field(QStringLiteral("Scaricato")).asBool();
    return r;
}

void scriviRiga(DataSet& ds, const CampiRiga& r) {
    setText(ds, "Docum_numero", r.documNumero);
    setText(ds, "CodiceCli", r.codiceCli);
    setText(ds, "Codice", r.codice);
    setText(ds, "UM", r.um);
    setNumber(ds, "Litri_per_unita", r.litriPerUnita);
    setText(ds, "Stato", r.stato);
    setNumber(ds, "Quantita", r.quantita);
    setText(ds, "Descrizione", r.descrizione);
    setNumber(ds, "Prezzo", r.prezzo);
    setText(ds, "IVA", r.iva);
    setText(ds, "Cod_vino_collegato", r.codVino);
    setNumber(ds, "Sconto", r.sconto);
    setNumber(ds, "Volume", r.volume);
    Field& s = ds.field(QStringLiteral("Scaricato"));
    if (s.asBool() != r.scaricato) s.setValue(r.scaricato);
}

DocumentRules& attachDocumentRules(SharedData& sd) {
    if (DocumentRules* existing = DocumentRules::of(sd)) return *existing;
    attachMasterDataRules(sd);
    auto* r = new DocumentRules(sd);
    // Rates and slot discounts are shown as the amounts are.
    for (int n = 1; n <= 4; ++n)
        for (const char* f : {"I%1", "SC%1"})
            sd.Fatture.field(QString::fromLatin1(f).arg(n))
                .setDisplayFormat(QStringLiteral("0.00;;#"));
    sd.Fatture.beforePost += [r](DataSet& ds) { r->FattureBeforePost(ds); };
    sd.Fatture.beforeDelete += [r](DataSet& ds) { r->FattureBeforeDelete(ds); };
    sd.Fatture.onCalcFields = [r](DataSet& ds) { r->FattureCalcFields(ds); };
    sd.Fatture.onFilterRecord = [r](DataSet& ds) { return r->FattureFilterRecord(ds); };
    // The VAT notes as they are when the documents are opened.
    sd.Fatture.afterOpen += [r](DataSet&) { r->ricaricaNoteIva(); };
    sd.righe.onNewRecord += [r](DataSet& ds) { r->RigheNewRecord(ds); };
    sd.righe.onCalcFields = [r](DataSet& ds) { r->RigheCalcFields(ds); };
    sd.righe.beforeEdit += [r](DataSet& ds) { r->righeBeforeEdit(ds); };
    sd.righe.beforePost += [r](DataSet& ds) { r->RigheBeforePost(ds); };
    sd.righe.beforeDelete += [r](DataSet& ds) { r->RigheBeforeDelete(ds); };
    sd.righe.afterPost += [r](DataSet&) { r->totaliDopoRiga(); };
    sd.righe.afterDelete += [r](DataSet&) { r->totaliDopoRiga(); };
    return *r;
}
