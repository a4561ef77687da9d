// The printed lists and the designer as the shop owner meets them: the main window on the demo
// folder, a command of "&Stampe", the preview and the designer.
#include <QAction>
#include <QCheckBox>
#include <QTemporaryDir>
#include <QTest>

#include "app/mainform.h"
#include "common/format.h"
#include "common/messages.h"
#include "data/shareddata.h"
#include "datitool.h"
#include "report/designer/designer.h"
#include "report/preview.h"
#include "support/controls.h"
#include "support/whenshown.h"

class TstStampe : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString folder_;

    // One run of the program on the demo folder.
    struct Run {
        Database db;
        SharedData shared{db};
        TMainForm form{db, shared};
        explicit Run(const QString& folder) {
            form.setFormIniPath(folder + QStringLiteral("form.ini"));
            form.FormCreate(folder + QStringLiteral("vinorda.ini"));
            form.createWindows();
        }
    };

private Q_SLOTS:
    void initTestCase() {
        installItalianLocale();
        QVERIFY(dir_.isValid());
        folder_ = dir_.path() + QLatin1Char('/');
        DatiTool::createBase(folder_);
        DatiTool::fillDemo(folder_);
    }

    // A list printed from the menu; after a new start the designer opens on that template, and
    // its preview reads the program's data although nothing has prepared it.
    void designerOnLastPrintedWithData() {
        ScriptedMessages msgs;
        {
            Run run(folder_);
            QVERIFY(run.form.programWindow(QStringLiteral("TSelezioneForm")));
            const auto previewed =
                whenShown(QStringLiteral("frmAnteprima"), [](QWidget* p) { p->close(); });
            run.form.action(QStringLiteral("Listino31"))->trigger();
            QVERIFY(*previewed);
        }
        Run run(folder_);
        QString file;
        QStringList shown;
        std::shared_ptr<bool> previewed;
        const auto designed = whenShown(QStringLiteral("ReportDesigner"), [&](QWidget* w) {
            auto* d = static_cast<report::ReportDesigner*>(w);
            file = QFileInfo(d->filePath()).fileName();
            previewed = whenShown(QStringLiteral("frmAnteprima"), [&](QWidget* p) {
                const report::PageStore& pages = static_cast<report::ReportPreview*>(p)->prepared();
                for (int i = 0; i < pages.count(); ++i)
                    for (const auto& op : pages.at(i)->ops) shown << op.lines;
                p->close();
            });
            d->findChild<QAction*>(QStringLiteral("act_preview"))->trigger();
            d->close();
        });
        run.form.action(QStringLiteral("Personalizzazionestampe1"))->trigger();
        QVERIFY(*designed && *previewed);
        QCOMPARE(file, QStringLiteral("listino3.frf"));
        QVERIFY2(shown.contains(QStringLiteral("Listino prezzi 3")) &&
                     shown.contains(QStringLiteral("Merlot Piave DOC")),
                 qPrintable(shown.join(u'|')));
        QCOMPARE(msgs.texts, QStringList());
        for (DataSet* ds : run.shared.all())
            if (ds != &run.shared.Intestazione) QVERIFY2(!ds->isOpen(), qPrintable(ds->name()));
    }

    // "Lista Documenti Emessi" from the menu: the kinds left checked in the selection window are
    // those the preview shows; the documents window afterwards lists every document again.
    void documentsListByKind_data() {
        QTest::addColumn<QString>("kinds");  // B, F, N left checked
        QTest::newRow("all three") << "BFN";
        QTest::newRow("delivery notes") << "B";
        QTest::newRow("invoices and receipts") << "FN";
    }
    void documentsListByKind() {
        QFETCH(QString, kinds);
        ScriptedMessages msgs;
        Run run(folder_);
        const auto selected = whenShown(QStringLiteral("TSelezioneForm"), [&](QWidget* w) {
            child<QCheckBox>(w, "Sel_DDT")->setChecked(kinds.contains(u'B'));
            child<QCheckBox>(w, "Sel_Fatt")->setChecked(kinds.contains(u'F'));
            child<QCheckBox>(w, "sel_privati")->setChecked(kinds.contains(u'N'));
            click(w, "btn_conferma");
        });
        QStringList shown;
        const auto previewed = whenShown(QStringLiteral("frmAnteprima"), [&](QWidget* p) {
            const report::PageStore& pages = static_cast<report::ReportPreview*>(p)->prepared();
            for (int i = 0; i < pages.count(); ++i)
                for (const auto& op : pages.at(i)->ops) shown << op.lines;
            p->close();
        });
        run.form.action(QStringLiteral("ListaFattureEmesse1"))->trigger();
        QVERIFY(*selected && *previewed);
        QCOMPARE(msgs.texts, QStringList());
        for (const char* kind : {"B", "F", "N"}) {
            const QString first = QStringLiteral("%1-2026-000001").arg(QLatin1String(kind));
            QVERIFY2(shown.contains(first) == kinds.contains(QLatin1String(kind)),
                     qPrintable(first + QStringLiteral(": ") + shown.join(u'|')));
        }
        DataSet& fatture = run.shared.Fatture;
        QVERIFY(!fatture.isOpen());
        fatture.open();
        fatture.setFiltered(true);
        const int all = fatture.recordCount();
        fatture.setFiltered(false);
        QCOMPARE(all, fatture.recordCount());
        fatture.close();
    }
};

QTEST_MAIN(TstStampe)
#include "tst_stampe.moc"
