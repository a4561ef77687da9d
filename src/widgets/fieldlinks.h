#pragma once
// Links between edit controls and one field of a data set. A link shows the current row's value,
// follows the data set (cursor, state, read-only switch) and writes what the user types back
// into the field. With autoEdit (the default) typing starts an edit of a writable data set;
// without it the control stays read-only until someone else puts the data set into edit.
#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>

class DataSet;
class Field;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

// Stored value, text shown.
using Choices = QList<QPair<QString, QString>>;

class FieldLink : public QObject {
    Q_OBJECT
public:
    FieldLink(DataSet& ds, const QString& field, QWidget* widget);

    DataSet& dataSet() const { return ds_; }
    const QString& fieldName() const { return field_; }
    Field* field() const;  // nullptr while the data set is closed or lacks the field
    QWidget* widget() const { return widget_; }

    void setAutoEdit(bool on);
    bool autoEdit() const { return autoEdit_; }
    // An extra lock on top of the data set's state (a stored customer's code).
    void setLocked(bool locked);
    bool isLocked() const { return locked_; }
    // Whether the control refuses input now.
    bool isReadOnly() const;

    // Shows the current value and applies the read-only state.
    void refresh();

protected:
    virtual void showValue(const Field* field) = 0;  // nullptr: nothing to show
    virtual void applyReadOnly(bool readOnly) = 0;
    // Called before a user change is written: starts an edit where allowed. False: the change
    // must be undone (refresh follows).
    bool beginChange();
    // Writes a value typed by the user; errors go to the error box and the control is refreshed.
    bool write(const QVariant& value);
    // beginChange and write, refreshing the control when the change is refused.
    bool userChanged(const QVariant& value);
    bool updating() const { return updating_ > 0; }

    struct Updating {
        explicit Updating(FieldLink& l) : link(l) { ++link.updating_; }
        ~Updating() { --link.updating_; }
        FieldLink& link;
    };

private:
    DataSet& ds_;
    QString field_;
    QPointer<QWidget> widget_;
    bool autoEdit_ = true;
    bool locked_ = false;
    int updating_ = 0;
};

// Text field; upperCase forces what is typed to capitals.
class LineEditLink : public FieldLink {
    Q_OBJECT
public:
    LineEditLink(DataSet& ds, const QString& field, QLineEdit* edit, bool upperCase = false);

protected:
    void showValue(const Field* field) override;
    void applyReadOnly(bool readOnly) override;

private:
    void typed(const QString& text);
    QLineEdit* edit_;
    bool upper_;
};

// Number (or date) field: the value is read when the user leaves the field or presses Enter,
// never at each keystroke (typing starts the edit of the record). The decimal comma is accepted,
// an empty text stores null. A text that does not read as a value (or an ambiguous "1.500")
// shows the message and stays as typed: Enter then stays in the field, and the record cannot
// be saved until the text is corrected or the edit abandoned (Esc, cancel).
class NumberEditLink : public FieldLink {
    Q_OBJECT
public:
    NumberEditLink(DataSet& ds, const QString& field, QLineEdit* edit);

    // Text typed and not yet read into the field.
    bool hasPendingText() const { return dirty_; }
    // Reads the pending text into the field. True when stored (or nothing was pending); false
    // when refused, with the message in *error (empty when the error box already showed it).
    bool commitText(QString* error);

protected:
    void showValue(const Field* field) override;
    void applyReadOnly(bool readOnly) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void typed();
    void finished();
    QLineEdit* edit_;
    bool dirty_ = false;
    int dirtyRow_ = -1;
    bool reporting_ = false;  // a message box of ours takes the focus: no second reading
};

// Date field that may be empty, typed as dd/mm/yyyy.
class DateEditLink : public NumberEditLink {
    Q_OBJECT
public:
    DateEditLink(DataSet& ds, const QString& field, QLineEdit* edit);
};

// Multi-line text.
class MemoLink : public FieldLink {
    Q_OBJECT
public:
    MemoLink(DataSet& ds, const QString& field, QPlainTextEdit* edit);

protected:
    void showValue(const Field* field) override;
    void applyReadOnly(bool readOnly) override;

private:
    QPlainTextEdit* edit_;
};

// Drop-down list of coded values (stored value <-> text shown); also the lookup lists
// (packaging, VAT codes) whose choices the window loads from a table.
class ComboLink : public FieldLink {
    Q_OBJECT
public:
    ComboLink(DataSet& ds, const QString& field, QComboBox* combo, const Choices& choices = {});
    void setChoices(const Choices& choices);
    const Choices& choices() const { return choices_; }

protected:
    void showValue(const Field* field) override;
    void applyReadOnly(bool readOnly) override;

private:
    QComboBox* combo_;
    Choices choices_;
};

// Editable drop-down: free text with suggestions.
class SuggestComboLink : public FieldLink {
    Q_OBJECT
public:
    SuggestComboLink(DataSet& ds, const QString& field, QComboBox* combo,
                     const QStringList& suggestions = {});
    void setSuggestions(const QStringList& suggestions);

protected:
    void showValue(const Field* field) override;
    void applyReadOnly(bool readOnly) override;

private:
    QComboBox* combo_;
};

// Group of radio buttons, the button with id i standing for values[i].
class RadioGroupLink : public FieldLink {
    Q_OBJECT
public:
    RadioGroupLink(DataSet& ds, const QString& field, QWidget* box, QButtonGroup* group,
                   const QStringList& values);

protected:
    void showValue(const Field* field) override;
    void applyReadOnly(bool readOnly) override;

private:
    QButtonGroup* group_;
    QStringList values_;
};

// Yes/no field.
class CheckBoxLink : public FieldLink {
    Q_OBJECT
public:
    CheckBoxLink(DataSet& ds, const QString& field, QCheckBox* box);

protected:
    void showValue(const Field* field) override;
    void applyReadOnly(bool readOnly) override;

private:
    QCheckBox* box_;
};
