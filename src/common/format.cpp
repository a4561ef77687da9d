#include "format.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QRegularExpression>
#include <QTranslator>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// A finite double as decimal digits: value = 0.d1d2d3... x 10^exp, 15 significant digits at
// most, as the classic routines see it. Rounding works on these digits, so 1.005 rounds to 1.01
// as the user reads it, not as the binary value happens to fall.
struct Decimal {
    bool negative = false;
    QString digits;  // no leading or trailing zeros; empty for zero
    int exp = 0;

    bool isZero() const { return digits.isEmpty(); }
};

Decimal toDecimal(double value) {
    Decimal d;
    d.negative = std::signbit(value);
    const double a = std::fabs(value);
    if (a == 0.0) return d;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", a);  // d.dddddddddddddde[+-]xx
    QString text = QString::fromLatin1(buf);
    const qsizetype e = text.indexOf(QLatin1Char('e'));
    QString mantissa = text.left(e);
    mantissa.remove(QLatin1Char('.'));
    d.exp = std::atoi(buf + e + 1) + 1;
    while (mantissa.endsWith(QLatin1Char('0'))) mantissa.chop(1);
    d.digits = mantissa;
    return d;
}

// Rounds half away from zero to the given number of decimals.
void roundTo(Decimal& d, int decimals) {
    if (d.isZero()) return;
    const int keep = d.exp + decimals;
    if (keep >= d.digits.size()) return;
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    const bool up = d.digits.at(keep) >= QLatin1Char('5');
    d.digits.truncate(keep);
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits.at(i) == QLatin1Char('9')) {
            d.digits[i] = QLatin1Char('0');
            --i;
        }
        if (i >= 0) {
            d.digits[i] = QChar(d.digits.at(i).unicode() + 1);
        } else {
            d.digits.prepend(QLatin1Char('1'));
            ++d.exp;
        }
    }
    while (d.digits.endsWith(QLatin1Char('0'))) d.digits.chop(1);
}

// Integer digits of d, without leading zeros (empty when the integer part is zero).
QString integerDigits(const Decimal& d) {
    if (d.isZero() || d.exp <= 0) return {};
    QString s = d.digits.left(d.exp);
    while (s.size() < d.exp) s.append(QLatin1Char('0'));
    return s;
}

// The first n decimal digits of d, zero-filled.
QString fractionDigits(const Decimal& d, int n) {
    QString s;
    s.reserve(n);
    for (int i = 0; i < n; ++i) {
        const int pos = d.exp + i;
        s.append(pos >= 0 && pos < d.digits.size() ? d.digits.at(pos) : QLatin1Char('0'));
    }
    return s;
}

QStringList splitSections(const QString& pattern) {
    QStringList sections;
    QString current;
    QChar quote;
    for (const QChar c : pattern) {
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
        } else if (c == QLatin1Char(';')) {
            sections << current;
            current.clear();
            continue;
        }
        current.append(c);
    }
    sections << current;
    return sections;
}

// What one section asks for.
struct Picture {
    int intPlaces = 0;   // digit placeholders before the decimal point
    int minInt = 0;      // integer digits always written (from the first '0')
    int fracPlaces = 0;  // digit placeholders after the decimal point
    int minFrac = 0;     // decimals always written (up to the last '0')
    bool grouping = false;
};

Picture scan(const QString& section) {
    Picture p;
    bool inFraction = false;
    int firstZero = -1;
    QChar quote;
    for (const QChar c : section) {
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
            continue;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
        } else if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            if (inFraction) {
                ++p.fracPlaces;
                if (c == QLatin1Char('0')) p.minFrac = p.fracPlaces;
            } else {
                if (c == QLatin1Char('0') && firstZero < 0) firstZero = p.intPlaces;
                ++p.intPlaces;
            }
        } else if (c == QLatin1Char('.')) {
            inFraction = true;
        } else if (c == QLatin1Char(',') && !inFraction) {
            p.grouping = true;
        }
    }
    if (firstZero >= 0) p.minInt = p.intPlaces - firstZero;
    return p;
}

