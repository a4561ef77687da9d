// Pictures of the panel's dialogs with a little demo data, to check that they are readable at
// the counter: panel_shots OUTDIR
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTimer>
#include <cstdio>

#include "common/format.h"
#include "panel/sinotticofrm.h"
#include "panel/videocliente.h"
#include "panel/videoscontrino.h"
#include "support/testfolder.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    installItalianLocale();
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(out);
    TestFolder tf;
    tf.insert(QStringLiteral("Appoggio_I"), {{QStringLiteral("Intesta1"), "Sig. Mario Rossi"},
                                             {QStringLiteral("Intesta2"), "Via Mazzini 21"},
                                             {QStringLiteral("Intesta3"), "31015 Conegliano (TV)"},
                                             {QStringLiteral("Docum_numero"), "128"}});
    Tfrmsinottico panel(tf.db(), QRect(0, 0, 1024, 768));
    Tfrmvideoscontr header;
    panel.setIntestazione(&header);
    QTimer::singleShot(100, &header, [&] {
        const QString file = out + QStringLiteral("/intestazione.png");
        header.grab().save(file);
        std::printf("%s %dx%d\n", qPrintable(file), header.width(), header.height());
        header.BitBtn2Click();
    });
    header.esegui(QDate(2026, 3, 8));

    const char* const nomi[] = {"Rossi Mario",      "Zanette Anna",      "Dal Col Luigi",
                                "Cliente al banco", "Bortolin Giovanna", "De Nardi Paolo"};
    for (const char* n : nomi)
        tf.insert(QStringLiteral("Anagrafica"),
                  {{QStringLiteral("Codice"), QString::fromUtf8(n)},
                   {QStringLiteral("RagioneSociale"), QString::fromUtf8(n)},
                   {QStringLiteral("Giur_Pers"), "X"}});
    tf.insert(QStringLiteral("Anagrafica"), {{QStringLiteral("Codice"), "C1"},
                                             {QStringLiteral("RagioneSociale"), "Enoteca Al Ponte"},
                                             {QStringLiteral("Giur_Pers"), "G"}});
    Tfrmvideocli cliente(tf.db());
    QTimer::singleShot(100, &cliente, [&] {
        const QString file = out + QStringLiteral("/cliente.png");
        cliente.grab().save(file);
        std::printf("%s %dx%d\n", qPrintable(file), cliente.width(), cliente.height());
        cliente.BitBtn2Click();
    });
    cliente.esegui();
    return 0;
}
