#pragma once
// Product search of the quick registration: a read-only view of the products, filtered by a text
// that must occur, with the same letter case, in the Auto_ID written as text, in the code or in
// the description.
#include <QObject>
#include <QString>
#include <optional>

#include "data/dataset.h"

class Database;

bool ricercaAccetta(const QString& filtro, const QString& autoId, const QString& codice,
                    const QString& descrizione);

class RicercaProdotti : public QObject {
    Q_OBJECT
public:
    explicit RicercaProdotti(Database& db, QObject* parent = nullptr);

    DataSet listaprodotti;

    // Showing: the search text empties and the view opens.
    void FormShow();
    // Each change of the text moves to the first product accepted.
    void setFiltro(const QString& text);
    QString filtro() const { return filtro_; }
    // "Seleziona questo prodotto": the selected product's Auto_ID as text (nothing when the
    // view is empty); the text empties and the view closes.
    std::optional<QString> seleziona();
    // "Annulla": the view closes, nothing is chosen.
    void annulla();

private:
    QString filtro_;
};
