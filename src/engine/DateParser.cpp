#include "engine/DateParser.h"

#include <QByteArray>

#include <array>

namespace DateParser {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c + 32) : c;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// 1 to 12 for an English month name or its first three letters ("Sept" as well); 0 for any other word.
int monthNumber(std::string_view word)
{
    static constexpr std::array<std::string_view, 12> names = {"january",   "february", "march",    "april",
                                                               "may",       "june",     "july",     "august",
                                                               "september", "october",  "november", "december"};
    for (int m = 0; m < 12; ++m) {
        if (equalsIgnoringCase(word, names[size_t(m)]) || equalsIgnoringCase(word, names[size_t(m)].substr(0, 3)))
            return m + 1;
    }
    return equalsIgnoringCase(word, "sept") ? 9 : 0;
}

// Reads digits at pos: how many, and their value.
size_t digits(std::string_view text, size_t &pos, int &value)
{
    const size_t start = pos;
    value = 0;
    while (pos < text.size() && isDigit(text[pos]) && pos - start < 9)
        value = value * 10 + (text[pos++] - '0');
    return pos - start;
}

// A time of day after a date: h:mm[:ss[.fff]] [AM|PM] [Z|+hh:mm|-hhmm]; true when it is all of rest.
bool isTime(std::string_view rest)
{
    size_t pos = 0;
    int value;
    const size_t hours = digits(rest, pos, value);
    if (hours < 1 || hours > 2 || value > 23 || pos >= rest.size() || rest[pos] != ':')
        return false;
    ++pos;
    if (digits(rest, pos, value) != 2 || value > 59)
        return false;
    if (pos < rest.size() && rest[pos] == ':') {
        ++pos;
        if (digits(rest, pos, value) != 2 || value > 60)
            return false;
        if (pos < rest.size() && rest[pos] == '.') {
            ++pos;
            if (digits(rest, pos, value) == 0)
                return false;
        }
    }
    while (pos < rest.size() && isBlank(rest[pos]))
        ++pos;
    if (pos + 2 <= rest.size() && (lower(rest[pos]) == 'a' || lower(rest[pos]) == 'p') && lower(rest[pos + 1]) == 'm')
        pos += 2;
    if (pos < rest.size() && (rest[pos] == 'Z' || rest[pos] == 'z')) {
        ++pos;
    } else if (pos < rest.size() && (rest[pos] == '+' || rest[pos] == '-')) {
        ++pos;
        if (digits(rest, pos, value) != 2)
            return false;
        if (pos < rest.size() && rest[pos] == ':')
            ++pos;
        if (digits(rest, pos, value) != 2)
            return false;
    }
    return pos == rest.size();
}

// The date without a time written after it; empty when the time is not one.
std::string_view withoutTime(std::string_view text)
{
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return text;
    size_t start = colon;
    while (start > 0 && isDigit(text[start - 1]))
        --start;
    if (start == 0 || !(isBlank(text[start - 1]) || text[start - 1] == 'T' || text[start - 1] == 't'))
        return {};
    if (!isTime(text.substr(start)))
        return {};
    return trimmed(text.substr(0, start - 1));
}

struct Token
{
    enum Kind { Number, Word, Separator } kind;
    int value = 0;     // a number's value, a word's month (0: no month), a separator's character
    size_t length = 0; // a number's digits
};

// Room for the longest form (day, month, year and two separators) and one more, which no form has.
struct Tokens
{
    std::array<Token, 6> items;
    size_t count = 0;
    size_t size() const { return count; }
    bool empty() const { return count == 0; }
    Token &back() { return items[count - 1]; }
    const Token &operator[](size_t i) const { return items[i]; }
    bool push_back(const Token &t)
    {
        if (count == items.size())
            return false;
        items[count++] = t;
        return true;
    }
};

// Numbers, words and separators ('/', '-', ',' and one run of blanks); false for any other character.
bool tokenize(std::string_view text, Tokens &tokens)
{
    size_t pos = 0;
    while (pos < text.size()) {
        const char c = text[pos];
        if (isDigit(c)) {
            Token t{Token::Number};
            t.length = digits(text, pos, t.value);
            if ((pos < text.size() && isDigit(text[pos])) || !tokens.push_back(t))
                return false;
        } else if (isLetter(c)) {
            const size_t start = pos;
            while (pos < text.size() && isLetter(text[pos]))
                ++pos;
            if (!tokens.push_back({Token::Word, monthNumber(text.substr(start, pos - start))}))
                return false;
        } else if (c == '/' || c == '-' || c == ',' || isBlank(c)) {
            char separator = c;
            ++pos;
            // "Jan 2, 1960": blanks next to a comma or a dash belong to it.
            while (pos < text.size() && (isBlank(text[pos]) || text[pos] == ',' || text[pos] == '-')) {
                if (!isBlank(text[pos])) {
                    if (!isBlank(separator))
                        return false;
                    separator = text[pos];
                }
                ++pos;
            }
            if (!tokens.empty() && tokens.back().kind == Token::Separator)
                return false;
            if (!tokens.push_back({Token::Separator, separator}))
                return false;
        } else {
            return false;
        }
    }
    return true;
}

