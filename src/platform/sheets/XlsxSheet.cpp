#include "platform/sheets/XlsxSheet.h"

#include "platform/sheets/CellFormat.h"
#include "platform/sheets/SheetCells.h"
#include "platform/sheets/SheetXml.h"
#include "platform/sheets/ZipParts.h"

#include <QDateTime>
#include <QDir>
#include <QHash>

#include <cmath>

using SheetXml::attribute;

namespace {

struct SheetEntry
{
    QString name;
    QString state;
    QString relation;
};

struct Workbook
{
    QList<SheetEntry> sheets;
    int activeTab = 0;
    bool date1904 = false;
    bool calculatesOnLoad = false;
};

bool isTrue(const QString &value)
{
    return value == u"1" || value == u"true";
}

QString damaged(const QString &part, const QString &what)
{
    return QStringLiteral("It is damaged: %1 (%2).").arg(what, part);
}

// A relationship's target, resolved against the folder of the part that names it.
QString resolve(const QString &fromPart, const QString &target)
{
    if (target.startsWith(u'/'))
        return QDir::cleanPath(target.mid(1));
    const int slash = fromPart.lastIndexOf(u'/');
    return QDir::cleanPath((slash < 0 ? QString() : fromPart.left(slash + 1)) + target);
}

QString relsOf(const QString &part)
{
    const int slash = part.lastIndexOf(u'/');
    return part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) + QStringLiteral(".rels");
}

// Id -> (type, target) of a relationships part.
QHash<QString, QPair<QString, QString>> relationships(const ZipParts &parts, const QString &relsPart)
{
    QHash<QString, QPair<QString, QString>> found;
    if (!parts.has(relsPart))
        return found;
    QXmlStreamReader xml(parts.read(relsPart));
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("Relationship"))
            found.insert(attribute(xml, QLatin1String("Id")),
                         {attribute(xml, QLatin1String("Type")), attribute(xml, QLatin1String("Target"))});
    SheetXml::refuseIfBroken(xml, relsPart);
    return found;
}

QString workbookPart(const ZipParts &parts)
{
    const auto rels = relationships(parts, QStringLiteral("_rels/.rels"));
    for (const auto &[type, target] : rels)
        if (type.endsWith(QLatin1String("/officeDocument")))
            return resolve(QString(), target);
    return QStringLiteral("xl/workbook.xml");
}

Workbook readWorkbook(const ZipParts &parts, const QString &part)
{
    Workbook book;
    QXmlStreamReader xml(parts.read(part));
    bool viewSeen = false;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto name = xml.name();
        if (name == QLatin1String("sheet")) {
            book.sheets.append({attribute(xml, QLatin1String("name")), attribute(xml, QLatin1String("state")),
                                attribute(xml, QLatin1String("id"))});
        } else if (name == QLatin1String("workbookView") && !viewSeen) {
            viewSeen = true;
            const QString tab = attribute(xml, QLatin1String("activeTab"));
            bool ok = true;
            book.activeTab = tab.isEmpty() ? 0 : tab.toInt(&ok);
            if (!ok || book.activeTab < 0)
                throw SheetRefusal{damaged(
                    part, QStringLiteral("the active sheet is named \"%1\", not by its number").arg(tab.left(40)))};
        } else if (name == QLatin1String("workbookPr")) {
            book.date1904 = isTrue(attribute(xml, QLatin1String("date1904")));
        } else if (name == QLatin1String("calcPr")) {
            book.calculatesOnLoad = isTrue(attribute(xml, QLatin1String("fullCalcOnLoad")));
        }
    }
    SheetXml::refuseIfBroken(xml, part);
    if (book.sheets.isEmpty())
        throw SheetRefusal{damaged(part, QStringLiteral("the workbook has no sheets"))};
    if (book.activeTab >= book.sheets.size())
        throw SheetRefusal{damaged(
            part,
            QStringLiteral("the active sheet is number %1 of %2").arg(book.activeTab + 1).arg(book.sheets.size()))};
    return book;
}

// OOXML writes characters XML cannot carry as _xHHHH_.
QString unescape(QString text)
{
    for (int at = text.indexOf(QLatin1String("_x")); at >= 0 && at + 7 <= text.size();
         at = text.indexOf(QLatin1String("_x"), at + 1)) {
        if (text[at + 6] != u'_')
            continue;
        bool ok = false;
        const uint code = text.mid(at + 2, 4).toUInt(&ok, 16);
        if (ok)
            text.replace(at, 7, QChar(char16_t(code)));
    }
    return text;
}

