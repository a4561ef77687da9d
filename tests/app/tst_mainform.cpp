// The main window: the whole menu as the user sees it, commands and their data sets, the wheel
// filter, the status line, running without a database.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include "app/infoform.h"
#include "app/mainform.h"
#include "app/splashform.h"
#include "app/wheelfilter.h"
#include "common/format.h"
#include "common/inifile.h"
#include "common/messages.h"
#include "common/nativewheel.h"
#include "data/maintenance.h"
#include "data/shareddata.h"
#include "documents/pagamentifrm.h"
#include "documents/seleddt.h"
#include "support/smalldisk.h"
#include "support/testfolder.h"
#include "widgets/formgeometry.h"

namespace {
// Every entry of the menu bar as "path|caption|objectName", separators as "path|-|".
void walk(const QList<QAction*>& actions, const QString& path, QStringList& out) {
    for (QAction* a : actions) {
        if (a->isSeparator()) {
            out << path + QStringLiteral("|-|");
            continue;
        }
        out << QStringLiteral("%1|%2|%3").arg(path, a->text(), a->objectName());
        if (QMenu* m = a->menu()) walk(m->actions(), path + QLatin1Char('/') + a->text(), out);
    }
}

class KeyRecorder : public QWidget {
public:
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent* e) override { keys << e->key(); }
};

void writeIni(const QString& path, const QString& folder) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(QStringLiteral("[TMainForm]\nDIRECTORY=%1\n").arg(folder).toUtf8());
}
}  // namespace

class TstMainForm : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { installItalianLocale(); }
    void menuTree();
    void disabledUntilBuilt_data();
    void disabledUntilBuilt();
    void commandAroundModalWindow();
    void paymentsAndPickersWired();
    void withoutDatabase();
    void startupWarnings_data();
    void startupWarnings();
    void datedCopyWhileStarting_data();
    void datedCopyWhileStarting();
    void wheelToArrows_data();
    void wheelToArrows();
    void wheelLeftToNativeWidgets();
    void statusHint();
    void infoTexts();
    void splashMinimum();
    void zoomScalesMainWindow();
    void geometryText_data();
    void geometryText();
    void geometryKeptInFormIni();
};

void TstMainForm::menuTree() {
    Database db;
    SharedData shared(db);
    TMainForm form(db, shared);
    QStringList got;
    walk(form.menuBar()->actions(), QString(), got);
    const QStringList expected = {
        "|&Anagrafiche|Clienti1",
        "|&Prodotti e Listino|Prodottivinicoli1",
        "|&Vendite|Vendite1",
        "/&Vendite|&Fatture e Documenti di trasporto|Emissionefatture1",
        "/&Vendite|Vendite a pannello sinottico|Venditeapannellosinottico1",
        "/&Vendite|Registrazione rapida|RegistrazioneconlettoreBarcode1",
        "|&Pagamenti|Pagamenti1",
        "|Movimenti|Movimenti1",
        "|&Stampe|Stampe1",
        "/&Stampe|Elenco Clienti|ElencoClienti",
        "/&Stampe|Rubrica telefonica Clienti|RubricatelefonicaClienti1",
        "/&Stampe|-|",
        "/&Stampe|Elenco &Prodotti e Giacenze|ElencoProdotti",
        "/&Stampe|Controllo movimenti  prodotto|Controllomovimentiprodotto1",
        "/&Stampe|Stampa Listini|StampaListini1",
        "/&Stampe/Stampa Listini|Listino 1|Listino11",
        "/&Stampe/Stampa Listini|Listino 2|Listino21",
        "/&Stampe/Stampa Listini|Listino 3|Listino31",
        "/&Stampe/Stampa Listini|Listino 4|Listino41",
        "/&Stampe/Stampa Listini|Listino 5|Listino51",
        "/&Stampe/Stampa Listini|Listini comparati|Listinicomparato1",
        "/&Stampe|Stampa controllo Griglia|StampacontrolloGriglia1",
        "/&Stampe|Stampa per scarico barcode|Stampaperscaricobarcode1",
        "/&Stampe|-|",
        "/&Stampe|Lista Documenti Emessi|ListaFattureEmesse1",
        "/&Stampe|-|",
        "/&Stampe|P&ersonalizzazione stampe|Personalizzazionestampe1",
        "/&Stampe|Editor stampe  contestuale|Inline_editor",
        "|A&iuto|Aiuto1",
        "/A&iuto|&Configurazione|Registrazione1",
        "/A&iuto|-|",
        "/A&iuto|&Manuale|Manuale1",
        "/A&iuto|&Sito|SitoQuorvanel1",
        "/A&iuto|-|",
        "/A&iuto|&Informazioni|Informazioni1",
        "|&Fine programma|Uscita1",
    };
    QCOMPARE(got, expected);
    QVERIFY(form.action(QStringLiteral("Inline_editor"))->isCheckable());
    QCOMPARE(form.windowTitle(), QStringLiteral("Vinorda Lestro ZUPAR 02.01"));
}

