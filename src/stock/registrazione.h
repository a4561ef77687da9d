#pragma once
// Quick registration without widgets: a product looked up by its Auto_ID, then a sale without
// document (journal row of Tipo "N" and lower stock), or a manual discharge or load that changes
// the stock only. The window shows what these return and moves the focus as told.
#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

class Database;

struct ProdottoRapido {
    int autoId = 0;
    QString codice;       // Codice_prodotto
    QString descrizione;  // Descrizione
    QString stato;        // Stato
    QString bottiglia;    // Bottiglia
    double litri = 0;     // Litri as stored
    double volume = 0;    // Volume of its Bottiglia in Imballi
    double prezzoSinottico = 0;
};

enum class OperazioneRapida { Normale, ScaricoManuale, CaricoManuale };

// Where the window puts the focus afterwards.
enum class FocusRapido { Nessuno, Codice, Quantita, Data };

class RegistrazioneRapida {
public:
    explicit RegistrazioneRapida(Database& db) : db_(db) {}

    // The product whose Auto_ID is the text (a text that is not a whole number finds none).
    std::optional<ProdottoRapido> trovaProdotto(const QString& codice) const;

    // What prepara_prodotto shows.
    struct Preparazione {
        bool trovato = false;
        QString tipoSB;    // "litri sfuso", "bottiglie" or empty
        QString prodotto;  // Descrizione
        QString giacenza;  // pieces or litres available, empty when not tracked
        // Available: empty the quantity and go there; otherwise empty Codice and go there.
        bool disponibile = false;
        QString messaggio;  // plain message shown, empty when none
    };
    Preparazione prepara_prodotto(const QString& codice);

    // What btnconfermaClick did.
    struct Esito {
        bool fatto = false;
        QString messaggio;  // plain message shown, empty when none
        bool svuotaCodice = false;
        bool svuotaQuantita = false;
        FocusRapido focus = FocusRapido::Nessuno;
    };
    // q: the quantity; quantitaTesto: the quantity as the field shows it; prodottoTesto: what the
    // product label shows; data: invalid when the date field holds no date. Database errors
    // propagate (nothing is then half done).
    Esito conferma(OperazioneRapida op, double q, const QString& quantitaTesto,
                   const QString& prodottoTesto, const QDate& data);

    // SpeedButton1: the list and the total start again.
    void azzera();

    double quantita_disponibile = 0;
    double litri_per_pezzo = 0;
    double totale = 0;
    QStringList operazioni;  // lines of Memo1
    const std::optional<ProdottoRapido>& prodotto() const { return prodotto_; }

    static QString msgInserireCodice() { return QStringLiteral("Inserire codice prodotto"); }
    static QString msgNonPresente() { return QStringLiteral("!!! !!!   NON PRESENTE  !!! !!!"); }
    static QString msgQuantitaNonValida() {
        return QStringLiteral("!!! !!!   Quantità non valida   !!! !!!");
    }
    static QString msgMancaData() { return QStringLiteral("Manca la data di registrazione"); }
    static QString msgPrimaLaData() { return QStringLiteral("Inserire prima la data !"); }

private:
    Database& db_;
    std::optional<ProdottoRapido> prodotto_;
};
