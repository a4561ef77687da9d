// The "barcode" list with one product whose description is a single long word, against the
// same list with a description of the same length in ordinary words (the reference, measured in
// the same run). Laying out text must cost time in proportion to its length.
#include <QElapsedTimer>
#include <QGuiApplication>
#include <cstdio>

#include "common/format.h"
#include "report/engine.h"
#include "report/templatefile.h"

using namespace report;

namespace {

QString oneWord(int length) {
    QString s;
    for (int i = 0; i < length; ++i) s += QChar(u'A' + i % 26);
    return s;
}

QString words(int length) {
    QString s;
    while (s.size() < length) s += QStringLiteral("Prosecco ");
    return s.left(length);
}

// Milliseconds to prepare the list (best of three), and the pages it made.
double prepareMs(const Report& report, const QString& description, int* pages) {
    double best = -1;
    for (int run = 0; run < 3; ++run) {
        MemoryDataSource header(QStringLiteral("Intestazione"),
                                {QStringLiteral("RagioneSociale"), QStringLiteral("Indirizzo"),
                                 QStringLiteral("Citta")});
        header.addRow({QStringLiteral("Cantina"), QStringLiteral("Via Roma 1"),
                       QStringLiteral("Conegliano")});
        MemoryDataSource prodotti(
            QStringLiteral("prodotti"),
            {QStringLiteral("Auto_ID"), QStringLiteral("Codice_prodotto"),
             QStringLiteral("Descrizione"), QStringLiteral("Lotto"), QStringLiteral("Annata")});
        prodotti.addRow({1, QStringLiteral("LUNGO"), description, QStringLiteral("L1"),
                         QStringLiteral("2024")});
        ReportEngine engine;
        engine.setReport(report);
        engine.setTitle(QStringLiteral("Scarico con Barcode"));
        engine.dataSources().add(&header);
        engine.dataSources().add(&prodotti);
        QElapsedTimer t;
        t.start();
        if (!engine.prepare()) {
            std::fprintf(stderr, "%s\n", qPrintable(engine.errorString()));
            return -1;
        }
        const double ms = t.nsecsElapsed() / 1e6;
        *pages = engine.pageCount();
        if (best < 0 || ms < best) best = ms;
    }
    return best;
}

}  // namespace

// layout_bench [LENGTH...]: the lengths to measure (default 1000 3000 10000 100000).
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    installItalianLocale();
    Report report;
    QString error;
    if (!loadTemplate(QStringLiteral(VINORDA_TEMPLATES "/barcode.frf"), &report, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    std::printf("%-8s %12s %12s %8s %7s\n", "lettere", "parola (ms)", "parole (ms)", "rapporto",
                "pagine");
    QList<int> lengths{1000, 3000, 10000, 100000};
    if (argc > 1) {
        lengths.clear();
        for (int i = 1; i < argc; ++i) lengths << QByteArray(argv[i]).toInt();
    }
    for (int length : lengths) {
        int pagesWord = 0, pagesWords = 0;
        const double word = prepareMs(report, oneWord(length), &pagesWord);
        const double reference = prepareMs(report, words(length), &pagesWords);
        if (word < 0 || reference < 0) return 1;
        std::printf("%-8d %12.1f %12.1f %8.2f %7d\n", length, word, reference, word / reference,
                    pagesWord);
    }
    return 0;
}
