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

bool IniFile::load(const QString& path) {
    path_ = path;
    error_.clear();
    lines_.clear();
    QFile file(path);
    if (!file.exists()) return true;
    if (!file.open(QIODevice::ReadOnly)) {
        error_ = QStringLiteral("Impossibile leggere il file %1: %2").arg(path, file.errorString());
        return false;
    }
    const QByteArray bytes = file.readAll();
    // Hand-edited files may come in the old single-byte code page instead of UTF-8.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (utf8.hasError()) text = QString::fromLatin1(bytes);
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    fromText(text);
    return true;
}

void IniFile::fromText(const QString& text) {
    lines_.clear();
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

bool IniFile::save() const {
    error_.clear();
    if (path_.isEmpty()) {
        error_ = QStringLiteral("Nessun file di configurazione indicato");
        return false;
    }
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly)) {
        error_ =
            QStringLiteral("Impossibile scrivere il file %1: %2").arg(path_, file.errorString());
        return false;
    }
    const QByteArray bytes = toText().toUtf8();
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        error_ =
            QStringLiteral("Impossibile scrivere il file %1: %2").arg(path_, file.errorString());
        return false;
    }
    return true;
}

bool IniFile::saveAs(const QString& path) {
    path_ = path;
    return save();
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
    const QString v = oneLine(value);
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

void IniFile::remove(const QString& section, const QString& key) {
    for (int i = find(section, key); i >= 0; i = find(section, key))
        lines_.erase(lines_.begin() + i);
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
