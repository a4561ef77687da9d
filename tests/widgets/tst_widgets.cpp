// Data-aware widgets over a real data set: grid and cursor in step, field links that follow the
// data set's state, typed text to field values, navigator and "Modifica" switch.
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "common/format.h"
#include "common/messages.h"
#include "data/dataset.h"
#include "support/testfolder.h"
#include "widgets/buttons.h"
#include "widgets/datagrid.h"
#include "widgets/dialogmessages.h"
#include "widgets/edittoggle.h"
#include "widgets/fieldlinks.h"
#include "widgets/fieldtext.h"
#include "widgets/formgeometry.h"
#include "widgets/navigator.h"

class TestWidgets : public QObject {
    Q_OBJECT
    std::unique_ptr<TestFolder> tf;
    std::unique_ptr<DataSet> ds;

private Q_SLOTS:
    void initTestCase() { installItalianLocale(); }
    void init() {
        tf = std::make_unique<TestFolder>();
        for (const char* c : {"A", "B", "C"})
            tf->insert("Anagrafica",
                       {{"Codice", c}, {"RagioneSociale", QStringLiteral("Cliente ") + c}});
        ds = std::make_unique<DataSet>(tf->db(), "clienti");
        ds->setTable("Anagrafica");
        ds->sortBy("Codice");
        ds->open();
    }
    void cleanup() {
        ds.reset();
        tf.reset();
    }

