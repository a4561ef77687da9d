// Pictures of every window of the program as it starts on a data folder (vinorda.ini of the
// current directory, so ZOOM applies), each shown the way its command shows it, the screen
// grabbed whole: program_shots OUTDIR. Run it in a display of the size to check (Xvfb), with
// QT_SCALE_FACTOR for a high-density screen.
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QScreen>
#include <QStackedWidget>
#include <QTabWidget>
#include <QThread>
#include <QTimer>
#include <cstdio>

#include "app/artwork.h"
#include "app/infoform.h"
#include "app/mainform.h"
#include "app/printservice.h"
#include "common/format.h"
#include "common/messages.h"
#include "data/shareddata.h"
#include "printing/selezioneform.h"
#include "report/designer/designer.h"
#include "widgets/dialogmessages.h"

namespace {
QString outDir;

void settle() {
    for (int i = 0; i < 10; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(30);
    }
}

void grab(const QString& name) {
    settle();
    const QString file = outDir + QLatin1Char('/') + name + QStringLiteral(".png");
    QGuiApplication::primaryScreen()->grabWindow(0).save(file);
    std::printf("%s\n", qPrintable(file));
}

void shoot(QWidget* w, const QString& name, const std::function<void()>& pages = {}) {
    w->show();
    w->raise();
    w->activateWindow();
    grab(name);
    if (pages) pages();
    w->hide();
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    installItalianLocale();
    installQtItalianTranslations();
    outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(outDir);
    DialogMessages messages;
    messages.setTitle(applicationTitle());
    Mymsg::install(&messages);
    Database db;
    SharedData shared(db);
    TMainForm main(db, shared);
    messages.setParent(&main);
    main.FormCreate();
    main.createWindows();
    main.showMainWindow();
    grab(QStringLiteral("main"));
    for (DataSet* ds : shared.all())
        if (!ds->isOpen() && !ds->tableName().isEmpty()) ds->open();
    for (const char* cls :
         {"TfrmIntesta", "TfrmClienti", "TfrmListino", "TfrmGiornale", "TfrmSfuso1", "Tfrm_ask"}) {
        QWidget* w = main.programWindow(QString::fromLatin1(cls));
        if (!w) continue;
        const QString name = QString::fromLatin1(cls);
        shoot(w, name, [&] {
            if (auto* tabs = w->findChild<QTabWidget*>(QStringLiteral("PageControl1")))
                for (int i = 1; i < tabs->count(); ++i) {
                    tabs->setCurrentIndex(i);
                    grab(name + QStringLiteral("_%1").arg(i));
                }
            if (auto* nb = w->findChild<QStackedWidget*>(QStringLiteral("Notebook1"))) {
                nb->setCurrentIndex(1);
                grab(name + QStringLiteral("_lista"));
                nb->setCurrentIndex(0);
            }
            if (auto* pages = w->findChild<QStackedWidget*>(QStringLiteral("PageControl1"))) {
                pages->setCurrentIndex(2);
                grab(name + QStringLiteral("_csv"));
                pages->setCurrentIndex(0);
            }
        });
    }
    {
        TfrmInfo info(&main);
        shoot(&info, QStringLiteral("TfrmInfo"));
    }
    // A question before a deletion, and the preview of a printed list.
    QTimer::singleShot(300, [] {
        grab(QStringLiteral("question"));
        if (QWidget* box = QApplication::activeModalWidget()) box->close();
    });
    Mymsg::confirmDelete(QStringLiteral("   Cancello questo prodotto ?   "));
    QTimer::singleShot(500, [] {
        grab(QStringLiteral("preview"));
        if (QWidget* p = QApplication::activeModalWidget()) p->close();
    });
    main.printing().routine().setta_stampante(QStringLiteral("prodotti"),
                                              QStringLiteral("Elenco prodotti"), false, 0, 1);

    // The three pages of the print selection window, as the lists show them.
    if (auto* sel =
            qobject_cast<TSelezioneForm*>(main.programWindow(QStringLiteral("TSelezioneForm")))) {
        const auto closeAfter = [](const QString& name) {
            QTimer::singleShot(300, [name] {
                grab(name);
                if (QWidget* w = QApplication::activeModalWidget()) w->close();
            });
        };
        SelezioneClienti sc{QStringLiteral("ACME"), QStringLiteral("ZETA")};
        closeAfter(QStringLiteral("TSelezioneForm_clienti"));
        sel->selezionaClienti(sc);
        SelezioneFatture sf;
        sf.da = QDate(2017, 1, 1);
        sf.a = QDate::currentDate();
        closeAfter(QStringLiteral("TSelezioneForm_fatture"));
        sel->selezionaFatture(sf);
        SelezioneMovimenti sm;
        closeAfter(QStringLiteral("TSelezioneForm_movimenti"));
        sel->selezionaMovimenti(sm);
    }
    // The designer on the last template printed, its "Apri" list and its preview with data.
    QTimer::singleShot(600, [] {
        grab(QStringLiteral("designer"));
        auto* designer = qobject_cast<report::ReportDesigner*>(QApplication::activeWindow());
        if (!designer) return;
        QTimer::singleShot(300, [designer] {
            grab(QStringLiteral("designer_apri"));
            if (QWidget* w = QApplication::activeModalWidget()) w->close();
            QTimer::singleShot(600, [designer] {
                grab(QStringLiteral("designer_anteprima"));
                if (QWidget* w = QApplication::activeModalWidget()) w->close();
                QTimer::singleShot(200, [designer] { designer->close(); });
            });
            designer->preview();
        });
        designer->askOpen();
    });
    main.printing().Personalizzazionestampe1Click();
    Mymsg::install(nullptr);
    return 0;
}
