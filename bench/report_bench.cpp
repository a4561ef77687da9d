// Preparing a 1,000-page customer list and a 500-line invoice from in-memory sources.
#include <QElapsedTimer>
#include <QGuiApplication>
#include <cstdio>

#include "common/format.h"
#include "customerlist.h"
#include "report/engine.h"

using namespace report;
using fixtures::band;
using fixtures::text;

namespace {

double prepareMs(ReportEngine& engine, int* pages) {
    QElapsedTimer t;
    t.start();
    if (!engine.prepare()) {
        std::fprintf(stderr, "%s\n", qPrintable(engine.errorString()));
        return -1;
    }
    *pages = engine.pageCount();
    return t.nsecsElapsed() / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    installItalianLocale();

    // Customer list: 50 rows of 5 mm a page, header and footer with the page count.
    MemoryDataSource clienti(QStringLiteral("Clienti"), benchlist::customerFields());
    benchlist::fillCustomers(clienti);
    const Report list = benchlist::customerList();
    ReportEngine listEngine;
    listEngine.setReport(list);
    listEngine.setTitle(QStringLiteral("Lista clienti"));
    listEngine.dataSources().add(&clienti);

    // Invoice: header from Fatture, 500 lines of righe, VAT groups summed in the summary.
    MemoryDataSource fatture(QStringLiteral("Fatture"),
                             {QStringLiteral("Docum_numero"), QStringLiteral("Totale")});
    fatture.addRow({QStringLiteral("F-2026-000001"), 12345.67});
    MemoryDataSource righe(
        QStringLiteral("righe"),
        {QStringLiteral("Docum_numero"), QStringLiteral("Descrizione"), QStringLiteral("Quantita"),
         QStringLiteral("Prezzo"), QStringLiteral("Sconto"), QStringLiteral("Codice_IVA")});
    for (int i = 0; i < 500; ++i)
        righe.addRow(
            {QStringLiteral("F-2026-000001"),
             QStringLiteral("Vino rosso riserva annata %1, bottiglia 0,75 l").arg(2000 + i % 25),
             double(1 + i % 12), 7.5 + i % 9, double(i % 3 * 5), i % 2 ? 22 : 10});
    righe.setMaster(&fatture, QStringLiteral("Docum_numero"), QStringLiteral("Docum_numero"));
    Report inv;
    inv.name = QStringLiteral("fattura_imm");
    ReportPage ip;
    Band ih = band(BandType::PageHeader, QStringLiteral("Testa"), 30);
    ih.objects.push_back(text(QStringLiteral("Fatt"), QStringLiteral("Fattura"), {0, 0, 60, 8}));
    ih.objects.push_back(
        text(QStringLiteral("Num"), QStringLiteral("N. [Fatture.Docum_numero]"), {100, 0, 80, 8}));
    ip.bands.push_back(ih);
    Band im = band(BandType::MasterData, QStringLiteral("Documento"), 0, QStringLiteral("Fatture"));
    ip.bands.push_back(im);
    Band ir = band(BandType::DetailData, QStringLiteral("Riga"), 5, QStringLiteral("righe"));
    ir.growToFit = true;
    ReportObject desc =
        text(QStringLiteral("Desc"), QStringLiteral("[righe.Descrizione]"), {0, 0, 70, 5});
    desc.wordWrap = desc.growToFit = true;
    ir.objects.push_back(desc);
    ir.objects.push_back(text(QStringLiteral("Q"), QStringLiteral("[righe.Quantita]"),
                              {70, 0, 20, 5}, QStringLiteral("0.00")));
    ir.objects.push_back(text(QStringLiteral("P"), QStringLiteral("[righe.Prezzo]"), {90, 0, 25, 5},
                              QStringLiteral("0.00")));
    ir.objects.push_back(
        text(QStringLiteral("S"), QStringLiteral("[righe.Sconto]"), {115, 0, 15, 5}));
    ir.objects.push_back(
        text(QStringLiteral("I"),
             QStringLiteral("[righe.Quantita * righe.Prezzo * (100 - righe.Sconto) / 100]"),
             {130, 0, 30, 5}, QStringLiteral("#,##0.00")));
    ir.objects.push_back(
        text(QStringLiteral("V"), QStringLiteral("[righe.Codice_IVA]"), {160, 0, 15, 5}));
    ip.bands.push_back(ir);
    Band fr = band(BandType::DetailFooter, QStringLiteral("Totali"), 10);
    fr.objects.push_back(text(
        QStringLiteral("Tot"),
        QStringLiteral("Totale [SUM(righe.Quantita * righe.Prezzo * (100 - righe.Sconto) / 100)] "
                       "righe [COUNT()]"),
        {0, 0, 150, 8}, QStringLiteral("#,##0.00")));
    ip.bands.push_back(fr);
    ip.bands.push_back(fixtures::pageNumberFooter(QStringLiteral("Pag")));
    inv.pages.push_back(ip);
    ReportEngine invEngine;
    invEngine.setReport(inv);
    invEngine.setTitle(QStringLiteral("Fattura immediata"));
    invEngine.dataSources().add(&fatture);
    invEngine.dataSources().add(&righe);

    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    for (int r = 0; r < rounds; ++r) {
        int listPages = 0, invPages = 0;
        const double a = prepareMs(listEngine, &listPages);
        const double b = prepareMs(invEngine, &invPages);
        std::printf(
            "round %d: customer list %d pages in %.1f ms; invoice 500 lines, %d pages in %.1f ms\n",
            r + 1, listPages, a, invPages, b);
    }
    return 0;
}
