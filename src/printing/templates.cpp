#include "printing/templates.h"

const QVector<PrintTemplate>& printTemplates() {
    static const QVector<PrintTemplate> table = [] {
        const struct {
            const char* name;
            const char* title;
            bool document;
        } rows[] = {
            {"clienti", "Lista clienti", false},
            {"rubrica", "Rubrica", false},
            {"prodotti", "Elenco prodotti", false},
            {"listino1", "Listino prezzi 1", false},
            {"listino2", "Listino prezzi 2", false},
            {"listino3", "Listino prezzi 3", false},
            {"listino4", "Listino prezzi 4", false},
            {"listino5", "Listino prezzi 5", false},
            {"listinox", "Listino comparato", false},
            {"griglia", "Controllo Griglia", false},
            {"barcode", "Scarico con Barcode", false},
            {"listafatture", "Lista fatture", false},
            {"analisi", "Controllo Movimenti", false},
            {"doctrasp", "Documento di trasporto", true},
            {"ricevuta", "Nota trasporto per privati", true},
            {"fattura_imm", "Fattura immediata", true},
            {"fattura_diff", "Fattura", true},
            {"scontrinoint", "Scontrino", false},
            {"movimenti", "Giornale movimenti", false},
            {"pagamenti", "Elenco pagamenti", false},
        };
        QVector<PrintTemplate> out;
        for (const auto& r : rows)
            out.push_back({QString::fromLatin1(r.name), QString::fromUtf8(r.title), r.document});
        return out;
    }();
    return table;
}

const PrintTemplate* findPrintTemplate(const QString& name) {
    for (const PrintTemplate& t : printTemplates())
        if (t.name.compare(name, Qt::CaseInsensitive) == 0) return &t;
    return nullptr;
}

QStringList printTemplateNames() {
    QStringList names;
    for (const PrintTemplate& t : printTemplates()) names << t.name;
    return names;
}
