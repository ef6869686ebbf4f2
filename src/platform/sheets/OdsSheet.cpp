#include "platform/sheets/OdsSheet.h"

#include "platform/sheets/CellFormat.h"
#include "platform/sheets/SheetCells.h"
#include "platform/sheets/SheetXml.h"
#include "platform/sheets/ZipParts.h"

#include <QDateTime>
#include <QHash>
#include <QRegularExpression>

#include <cmath>

using SheetXml::attribute;

namespace {

const QLatin1String TableNs("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
const QLatin1String OfficeNs("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QLatin1String NumberNs("urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0");
const QLatin1String StyleNs("urn:oasis:names:tc:opendocument:xmlns:style:1.0");
const QLatin1String TextNs("urn:oasis:names:tc:opendocument:xmlns:text:1.0");

bool is(const QXmlStreamReader &xml, QLatin1String ns, QLatin1String name)
{
    return xml.namespaceUri() == ns && xml.name() == name;
}

struct StyleMap
{
    QString condition; // "<0", ">=0"
    QString styleName;
};

// A data style as a number format code; understood is false when it holds something the code cannot say
// (fractions, eras), and the cell's own text is shown instead.
struct DataStyle
{
    QString code;
    bool understood = true;
    bool boolean = false; // shows TRUE or FALSE
    QList<StyleMap> maps;
};

struct CellStyle
{
    QString dataStyle;
    QString parent;
};

struct Styles
{
    QHash<QString, DataStyle> data;
    QHash<QString, CellStyle> cells;
    QHash<QString, bool> tableShown;
};

QString quoted(const QString &text)
{
    QString out;
    for (const QChar c : text)
        out += c == u'"' ? QStringLiteral("\\\"") : QString(c);
    return u'"' + out + u'"';
}

// number:number, with the texts embedded among its integer digits; reads to its end.
QString numberPart(QXmlStreamReader &xml, bool *understood)
{
    const QString places = attribute(xml, QLatin1String("decimal-places"));
    if (places.isEmpty()) {
        xml.skipCurrentElement();
        return QStringLiteral("General");
    }
    const int decimals = std::clamp(places.toInt(), 0, 30);
    const QString minPlaces = attribute(xml, QLatin1String("min-decimal-places"));
    const int minDecimals = minPlaces.isEmpty() ? decimals : std::clamp(minPlaces.toInt(), 0, decimals);
    const int minInteger = std::clamp(attribute(xml, QLatin1String("min-integer-digits")).toInt(), 0, 30);
    QString integer(minInteger, u'0');
    const bool grouping = attribute(xml, QLatin1String("grouping")) == u"true";
    if (!attribute(xml, QLatin1String("display-factor")).isEmpty() &&
        attribute(xml, QLatin1String("display-factor")) != u"1")
        *understood = false;
    // Texts among the digits, each placed by how many digits stand to its right.
    QList<QPair<int, QString>> embedded;
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("embedded-text")) {
            const int position = attribute(xml, QLatin1String("position")).toInt();
            embedded.append({position, xml.readElementText(QXmlStreamReader::IncludeChildElements)});
        } else {
            xml.skipCurrentElement();
        }
    }
    if (!embedded.isEmpty()) {
        if (grouping)
            *understood = false;
        int longest = 0;
        for (const auto &text : embedded)
            longest = std::max(longest, text.first);
        if (integer.size() < longest)
            integer.prepend(QString(longest - integer.size(), u'#'));
        QString built;
        const int digits = int(integer.size());
        for (int placed = 0; placed <= digits; ++placed) {
            for (const auto &[position, text] : embedded)
                if (position == placed)
                    built.prepend(quoted(text));
            if (placed < digits)
                built.prepend(integer[digits - 1 - placed]);
        }
        integer = built;
    }
    if (grouping) {
        while (integer.size() < 4)
            integer.prepend(u'#');
        QString grouped;
        for (int i = 0; i < integer.size(); ++i) {
            if (i > 0 && (integer.size() - i) % 3 == 0)
                grouped += u',';
            grouped += integer[i];
        }
        integer = grouped;
    } else if (integer.isEmpty()) {
        integer = QStringLiteral("#");
    }
    if (decimals == 0)
        return integer;
    return integer + u'.' + QString(minDecimals, u'0') + QString(decimals - minDecimals, u'#');
}

// Reads one data style element (number:number-style, number:date-style, ...) into a format code.
DataStyle readDataStyle(QXmlStreamReader &xml)
{
    DataStyle style;
    const QString kind = xml.name().toString();
    const bool percentage = kind == u"percentage-style";
    if (kind == u"time-style" && attribute(xml, QLatin1String("truncate-on-overflow")) == u"false")
        style.code += QStringLiteral("[h]");
    bool elapsedDone = style.code.startsWith(u'[');
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == kind)
            break;
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QString name = xml.name().toString();
        const bool isLong = attribute(xml, QLatin1String("style")) == u"long";
        if (name == u"map") {
            style.maps.append({attribute(xml, QLatin1String("condition")).remove(QLatin1String("value()")).trimmed(),
                               attribute(xml, QLatin1String("apply-style-name"))});
            xml.skipCurrentElement();
        } else if (name == u"text") {
            const QString text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            if (percentage && text.contains(u'%'))
                style.code += quoted(text.section(u'%', 0, 0)) + u'%' + quoted(text.section(u'%', 1));
            else
                style.code += quoted(text);
        } else if (name == u"currency-symbol") {
            style.code += quoted(xml.readElementText(QXmlStreamReader::IncludeChildElements));
        } else if (name == u"number") {
            style.code += numberPart(xml, &style.understood);
        } else if (name == u"scientific-number") {
            const int decimals = std::clamp(attribute(xml, QLatin1String("decimal-places")).toInt(), 0, 30);
            const int minInteger = std::clamp(attribute(xml, QLatin1String("min-integer-digits")).toInt(), 1, 30);
            const int exponent = std::clamp(attribute(xml, QLatin1String("min-exponent-digits")).toInt(), 1, 5);
            style.code += QString(minInteger, u'0') + (decimals ? u'.' + QString(decimals, u'0') : QString()) +
                          QStringLiteral("E+") + QString(exponent, u'0');
            xml.skipCurrentElement();
        } else if (name == u"day") {
            style.code += isLong ? QStringLiteral("dd") : QStringLiteral("d");
        } else if (name == u"month") {
            const bool textual = attribute(xml, QLatin1String("textual")) == u"true";
            style.code += textual ? (isLong ? QStringLiteral("mmmm") : QStringLiteral("mmm"))
                                  : (isLong ? QStringLiteral("mm") : QStringLiteral("m"));
        } else if (name == u"year") {
            style.code += isLong ? QStringLiteral("yyyy") : QStringLiteral("yy");
        } else if (name == u"day-of-week") {
            style.code += isLong ? QStringLiteral("dddd") : QStringLiteral("ddd");
        } else if (name == u"hours") {
            if (!elapsedDone)
                style.code += isLong ? QStringLiteral("hh") : QStringLiteral("h");
            elapsedDone = false;
        } else if (name == u"minutes") {
            style.code += isLong ? QStringLiteral("mm") : QStringLiteral("m");
        } else if (name == u"seconds") {
            style.code += isLong ? QStringLiteral("ss") : QStringLiteral("s");
            const int decimals = std::clamp(attribute(xml, QLatin1String("decimal-places")).toInt(), 0, 3);
            if (decimals > 0)
                style.code += u'.' + QString(decimals, u'0');
        } else if (name == u"am-pm") {
            style.code += QStringLiteral("AM/PM");
        } else if (name == u"text-content") {
            style.code += u'@';
        } else if (name == u"boolean") {
            style.boolean = true;
        } else if (name != u"fill-character") {
            style.understood = false; // fractions, eras, quarters, weeks
            xml.skipCurrentElement();
        }
    }
    if (style.code.isEmpty())
        style.code = QStringLiteral("General");
    return style;
}

