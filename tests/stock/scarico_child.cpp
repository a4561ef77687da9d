// The worker of tst_scarico_crash: discharges stock from the data folder given, in a loop,
// until it is killed. It says "pronto" once the first discharge is committed.
#include <QCoreApplication>
#include <QRandomGenerator>
#include <cstdio>

#include "data/database.h"
#include "stock/scarico.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "uso: scarico_child CARTELLA SEME PRODOTTI\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QRandomGenerator rng(quint32(QByteArray(argv[2]).toUInt()));
    const int products = QByteArray(argv[3]).toInt();
    Database db;
    db.open(folder);
    for (qint64 n = 0;; ++n) {
        const QString code = QStringLiteral("P%1").arg(rng.bounded(products));
        // Quarters of a litre are exact in binary: the check can demand equality.
        const double litri = 0.25 * (1 + rng.bounded(12));
        MovimentoGiornale riga;
        riga.data = QDate::currentDate();
        riga.codVino = code;
        riga.litri = litri;
        riga.tipo = QStringLiteral("N");
        registra_scarico(
            db, code, litri, riga,
            n % 2 ? OrdineScarico::GiornalePoiGiacenza : OrdineScarico::GiacenzaPoiGiornale);
        if (n == 0) {
            std::puts("pronto");
            std::fflush(stdout);
        }
    }
}
