#include "panel/documento.h"

#include "data/database.h"
#include "documents/kinds.h"
#include "documents/service.h"
#include "panel/vendita.h"

QString msgRigaSenzaProdotto(const QString& descrizione) {
    return QStringLiteral(
               "   La riga \"%1\" non corrisponde più a nessun prodotto: toglierla dalla vendita "
               "e inserirla di nuovo. Nessun documento è stato scritto   ")
        .arg(descrizione);
}

QString msgDocumentoNonStampato() {
    return QStringLiteral(
        "   Documento non stampato: non è stato registrato, la vendita resta sul pannello e il "
        "magazzino non è stato scaricato   ");
}

QString msgDocumentoNonScaricato(const QString& documNumero) {
    return QStringLiteral(
               "   Documento %1 stampato, ma il magazzino non è stato scaricato: stamparlo di "
               "nuovo dalla finestra dei documenti per scaricarlo   ")
        .arg(documNumero);
}

namespace {
// The lines turned into the document leave the sale; the receipt number stays.
void svuotaRighe(VenditaInCorso& vendita, const QVector<RigaVendita>& righe) {
    QVector<qint64> ids;
    for (const RigaVendita& r : righe) ids << r.id;
    {
        Database::Transaction tx(vendita.db());
        vendita.svuota(ids, false);
        tx.commit();
    }
    vendita.rileggi();
}
}  // namespace

RigheDaVendita righe_da_vendita(Database& db, const QVector<RigaVendita>& vendita,
                                const ClienteRiga& cliente) {
    RigheDaVendita out;
    for (const RigaVendita& r : vendita) {
        // The short name as the panel sold it, else the product the line was sold as.
        std::optional<ProdottoRiga> p;
        if (const auto perNome = prodotto_per_nome(db, r.codiceBreve))
            p = trovaProdotto(db, perNome->codice);
        if (!p && !r.codVino.isEmpty()) p = trovaProdotto(db, r.codVino);
        if (!p) return {{}, msgRigaSenzaProdotto(r.descrizione)};
        CampiRiga riga;
        riga.codice = p->codice;
        riga.um = r.um;
        riga.litriPerUnita = r.litriPerUnita;
        riga.stato = r.stato;
        riga.quantita = r.quantita;
        riga.descrizione = r.descrizione;
        riga.prezzo = prezzoPannello(*p, cliente.listino, r.prezzo);
        // A product without stock is linked to nothing, as on the documents' own lines: it
        // is marked discharged but never moves stock or the journal.
        riga.codVino = r.stato == QLatin1String("0") ? QString() : r.codVino;
        riga.volume = r.volume;
        riga.iva = p->iva;
        riga.sconto = cliente.sconto;
        riga.scaricato = false;
        out.righe << riga;
    }
    return out;
}

DocumentoCreato crea_documento(Database& db, const VenditaDocumento& v,
                               const QVector<RigaVendita>& vendita) {
    if (v.cliente.isEmpty()) return {{}, msgSelezionareCliente()};
    // Everything read and written in one go: the number taken is the next free one even when
    // another workstation writes a document of the same kind at the same moment.
    Database::Transaction tx(db);
    const RigheDaVendita righe = righe_da_vendita(db, vendita, clienteRiga(db, v.cliente));
    if (!righe.rifiuto.isEmpty()) return {{}, righe.rifiuto};
    NuovaTestata t;
    t.tipo = v.tipo;
    t.data = v.datamov;
    t.cliente = v.cliente;
    t.destinazione = v.cliente;
    t.ritiro = v.adesso.toString(QStringLiteral("dd/MM/yyyy hh:mm"));
    const EsitoDocumento e = creaDocumento(db, t, righe.righe);
    if (!e.ok()) return {{}, e.rifiuto};
    // Goods sold over the counter are delivered to the customer itself, whatever the kind.
    db.exec(QStringLiteral("UPDATE Fatture SET Destinazione = ? WHERE Docum_numero = ? AND "
                           "COALESCE(Destinazione, '') = ''"),
            {v.cliente, e.documNumero});
    tx.commit();
    return {e.documNumero, {}};
}

EsitoVenditaDocumento documento_da_vendita(VenditaInCorso& vendita, const VenditaDocumento& v,
                                           const StampaDocumentoPannello& stampa) {
    Database& db = vendita.db();
    vendita.rileggi();
    const QVector<RigaVendita> righe = vendita.righe();
    EsitoVenditaDocumento out;
    if (righe.isEmpty()) return out;
    const DocumentoCreato d = crea_documento(db, v, righe);
    if (!d.ok()) {
        out.esito = EsitoVenditaDocumento::Rifiutato;
        out.messaggio = d.rifiuto;
        return out;
    }
    out.documNumero = d.documNumero;
    bool suCarta = false;
    RisultatoStampa r;
    try {
        r = stampaDocumento(db, d.documNumero, [&](const QString& modello, const QString& titolo) {
            suCarta = stampa && stampa(d.documNumero, modello, titolo);
            return suCarta;
        });
    } catch (const DatabaseError&) {
        if (!suCarta) {
            vendita.rileggi();
            throw;
        }
        // On paper but not discharged: the document stays as printed (printing it again from
        // the documents window discharges it) and the sale goes, so it is not made twice.
        svuotaRighe(vendita, righe);
        out.esito = EsitoVenditaDocumento::NonScaricato;
        out.messaggio = msgDocumentoNonScaricato(d.documNumero);
        return out;
    }
    if (r.esito != EsitoStampa::Stampato) {
        // Not on paper: the document is taken back, so pressing "Ricevuta" again does not
        // leave a second one behind.
        cancellaDocumento(db, d.documNumero);
        out.esito = EsitoVenditaDocumento::NonStampato;
        out.messaggio = msgDocumentoNonStampato();
        vendita.rileggi();
        return out;
    }
    svuotaRighe(vendita, righe);
    out.esito = EsitoVenditaDocumento::Stampato;
    return out;
}
