#include "stock/esportacsv.h"

#include "common/format.h"
#include "data/database.h"
#include "stock/ansi.h"

namespace {

// One line: each value between quotes, commas between them.
class Riga {
public:
    Riga(AnsiWriter& w, Conteggio& conteggio) : w_(w), conteggio_(conteggio) {}
    // A value as stored.
    Riga& operator<<(QByteArrayView stored) {
        open();
        w_.value(stored, true);
        return close();
    }
    // A number, a date or a constant, already in plain ASCII.
    Riga& ascii(QByteArrayView text) {
        open();
        w_.ascii(text);
        return close();
    }
    Riga& numero(double v) { return ascii(formatGeneralLatin1(v)); }
    void fine() {
        w_.endLine();
        first_ = true;
        conteggio_.riga();
    }

private:
    void open() {
        if (!first_) w_.ascii(',');
        first_ = false;
        w_.ascii('"');
    }
    Riga& close() {
        w_.ascii('"');
        return *this;
    }
    AnsiWriter& w_;
    Conteggio& conteggio_;
    bool first_ = true;
};

// A file: its header line, then the lines that write() adds. Returns the values changed.
int file(QIODevice& out, Conteggio& conteggio, const char* header,
         const std::function<void(Riga&)>& write) {
    AnsiWriter w(out);
    w.ascii(header);
    w.endLine();
    Riga riga(w, conteggio);
    write(riga);
    w.finish();
    return w.changedValues();
}

QByteArrayView um(QByteArrayView stato) {
    return Formati::stato(stato, '1') ? "li" : Formati::stato(stato, '2') ? "nr" : "";
}

// PRODOTTO, LITRI, PEZZI, UM, LOTTO, BOTTIGLIA of a movement, and the end of its line.
void articolo(Riga& riga, FontiEsportazione& fonti, QByteArrayView codVino, QByteArrayView stato,
              double litri, QByteArrayView lotto, QByteArrayView bottiglia) {
    double volume = 0;
    fonti.volume(bottiglia, &volume);
    riga << codVino;
    riga.numero(litri).numero(Formati::pezzi(stato, litri, volume)).ascii(um(stato));
    riga << lotto << bottiglia;
    riga.fine();
}

}  // namespace

CsvWriter::CsvWriter(Database& db, const PeriodoViste& periodo) : fonti_(db, periodo) {}

void CsvWriter::inizia(const SezioniCsv& s) {
    qint64 totale = 0;
    if (avanzamento_) {
        if (s.clienti) totale += fonti_.contaClienti();
        if (s.prodotti) totale += fonti_.contaProdotti();
        if (s.movimenti) totale += fonti_.contaDocumenti() + fonti_.contaCorrispettivi();
        if (s.giacenze) totale += fonti_.contaProdotti();
    }
    conteggio_.inizia(avanzamento_, totale);
}

int CsvWriter::clienti(QIODevice& out) {
    return file(
        out, conteggio_,
        "\"CODICE\",\"RAGIONE SOCIALE\",\"G/P\",\"PARTITA IVA\",\"CODICE FISCALE\",\"NOME\","
        "\"COGNOME\",\"INDIRIZZO\",\"CIVICO\",\"CITTA\",\"CAP\",\"PROVINCIA\",\"NAZIONE\","
        "\"TEL1\",\"TEL2\",\"TEL3\",\"FAX\",\"EMAIL\"",
        [&](Riga& riga) {
            SqlCursor c = fonti_.clienti();
            while (c.step()) {
                // The columns come in the file's order, all of them whatever the kind of customer.
                for (int i = 0; i < FontiEsportazione::cColonneCliente; ++i) riga << c.utf8(i);
                riga.fine();
            }
        });
}

int CsvWriter::prodotti(QIODevice& out) {
    using F = FontiEsportazione;
    return file(out, conteggio_,
                "\"CODICE\",\"DESCRIZIONE\",\"CATEGORIA\",\"STATO\",\"ATTO/CERT\","
                "\"CLASSIFICAZIONE\",\"ANNATA\",\"LOTTO\",\"BOTTIGLIA\",\"VOLUME\",\"ZONA\"",
                [&](Riga& riga) {
                    SqlCursor c = fonti_.prodotti();
                    while (c.step()) {
                        if (Formati::stato(c.utf8(F::pStato), '0')) continue;
                        for (int i = F::pCodice; i <= F::pBottiglia; ++i) riga << c.utf8(i);
                        double volume = 0;
                        if (fonti_.volume(c.utf8(F::pBottiglia), &volume))
                            riga.numero(volume);
                        else
                            riga << QByteArrayView();  // no packaging
                        riga << c.utf8(F::pZona);
                        riga.fine();
                    }
                });
}

