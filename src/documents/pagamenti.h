#pragma once
// The invoices with their payments: the editable view "pagamenti" over Fatture (both kinds of
// invoice, in number order, with the customer's name looked up) and its filter.
#include <QDate>
#include <QDateTime>
#include <QString>

class DataSet;

struct FiltroPagamenti {
    QString cliente;  // part of the customer's name, letter case ignored; empty = everyone
    QDate da;         // invalid = no lower bound
    QDate a;          // invalid = no upper bound
    bool nonPagate = false;
};

// Whether an invoice passes the filter. With a date bound, an invoice without a date is left out.
bool accettaPagamento(const FiltroPagamenti& f, const QString& ragioneSociale,
                      const QDateTime& data, bool pagato);

// Sets up the view (closed): its SQL, the looked-up RagioneSociale, the display of Totale.
void preparaPagamenti(DataSet& pagamenti);

// Applies f to the view through its record filter (on) or lists every invoice (off); the
// cursor goes to the first row.
void filtraPagamenti(DataSet& pagamenti, bool on, const FiltroPagamenti& f);
