#include "widgets/edittoggle.h"

#include <QAbstractButton>
#include <QLabel>

#include "data/dataset.h"
#include "widgets/buttons.h"
#include "widgets/dataerror.h"

EditToggle::EditToggle(QAbstractButton* button, QLabel* label, DataSet& ds, QList<QWidget*> gated,
                       QObject* parent)
    : QObject(parent), button_(button), label_(label), ds_(ds) {
    for (QWidget* w : gated) gated_ << w;
    button_->setCheckable(true);
    connect(button_, &QAbstractButton::clicked, this, [this](bool checked) { setOn(checked); });
    showState();
}

void EditToggle::showOff() {
    on_ = false;
    showState();
}

bool EditToggle::setOn(bool on) {
    if (!on && ds_.isOpen() && (save_ || ds_.isEditing())) {
        bool stored = false;
        try {
            stored = save_ ? save_() : ds_.checkBrowseMode();
        } catch (const DatabaseError& e) {
            showDataError(e);
        }
        if (!stored) {
            on_ = true;
            showState();
            return false;
        }
    }
    on_ = on;
    ds_.setReadOnly(!on);
    showState();
    Q_EMIT switched(on_);
    return true;
}

void EditToggle::showState() {
    if (button_) {
        button_->setChecked(on_);
        if (on_)
            imposta_pulsanti(button_, ImgBlocca, QStringLiteral("Blocca"));
        else
            imposta_pulsanti(button_, ImgModifica, QStringLiteral("Modifica"));
    }
    if (label_)
        label_->setText(on_ ? QStringLiteral("Modifica : SI") : QStringLiteral("Modifica : NO"));
    for (const auto& w : gated_)
        if (w) w->setEnabled(on_);
}