int CsvWriter::movimenti(QIODevice& out) {
    return file(
        out, conteggio_,
        "\"DATA\",\"DOCUMENTO\",\"RIGA\",\"CLIENTE\",\"PRODOTTO\",\"LITRI\",\"PEZZI\","
        "\"UM\",\"LOTTO\",\"BOTTIGLIA\"",
        [&](Riga& riga) {
            {
                SqlCursor c = fonti_.documenti();
                const ColonneDocumenti col(c);
                Formati::Data data(QStringLiteral("dd/mm/yyyy"), QStringLiteral(" hh:nn:ss"));
                while (c.step()) {
                    riga.ascii(data(c.utf8(col.dataOra))) << c.utf8(col.documNumero);
                    if (c.isNull(col.rigaNum))
                        riga << QByteArrayView();
                    else
                        riga.ascii(QByteArray::number(c.integer(col.rigaNum)));
                    riga << c.utf8(col.cliente);
                    articolo(riga, fonti_, c.utf8(col.codVino), c.utf8(col.stato),
                             c.real(col.litri), c.utf8(col.lotto), c.utf8(col.bottiglia));
                }
            }
            SqlCursor c = fonti_.corrispettivi();
            const ColonneCorrispettivi col(c);
            const QDate fine = fonti_.periodo().ultimoGiorno();
            const QByteArray data = Formati::Data(QStringLiteral("dd/mm/yyyy"))(fine);
            const QByteArray documento = "CO" + Formati::Data(QStringLiteral("yyyymmdd"))(fine);
            qint64 posizione = 0;
            while (c.step()) {
                riga.ascii(data)
                    .ascii(documento)
                    .ascii(QByteArray::number(++posizione))
                    .ascii("PRIVATI");
                articolo(riga, fonti_, c.utf8(col.codVino), c.utf8(col.stato), c.real(col.litri),
                         c.utf8(col.lotto), c.utf8(col.bottiglia));
            }
        });
}

int CsvWriter::giacenze(QIODevice& out) {
    using F = FontiEsportazione;
    return file(out, conteggio_, "\"PRODOTTO\",\"LITRI\"", [&](Riga& riga) {
        SqlCursor c = fonti_.prodotti();
        while (c.step()) {
            const double litri = c.real(F::pLitri);
            if (litri == 0) continue;
            riga << c.utf8(F::pCodice);
            riga.numero(litri);
            riga.fine();
        }
    });
}

EsitoEsportazione esportaCsv(Database& db, const QString& cartella, const PeriodoViste& periodo,
                             const SezioniCsv& sezioni, const Orologio& orologio,
                             const Avanzamento& avanzamento) {
    const QString base = nomeBaseEsportazione(cartella, orologio());
    return eseguiEsportazione(base, [&](EsitoEsportazione& esito) {
        CsvWriter writer(db, periodo);
        writer.setAvanzamento(avanzamento);
        writer.inizia(sezioni);
        const struct {
            bool ticked;
            const char* suffix;
            int (CsvWriter::*write)(QIODevice&);
        } files[] = {{sezioni.clienti, "_CLI.csv", &CsvWriter::clienti},
                     {sezioni.prodotti, "_PRO.csv", &CsvWriter::prodotti},
                     {sezioni.movimenti, "_MOV.csv", &CsvWriter::movimenti},
                     {sezioni.giacenze, "_GIA.csv", &CsvWriter::giacenze}};
        for (const auto& f : files) {
            if (!f.ticked) continue;
            const QString path = base + QString::fromLatin1(f.suffix);
            salvaFile(path, [&](QIODevice& out) {
                const int cambiati = (writer.*f.write)(out);
                writer.segnala();  // a stop asked for now still leaves this file out
                esito.cambiati += cambiati;
            });
            esito.file << path;
        }
        writer.fine();
    });
}
