#pragma once
// The sale in progress of the sales panel, without widgets. The sale lives in two tables, so an
// unfinished sale survives closing the panel and restarting the program: Appoggio_R holds its
// lines in the order they were added, Appoggio_I its one header row (the receipt's four heading
// lines, its number and date). The keypad entry, the selected product and its limits live here
// too, so that the window only shows them.
#include <QDate>
#include <QObject>
#include <QString>
#include <QVector>
#include <functional>
#include <optional>

#include "data/dataset.h"

class Database;

// The product a cell selected, as stored at the moment of the selection.
struct ProdottoPannello {
    QString codice;  // Codice_prodotto
    QString nomeBreve;
    QString descrizione;
    QString um;
    QString stato;
    double litri = 0;
    double volume = 0;  // of its packaging (Imballi), 0 when none
    double prezzoSinottico = 0;
    double pezzi = 0;  // whole bottles for bottled wine, otherwise the litres
};

// One line of the sale as stored in Appoggio_R.
struct RigaVendita {
    qint64 id = 0;
    QString codiceBreve;
    QString descrizione;
    QString um;
    double quantita = 0;
    double prezzo = 0;
    QString codVino;  // Cod_vino_collegato
    double litriPerUnita = 0;
    QString stato;
    double totale = 0;
    double volume = 0;
};

// The first product (by Codice_prodotto) whose Nome_breve is the name, as stored now; none for
// an empty name. Throws DatabaseError.
std::optional<ProdottoPannello> prodotto_per_nome(Database& db, const QString& nomeBreve);

class VenditaInCorso : public QObject {
    Q_OBJECT
public:
    explicit VenditaInCorso(Database& db, QObject* parent = nullptr);

    Database& db() const { return db_; }

    // The sale's tables, by the names the receipt template reads.
    DataSet appoggio_R;  // Appoggio_R by ID
    DataSet appoggio_I;  // Appoggio_I
    DataSet Somma;       // SELECT SUM(TOTALE) AS TOT FROM APPOGGIO_R, TOT shown "0.00;;#"

    // The panel opens and closes them; the rows stay stored in between.
    void apri();
    void chiudi();

    // ---- keypad and selection (the panel shows these)
    QString ingresso;  // the text typed, as typed
    double quantita_digitata = 0;
    double quantita_massima = 0;
    double litri_per_pezzo = 0;
    QString tipo_SB;
    QString disponibile;
    QString ultimo = QStringLiteral("...");
    std::optional<ProdottoPannello> prodotto_scelto;

    // A digit key: appended, and the whole text read again.
    void Inserisce_numeri(const QString& cifra);
    // The comma key: one comma at most; the quantity is not read again.
    void Inserisce_virgola();
    // Entry empty, quantity 0.
    void azzera_ingresso();
    // The quantity as the entry reads now (the entry survives closing the panel).
    void rileggi_ingresso();
    // "SCARICA" is enabled exactly when this holds.
    bool regola_scarica() const;
    // The entry read as a number with a decimal comma; 0 when it does not read as one.
    static double leggi_quantita(const QString& testo);

    // The product of that short name becomes the selected one (prodotto_per_nome); an empty
    // name or no such product selects none.
    void Seleziona(const QString& nomeBreve);

    // "SCARICA": one line of the selected product and the typed quantity, then the entry is
    // cleared. False, nothing written, when "SCARICA" is not enabled. Throws DatabaseError.
    bool btnscaricaClick();
    // Removes one line; false when there is no line with that ID.
    bool elimina_riga(qint64 id);
    // Every line deleted and the four heading lines emptied; the receipt number stays.
    void svuota_vendita();
    // TOT read again.
    void aggiorna_totale();
    double totale() const;
    QString totaleTesto() const;
    bool vuota() const;
    QVector<RigaVendita> righe() const;

    // The header row put into editing for the header window, created when the table has none,
    // with Data = the movement date at midnight.
    void prepara_intestazione(const QDate& datamov);

    // The receipt, once the header window confirmed it: stampa prints it and says whether
    // paper was really printed. Only then are the lines discharged from stock (journal rows
    // "N" at the movement date), the sale emptied and the receipt number counted up, all in
    // one transaction. Not printed: nothing changes, so "Scontrino" can be pressed again.
    enum class Scontrino { NienteDaStampare, NonStampato, Stampato };
    Scontrino stampa_scontrino(const QDate& datamov, const std::function<bool()>& stampa);

    // The receipt number after a receipt: a whole number counts up by one ("0041" -> "42");
    // anything else, or a next number longer than the field's 13 characters, stays as it is.
    static QString numero_successivo(const QString& numero);

    static QString msgScontrinoNonStampato() {
        return QStringLiteral(
            "   Scontrino non stampato: la vendita resta sul pannello e il magazzino non è "
            "stato scaricato   ");
    }

    // Every statement of emptying a sale, for a caller that holds the transaction: the lines
    // given deleted, the heading lines emptied, the receipt number counted up when asked.
    void svuota(const QVector<qint64>& ids, bool contaNumero);
    // The sale's data sets read again after a write (or a rollback).
    void rileggi();

Q_SIGNALS:
    // The lines, the total or the labels changed.
    void cambiata();

private:
    Database& db_;
};