// The styles of one part (styles.xml, or content.xml up to its body).
void readStyles(QXmlStreamReader &xml, Styles &styles, bool stopAtBody)
{
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (stopAtBody && is(xml, OfficeNs, QLatin1String("body")))
            return;
        if (xml.namespaceUri() == NumberNs && xml.name().endsWith(QLatin1String("-style"))) {
            const QString name = attribute(xml, QLatin1String("name"));
            styles.data.insert(name, readDataStyle(xml));
        } else if (is(xml, StyleNs, QLatin1String("style")) || is(xml, StyleNs, QLatin1String("default-style"))) {
            const QString family = attribute(xml, QLatin1String("family"));
            const QString name = attribute(xml, QLatin1String("name"));
            if (family == u"table-cell") {
                styles.cells.insert(name, {attribute(xml, QLatin1String("data-style-name")),
                                           attribute(xml, QLatin1String("parent-style-name"))});
            } else if (family == u"table") {
                styles.tableShown.insert(name, true);
                while (xml.readNextStartElement())
                    if (xml.name() == QLatin1String("table-properties")) {
                        styles.tableShown[name] = attribute(xml, QLatin1String("display")) != u"false";
                        xml.skipCurrentElement();
                    } else {
                        xml.skipCurrentElement();
                    }
            }
        }
    }
}

