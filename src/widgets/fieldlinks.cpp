#include "widgets/fieldlinks.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "common/messages.h"
#include "data/dataset.h"
#include "widgets/dataerror.h"
#include "widgets/fieldtext.h"

FieldLink::FieldLink(DataSet& ds, const QString& field, QWidget* widget)
    : QObject(widget), ds_(ds), field_(field), widget_(widget) {
    auto again = [this] {
        if (!updating()) refresh();
    };
    connect(&ds_, &DataSet::reset, this, again);
    connect(&ds_, &DataSet::currentChanged, this, again);
    connect(&ds_, &DataSet::stateChanged, this, again);
    connect(&ds_, &DataSet::readOnlyChanged, this, again);
    connect(&ds_, &DataSet::rowChanged, this, [this](int row) {
        if (!updating() && row == ds_.recNo()) refresh();
    });
}

Field* FieldLink::field() const {
    return ds_.isOpen() ? ds_.findField(field_) : nullptr;
}

void FieldLink::setAutoEdit(bool on) {
    autoEdit_ = on;
    refresh();
}

void FieldLink::setLocked(bool locked) {
    locked_ = locked;
    refresh();
}

bool FieldLink::isReadOnly() const {
    Field* f = field();
    if (!f) return true;
    if (locked_ || f->isReadOnly() || f->kind() != FieldKind::Data ||
        f->type() == FieldType::AutoInc)
        return true;
    if (!ds_.canModify()) return true;
    if (ds_.isEditing()) return false;
    // In browse mode typing edits the current row, so there must be one.
    return !autoEdit_ || ds_.isEmpty();
}

void FieldLink::refresh() {
    if (!widget_) return;
    Updating u(*this);
    Field* f = field();
    const bool hasRow = f && (ds_.isEditing() || !ds_.isEmpty());
    showValue(hasRow ? f : nullptr);
    applyReadOnly(isReadOnly());
}

bool FieldLink::beginChange() {
    if (isReadOnly()) return false;
    if (ds_.isEditing()) return true;
    if (!autoEdit_) return false;
    try {
        return ds_.tryEdit();
    } catch (const DatabaseError& e) {
        showDataError(e);
        return false;
    }
}

bool FieldLink::write(const QVariant& value) {
    Field* f = field();
    if (!f) return false;
    try {
        f->setValue(value);
        return true;
    } catch (const DatabaseError& e) {
        showDataError(e);
        return false;
    }
}

bool FieldLink::userChanged(const QVariant& value) {
    bool ok = false;
    {
        Updating u(*this);
        ok = beginChange() && write(value);
    }
    if (!ok) refresh();
    return ok;
}

// ---- LineEditLink

LineEditLink::LineEditLink(DataSet& ds, const QString& field, QLineEdit* edit, bool upperCase)
    : FieldLink(ds, field, edit), edit_(edit), upper_(upperCase) {
    connect(edit_, &QLineEdit::textEdited, this, [this](const QString& t) { typed(t); });
    refresh();
}

void LineEditLink::typed(const QString& text) {
    if (updating()) return;
    QString value = text;
    if (upper_) {
        value = text.toUpper();
        if (value != text) {
            const int pos = edit_->cursorPosition();
            Updating u(*this);
            edit_->setText(value);
            edit_->setCursorPosition(pos);
        }
    }
    userChanged(value);
}

void LineEditLink::showValue(const Field* f) {
    if (f && f->type() == FieldType::Text && f->size() > 0) edit_->setMaxLength(f->size());
    const QString text = f ? f->asString() : QString();
    if (edit_->text() != text) edit_->setText(text);
}

void LineEditLink::applyReadOnly(bool readOnly) {
    edit_->setReadOnly(readOnly);
}

// ---- NumberEditLink / DateEditLink

NumberEditLink::NumberEditLink(DataSet& ds, const QString& field, QLineEdit* edit)
    : FieldLink(ds, field, edit), edit_(edit) {
    connect(edit_, &QLineEdit::textEdited, this, [this] { typed(); });
    connect(edit_, &QLineEdit::editingFinished, this, [this] { finished(); });
    edit_->installEventFilter(this);
    // A record is never stored while a text typed here is not a value.
    ds.askBeforePost += [self = QPointer<NumberEditLink>(this)](DataSet&) {
        if (!self || !self->dirty_) return;
        QString error;
        if (!self->commitText(&error)) throw Abort{error};
    };
    refresh();
}

void NumberEditLink::typed() {
    if (updating()) return;
    const bool wasDirty = dirty_;
    dirty_ = true;
    if (wasDirty) return;
    bool started = false;
    {
        Updating u(*this);
        started = beginChange();
    }
    if (!started) {
        dirty_ = false;
        refresh();
        return;
    }
    dirtyRow_ = dataSet().recNo();
    dataSet().markModified();
}

bool NumberEditLink::commitText(QString* error) {
    if (error) error->clear();
    if (!dirty_) return true;
    Field* f = field();
    if (!f) {
        dirty_ = false;
        return true;
    }
    QVariant v;
    if (!fieldValueFromText(*f, edit_->text(), &v, error)) return false;
    if (!userChanged(v)) {
        // The error box told why; the text stays for the user to correct.
        dirty_ = true;
        return false;
    }
    dirty_ = false;
    refresh();  // the value as the field keeps it
    return true;
}

void NumberEditLink::finished() {
    if (updating() || reporting_ || !dirty_) return;
    QString error;
    if (commitText(&error) || error.isEmpty()) return;
    reporting_ = true;
    Mymsg::message(error);
    reporting_ = false;
}