QString applySection(const QString& section, const Decimal& d, bool withSign,
                     const QLocale& locale) {
    const Picture p = scan(section);
    QString intText = integerDigits(d);
    while (intText.size() < p.minInt) intText.prepend(QLatin1Char('0'));
    QString frac = fractionDigits(d, p.fracPlaces);
    while (frac.size() > p.minFrac && frac.endsWith(QLatin1Char('0'))) frac.chop(1);

    const QString group = locale.groupSeparator();
    const int len = intText.size();
    QString out;
    if (withSign) out.append(QLatin1Char('-'));
    auto emitDigit = [&](int i) {
        out.append(intText.at(i));
        const int right = len - 1 - i;
        if (p.grouping && right > 0 && right % 3 == 0) out.append(group);
    };

    bool intEmitted = p.intPlaces > 0;
    auto emitAll = [&]() {
        for (int i = 0; i < len; ++i) emitDigit(i);
        intEmitted = true;
    };
    bool inFraction = false;
    bool pointWritten = false;
    int intSeen = 0;
    int fracSeen = 0;
    QChar quote;
    for (const QChar c : section) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                out.append(c);
            continue;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
        } else if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            if (inFraction) {
                if (fracSeen < frac.size()) {
                    if (!pointWritten) {
                        out.append(locale.decimalPoint());
                        pointWritten = true;
                    }
                    out.append(frac.at(fracSeen));
                }
                ++fracSeen;
            } else {
                const int fromRight = p.intPlaces - 1 - intSeen;
                if (intSeen == 0) {
                    // Digits beyond the placeholders go where the first one stands.
                    for (int i = 0; i < len - p.intPlaces; ++i) emitDigit(i);
                }
                if (fromRight < len) emitDigit(len - 1 - fromRight);
                ++intSeen;
            }
        } else if (c == QLatin1Char('.')) {
            if (!inFraction && p.intPlaces == 0) emitAll();
            inFraction = true;
        } else if (c == QLatin1Char(',') && !inFraction) {
            // Only turns grouping on.
        } else {
            out.append(c);
        }
    }
    if (!intEmitted) {  // a picture without any digit placeholder still shows the value
        const QString rest = out.mid(withSign ? 1 : 0);
        out.truncate(withSign ? 1 : 0);
        emitAll();
        out.append(rest);
    }
    return out;
}

}  // namespace

QLocale italianLocale() {
    return QLocale(QLocale::Italian, QLocale::Italy);
}

bool installQtItalianTranslations() {
    static QTranslator* qt = nullptr;
    if (qt) return true;
    auto* t = new QTranslator(QCoreApplication::instance());
    if (!t->load(QLocale(QLocale::Italian, QLocale::Italy), QStringLiteral("qt"),
                 QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete t;
        return false;
    }
    QCoreApplication::installTranslator(t);
    qt = t;
    return true;
}

void installItalianLocale() {
    QLocale::setDefault(italianLocale());
}

QString formatFloat(const QString& pattern, double value, const QLocale& locale) {
    if (std::isnan(value)) return QStringLiteral("NAN");
    if (std::isinf(value)) return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (pattern.isEmpty()) return formatGeneral(value, locale);

    const QStringList sections = splitSections(pattern);
    auto sectionAt = [&](int i) { return i < sections.size() ? sections.at(i) : QString(); };

    Decimal d = toDecimal(value);
    int index = d.isZero() ? 2 : (d.negative ? 1 : 0);
    if (sectionAt(index).isEmpty()) index = 0;
    roundTo(d, scan(sectionAt(index)).fracPlaces);
    // A value that rounds to zero is shown as zero, with the zero section when there is one.
    if (d.isZero() && index != 2) index = sectionAt(2).isEmpty() ? 0 : 2;
    if (index == 2) {
        roundTo(d, scan(sectionAt(2)).fracPlaces);
    }
    const bool sign = d.negative && !d.isZero() && index == 0;
    return applySection(sectionAt(index), d, sign, locale);
}

QString formatGeneral(double value, const QLocale& locale) {
    if (std::isnan(value)) return QStringLiteral("NAN");
    if (std::isinf(value)) return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    const Decimal d = toDecimal(value);
    if (d.isZero()) return QStringLiteral("0");
    QString out;
    if (d.negative) out.append(QLatin1Char('-'));
    const QString point = locale.decimalPoint();
    if (d.exp > 15 || d.exp < -4) {
        out.append(d.digits.at(0));
        if (d.digits.size() > 1) out.append(point).append(d.digits.mid(1));
        out.append(QLatin1Char('E')).append(QString::number(d.exp - 1));
        return out;
    }
    const QString intText = integerDigits(d);
    out.append(intText.isEmpty() ? QStringLiteral("0") : intText);
    const int decimals = qMax(0, int(d.digits.size()) - d.exp);
    if (decimals > 0) out.append(point).append(fractionDigits(d, decimals));
    return out;
}

QByteArray formatZeroPadded(double value, int digits) {
    const double a = std::fabs(value);
    if (std::isfinite(a) && a < 1e14) {
        // Rounding to 15 significant digits first, as formatFloat does, only matters within
        // a hair of a half: leave those to it.
        const double whole = std::floor(a);
        const double frac = a - whole;
        const double guard = whole < 1 ? 1e-13 : std::pow(10.0, std::floor(std::log10(whole)) - 13);
        if (std::fabs(frac - 0.5) > guard) {
            const qint64 n = qint64(whole) + (frac > 0.5 ? 1 : 0);
            QByteArray out = QByteArray::number(n);
            if (out.size() < digits) out.prepend(digits - out.size(), '0');
            if (n != 0 && std::signbit(value)) out.prepend('-');
            return out;
        }
    }
    return formatFloat(QString(digits, QLatin1Char('0')), value).toLatin1();
}

QByteArray formatGeneralLatin1(double value) {
    const double a = std::fabs(value);
    if (a < 1e15 && a == std::floor(a)) return QByteArray::number(qint64(value));
    if (a >= 1e-4 && a < 1e15) {
        // Fixed notation with 15 significant digits and no trailing zeros, as formatGeneral.
        char buf[40];
        const int n = std::snprintf(buf, sizeof buf, "%.15g", value);
        QByteArray out(buf, n);
        out.replace('.', ',');
        return out;
    }
    return formatGeneral(value).toLatin1();
}

namespace {
QString padded(int value, int width) {
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}
}  // namespace

QString formatDateTime(const QString& pattern, const QDateTime& value) {
    if (!value.isValid()) return {};
    const QDate date = value.date();
    const QTime time = value.time();
    const QLocale it = italianLocale();
    QString out;
    QChar lastToken;
    QChar quote;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                out.append(c);
            ++i;
            continue;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
            ++i;
            continue;
        }
        QChar token = c.toLower();
        if (!QStringLiteral("dmyhns").contains(token)) {
            out.append(c);
            ++i;
            continue;
        }
        qsizetype count = 1;
        while (i + count < pattern.size() && pattern.at(i + count).toLower() == token) ++count;
        i += count;
        if (token == QLatin1Char('m') && lastToken == QLatin1Char('h')) token = QLatin1Char('n');
        lastToken = token;
        switch (token.toLatin1()) {
            case 'd':
                if (count <= 2)
                    out.append(padded(date.day(), int(count)));
                else if (count == 3)
                    out.append(it.dayName(date.dayOfWeek(), QLocale::ShortFormat));
                else
                    out.append(it.dayName(date.dayOfWeek(), QLocale::LongFormat));
                break;
            case 'm':
                if (count <= 2)
                    out.append(padded(date.month(), int(count)));
                else if (count == 3)
                    out.append(it.monthName(date.month(), QLocale::ShortFormat));
                else
                    out.append(it.monthName(date.month(), QLocale::LongFormat));
                break;
            case 'y':
                out.append(count <= 2 ? padded(date.year() % 100, 2) : padded(date.year(), 4));
                break;
            case 'h':
                out.append(padded(time.hour(), count >= 2 ? 2 : 1));
                break;
            case 'n':
                out.append(padded(time.minute(), count >= 2 ? 2 : 1));
                break;
            case 's':
                out.append(padded(time.second(), count >= 2 ? 2 : 1));
                break;
        }
    }
    return out;
}