// The text of a cell's paragraphs, one line each, without its comments.
QString cellText(QXmlStreamReader &xml)
{
    QString text;
    int paragraphs = 0;
    int depth = 0;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            if (depth-- == 0)
                break;
        } else if (token == QXmlStreamReader::StartElement) {
            ++depth;
            // Comments are not shown in the cell; a table inside a cell is not the cell's text.
            if (xml.name() == QLatin1String("annotation") || is(xml, TableNs, QLatin1String("table"))) {
                xml.skipCurrentElement();
                --depth;
            } else if (is(xml, TextNs, QLatin1String("p")) || is(xml, TextNs, QLatin1String("h"))) {
                if (paragraphs++ > 0 && depth == 1)
                    text += u'\n';
            } else if (is(xml, TextNs, QLatin1String("s"))) {
                const QString count = attribute(xml, QLatin1String("c"));
                text += QString(count.isEmpty() ? 1 : std::clamp(count.toInt(), 1, 1000), u' ');
            } else if (is(xml, TextNs, QLatin1String("tab"))) {
                text += u'\t';
            } else if (is(xml, TextNs, QLatin1String("line-break"))) {
                text += u'\n';
            }
        } else if (token == QXmlStreamReader::Characters && depth > 0) {
            text += xml.text();
        }
        // Longer than a cell can be is refused anyway; a run of repeated spaces must not grow without bound.
        if (text.size() > SheetCells::MaxCellLength)
            text.truncate(SheetCells::MaxCellLength + 1);
    }
    return text;
}

double timeValue(const QString &duration, bool *ok)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^(-)?P(?:(\d+)D)?(?:T(?:(\d+)H)?(?:(\d+)M)?(?:(\d+(?:\.\d+)?)S)?)?$)"));
    const auto match = pattern.match(duration);
    *ok = match.hasMatch();
    const double seconds = match.captured(2).toDouble() * 86400 + match.captured(3).toDouble() * 3600 +
                           match.captured(4).toDouble() * 60 + match.captured(5).toDouble();
    return (match.captured(1).isEmpty() ? 1 : -1) * seconds / 86400.0;
}

struct TableInfo
{
    QString name;
    bool shown = true;
};

class ContentReader
{
public:
    ContentReader(const Styles &styles, SheetCells &cells, QDate nullDate)
        : m_styles(styles)
        , m_cells(cells)
        , m_nullDate(nullDate)
    {}

