#include "stock/esportazione.h"

#include <QDir>
#include <QSaveFile>

#include "common/format.h"
#include "common/messages.h"
#include "common/paths.h"
#include "data/database.h"
#include "masterdata/masterdata_rules.h"
#include "stock/ansi.h"
#include "stock/giornale.h"

// ---- period, clock ---------------------------------------------------------------------------

PeriodoViste PeriodoViste::daTesti(const QString& da, const QString& a) {
    return {GiornaleMovimenti::inizioPeriodo(da), GiornaleMovimenti::finePeriodo(a)};
}

PeriodoViste PeriodoViste::diGiornale(const GiornaleMovimenti& giornale) {
    const QVariantList p = giornale.documenti.params();
    return {p.value(0), p.value(1)};
}

Orologio orologioDiSistema() {
    // The same QDateTime for every call within one second: the registry file stamps each record.
    return [last = qint64(-1), now = QDateTime()]() mutable {
        const qint64 s = QDateTime::currentSecsSinceEpoch();
        if (s != last) {
            last = s;
            now = QDateTime::fromSecsSinceEpoch(s);
        }
        return now;
    };
}

// ---- sources ---------------------------------------------------------------------------------

FontiEsportazione::FontiEsportazione(Database& db, const PeriodoViste& periodo)
    : db_(db), periodo_(periodo) {}

SqlCursor FontiEsportazione::clienti() {
    // Table order is the order of insertion.
    return SqlCursor(db_,
                     QStringLiteral("SELECT Codice, RagioneSociale, Giur_Pers, PartitaIVA, "
                                    "CodiceFiscale, Nome, Cognome, Indirizzo, Ncivico, Citta, CAP, "
                                    "Prov, SiglaNaz, Telefono1, Telefono2, Telefono3, FAX, Email "
                                    "FROM Anagrafica WHERE Giur_Pers = 'G' OR Giur_Pers = 'P' "
                                    "ORDER BY rowid"));
}

SqlCursor FontiEsportazione::prodotti() {
    return SqlCursor(db_, QStringLiteral("SELECT Codice_prodotto, Descrizione, Categoria, Stato, "
                                         "Atto_Certificato, Classificazione, Annata, Lotto, "
                                         "Bottiglia, Zona, Litri FROM Prodotti ORDER BY rowid"));
}

SqlCursor FontiEsportazione::documenti() {
    return SqlCursor(db_, db_.storedQuerySql(QStringLiteral("Esporta_BF")),
                     {periodo_.da, periodo_.a});
}

SqlCursor FontiEsportazione::corrispettivi() {
    return SqlCursor(db_, db_.storedQuerySql(QStringLiteral("Esporta_N")),
                     {periodo_.da, periodo_.a});
}

bool FontiEsportazione::volume(QByteArrayView bottiglia, double* litri) {
    if (!volumiLetti_) {
        // As the windows' lookup: the first row of a code counts.
        SqlCursor c(db_, QStringLiteral("SELECT Bottiglia, Volume FROM Imballi ORDER BY rowid"));
        while (c.step()) {
            const QByteArray key = c.utf8(0).toByteArray();
            if (!volumi_.contains(key))
                volumi_.insert(key, c.isNull(1) ? QVariant() : QVariant(c.real(1)));
        }
        volumiLetti_ = true;
    }
    // Rows of one packaging tend to come together.
    if (!ultimaLetta_ || bottiglia != ultimaBottiglia_) {
        ultimaLetta_ = true;
        ultimaBottiglia_ = bottiglia.toByteArray();
        const auto it = volumi_.constFind(ultimaBottiglia_);
        ultimoVolume_ = it == volumi_.constEnd() ? QVariant() : *it;
    }
    *litri = ultimoVolume_.isNull() ? 0 : ultimoVolume_.toDouble();
    return !ultimoVolume_.isNull();
}

