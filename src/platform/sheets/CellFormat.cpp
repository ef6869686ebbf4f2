#include "platform/sheets/CellFormat.h"

#include <QDate>
#include <QHash>
#include <QList>

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

enum class Kind { Literal, Digit, Point, Comma, Percent, Exponent, DatePart, AmPm, Elapsed, At, General };

struct Token
{
    Kind kind;
    QString text; // the literal, the placeholder character, the date part ("mm", "yyyy"), "+"/"-" after E
};

struct Section
{
    QList<Token> tokens;
    QString condition; // "<0", ">=100", empty when none
    bool empty = true; // nothing at all between the semicolons
};

bool startsWithNoCase(const QString &code, int at, QLatin1String word)
{
    return code.mid(at, word.size()).compare(word, Qt::CaseInsensitive) == 0;
}

Section parseSection(const QString &code)
{
    Section section;
    section.empty = code.isEmpty();
    auto literal = [&](const QString &text) {
        if (!section.tokens.isEmpty() && section.tokens.last().kind == Kind::Literal)
            section.tokens.last().text += text;
        else
            section.tokens.append({Kind::Literal, text});
    };
    for (int i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        const QChar lower = c.toLower();
        if (c == u'"') {
            const int end = code.indexOf(u'"', i + 1);
            literal(code.mid(i + 1, (end < 0 ? code.size() : end) - i - 1));
            i = end < 0 ? code.size() : end;
        } else if (c == u'\\') {
            if (i + 1 < code.size())
                literal(code.mid(++i, 1));
        } else if (c == u'_') {
            ++i; // room as wide as the next character: a space
            literal(QStringLiteral(" "));
        } else if (c == u'*') {
            ++i; // a fill character repeats to the column's width; nothing in a text
        } else if (c == u'[') {
            const int end = code.indexOf(u']', i + 1);
            const QString inside = code.mid(i + 1, (end < 0 ? code.size() : end) - i - 1);
            i = end < 0 ? code.size() : end;
            const QString lowerInside = inside.toLower();
            if (inside.startsWith(u'$')) {
                const int dash = inside.indexOf(u'-');
                literal(inside.mid(1, dash < 0 ? -1 : dash - 1)); // [$€-407]: the symbol; [$-409]: nothing
            } else if (!inside.isEmpty() && (inside[0] == u'<' || inside[0] == u'>' || inside[0] == u'=')) {
                section.condition = inside;
            } else if (!lowerInside.isEmpty() && QStringLiteral("hms").contains(lowerInside[0]) &&
                       lowerInside.count(lowerInside[0]) == lowerInside.size()) {
                section.tokens.append({Kind::Elapsed, lowerInside.left(1)});
            }
            // Anything else is a colour or a calendar: nothing shown.
        } else if (c == u'0' || c == u'#' || c == u'?') {
            section.tokens.append({Kind::Digit, QString(c)});
        } else if (c == u'.') {
            section.tokens.append({Kind::Point, QString()});
        } else if (c == u',') {
            section.tokens.append({Kind::Comma, QString()});
        } else if (c == u'%') {
            section.tokens.append({Kind::Percent, QString()});
        } else if (lower == u'e' && i + 1 < code.size() && (code[i + 1] == u'+' || code[i + 1] == u'-')) {
            section.tokens.append({Kind::Exponent, code.mid(++i, 1)});
        } else if (QStringLiteral("ymdhs").contains(lower)) {
            int end = i;
            while (end < code.size() && code[end].toLower() == lower)
                ++end;
            section.tokens.append({Kind::DatePart, QString(end - i, lower)});
            i = end - 1;
        } else if (lower == u'a' && startsWithNoCase(code, i, QLatin1String("am/pm"))) {
            section.tokens.append({Kind::AmPm, code.mid(i, 5)});
            i += 4;
        } else if (lower == u'a' && startsWithNoCase(code, i, QLatin1String("a/p"))) {
            section.tokens.append({Kind::AmPm, code.mid(i, 3)});
            i += 2;
        } else if (lower == u'g' && startsWithNoCase(code, i, QLatin1String("general"))) {
            section.tokens.append({Kind::General, QString()});
            i += 6;
        } else if (c == u'@') {
            section.tokens.append({Kind::At, QString()});
        } else {
            literal(QString(c));
        }
    }
    return section;
}

