#include "helpers.h"

#include "format.h"

#include <QLocale>
#include <cmath>

QString novirgola(const QString& text) {
    QString out = text;
    out.replace(QLatin1Char(','), QLatin1Char('.'));
    return out;
}

int looklist(const QStringList& list, const QString& text) {
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (list.at(i).startsWith(text, Qt::CaseSensitive)) return int(i);
    }
    return -1;
}

long double segno(long double x) {
    return x >= 0 ? 1.0L : -1.0L;
}

namespace {
const char* const kHundreds[] = {
    "",         "cento",      "duecento",  "trecento", "quattrocento", "cinquecento",
    "seicento", "settecento", "ottocento", "novecento"};
const char* const kTeens[] = {"dieci",    "undici", "dodici",      "tredici",  "quattordici",
                              "quindici", "sedici", "diciassette", "diciotto", "diciannove"};
const char* const kTens[] = {"",          "",         "venti",    "trenta",  "quaranta",
                             "cinquanta", "sessanta", "settanta", "ottanta", "novanta"};
const char* const kUnits[] = {"",       "uno", "due",   "tre",  "quattro",
                              "cinque", "sei", "sette", "otto", "nove"};

int digitAt(const QString& digits, int i) {
    const QChar c = digits.at(i);
    return c >= QLatin1Char('0') && c <= QLatin1Char('9') ? c.unicode() - '0' : 0;
}
}  // namespace

QString terna_in_lettere(const QString& digits, const QString& suffix) {
    QString d = digits.right(3);
    while (d.size() < 3) d.prepend(QLatin1Char('0'));
    const int h = digitAt(d, 0);
    const int t = digitAt(d, 1);
    const int u = digitAt(d, 2);
    QString out = QString::fromLatin1(kHundreds[h]);
    if (t == 1) {
        out += QString::fromLatin1(kTeens[u]);
    } else {
        out += QString::fromLatin1(kTens[t]);
        out += QString::fromLatin1(kUnits[u]);
    }
    if (!out.isEmpty()) out += suffix;
    if (out == QLatin1String("unomila")) out = QStringLiteral("mille");
    return out;
}

QString numero_in_lettere(double x) {
    if (!std::isfinite(x)) return {};
    // Fixed C locale: the cutting below relies on '.' whatever the user's settings.
    const QString s = formatFloat(QStringLiteral("0.000"), std::fabs(x), QLocale::c());
    const qsizetype point = s.indexOf(QLatin1Char('.'));
    QString integer = s.left(point);
    const QString decimals = s.mid(point + 1);
    if (integer.size() > 12) return formatFloat(QStringLiteral("0.###"), x, QLocale::c());

    while (integer.size() < 12) integer.prepend(QLatin1Char('0'));
    QString words;
    QString group = terna_in_lettere(integer.mid(0, 3), QStringLiteral("miliardi"));
    words += group == QLatin1String("unomiliardi") ? QStringLiteral("unmiliardo") : group;
    group = terna_in_lettere(integer.mid(3, 3), QStringLiteral("milioni"));
    words += group == QLatin1String("unomilioni") ? QStringLiteral("unmilione") : group;
    words += terna_in_lettere(integer.mid(6, 3), QStringLiteral("mila"));
    words += terna_in_lettere(integer.mid(9, 3), QString());
    if (decimals != QLatin1String("000")) words += QLatin1Char('/') + decimals;
    if (words.isEmpty()) return words;  // zero, also when a tiny negative rounds to it
    return x < 0 ? QStringLiteral("meno ") + words : words;
}

QString litri_in_lettere(double x) {
    return formatFloat(QStringLiteral("#.###"), x) + QStringLiteral("  ") + numero_in_lettere(x);
}
