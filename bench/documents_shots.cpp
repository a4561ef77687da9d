// Pictures of the documents window over the demo data: the three tabs of one document, the list
// and the creation page, at a screen size and zoom, to check that nothing is clipped.
//   documents_shots OUTDIR WIDTHxHEIGHT [ZOOM]
#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

#include "common/format.h"
#include "common/inifile.h"
#include "data/database.h"
#include "data/shareddata.h"
#include "datitool.h"
#include "documents/documents_rules.h"
#include "documents/frmfatture.h"
#include "shots.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    installItalianLocale();
    const ShotArgs args = shotArgs(argc, argv);
    const QString& out = args.out;
    const QSize screen = args.screen;
    const int zoom = args.zoom;
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    DatiTool::createBase(folder);
    DatiTool::fillDemo(folder);
    Database db;
    db.open(folder);
    SharedData sd(db);
    attachDocumentRules(sd);
    sd.Intestazione.open();
    for (DataSet* ds : {&sd.Clienti, &sd.Fatture, &sd.righe, &sd.clifatt, &sd.destfatt}) ds->open();
    sd.Fatture.last();
    sd.prodotti.open();
    sd.Fatture.setFiltered(true);
    IniFile settings(folder + QStringLiteral("vinorda.ini"));
    IniFile layout(folder + QStringLiteral("form.ini"));
    TfrmFatture w(sd, settings, layout, zoom);
    // The window as it opens on that screen (a title bar and a task bar take their part).
    fitShot(w, screen);
    w.show();
    // A summary invoice with its lines, in modification.
    sd.Fatture.locate(QStringLiteral("DDTFATT"), QStringLiteral("R"));
    w.findChild<QPushButton*>(QStringLiteral("btn_modifica"))->click();
    const QString tag =
        QStringLiteral("%1/fatture_%2x%3_").arg(out).arg(screen.width()).arg(screen.height());
    auto* tabs = w.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    const char* names[] = {"intestazione", "righe", "trasporto"};
    for (int i = 0; i < 3; ++i) {
        tabs->setCurrentIndex(i);
        saveShot(w, tag + QString::fromLatin1(names[i]) + QStringLiteral(".png"));
    }
    w.findChild<QPushButton*>(QStringLiteral("btn_lista"))->click();
    saveShot(w, tag + QStringLiteral("lista.png"));
    w.findChild<QPushButton*>(QStringLiteral("btn_lista"))->click();
    w.findChild<QPushButton*>(QStringLiteral("btn_nuovo"))->click();
    saveShot(w, tag + QStringLiteral("nuovo.png"));
    w.findChild<QPushButton*>(QStringLiteral("btnnoinsert"))->click();
    w.findChild<QPushButton*>(QStringLiteral("btn_modifica"))->click();
    return 0;
}