QList<Section> parseSections(const QString &code)
{
    QList<Section> sections;
    int start = 0;
    bool quoted = false;
    bool bracket = false;
    for (int i = 0; i <= code.size(); ++i) {
        if (i == code.size() || (code[i] == u';' && !quoted && !bracket)) {
            sections.append(parseSection(code.mid(start, i - start)));
            start = i + 1;
        } else if ((code[i] == u'\\' || code[i] == u'_' || code[i] == u'*') && i + 1 < code.size()) {
            ++i;
        } else if (code[i] == u'"') {
            quoted = !quoted;
        } else if (!quoted && code[i] == u'[') {
            bracket = true;
        } else if (!quoted && code[i] == u']') {
            bracket = false;
        }
    }
    return sections;
}

// A sheet uses a handful of codes for thousands of cells: each is parsed once per thread.
const QList<Section> &sectionsOf(const QString &code)
{
    thread_local QHash<QString, QList<Section>> parsed;
    if (parsed.size() > 4096)
        parsed.clear(); // a hostile file's endless codes stay bounded
    auto found = parsed.find(code);
    if (found == parsed.end())
        found = parsed.insert(code, parseSections(code));
    return *found;
}

bool hasKind(const Section &section, Kind kind)
{
    for (const Token &token : section.tokens)
        if (token.kind == kind)
            return true;
    return false;
}

bool isDateSection(const Section &section)
{
    return hasKind(section, Kind::DatePart) || hasKind(section, Kind::AmPm) || hasKind(section, Kind::Elapsed);
}

bool isTextSection(const Section &section)
{
    return hasKind(section, Kind::At);
}

bool conditionHolds(const QString &condition, double value)
{
    int opLength = 1;
    if (condition.startsWith(QLatin1String("<=")) || condition.startsWith(QLatin1String(">=")) ||
        condition.startsWith(QLatin1String("<>")))
        opLength = 2;
    const QString op = condition.left(opLength);
    bool ok = false;
    const double bound = condition.mid(opLength).toDouble(&ok);
    if (!ok)
        return false;
    if (op == u"<")
        return value < bound;
    if (op == u"<=")
        return value <= bound;
    if (op == u">")
        return value > bound;
    if (op == u">=")
        return value >= bound;
    if (op == u"<>")
        return value != bound;
    return value == bound;
}

// The digits of value rounded half away from zero to decimals places, after rounding it to the 15 significant
// digits a spreadsheet keeps: the integer digits without leading zeros, and exactly decimals fraction digits.
void decimalDigits(double value, int decimals, QString *integer, QString *fraction)
{
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.14e", std::abs(value));
    const QString text = QString::fromLatin1(buffer);
    const int e = text.indexOf(u'e');
    QString digits = text.left(e).remove(u'.');
    int point = text.mid(e + 1).toInt() + 1; // digits before the decimal point
    if (point <= 0) {
        digits.prepend(QString(1 - point, u'0'));
        point = 1;
    }
    const int keep = point + decimals;
    if (digits.size() < keep + 1)
        digits.append(QString(keep + 1 - digits.size(), u'0'));
    const bool up = digits[keep] >= u'5';
    digits.truncate(keep);
    if (up) {
        int i = keep - 1;
        for (; i >= 0 && digits[i] == u'9'; --i)
            digits[i] = u'0';
        if (i >= 0) {
            digits[i] = QChar(digits[i].unicode() + 1);
        } else {
            digits.prepend(u'1');
            ++point;
        }
    }
    *integer = digits.left(point);
    while (!integer->isEmpty() && (*integer)[0] == u'0')
        integer->remove(0, 1);
    *fraction = digits.mid(point, decimals);
}

QString groupThousands(const QString &digits)
{
    QString grouped;
    for (int i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += u',';
        grouped += digits[i];
    }
    return grouped;
}