// The text of a string item (<si> or <is>): its runs, without phonetic guides.
QString itemText(QXmlStreamReader &xml)
{
    QString text;
    const QString element = xml.name().toString();
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == element)
            break;
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("rPh"))
            xml.skipCurrentElement();
        else if (xml.name() == QLatin1String("t"))
            text += xml.readElementText(QXmlStreamReader::SkipChildElements);
    }
    return unescape(text);
}

QStringList readSharedStrings(const ZipParts &parts, const QString &part)
{
    QStringList strings;
    if (part.isEmpty() || !parts.has(part))
        return strings;
    QXmlStreamReader xml(parts.read(part));
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("si"))
            strings.append(itemText(xml));
    SheetXml::refuseIfBroken(xml, part);
    return strings;
}

// The number format code of each cell style.
QStringList readCellFormats(const ZipParts &parts, const QString &part)
{
    QHash<int, QString> custom;
    QStringList formats;
    if (part.isEmpty() || !parts.has(part))
        return formats;
    QXmlStreamReader xml(parts.read(part));
    bool inCellXfs = false;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("cellXfs"))
            inCellXfs = false;
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("numFmt")) {
            custom.insert(attribute(xml, QLatin1String("numFmtId")).toInt(),
                          attribute(xml, QLatin1String("formatCode")));
        } else if (xml.name() == QLatin1String("cellXfs")) {
            inCellXfs = true;
        } else if (inCellXfs && xml.name() == QLatin1String("xf")) {
            const int id = attribute(xml, QLatin1String("numFmtId")).toInt();
            QString code = custom.value(id, CellFormat::builtIn(id));
            formats.append(code.isEmpty() ? QStringLiteral("General") : code);
            xml.skipCurrentElement();
        }
    }
    SheetXml::refuseIfBroken(xml, part);
    return formats;
}

bool parseReference(const QString &reference, int *row, int *column)
{
    int c = 0;
    int i = 0;
    for (; i < reference.size() && reference[i].isLetter(); ++i) {
        const QChar letter = reference[i].toUpper();
        if (letter < u'A' || letter > u'Z' || c > 100000)
            return false;
        c = c * 26 + (letter.unicode() - u'A' + 1);
    }
    bool ok = false;
    const int r = reference.mid(i).toInt(&ok);
    if (i == 0 || !ok || r < 1)
        return false;
    *row = r - 1;
    *column = c - 1;
    return true;
}

struct SheetContext
{
    const QStringList &strings;
    const QStringList &formats;
    const Workbook &book;
    QString part;
};

void readCell(QXmlStreamReader &xml, const SheetContext &context, SheetCells &cells, int row, int column)
{
    const QString type = attribute(xml, QLatin1String("t"));
    const QString style = attribute(xml, QLatin1String("s"));
    bool haveValue = false;
    bool formula = false;
    QString value;
    QString inlineText;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("c"))
            break;
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("v")) {
            value = xml.readElementText(QXmlStreamReader::SkipChildElements);
            haveValue = true;
        } else if (xml.name() == QLatin1String("f")) {
            formula = true;
            xml.skipCurrentElement();
        } else if (xml.name() == QLatin1String("is")) {
            inlineText = itemText(xml);
            haveValue = true;
        } else {
            xml.skipCurrentElement();
        }
    }
    if (!cells.wanted(row, column))
        return;
    if (formula && (context.book.calculatesOnLoad || !haveValue))
        cells.uncalculated(row, column);
    if (!haveValue)
        return;
    const int styleIndex = style.isEmpty() ? 0 : style.toInt();
    // Without a styles part every cell is General; with one, a style it does not define is damage.
    if (styleIndex < 0 || (styleIndex >= context.formats.size() && !context.formats.isEmpty()))
        throw SheetRefusal{damaged(
            context.part,
            QStringLiteral("cell %1 has a style the workbook does not define").arg(SheetCells::cellName(row, column)))};
    const QString code = context.formats.value(styleIndex, QStringLiteral("General"));
    auto refuseValue = [&] {
        throw SheetRefusal{damaged(context.part, QStringLiteral("cell %1 holds \"%2\", which is not a %3")
                                                     .arg(SheetCells::cellName(row, column), value.left(40),
                                                          type == u"b" ? "boolean" : "number"))};
    };
    if (type == u"s") {
        bool ok = false;
        const int index = value.toInt(&ok);
        if (!ok || index < 0 || index >= context.strings.size())
            throw SheetRefusal{damaged(context.part, QStringLiteral("cell %1 names a text the workbook does not hold")
                                                         .arg(SheetCells::cellName(row, column)))};
        cells.put(row, column, CellFormat::text(context.strings[index], code));
    } else if (type == u"inlineStr") {
        cells.put(row, column, CellFormat::text(inlineText, code));
    } else if (type == u"str") {
        if (formula && SheetCells::isErrorText(value))
            cells.error(row, column, value);
        cells.put(row, column, CellFormat::text(unescape(value), code));
    } else if (type == u"b") {
        if (value != u"0" && value != u"1")
            refuseValue();
        cells.put(row, column, value == u"1" ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
    } else if (type == u"e") {
        cells.error(row, column, value);
    } else {
        double number = 0;
        bool ok = false;
        if (type == u"d") {
            const QDateTime when = QDateTime::fromString(value, Qt::ISODateWithMs);
            ok = when.isValid();
            const QDateTime base(QDate(context.book.date1904 ? 1904 : 1899, context.book.date1904 ? 1 : 12,
                                       context.book.date1904 ? 1 : 30),
                                 QTime(0, 0), when.timeSpec());
            number = double(base.msecsTo(when)) / 86400000.0;
        } else if (type.isEmpty() || type == u"n") {
            number = value.trimmed().toDouble(&ok);
        }
        if (!ok || !std::isfinite(number))
            refuseValue();
        const auto dates =
            context.book.date1904 ? CellFormat::DateSystem::Excel1904 : CellFormat::DateSystem::Excel1900;
        bool shown = true;
        const QString text = CellFormat::number(number, code, dates, &shown);
        if (!shown)
            cells.error(row, column, QStringLiteral("########"));
        cells.put(row, column, text);
    }
}

