// "Vendite a pannello sinottico" in the main window: the panel is built at start-up with its
// header window, the receipt template finds the sale's data sets, and the command opens the
// products and the journal around the panel's modal display.
#include <QAction>
#include <QFile>
#include <QTest>

#include "app/mainform.h"
#include "app/printservice.h"
#include "common/format.h"
#include "data/shareddata.h"
#include "panel/sinotticofrm.h"
#include "panel/videoscontrino.h"
#include "support/testfolder.h"

class TstPanelCommand : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { installItalianLocale(); }

    void openedAroundThePanel() {
        TestFolder tf(false);
        QFile ini(tf.file(QStringLiteral("vinorda.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(QStringLiteral("[TMainForm]\nDIRECTORY=%1\n").arg(tf.path()).toUtf8());
        ini.close();
        SharedData shared(tf.db());
        TMainForm form(tf.db(), shared);
        form.setFormIniPath(tf.file(QStringLiteral("form.ini")));
        form.FormCreate(ini.fileName());
        form.createWindows();
        auto* panel =
            qobject_cast<Tfrmsinottico*>(form.programWindow(QStringLiteral("Tfrmsinottico")));
        QVERIFY(panel);
        QCOMPARE(static_cast<QWidget*>(panel->intestazione()),
                 form.programWindow(QStringLiteral("Tfrmvideoscontr")));
        for (const char* n : {"appoggio_R", "appoggio_I", "Somma"})
            QVERIFY(form.printing().engine().dataSources().find(QString::fromLatin1(n)));

        QAction* command = form.action(QStringLiteral("Venditeapannellosinottico1"));
        QVERIFY(command->isEnabled());
        QWidget* shown = nullptr;
        bool open = false;
        form.setShowModalHook([&](QWidget* w) {
            shown = w;
            open = shared.prodotti.isOpen() && shared.Giornale.isOpen();
        });
        command->trigger();
        QCOMPARE(shown, panel);
        QVERIFY(open);
        QVERIFY(!shared.prodotti.isOpen());
        QVERIFY(!shared.Giornale.isOpen());
        form.close();
    }
};

QTEST_MAIN(TstPanelCommand)
#include "tst_panelcommand.moc"
