#pragma once
// The shared data sets of the main window. Each domain module attaches its table rules to their
// events at start-up.
#include <QObject>

#include "data/dataset.h"

class Database;

class SharedData : public QObject {
    Q_OBJECT
public:
    explicit SharedData(Database& db, QObject* parent = nullptr);

    Database& db;
    DataSet Intestazione;  // table Intesta, writable, stays open for the whole run
    DataSet Clienti;       // Anagrafica by RagioneSociale, read-only until switched
    DataSet Fatture;       // Fatture in table order, read-only until switched
    DataSet clifatt;       // Anagrafica row of Fatture.Codice, read-only
    DataSet destfatt;      // Anagrafica row of Fatture.Destinazione, read-only
    DataSet righe;         // Righe of Fatture.Docum_numero by Ordine, read-only until switched
    DataSet prodotti;      // Prodotti by Codice_prodotto, read-only until switched
    DataSet Giornale;      // Giornale in table order, writable
    DataSet LookNum;       // stored query Unum, read-only
    DataSet Imballi;       // Imballi, read-only
    DataSet TAB_IVA;       // IVA by Ordine, writable
    DataSet Appo1;         // SQL set at run time
    DataSet appo2;         // SQL set at run time

    // The one-character mode of the customer filter: 'A' search, 'S' selection for prints.
    QChar filtroClienti = QLatin1Char('A');

    // Every shared data set, for tests and for closing them all.
    QList<DataSet*> all();
};
