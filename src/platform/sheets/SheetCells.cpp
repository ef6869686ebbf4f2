#include "platform/sheets/SheetCells.h"

void SheetCells::put(int row, int column, QString text)
{
    if (!wanted(row, column) || text.isEmpty())
        return;
    if (row >= MaxRows)
        return refuse(QStringLiteral("It is damaged: it has a cell in row %1, past the last row a sheet has "
                                     "(1,048,576).")
                          .arg(row + 1));
    if (!inRange(row, column)) {
        m_lastRowBeyond = std::max(m_lastRowBeyond, row + 1);
        return;
    }
    if (text.size() > MaxCellLength)
        return refuse(QStringLiteral("Cell %1 holds %2 characters; a spreadsheet cell holds at most 32,767.")
                          .arg(cellName(row, column))
                          .arg(text.size()));
    for (QChar &c : text)
        if (c == u'\t' || c == u'\r' || c == u'\n')
            c = u' ';
    if (m_rows.size() <= row)
        m_rows.resize(row + 1);
    QStringList &cells = m_rows[row];
    if (cells.size() <= column)
        cells.resize(column + 1);
    cells[column] = text;
}

void SheetCells::error(int row, int column, const QString &shown)
{
    if (inRange(row, column))
        refuse(QStringLiteral("Cell %1 shows %2 instead of a name.").arg(cellName(row, column), shown));
}

void SheetCells::uncalculated(int row, int column)
{
    if (inRange(row, column))
        refuse(QStringLiteral("%1 was written by a program that does not calculate its formulas (cell %2). Open it "
                              "in a spreadsheet program and save it, or save it as CSV.")
                   .arg(m_fileName, cellName(row, column)));
}

void SheetCells::refuse(const QString &reason)
{
    if (!m_holding)
        throw SheetRefusal{reason};
    if (!m_held)
        m_held = SheetRefusal{reason};
}

void SheetCells::releaseRefusals()
{
    m_holding = false;
    if (m_held)
        throw *m_held;
}

void SheetCells::checkCancelled() const
{
    if (m_cancelled && *m_cancelled)
        throw SheetRefusal{QStringLiteral("Cancelled.")};
}

QList<QStringList> SheetCells::rows() const
{
    QList<QStringList> rows = m_rows;
    for (QStringList &cells : rows)
        while (!cells.isEmpty() && cells.last().isEmpty())
            cells.removeLast();
    while (!rows.isEmpty() && rows.last().isEmpty())
        rows.removeLast();
    return rows;
}

QString SheetCells::cellName(int row, int column)
{
    QString letters;
    for (int c = column + 1; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    return letters + QString::number(row + 1);
}

bool SheetCells::isErrorText(const QString &text)
{
    static const QStringList errors{"#NULL!",    "#DIV/0!",       "#VALUE!",   "#REF!",     "#NAME?",  "#NUM!",
                                    "#N/A",      "#GETTING_DATA", "#CALC!",    "#SPILL!",   "#FIELD!", "#BLOCKED!",
                                    "#CONNECT!", "#BUSY!",        "#UNKNOWN!", "#EXTERNAL!"};
    if (errors.contains(text))
        return true;
    // What another spreadsheet program shows for its own errors: Err:502.
    return text.size() == 7 && text.startsWith(QLatin1String("Err:")) && text[4].isDigit() && text[5].isDigit() &&
           text[6].isDigit();
}
