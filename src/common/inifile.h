#pragma once
// A plain INI file read and written as a person writes it: [Section], key=value, values taken
// literally (no escapes, no quoting: "DIRECTORY=/srv/cantina/dati/" or "C:\dati\" read as they
// stand). Comments (';' or '#') and the order of sections and keys survive a save.
//
// The file belongs to the user as much as to the program: a save writes only the keys the
// program changed, into the file as it is on disk at that moment (a hand edit made meanwhile
// stays), in the file's own encoding and line ends. A file that could not be read is never
// written over.
#include <QString>
#include <QStringList>
#include <vector>

class IniFile {
public:
    // How the file was written: Windows editors add a byte-order mark, older ones write the
    // single-byte code page.
    enum class Encoding { Utf8, Utf8Bom, Utf16LE, Utf16BE, Latin1 };

    IniFile() = default;
    explicit IniFile(const QString& path) { load(path); }

    // Reads the file; a missing file gives an empty one (not an error). Returns false when the
    // file exists but cannot be read, or is not text (NUL bytes of a damaged file): the values
    // are then empty and save() refuses to write over it.
    bool load(const QString& path);
    // Writes the changed keys into the file as it is now, through QSaveFile, so a crash never
    // leaves half a file. Returns false with errorString() set when it cannot write, or when
    // the file (at load or now) could not be read.
    bool save();
    // save() for path; another path than the loaded one gets the whole text.
    bool saveAs(const QString& path);
    // False when the loaded file could not be read: nothing will be saved.
    bool canSave() const { return !unreadable_; }

    QString path() const { return path_; }
    QString errorString() const { return error_; }
    Encoding encoding() const { return encoding_; }
    bool crlf() const { return crlf_; }

    bool contains(const QString& section, const QString& key) const;
    // The value, or def when the key is absent (an empty value is returned as empty).
    QString value(const QString& section, const QString& key, const QString& def = {}) const;
    void setValue(const QString& section, const QString& key, const QString& value);
    void remove(const QString& section, const QString& key);
    QStringList sections() const;
    QStringList keys(const QString& section) const;

    // The text of the file as save() writes it (lines joined by "\n"). fromText replaces the
    // whole content and forgets the changes not yet saved.
    QString toText() const;
    void fromText(const QString& text);

    // The bytes of a file decoded (false for bytes that are not text), and text encoded back.
    static bool decode(const QByteArray& bytes, QString* text, Encoding* encoding);
    static QByteArray encode(const QString& text, Encoding encoding, bool crlf);

private:
    struct Line {
        QString section;  // section this line belongs to
        QString key;      // empty for comments, blank lines and section headers
        QString value;
        QString raw;  // the line as read, for comments and headers
        bool header = false;
    };
    // A key the program set or removed since the last load or save.
    struct Change {
        QString section, key, value;
        bool remove = false;
    };
    int find(const QString& section, const QString& key) const;
    void apply(const Change& change);
    void record(const Change& change);
    // Reads path_ into text; false (with error_) when it exists but is unreadable.
    bool readFile(QString* text, bool* exists);
    bool write();
    std::vector<Line> lines_;
    std::vector<Change> pending_;
    QString path_;
    QString error_;
    Encoding encoding_ = Encoding::Utf8;
    bool crlf_ = false;
    bool unreadable_ = false;
};
