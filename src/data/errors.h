#pragma once
#include <QString>
#include <stdexcept>

// An error of the database engine or of the data layer's own checks (a text too long, a number
// out of range), carrying the text the standard error box shows.
class DatabaseError : public std::runtime_error {
public:
    explicit DatabaseError(const QString& text)
        : std::runtime_error(text.toStdString()), text_(text) {}
    QString text() const { return text_; }

private:
    QString text_;
};

// Raised by a before-event to cancel the operation: nothing is stored. Without a message the
// cancel is silent; with one, the data set shows it (Mymsg) once its transaction has been rolled
// back, so that no dialog waits while the database is held.
struct Abort {
    QString message;
};