void TstMainForm::disabledUntilBuilt_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<bool>("withFactory");
    QTest::newRow("documents, not built") << "Emissionefatture1" << false;
    QTest::newRow("panel, not built") << "Venditeapannellosinottico1" << false;
    QTest::newRow("payments, not built") << "Pagamenti1" << false;
    QTest::newRow("print list, not built") << "ElencoClienti" << false;
    QTest::newRow("documents, factory given") << "Emissionefatture1" << true;
    QTest::newRow("print list, handler given") << "ElencoClienti" << true;
}

void TstMainForm::disabledUntilBuilt() {
    QFETCH(QString, item);
    QFETCH(bool, withFactory);
    Database db;
    SharedData shared(db);
    TMainForm form(db, shared);
    QHash<QString, WindowFactory> factories;
    QHash<QString, CommandHandler> handlers;
    int ran = 0;
    if (withFactory) {
        factories.insert(QStringLiteral("TfrmFatture"), [](TMainForm&) { return new QWidget; });
        handlers.insert(QStringLiteral("ElencoClienti"), [&](TMainForm&) { ++ran; });
    }
    form.createWindows(factories, handlers);
    QCOMPARE(form.action(item)->isEnabled(), withFactory);
    // Always available.
    for (const char* n : {"Manuale1", "SitoQuorvanel1", "Informazioni1", "Uscita1"})
        QVERIFY(form.action(QString::fromLatin1(n))->isEnabled());
    if (withFactory && item == QLatin1String("ElencoClienti")) {
        form.action(item)->trigger();
        QCOMPARE(ran, 1);
    }
}

void TstMainForm::commandAroundModalWindow() {
    TestFolder tf(false);
    writeIni(tf.file(QStringLiteral("vinorda.ini")), tf.path());
    SharedData shared(tf.db());
    TMainForm form(tf.db(), shared);
    form.setFormIniPath(tf.file(QStringLiteral("form.ini")));
    form.FormCreate(tf.file(QStringLiteral("vinorda.ini")));
    QVERIFY2(form.startupReport().error.isEmpty(), qPrintable(form.startupReport().error));
    QWidget* built = nullptr;
    QHash<QString, WindowFactory> factories;
    factories.insert(QStringLiteral("TfrmClienti"), [&](TMainForm&) {
        built = new QWidget;
        return built;
    });
    form.createWindows(factories, {});
    QVERIFY(built && !built->isVisible());
    QWidget* shownWindow = nullptr;
    bool clientiOpen = false;
    form.setShowModalHook([&](QWidget* w) {
        shownWindow = w;
        clientiOpen = shared.Clienti.isOpen();
    });
    form.action(QStringLiteral("Clienti1"))->trigger();
    QCOMPARE(shownWindow, built);
    QVERIFY(clientiOpen);
    QVERIFY(!shared.Clienti.isOpen());
    // Shown again, never built twice.
    form.action(QStringLiteral("Clienti1"))->trigger();
    QCOMPARE(shownWindow, built);
}

