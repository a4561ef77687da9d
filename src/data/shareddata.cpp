#include "data/shareddata.h"

#include "data/database.h"

SharedData::SharedData(Database& database, QObject* parent)
    : QObject(parent),
      db(database),
      Intestazione(db, QStringLiteral("Intestazione"), this),
      Clienti(db, QStringLiteral("Clienti"), this),
      Fatture(db, QStringLiteral("Fatture"), this),
      clifatt(db, QStringLiteral("clifatt"), this),
      destfatt(db, QStringLiteral("destfatt"), this),
      righe(db, QStringLiteral("righe"), this),
      prodotti(db, QStringLiteral("prodotti"), this),
      Giornale(db, QStringLiteral("Giornale"), this),
      LookNum(db, QStringLiteral("LookNum"), this),
      Imballi(db, QStringLiteral("Imballi"), this),
      TAB_IVA(db, QStringLiteral("TAB_IVA"), this),
      Appo1(db, QStringLiteral("Appo1"), this),
      appo2(db, QStringLiteral("appo2"), this) {
    Intestazione.setTable(QStringLiteral("Intesta"));

    Clienti.setTable(QStringLiteral("Anagrafica"));
    Clienti.sortBy(QStringLiteral("RagioneSociale"));
    Clienti.setReadOnly(true);

    Fatture.setTable(QStringLiteral("Fatture"));
    Fatture.setReadOnly(true);

    clifatt.setTable(QStringLiteral("Anagrafica"));
    clifatt.setMasterLink(&Fatture, QStringLiteral("Codice"), QStringLiteral("Codice"));
    clifatt.setReadOnly(true);
    destfatt.setTable(QStringLiteral("Anagrafica"));
    destfatt.setMasterLink(&Fatture, QStringLiteral("Destinazione"), QStringLiteral("Codice"));
    destfatt.setReadOnly(true);

    righe.setTable(QStringLiteral("Righe"));
    righe.setMasterLink(&Fatture, QStringLiteral("Docum_numero"), QStringLiteral("Docum_numero"));
    righe.sortBy(QStringLiteral("Ordine"));
    righe.setReadOnly(true);

    prodotti.setTable(QStringLiteral("Prodotti"));
    prodotti.sortBy(QStringLiteral("Codice_prodotto"));
    prodotti.setReadOnly(true);
    prodotti.addLookupField(QStringLiteral("Volume"), FieldType::Float,
                            {QStringLiteral("Bottiglia"), QStringLiteral("Imballi"),
                             QStringLiteral("Bottiglia"), QStringLiteral("Volume")});
    prodotti.addCalculatedField(QStringLiteral("Pezzi"), FieldType::Float)
        .setDisplayFormat(QStringLiteral("#.###"));
    prodotti.field(QStringLiteral("Litri")).setDisplayFormat(QStringLiteral("0.000;;#"));

    Giornale.setTable(QStringLiteral("Giornale"));
    Giornale.addLookupField(QStringLiteral("Vino"), FieldType::Text,
                            {QStringLiteral("Cod_vino"), QStringLiteral("Prodotti"),
                             QStringLiteral("Codice_prodotto"), QStringLiteral("Descrizione")},
                            255);

    LookNum.setStoredQuery(QStringLiteral("Unum"));
    Imballi.setTable(QStringLiteral("Imballi"));
    Imballi.setReadOnly(true);
    TAB_IVA.setTable(QStringLiteral("IVA"));
    TAB_IVA.sortBy(QStringLiteral("Ordine"));

    // Money and quantities of documents and lines: two decimals, zero shown empty.
    static const char* const money[] = {
        "IMP1",       "IMP2",      "IMP3",           "IMP4",    "IVA1",   "IVA2",
        "IVA3",       "IVA4",      "TOTSC1",         "TOTSC2",  "TOTSC3", "TOTSC4",
        "Tot_sconto", "Tot_Litri", "Tot_Imponibile", "Tot_Iva", "Totale"};
    for (const char* f : money)
        Fatture.field(QString::fromLatin1(f)).setDisplayFormat(QStringLiteral("0.00;;#"));
    static const char* const lines[] = {"Quantita", "Prezzo", "Sconto", "Volume",
                                        "Litri_per_unita"};
    for (const char* f : lines)
        righe.field(QString::fromLatin1(f)).setDisplayFormat(QStringLiteral("0.00;;#"));
    // Fields of documents computed from the stored ones by the document rules.
    Fatture.addCalculatedField(QStringLiteral("Doc_descr"), FieldType::Text, 30);
    Fatture.addCalculatedField(QStringLiteral("Trasporto_l"), FieldType::Text, 20);
    Fatture.addCalculatedField(QStringLiteral("LitriLettere"), FieldType::Text, 100);
    Fatture.addCalculatedField(QStringLiteral("NOTEIVA"), FieldType::Text, 255);
    righe.addCalculatedField(QStringLiteral("Totale"), FieldType::Currency)
        .setDisplayFormat(QStringLiteral("0.00;;#"));
}

QList<DataSet*> SharedData::all() {
    return {&Intestazione, &Clienti, &Fatture, &clifatt, &destfatt, &righe, &prodotti,
            &Giornale,     &LookNum, &Imballi, &TAB_IVA, &Appo1,    &appo2};
}