// Placeholders filled from the right with digits; the leftmost placeholder takes every digit left over.
QString fillInteger(const QList<Token> &region, const QString &digits, bool grouping)
{
    if (grouping) {
        int zeros = 0;
        for (int i = 0; i < region.size(); ++i)
            if (region[i].kind == Kind::Digit && region[i].text == u"0") {
                int placesRight = 0;
                for (int j = i; j < region.size(); ++j)
                    placesRight += region[j].kind == Kind::Digit;
                zeros = std::max(zeros, placesRight);
            }
        QString padded = digits;
        if (padded.size() < zeros)
            padded.prepend(QString(zeros - padded.size(), u'0'));
        QString prefix;
        for (const Token &token : region)
            if (token.kind == Kind::Literal)
                prefix += token.text;
        return prefix + groupThousands(padded);
    }
    int leftmost = -1;
    for (int i = 0; i < region.size() && leftmost < 0; ++i)
        if (region[i].kind == Kind::Digit)
            leftmost = i;
    QString out;
    int left = digits.size();
    for (int i = region.size() - 1; i >= 0; --i) {
        const Token &token = region[i];
        if (token.kind == Kind::Literal) {
            out.prepend(token.text);
            continue;
        }
        if (i == leftmost && left > 0) {
            out.prepend(digits.left(left));
            left = 0;
        } else if (left > 0) {
            out.prepend(digits[--left]);
        } else if (token.text == u"0") {
            out.prepend(u'0');
        } else if (token.text == u"?") {
            out.prepend(u' ');
        }
    }
    return out;
}

QString fillFraction(const QList<Token> &placeholders, const QString &digits)
{
    QString out;
    int d = 0;
    for (const Token &token : placeholders) {
        if (token.kind != Kind::Digit) {
            out += token.text;
            continue;
        }
        const QString rest = digits.mid(d);
        const bool onlyZerosLeft = rest.count(u'0') == rest.size();
        if (!onlyZerosLeft || token.text == u"0")
            out += digits[d];
        else if (token.text == u"?")
            out += u' ';
        ++d;
    }
    return out;
}

