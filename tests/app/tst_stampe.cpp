// The printed lists and the designer as the shop owner meets them: the main window on the demo
// folder, the commands of "&Stampe" through the real selection window, preview and designer.
#include <QAction>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/mainform.h"
#include "app/printservice.h"
#include "common/format.h"
#include "common/inifile.h"
#include "common/messages.h"
#include "data/shareddata.h"
#include "datitool.h"
#include "report/designer/designer.h"
#include "report/prepareprogress.h"
#include "report/preview.h"
#include "support/whenshown.h"

namespace {

QStringList previewTexts(QWidget* preview) {
    QStringList out;
    for (const auto& page : static_cast<report::ReportPreview*>(preview)->prepared().pages)
        for (const auto& op : page.ops) out << op.lines;
    return out;
}

void click(QWidget* w, const char* button) {
    QTest::mouseClick(w->findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
}

}  // namespace

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

    void closedAfterwards(Run& run) {
        for (DataSet* ds : run.shared.all())
            if (ds != &run.shared.Intestazione) QVERIFY2(!ds->isOpen(), qPrintable(ds->name()));
    }

private Q_SLOTS:
    void initTestCase() {
        installItalianLocale();
        QVERIFY(dir_.isValid());
        folder_ = dir_.path() + QLatin1Char('/');
        DatiTool::createBase(folder_);
        DatiTool::fillDemo(folder_);
    }

    // "Elenco Clienti": the selection window with its presets, the preview with the customers.
    void customerListFromTheMenu() {
        ScriptedMessages msgs;
        Run run(folder_);
        QVERIFY(run.form.programWindow(QStringLiteral("TSelezioneForm")));
        QString da, a;
        QStringList shown;
        std::shared_ptr<bool> previewed;
        const auto selected = whenShown(QStringLiteral("TSelezioneForm"), [&](QWidget* w) {
            da = w->findChild<QLineEdit*>(QStringLiteral("clienti_da"))->text();
            a = w->findChild<QLineEdit*>(QStringLiteral("clienti_a"))->text();
            previewed = whenShown(QStringLiteral("frmAnteprima"), [&](QWidget* p) {
                shown = previewTexts(p);
                p->close();
            });
            click(w, "btn_conferma");
        });
        run.form.action(QStringLiteral("ElencoClienti"))->trigger();
        QVERIFY(*selected);
        QCOMPARE(da, QStringLiteral("Bar Centrale di Bortolin & C. s.a.s."));
        QCOMPARE(a, QStringLiteral("Zanette Anna"));
        QVERIFY2(shown.contains(QStringLiteral("Enoteca Al Portego s.n.c.")),
                 qPrintable(shown.join(u'|')));
        QVERIFY(shown.contains(QStringLiteral("Lista clienti")));
        QCOMPARE(msgs.texts, QStringList());
        closedAfterwards(run);
    }

    // After a start the designer opens on the template printed last, and its preview reads the
    // program's data although no list has prepared it.
    void designerOnLastPrintedWithData() {
        ScriptedMessages msgs;
        Run run(folder_);
        QCOMPARE(IniFile(folder_ + QStringLiteral("vinorda.ini"))
                     .value(QStringLiteral("TMainForm"), QStringLiteral("UltimaStampa")),
                 QStringLiteral("clienti"));
        QString file;
        QStringList shown;
        std::shared_ptr<bool> previewed;
        const auto designed = whenShown(QStringLiteral("ReportDesigner"), [&](QWidget* w) {
            auto* d = static_cast<report::ReportDesigner*>(w);
            file = QFileInfo(d->filePath()).fileName();
            previewed = whenShown(QStringLiteral("frmAnteprima"), [&](QWidget* p) {
                shown = previewTexts(p);
                p->close();
            });
            d->findChild<QAction*>(QStringLiteral("act_preview"))->trigger();
            d->close();
        });
        run.form.action(QStringLiteral("Personalizzazionestampe1"))->trigger();
        QVERIFY(*designed);
        QCOMPARE(file, QStringLiteral("clienti.frf"));
        QVERIFY2(shown.contains(QStringLiteral("Zanette Anna")), qPrintable(shown.join(u'|')));
        QCOMPARE(msgs.texts, QStringList());
        closedAfterwards(run);
    }

    // A long list: "Annulla" in the progress window stops it; nothing is shown or printed.
    void cancelLongList() {
        ScriptedMessages msgs;
        Run run(folder_);
        {
            Database::Transaction tx(run.db);
            for (int i = 0; i < 6000; ++i)
                run.db.exec(QStringLiteral("INSERT INTO Anagrafica (Codice, RagioneSociale) "
                                           "VALUES (?, ?)"),
                            {QStringLiteral("X%1").arg(i), QStringLiteral("Cliente %1").arg(i)});
            tx.commit();
        }
        const int delay = report::PrepareProgress::showDelay();
        report::PrepareProgress::setShowDelay(0);
        const auto selected = whenShown(QStringLiteral("TSelezioneForm"),
                                        [](QWidget* w) { click(w, "btn_conferma"); });
        const auto stopped = whenShown(QStringLiteral("progressoStampa"), [](QWidget* w) {
            QTest::mouseClick(w->findChild<QPushButton*>(), Qt::LeftButton);
        });
        const auto previewed =
            whenShown(QStringLiteral("frmAnteprima"), [](QWidget* p) { p->close(); });
        run.form.printing().routine().setReportPrinted(false);
        run.form.action(QStringLiteral("RubricatelefonicaClienti1"))->trigger();
        report::PrepareProgress::setShowDelay(delay);
        QVERIFY(*selected);
        QVERIFY(*stopped);
        QVERIFY(!*previewed);
        QVERIFY(!run.form.printing().routine().reportPrinted());
        QCOMPARE(msgs.texts, QStringList());
        closedAfterwards(run);
    }
};

QTEST_MAIN(TstStampe)
#include "tst_stampe.moc"
