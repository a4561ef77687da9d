// The designer under the offscreen platform: editing through its own controls, undo/redo and the
// file written by Save.
#include <QApplication>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QtTest>

#include "common/format.h"
#include "common/messages.h"
#include "report/designer/designer.h"
#include "report/prepareprogress.h"
#include "report/preview.h"
#include "report/templatefile.h"
#include "support/whenshown.h"

using namespace report;

namespace {
// A list of products: one master band printing the code.
Report productList() {
    Report r = emptyReport();
    Band b;
    b.type = BandType::MasterData;
    b.name = QStringLiteral("Righe");
    b.height = 6;
    b.dataSource = QStringLiteral("prodotti");
    ReportObject o;
    o.name = QStringLiteral("Codice");
    o.text = QStringLiteral("[prodotti.Codice_prodotto]");
    o.geometry = QRectF(0, 0, 60, 5);
    b.objects.push_back(o);
    r.pages[0].bands.push_back(b);
    return r;
}
}  // namespace

class TstDesigner : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    DataSourceRegistry registry_;
    MemoryDataSource prodotti_{QStringLiteral("prodotti"),
                               {QStringLiteral("Codice_prodotto"), QStringLiteral("Descrizione")}};

    QString path(const QString& name) const { return dir_.filePath(name + ".frf"); }

    static QPoint center(DesignerCanvas* c, ObjRef ref) {
        return c->objectRect(ref).center().toPoint();
    }

    const ReportObject& obj(ReportDesigner& d, int band, int index) {
        return d.report().pages[0].bands[size_t(band)].objects[size_t(index)];
    }

