#include "stock/vireg.h"

#include "common/format.h"
#include "data/database.h"
#include "stock/ansi.h"
#include "stock/giornale.h"

namespace {

// Litres in hundred-thousandths, 17 digits.
QByteArray q17(double litri) {
    return formatZeroPadded(litri * 100000, 17);
}
QByteArray n10(double v) {
    return formatZeroPadded(v, 10);
}
QByteArray n9(qint64 v) {
    return formatZeroPadded(double(v), 9);
}

}  // namespace

ViregWriter::ViregWriter(Database& db, const PeriodoViste& periodo, Orologio orologio)
    : fonti_(db, periodo), orologio_(std::move(orologio)) {}

int ViregWriter::scrivi(QIODevice& out, const SezioniVireg& s) {
    AnsiWriter w(out);
    w_ = &w;
    bool codiceCambiato = false;
    codice_ = AnsiWriter::encode(fonti_.codiceAzienda(), &codiceCambiato).left(8);
    codice_.append(8 - codice_.size(), ' ');
    stampTime_ = QDateTime();

    qint64 totale = 0;
    if (avanzamento_) {
        if (s.clienti) totale += fonti_.contaClienti();
        if (s.prodotti) totale += fonti_.contaProdotti();
        if (s.movimenti) totale += fonti_.contaDocumenti() + fonti_.contaCorrispettivi();
        totale += fonti_.contaProdotti() * ((s.giacenze ? 1 : 0) + (s.carico ? 1 : 0));
    }
    conteggio_.inizia(avanzamento_, totale);
    if (s.clienti) clienti();
    if (s.prodotti) prodotti();
    if (s.movimenti) {
        documenti();
        corrispettivi();
    }
    if (s.giacenze) giacenze();
    if (s.carico) carico(s.dataCarico);
    w.finish();
    conteggio_.fine();
    w_ = nullptr;
    return w.changedValues() + (codiceCambiato ? 1 : 0);
}

void ViregWriter::record(const char* kind) {
    // Each record carries the time it was written.
    const QDateTime now = orologio_();
    if (stamp_.isEmpty() || now != stampTime_) {
        stampTime_ = now;
        stamp_ = codice_ + formatDateTime(QStringLiteral("yyyymmddhhnnss"), now).toLatin1() +
                 QByteArrayLiteral("00002S");
    }
    w_->ascii(stamp_);
    w_->ascii(kind);
}

void ViregWriter::tag(const char* tag) {
    w_->ascii("&#");
    w_->ascii(tag);
}

void ViregWriter::constant(const char* tag, const char* value) {
    this->tag(tag);
    w_->ascii(value);
}

void ViregWriter::field(const char* tag, QByteArrayView value) {
    this->tag(tag);
    w_->value(value);
}

void ViregWriter::end() {
    w_->ascii("&#");
    w_->endLine();
    conteggio_.riga();
}

void ViregWriter::articolo(QByteArrayView codice, const char* tag035, QByteArrayView stato,
                           double litri, QByteArrayView lotto, QByteArrayView bottiglia,
                           const char* tag038) {
    field("032", codice);
    constant("033", "T");
    constant("035", tag035);
    if (Formati::stato(stato, '1')) {
        number("036", q17(litri));
        constant("037", "li");
        constant("038", tag038);
    } else if (Formati::stato(stato, '2')) {
        double volume = 0;
        fonti_.volume(bottiglia, &volume);
        number("082", q17(litri));
        number("083", n10(Formati::pezzi(stato, litri, volume)));
        field("086", lotto);
        field("087", bottiglia);
        constant("088", "I");
    }
    end();
}

void ViregWriter::clienti() {
    using F = FontiEsportazione;
    SqlCursor c = fonti_.clienti();
    while (c.step()) {
        const QByteArrayView kind = c.utf8(F::cGiurPers);
        const bool g = Formati::stato(kind, 'G');
        record("RECORSMD");
        constant("001", "I");
        constant("002", "S");
        constant("003", "S");
        field("005", kind);
        field("010", c.utf8(F::cCodice));
        field("015", c.utf8(F::cRagioneSociale));
        if (g) {
            field("013", c.utf8(F::cPartitaIVA));
        } else {
            field("014", c.utf8(F::cCodiceFiscale));
            field("016", c.utf8(F::cNome));
            field("017", c.utf8(F::cCognome));
        }
        field("018", c.utf8(F::cIndirizzo));
        field("019", c.utf8(F::cNcivico));
        field("021", c.utf8(F::cCitta));
        field("022", c.utf8(F::cCAP));
        field("023", c.utf8(F::cProv));
        field("024", c.utf8(F::cSiglaNaz));
        constant("025", "I");
        field("031", c.utf8(F::cTelefono1));
        field("032", c.utf8(F::cTelefono2));
        field("033", c.utf8(F::cTelefono3));
        field("034", c.utf8(F::cFAX));
        field("035", c.utf8(F::cEmail));
        end();
    }
}