bool NumberEditLink::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_ && event->type() == QEvent::KeyPress && dirty_) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            QString error;
            if (!commitText(&error)) {
                // Enter must not go on to the window's default button with a wrong value.
                if (!error.isEmpty()) {
                    reporting_ = true;
                    Mymsg::message(error);
                    reporting_ = false;
                }
                return true;
            }
        }
    }
    return FieldLink::eventFilter(watched, event);
}

void NumberEditLink::showValue(const Field* f) {
    // What the user is typing stays while the record is still in edit on the same row.
    if (dirty_ && dataSet().isEditing() && dataSet().recNo() == dirtyRow_) return;
    dirty_ = false;
    const QString text = f ? fieldEditText(f->value()) : QString();
    if (edit_->text() != text) edit_->setText(text);
}

void NumberEditLink::applyReadOnly(bool readOnly) {
    edit_->setReadOnly(readOnly);
}

DateEditLink::DateEditLink(DataSet& ds, const QString& field, QLineEdit* edit)
    : NumberEditLink(ds, field, edit) {
    edit->setPlaceholderText(QStringLiteral("gg/mm/aaaa"));
}

// ---- MemoLink

MemoLink::MemoLink(DataSet& ds, const QString& field, QPlainTextEdit* edit)
    : FieldLink(ds, field, edit), edit_(edit) {
    connect(edit_, &QPlainTextEdit::textChanged, this, [this] {
        if (!updating()) userChanged(edit_->toPlainText());
    });
    refresh();
}

void MemoLink::showValue(const Field* f) {
    const QString text = f ? f->asString() : QString();
    if (edit_->toPlainText() != text) edit_->setPlainText(text);
}

void MemoLink::applyReadOnly(bool readOnly) {
    edit_->setReadOnly(readOnly);
}

// ---- ComboLink

ComboLink::ComboLink(DataSet& ds, const QString& field, QComboBox* combo, const Choices& choices)
    : FieldLink(ds, field, combo), combo_(combo) {
    combo_->setEditable(false);
    connect(combo_, &QComboBox::activated, this, [this](int i) {
        if (!updating() && i >= 0) userChanged(combo_->itemData(i).toString());
    });
    setChoices(choices);
}

void ComboLink::setChoices(const Choices& choices) {
    choices_ = choices;
    {
        Updating u(*this);
        combo_->clear();
        for (const auto& c : choices_) combo_->addItem(c.second, c.first);
    }
    refresh();
}

void ComboLink::showValue(const Field* f) {
    const QString value = f ? f->asString() : QString();
    int i = f ? combo_->findData(value) : -1;
    if (i < 0 && f && value.isEmpty()) i = -1;
    combo_->setCurrentIndex(i);
}

void ComboLink::applyReadOnly(bool readOnly) {
    combo_->setEnabled(!readOnly);
}

// ---- SuggestComboLink

SuggestComboLink::SuggestComboLink(DataSet& ds, const QString& field, QComboBox* combo,
                                   const QStringList& suggestions)
    : FieldLink(ds, field, combo), combo_(combo) {
    combo_->setEditable(true);
    combo_->setInsertPolicy(QComboBox::NoInsert);
    connect(combo_, &QComboBox::editTextChanged, this, [this](const QString& t) {
        if (!updating()) userChanged(t);
    });
    setSuggestions(suggestions);
}

void SuggestComboLink::setSuggestions(const QStringList& suggestions) {
    {
        Updating u(*this);
        combo_->clear();
        combo_->addItems(suggestions);
    }
    refresh();
}

void SuggestComboLink::showValue(const Field* f) {
    const QString text = f ? f->asString() : QString();
    if (combo_->currentText() != text || combo_->currentIndex() >= 0) {
        combo_->setCurrentIndex(combo_->findText(text));
        combo_->setEditText(text);
    }
    if (f && f->type() == FieldType::Text && f->size() > 0 && combo_->lineEdit())
        combo_->lineEdit()->setMaxLength(f->size());
}

void SuggestComboLink::applyReadOnly(bool readOnly) {
    combo_->setEnabled(!readOnly);
}

// ---- RadioGroupLink

RadioGroupLink::RadioGroupLink(DataSet& ds, const QString& field, QWidget* box, QButtonGroup* group,
                               const QStringList& values)
    : FieldLink(ds, field, box), group_(group), values_(values) {
    connect(group_, &QButtonGroup::idClicked, this, [this](int id) {
        if (!updating() && id >= 0 && id < values_.size()) userChanged(values_[id]);
    });
    refresh();
}

void RadioGroupLink::showValue(const Field* f) {
    const int id = f ? int(values_.indexOf(f->asString())) : -1;
    if (QAbstractButton* b = id >= 0 ? group_->button(id) : nullptr) {
        b->setChecked(true);
        return;
    }
    group_->setExclusive(false);
    for (QAbstractButton* b : group_->buttons()) b->setChecked(false);
    group_->setExclusive(true);
}

void RadioGroupLink::applyReadOnly(bool readOnly) {
    for (QAbstractButton* b : group_->buttons()) b->setEnabled(!readOnly);
}

// ---- CheckBoxLink

CheckBoxLink::CheckBoxLink(DataSet& ds, const QString& field, QCheckBox* box)
    : FieldLink(ds, field, box), box_(box) {
    connect(box_, &QCheckBox::clicked, this, [this](bool on) {
        if (!updating()) userChanged(on);
    });
    refresh();
}

void CheckBoxLink::showValue(const Field* f) {
    box_->setChecked(f && f->asBool());
}

void CheckBoxLink::applyReadOnly(bool readOnly) {
    box_->setEnabled(!readOnly);
}
