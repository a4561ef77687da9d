#include "documents/pagamenti.h"

#include "data/dataset.h"
#include "data/field.h"

bool accettaPagamento(const FiltroPagamenti& f, const QString& ragioneSociale,
                      const QDateTime& data, bool pagato) {
    if (!f.cliente.isEmpty() && !ragioneSociale.contains(f.cliente, Qt::CaseInsensitive))
        return false;
    // Compared by day: an invoice of the last day at any hour is still in the range.
    const QDate giorno = data.isValid() ? data.date() : QDate();
    if (f.da.isValid() && (!giorno.isValid() || giorno < f.da)) return false;
    if (f.a.isValid() && (!giorno.isValid() || giorno > f.a)) return false;
    return !(f.nonPagate && pagato);
}

void preparaPagamenti(DataSet& p) {
    p.setSql(
        QStringLiteral(
            "SELECT Docum_numero, Anno, Data, Num_fattura, Codice, DDTFATT, Pagato, Pagato_il, "
            "Pagato_note, Totale FROM Fatture WHERE Doc_tipo = ? ORDER BY Docum_numero"),
        {QStringLiteral("F")});
    if (p.findField(QStringLiteral("RagioneSociale"))) return;
    p.addLookupField(QStringLiteral("RagioneSociale"), FieldType::Text,
                     {QStringLiteral("Codice"), QStringLiteral("Anagrafica"),
                      QStringLiteral("Codice"), QStringLiteral("RagioneSociale")},
                     60);
    // The fields of a view over SQL exist once it has been read.
    p.afterOpen += [](DataSet& ds) {
        ds.field(QStringLiteral("Totale")).setDisplayFormat(QStringLiteral("0.00;;#"));
    };
}

void filtraPagamenti(DataSet& p, bool on, const FiltroPagamenti& f) {
    if (on) {
        // Fields found once, and read only when a criterion needs them: the filter runs once
        // per invoice, tens of thousands of times.
        struct Campi {
            int count = -1;
            const Field* ragione = nullptr;
            const Field* data = nullptr;
            const Field* pagato = nullptr;
        };
        p.onFilterRecord = [f, c = Campi()](DataSet& ds) mutable {
            if (c.count != ds.fieldCount()) {
                c.count = ds.fieldCount();
                c.ragione = &ds.field(QStringLiteral("RagioneSociale"));
                c.data = &ds.field(QStringLiteral("Data"));
                c.pagato = &ds.field(QStringLiteral("Pagato"));
            }
            const bool pagato = f.nonPagate && c.pagato->asBool();
            if (pagato) return false;
            const bool date = f.da.isValid() || f.a.isValid();
            return accettaPagamento(f, f.cliente.isEmpty() ? QString() : c.ragione->asString(),
                                    date ? c.data->asDateTime() : QDateTime(), pagato);
        };
    }
    p.setFiltered(on);
    if (p.isOpen()) p.first();
}
