#pragma once
// The one message dialog of the program. Rules talk to the user only through it, so that tests
// can answer the questions and read the texts shown.
#include <QString>
#include <QStringList>
#include <deque>

class MessageService {
public:
    virtual ~MessageService() = default;
    // A plain message with OK (warning icon, centred text).
    virtual void message(const QString& text) = 0;
    // A Yes/No question; true only for Yes. Enter answers Yes.
    virtual bool question(const QString& text) = 0;
    // A Yes/No question whose default button is "&No", so that Enter never destroys anything:
    // every question before something is deleted. True only for Yes.
    virtual bool confirmDelete(const QString& text) = 0;
    // The system's plain message box (used where the program does not use its own dialog).
    virtual void plain(const QString& text) = 0;
    // The standard error box with an engine's own text.
    virtual void error(const QString& text) = 0;
};

// Access to the service in force. Without one installed, a service that answers No and
// writes the texts to stderr is used (never blocks).
namespace Mymsg {
MessageService& service();
void install(MessageService* service);  // not owned; nullptr restores the default
inline void message(const QString& text) {
    service().message(text);
}
inline bool question(const QString& text) {
    return service().question(text);
}
inline bool confirmDelete(const QString& text) {
    return service().confirmDelete(text);
}
inline void plain(const QString& text) {
    service().plain(text);
}
inline void error(const QString& text) {
    service().error(text);
}
}  // namespace Mymsg

// Test double: answers questions from a queue (No when the queue is empty) and records every
// text shown, with its kind ("message", "question", "questionNo" for a question whose default
// is No, "plain", "error").
class ScriptedMessages : public MessageService {
public:
    ScriptedMessages();            // installs itself
    ~ScriptedMessages() override;  // restores the default
    void answer(bool yes) { answers_.push_back(yes); }
    void message(const QString& text) override { record("message", text); }
    bool question(const QString& text) override;
    bool confirmDelete(const QString& text) override;
    void plain(const QString& text) override { record("plain", text); }
    void error(const QString& text) override { record("error", text); }
    QStringList texts;  // the texts shown, in order
    QStringList kinds;  // their kinds
    QString last() const { return texts.isEmpty() ? QString() : texts.last(); }
    void clear() {
        texts.clear();
        kinds.clear();
    }

private:
    void record(const char* kind, const QString& text) {
        kinds << QString::fromLatin1(kind);
        texts << text;
    }
    bool nextAnswer();
    std::deque<bool> answers_;
    MessageService* previous_ = nullptr;
};
