#pragma once
// The "Modifica"/"Blocca" switch of the master-data and document windows: while on, the data set
// is writable and the gated buttons ("Nuovo", "Cancella") are enabled; switching it off stores a
// pending change first and keeps the switch on when that change is refused.
#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

class DataSet;
class QAbstractButton;
class QLabel;

class EditToggle : public QObject {
    Q_OBJECT
public:
    EditToggle(QAbstractButton* button, QLabel* label, DataSet& ds, QList<QWidget*> gated,
               QObject* parent = nullptr);

    bool isOn() const { return on_; }
    // Switches on or off as a click does; false when switching off was refused (the pending
    // change could not be stored: the switch stays on, the row in edit).
    bool setOn(bool on);
    // Shows the released state without touching the data set (window creation).
    void showOff();
    // How pending changes are stored when switching off (a window with detail lines saves them
    // before the header); true when stored. Default: the data set's checkBrowseMode.
    void setSaveHook(std::function<bool()> save) { save_ = std::move(save); }

Q_SIGNALS:
    void switched(bool on);

private:
    void showState();
    QPointer<QAbstractButton> button_;
    QPointer<QLabel> label_;
    DataSet& ds_;
    QList<QPointer<QWidget>> gated_;
    bool on_ = false;
    std::function<bool()> save_;
};
