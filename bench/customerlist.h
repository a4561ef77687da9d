#pragma once
// The benchmarks' 1,000-page customer list: 50,000 customers in memory, 50 rows of 5 mm a page,
// header and footer with the page count. Templates are built in code with the tests' helpers.
#include "report/datasource.h"
#include "report/model.h"
#include "reportfixtures.h"

namespace benchlist {

inline QStringList customerFields() {
    return {QStringLiteral("Ragione_sociale"), QStringLiteral("Indirizzo"), QStringLiteral("Citta"),
            QStringLiteral("Telefono"), QStringLiteral("Saldo")};
}

inline void fillCustomers(report::MemoryDataSource& clienti) {
    for (int i = 0; i < 50000; ++i)
        clienti.addRow({QStringLiteral("Cliente numero %1 S.r.l.").arg(i),
                        QStringLiteral("Via dei Vigneti %1").arg(i % 300),
                        QStringLiteral("Montalcino"), QStringLiteral("0577 %1").arg(100000 + i),
                        i * 3.25});
}

inline report::Report customerList() {
    using namespace report;
    using fixtures::band;
    using fixtures::pageNumberFooter;
    using fixtures::text;
    Report list;
    list.name = QStringLiteral("clienti");
    ReportPage p;
    Band ph = band(BandType::PageHeader, QStringLiteral("Testa"), 10);
    ph.objects.push_back(
        text(QStringLiteral("Titolo"), QStringLiteral("[TITLE] del [DATE]"), {0, 0, 120, 8}));
    p.bands.push_back(ph);
    Band mh = band(BandType::MasterHeader, QStringLiteral("Colonne"), 5);
    mh.repeatOnNewPage = true;
    mh.objects.push_back(
        text(QStringLiteral("C1"), QStringLiteral("Ragione sociale"), {0, 0, 60, 5}));
    p.bands.push_back(mh);
    Band md = band(BandType::MasterData, QStringLiteral("Righe"), 5, QStringLiteral("Clienti"));
    md.objects.push_back(
        text(QStringLiteral("Nome"), QStringLiteral("[Clienti.Ragione_sociale]"), {0, 0, 60, 5}));
    md.objects.push_back(text(QStringLiteral("Ind"),
                              QStringLiteral("[Clienti.Indirizzo] - [Clienti.Citta]"),
                              {60, 0, 60, 5}));
    md.objects.push_back(
        text(QStringLiteral("Tel"), QStringLiteral("[Clienti.Telefono]"), {120, 0, 30, 5}));
    md.objects.push_back(text(QStringLiteral("Saldo"), QStringLiteral("[Clienti.Saldo]"),
                              {150, 0, 40, 5}, QStringLiteral("#,##0.00")));
    p.bands.push_back(md);
    p.bands.push_back(pageNumberFooter(QStringLiteral("Pag")));
    list.pages.push_back(p);
    return list;
}

}  // namespace benchlist