    void readTable(QXmlStreamReader &xml)
    {
        int row = 0;
        QStringList columnStyles;
        while (!xml.atEnd()) {
            const auto token = xml.readNext();
            if (token == QXmlStreamReader::EndElement && is(xml, TableNs, QLatin1String("table")))
                return;
            if (token != QXmlStreamReader::StartElement)
                continue;
            if (is(xml, TableNs, QLatin1String("table-column"))) {
                const int repeat = std::max(1, attribute(xml, QLatin1String("number-columns-repeated")).toInt());
                for (int i = 0; i < repeat && columnStyles.size() < SheetCells::Columns; ++i)
                    columnStyles.append(attribute(xml, QLatin1String("default-cell-style-name")));
            } else if (is(xml, TableNs, QLatin1String("table-row"))) {
                row = readRow(xml, row, columnStyles);
            } else if (xml.name() == QLatin1String("shapes") || xml.name() == QLatin1String("named-expressions") ||
                       is(xml, TableNs, QLatin1String("table"))) {
                xml.skipCurrentElement();
            }
        }
    }

private:
    int readRow(QXmlStreamReader &xml, int row, const QStringList &columnStyles)
    {
        const qint64 repeat = std::max(1, attribute(xml, QLatin1String("number-rows-repeated")).toInt());
        const QString rowStyle = attribute(xml, QLatin1String("default-cell-style-name"));
        QStringList shown;
        int column = 0;
        while (!xml.atEnd()) {
            const auto token = xml.readNext();
            if (token == QXmlStreamReader::EndElement && is(xml, TableNs, QLatin1String("table-row")))
                break;
            if (token != QXmlStreamReader::StartElement)
                continue;
            if (!is(xml, TableNs, QLatin1String("table-cell")) &&
                !is(xml, TableNs, QLatin1String("covered-table-cell"))) {
                xml.skipCurrentElement();
                continue;
            }
            const int columns = std::max(1, attribute(xml, QLatin1String("number-columns-repeated")).toInt());
            if (column >= SheetCells::Columns) {
                xml.skipCurrentElement();
                column += columns;
                continue;
            }
            QString style = attribute(xml, QLatin1String("style-name"));
            if (style.isEmpty())
                style = !rowStyle.isEmpty() ? rowStyle : columnStyles.value(column);
            if (style.isEmpty())
                style = QStringLiteral("Default"); // the style every cell falls back on
            const QString text = cellValue(xml, style, row, column);
            for (int i = 0; i < columns && column < SheetCells::Columns; ++i, ++column) {
                if (shown.size() <= column)
                    shown.resize(column + 1);
                shown[column] = text;
            }
        }
        bool empty = true;
        for (const QString &text : shown)
            empty = empty && text.isEmpty();
        if (empty)
            return int(std::min<qint64>(row + repeat, SheetCells::MaxRows));
        for (qint64 r = row; r < row + repeat && r < (SheetCells::MaxRows); ++r) {
            for (int c = 0; c < shown.size(); ++c)
                m_cells.put(int(r), c, shown[c]);
            if (!m_cells.inRange(int(r), 0))
                break; // past the range, one row says that names continue
        }
        m_cells.checkCancelled();
        return int(std::min<qint64>(row + repeat, SheetCells::MaxRows));
    }

    const DataStyle *dataStyleOf(const QString &cellStyle) const
    {
        QString name = cellStyle;
        for (int hops = 0; hops < 16 && !name.isEmpty(); ++hops) {
            const auto found = m_styles.cells.find(name);
            if (found == m_styles.cells.end())
                break;
            if (!found->dataStyle.isEmpty()) {
                const auto data = m_styles.data.find(found->dataStyle);
                return data == m_styles.data.end() ? nullptr : &*data;
            }
            name = found->parent;
        }
        return nullptr;
    }

    QString formatted(double value, const QString &cellStyle, const QString &fallbackCode, const QString &ownText,
                      bool isDateValue, int row, int column) const
    {
        const DataStyle *style = dataStyleOf(cellStyle);
        // A style with sections for signs (its maps) writes the sign itself, as a section of a code does.
        const bool sectioned = style && !style->maps.isEmpty();
        for (int hops = 0; style && hops < 4 && !style->maps.isEmpty(); ++hops) {
            const DataStyle *mapped = nullptr;
            for (const StyleMap &map : style->maps) {
                const QString c = map.condition;
                const int opLength = c.startsWith(QLatin1String("<=")) || c.startsWith(QLatin1String(">=")) ||
                                             c.startsWith(QLatin1String("!="))
                                         ? 2
                                         : 1;
                const QString op = c.left(opLength);
                const double bound = c.mid(opLength).toDouble();
                const bool holds = op == u"<"    ? value < bound
                                   : op == u"<=" ? value <= bound
                                   : op == u">"  ? value > bound
                                   : op == u">=" ? value >= bound
                                   : op == u"!=" ? value != bound
                                                 : value == bound;
                if (holds) {
                    const auto found = m_styles.data.find(map.styleName);
                    mapped = found == m_styles.data.end() ? nullptr : &*found;
                    break;
                }
            }
            if (!mapped)
                break;
            style = mapped;
        }
        if (style && !style->understood)
            return ownText;
        if (style && style->boolean)
            return value != 0 ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        if (sectioned)
            value = std::abs(value);
        const QString code = style ? style->code : fallbackCode;
        if (!style && isDateValue && !ownText.isEmpty())
            return ownText;
        bool ok = true;
        const QString text = CellFormat::number(value, code, CellFormat::DateSystem::From1899, &ok);
        if (!ok)
            m_cells.error(row, column, QStringLiteral("########"));
        return text;
    }

