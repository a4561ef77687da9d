#pragma once
// For GUI tests of modal flows: act runs once on the first visible top-level widget with that
// object name, from a timer that also fires inside modal loops (dialogs, previews, designers).
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

// The flag turns true once act has run. The watch lasts as long as someone holds the flag, so a
// window that never showed is not caught by a later test.
[[nodiscard]] inline std::shared_ptr<bool> whenShown(const QString& objectName,
                                                     std::function<void(QWidget*)> act) {
    auto ran = std::make_shared<bool>(false);
    auto* timer = new QTimer;
    timer->setInterval(5);
    std::weak_ptr<bool> watch = ran;
    QObject::connect(timer, &QTimer::timeout, [timer, objectName, act, watch] {
        const std::shared_ptr<bool> flag = watch.lock();
        if (!flag) {
            timer->stop();
            timer->deleteLater();
            return;
        }
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (!w->isVisible() || w->objectName() != objectName) continue;
            timer->stop();
            timer->deleteLater();
            *flag = true;
            act(w);
            return;
        }
    });
    timer->start();
    return ran;
}
