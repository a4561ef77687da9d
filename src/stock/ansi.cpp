#include "stock/ansi.h"

#include <QIODevice>

namespace {

constexpr qsizetype kChunk = 1 << 16;

// The code page's 0x80..0x9F; 0 where it has no character.
constexpr char16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Appends one character; false when it became "?".
inline bool put(QByteArray& out, char32_t c, bool quoteDoubled) {
    if (c < 0x80) {
        out.append(char(c));
        if (quoteDoubled && c == U'"') out.append('"');
        return true;
    }
    const int b = AnsiWriter::ansiByte(c);
    out.append(b < 0 ? '?' : char(b));
    return b >= 0;
}

}  // namespace

int AnsiWriter::ansiByte(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return int(c);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] && kHigh[i] == c) return 0x80 + i;
    return -1;
}

AnsiWriter::AnsiWriter(QIODevice& out) : out_(out) {
    buf_.reserve(kChunk + 4096);
}

void AnsiWriter::value(QByteArrayView utf8, bool quoteDoubled) {
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* end = p + utf8.size();
    // Most values are plain ASCII: copied in one go.
    const auto* plain = p;
    while (plain < end && *plain < 0x80 && !(quoteDoubled && *plain == '"')) ++plain;
    buf_.append(utf8.data(), plain - p);
    p = plain;
    bool changed = false;
    while (p < end) {
        const unsigned char b = *p;
        if (b < 0x80) {
            buf_.append(char(b));
            if (quoteDoubled && b == '"') buf_.append('"');
            ++p;
            continue;
        }
        // A multi-byte sequence; a malformed one counts as one character that cannot be held.
        int extra = b >= 0xF8 ? -1 : b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC2 ? 1 : -1;
        char32_t c = extra == 3 ? b & 0x07 : extra == 2 ? b & 0x0F : b & 0x1F;
        if (extra < 0 || end - p <= extra) {
            extra = 0;
            c = 0xFFFD;
        }
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80) {
                extra = i - 1;
                c = 0xFFFD;
                break;
            }
            c = (c << 6) | (p[i] & 0x3F);
        }
        p += extra + 1;
        changed |= !put(buf_, c, quoteDoubled);
    }
    if (changed) ++changed_;
}

namespace {
bool appendText(QByteArray& out, QStringView text, bool quoteDoubled) {
    bool changed = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        // A pair of surrogates is one character, written as one "?".
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i].unicode(), text[i + 1].unicode());
            ++i;
        }
        changed |= !put(out, c, quoteDoubled);
    }
    return changed;
}
}  // namespace

void AnsiWriter::value(QStringView text, bool quoteDoubled) {
    if (appendText(buf_, text, quoteDoubled)) ++changed_;
}

QByteArray AnsiWriter::encode(QStringView text, bool* changed) {
    QByteArray out;
    const bool c = appendText(out, text, false);
    if (changed) *changed = c;
    return out;
}

void AnsiWriter::endLine() {
    buf_.append("\r\n", 2);
    if (buf_.size() >= kChunk) drain();
}

void AnsiWriter::finish() {
    drain();
}

void AnsiWriter::drain() {
    if (buf_.isEmpty()) return;
    if (out_.write(buf_) != buf_.size()) throw WriteError{out_.errorString(), {}};
    buf_.clear();
}