    void textToValue_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("decimal comma") << "Sconto"
                                       << "2,5" << true << QVariant(2.5);
        QTest::newRow("decimal point") << "Sconto"
                                       << "2.5" << true << QVariant(2.5);
        QTest::newRow("empty number is null") << "Sconto"
                                              << "" << true << QVariant();
        QTest::newRow("not a number") << "Sconto"
                                      << "abc" << false << QVariant();
        QTest::newRow("half typed") << "Sconto"
                                    << "-" << false << QVariant();
        // "1.500" is fifteen hundred to a person: ambiguous, refused; a keypad's point is not.
        QTest::newRow("thousands point") << "Sconto"
                                         << "1.500" << false << QVariant();
        QTest::newRow("thousands point, negative") << "Sconto"
                                                   << "-12.345" << false << QVariant();
        QTest::newRow("grouping with comma") << "Sconto"
                                             << "1.234,5" << false << QVariant();
        QTest::newRow("keypad point, leading zero") << "Sconto"
                                                    << "0.750" << true << QVariant(0.75);
        QTest::newRow("keypad point, four digits before") << "Sconto"
                                                          << "1234.500" << true << QVariant(1234.5);
        QTest::newRow("keypad point, two decimals") << "Sconto"
                                                    << "1.50" << true << QVariant(1.5);
        QTest::newRow("empty text stays text") << "Nome"
                                               << "" << true << QVariant(QString(""));
        QTest::newRow("text kept as typed") << "Nome"
                                            << " a " << true << QVariant(QString(" a "));
    }
    void textToValue() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(QVariant, value);
        QVariant v;
        QCOMPARE(fieldValueFromText(ds->field(field), text, &v), ok);
        if (ok) {
            QCOMPARE(v.isNull(), value.isNull());
            if (!value.isNull()) QCOMPARE(v, value);
        }
    }

    void integerAndDateTexts() {
        DataSet iva(tf->db(), "iva");
        iva.setTable("IVA");
        DataSet fat(tf->db(), "fat");
        fat.setTable("Fatture");
        QVariant v;
        QVERIFY(fieldValueFromText(iva.field("Ordine"), "12", &v));
        QCOMPARE(v.toInt(), 12);
        QVERIFY(!fieldValueFromText(iva.field("Ordine"), "1,5", &v));
        QVERIFY(fieldValueFromText(fat.field("Data"), "03/02/2024", &v));
        QCOMPARE(v.toDateTime().date(), QDate(2024, 2, 3));
        QVERIFY(fieldValueFromText(fat.field("Data"), "3/2/24", &v));
        QCOMPARE(v.toDateTime().date(), QDate(2024, 2, 3));
        QString error;
        QVERIFY(!fieldValueFromText(fat.field("Data"), "31/02/2024", &v, &error));
        QCOMPARE(error, msgDataNonValida("31/02/2024"));
        QVERIFY(!fieldValueFromText(fat.field("Data"), "32/13/2026", &v, &error));
        QVERIFY(!fieldValueFromText(iva.field("Ordine"), "1.500", &v, &error));
        QCOMPARE(error, QStringLiteral("   \"1.500\" è ambiguo: scrivere 1500 oppure 1,5   "));
        QCOMPARE(fieldEditText(QVariant(2.5)), QStringLiteral("2,5"));
        QCOMPARE(fieldEditText(QDateTime(QDate(2024, 2, 3), QTime(0, 0))),
                 QStringLiteral("03/02/2024"));
    }

    void gridFollowsCursorBothWays() {
        DataGrid grid;
        grid.setDataSet(*ds,
                        {{"Codice"}, {"RagioneSociale", "Nome"}, {"Note", nullptr, false, true}});
        grid.show();
        QCOMPARE(grid.model()->rowCount(), 3);
        QCOMPARE(grid.model()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QStringLiteral("Nome"));
        QVERIFY(grid.isColumnHidden(2));
        ds->setRecNo(2);
        QCOMPARE(grid.currentIndex().row(), 2);
        QVERIFY(grid.selectionModel()->isRowSelected(2, {}));
        grid.setCurrentIndex(grid.model()->index(1, 1));
        QCOMPARE(ds->recNo(), 1);
        QCOMPARE(ds->field("Codice").asString(), QStringLiteral("B"));
    }

    void refusedPostKeepsRow() {
        ScriptedMessages msgs;
        ds->setReadOnly(false);
        ds->beforePost += [](DataSet& d) {
            if (d.field("RagioneSociale").asString().isEmpty()) {
                Mymsg::message("vuoto");
                throw Abort{};
            }
        };
        DataGrid grid;
        grid.setDataSet(*ds, {{"Codice", nullptr, true}, {"RagioneSociale"}});
        grid.show();
        QVERIFY(!(grid.model()->flags(grid.model()->index(0, 0)) & Qt::ItemIsEditable));
        QVERIFY(grid.model()->setData(grid.model()->index(0, 1), "", Qt::EditRole));
        QVERIFY(ds->isEditing());
        grid.setCurrentIndex(grid.model()->index(2, 1));
        QCoreApplication::processEvents();
        QCOMPARE(msgs.texts, QStringList{"vuoto"});
        QCOMPARE(ds->recNo(), 0);
        QCOMPARE(grid.currentIndex().row(), 0);
        // A good value goes through the same rules and is stored on the next move.
        QVERIFY(grid.model()->setData(grid.model()->index(0, 1), "Nuovo", Qt::EditRole));
        grid.setCurrentIndex(grid.model()->index(2, 1));
        QCOMPARE(ds->recNo(), 2);
        QCOMPARE(tf->value("SELECT RagioneSociale FROM Anagrafica WHERE Codice='A'").toString(),
                 QStringLiteral("Nuovo"));
    }

    void gridTypedTextRefusedWithMessage() {
        ScriptedMessages msgs;
        ds->setReadOnly(false);
        DataGrid grid;
        grid.setDataSet(*ds, {{"Codice"}, {"Sconto"}});
        QVERIFY(!grid.model()->setData(grid.model()->index(0, 1), "dieci", Qt::EditRole));
        QCOMPARE(msgs.last(), invalidValueMessage(ds->field("Sconto")));
        // The record is held in edit and cannot be stored until the cell is corrected.
        QVERIFY(ds->isEditing());
        QVERIFY(!ds->post());
        QVERIFY(grid.model()->setData(grid.model()->index(0, 1), "10,5", Qt::EditRole));
        QVERIFY(ds->post());
        QCOMPARE(tf->value("SELECT Sconto FROM Anagrafica WHERE Codice='A'").toDouble(), 10.5);
    }

    void lineLinkFollowsState_data() {
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<bool>("autoEdit");
        QTest::addColumn<bool>("typingEdits");
        QTest::newRow("writable, auto edit") << false << true << true;
        QTest::newRow("writable, no auto edit") << false << false << false;
        QTest::newRow("read-only") << true << true << false;
    }
    void lineLinkFollowsState() {
        QFETCH(bool, readOnly);
        QFETCH(bool, autoEdit);
        QFETCH(bool, typingEdits);
        ds->setReadOnly(readOnly);
        QLineEdit e;
        auto* link = new LineEditLink(*ds, "Nome", &e, true);
        link->setAutoEdit(autoEdit);
        e.show();
        QCOMPARE(e.isReadOnly(), !typingEdits);
        QTest::keyClicks(&e, "mario");
        QCOMPARE(ds->isEditing(), typingEdits);
        QCOMPARE(e.text(), typingEdits ? QStringLiteral("MARIO") : QString());
        if (typingEdits) QCOMPARE(ds->field("Nome").asString(), QStringLiteral("MARIO"));
        // Someone else starting the edit opens the field even without auto edit.
        if (!readOnly && !autoEdit) {
            ds->edit();
            QVERIFY(!e.isReadOnly());
            QTest::keyClicks(&e, "x");
            QCOMPARE(ds->field("Nome").asString(), QStringLiteral("X"));
            ds->cancel();
            QVERIFY(e.isReadOnly());
            QCOMPARE(e.text(), QString());
        }
        // Moving shows the other row.
        ds->checkBrowseMode();
        ds->setRecNo(1);
        QCOMPARE(e.text(), QString());
        auto* lock = new LineEditLink(*ds, "Codice", new QLineEdit(&e));
        QCOMPARE(static_cast<QLineEdit*>(lock->widget())->text(), QStringLiteral("B"));
        lock->setLocked(true);
        QVERIFY(static_cast<QLineEdit*>(lock->widget())->isReadOnly());
    }

    // A number field reads its value when left or on Enter, never at each keystroke. A text
    // that is not a value shows the message, stays as typed and keeps the record from being
    // stored until corrected or abandoned.
    void numberLinkReadsWhenLeft_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("finish");   // "leave", "enter"
        QTest::addColumn<QVariant>("stored");  // invalid: refused, the old value stays
        QTest::addColumn<QString>("message");
        const QString invalid = QStringLiteral("   Valore non valido per il campo Sconto   ");
        QTest::newRow("comma") << "12,5"
                               << "leave" << QVariant(12.5) << "";
        QTest::newRow("keypad point") << "1.5"
                                      << "enter" << QVariant(1.5) << "";
        QTest::newRow("keypad, three decimals") << "0.750"
                                                << "leave" << QVariant(0.75) << "";
        QTest::newRow("emptied") << ""
                                 << "leave" << QVariant(QMetaType(QMetaType::Double)) << "";
        QTest::newRow("grouped thousands") << "1.234,5"
                                           << "leave" << QVariant() << invalid;
        QTest::newRow("ambiguous thousands")
            << "1.500"
            << "enter" << QVariant()
            << QStringLiteral("   \"1.500\" è ambiguo: scrivere 1500 oppure 1,5   ");
        QTest::newRow("letters, Enter") << "dieci"
                                        << "enter" << QVariant() << invalid;
    }
    void numberLinkReadsWhenLeft() {
        QFETCH(QString, typed);
        QFETCH(QString, finish);
        QFETCH(QVariant, stored);
        QFETCH(QString, message);
        ScriptedMessages msgs;
        ds->setReadOnly(false);
        ds->edit();
        ds->field("Sconto").setValue(10.5);
        QVERIFY(ds->post());
        QDialog window;
        auto* e = new QLineEdit(&window);
        auto* other = new QLineEdit(&window);
        auto* ok = new QPushButton(QStringLiteral("OK"), &window);
        ok->setDefault(true);
        int okClicks = 0;
        connect(ok, &QPushButton::clicked, [&] { ++okClicks; });
        new NumberEditLink(*ds, "Sconto", e);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        e->setFocus();
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Delete);
        QTest::keyClicks(e, typed);
        // Typing starts the edit; nothing is read before the field is left.
        QVERIFY(ds->isEditing());
        QCOMPARE(ds->field("Sconto").asFloat(), 10.5);
        if (finish == u"enter")
            QTest::keyClick(e, Qt::Key_Return);
        else
            other->setFocus();
        if (stored.isValid()) {
            QVERIFY(msgs.texts.isEmpty());
            QCOMPARE(ds->field("Sconto").isNull(), stored.isNull());
            if (!stored.isNull()) QCOMPARE(ds->field("Sconto").asFloat(), stored.toDouble());
            QCOMPARE(okClicks, finish == u"enter" ? 1 : 0);
            QVERIFY(ds->post());
            return;
        }
        QCOMPARE(msgs.texts, QStringList{message});
        QCOMPARE(e->text(), typed);  // kept for the user to correct
        QCOMPARE(okClicks, 0);       // Enter went no further
        // Nothing half-read: the record is not stored while the text is wrong...
        other->setFocus();
        QVERIFY(!ds->post());
        QCOMPARE(msgs.last(), message);
        QVERIFY(ds->isEditing());
        QCOMPARE(tf->value("SELECT Sconto FROM Anagrafica WHERE Codice = 'A'").toDouble(), 10.5);
        // ...typing in another field keeps it...
        ds->field("Nome").setValue(QStringLiteral("Mario"));
        QCOMPARE(e->text(), typed);
        // ...and abandoning the edit brings the stored value back.
        ds->cancel();
        QCOMPARE(e->text(), QStringLiteral("10,5"));
        QVERIFY(!ds->isEditing());
        QVERIFY(ds->post());
    }

    void navigatorFollowsDataSet() {
        ScriptedMessages msgs;
        ds->setReadOnly(true);
        RecordNavigator nav(nullptr, RecordNavigator::allButtons());
        nav.setDataSet(ds.get());
        auto on = [&](RecordNavigator::Button b) { return nav.button(b)->isEnabled(); };
        QVERIFY(!on(RecordNavigator::First) && on(RecordNavigator::Next));
        QVERIFY(!on(RecordNavigator::Insert) && !on(RecordNavigator::Delete));
        ds->setReadOnly(false);
        QVERIFY(on(RecordNavigator::Insert) && on(RecordNavigator::Edit) &&
                !on(RecordNavigator::Post));
        nav.doAction(RecordNavigator::Last);
        QCOMPARE(ds->recNo(), 2);
        QVERIFY(on(RecordNavigator::First) && !on(RecordNavigator::Next));
        nav.doAction(RecordNavigator::Edit);
        QVERIFY(on(RecordNavigator::Post) && on(RecordNavigator::Cancel) &&
                !on(RecordNavigator::Edit));
        nav.doAction(RecordNavigator::Cancel);
        msgs.answer(false);
        nav.doAction(RecordNavigator::Delete);
        QCOMPARE(tf->count("Anagrafica"), 3);
        msgs.answer(true);
        nav.doAction(RecordNavigator::Delete);
        QCOMPARE(tf->count("Anagrafica"), 2);
        // An engine error (missing name) goes to the error box, the row stays in insert.
        nav.doAction(RecordNavigator::Insert);
        ds->field("Codice").setValue("Z");
        nav.doAction(RecordNavigator::Post);
        QCOMPARE(msgs.kinds.last(), QStringLiteral("error"));
        QVERIFY(ds->state() == DataSet::State::Insert);
    }

    void editToggle() {
        ScriptedMessages msgs;
        QPushButton button, nuovo;
        QLabel label;
        ds->beforePost += [](DataSet& d) {
            if (d.field("Nome").asString() == u"NO") throw Abort{};
        };
        EditToggle t(&button, &label, *ds, {&nuovo});
        ds->setReadOnly(true);
        t.showOff();
        QVERIFY(!nuovo.isEnabled());
        QCOMPARE(button.text(), QStringLiteral("Modifica"));
        QTest::mouseClick(&button, Qt::LeftButton);
        QVERIFY(t.isOn() && button.isChecked() && nuovo.isEnabled() && !ds->isReadOnly());
        QCOMPARE(button.text(), QStringLiteral("Blocca"));
        QCOMPARE(label.text(), QStringLiteral("Modifica : SI"));
        ds->edit();
        ds->field("Nome").setValue("NO");
        QTest::mouseClick(&button, Qt::LeftButton);
        // Refused: stays on, row still in edit.
        QVERIFY(t.isOn() && button.isChecked() && ds->isEditing());
        ds->field("Nome").setValue("SI");
        QTest::mouseClick(&button, Qt::LeftButton);
        QVERIFY(!t.isOn() && !button.isChecked() && ds->isReadOnly() && !nuovo.isEnabled());
        QCOMPARE(label.text(), QStringLiteral("Modifica : NO"));
        QCOMPARE(tf->value("SELECT Nome FROM Anagrafica WHERE Codice='A'").toString(),
                 QStringLiteral("SI"));
    }

    // Enter answers Yes to a plain question and No to a question before a deletion; the boxes
    // carry the program's title.
    void dialogQuestion_data() {
        QTest::addColumn<bool>("deletes");
        QTest::addColumn<QString>("press");  // a button's caption, or "Enter"
        QTest::addColumn<bool>("yes");
        QTest::newRow("question, Sì") << false << "&Sì" << true;
        QTest::newRow("question, No") << false << "&No" << false;
        QTest::newRow("question, Enter") << false << "Enter" << true;
        QTest::newRow("delete, Sì") << true << "&Sì" << true;
        QTest::newRow("delete, Enter") << true << "Enter" << false;
        QTest::newRow("delete, Esc") << true << "Esc" << false;
    }
    void dialogQuestion() {
        QFETCH(bool, deletes);
        QFETCH(QString, press);
        QFETCH(bool, yes);
        DialogMessages dm;
        dm.setTitle(QStringLiteral("Vinorda Lestro ZUPAR 02.01"));
        QStringList seen;
        QString title;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            title = box->windowTitle();
            QCOMPARE(box->icon(), QMessageBox::Warning);
            for (QAbstractButton* b : box->buttons()) seen << b->text();
            auto* label = box->findChild<QLabel*>("qt_msgbox_label");
            QVERIFY(label && (label->alignment() & Qt::AlignHCenter));
            if (press == u"Enter" || press == u"Esc") {
                QTest::keyClick(box, press == u"Enter" ? Qt::Key_Return : Qt::Key_Escape);
                return;
            }
            for (QAbstractButton* b : box->buttons())
                if (b->text() == press) b->click();
        });
        const QString text = QStringLiteral("   Cancello ?   ");
        QCOMPARE(deletes ? dm.confirmDelete(text) : dm.question(text), yes);
        seen.sort();
        QCOMPARE(seen, (QStringList{"&No", "&Sì"}));
        QCOMPARE(title, QStringLiteral("Vinorda Lestro ZUPAR 02.01"));
    }

    // Qt's own dialogs and buttons speak Italian.
    void qtTextsInItalian() {
        QVERIFY(installQtItalianTranslations());
        QDialogButtonBox box(QDialogButtonBox::Cancel | QDialogButtonBox::Yes);
        QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Annulla"));
        QCOMPARE(box.button(QDialogButtonBox::Yes)->text().remove(QLatin1Char('&')),
                 QStringLiteral("Sì"));
    }

    // A place kept in form.ini comes back onto the screen, no larger than it.
    void placeFitsTheScreen_data() {
        QTest::addColumn<QRect>("place");
        QTest::addColumn<QRect>("fitted");
        const QRect screen(0, 0, 1024, 768);
        QTest::newRow("inside") << QRect(10, 20, 800, 600) << QRect(10, 20, 800, 600);
        QTest::newRow("off to the right")
            << QRect(1900, 100, 800, 600) << QRect(224, 100, 800, 600);
        QTest::newRow("above and left") << QRect(-500, -40, 600, 400) << QRect(0, 0, 600, 400);
        QTest::newRow("larger than the screen")
            << QRect(50, 50, 1100, 900) << QRect(0, 0, 1024, 768);
        QTest::newRow("another screen gone")
            << QRect(3000, 2000, 300, 200) << QRect(724, 568, 300, 200);
    }
    void placeFitsTheScreen() {
        QFETCH(QRect, place);
        QFETCH(QRect, fitted);
        QCOMPARE(FormGeometry::fitted(place, QRect(0, 0, 1024, 768)), fitted);
    }

    void buttonImages() {
        QPushButton b;
        for (int i = 0; i < buttonImageCount; ++i) {
            const QImage img = buttonImage(i).pixmap(24, 24).toImage();
            QCOMPARE(img.size(), QSize(24, 24));
            int opaque = 0;
            for (int y = 0; y < 24; ++y)
                for (int x = 0; x < 24; ++x) opaque += qAlpha(img.pixel(x, y)) > 0;
            QVERIFY2(opaque > 40, qPrintable(QString::number(i)));
        }
        QVERIFY(buttonImage(8).isNull());
        imposta_pulsanti(&b, ImgStampa, "Stampa");
        QCOMPARE(b.text(), QStringLiteral("Stampa"));
        QVERIFY(!b.icon().isNull());
    }
};

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"