// Empty with *ok false when the value grows past what a double holds (a percent of 1E+308).
QString formatNumber(const Section &section, double value, bool *ok)
{
    const QList<Token> &tokens = section.tokens;
    double v = value;
    int exponentAt = -1;
    int pointAt = -1;
    int firstDigit = -1;
    int lastIntegerDigit = -1;
    for (int i = 0; i < tokens.size(); ++i) {
        const Kind kind = tokens[i].kind;
        if (kind == Kind::Percent)
            v *= 100;
        if (kind == Kind::Exponent && exponentAt < 0)
            exponentAt = i;
        if (kind == Kind::Point && pointAt < 0 && exponentAt < 0)
            pointAt = i;
        if (kind == Kind::Digit && exponentAt < 0 && pointAt < 0) {
            if (firstDigit < 0)
                firstDigit = i;
            lastIntegerDigit = i;
        }
        if (kind == Kind::General) {
            QString out;
            for (const Token &t : tokens)
                out += t.kind == Kind::General ? CellFormat::general(value) : t.kind == Kind::Literal ? t.text : "";
            return out;
        }
    }
    // Commas between placeholders group; commas right after the last one divide by a thousand each.
    bool grouping = false;
    const int integerEnd = pointAt >= 0 ? pointAt : exponentAt >= 0 ? exponentAt : tokens.size();
    for (int i = firstDigit + 1; firstDigit >= 0 && i < lastIntegerDigit; ++i)
        grouping = grouping || tokens[i].kind == Kind::Comma;
    for (int i = lastIntegerDigit + 1; lastIntegerDigit >= 0 && i < integerEnd && tokens[i].kind == Kind::Comma; ++i)
        v /= 1000;
    if (!std::isfinite(v)) {
        *ok = false;
        return QString();
    }

    const int fractionEnd = exponentAt >= 0 ? exponentAt : tokens.size();
    QList<Token> fractionTokens;
    int decimals = 0;
    for (int i = pointAt + 1; pointAt >= 0 && i < fractionEnd; ++i) {
        if (tokens[i].kind == Kind::Digit || tokens[i].kind == Kind::Literal) {
            fractionTokens.append(tokens[i]);
            decimals += tokens[i].kind == Kind::Digit;
        } else if (tokens[i].kind == Kind::Percent) {
            fractionTokens.append({Kind::Literal, QStringLiteral("%")});
        }
    }

    int exponent = 0;
    if (exponentAt >= 0 && v != 0) {
        int integerPlaces = 0;
        for (int i = firstDigit; firstDigit >= 0 && i <= lastIntegerDigit; ++i)
            integerPlaces += tokens[i].kind == Kind::Digit;
        const int step = integerPlaces > 1 && tokens[firstDigit].text == u"#" ? integerPlaces : 1;
        exponent = int(std::floor(std::log10(v)));
        exponent = int(std::floor(double(exponent) / step)) * step;
        v /= std::pow(10.0, exponent);
        QString integer, fraction;
        decimalDigits(v, decimals, &integer, &fraction);
        if (integer.size() > step) { // 9.99 rounded to 10.0
            exponent += step;
            v /= std::pow(10.0, step);
        }
    }
    QString integer, fraction;
    decimalDigits(v, decimals, &integer, &fraction);

    QString out;
    for (int i = 0; i < tokens.size(); ++i) {
        const Token &token = tokens[i];
        if (i == firstDigit) {
            QList<Token> region;
            for (int j = firstDigit; j <= lastIntegerDigit; ++j)
                if (tokens[j].kind == Kind::Digit || tokens[j].kind == Kind::Literal)
                    region.append(tokens[j]);
            out += fillInteger(region, integer, grouping);
            i = lastIntegerDigit;
        } else if (i == pointAt) {
            out += u'.';
            out += fillFraction(fractionTokens, fraction);
            i = fractionEnd - 1;
        } else if (i == exponentAt) {
            int places = 0;
            for (int j = i + 1; j < tokens.size() && tokens[j].kind == Kind::Digit; ++j)
                ++places;
            QString digits = QString::number(std::abs(exponent));
            if (digits.size() < places)
                digits.prepend(QString(places - digits.size(), u'0'));
            out += u'E';
            out += exponent < 0 ? QStringLiteral("-") : token.text == u"+" ? QStringLiteral("+") : QString();
            out += digits;
            i += places;
        } else if (token.kind == Kind::Literal) {
            out += token.text;
        } else if (token.kind == Kind::Percent) {
            out += u'%';
        } else if (token.kind == Kind::Digit && firstDigit < 0 && pointAt < 0) {
            out += fillInteger({token}, integer, false); // a lone placeholder after a literal
        }
    }
    return out;
}

const char *const MonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                  "July",    "August",   "September", "October", "November", "December"};
const char *const DayNames[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};

QString padded(long long number, int width)
{
    return QStringLiteral("%1").arg(number, width, 10, QChar(u'0'));
}

