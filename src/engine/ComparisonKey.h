#pragma once

#include <QStringView>

#include <string>
#include <string_view>

// The one form in which the engine compares texts, on the list's side and on the statement's alike: compatibility
// normalised (NFKC), fully case-folded (ß = SS, ﬁ = FI, ı and İ = I), diacritics and the strokes of Ł, Ø, Đ
// folded (MÜLLER = MULLER), blanks around the text dropped and runs of blanks inside it taken as one.
// Keys are UTF-8; texts with equal keys compare equal.
namespace ComparisonKey {

std::string of(QStringView text);

// The whole rule, step by step, for any text; of() and ofAscii() take a shortcut for ASCII that must agree.
std::string ofAnyText(QStringView text);

// The key of a plain-ASCII text, without leaving bytes; false, with out untouched, for any other text.
bool ofAscii(std::string_view text, std::string &out);

// The ASCII rule itself: hands each character of the key of text to sink, in order. False, having emitted
// nothing, for a text that is not ASCII.
template <typename Emit> bool forEachAsciiKeyChar(std::string_view text, Emit &&sink)
{
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    bool started = false, blank = false;
    for (char c : text) {
        if (c == ' ' || (c >= '\t' && c <= '\r')) {
            blank = started;
            continue;
        }
        if (blank)
            sink(' ');
        blank = false;
        started = true;
        sink((c >= 'A' && c <= 'Z') ? char(c + 32) : c);
    }
    return true;
}

} // namespace ComparisonKey
