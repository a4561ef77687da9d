#include "stock/registrazione.h"

#include "common/format.h"
#include "data/cursor.h"
#include "data/database.h"
#include "masterdata/masterdata_rules.h"
#include "stock/scarico.h"

std::optional<ProdottoRapido> RegistrazioneRapida::trovaProdotto(const QString& codice) const {
    bool ok = false;
    const qlonglong id = codice.trimmed().toLongLong(&ok);
    if (!ok) return std::nullopt;
    // Read as stored now: the stock changes with every operation of this window.
    SqlCursor q(
        db_,
        QStringLiteral("SELECT p.Auto_ID, p.Codice_prodotto, p.Descrizione, p.Stato, p.Bottiglia, "
                       "p.Litri, p.Prezzo_sinottico, (SELECT i.Volume FROM Imballi i WHERE "
                       "i.Bottiglia = p.Bottiglia LIMIT 1) FROM Prodotti p WHERE p.Auto_ID = ?"),
        {id});
    if (!q.step()) return std::nullopt;
    ProdottoRapido p;
    p.autoId = int(q.integer(0));
    p.codice = q.text(1);
    p.descrizione = q.text(2);
    p.stato = q.text(3);
    p.bottiglia = q.text(4);
    p.litri = q.real(5);
    p.prezzoSinottico = q.real(6);
    p.volume = q.real(7);
    return p;
}

RegistrazioneRapida::Preparazione RegistrazioneRapida::prepara_prodotto(const QString& codice) {
    Preparazione r;
    quantita_disponibile = 0;
    prodotto_ = trovaProdotto(codice);
    if (prodotto_ && prodotto_->codice.trimmed().isEmpty()) {
        // Written by another tool: its movements would name no product.
        r.messaggio = msgProdottoSenzaCodice();
        prodotto_.reset();
    }
    if (prodotto_) {
        const ProdottoRapido& p = *prodotto_;
        r.trovato = true;
        if (p.stato == QLatin1String("1"))
            r.tipoSB = QStringLiteral("litri sfuso");
        else if (p.stato == QLatin1String("2"))
            r.tipoSB = QStringLiteral("bottiglie");
        r.prodotto = p.descrizione;
        if (!p.stato.isEmpty()) {
            const double disponibili = pezzi(p.stato, p.litri, p.volume);
            r.giacenza = formatFloat(QStringLiteral("#.###"), disponibili);
            quantita_disponibile = disponibili;
            litri_per_pezzo = p.bottiglia.isEmpty() ? 1.0 : p.volume;
        } else {
            // No stock kind: no limit, and no litres move.
            quantita_disponibile = 999999;
            litri_per_pezzo = 0;
        }
    }
    r.disponibile = quantita_disponibile > 0;
    return r;
}

RegistrazioneRapida::Esito RegistrazioneRapida::conferma(OperazioneRapida op, double q,
                                                         const QString& quantitaTesto,
                                                         const QString& prodottoTesto,
                                                         const QDate& data) {
    Esito e;
    if (prodottoTesto.isEmpty() || !prodotto_) {
        e.messaggio = msgInserireCodice();
        e.svuotaCodice = true;
        e.focus = FocusRapido::Codice;
        return e;
    }
    const ProdottoRapido& p = *prodotto_;
    const double litri = q * litri_per_pezzo;
    const QString riga = quantitaTesto + QLatin1Char(' ') + prodottoTesto;

    auto controllaDisponibile = [&]() {
        if (!(quantita_disponibile > 0)) {
            e.messaggio = msgNonPresente();
            e.svuotaQuantita = true;
            e.svuotaCodice = true;
            e.focus = FocusRapido::Codice;
            return false;
        }
        if (q > quantita_disponibile) {
            e.messaggio = msgQuantitaNonValida();
            e.focus = FocusRapido::Quantita;
            return false;
        }
        return true;
    };
    // A manual change starts from the stock as stored now, never from a value read earlier.
    auto cambiaGiacenza = [&](double segno) {
        Database::Transaction tx(db_);
        imposta_giacenza(db_, p.codice, giacenza_attuale(db_, p.codice) + segno * litri);
        tx.commit();
    };

    switch (op) {
        case OperazioneRapida::ScaricoManuale:
            if (!controllaDisponibile()) return e;
            cambiaGiacenza(-1);
            operazioni << QStringLiteral("SCARICO MANUALE ") + riga;
            break;
        case OperazioneRapida::CaricoManuale:
            cambiaGiacenza(+1);
            operazioni << QStringLiteral("CARICO MANUALE ") + riga;
            break;
        case OperazioneRapida::Normale: {
            if (!data.isValid()) {
                e.messaggio = msgMancaData();
                return e;
            }
            if (!controllaDisponibile()) return e;
            MovimentoGiornale m;
            m.data = data;
            m.codVino = p.codice;
            m.litri = litri;
            m.tipo = QStringLiteral("N");
            registra_scarico(db_, p.codice, litri, m, OrdineScarico::GiornalePoiGiacenza);
            operazioni << riga;
            break;
        }
    }
    totale += p.prezzoSinottico * q;
    e.fatto = true;
    e.svuotaCodice = true;
    e.focus = FocusRapido::Codice;
    return e;
}

void RegistrazioneRapida::azzera() {
    operazioni.clear();
    totale = 0;
}
