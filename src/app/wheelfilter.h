#pragma once
// Application-wide: a turn of the mouse wheel becomes an arrow key, so one notch moves one row in
// grids and lists like the keyboard does.
#include <QObject>

class WheelToArrowFilter : public QObject {
    Q_OBJECT
public:
    explicit WheelToArrowFilter(QObject* parent = nullptr) : QObject(parent) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