QString FontiEsportazione::codiceAzienda() {
    return db_.scalar(QStringLiteral("SELECT CodiceAZ FROM Intesta ORDER BY rowid LIMIT 1"))
        .toString();
}

qint64 FontiEsportazione::contaClienti() {
    return db_
        .scalar(QStringLiteral(
            "SELECT count(*) FROM Anagrafica WHERE Giur_Pers = 'G' OR Giur_Pers = 'P'"))
        .toLongLong();
}

qint64 FontiEsportazione::contaProdotti() {
    return db_.scalar(QStringLiteral("SELECT count(*) FROM Prodotti")).toLongLong();
}

qint64 FontiEsportazione::contaDocumenti() {
    return db_
        .scalar(QStringLiteral("SELECT count(*) FROM Giornale WHERE Tipo IN ('B', 'F') AND "
                               "Esportato = 0 AND Data_Ora >= ? AND Data_Ora <= ?"),
                {periodo_.da, periodo_.a})
        .toLongLong();
}

qint64 FontiEsportazione::contaCorrispettivi() {
    return db_
        .scalar(QStringLiteral("SELECT count(DISTINCT Cod_vino) FROM Giornale WHERE Tipo = 'N' "
                               "AND Esportato = 0 AND Data_Ora >= ? AND Data_Ora <= ?"),
                {periodo_.da, periodo_.a})
        .toLongLong();
}

ColonneDocumenti::ColonneDocumenti(const SqlCursor& c)
    : dataOra(c.column(QStringLiteral("Data_Ora"))),
      documNumero(c.column(QStringLiteral("Docum_numero"))),
      rigaNum(c.column(QStringLiteral("Riga_num"))),
      codVino(c.column(QStringLiteral("Cod_vino"))),
      stato(c.column(QStringLiteral("Stato"))),
      bottiglia(c.column(QStringLiteral("Bottiglia"))),
      lotto(c.column(QStringLiteral("Lotto"))),
      litri(c.column(QStringLiteral("Litri"))),
      cliente(c.column(QStringLiteral("Cliente"))) {}

ColonneCorrispettivi::ColonneCorrispettivi(const SqlCursor& c)
    : codVino(c.column(QStringLiteral("Cod_vino"))),
      stato(c.column(QStringLiteral("Stato"))),
      bottiglia(c.column(QStringLiteral("Bottiglia"))),
      lotto(c.column(QStringLiteral("Lotto"))),
      litri(c.column(QStringLiteral("SommaDiLitri"))) {}

// ---- progress --------------------------------------------------------------------------------

void Conteggio::inizia(const Avanzamento& avanzamento, qint64 totale) {
    avanzamento_ = avanzamento;
    fatte_ = 0;
    totale_ = totale;
    segnala();
}

void Conteggio::segnala() {
    if (avanzamento_ && !avanzamento_(qMin(fatte_, totale_), totale_))
        throw EsportazioneAnnullata{};
}

void Conteggio::fine() {
    fatte_ = totale_;
    segnala();
}

// ---- values ----------------------------------------------------------------------------------

double Formati::pezzi(QByteArrayView stato, double litri, double volume) {
    return ::pezzi(Formati::stato(stato, '2') ? QStringLiteral("2") : QString(), litri, volume);
}

QDateTime Formati::dataOra(QByteArrayView stored) {
    if (stored.isEmpty()) return {};
    return Database::parseDateTime(QString::fromUtf8(stored.data(), stored.size()));
}

QByteArray Formati::Data::operator()(QByteArrayView stored) {
    if (!primo_ && stored == lastStored_) return lastText_;
    primo_ = false;
    lastStored_ = stored.toByteArray();
    const QDateTime dt = dataOra(stored);
    lastText_ = dt.isValid() ? formatDateTime(pattern_, dt).toLatin1() : QByteArray();
    if (dt.isValid() && !timePattern_.isEmpty() && dt.time() != QTime(0, 0))
        lastText_ += formatDateTime(timePattern_, dt).toLatin1();
    return lastText_;
}

