// Opening, filtering, sorting and locating in the customer table at the size of a busy shop.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

#include "common/format.h"
#include "data/shareddata.h"
#include "support/testfolder.h"
#include "timing.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    installItalianLocale();
    const int customers = argc > 1 ? std::atoi(argv[1]) : 20000;
    TestFolder tf;
    {
        Database::Transaction tx(tf.db());
        for (int i = 0; i < customers; ++i)
            tf.db().exec(QStringLiteral("INSERT INTO Anagrafica (Codice, RagioneSociale, Citta, "
                                        "Prov, Giur_Pers, Listino) "
                                        "VALUES (?, ?, ?, ?, ?, ?)"),
                         {QStringLiteral("C%1").arg(i, 6, 10, QLatin1Char('0')),
                          QStringLiteral("Cliente %1 S.r.l.").arg((i * 7919) % customers),
                          QStringLiteral("Città %1").arg(i % 300), QStringLiteral("AT"),
                          QStringLiteral("G"), QStringLiteral("1")});
        tx.commit();
    }
    SharedData sd(tf.db());
    QString search = QStringLiteral("1234");
    sd.Clienti.onFilterRecord = [&](DataSet& d) {
        return d[QStringLiteral("RagioneSociale")].asString().toUpper().contains(search);
    };
    double open = 1e99, close = 1e99;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer t;
        t.start();
        sd.Clienti.close();
        close = std::min(close, t.nsecsElapsed() / 1e6);
        t.restart();
        sd.Clienti.open();
        open = std::min(open, t.nsecsElapsed() / 1e6);
    }
    const double filter = bestMs([&] {
        sd.Clienti.setFiltered(true);
        sd.Clienti.setFiltered(false);
    });
    const double locate = bestMs([&] {
        sd.Clienti.locate(QStringLiteral("Codice"),
                          QStringLiteral("C%1").arg(customers - 1, 6, 10, QLatin1Char('0')));
    });
    const double sort = bestMs([&] { sd.Clienti.sortBy(QStringLiteral("Citta")); });
    const double display = bestMs([&] {
        const int fi = sd.Clienti.field(QStringLiteral("RagioneSociale")).index();
        for (int r = 0; r < 60; ++r) (void)sd.Clienti.displayTextAt(r, fi);
    });
    std::printf("Clienti with %d rows\n", customers);
    std::printf("  open:                 %8.2f ms\n", open);
    std::printf("  close:                %8.2f ms\n", close);
    std::printf("  filter on + off:      %8.2f ms\n", filter);
    std::printf("  locate last code:     %8.2f ms\n", locate);
    std::printf("  sort by Citta:        %8.2f ms\n", sort);
    std::printf("  60 grid cells:        %8.3f ms\n", display);
    return 0;
}