// The program's own windows: "&Pagamenti" shows the payments window around its open view, and
// the documents window's import button opens the delivery-note picker on the current invoice.
void TstMainForm::paymentsAndPickersWired() {
    TestFolder tf(false);
    writeIni(tf.file(QStringLiteral("vinorda.ini")), tf.path());
    SharedData shared(tf.db());
    TMainForm form(tf.db(), shared);
    form.setFormIniPath(tf.file(QStringLiteral("form.ini")));
    form.FormCreate(tf.file(QStringLiteral("vinorda.ini")));
    tf.insert(QStringLiteral("Fatture"), {{"Docum_numero", "F-2025-000001"},
                                          {"Doc_tipo", "F"},
                                          {"DDTFATT", "R"},
                                          {"Num_fattura", 1},
                                          {"Codice", "C1"}});
    tf.insert(QStringLiteral("Fatture"), {{"Docum_numero", "B-2025-000001"},
                                          {"Doc_tipo", "B"},
                                          {"DDTFATT", "D"},
                                          {"Num_fattura", 1},
                                          {"Codice", "C1"},
                                          {"Fatturato", "N"}});
    form.createWindows();
    QVERIFY(form.action(QStringLiteral("Pagamenti1"))->isEnabled());
    QWidget* shown = nullptr;
    int listed = -1;
    form.setShowModalHook([&](QWidget* w) {
        shown = w;
        if (auto* p = qobject_cast<Tfrmpagamenti*>(w)) listed = p->pagamenti.recordCount();
    });
    form.action(QStringLiteral("Pagamenti1"))->trigger();
    auto* pagamenti = qobject_cast<Tfrmpagamenti*>(shown);
    QVERIFY(pagamenti);
    QCOMPARE(listed, 1);
    QVERIFY(!pagamenti->pagamenti.isOpen());

    auto* docs = form.programWindow(QStringLiteral("TfrmFatture"));
    auto* picker =
        qobject_cast<Tsele_ddt_frm*>(form.programWindow(QStringLiteral("Tsele_ddt_frm")));
    QVERIFY(docs && picker);
    for (DataSet* ds : {&shared.Clienti, &shared.Fatture, &shared.righe, &shared.clifatt,
                        &shared.destfatt, &shared.prodotti})
        ds->open();
    docs->show();
    QTest::mouseClick(docs->findChild<QAbstractButton*>(QStringLiteral("btn_modifica")),
                      Qt::LeftButton);
    QVERIFY(shared.Fatture.locate(QStringLiteral("Docum_numero"), QStringLiteral("F-2025-000001")));
    QStringList offered;
    QTimer::singleShot(0, picker, [&] {
        for (int r = 0; r < picker->selebolle.recordCount(); ++r) {
            picker->selebolle.setRecNo(r);
            offered << picker->selebolle.field(QStringLiteral("Docum_numero")).asString();
        }
        picker->accept();
    });
    QTest::mouseClick(docs->findChild<QAbstractButton*>(QStringLiteral("Da_ddt")), Qt::LeftButton);
    QCOMPARE(offered, QStringList{"B-2025-000001"});
    QVERIFY(!picker->selebolle.isOpen());
    docs->close();
}

void TstMainForm::withoutDatabase() {
    ScriptedMessages messages;
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("vinorda.ini"));
    writeIni(ini, dir.path() + QStringLiteral("/vuota/"));
    Database db;
    SharedData shared(db);
    TMainForm form(db, shared);
    form.setFormIniPath(dir.filePath(QStringLiteral("form.ini")));
    form.FormCreate(ini);
    QCOMPARE(messages.kinds, QStringList{QStringLiteral("error")});
    QVERIFY(!db.isOpen());
    QHash<QString, WindowFactory> factories;
    factories.insert(QStringLiteral("TfrmListino"), [](TMainForm&) { return new QWidget; });
    form.createWindows(factories, {});
    bool shown = false;
    form.setShowModalHook([&](QWidget*) { shown = true; });
    messages.clear();
    form.action(QStringLiteral("Prodottivinicoli1"))->trigger();
    QVERIFY(!shown);
    QCOMPARE(messages.kinds, QStringList{QStringLiteral("error")});
    form.close();
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("form.ini"))));
}

