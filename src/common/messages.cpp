#include "messages.h"

#include <cstdio>

namespace {
class StderrMessages : public MessageService {
public:
    void message(const QString& text) override { print("messaggio", text); }
    bool question(const QString& text) override {
        print("domanda (risposta: No)", text);
        return false;
    }
    bool confirmDelete(const QString& text) override { return question(text); }
    void plain(const QString& text) override { print("messaggio", text); }
    void error(const QString& text) override { print("errore", text); }

private:
    static void print(const char* kind, const QString& text) {
        std::fprintf(stderr, "[%s] %s\n", kind, text.toUtf8().constData());
    }
};
StderrMessages fallback;
MessageService* current = nullptr;
}  // namespace

MessageService& Mymsg::service() {
    return current ? *current : fallback;
}
void Mymsg::install(MessageService* service) {
    current = service;
}

ScriptedMessages::ScriptedMessages() : previous_(current) {
    Mymsg::install(this);
}
ScriptedMessages::~ScriptedMessages() {
    Mymsg::install(previous_);
}

bool ScriptedMessages::confirmDelete(const QString& text) {
    record("questionNo", text);
    return nextAnswer();
}

bool ScriptedMessages::question(const QString& text) {
    record("question", text);
    return nextAnswer();
}

bool ScriptedMessages::nextAnswer() {
    if (answers_.empty()) return false;
    bool yes = answers_.front();
    answers_.pop_front();
    return yes;
}
