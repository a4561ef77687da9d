#pragma once
// Controls of a window under test, found by object name as the user finds them by caption.
#include <QAbstractButton>
#include <QLineEdit>
#include <QTest>
#include <QWidget>

// The child control of that type and name; a missing one stops the test run at once, as its
// window no longer matches what the tests drive.
template <typename T>
T* child(QWidget* w, const char* name) {
    T* c = w->findChild<T*>(QString::fromLatin1(name));
    if (!c) qFatal("no control %s", name);
    return c;
}

inline void click(QWidget* w, const char* button) {
    QTest::mouseClick(child<QAbstractButton>(w, button), Qt::LeftButton);
}

// Replaces the text of a line edit by typing, as the user does.
inline void typeInto(QWidget* w, const char* name, const QString& text) {
    auto* e = child<QLineEdit>(w, name);
    e->setFocus();
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Delete);
    QTest::keyClicks(e, text);
}