// What the user must know at start-up comes in one message before anything else: settings that
// will not be saved, a database opened read-only (which stays marked in the status line).
void TstMainForm::startupWarnings_data() {
    QTest::addColumn<bool>("damagedIni");
    QTest::addColumn<QStringList>("kinds");
    QTest::addColumn<QString>("said");
    QTest::newRow("damaged vinorda.ini")
        << true << QStringList{"message", "error"} << "le impostazioni non verranno salvate";
    QTest::newRow("read-only database") << false << QStringList{"message"} << "SOLA LETTURA";
}

void TstMainForm::startupWarnings() {
    QFETCH(bool, damagedIni);
    QFETCH(QStringList, kinds);
    QFETCH(QString, said);
    QTemporaryDir cwd;
    const QString oldCwd = QDir::currentPath();
    QDir::setCurrent(cwd.path());
    const QString ini = cwd.filePath(QStringLiteral("vinorda.ini"));
    const QByteArray damaged = QByteArray("[TMainForm]\nZOOM=100\n") + QByteArray(512, '\0');
    TestFolder tf(false);
    std::unique_ptr<ReadOnlyData> ro;
    if (damagedIni) {
        QFile f(ini);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(damaged);
    } else {
        QString why;
        auto kind = ReadOnlyData::Kind::Disk;
        if (!ReadOnlyData::available(kind, &why)) kind = ReadOnlyData::Kind::File;
        ro = std::make_unique<ReadOnlyData>(kind, tf.path());
        QVERIFY2(ro->isValid(), qPrintable(ro->errorString()));
        writeIni(ini, ro->path());
    }
    {
        ScriptedMessages messages;
        Database db;
        SharedData shared(db);
        TMainForm form(db, shared);
        form.setFormIniPath(cwd.filePath(QStringLiteral("form.ini")));
        form.FormCreate(ini);
        QCOMPARE(messages.kinds, kinds);
        QVERIFY2(messages.texts.first().contains(said), qPrintable(messages.texts.first()));
        auto* mark = form.findChild<QLabel*>(QStringLiteral("StatusLineReadOnly"));
        QVERIFY(mark);
        QCOMPARE(mark->isVisibleTo(&form), !damagedIni);
        if (damagedIni) {
            // The settings the windows store are refused, and the file keeps every byte.
            form.settingsIni().setValue(QStringLiteral("TfrmIntesta"),
                                        QStringLiteral("stampante1_Text"), QStringLiteral("HP"));
            QVERIFY(!form.settingsIni().save());
            form.close();
            QFile f(ini);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), damaged);
        }
    }
    QDir::setCurrent(oldCwd);
}

// The day's dated copy is taken while the windows are built: the same bytes as the checked copy,
// once a day; a copy that cannot take its name is said in a message once it has failed.
void TstMainForm::datedCopyWhileStarting_data() {
    QTest::addColumn<bool>("nameTaken");
    QTest::newRow("taken") << false;
    QTest::newRow("its name taken by a folder") << true;
}

