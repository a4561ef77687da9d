#include "stock/ricerca.h"

#include "data/database.h"

bool ricercaAccetta(const QString& filtro, const QString& autoId, const QString& codice,
                    const QString& descrizione) {
    if (filtro.isEmpty()) return true;
    return autoId.contains(filtro, Qt::CaseSensitive) ||
           codice.contains(filtro, Qt::CaseSensitive) ||
           descrizione.contains(filtro, Qt::CaseSensitive);
}

RicercaProdotti::RicercaProdotti(Database& db, QObject* parent)
    : QObject(parent), listaprodotti(db, QStringLiteral("listaprodotti"), this) {
    listaprodotti.setTable(QStringLiteral("Prodotti"));
    listaprodotti.sortBy(QStringLiteral("Codice_prodotto"));
    listaprodotti.setReadOnly(true);
    listaprodotti.onFilterRecord = [this](DataSet& ds) {
        return ricercaAccetta(filtro_, ds.field(QStringLiteral("Auto_ID")).asString(),
                              ds.field(QStringLiteral("Codice_prodotto")).asString(),
                              ds.field(QStringLiteral("Descrizione")).asString());
    };
    listaprodotti.afterOpen += [](DataSet& ds) {
        ds.field(QStringLiteral("Auto_ID")).setTitle(QStringLiteral("ID"));
        ds.field(QStringLiteral("Codice_prodotto")).setTitle(QStringLiteral("Codice Prodotto"));
    };
}

void RicercaProdotti::FormShow() {
    filtro_.clear();
    listaprodotti.close();
    listaprodotti.open();
    listaprodotti.setFiltered(true);
}

void RicercaProdotti::setFiltro(const QString& text) {
    filtro_ = text;
    if (!listaprodotti.isOpen()) return;
    listaprodotti.setFiltered(true);  // the view is built again and put on its first row
}

std::optional<QString> RicercaProdotti::seleziona() {
    std::optional<QString> r;
    if (listaprodotti.isOpen() && !listaprodotti.isEmpty())
        r = listaprodotti.field(QStringLiteral("Auto_ID")).asString();
    filtro_.clear();
    listaprodotti.close();
    return r;
}

void RicercaProdotti::annulla() {
    listaprodotti.close();
}
