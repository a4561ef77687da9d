// Every window of the program reachable from the keyboard in the order it is read, and the
// zoom scaling all of a register window's text alike.
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>

#include "app/mainform.h"
#include "common/format.h"
#include "common/inifile.h"
#include "data/shareddata.h"
#include "masterdata/frmlistino.h"
#include "stock/giornalefrm.h"
#include "stock/sfuso1.h"
#include "support/testfolder.h"
#include "widgets/datagrid.h"

namespace {

struct Stop {
    QWidget* widget;
    QRect place;  // in window coordinates
};

// The controls Tab visits, in the focus chain's order: visible, taking focus with Tab. A combo
// box's own edit field is the combo box itself.
QList<Stop> tabStops(QWidget* window) {
    QList<Stop> out;
    QWidget* w = window->nextInFocusChain();
    for (int guard = 0; w != window && guard < 1000; ++guard, w = w->nextInFocusChain()) {
        if (!(w->focusPolicy() & Qt::TabFocus) || !w->isVisibleTo(window)) continue;
        if (qobject_cast<QComboBox*>(w->parentWidget())) continue;
        out << Stop{w, QRect(w->mapTo(window, QPoint(0, 0)), w->size())};
    }
    return out;
}

QString describe(const Stop& s) {
    return QStringLiteral("%1 %2 at %3,%4")
        .arg(QString::fromLatin1(s.widget->metaObject()->className()), s.widget->objectName())
        .arg(s.place.x())
        .arg(s.place.y());
}

// b comes after a when reading: on a lower line, or on the same line further right.
bool readsAfter(const Stop& a, const Stop& b) {
    if (a.widget->isAncestorOf(b.widget)) return true;  // a tab page and its tab bar
    const int line = qMin(a.place.height(), b.place.height()) / 2;
    if (b.place.top() >= a.place.top() + line) return true;
    if (qAbs(b.place.center().y() - a.place.center().y()) <= line ||
        (b.place.top() < a.place.bottom() && a.place.top() < b.place.bottom()))
        return b.place.left() > a.place.left();
    return false;
}

}  // namespace

class TestWindowsFit : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { installItalianLocale(); }

    void tabOrderIsReadingOrder() {
        TestFolder tf;
        SharedData sd(tf.db());
        TMainForm main(tf.db(), sd);
        main.createWindows();
        for (DataSet* ds : sd.all())
            if (!ds->isOpen() && !ds->tableName().isEmpty()) ds->open();
        int checked = 0;
        for (const char* name :
             {"TfrmIntesta", "TfrmClienti", "TfrmListino", "TfrmGiornale", "TfrmSfuso1", "Tfrm_ask",
              "Tfrmpagamenti", "TSele_maga_frm", "Tsele_ddt_frm"}) {
            QWidget* w = main.programWindow(QString::fromLatin1(name));
            QVERIFY2(w, name);
            w->resize(1024, 700);
            w->show();
            // Writable, so that every control is enabled as while editing.
            for (DataSet* ds : sd.all()) ds->setReadOnly(false);
            QList<std::function<void()>> pages{[] {}};
            if (auto* tabs = w->findChild<QTabWidget*>(QStringLiteral("PageControl1")))
                for (int i = 0; i < tabs->count(); ++i)
                    pages << [tabs, i] { tabs->setCurrentIndex(i); };
            if (auto* nb = w->findChild<QStackedWidget*>(QStringLiteral("Notebook1")))
                for (int i = 0; i < nb->count(); ++i) pages << [nb, i] { nb->setCurrentIndex(i); };
            for (const auto& page : pages) {
                page();
                QCoreApplication::processEvents();
                const QList<Stop> stops = tabStops(w);
                QVERIFY2(stops.size() >= 2, name);
                for (int i = 1; i < stops.size(); ++i) {
                    // The quick registration goes from the quantity to "Conferma" on purpose: it
                    // is where the barcode reader's Enter leads.
                    if (stops[i - 1].widget->objectName() == u"btnconferma") continue;
                    QVERIFY2(readsAfter(stops[i - 1], stops[i]),
                             qPrintable(QStringLiteral("%1: %2 before %3")
                                            .arg(QString::fromLatin1(name), describe(stops[i - 1]),
                                                 describe(stops[i]))));
                    ++checked;
                }
            }
            w->hide();
        }
        QVERIFY(checked > 40);
    }

    // ZOOM scales grid headers and cells of the products window, and the text of the journal
    // and quick-registration windows, like the rest.
    void zoomScalesEverything() {
        TestFolder tf;
        SharedData sd(tf.db());
        IniFile ini;
        auto measures = [&](int zoom) {
            TfrmListino listino(sd, ini, zoom);
            TfrmGiornale giornale(sd, ini, zoom);
            TfrmSfuso1 sfuso(sd, zoom);
            auto* grid = listino.findChild<DataGrid*>(QStringLiteral("ListinoGrid"));
            return QList<double>{
                grid->horizontalHeader()->font().pointSizeF(),
                grid->font().pointSizeF(),
                double(grid->verticalHeader()->defaultSectionSize()),
                double(grid->columnWidth(1)),
                giornale.findChild<DataGrid*>(QStringLiteral("dbgDocumenti"))->font().pointSizeF(),
                giornale.findChild<QLabel*>()->font().pointSizeF(),
                sfuso.findChild<QLabel*>(QStringLiteral("prodotto"))->font().pointSizeF(),
                sfuso.findChild<QLineEdit*>(QStringLiteral("Codice"))->font().pointSizeF()};
        };
        const QList<double> plain = measures(100), zoomed = measures(150);
        for (int i = 0; i < plain.size(); ++i)
            QVERIFY2(
                zoomed[i] >= plain[i] * 1.35,
                qPrintable(
                    QStringLiteral("measure %1: %2 -> %3").arg(i).arg(plain[i]).arg(zoomed[i])));
    }
};

QTEST_MAIN(TestWindowsFit)
#include "tst_windowsfit.moc"