void TstMainForm::datedCopyWhileStarting() {
    QFETCH(bool, nameTaken);
    TestFolder tf(false);
    writeIni(tf.file(QStringLiteral("vinorda.ini")), tf.path());
    const QString dated =
        tf.file(QStringLiteral("backup/")) + DatabaseFiles::datedName(QDate::currentDate());
    if (nameTaken) QVERIFY(QDir().mkpath(dated));
    ScriptedMessages messages;
    QByteArray morning;
    for (int start = 0; start < 2; ++start) {
        SharedData shared(tf.db());
        TMainForm form(tf.db(), shared);
        form.setFormIniPath(tf.file(QStringLiteral("form.ini")));
        form.FormCreate(tf.file(QStringLiteral("vinorda.ini")));
        QVERIFY2(form.startupReport().error.isEmpty(), qPrintable(form.startupReport().error));
        const MaintenanceResult r = form.waitDatedCopy();
        QCoreApplication::processEvents();
        if (nameTaken) {
            QCOMPARE(r.warnings.size(), 1);
            QCOMPARE(messages.kinds, QStringList{QStringLiteral("message")});
            QVERIFY2(messages.texts.first().contains(QStringLiteral("non scritta")),
                     qPrintable(messages.texts.first()));
            messages.kinds.clear();
            messages.texts.clear();
            continue;
        }
        QVERIFY(messages.kinds.isEmpty());
        QFile copy(dated), checked(tf.file(Database::backupName()));
        QVERIFY(copy.open(QIODevice::ReadOnly) && checked.open(QIODevice::ReadOnly));
        if (start == 0) {
            QCOMPARE(r.datedBackup, dated);
            morning = copy.readAll();
            QCOMPARE(morning, checked.readAll());
        } else {
            // The second start-up of the day leaves the day's copy as the first one took it.
            QVERIFY(r.datedBackup.isEmpty() && r.warnings.isEmpty());
            QCOMPARE(copy.readAll(), morning);
        }
    }
}

void TstMainForm::wheelToArrows_data() {
    QTest::addColumn<int>("delta");
    QTest::addColumn<int>("key");
    QTest::newRow("down") << -120 << int(Qt::Key_Down);
    QTest::newRow("up") << 120 << int(Qt::Key_Up);
    QTest::newRow("zero") << 0 << int(Qt::Key_Down);
}

void TstMainForm::wheelToArrows() {
    QFETCH(int, delta);
    QFETCH(int, key);
    WheelToArrowFilter filter;
    qApp->installEventFilter(&filter);
    KeyRecorder w;
    w.resize(100, 100);
    QWheelEvent wheel(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&w, &wheel);
    qApp->removeEventFilter(&filter);
    QCOMPARE(w.keys, QList<int>{key});
}