    QString cellValue(QXmlStreamReader &xml, const QString &style, int row, int column)
    {
        // One walk over the attributes: a sheet has thousands of cells.
        bool error = false, formula = false, hasStringValue = false;
        QString officeType, value, dateValue, timeText, booleanValue, stringValue;
        const QXmlStreamAttributes attributes = xml.attributes();
        for (const QXmlStreamAttribute &a : attributes) {
            const auto name = a.name();
            const bool office = a.namespaceUri() == OfficeNs;
            if (name == QLatin1String("value-type")) {
                error = error || a.value() == QLatin1String("error");
                if (office)
                    officeType = a.value().toString();
            } else if (name == QLatin1String("formula")) {
                formula = true;
            } else if (office && name == QLatin1String("value")) {
                value = a.value().toString();
            } else if (name == QLatin1String("date-value")) {
                dateValue = a.value().toString();
            } else if (name == QLatin1String("time-value")) {
                timeText = a.value().toString();
            } else if (name == QLatin1String("boolean-value")) {
                booleanValue = a.value().toString();
            } else if (office && name == QLatin1String("string-value")) {
                hasStringValue = true;
                stringValue = a.value().toString();
            }
        }
        const QString ownText = cellText(xml);
        if (!m_cells.wanted(row, column))
            return QString();
        if (error) {
            m_cells.error(row, column, ownText.isEmpty() ? QStringLiteral("an error") : ownText);
            return QString();
        }
        if (formula && officeType.isEmpty()) {
            m_cells.uncalculated(row, column);
            return QString();
        }
        auto damaged = [&](const QString &what) {
            throw SheetRefusal{QStringLiteral("It is damaged: cell %1 holds \"%2\", which is not %3 (content.xml).")
                                   .arg(SheetCells::cellName(row, column), what.left(40), officeType)};
        };
        if (officeType == u"float" || officeType == u"percentage" || officeType == u"currency") {
            bool ok = false;
            const double number = value.toDouble(&ok);
            if (!ok || !std::isfinite(number))
                damaged(value);
            // A formula's result is shown in the form its function gives (TRUE, a date) when the cell has no
            // format of its own; the file keeps that form as the cell's text.
            if (formula && !dataStyleOf(style) && !ownText.isEmpty()) {
                bool plain = false;
                ownText.toDouble(&plain);
                if (!plain)
                    return ownText;
            }
            return formatted(number, style, QStringLiteral("General"), ownText, false, row, column);
        }
        if (officeType == u"date") {
            QDateTime when = QDateTime::fromString(dateValue, Qt::ISODateWithMs);
            if (!when.isValid()) {
                const QDate day = QDate::fromString(dateValue, Qt::ISODate);
                when = day.isValid() ? QDateTime(day, QTime(0, 0)) : QDateTime();
            }
            if (!when.isValid())
                damaged(dateValue);
            const double serial =
                double(m_nullDate.daysTo(when.date())) + when.time().msecsSinceStartOfDay() / 86400000.0;
            return formatted(serial, style, QStringLiteral("mm/dd/yy"), ownText, true, row, column);
        }
        if (officeType == u"time") {
            bool ok = false;
            const double fraction = timeValue(timeText, &ok);
            if (!ok)
                damaged(timeText);
            return formatted(fraction, style, QStringLiteral("hh:mm:ss AM/PM"), ownText, true, row, column);
        }
        if (officeType == u"boolean") {
            if (booleanValue != u"true" && booleanValue != u"false")
                damaged(booleanValue);
            return booleanValue == u"true" ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        }
        const QString text = hasStringValue ? stringValue : ownText;
        if (formula && SheetCells::isErrorText(text))
            m_cells.error(row, column, text);
        return text;
    }