void ViregWriter::prodotti() {
    using F = FontiEsportazione;
    SqlCursor c = fonti_.prodotti();
    while (c.step()) {
        const QByteArrayView stato = c.utf8(F::pStato);
        if (Formati::stato(stato, '0')) continue;
        const QByteArrayView codice = c.utf8(F::pCodice);
        record("RECORSP ");
        constant("001", "I");
        field("003", codice);
        field("004", codice);
        field("005", c.utf8(F::pDescrizione));
        field("006", c.utf8(F::pCategoria));
        constant("007", "T");
        field("107", stato);
        constant("108", "T");
        field("061", c.utf8(F::pAttoCertificato));
        constant("062", "T");
        field("064", c.utf8(F::pClassificazione));
        constant("065", "T");
        constant("077", "01");
        constant("078", "T");
        if (!c.utf8(F::pAnnata).isEmpty()) field("096", c.utf8(F::pAnnata));
        if (Formati::stato(stato, '2')) {
            const QByteArrayView bottiglia = c.utf8(F::pBottiglia);
            double volume = 0;
            fonti_.volume(bottiglia, &volume);
            field("112", c.utf8(F::pLotto));
            field("190", bottiglia);
            field("191", bottiglia);
            constant("192", "T");
            number("196", q17(volume));
            constant("197", "li");
            constant("198", "T");
            constant("280", "S");
            constant("282", "S");
        } else if (Formati::stato(stato, '1')) {
            field("080", c.utf8(F::pZona));
            constant("081", "I");
        }
        end();
    }
}

void ViregWriter::documenti() {
    SqlCursor c = fonti_.documenti();
    const ColonneDocumenti col(c);
    while (c.step()) {
        record("RECORSV ");
        constant("001", "I");
        number("002", d8_(c.utf8(col.dataOra)));
        field("004", c.utf8(col.documNumero));
        number("005", n9(c.integer(col.rigaNum)));  // null reads as zero
        constant("006", "DOCUM.TRASP.");
        constant("007", "I");
        constant("008", "VENDITA");
        field("012", c.utf8(col.cliente));
        articolo(c.utf8(col.codVino), "S", c.utf8(col.stato), c.real(col.litri), c.utf8(col.lotto),
                 c.utf8(col.bottiglia), "I");
    }
}

void ViregWriter::corrispettivi() {
    SqlCursor c = fonti_.corrispettivi();
    const ColonneCorrispettivi col(c);
    const QByteArray fine = d8_(fonti_.periodo().ultimoGiorno());
    const QByteArray documento = "CO" + fine;
    qint64 posizione = 0;
    while (c.step()) {
        record("RECORSV ");
        constant("001", "I");
        number("002", fine);
        constant("008", "VENDITA");
        number("004", documento);
        number("005", n9(++posizione));
        constant("006", "CORRISPETTIVI");
        constant("007", "I");
        articolo(c.utf8(col.codVino), "S", c.utf8(col.stato), c.real(col.litri), c.utf8(col.lotto),
                 c.utf8(col.bottiglia), "I");
    }
}

void ViregWriter::giacenze() {
    using F = FontiEsportazione;
    SqlCursor c = fonti_.prodotti();
    while (c.step()) {
        const double litri = c.real(F::pLitri);
        if (litri == 0) continue;
        record("RECORSG ");
        constant("001", "I");
        number("002", d8_(stampTime_.date()));  // today, as the record's stamp says
        field("003", c.utf8(F::pCodice));
        number("005", q17(litri));
        constant("008", "li");
        constant("009", "I");
        end();
    }
}

void ViregWriter::carico(const QDate& data) {
    using F = FontiEsportazione;
    SqlCursor c = fonti_.prodotti();
    const QByteArray giorno = d8_(data);
    const QByteArray documento = "CA" + giorno;
    qint64 posizione = 0;
    while (c.step()) {
        ++posizione;  // skipped products keep their places
        const double litri = c.real(F::pLitri);
        if (litri == 0) continue;
        record("RECORSV ");
        constant("001", "I");
        number("002", giorno);
        number("004", documento);
        number("005", n9(posizione));
        constant("006", "GIIN");
        constant("007", "T");
        constant("008", "CARICO INIZIALE");
        articolo(c.utf8(F::pCodice), "C", c.utf8(F::pStato), litri, c.utf8(F::pLotto),
                 c.utf8(F::pBottiglia), "T");
    }
}

QString controllaDataCarico(const QString& testo, QDate* data) {
    const QString t = testo.trimmed();
    if (t.isEmpty()) return MsgEsportazione::dataCaricoMancante();
    *data = GiornaleMovimenti::leggiData(t);
    return data->isValid() ? QString() : GiornaleMovimenti::msgDataNonValida(t);
}

EsitoEsportazione esportaVireg(Database& db, const QString& cartella, const PeriodoViste& periodo,
                               const SezioniVireg& sezioni, const Orologio& orologio,
                               const Avanzamento& avanzamento) {
    const QString nome = nomeBaseEsportazione(cartella, orologio()) + QStringLiteral(".txt");
    if (sezioni.carico && !sezioni.dataCarico.isValid()) {
        EsitoEsportazione esito;
        esito.nome = nome;
        esito.errore = MsgEsportazione::dataCaricoMancante();
        return esito;
    }
    return eseguiEsportazione(nome, [&](EsitoEsportazione& esito) {
        ViregWriter writer(db, periodo, orologio);
        writer.setAvanzamento(avanzamento);
        salvaFile(nome, [&](QIODevice& out) { esito.cambiati = writer.scrivi(out, sezioni); });
        esito.file << nome;
    });
}