QByteArray Formati::Data::operator()(const QDate& date) const {
    return date.isValid() ? formatDateTime(pattern_, date.startOfDay()).toLatin1() : QByteArray();
}

// ---- files -----------------------------------------------------------------------------------

QString cartellaEsportazione(const QString& impostazione, const QString& cartellaDati,
                             const QString& base) {
    // Absolute, so that the message names the file in full.
    const QDir from(base.isEmpty() ? QDir::currentPath() : base);
    const QString folder = impostazione.trimmed().isEmpty() ? cartellaDati : impostazione;
    return normalizeFolder(from.absoluteFilePath(normalizeFolder(folder)));
}

QString nomeBaseEsportazione(const QString& cartella, const QDateTime& quando) {
    return cartella + QStringLiteral("esportato_") +
           formatDateTime(QStringLiteral("yyyy_mm_dd_hh_nn"), quando);
}

void salvaFile(const QString& path, const std::function<void(QIODevice&)>& write) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) throw WriteError{f.errorString(), path};
    try {
        write(f);  // an exception leaves the final name untouched: QSaveFile drops its copy
    } catch (WriteError& e) {
        e.file = path;
        throw;
    }
    if (!f.commit()) throw WriteError{f.errorString(), path};
}

EsitoEsportazione eseguiEsportazione(const QString& nome,
                                     const std::function<void(EsitoEsportazione&)>& run) {
    EsitoEsportazione esito;
    esito.nome = nome;
    try {
        run(esito);
    } catch (const WriteError& e) {
        esito.errore = MsgEsportazione::scritturaFallita(e.file.isEmpty() ? nome : e.file, e.text);
    } catch (const DatabaseError& e) {
        esito.errore = e.text();
        esito.erroreDatabase = true;
    } catch (const EsportazioneAnnullata&) {
        esito.annullata = true;
    }
    return esito;
}

void mostraEsito(const EsitoEsportazione& e) {
    if (e.erroreDatabase) {
        Mymsg::error(e.errore);
        return;
    }
    QString text = e.annullata    ? MsgEsportazione::annullata()
                   : e.riuscita() ? MsgEsportazione::effettuata(e.nome)
                                  : e.errore;
    if (!e.riuscita() && !e.file.isEmpty())
        text += QLatin1Char('\n') + MsgEsportazione::fileGiaScritti(e.file);
    if (e.riuscita() && e.cambiati > 0)
        text += QLatin1Char('\n') + MsgEsportazione::caratteriCambiati(e.cambiati);
    Mymsg::message(text);
}

// ---- messages --------------------------------------------------------------------------------

QString MsgEsportazione::effettuata(const QString& nome) {
    return QStringLiteral("Esportazione effettuata su ") + nome;
}
QString MsgEsportazione::caratteriCambiati(int valori) {
    return valori == 1 ? QStringLiteral(
                             "Attenzione: in 1 valore alcuni caratteri non previsti "
                             "dal file sono stati scritti come \"?\"")
                       : QStringLiteral(
                             "Attenzione: in %1 valori alcuni caratteri non previsti "
                             "dal file sono stati scritti come \"?\"")
                             .arg(valori);
}
QString MsgEsportazione::scritturaFallita(const QString& file, const QString& errore) {
    return QStringLiteral("   Impossibile scrivere il file %1: %2   ").arg(file, errore);
}
QString MsgEsportazione::fileGiaScritti(const QStringList& file) {
    return QStringLiteral("File già scritti: ") + file.join(QStringLiteral(", "));
}
QString MsgEsportazione::annullata() {
    return QStringLiteral("   Esportazione interrotta: il file in corso non è stato scritto   ");
}
QString MsgEsportazione::dataCaricoMancante() {
    return QStringLiteral(
        "   Indicare la data da utilizzare per il carico iniziale (gg/mm/aaaa)   ");
}
