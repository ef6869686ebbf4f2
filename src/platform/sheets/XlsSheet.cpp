#include "platform/sheets/XlsSheet.h"

#include "platform/sheets/CellFormat.h"
#include "platform/sheets/CompoundFile.h"
#include "platform/sheets/LittleEndian.h"
#include "platform/sheets/SheetCells.h"

#include <QHash>
#include <QStringDecoder>
#include <QtEndian>

#include <cmath>
#include <cstring>

namespace {

enum Record : quint16 {
    Bof = 0x0809,
    Eof = 0x000A,
    Continue = 0x003C,
    FilePass = 0x002F,
    CodePage = 0x0042,
    DateMode = 0x0022,
    Window1 = 0x003D,
    BoundSheet = 0x0085,
    Format = 0x041E,
    Xf = 0x00E0,
    Sst = 0x00FC,
    RecalcId = 0x01C1,
    LabelSst = 0x00FD,
    Label = 0x0204,
    RString = 0x00D6,
    Number = 0x0203,
    Rk = 0x027E,
    MulRk = 0x00BD,
    BoolErr = 0x0205,
    Formula = 0x0006,
    String = 0x0207,
};

[[noreturn]] void damaged(const QString &what)
{
    throw SheetRefusal{QStringLiteral("It is damaged: %1.").arg(what)};
}

// A little-endian value at an offset of a record, which must hold it.
template <typename T> T valueAt(const QByteArray &data, qsizetype at)
{
    if (const std::optional<T> value = littleEndianAt<T>(data, at))
        return *value;
    damaged(QStringLiteral("a record is shorter than what it holds"));
}

double doubleAt(const QByteArray &data, qsizetype at)
{
    const quint64 bits = valueAt<quint64>(data, at);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// A record and the CONTINUE records after it, read as one run of bytes; texts that cross into a CONTINUE
// record start there again with their own flags byte.
class RecordReader
{
public:
    void start(QList<QByteArray> pieces)
    {
        m_pieces = std::move(pieces);
        m_piece = 0;
        m_at = 0;
    }

    bool atEnd() const { return m_piece >= m_pieces.size() || (m_piece == m_pieces.size() - 1 && left() == 0); }

    QByteArray bytes(qsizetype count)
    {
        QByteArray out;
        while (count > 0) {
            nextPieceIfDone();
            const qsizetype take = std::min(count, left());
            out.append(m_pieces[m_piece].constData() + m_at, take);
            m_at += take;
            count -= take;
        }
        return out;
    }

    quint8 u8() { return quint8(bytes(1)[0]); }
    quint16 u16() { return valueAt<quint16>(bytes(2), 0); }
    quint32 u32() { return valueAt<quint32>(bytes(4), 0); }

    // The characters of an XLUnicodeString whose flags byte has just been read.
    QString characters(int count, bool highByte)
    {
        QString text;
        while (count > 0) {
            if (left() == 0) {
                nextPieceIfDone();
                highByte = u8() & 1;
            }
            const int width = highByte ? 2 : 1;
            const int take = int(std::min<qsizetype>(count, left() / width));
            if (take == 0)
                damaged(QStringLiteral("a text ends inside a character"));
            const QByteArray raw = bytes(qsizetype(take) * width);
            if (highByte)
                text += QString::fromUtf16(reinterpret_cast<const char16_t *>(raw.constData()), take);
            else
                text += QString::fromLatin1(raw);
            count -= take;
        }
        return text;
    }

    // XLUnicodeRichExtendedString, as the shared strings hold them.
    QString richString()
    {
        const int count = u16();
        const quint8 flags = u8();
        const int runs = flags & 0x08 ? u16() : 0;
        const quint32 extra = flags & 0x04 ? u32() : 0;
        const QString text = characters(count, flags & 1);
        bytes(qsizetype(runs) * 4);
        bytes(qsizetype(extra));
        return text;
    }

private:
    qsizetype left() const { return m_pieces[m_piece].size() - m_at; }
    void nextPieceIfDone()
    {
        while (m_piece < m_pieces.size() && left() == 0) {
            if (m_piece + 1 >= m_pieces.size())
                damaged(QStringLiteral("a record is shorter than what it holds"));
            ++m_piece;
            m_at = 0;
        }
    }

    QList<QByteArray> m_pieces;
    int m_piece = 0;
    qsizetype m_at = 0;
};

struct RecordAt
{
    quint16 type;
    qsizetype at; // of the data
    quint16 length;
};

class Workbook
{
public:
    explicit Workbook(const QByteArray &stream)
        : m_stream(stream)
    {}

    // The records from offset to the substream's EOF (past the BOF and EOF of a chart embedded in a sheet); a
    // stream that ends first is cut short.
    QList<RecordAt> substream(qsizetype offset) const
    {
        QList<RecordAt> records;
        qsizetype at = offset;
        int depth = 0;
        while (true) {
            if (at + 4 > m_stream.size())
                throw SheetRefusal{QStringLiteral("It is damaged or cut short: the workbook stream ends before "
                                                  "its last record.")};
            const quint16 type = valueAt<quint16>(m_stream, at);
            const quint16 length = valueAt<quint16>(m_stream, at + 2);
            if (at + 4 + length > m_stream.size())
                throw SheetRefusal{QStringLiteral("It is damaged or cut short: a record runs past the end of the "
                                                  "workbook stream.")};
            records.append({type, at + 4, length});
            at += 4 + length;
            if (type == Bof)
                ++depth;
            if (type == Eof && --depth <= 0)
                return records;
        }
    }

    QByteArray data(const RecordAt &record) const { return m_stream.mid(record.at, record.length); }

    // The record at index with the CONTINUE records after it.
    QList<QByteArray> withContinues(const QList<RecordAt> &records, qsizetype index) const
    {
        QList<QByteArray> pieces{data(records[index])};
        for (qsizetype i = index + 1; i < records.size() && records[i].type == Continue; ++i)
            pieces.append(data(records[i]));
        return pieces;
    }

private:
    const QByteArray &m_stream;
};

quint16 u16At(const QByteArray &data, int at)
{
    return valueAt<quint16>(data, at);
}

double rkValue(quint32 rk)
{
    double value;
    if (rk & 2) {
        value = double(qint32(rk) >> 2);
    } else {
        const quint64 bits = quint64(rk & 0xFFFFFFFC) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return rk & 1 ? value / 100 : value;
}

QString errorText(quint8 code)
{
    switch (code) {
    case 0x00:
        return QStringLiteral("#NULL!");
    case 0x07:
        return QStringLiteral("#DIV/0!");
    case 0x0F:
        return QStringLiteral("#VALUE!");
    case 0x17:
        return QStringLiteral("#REF!");
    case 0x1D:
        return QStringLiteral("#NAME?");
    case 0x24:
        return QStringLiteral("#NUM!");
    case 0x2A:
        return QStringLiteral("#N/A");
    default:
        return QStringLiteral("#GETTING_DATA");
    }
}

struct Globals
{
    bool biff8 = true;
    QStringDecoder decoder{QStringDecoder::Latin1};
    bool date1904 = false;
    bool calculated = false; // the program that wrote it calculated its formulas
    int activeTab = 0;
    struct Sheet
    {
        QString name;
        quint32 offset;
        int state;
        int kind;
    };
    QList<Sheet> sheets;
    QHash<int, QString> formats;
    QList<int> xfFormat;
    QStringList strings;
};

// An 8-bit text of BIFF5 in the workbook's code page.
QString byteText(Globals &globals, const QByteArray &raw)
{
    return globals.decoder.decode(raw);
}

Globals readGlobals(const Workbook &book, const QList<RecordAt> &records)
{
    Globals globals;
    RecordReader reader;
    bool windowSeen = false;
    for (qsizetype i = 0; i < records.size(); ++i) {
        const RecordAt &record = records[i];
        const QByteArray data = book.data(record);
        switch (record.type) {
        case Bof:
            if (i == 0)
                globals.biff8 = u16At(data, 0) == 0x0600;
            break;
        case FilePass:
            throw SheetRefusal{QStringLiteral("It is protected by a password.")};
        case CodePage: {
            const int page = u16At(data, 0);
            if (page != 1200 && page != 367) {
                QStringDecoder decoder(QByteArray("windows-") + QByteArray::number(page));
                if (decoder.isValid())
                    globals.decoder = std::move(decoder);
            }
            break;
        }
        case DateMode:
            globals.date1904 = u16At(data, 0) == 1;
            break;
        case RecalcId:
            globals.calculated = true;
            break;
        case Window1:
            if (!windowSeen)
                globals.activeTab = u16At(data, 10);
            windowSeen = true;
            break;
        case BoundSheet: {
            reader.start({data});
            Globals::Sheet sheet;
            sheet.offset = reader.u32();
            sheet.state = reader.u8() & 3;
            sheet.kind = reader.u8();
            const int count = reader.u8();
            sheet.name =
                globals.biff8 ? reader.characters(count, reader.u8() & 1) : byteText(globals, reader.bytes(count));
            globals.sheets.append(sheet);
            break;
        }
        case Format: {
            reader.start({data});
            const int id = reader.u16();
            if (globals.biff8) {
                const int count = reader.u16();
                globals.formats.insert(id, reader.characters(count, reader.u8() & 1));
            } else {
                const int count = reader.u8();
                globals.formats.insert(id, byteText(globals, reader.bytes(count)));
            }
            break;
        }
        case Xf:
            globals.xfFormat.append(u16At(data, 2));
            break;
        case Sst: {
            reader.start(book.withContinues(records, i));
            reader.u32();
            const quint32 unique = reader.u32();
            for (quint32 n = 0; n < unique; ++n) {
                if (reader.atEnd())
                    damaged(QStringLiteral("the workbook's texts end early"));
                globals.strings.append(reader.richString());
            }
            break;
        }
        default:
            break;
        }
    }
    // Excel 5 and 95 files predate the record; their formulas were calculated by the program that wrote them.
    if (!globals.biff8)
        globals.calculated = true;
    return globals;
}

QString formatCode(const Globals &globals, int xf, int row, int column)
{
    if (xf < 0 || xf >= globals.xfFormat.size())
        damaged(
            QStringLiteral("cell %1 has a style the workbook does not define").arg(SheetCells::cellName(row, column)));
    const int id = globals.xfFormat[xf];
    QString code = globals.formats.value(id, CellFormat::builtIn(id));
    return code.isEmpty() ? QStringLiteral("General") : code;
}

void putNumber(SheetCells &cells, const Globals &globals, int row, int column, int xf, double value)
{
    if (!cells.wanted(row, column))
        return;
    bool shown = true;
    const QString text = CellFormat::number(
        value, formatCode(globals, xf, row, column),
        globals.date1904 ? CellFormat::DateSystem::Excel1904 : CellFormat::DateSystem::Excel1900, &shown);
    if (!shown || !std::isfinite(value))
        cells.error(row, column, QStringLiteral("########"));
    cells.put(row, column, text);
}

void readSheet(const Workbook &book, Globals &globals, quint32 offset, SheetCells &cells)
{
    const QList<RecordAt> records = book.substream(offset);
    // The sheet's place in the stream must hold the start of a worksheet, not some other record.
    if (records.first().type != Bof || u16At(book.data(records.first()), 2) != 0x0010)
        damaged(QStringLiteral("a sheet's place in the workbook holds no sheet"));
    RecordReader reader;
    struct Pending
    {
        int row = -1, column = -1, xf = 0;
    } pending;
    for (qsizetype i = 0; i < records.size(); ++i) {
        const RecordAt &record = records[i];
        if (pending.row >= 0 && record.type != String && record.type != Continue && record.type != 0x04BC &&
            record.type != 0x0221 && record.type != 0x0236)
            damaged(QStringLiteral("the text result of the formula in cell %1 is missing")
                        .arg(SheetCells::cellName(pending.row, pending.column)));
        if (i % 4096 == 0)
            cells.checkCancelled();
        switch (record.type) {
        case LabelSst: {
            const QByteArray data = book.data(record);
            if (data.size() < 10)
                damaged(QStringLiteral("a cell record is too short"));
            const int row = u16At(data, 0), column = u16At(data, 2), xf = u16At(data, 4);
            const quint32 index = valueAt<quint32>(data, 6);
            if (index >= quint32(globals.strings.size()))
                damaged(QStringLiteral("cell %1 names a text the workbook does not hold")
                            .arg(SheetCells::cellName(row, column)));
            if (cells.wanted(row, column))
                cells.put(row, column, CellFormat::text(globals.strings[index], formatCode(globals, xf, row, column)));
            break;
        }
        case Label:
        case RString: {
            reader.start(book.withContinues(records, i));
            const int row = reader.u16(), column = reader.u16(), xf = reader.u16();
            const int count = reader.u16();
            const QString text =
                globals.biff8 ? reader.characters(count, reader.u8() & 1) : byteText(globals, reader.bytes(count));
            if (cells.wanted(row, column))
                cells.put(row, column, CellFormat::text(text, formatCode(globals, xf, row, column)));
            break;
        }
        case Number: {
            const QByteArray data = book.data(record);
            if (data.size() < 14)
                damaged(QStringLiteral("a cell record is too short"));
            putNumber(cells, globals, u16At(data, 0), u16At(data, 2), u16At(data, 4), doubleAt(data, 6));
            break;
        }
        case Rk: {
            const QByteArray data = book.data(record);
            if (data.size() < 10)
                damaged(QStringLiteral("a cell record is too short"));
            putNumber(cells, globals, u16At(data, 0), u16At(data, 2), u16At(data, 4),
                      rkValue(valueAt<quint32>(data, 6)));
            break;
        }
        case MulRk: {
            const QByteArray data = book.data(record);
            if (data.size() < 6 || (data.size() - 6) % 6 != 0)
                damaged(QStringLiteral("a cell record is too short"));
            const int row = u16At(data, 0), first = u16At(data, 2);
            for (int n = 0; n < (data.size() - 6) / 6; ++n)
                putNumber(cells, globals, row, first + n, u16At(data, 4 + 6 * n),
                          rkValue(valueAt<quint32>(data, 6 + 6 * n)));
            break;
        }
        case BoolErr: {
            const QByteArray data = book.data(record);
            if (data.size() < 8)
                damaged(QStringLiteral("a cell record is too short"));
            const int row = u16At(data, 0), column = u16At(data, 2);
            if (quint8(data[7]))
                cells.error(row, column, errorText(quint8(data[6])));
            else
                cells.put(row, column, quint8(data[6]) ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
            break;
        }
        case Formula: {
            const QByteArray data = book.data(record);
            if (data.size() < 20)
                damaged(QStringLiteral("a cell record is too short"));
            const int row = u16At(data, 0), column = u16At(data, 2), xf = u16At(data, 4);
            const quint16 options = u16At(data, 14);
            if (!globals.calculated || (options & 0x0002))
                cells.uncalculated(row, column);
            if (u16At(data, 12) != 0xFFFF) {
                putNumber(cells, globals, row, column, xf, doubleAt(data, 6));
                break;
            }
            switch (quint8(data[6])) {
            case 0:
                pending = {row, column, xf};
                break;
            case 1:
                cells.put(row, column, quint8(data[8]) ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
                break;
            case 2:
                cells.error(row, column, errorText(quint8(data[8])));
                break;
            case 3:
                break; // an empty text
            default:
                damaged(QStringLiteral("the formula in cell %1 stores a result of no known kind")
                            .arg(SheetCells::cellName(row, column)));
            }
            break;
        }
        case String: {
            if (pending.row < 0)
                break;
            reader.start(book.withContinues(records, i));
            const int count = reader.u16();
            const QString text =
                globals.biff8 ? reader.characters(count, reader.u8() & 1) : byteText(globals, reader.bytes(count));
            if (cells.wanted(pending.row, pending.column)) {
                if (SheetCells::isErrorText(text))
                    cells.error(pending.row, pending.column, text);
                cells.put(pending.row, pending.column,
                          CellFormat::text(text, formatCode(globals, pending.xf, pending.row, pending.column)));
            }
            pending = {};
            break;
        }
        default:
            break;
        }
    }
}

} // namespace

namespace XlsSheet {

QString read(const QByteArray &compoundFile, SheetCells &cells)
{
    const CompoundFile container(compoundFile);
    if (container.has(QStringLiteral("EncryptionInfo")) || container.has(QStringLiteral("EncryptedPackage")))
        throw SheetRefusal{QStringLiteral("It is protected by a password.")};
    QString streamName;
    if (container.has(QStringLiteral("Workbook")))
        streamName = QStringLiteral("Workbook");
    else if (container.has(QStringLiteral("Book")))
        streamName = QStringLiteral("Book");
    else
        throw SheetRefusal{QStringLiteral("It holds no Excel workbook.")};
    const QByteArray stream = container.stream(streamName);
    const Workbook book(stream);
    const QList<RecordAt> globalRecords = book.substream(0);
    if (globalRecords.first().type != Bof)
        damaged(QStringLiteral("its workbook does not begin as a workbook does"));
    const quint16 version = u16At(book.data(globalRecords.first()), 0);
    if (version != 0x0600 && version != 0x0500)
        throw SheetRefusal{QStringLiteral("It is written in an Excel format older than Excel 5; save it as .xlsx "
                                          "or as CSV.")};
    Globals globals = readGlobals(book, globalRecords);
    if (globals.sheets.isEmpty())
        damaged(QStringLiteral("its workbook has no sheets"));
    if (globals.activeTab >= globals.sheets.size())
        damaged(QStringLiteral("the active sheet is number %1 of %2")
                    .arg(globals.activeTab + 1)
                    .arg(globals.sheets.size()));
    int shown = globals.sheets[globals.activeTab].state == 0 ? globals.activeTab : -1;
    for (int i = 0; i < globals.sheets.size() && shown < 0; ++i)
        if (globals.sheets[i].state == 0)
            shown = i;
    if (shown < 0)
        throw SheetRefusal{QStringLiteral("None of its sheets is visible.")};
    const Globals::Sheet &sheet = globals.sheets[shown];
    if (sheet.kind != 0)
        throw SheetRefusal{QStringLiteral("The sheet it shows, %1, is a chart or a macro sheet, not a table of "
                                          "names.")
                               .arg(sheet.name)};
    if (sheet.offset >= quint32(stream.size()))
        throw SheetRefusal{QStringLiteral("It is damaged or cut short: the sheet %1 lies past the end of the "
                                          "workbook stream.")
                               .arg(sheet.name)};
    readSheet(book, globals, sheet.offset, cells);
    return sheet.name;
}

} // namespace XlsSheet