void TstMainForm::wheelLeftToNativeWidgets() {
    WheelToArrowFilter filter;
    qApp->installEventFilter(&filter);
    QWidget canvas;
    canvas.setProperty(kNativeWheelProperty, true);
    auto* child = new KeyRecorder;
    child->setParent(&canvas);
    QWheelEvent wheel(QPointF(1, 1), QPointF(1, 1), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(child, &wheel);
    qApp->removeEventFilter(&filter);
    QVERIFY(child->keys.isEmpty());
}

void TstMainForm::statusHint() {
    Database db;
    SharedData shared(db);
    TMainForm form(db, shared);
    auto* panel = form.statusBar()->findChild<QLabel*>(QStringLiteral("StatusLinePanel"));
    QVERIFY(panel);
    QCOMPARE(form.statusBar()->objectName(), QStringLiteral("StatusLine"));
    QCOMPARE(panel->width(), 400);
    QStatusTipEvent tip(form.action(QStringLiteral("Manuale1"))->statusTip());
    QApplication::sendEvent(form.menuBar(), &tip);
    QCOMPARE(panel->text(), QStringLiteral("Apre il manuale del programma"));
}

void TstMainForm::infoTexts() {
    Database db;
    SharedData shared(db);
    TMainForm form(db, shared);
    QStringList texts;
    QString caption;
    form.setShowModalHook([&](QWidget* w) {
        caption = w->windowTitle();
        for (QLabel* l : w->findChildren<QLabel*>())
            if (!l->text().isEmpty()) texts << l->text();
    });
    form.action(QStringLiteral("Informazioni1"))->trigger();
    QCOMPARE(caption, QStringLiteral("Informazioni"));
    for (const char* t : {"Quorvanel - VinordaLestro", "Vinorda Lestro ZUPAR 02.01",
                          "Fatturazione e Vendita Sfuso", "VIREG / MIPAAF"})
        QVERIFY2(texts.contains(QString::fromUtf8(t)), t);
    QVERIFY(texts.contains(TfrmInfo::makerWeb()));
}

void TstMainForm::splashMinimum() {
    TSplashForm splash;
    QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(splash.windowFlags() & Qt::WindowStaysOnTopHint);
    QStringList texts;
    for (QLabel* l : splash.findChildren<QLabel*>()) texts << l->text();
    QVERIFY(texts.contains(QStringLiteral("Caricamento in corso ... attendere")));
    QVERIFY(texts.contains(QStringLiteral("Build 21.02.2017")));
    splash.showNow();
    splash.finish(300);
    QVERIFY(splash.elapsedMs() >= 300);
    QVERIFY(!splash.isVisible());
}

void TstMainForm::zoomScalesMainWindow() {
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("vinorda.ini"));
    QFile f(ini);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[TMainForm]\nDIRECTORY=manca/\nZOOM=150\n");
    f.close();
    ScriptedMessages messages;  // the missing database is reported
    Database db;
    SharedData shared(db);
    TMainForm plain(db, shared);
    TMainForm zoomed(db, shared);
    zoomed.setFormIniPath(dir.filePath(QStringLiteral("form.ini")));
    zoomed.FormCreate(ini);
    QCOMPARE(zoomed.zoom(), 150);
    QCOMPARE(zoomed.font().pointSizeF(), plain.font().pointSizeF() * 1.5);
    QCOMPARE(zoomed.width(), int(plain.width() * 1.5));
}

void TstMainForm::geometryText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<bool>("max");
    QTest::newRow("plain") << "10,20,800,600" << true << QRect(10, 20, 800, 600) << false;
    QTest::newRow("maximised") << "0,0,1024,700,max" << true << QRect(0, 0, 1024, 700) << true;
    QTest::newRow("negative place") << "-5,-8,300,200" << true << QRect(-5, -8, 300, 200) << false;
    QTest::newRow("no size") << "10,20,0,600" << false << QRect() << false;
    QTest::newRow("letters") << "dieci,20,800,600" << false << QRect() << false;
    QTest::newRow("too few") << "10,20,800" << false << QRect() << false;
    QTest::newRow("unknown flag") << "10,20,800,600,min" << false << QRect() << false;
}

void TstMainForm::geometryText() {
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(QRect, rect);
    QFETCH(bool, max);
    QRect r;
    bool m = false;
    QCOMPARE(FormGeometry::fromText(text, &r, &m), ok);
    if (!ok) return;
    QCOMPARE(r, rect);
    QCOMPARE(m, max);
    QCOMPARE(FormGeometry::toText(r, m), text);
}

void TstMainForm::geometryKeptInFormIni() {
    ScriptedMessages messages;
    QTemporaryDir dir;
    const QString formIni = dir.filePath(QStringLiteral("form.ini"));
    {
        QFile f(formIni);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Anagrafiche]\nGeometria=1,2,300,200\n");
    }
    Database db;
    SharedData shared(db);
    {
        TMainForm form(db, shared);
        form.setFormIniPath(formIni);
        form.FormCreate(dir.filePath(QStringLiteral("vinorda.ini")));
        form.setGeometry(40, 50, 700, 500);
        form.close();
    }
    IniFile ini(formIni);
    QCOMPARE(ini.value(QStringLiteral("Main"), QStringLiteral("Geometria")),
             QStringLiteral("40,50,700,500"));
    // Another window's place survives the main window's save.
    QCOMPARE(ini.value(QStringLiteral("Anagrafiche"), QStringLiteral("Geometria")),
             QStringLiteral("1,2,300,200"));
}

QTEST_MAIN(TstMainForm)
#include "tst_mainform.moc"
