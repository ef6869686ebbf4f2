#include "platform/DateParser.h"

#include <QByteArray>

namespace DateParser {

namespace {

// Reads minDigits..maxDigits digits at pos; -1 when there are too few or too many.
int number(std::string_view text, size_t &pos, size_t minDigits, size_t maxDigits)
{
    const size_t start = pos;
    int value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && pos - start < maxDigits) {
        value = value * 10 + (text[pos] - '0');
        ++pos;
    }
    const size_t digits = pos - start;
    if (digits < minDigits || (pos < text.size() && text[pos] >= '0' && text[pos] <= '9'))
        return -1;
    return value;
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::optional<QDate> valid(int year, int month, int day)
{
    const QDate date(year, month, day);
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

} // namespace

std::optional<QDate> parse(std::string_view text)
{
    text = trimmed(text);
    size_t pos = 0;
    const int first = number(text, pos, 1, 4);
    if (first < 0 || pos >= text.size())
        return std::nullopt;
    const char separator = text[pos];
    if (separator != '/' && separator != '-')
        return std::nullopt;
    const bool yearFirst = pos == 4;
    if (yearFirst && separator != '-')
        return std::nullopt;
    if (!yearFirst && pos > 2)
        return std::nullopt;
    ++pos;
    const int second = number(text, pos, 1, 2);
    if (second < 0 || pos >= text.size() || text[pos] != separator)
        return std::nullopt;
    ++pos;
    const int third = yearFirst ? number(text, pos, 1, 2) : number(text, pos, 4, 4);
    if (third < 0 || pos != text.size())
        return std::nullopt;
    return yearFirst ? valid(first, second, third) : valid(third, first, second);
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