bool formatDate(const Section &section, double value, CellFormat::DateSystem dates, QString *out)
{
    const QList<Token> &tokens = section.tokens;
    int subSecondPlaces = 0;
    bool twelveHour = false;
    for (int i = 0; i < tokens.size(); ++i) {
        if (tokens[i].kind == Kind::AmPm)
            twelveHour = true;
        if (tokens[i].kind == Kind::Point && i > 0 && tokens[i - 1].kind == Kind::DatePart &&
            tokens[i - 1].text.startsWith(u's'))
            for (int j = i + 1; j < tokens.size() && tokens[j].kind == Kind::Digit; ++j)
                ++subSecondPlaces;
    }
    subSecondPlaces = std::min(subSecondPlaces, 3);
    const long long unitsPerSecond = subSecondPlaces == 0   ? 1
                                     : subSecondPlaces == 1 ? 10
                                     : subSecondPlaces == 2 ? 100
                                                            : 1000;
    const double units = std::round(value * 86400.0 * double(unitsPerSecond));
    if (dates != CellFormat::DateSystem::From1899 && value < 0)
        return false;
    if (std::abs(units) > 4e15)
        return false;
    const long long total = (long long)units;
    const long long perDay = 86400LL * unitsPerSecond;
    long long days = total / perDay;
    long long rest = total % perDay;
    if (rest < 0) {
        rest += perDay;
        --days;
    }
    const long long seconds = rest / unitsPerSecond;
    const long long fractionUnits = rest % unitsPerSecond;

    QDate date;
    int year, month, day, weekday;
    if (dates == CellFormat::DateSystem::Excel1900 && days <= 60) {
        // Excel counts a 29 February 1900 and a 0 January 1900 that never were.
        year = 1900;
        month = days <= 31 ? 1 : 2;
        day = days <= 31 ? int(days) : int(days - 31);
        weekday = int((days + 6) % 7); // day 1 was, to Excel, a Sunday
    } else {
        const QDate base = dates == CellFormat::DateSystem::Excel1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
        date = base.addDays(days);
        if (!date.isValid() || date.year() > 9999 || date.year() < 1)
            return false;
        year = date.year();
        month = date.month();
        day = date.day();
        weekday = date.dayOfWeek() - 1;
    }
    if (dates != CellFormat::DateSystem::From1899 && days > 2958465)
        return false;

    const long long hour = seconds / 3600;
    const long long minute = seconds / 60 % 60;
    const long long second = seconds % 60;
    auto isMinute = [&](int i) {
        for (int j = i - 1; j >= 0; --j) {
            if (tokens[j].kind == Kind::DatePart || tokens[j].kind == Kind::Elapsed)
                return tokens[j].text.startsWith(u'h');
            if (tokens[j].kind != Kind::Literal)
                break;
        }
        for (int j = i + 1; j < tokens.size(); ++j) {
            if (tokens[j].kind == Kind::DatePart || tokens[j].kind == Kind::Elapsed)
                return tokens[j].text.startsWith(u's');
            if (tokens[j].kind != Kind::Literal)
                break;
        }
        return false;
    };
    QString text;
    for (int i = 0; i < tokens.size(); ++i) {
        const Token &token = tokens[i];
        const int width = int(token.text.size());
        switch (token.kind) {
        case Kind::Literal:
            text += token.text;
            break;
        case Kind::Elapsed:
            if (token.text == u"h")
                text += QString::number(days * 24 + hour);
            else if (token.text == u"m")
                text += QString::number((days * 24 + hour) * 60 + minute);
            else
                text += QString::number(((days * 24 + hour) * 60 + minute) * 60 + second);
            break;
        case Kind::AmPm: {
            const bool pm = hour >= 12;
            const bool lowerCase = token.text[0].isLower();
            QString mark = token.text.size() == 3 ? (pm ? "P" : "A") : (pm ? "PM" : "AM");
            text += lowerCase ? mark.toLower() : mark;
            break;
        }
        case Kind::DatePart: {
            const QChar part = token.text[0];
            if (part == u'y') {
                text += width <= 2 ? padded(year % 100, 2) : padded(year, 4);
            } else if (part == u'd') {
                text += width == 1   ? QString::number(day)
                        : width == 2 ? padded(day, 2)
                        : width == 3 ? QString::fromLatin1(DayNames[weekday]).left(3)
                                     : QString::fromLatin1(DayNames[weekday]);
            } else if (part == u'h') {
                long long h = hour;
                if (twelveHour)
                    h = h % 12 == 0 ? 12 : h % 12;
                text += width == 1 ? QString::number(h) : padded(h, 2);
            } else if (part == u's') {
                text += width == 1 ? QString::number(second) : padded(second, 2);
            } else if (width <= 2 && isMinute(i)) {
                text += width == 1 ? QString::number(minute) : padded(minute, 2);
            } else {
                text += width == 1   ? QString::number(month)
                        : width == 2 ? padded(month, 2)
                        : width == 3 ? QString::fromLatin1(MonthNames[month - 1]).left(3)
                        : width == 4 ? QString::fromLatin1(MonthNames[month - 1])
                                     : QString::fromLatin1(MonthNames[month - 1]).left(1);
            }
            break;
        }
        case Kind::Point:
            if (subSecondPlaces > 0) {
                text += u'.' + padded(fractionUnits, subSecondPlaces);
                while (i + 1 < tokens.size() && tokens[i + 1].kind == Kind::Digit)
                    ++i;
            } else {
                text += u'.';
            }
            break;
        case Kind::Digit:
            text += token.text;
            break;
        case Kind::Percent:
            text += u'%';
            break;
        case Kind::Comma:
            text += u',';
            break;
        default:
            break;
        }
    }
    *out = text;
    return true;
}

} // namespace

