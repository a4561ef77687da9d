// Shows one stock window over a small demo data folder, to look at it (not a test).
//   stock_shot giornale|sfuso|ask
#include <QApplication>
#include <QLineEdit>
#include <QTabWidget>

#include "common/format.h"
#include "common/inifile.h"
#include "data/shareddata.h"
#include "stock/ask.h"
#include "stock/giornalefrm.h"
#include "stock/sfuso1.h"
#include "support/testfolder.h"
#include "widgets/dialogmessages.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    installItalianLocale();
    DialogMessages dialogs;
    Mymsg::install(&dialogs);
    TestFolder tf;
    tf.insert(QStringLiteral("Imballi"),
              {{QStringLiteral("Bottiglia"), "BT75"}, {QStringLiteral("Volume"), 0.75}});
    const char* wines[][4] = {{"ROSSO01", "Rosso di collina 2023", "1", ""},
                              {"BIANCO02", "Bianco frizzante", "1", ""},
                              {"RIS03", "Riserva 2019 0,75", "2", "BT75"},
                              {"GADG", "Cavatappi", "", ""}};
    for (auto& w : wines)
        tf.insert(QStringLiteral("Prodotti"),
                  {{QStringLiteral("Codice_prodotto"), w[0]},
                   {QStringLiteral("Descrizione"), w[1]},
                   {QStringLiteral("Stato"), QString::fromLatin1(w[2])},
                   {QStringLiteral("Bottiglia"), QString::fromLatin1(w[3])},
                   {QStringLiteral("Litri"), 120.5},
                   {QStringLiteral("Prezzo_sinottico"), 6.5}});
    auto mv = [&tf](int day, const char* c, double l, const char* t, const char* doc, int riga) {
        tf.insert(QStringLiteral("Giornale"),
                  {{QStringLiteral("Data_Ora"), QDate(2025, 3, day)},
                   {QStringLiteral("Cod_vino"), c},
                   {QStringLiteral("Litri"), l},
                   {QStringLiteral("Tipo"), t},
                   {QStringLiteral("Cliente"), *doc ? QVariant("C0012") : QVariant()},
                   {QStringLiteral("Docum_numero"), *doc ? QVariant(doc) : QVariant()},
                   {QStringLiteral("Riga_num"), riga ? QVariant(riga) : QVariant()}});
    };
    mv(3, "ROSSO01", 20, "B", "B-2025-000011", 41);
    mv(3, "RIS03", 4.5, "B", "B-2025-000011", 42);
    mv(9, "BIANCO02", 50, "F", "F-2025-000004", 57);
    mv(4, "ROSSO01", 2.5, "N", "", 0);
    mv(6, "ROSSO01", 1.5, "N", "", 0);
    mv(7, "RIS03", 7.5, "N", "", 0);
    mv(12, "BIANCO02", 3, "N", "", 0);
    SharedData sd(tf.db());
    IniFile ini;
    const QString what = argc > 1 ? QString::fromLatin1(argv[1]) : QStringLiteral("giornale");
    QWidget* w = nullptr;
    if (what == QLatin1String("sfuso")) {
        auto* s = new TfrmSfuso1(sd);
        s->findChild<QLineEdit*>(QStringLiteral("Codice"))->setText(QStringLiteral("3"));
        s->CodiceExit();
        s->findChild<QLineEdit*>(QStringLiteral("scaricare"))->setText(QStringLiteral("4"));
        w = s;
    } else if (what == QLatin1String("ask")) {
        w = new Tfrm_ask(sd.db);
    } else {
        auto* g = new TfrmGiornale(sd, ini);
        w = g;
        if (what == QLatin1String("corr"))
            g->findChild<QTabWidget*>(QStringLiteral("PageControl2"))->setCurrentIndex(1);
    }
    w->show();
    if (what == QLatin1String("vireg")) static_cast<TfrmGiornale*>(w)->btn_EsportaClick();
    return app.exec();
}