bool parseNumber(const QString& text, double* value) {
    const QString t = text.trimmed();
    qsizetype i = 0;
    if (i < t.size() && (t.at(i) == QLatin1Char('+') || t.at(i) == QLatin1Char('-'))) ++i;
    int digits = 0;
    int separators = 0;
    QString normal = t.left(i);
    for (; i < t.size(); ++i) {
        const QChar c = t.at(i);
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            ++digits;
            normal.append(c);
        } else if (c == QLatin1Char(',') || c == QLatin1Char('.')) {
            if (++separators > 1) return false;
            normal.append(QLatin1Char('.'));
        } else {
            return false;
        }
    }
    if (digits == 0) return false;
    // ",5" and "5," are numbers for the user.
    if (normal.endsWith(QLatin1Char('.'))) normal.append(QLatin1Char('0'));
    const qsizetype point = normal.indexOf(QLatin1Char('.'));
    if (point == 0 || (point == 1 && !normal.at(0).isDigit()))
        normal.insert(point, QLatin1Char('0'));
    bool ok = false;
    const double v = QLocale::c().toDouble(normal, &ok);
    if (!ok || !std::isfinite(v)) return false;
    if (value) *value = v;
    return true;
}

TypedNumber parseTypedNumber(const QString& text, double* value) {
    static const QRegularExpression thousands(QStringLiteral("^[+-]?[1-9][0-9]{0,2}\\.[0-9]{3}$"));
    const QString t = text.trimmed();
    if (thousands.match(t).hasMatch()) return TypedNumber::Ambiguous;
    return parseNumber(t, value) ? TypedNumber::Ok : TypedNumber::Invalid;
}

QString msgNumeroAmbiguo(const QString& text) {
    const QString t = text.trimmed();
    const qsizetype point = t.indexOf(QLatin1Char('.'));
    const QString whole = t.left(point) + t.mid(point + 1);
    QString decimal = t.left(point) + QLatin1Char(',') + t.mid(point + 1);
    while (decimal.endsWith(QLatin1Char('0'))) decimal.chop(1);
    if (decimal.endsWith(QLatin1Char(','))) decimal.chop(1);
    return QStringLiteral("   \"%1\" è ambiguo: scrivere %2 oppure %3   ").arg(t, whole, decimal);
}

QDate parseTypedDate(const QString& text) {
    const QString t = text.trimmed();
    for (const char* f : {"dd/MM/yyyy", "d/M/yyyy", "dd/MM/yy", "d/M/yy"}) {
        QDate d = QDate::fromString(t, QString::fromLatin1(f));
        if (!d.isValid()) continue;
        // Two-digit years read as 19yy: keep them in this century up to 49.
        if (QByteArray(f).endsWith("/yy") && d.year() < 1950) d = d.addYears(100);
        return d;
    }
    return {};
}

QString msgDataNonValida(const QString& text) {
    return QStringLiteral("   \"%1\" non è una data valida (gg/mm/aaaa)   ").arg(text.trimmed());
}