namespace CellFormat {

QString builtIn(int id)
{
    switch (id) {
    case 0:
        return QStringLiteral("General");
    case 1:
        return QStringLiteral("0");
    case 2:
        return QStringLiteral("0.00");
    case 3:
        return QStringLiteral("#,##0");
    case 4:
        return QStringLiteral("#,##0.00");
    case 5:
        return QStringLiteral("\"$\"#,##0_);\\(\"$\"#,##0\\)");
    case 6:
        return QStringLiteral("\"$\"#,##0_);[Red]\\(\"$\"#,##0\\)");
    case 7:
        return QStringLiteral("\"$\"#,##0.00_);\\(\"$\"#,##0.00\\)");
    case 8:
        return QStringLiteral("\"$\"#,##0.00_);[Red]\\(\"$\"#,##0.00\\)");
    case 9:
        return QStringLiteral("0%");
    case 10:
        return QStringLiteral("0.00%");
    case 11:
        return QStringLiteral("0.00E+00");
    case 12:
        return QStringLiteral("# ?/?");
    case 13:
        return QStringLiteral("# ?"
                              "?/?"
                              "?");
    case 14:
        return QStringLiteral("m/d/yyyy");
    case 15:
        return QStringLiteral("d-mmm-yy");
    case 16:
        return QStringLiteral("d-mmm");
    case 17:
        return QStringLiteral("mmm-yy");
    case 18:
        return QStringLiteral("h:mm AM/PM");
    case 19:
        return QStringLiteral("h:mm:ss AM/PM");
    case 20:
        return QStringLiteral("h:mm");
    case 21:
        return QStringLiteral("h:mm:ss");
    case 22:
        return QStringLiteral("m/d/yyyy h:mm");
    case 37:
        return QStringLiteral("#,##0_);\\(#,##0\\)");
    case 38:
        return QStringLiteral("#,##0_);[Red]\\(#,##0\\)");
    case 39:
        return QStringLiteral("#,##0.00_);\\(#,##0.00\\)");
    case 40:
        return QStringLiteral("#,##0.00_);[Red]\\(#,##0.00\\)");
    case 41:
        return QStringLiteral("_(* #,##0_);_(* \\(#,##0\\);_(* \"-\"_);_(@_)");
    case 42:
        return QStringLiteral("_(\"$\"* #,##0_);_(\"$\"* \\(#,##0\\);_(\"$\"* \"-\"_);_(@_)");
    case 43:
        return QStringLiteral("_(* #,##0.00_);_(* \\(#,##0.00\\);_(* \"-\"??_);_(@_)");
    case 44:
        return QStringLiteral("_(\"$\"* #,##0.00_);_(\"$\"* \\(#,##0.00\\);_(\"$\"* \"-\"??_);_(@_)");
    case 45:
        return QStringLiteral("mm:ss");
    case 46:
        return QStringLiteral("[h]:mm:ss");
    case 47:
        return QStringLiteral("mm:ss.0");
    case 48:
        return QStringLiteral("##0.0E+0");
    case 49:
        return QStringLiteral("@");
    default:
        return QString();
    }
}

QString general(double value)
{
    if (value == 0 || !std::isfinite(value))
        return value == 0 ? QStringLiteral("0") : QStringLiteral("#NUM!");
    const QString sign = value < 0 ? QStringLiteral("-") : QString();
    const double a = std::abs(value);
    char buffer[64];
    if (a >= 1e-4 && a < 1e11) {
        std::snprintf(buffer, sizeof buffer, "%lld", (long long)a);
        const int integerDigits = a >= 1 ? int(std::strlen(buffer)) : 1;
        std::snprintf(buffer, sizeof buffer, "%.*f", std::max(0, 10 - integerDigits), a);
        QString text = QString::fromLatin1(buffer);
        if (text.contains(u'.')) {
            while (text.endsWith(u'0'))
                text.chop(1);
            if (text.endsWith(u'.'))
                text.chop(1);
        }
        if (QString(text).remove(u'.').size() <= 11 && text != u"0")
            return sign + text;
    }
    std::snprintf(buffer, sizeof buffer, "%.0E", a);
    const int exponent = QString::fromLatin1(buffer).section(u'E', 1).toInt();
    const int exponentWidth = std::abs(exponent) >= 100 ? 4 : 3;
    std::snprintf(buffer, sizeof buffer, "%.*E", std::max(0, 11 - 2 - (exponentWidth + 1)), a);
    const QString text = QString::fromLatin1(buffer);
    QString mantissa = text.section(u'E', 0, 0);
    const int shown = text.section(u'E', 1).toInt();
    if (mantissa.contains(u'.')) {
        while (mantissa.endsWith(u'0'))
            mantissa.chop(1);
        if (mantissa.endsWith(u'.'))
            mantissa.chop(1);
    }
    return sign + mantissa + u'E' + (shown < 0 ? u'-' : u'+') + padded(std::abs(shown), 2);
}

QString number(double value, const QString &code, DateSystem dates, bool *ok)
{
    if (ok)
        *ok = true;
    if (value == 0)
        value = 0.0; // -0 is shown as 0
    if (!std::isfinite(value)) {
        if (ok)
            *ok = false;
        return QString();
    }
    QList<Section> sections = sectionsOf(code);
    // A text section never shows a number.
    while (sections.size() > 1 && isTextSection(sections.last()) && !isDateSection(sections.last()))
        sections.removeLast();
    const Section *chosen = &sections[0];
    double shown = value;
    bool minus = false;
    if (!sections[0].condition.isEmpty() || (sections.size() > 1 && !sections[1].condition.isEmpty())) {
        if (conditionHolds(sections[0].condition, value))
            chosen = &sections[0];
        else if (sections.size() > 1 &&
                 (sections[1].condition.isEmpty() || conditionHolds(sections[1].condition, value)))
            chosen = &sections[1];
        else if (sections.size() > 2)
            chosen = &sections[2];
        else
            chosen = nullptr;
        minus = value < 0 && chosen == &sections[0];
        shown = std::abs(value);
    } else if (sections.size() == 1) {
        minus = value < 0 && !isDateSection(sections[0]);
        shown = minus ? -value : value;
    } else if (value < 0) {
        chosen = &sections[1];
        shown = -value;
    } else if (value == 0 && sections.size() > 2) {
        chosen = &sections[2];
    }
    if (!chosen || chosen->empty)
        return chosen ? QString() : general(value);
    if (isDateSection(*chosen)) {
        QString text;
        if (!formatDate(*chosen, shown, dates, &text)) {
            if (ok)
                *ok = false;
            return QString();
        }
        return text;
    }
    if (isTextSection(*chosen) || chosen->tokens.isEmpty())
        return minus ? u'-' + general(shown) : general(shown);
    bool finite = true;
    const QString text = formatNumber(*chosen, shown, &finite);
    if (!finite) {
        if (ok)
            *ok = false;
        return QString();
    }
    bool allZero = true;
    for (const QChar c : text)
        allZero = allZero && !(c >= u'1' && c <= u'9');
    return minus && !allZero ? u'-' + text : text;
}

QString text(const QString &value, const QString &code)
{
    const QList<Section> &sections = sectionsOf(code);
    const Section *textSection = nullptr;
    if (sections.size() >= 4)
        textSection = &sections[3];
    else if (isTextSection(sections.last()))
        textSection = &sections.last();
    if (!textSection)
        return value;
    QString out;
    for (const Token &token : textSection->tokens)
        out += token.kind == Kind::At ? value : token.kind == Kind::Literal ? token.text : QString();
    return out;
}

bool isDate(const QString &code)
{
    return isDateSection(sectionsOf(code).first());
}

} // namespace CellFormat