void readSheetData(const ZipParts &parts, const SheetContext &context, SheetCells &cells)
{
    QXmlStreamReader xml(parts.read(context.part));
    int row = -1;
    int column = -1;
    int cellsSeen = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("row")) {
            const QString r = attribute(xml, QLatin1String("r"));
            bool ok = true;
            row = r.isEmpty() ? row + 1 : r.toInt(&ok) - 1;
            if (!ok || row < 0)
                throw SheetRefusal{damaged(context.part, QStringLiteral("a row is numbered \"%1\"").arg(r.left(20)))};
            column = -1;
        } else if (xml.name() == QLatin1String("c")) {
            const QString reference = attribute(xml, QLatin1String("r"));
            int cellRow = row;
            if (reference.isEmpty()) {
                ++column;
            } else if (!parseReference(reference, &cellRow, &column) || (row >= 0 && cellRow != row)) {
                throw SheetRefusal{
                    damaged(context.part, QStringLiteral("a cell is placed at \"%1\"").arg(reference.left(20)))};
            }
            if (cellRow < 0)
                throw SheetRefusal{damaged(context.part, QStringLiteral("a cell lies outside any row"))};
            readCell(xml, context, cells, cellRow, column);
            if (++cellsSeen % 4096 == 0)
                cells.checkCancelled();
        }
    }
    SheetXml::refuseIfBroken(xml, context.part);
}

} // namespace

namespace XlsxSheet {

bool isWorkbook(const ZipParts &parts)
{
    return parts.has(QStringLiteral("[Content_Types].xml")) &&
           (parts.has(QStringLiteral("_rels/.rels")) || parts.has(QStringLiteral("xl/workbook.xml")));
}

QString read(const ZipParts &parts, SheetCells &cells)
{
    const QString bookPart = workbookPart(parts);
    const Workbook book = readWorkbook(parts, bookPart);
    const auto rels = relationships(parts, relsOf(bookPart));

    auto visible = [&](int i) { return book.sheets[i].state.isEmpty() || book.sheets[i].state == u"visible"; };
    int shown = book.activeTab;
    if (!visible(shown)) {
        shown = -1;
        for (int i = 0; i < book.sheets.size() && shown < 0; ++i)
            if (visible(i))
                shown = i;
        if (shown < 0)
            throw SheetRefusal{QStringLiteral("None of its sheets is visible.")};
    }
    const SheetEntry &sheet = book.sheets[shown];
    const auto relation = rels.value(sheet.relation);
    if (relation.second.isEmpty())
        throw SheetRefusal{damaged(bookPart, QStringLiteral("the sheet %1 has no part").arg(sheet.name))};
    if (!relation.first.endsWith(QLatin1String("/worksheet")))
        throw SheetRefusal{
            QStringLiteral("The sheet it shows, %1, is a chart or a dialog, not a table of names.").arg(sheet.name)};

    QString stringsPart, stylesPart;
    for (const auto &[type, target] : rels) {
        if (type.endsWith(QLatin1String("/sharedStrings")))
            stringsPart = resolve(bookPart, target);
        else if (type.endsWith(QLatin1String("/styles")))
            stylesPart = resolve(bookPart, target);
    }
    const QStringList strings = readSharedStrings(parts, stringsPart);
    const QStringList formats = readCellFormats(parts, stylesPart);
    cells.checkCancelled();
    readSheetData(parts, {strings, formats, book, resolve(bookPart, relation.second)}, cells);
    return sheet.name;
}

} // namespace XlsxSheet
