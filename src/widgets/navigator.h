#pragma once
// The record navigator: a row of small buttons that move through a data set and, in its long
// form, insert, delete, edit, post, cancel and refresh. Buttons follow the data set's state.
#include <QFlags>
#include <QHash>
#include <QWidget>

class DataSet;
class QToolButton;

class RecordNavigator : public QWidget {
    Q_OBJECT
public:
    enum Button {
        First = 0x1,
        Prior = 0x2,
        Next = 0x4,
        Last = 0x8,
        Insert = 0x10,
        Delete = 0x20,
        Edit = 0x40,
        Post = 0x80,
        Cancel = 0x100,
        Refresh = 0x200,
    };
    Q_DECLARE_FLAGS(Buttons, Button)
    static constexpr Buttons moveButtons() { return Buttons(First | Prior | Next | Last); }
    static constexpr Buttons allButtons() { return Buttons(0x3FF); }

    explicit RecordNavigator(QWidget* parent = nullptr, Buttons buttons = moveButtons());
    void setDataSet(DataSet* ds);
    DataSet* dataSet() const { return ds_; }

    // Asked before Delete; empty = no question (the table's own rule asks).
    void setDeleteQuestion(const QString& text) { deleteQuestion_ = text; }
    // The button for one action (objectName "nav_first", "nav_prior", ...), or nullptr.
    QToolButton* button(Button b) const { return buttons_.value(b); }
    void updateButtons();

    // The action of a button, as a click does.
    void doAction(Button b);

private:
    DataSet* ds_ = nullptr;
    QHash<int, QToolButton*> buttons_;
    QList<QMetaObject::Connection> links_;
    QString deleteQuestion_ = QStringLiteral("   Cancello questa riga ?   ");
};
Q_DECLARE_OPERATORS_FOR_FLAGS(RecordNavigator::Buttons)