    const Styles &m_styles;
    SheetCells &m_cells;
    QDate m_nullDate;
};

QString activeTableName(const ZipParts &parts)
{
    const QString part = QStringLiteral("settings.xml");
    if (!parts.has(part))
        return QString();
    QXmlStreamReader xml(parts.read(part));
    QString active;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("config-item") &&
            attribute(xml, QLatin1String("name")) == u"ActiveTable" && active.isNull())
            active = xml.readElementText(QXmlStreamReader::IncludeChildElements);
    SheetXml::refuseIfBroken(xml, part);
    return active.isNull() ? QString() : active;
}

} // namespace

namespace OdsSheet {

bool isSpreadsheet(const ZipParts &parts)
{
    if (!parts.has(QStringLiteral("content.xml")))
        return false;
    if (!parts.has(QStringLiteral("mimetype")))
        return true;
    return parts.read(QStringLiteral("mimetype")).trimmed() == "application/vnd.oasis.opendocument.spreadsheet";
}

QString read(const ZipParts &parts, SheetCells &cells)
{
    const QString manifestPart = QStringLiteral("META-INF/manifest.xml");
    if (parts.has(manifestPart) && parts.read(manifestPart).contains("encryption-data"))
        throw SheetRefusal{QStringLiteral("It is protected by a password.")};
    const QString activeName = activeTableName(parts);

    Styles styles;
    if (parts.has(QStringLiteral("styles.xml"))) {
        QXmlStreamReader xml(parts.read(QStringLiteral("styles.xml")));
        readStyles(xml, styles, false);
        SheetXml::refuseIfBroken(xml, QStringLiteral("styles.xml"));
    }
    const QString contentPart = QStringLiteral("content.xml");
    const QByteArray content = parts.read(contentPart);

    // One pass: the active table is read when it is shown; the first shown table is read aside in case the
    // active one turns out hidden or missing, its refusals held until it is known to be the one shown.
    QList<TableInfo> tables;
    QDate nullDate(1899, 12, 30);
    SheetCells firstShown = cells;
    firstShown.holdRefusals();
    int active = -1;
    int first = -1;
    QXmlStreamReader xml(content);
    readStyles(xml, styles, true);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || !is(xml, OfficeNs, QLatin1String("spreadsheet")))
            continue;
        while (xml.readNextStartElement()) {
            if (is(xml, TableNs, QLatin1String("table"))) {
                const QString style = attribute(xml, QLatin1String("style-name"));
                tables.append({attribute(xml, QLatin1String("name")), styles.tableShown.value(style, true)});
                const TableInfo &table = tables.last();
                if (table.shown && active < 0 && !activeName.isEmpty() && table.name == activeName) {
                    active = int(tables.size() - 1);
                    ContentReader(styles, cells, nullDate).readTable(xml);
                } else if (table.shown && first < 0 && active < 0) {
                    first = int(tables.size() - 1);
                    ContentReader(styles, firstShown, nullDate).readTable(xml);
                } else {
                    xml.skipCurrentElement();
                }
            } else if (is(xml, TableNs, QLatin1String("calculation-settings"))) {
                while (xml.readNextStartElement()) {
                    if (xml.name() == QLatin1String("null-date")) {
                        const QDate date = QDate::fromString(attribute(xml, QLatin1String("date-value")), Qt::ISODate);
                        if (date.isValid())
                            nullDate = date;
                    }
                    xml.skipCurrentElement();
                }
            } else {
                xml.skipCurrentElement();
            }
        }
    }
    SheetXml::refuseIfBroken(xml, contentPart);
    if (tables.isEmpty())
        throw SheetRefusal{QStringLiteral("It holds no sheet.")};
    if (active >= 0)
        return tables[active].name;
    if (first < 0)
        throw SheetRefusal{QStringLiteral("None of its sheets is visible.")};
    firstShown.releaseRefusals();
    cells = firstShown;
    return tables[first].name;
}

} // namespace OdsSheet
