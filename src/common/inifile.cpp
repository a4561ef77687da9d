#include "inifile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

namespace {
bool same(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A line break inside a value would turn the rest into another line of the file.
QString oneLine(QString text) {
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}
}  // namespace

bool IniFile::decode(const QByteArray& bytes, QString* text, Encoding* encoding) {
    const auto starts = [&](const char* bom, int n) {
        return bytes.startsWith(QByteArray(bom, n));
    };
    if (starts("\xEF\xBB\xBF", 3)) {
        *encoding = Encoding::Utf8Bom;
        *text = QString::fromUtf8(bytes.mid(3));
        return true;
    }
    const bool le = starts("\xFF\xFE", 2), be = starts("\xFE\xFF", 2);
    if (le || be) {
        if (bytes.size() % 2 != 0) return false;  // cut in the middle of a character
        *encoding = le ? Encoding::Utf16LE : Encoding::Utf16BE;
        QStringDecoder dec(le ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        *text = dec(bytes.mid(2));
        return !dec.hasError();
    }
    // NUL bytes without a byte-order mark: a damaged file (a crash leaves blocks of zeros), or
    // not a text file at all.
    if (bytes.contains('\0')) return false;
    // Hand-edited files may come in the old single-byte code page instead of UTF-8.
    QStringDecoder utf8(QStringDecoder::Utf8);
    *text = utf8(bytes);
    *encoding = Encoding::Utf8;
    if (utf8.hasError()) {
        *text = QString::fromLatin1(bytes);
        *encoding = Encoding::Latin1;
    }
    return true;
}

QByteArray IniFile::encode(const QString& plain, Encoding encoding, bool crlf) {
    QString text = plain;
    if (crlf) text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    switch (encoding) {
        case Encoding::Utf8Bom:
            return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
        case Encoding::Utf16LE:
        case Encoding::Utf16BE: {
            const bool le = encoding == Encoding::Utf16LE;
            QStringEncoder enc(le ? QStringEncoder::Utf16LE : QStringEncoder::Utf16BE);
            return QByteArray(le ? "\xFF\xFE" : "\xFE\xFF", 2) + QByteArray(enc(text));
        }
        case Encoding::Latin1: {
            // A character the code page cannot hold (a euro sign typed in a window) would turn
            // into "?": the file then becomes UTF-8.
            bool fits = true;
            for (QChar c : text)
                if (c.unicode() > 0xff) fits = false;
            if (fits) return text.toLatin1();
            return text.toUtf8();
        }
        case Encoding::Utf8:
            break;
    }
    return text.toUtf8();
}

bool IniFile::readFile(QString* text, bool* exists) {
    QFile file(path_);
    *exists = file.exists();
    if (!*exists) return true;
    if (!file.open(QIODevice::ReadOnly)) {
        error_ =
            QStringLiteral("Impossibile leggere il file %1: %2").arg(path_, file.errorString());
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error_ =
            QStringLiteral("Impossibile leggere il file %1: %2").arg(path_, file.errorString());
        return false;
    }
    Encoding enc = Encoding::Utf8;
    if (!decode(bytes, text, &enc)) {
        error_ =
            QStringLiteral("Il file %1 è danneggiato: non contiene testo leggibile").arg(path_);
        return false;
    }
    encoding_ = enc;
    const qsizetype lf = text->indexOf(QLatin1Char('\n'));
    crlf_ = lf > 0 && text->at(lf - 1) == QLatin1Char('\r');
    return true;
}

bool IniFile::load(const QString& path) {
    path_ = path;
    error_.clear();
    lines_.clear();
    pending_.clear();
    unreadable_ = false;
    encoding_ = Encoding::Utf8;
    crlf_ = false;
    QString text;
    bool exists = false;
    if (!readFile(&text, &exists)) {
        unreadable_ = true;
        return false;
    }
    if (exists) fromText(text);
    return true;
}

void IniFile::fromText(const QString& input) {
    lines_.clear();
    pending_.clear();
    QString text = input;
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    QStringList rows = text.split(QLatin1Char('\n'));
    if (!rows.isEmpty() && rows.last().isEmpty()) rows.removeLast();  // final line break
    QString section;
    for (QString row : rows) {
        if (row.endsWith(QLatin1Char('\r'))) row.chop(1);
        Line line;
        line.raw = row;
        const QString t = row.trimmed();
        if (t.startsWith(QLatin1Char('[')) && t.contains(QLatin1Char(']'))) {
            section = t.mid(1, t.indexOf(QLatin1Char(']')) - 1).trimmed();
            line.header = true;
        } else if (!t.isEmpty() && !t.startsWith(QLatin1Char(';')) &&
                   !t.startsWith(QLatin1Char('#'))) {
            const qsizetype eq = t.indexOf(QLatin1Char('='));
            if (eq > 0) {
                line.key = t.left(eq).trimmed();
                line.value = t.mid(eq + 1).trimmed();
            }
        }
        line.section = section;
        lines_.push_back(line);
    }
}

QString IniFile::toText() const {
    QString out;
    for (const Line& line : lines_) {
        out += line.raw;
        out += QLatin1Char('\n');
    }
    return out;
}

bool IniFile::write() {
    QSaveFile file(path_);
    const QByteArray bytes = encode(toText(), encoding_, crlf_);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        error_ =
            QStringLiteral("Impossibile scrivere il file %1: %2").arg(path_, file.errorString());
        return false;
    }
    return true;
}

bool IniFile::save() {
    error_.clear();
    if (path_.isEmpty()) {
        error_ = QStringLiteral("Nessun file di configurazione indicato");
        return false;
    }
    if (unreadable_) {
        error_ = QStringLiteral(
                     "Le impostazioni non vengono salvate: il file %1 non si è potuto "
                     "leggere all'avvio e non viene sovrascritto")
                     .arg(path_);
        return false;
    }
    // The file as it is now, with the program's changes applied over it.
    QString text;
    bool exists = false;
    if (!readFile(&text, &exists)) {
        error_ = QStringLiteral("Le impostazioni non vengono salvate: ") + error_;
        return false;
    }
    if (exists) {
        const std::vector<Change> changes = pending_;
        fromText(text);
        for (const Change& c : changes) apply(c);
        pending_ = changes;
        // Nothing of ours changed: the user's file is not touched at all.
        if (changes.empty()) return true;
    }
    if (!write()) return false;
    pending_.clear();
    return true;
}

bool IniFile::saveAs(const QString& path) {
    if (path == path_) return save();
    path_ = path;
    unreadable_ = false;
    pending_.clear();
    error_.clear();
    return write();
}

int IniFile::find(const QString& section, const QString& key) const {
    for (size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (!line.header && !line.key.isEmpty() && same(line.section, section) &&
            same(line.key, key))
            return int(i);
    }
    return -1;
}

bool IniFile::contains(const QString& section, const QString& key) const {
    return find(section, key) >= 0;
}

QString IniFile::value(const QString& section, const QString& key, const QString& def) const {
    const int i = find(section, key);
    return i < 0 ? def : lines_[size_t(i)].value;
}

void IniFile::setValue(const QString& section, const QString& key, const QString& value) {
    // Setting what is already there is no change: it must not undo a hand edit at save time.
    const int found = find(section, key);
    if (found >= 0 && lines_[size_t(found)].value == oneLine(value)) return;
    record({section, key, value, false});
}

void IniFile::remove(const QString& section, const QString& key) {
    if (find(section, key) < 0) return;
    record({section, key, QString(), true});
}

void IniFile::record(const Change& change) {
    apply(change);
    std::erase_if(pending_, [&](const Change& c) {
        return same(c.section, change.section) && same(c.key, change.key);
    });
    pending_.push_back(change);
}

void IniFile::apply(const Change& change) {
    const QString& section = change.section;
    const QString& key = change.key;
    if (change.remove) {
        for (int i = find(section, key); i >= 0; i = find(section, key))
            lines_.erase(lines_.begin() + i);
        return;
    }
    const QString v = oneLine(change.value);
    const int found = find(section, key);
    if (found >= 0) {
        Line& line = lines_[size_t(found)];
        line.value = v;
        line.raw = line.key + QLatin1Char('=') + v;
        return;
    }
    Line line;
    line.section = section.trimmed();
    line.key = oneLine(key).trimmed();
    line.value = v;
    line.raw = line.key + QLatin1Char('=') + v;

    // After the last key (or the header) of the section, so that comments below stay below.
    int at = -1;
    for (size_t i = 0; i < lines_.size(); ++i) {
        const Line& l = lines_[i];
        if (same(l.section, section) && (l.header || !l.key.isEmpty())) at = int(i);
    }
    // Keys outside any section belong before the first header.
    if (at >= 0 || line.section.isEmpty()) {
        lines_.insert(lines_.begin() + (at + 1), line);
        return;
    }
    if (!lines_.empty() && !lines_.back().raw.trimmed().isEmpty()) {
        Line blank;
        blank.section = lines_.back().section;
        lines_.push_back(blank);
    }
    Line header;
    header.section = line.section;
    header.header = true;
    header.raw = QLatin1Char('[') + line.section + QLatin1Char(']');
    lines_.push_back(header);
    lines_.push_back(line);
}

QStringList IniFile::sections() const {
    QStringList out;
    for (const Line& line : lines_) {
        if (line.header && !out.contains(line.section, Qt::CaseInsensitive)) out << line.section;
    }
    return out;
}

QStringList IniFile::keys(const QString& section) const {
    QStringList out;
    for (const Line& line : lines_) {
        if (!line.header && !line.key.isEmpty() && same(line.section, section) &&
            !out.contains(line.key, Qt::CaseInsensitive))
            out << line.key;
    }
    return out;
}