private Q_SLOTS:
    void initTestCase() {
        installItalianLocale();
        QVERIFY(dir_.isValid());
        prodotti_.addRow({QStringLiteral("BAR23"), QStringLiteral("Barbera")});
        registry_.add(&prodotti_);
    }

    // The scenario: add a text, move it with the arrows, change its font, undo, redo,
    // save, and read the file back.
    void editUndoSaveReload() {
        ScriptedMessages msgs;
        const QString file = path(QStringLiteral("prova"));
        ReportDesigner d(emptyReport(), file, &registry_);
        d.show();
        d.addObject(ObjectKind::Text);
        QCOMPARE(d.selection().size(), 1);
        for (int i = 0; i < 3; ++i) QTest::keyClick(d.canvas(), Qt::Key_Right);
        for (int i = 0; i < 2; ++i) QTest::keyClick(d.canvas(), Qt::Key_Down);
        QCOMPARE(obj(d, 0, 0).geometry.topLeft(), QPointF(3, 2));

        auto* size = d.findChild<QDoubleSpinBox*>(QStringLiteral("prop_size"));
        auto* bold = d.findChild<QCheckBox*>(QStringLiteral("prop_bold"));
        QVERIFY(size && bold);
        QCOMPARE(size->value(), 10.0);
        size->setValue(14);
        bold->setChecked(true);
        QCOMPARE(obj(d, 0, 0).fontSize, 14.0);
        QVERIFY(obj(d, 0, 0).bold);

        d.undoStack()->undo();  // bold
        d.undoStack()->undo();  // size
        QCOMPARE(obj(d, 0, 0).fontSize, 10.0);
        QVERIFY(!obj(d, 0, 0).bold);
        QCOMPARE(size->value(), 10.0);  // the panel follows the model
        d.undoStack()->redo();
        QCOMPARE(obj(d, 0, 0).fontSize, 14.0);
        QVERIFY(!obj(d, 0, 0).bold);
        QCOMPARE(obj(d, 0, 0).geometry.topLeft(), QPointF(3, 2));

        // The text typed in the panel, confirmed with Enter.
        auto* text = d.findChild<QLineEdit*>(QStringLiteral("prop_text"));
        QVERIFY(text);
        text->selectAll();
        QTest::keyClicks(text, QStringLiteral("Vino: [prodotti.Descrizione]"));
        QTest::keyClick(text, Qt::Key_Return);
        QCOMPARE(obj(d, 0, 0).text, QStringLiteral("Vino: [prodotti.Descrizione]"));

        QVERIFY(!d.undoStack()->isClean());
        QVERIFY(d.save());
        QVERIFY(d.undoStack()->isClean());
        Report back;
        QString error;
        QVERIFY2(loadTemplate(file, &back, &error), qPrintable(error));
        const ReportObject* o = back.findObject(obj(d, 0, 0).name);
        QVERIFY(o);
        QCOMPARE(o->geometry.topLeft(), QPointF(3, 2));
        QCOMPARE(o->fontSize, 14.0);
        QVERIFY(!o->bold);
        QCOMPARE(o->text, QStringLiteral("Vino: [prodotti.Descrizione]"));
        QVERIFY(msgs.texts.isEmpty());

        // Undo back to the start: every step, the added object included, goes away.
        while (d.undoStack()->canUndo()) d.undoStack()->undo();
        QCOMPARE(d.report(), emptyReport());
    }

    void keys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("shift");
        QTest::addColumn<QRectF>("expected");
        // The object starts at (5, 5), 40 x 5 mm.
        QTest::newRow("left") << int(Qt::Key_Left) << false << QRectF(4, 5, 40, 5);
        QTest::newRow("up") << int(Qt::Key_Up) << false << QRectF(5, 4, 40, 5);
        QTest::newRow("shift right widens") << int(Qt::Key_Right) << true << QRectF(5, 5, 41, 5);
        QTest::newRow("shift up lowers the height")
            << int(Qt::Key_Up) << true << QRectF(5, 5, 40, 4);
    }
    void keys() {
        QFETCH(int, key);
        QFETCH(bool, shift);
        QFETCH(QRectF, expected);
        ReportDesigner d(emptyReport(), QString(), nullptr);
        d.show();
        d.addObject(ObjectKind::Text);
        d.moveSelection(5, 5);
        QTest::keyClick(d.canvas(), Qt::Key(key), shift ? Qt::ShiftModifier : Qt::NoModifier);
        QCOMPARE(obj(d, 0, 0).geometry, expected);
        // Never left of the margin or above the band.
        for (int i = 0; i < 10; ++i) QTest::keyClick(d.canvas(), Qt::Key_Left);
        QCOMPARE(obj(d, 0, 0).geometry.x(), 0.0);
    }

    void mouseSelectionAndDrag() {
        ReportDesigner d(emptyReport(), QString(), nullptr);
        d.resize(1000, 800);
        d.show();
        DesignerCanvas* c = d.canvas();
        d.addObject(ObjectKind::Text);
        d.addObject(ObjectKind::Rectangle);
        d.moveSelection(60, 2);
        const ObjRef a{0, 0}, b{0, 1};

        QTest::mouseClick(c, Qt::LeftButton, Qt::NoModifier, center(c, a));
        QCOMPARE(d.selection(), QList<ObjRef>{a});
        QTest::mouseClick(c, Qt::LeftButton, Qt::ShiftModifier, center(c, b));
        QCOMPARE(d.selection().size(), 2);
        QTest::mouseClick(c, Qt::LeftButton, Qt::ShiftModifier, center(c, a));
        QCOMPARE(d.selection(), QList<ObjRef>{b});

        // Rubber band from above-left of the first to below-right of the second.
        const QRectF ra = c->objectRect(a), rb = c->objectRect(b);
        const QPoint from = (ra.topLeft() - QPointF(3, 3)).toPoint();
        const QPoint to = (rb.bottomRight() + QPointF(3, 3)).toPoint();
        QTest::mouseClick(c, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));  // empty: clears
        QVERIFY(d.selection().isEmpty());
        QTest::mousePress(c, Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(c, to);
        QTest::mouseRelease(c, Qt::LeftButton, Qt::NoModifier, to);
        QCOMPARE(d.selection().size(), 2);

        // Dragging the first by about 10 mm moves it by whole millimetres, in one undo step.
        QTest::mouseClick(c, Qt::LeftButton, Qt::NoModifier, center(c, a));
        const int steps = d.undoStack()->count();
        const QPoint start = center(c, a);
        const QPoint end = start + QPoint(int(10.3 * c->pixelsPerMm()), 0);
        QTest::mousePress(c, Qt::LeftButton, Qt::NoModifier, start);
        QTest::mouseMove(c, start + QPoint(5, 0));
        QTest::mouseMove(c, end);
        QTest::mouseRelease(c, Qt::LeftButton, Qt::NoModifier, end);
        QCOMPARE(obj(d, 0, 0).geometry.topLeft(), QPointF(10, 0));
        QCOMPARE(d.undoStack()->count(), steps + 1);
        d.undoStack()->undo();
        QCOMPARE(obj(d, 0, 0).geometry.topLeft(), QPointF(0, 0));

        // The bottom-right handle resizes.
        d.setSelection({a});
        const QPoint corner = c->objectRect(a).bottomRight().toPoint();
        const QPoint bigger = corner + QPoint(int(5 * c->pixelsPerMm()), int(3 * c->pixelsPerMm()));
        QTest::mousePress(c, Qt::LeftButton, Qt::NoModifier, corner);
        QTest::mouseMove(c, bigger);
        QTest::mouseRelease(c, Qt::LeftButton, Qt::NoModifier, bigger);
        QCOMPARE(obj(d, 0, 0).geometry, QRectF(0, 0, 45, 8));
    }

    void bandsAndFields() {
        ReportDesigner d(emptyReport(), QString(), &registry_);
        d.show();
        d.addBand(BandType::PageFooter);
        d.addBand(BandType::PageHeader);
        d.addBand(BandType::MasterData);
        const auto& bands = d.report().pages[0].bands;
        QCOMPARE(bands.size(), size_t(3));
        // A page footer stays last whatever is added after it.
        QCOMPARE(bands.back().type, BandType::PageFooter);
        QCOMPARE(d.report().pages[0].bands[size_t(d.currentBand())].type, BandType::MasterData);

        d.insertField(QStringLiteral("prodotti"), QStringLiteral("Descrizione"));
        const ReportObject& o = d.report().pages[0].bands[size_t(d.currentBand())].objects.at(0);
        QCOMPARE(o.text, QStringLiteral("[prodotti.Descrizione]"));
        d.insertField(QStringLiteral("prodotti"), QStringLiteral("Codice_prodotto"));
        QCOMPARE(d.report().pages[0].bands[size_t(d.currentBand())].objects.at(0).text,
                 QStringLiteral("[prodotti.Descrizione][prodotti.Codice_prodotto]"));

        d.deleteSelection();
        QVERIFY(d.report().pages[0].bands[size_t(d.currentBand())].objects.empty());

        // A field dropped on a band becomes a text where it was dropped, in whole millimetres.
        DesignerCanvas* c = d.canvas();
        const int band = d.currentBand();
        const double s = c->pixelsPerMm();
        const QPointF at(12 + (10 + 20.2) * s, c->bandTop(band) + 2.1 * s);  // 20 mm from margin
        QMimeData mime;
        mime.setText(QStringLiteral("[prodotti.Codice_prodotto]"));
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(c, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(c, &drop);
        const auto& dropped = d.report().pages[0].bands[size_t(band)].objects;
        QCOMPARE(dropped.size(), size_t(1));
        QCOMPARE(dropped[0].text, QStringLiteral("[prodotti.Codice_prodotto]"));
        QCOMPARE(dropped[0].geometry.topLeft(), QPointF(20, 2));
        d.deleteSelection();
        d.deleteBand();
        QCOMPARE(d.report().pages[0].bands.size(), size_t(2));
    }

    // The band's lower edge drags its height in whole millimetres; the page panel edits margins.
    void bandHeightAndPage() {
        ReportDesigner d(emptyReport(), QString(), nullptr);
        d.resize(1000, 800);
        d.show();
        d.addBand(BandType::MasterData);
        DesignerCanvas* c = d.canvas();
        const double h0 = d.report().pages[0].bands[0].height;
        const QPoint edge(150, int(c->bandTop(0) + h0 * c->pixelsPerMm()));
        const QPoint lower = edge + QPoint(0, int(7.4 * c->pixelsPerMm()));
        QTest::mousePress(c, Qt::LeftButton, Qt::NoModifier, edge);
        QTest::mouseMove(c, lower);
        QTest::mouseRelease(c, Qt::LeftButton, Qt::NoModifier, lower);
        QCOMPARE(d.report().pages[0].bands[0].height, h0 + 7);

        auto* left = d.findChild<QDoubleSpinBox*>(QStringLiteral("page_margin_left"));
        auto* keep = d.findChild<QCheckBox*>(QStringLiteral("band_keep"));
        QVERIFY(left && keep);
        left->setValue(25);
        keep->setChecked(true);
        QCOMPARE(d.report().pages[0].marginLeft, 25.0);
        QVERIFY(d.report().pages[0].bands[0].keepTogether);
        d.undoStack()->undo();
        d.undoStack()->undo();
        QCOMPARE(d.report().pages[0].marginLeft, 10.0);
        QVERIFY(!keep->isChecked());
    }

    // Shown modally, the designer hands back the edited model when it is closed.
    void modalOpen() {
        ScriptedMessages msgs;  // "save the changes?" is answered No
        Report model = emptyReport();
        QTimer::singleShot(0, this, [] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* d = qobject_cast<ReportDesigner*>(w); d && d->isVisible()) {
                    d->addObject(ObjectKind::Barcode);
                    d->close();
                }
            }
        });
        QString file = path(QStringLiteral("modale"));
        QVERIFY(!ReportDesigner::openDesigner(model, file, nullptr));
        QVERIFY(model.findObject(QStringLiteral("Barcode1")));
        QCOMPARE(msgs.kinds, QStringList{QStringLiteral("question")});
        QVERIFY(!QFile::exists(path(QStringLiteral("modale"))));
    }

    void copyPaste() {
        ReportDesigner d(emptyReport(), QString(), nullptr);
        d.show();
        d.addObject(ObjectKind::Text);
        d.moveSelection(10, 3);
        d.copySelection();
        d.paste();
        const auto& objs = d.report().pages[0].bands[0].objects;
        QCOMPARE(objs.size(), size_t(2));
        QCOMPARE(objs[1].geometry.topLeft(), QPointF(12, 5));
        QVERIFY(objs[1].name != objs[0].name);  // names stay unique: setObjectText finds one
        QCOMPARE(d.selection(), (QList<ObjRef>{ObjRef{0, 1}}));
        d.undoStack()->undo();
        QCOMPARE(d.report().pages[0].bands[0].objects.size(), size_t(1));
    }

    // A template the engine refuses is reported by the preview, naming what is wrong.
    void previewReportsErrors() {
        ScriptedMessages msgs;
        Report r = emptyReport();
        Band b;
        b.type = BandType::MasterData;
        b.dataSource = QStringLiteral("nonesiste");
        r.pages[0].bands.push_back(b);
        ReportDesigner d(r, QString(), &registry_);
        d.preview();
        QCOMPARE(msgs.kinds, QStringList{QStringLiteral("error")});
        QVERIFY2(msgs.last().contains(QStringLiteral("nonesiste")), qPrintable(msgs.last()));
    }

    // The program's wheel filter leaves these widgets alone, so the wheel scrolls the canvas.
    void wheelIsNative() {
        ReportDesigner d(emptyReport(), QString(), nullptr);
        QVERIFY(d.canvas()->property(kNativeWheelProperty).toBool());
        auto* scroll = d.findChild<QScrollArea*>(QStringLiteral("scroll"));
        QVERIFY(scroll);
        QVERIFY(scroll->property(kNativeWheelProperty).toBool());
        QVERIFY(scroll->viewport()->property(kNativeWheelProperty).toBool());
        QCOMPARE(QByteArray(kNativeWheelProperty), QByteArray("vinordaNativeWheel"));
    }

    void failedSaveKeepsChanges() {
        ScriptedMessages msgs;
        ReportDesigner d(emptyReport(), dir_.filePath(QStringLiteral("manca/x.frf")), nullptr);
        d.addObject(ObjectKind::Line);
        QVERIFY(!d.save());
        QCOMPARE(msgs.kinds, QStringList{QStringLiteral("error")});
        QVERIFY(msgs.last().contains(QStringLiteral("manca/x.frf")));
        QVERIFY(!d.undoStack()->isClean());
        QVERIFY(!d.wasSaved());
    }

    // "Apri" lists the folder's templates and opens the one chosen; unsaved edits are asked for.
    void openFromList() {
        QTemporaryDir folder;
        const QString alfa = folder.filePath(QStringLiteral("alfa.frf"));
        const QString beta = folder.filePath(QStringLiteral("beta.frf"));
        QString error;
        Report other = productList();
        other.pages[0].bands[0].objects[0].name = QStringLiteral("CodiceBeta");
        QVERIFY(saveTemplate(alfa, productList(), &error));
        QVERIFY(saveTemplate(beta, other, &error));
        ScriptedMessages msgs;  // "save the changes?" answered No
        ReportDesigner d(productList(), alfa, &registry_);
        d.show();
        d.addObject(ObjectKind::Line);
        QStringList listed;
        const auto ran = whenShown(QStringLiteral("apriModello"), [&](QWidget* dialog) {
            auto* list = dialog->findChild<QListWidget*>(QStringLiteral("elencoModelli"));
            for (int i = 0; i < list->count(); ++i) listed << list->item(i)->text();
            list->setCurrentRow(1);
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("btn_apri")),
                              Qt::LeftButton);
        });
        d.findChild<QAction*>(QStringLiteral("act_open"))->trigger();
        QVERIFY(*ran);
        QCOMPARE(listed, (QStringList{QStringLiteral("alfa"), QStringLiteral("beta")}));
        QCOMPARE(msgs.kinds, QStringList{QStringLiteral("question")});
        QCOMPARE(QFileInfo(d.filePath()).fileName(), QStringLiteral("beta.frf"));
        QVERIFY(d.report().findObject(QStringLiteral("CodiceBeta")));
        QVERIFY(d.undoStack()->isClean() && !d.undoStack()->canUndo());
        QVERIFY(d.windowTitle().contains(QStringLiteral("beta.frf")));
        // The file left unsaved is as it was.
        Report back;
        QVERIFY(loadTemplate(alfa, &back, &error));
        QCOMPARE(back.pages[0].bands[0].objects.size(), size_t(1));
    }

    // Writing over a template asks first and keeps the file as it was in <name>.frf.bak, once
    // per session; a No leaves the file untouched.
    void saveOver_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("replaced, old one kept") << true;
        QTest::newRow("refused") << false;
    }
    void saveOver() {
        QFETCH(bool, yes);
        QTemporaryDir folder;
        const QString file = folder.filePath(QStringLiteral("clienti.frf"));
        QString error;
        QVERIFY(saveTemplate(file, productList(), &error));
        const QByteArray before = templateBytes(productList());
        ScriptedMessages msgs;
        msgs.answer(yes);
        ReportDesigner d(productList(), file, &registry_);
        d.addObject(ObjectKind::Rectangle);
        QCOMPARE(d.save(), yes);
        QCOMPARE(msgs.texts, QStringList{ReportDesigner::msgSovrascrivo("clienti.frf")});
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll() == before, !yes);
        QFile bak(file + QStringLiteral(".bak"));
        QCOMPARE(bak.exists(), yes);
        if (!yes) return;
        QVERIFY(bak.open(QIODevice::ReadOnly));
        QCOMPARE(bak.readAll(), before);
        bak.close();
        // Saving again in the same session: no question, the copy still holds the first state.
        d.addObject(ObjectKind::Line);
        QVERIFY(d.save());
        QCOMPARE(msgs.texts.size(), 1);
        QVERIFY(bak.open(QIODevice::ReadOnly));
        QCOMPARE(bak.readAll(), before);
    }

    // A long preparation shows its progress; "Annulla" stops it and nothing is shown.
    void cancelLongPreparation() {
        ScriptedMessages msgs;
        MemoryDataSource prodotti(QStringLiteral("prodotti"), {QStringLiteral("Codice_prodotto")});
        for (int i = 0; i < 200000; ++i) prodotti.addRow({QStringLiteral("P%1").arg(i)});
        DataSourceRegistry sources;
        sources.add(&prodotti);
        ReportDesigner d(productList(), QString(), &sources);
        const int delay = PrepareProgress::showDelay();
        PrepareProgress::setShowDelay(0);
        const auto cancelled = whenShown(QStringLiteral("progressoStampa"), [](QWidget* w) {
            static_cast<QProgressDialog*>(w)->cancel();
        });
        const auto previewed =
            whenShown(QStringLiteral("frmAnteprima"), [](QWidget* w) { w->close(); });
        d.preview();
        PrepareProgress::setShowDelay(delay);
        QVERIFY(*cancelled);
        QVERIFY(!*previewed);
        QCOMPARE(msgs.texts, QStringList());
        QCOMPARE(prodotti.current(), 0);  // the cursor given back
    }
};

QTEST_MAIN(TstDesigner)
#include "tst_designer.moc"
