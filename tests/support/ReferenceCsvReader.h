#pragma once

// A plain reader of comma-separated text, written for the tests to hold the engine's fast reader against: one
// character at a time, no shortcuts. It states the reading rules in their simplest form:
//   - a UTF-16 BOM (either order) means UTF-16, a UTF-8 BOM is dropped; a NUL byte refuses the file;
//   - CR LF, LF and a lone CR end a record outside quotes; a line that is empty holds no record;
//   - a field that starts with a quote runs to the next quote that is not doubled ("" is one quote), across line
//     ends; text after its closing quote, up to the separator, belongs to it; a quote anywhere else is a character;
//   - a quoted field that never closes refuses the file at the line of its opening quote (lines from 1).

#include <QString>
#include <QStringDecoder>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ReferenceCsvReader {

struct Result
{
    std::vector<std::vector<std::string>> records; // the header, when there is one, first
    std::optional<size_t> errorLine;               // set when the file is refused
};

inline void appendUtf8(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
        return;
    }
    // The lead byte's marker and the number of continuation bytes, by the character's size.
    const int continuation = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    const unsigned char lead[] = {0, 0xC0, 0xE0, 0xF0};
    out += char(lead[continuation] | (c >> (6 * continuation)));
    for (int k = continuation - 1; k >= 0; --k)
        out += char(0x80 | ((c >> (6 * k)) & 0x3F));
}

// Line ends in text: LF, and CR not followed by LF.
inline size_t lineEnds(std::string_view text)
{
    size_t n = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n')
            ++n;
        else if (text[i] == '\r' && !(i + 1 < text.size() && text[i + 1] == '\n'))
            ++n;
    }
    return n;
}

// The UTF-8 form of UTF-16 text; nullopt-like false at the first unit that is no character.
inline bool fromUtf16(std::string_view bytes, bool bigEndian, std::string &out)
{
    std::vector<char16_t> units;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const unsigned a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        units.push_back(char16_t(bigEndian ? (a << 8 | b) : (b << 8 | a)));
    }
    for (size_t i = 0; i < units.size(); ++i) {
        const char16_t u = units[i];
        const bool high = u >= 0xD800 && u <= 0xDBFF;
        const bool low = u >= 0xDC00 && u <= 0xDFFF;
        if (low)
            return false;
        if (high) {
            if (i + 1 == units.size() || units[i + 1] < 0xDC00 || units[i + 1] > 0xDFFF)
                return false;
            appendUtf8(out, 0x10000 + (char32_t(u - 0xD800) << 10) + char32_t(units[i + 1] - 0xDC00));
            ++i;
        } else {
            appendUtf8(out, u);
        }
    }
    return bytes.size() % 2 == 0;
}

inline Result read(std::string_view input)
{
    Result result;
    std::string text;
    if (input.starts_with("\xFF\xFE") || input.starts_with("\xFE\xFF")) {
        if (!fromUtf16(input.substr(2), input[0] == '\xFE', text)) {
            result.errorLine = lineEnds(text) + 1;
            return result;
        }
    } else if (input.starts_with("\xEF\xBB\xBF")) {
        text = input.substr(3);
    } else {
        text = input;
    }
    const size_t nul = text.find('\0');
    if (nul != std::string::npos) {
        result.errorLine = lineEnds(std::string_view(text).substr(0, nul)) + 1;
        return result;
    }

    const size_t n = text.size();
    size_t i = 0;
    size_t line = 1;
    auto atLineEnd = [&] { return text[i] == '\n' || text[i] == '\r'; };
    auto skipLineEnd = [&] {
        i += (text[i] == '\r' && i + 1 < n && text[i + 1] == '\n') ? 2 : 1;
        ++line;
    };
    while (i < n) {
        if (atLineEnd()) {
            skipLineEnd();
            continue;
        }
        std::vector<std::string> fields;
        while (true) {
            std::string field;
            if (i < n && text[i] == '"') {
                const size_t openLine = line;
                ++i;
                while (true) {
                    if (i >= n) {
                        result.errorLine = openLine;
                        return result;
                    }
                    if (text[i] == '"') {
                        if (i + 1 < n && text[i + 1] == '"') {
                            field += '"';
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    if (text[i] == '\n' || (text[i] == '\r' && !(i + 1 < n && text[i + 1] == '\n')))
                        ++line;
                    field += text[i++];
                }
            }
            while (i < n && text[i] != ',' && !atLineEnd())
                field += text[i++];
            fields.push_back(field);
            if (i < n && text[i] == ',') {
                ++i;
                continue;
            }
            break;
        }
        if (i < n)
            skipLineEnd();
        result.records.push_back(fields);
    }
    return result;
}

// A field's text: UTF-8 where the field is valid UTF-8, Windows-1252 where it is not.
inline QString decode(const std::string &field)
{
    QStringDecoder utf8(QStringConverter::Utf8,
                        QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    const QString text = utf8.decode(QByteArrayView(field.data(), qsizetype(field.size())));
    if (!utf8.hasError())
        return text;
    static constexpr char16_t high[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                          0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                          0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                          0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
    QString out;
    for (char c : field) {
        const auto b = static_cast<unsigned char>(c);
        out += QChar(b >= 0x80 && b < 0xA0 ? high[b - 0x80] : char16_t(b));
    }
    return out;
}

} // namespace ReferenceCsvReader
