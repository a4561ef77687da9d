#pragma once
// A plain INI file read and written as a person writes it: [Section], key=value, values taken
// literally (no escapes, no quoting: "DIRECTORY=/srv/cantina/dati/" or "C:\dati\" read as they
// stand). Comments (';' or '#') and the order of sections and keys survive a save.
#include <QString>
#include <QStringList>
#include <vector>

class IniFile {
public:
    IniFile() = default;
    explicit IniFile(const QString& path) { load(path); }

    // Reads the file; a missing file gives an empty one (not an error). Returns false only
    // when the file exists but cannot be read.
    bool load(const QString& path);
    // Writes through QSaveFile, so a crash never leaves half a file. Returns false on failure
    // with errorString() set.
    bool save() const;
    bool saveAs(const QString& path);

    QString path() const { return path_; }
    QString errorString() const { return error_; }

    bool contains(const QString& section, const QString& key) const;
    // The value, or def when the key is absent (an empty value is returned as empty).
    QString value(const QString& section, const QString& key, const QString& def = {}) const;
    void setValue(const QString& section, const QString& key, const QString& value);
    void remove(const QString& section, const QString& key);
    QStringList sections() const;
    QStringList keys(const QString& section) const;

    // The text of the file as save() writes it (lines joined by "\n").
    QString toText() const;
    void fromText(const QString& text);

private:
    struct Line {
        QString section;  // section this line belongs to
        QString key;      // empty for comments, blank lines and section headers
        QString value;
        QString raw;  // the line as read, for comments and headers
        bool header = false;
    };
    int find(const QString& section, const QString& key) const;
    std::vector<Line> lines_;
    QString path_;
    mutable QString error_;
};
