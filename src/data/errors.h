#pragma once
#include <QString>
#include <stdexcept>

// The engine's common failures in words a shop owner understands, followed by the engine's own
// text (which support needs): "database is locked" becomes "Il database è occupato da un'altra
// postazione ...\n(database is locked)". Texts that are not such failures, or already carry the
// explanation, come back unchanged.
QString explainEngineText(const QString& text);

// An error of the database engine or of the data layer's own checks (a text too long, a number
// out of range), carrying the text the standard error box shows.
class DatabaseError : public std::runtime_error {
public:
    explicit DatabaseError(const QString& text) : DatabaseError(explainEngineText(text), nullptr) {}
    QString text() const { return text_; }

private:
    DatabaseError(const QString& explained, std::nullptr_t)
        : std::runtime_error(explained.toStdString()), text_(explained) {}
    QString text_;
};

// Raised by a before-event to cancel the operation: nothing is stored. Without a message the
// cancel is silent; with one, the data set shows it (Mymsg) once its transaction has been rolled
// back, so that no dialog waits while the database is held.
struct Abort {
    QString message;
};
