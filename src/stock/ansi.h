#pragma once
// Text for the receivers of the export files: single-byte Windows-1252 characters, lines ending
// in CR LF. A character the code page cannot hold is written as "?", and the values changed that
// way are counted, so that the user can be told: nothing is dropped without a word.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

class QIODevice;

// A failed write of an export file, with the system's text.
struct WriteError {
    QString text;
    QString file;  // filled in by whoever knows the file's name
};

class AnsiWriter {
public:
    explicit AnsiWriter(QIODevice& out);

    // A value as stored (the database's UTF-8) or as text. quoteDoubled: every '"' is written
    // twice, as a quoted CSV value needs.
    void value(QByteArrayView utf8, bool quoteDoubled = false);
    void value(QStringView text, bool quoteDoubled = false);
    // Bytes that are already plain ASCII (tags, constants, formatted numbers): copied.
    void ascii(QByteArrayView bytes) { buf_.append(bytes); }
    void ascii(char c) { buf_.append(c); }
    // CR LF; the buffer goes to the device now and then. Throws WriteError.
    void endLine();
    // Writes what is left. Throws WriteError.
    void finish();

    // Values in which at least one character was written as "?".
    int changedValues() const { return changed_; }

    // A text in Windows-1252 on its own; *changed tells whether a character became "?".
    static QByteArray encode(QStringView text, bool* changed);
    // One character in Windows-1252, or -1 when the code page has no place for it.
    static int ansiByte(char32_t c);

private:
    void drain();

    QIODevice& out_;
    QByteArray buf_;
    int changed_ = 0;
};
