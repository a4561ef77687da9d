#pragma once
// What the registry file and the CSV files share: the journal's two views for a period, the
// tables read in table order, the file names in the export folder, saving through QSaveFile
// (a failed or stopped export never leaves a half-written file under the final name), the
// progress, and the messages.
#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

#include "data/cursor.h"

class Database;
class QIODevice;
class AnsiWriter;
class GiornaleMovimenti;

// The period the journal window's views documenti and corrispettivi were read for: the bounds
// bound to Esporta_BF and Esporta_N (null when the journal was empty).
struct PeriodoViste {
    QVariant da;
    QVariant a;
    // From the texts of the two date fields, as "&Seleziona" reads them.
    static PeriodoViste daTesti(const QString& da, const QString& a);
    // The period the journal window's views were last read for ("&Seleziona" or showing).
    static PeriodoViste diGiornale(const GiornaleMovimenti& giornale);
    QDate ultimoGiorno() const { return a.toDateTime().date(); }
};

// The time of day for file names and record stamps; the tests give a fixed one.
using Orologio = std::function<QDateTime()>;
// The system's local time, to the second.
Orologio orologioDiSistema();

// Rows written so far and the rows expected in all; false stops the export.
using Avanzamento = std::function<bool(qint64 fatte, qint64 totale)>;
// Thrown when the progress said stop.
struct EsportazioneAnnullata {};

// What the registry file's sections and the CSV files are made of, read straight from the
// database: customers of kind "G" and "P" and every product in table order, the two views, the
// packaging volumes and the company code.
class FontiEsportazione {
public:
    FontiEsportazione(Database& db, const PeriodoViste& periodo);

    // Columns of clienti(), in the order of the customers' CSV file.
    enum Cliente {
        cCodice,
        cRagioneSociale,
        cGiurPers,
        cPartitaIVA,
        cCodiceFiscale,
        cNome,
        cCognome,
        cIndirizzo,
        cNcivico,
        cCitta,
        cCAP,
        cProv,
        cSiglaNaz,
        cTelefono1,
        cTelefono2,
        cTelefono3,
        cFAX,
        cEmail,
        cColonneCliente
    };
    enum Prodotto {
        pCodice,
        pDescrizione,
        pCategoria,
        pStato,
        pAttoCertificato,
        pClassificazione,
        pAnnata,
        pLotto,
        pBottiglia,
        pZona,
        pLitri
    };
    SqlCursor clienti();
    SqlCursor prodotti();  // every product: the initial load counts the skipped ones too
    SqlCursor documenti();
    SqlCursor corrispettivi();

    // Volume of one piece of a packaging (Imballi, first row of that code); false when the
    // code is not there.
    bool volume(QByteArrayView bottiglia, double* litri);
    // Intesta.CodiceAZ of the company header.
    QString codiceAzienda();

    const PeriodoViste& periodo() const { return periodo_; }

    // Upper bounds of the rows of each source, for the progress.
    qint64 contaClienti();
    qint64 contaProdotti();
    qint64 contaDocumenti();
    qint64 contaCorrispettivi();

private:
    Database& db_;
    PeriodoViste periodo_;
    QHash<QByteArray, QVariant> volumi_;
    bool volumiLetti_ = false;
    bool ultimaLetta_ = false;
    QByteArray ultimaBottiglia_;
    QVariant ultimoVolume_;
};

// Column indexes of the two views, found by name once per walk.
struct ColonneDocumenti {
    explicit ColonneDocumenti(const SqlCursor& c);
    int dataOra, documNumero, rigaNum, codVino, stato, bottiglia, lotto, litri, cliente;
};
struct ColonneCorrispettivi {
    explicit ColonneCorrispettivi(const SqlCursor& c);
    int codVino, stato, bottiglia, lotto, litri;
};

// The export's own counting of rows for the progress; the writers call riga() for each row.
class Conteggio {
public:
    void inizia(const Avanzamento& avanzamento, qint64 totale);
    void riga() {
        if (++fatte_ % 512 == 0) segnala();
    }
    // Tells the progress where the export is; throws EsportazioneAnnullata when told to stop.
    void segnala();
    void fine();

private:
    Avanzamento avanzamento_;
    qint64 fatte_ = 0;
    qint64 totale_ = 0;
};

// Values in the export files.
namespace Formati {
// Pieces of a quantity: whole pieces for a bottled product with a packaging volume, else the
// litres themselves.
double pezzi(QByteArrayView stato, double litri, double volume);
// "1", "2", "0" or empty as stored.
inline bool stato(QByteArrayView stato, char c) {
    return stato.size() == 1 && stato[0] == c;
}
// The date of a stored date-time text; invalid when empty or not a date.
QDateTime dataOra(QByteArrayView stored);

// Stored date-times in a file's date pattern ("yyyymmdd", "dd/mm/yyyy"), optionally followed by
// the time when it is not midnight. Journal rows come in date order, so the last one is kept.
class Data {
public:
    explicit Data(const QString& pattern, const QString& timePattern = {})
        : pattern_(pattern), timePattern_(timePattern) {}
    QByteArray operator()(QByteArrayView stored);
    QByteArray operator()(const QDate& date) const;

private:
    QString pattern_;
    QString timePattern_;
    QByteArray lastStored_;
    QByteArray lastText_;
    bool primo_ = true;
};
}  // namespace Formati

// The export folder, absolute: the setting as written, or the data folder when it is empty.
// Relative folders are taken from base (the current directory for the program).
QString cartellaEsportazione(const QString& impostazione, const QString& cartellaDati,
                             const QString& base = {});
// folder + "esportato_" + the time as yyyy_mm_dd_hh_nn: the registry file adds ".txt", the CSV
// files their suffix.
QString nomeBaseEsportazione(const QString& cartella, const QDateTime& quando);

// How an export ended.
struct EsitoEsportazione {
    QString nome;      // the registry file, or the CSV files' common base name
    QStringList file;  // files written
    int cambiati = 0;  // values with characters written as "?"
    QString errore;    // why nothing (or not everything) was written
    bool erroreDatabase = false;
    bool annullata = false;
    bool riuscita() const { return errore.isEmpty() && !annullata; }
};

// Writes one file through QSaveFile: write(device) fills it; only a complete file takes the
// final name. Throws WriteError (with the system's text), DatabaseError, EsportazioneAnnullata;
// the file is left untouched then.
void salvaFile(const QString& path, const std::function<void(QIODevice&)>& write);

// Runs an export, turning its errors into the outcome.
EsitoEsportazione eseguiEsportazione(const QString& nome,
                                     const std::function<void(EsitoEsportazione&)>& run);

// The outcome for the user: "Esportazione effettuata su " + name (and the values changed), or
// the error, through the message service.
void mostraEsito(const EsitoEsportazione& esito);

namespace MsgEsportazione {
QString effettuata(const QString& nome);
QString caratteriCambiati(int valori);
QString scritturaFallita(const QString& file, const QString& errore);
QString fileGiaScritti(const QStringList& file);
QString annullata();
QString dataCaricoMancante();
}  // namespace MsgEsportazione