int year(const Token &t)
{
    if (t.length == 4)
        return t.value > 0 ? t.value : -1;
    if (t.length == 2)
        return t.value < 30 ? 2000 + t.value : 1900 + t.value;
    return -1;
}

bool isDayOrMonth(const Token &t)
{
    return t.kind == Token::Number && (t.length == 1 || t.length == 2);
}

std::optional<Range> day(int y, int m, int d)
{
    const QDate date(y, m, d);
    if (y <= 0 || !date.isValid())
        return std::nullopt;
    return Range{date, date};
}

std::optional<Range> month(int y, int m)
{
    const QDate first(y, m, 1);
    if (y <= 0 || !first.isValid())
        return std::nullopt;
    return Range{first, first.addMonths(1).addDays(-1)};
}

std::optional<Range> read(std::string_view text)
{
    text = withoutTime(trimmed(text));
    Tokens tokens;
    if (text.empty() || !tokenize(text, tokens))
        return std::nullopt;
    auto separatorIs = [&](size_t i, std::string_view allowed) {
        return tokens[i].kind == Token::Separator && allowed.find(char(tokens[i].value)) != std::string_view::npos;
    };
    const Token::Kind none = Token::Separator;
    auto kind = [&](size_t i) { return i < tokens.size() ? tokens[i].kind : none; };

    switch (tokens.size()) {
    case 1: // 1960
        if (kind(0) == Token::Number && tokens[0].length == 4 && tokens[0].value > 0)
            return Range{QDate(tokens[0].value, 1, 1), QDate(tokens[0].value, 12, 31)};
        return std::nullopt;
    case 3:
        if (!separatorIs(1, "/- "))
            return std::nullopt;
        if (kind(0) == Token::Number && tokens[0].length == 4 && isDayOrMonth(tokens[2]) && !separatorIs(1, " "))
            return month(tokens[0].value, tokens[2].value); // 1960-01
        if (isDayOrMonth(tokens[0]) && kind(2) == Token::Number && tokens[2].length == 4 && !separatorIs(1, " "))
            return month(tokens[2].value, tokens[0].value); // 01/1960
        if (kind(0) == Token::Word && tokens[0].value > 0 && kind(2) == Token::Number && tokens[2].length == 4)
            return month(tokens[2].value, tokens[0].value); // JAN 1960
        return std::nullopt;
    case 5:
        break;
    default:
        return std::nullopt;
    }

    const bool sameSeparator = tokens[1].value == tokens[3].value;
    if (kind(0) == Token::Number && kind(2) == Token::Number && kind(4) == Token::Number) {
        if (!sameSeparator || !separatorIs(1, "/-"))
            return std::nullopt;
        if (tokens[0].length == 4 && isDayOrMonth(tokens[2]) && isDayOrMonth(tokens[4]))
            return day(tokens[0].value, tokens[2].value, tokens[4].value); // 1960-01-02
        if (!isDayOrMonth(tokens[0]) || !isDayOrMonth(tokens[2]))
            return std::nullopt;
        const int y = year(tokens[4]);
        if (y < 0)
            return std::nullopt;
        if (tokens[0].value > 12)
            return day(y, tokens[2].value, tokens[0].value); // 31/12/1960
        return day(y, tokens[0].value, tokens[2].value);     // 12/31/1960
    }
    if (isDayOrMonth(tokens[0]) && kind(2) == Token::Word && kind(4) == Token::Number) {
        // 02-JAN-1960, 2 Jan 1960
        if (!sameSeparator || !separatorIs(1, "-/ ") || tokens[2].value == 0 || year(tokens[4]) < 0)
            return std::nullopt;
        return day(year(tokens[4]), tokens[2].value, tokens[0].value);
    }
    if (kind(0) == Token::Word && isDayOrMonth(tokens[2]) && kind(4) == Token::Number) {
        // Jan 2, 1960; JAN-02-1960
        if (tokens[0].value == 0 || !separatorIs(1, "- ") || !separatorIs(3, ", -") || year(tokens[4]) < 0)
            return std::nullopt;
        return day(year(tokens[4]), tokens[0].value, tokens[2].value);
    }
    return std::nullopt;
}

} // namespace

std::optional<Range> parseRange(std::string_view text)
{
    return read(text);
}

std::optional<QDate> parse(std::string_view text)
{
    const auto range = read(text);
    if (!range || !range->isWhole())
        return std::nullopt;
    return range->first;
}

std::optional<QDate> parse(QStringView text)
{
    // Dates are ASCII; anything else cannot be one.
    for (QChar c : text) {
        if (c.unicode() > 0x7F)
            return std::nullopt;
    }
    const QByteArray bytes = text.toLatin1();
    return parse(std::string_view(bytes.constData(), size_t(bytes.size())));
}

} // namespace DateParser
