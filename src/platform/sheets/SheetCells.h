#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <optional>

// Why a spreadsheet cannot be read whole; the text is a sentence for the operator ("Cell A12 shows #NAME?
// instead of a name.").
struct SheetRefusal
{
    QString reason;
};

// The cells a reader passes on: columns A to D of the rows asked for, as the sheet shows them. A reader hands
// every cell it meets here; what lies outside the range is only noted (a name below the last row read).
class SheetCells
{
public:
    static constexpr int Columns = 4;

    // maxRows 0 takes every row of the sheet.
    SheetCells(int maxRows, const std::atomic<bool> *cancelled)
        : m_maxRows(maxRows)
        , m_cancelled(cancelled)
    {}

    // row and column count from 0. Tabs and line breaks in a cell become spaces, as a row holds one line.
    void put(int row, int column, QString text);
    // A cell that shows an error value (#N/A, #NAME?, ...) in the range read refuses the file.
    void error(int row, int column, const QString &shown);
    // A formula cell whose result the file does not store.
    void uncalculated(int row, int column);
    // True when a cell at (row, column) is one the read takes or notes.
    bool wanted(int row, int column) const { return column >= 0 && column < Columns && row >= 0; }
    bool inRange(int row, int column) const { return wanted(row, column) && (m_maxRows == 0 || row < m_maxRows); }
    // Throws when the operator has cancelled the read.
    void checkCancelled() const;
    // For a sheet read before it is known to be the one shown: the first refusal is kept, not thrown, until
    // releaseRefusals() throws it.
    void holdRefusals() { m_holding = true; }
    void releaseRefusals();

    // The file's name, for messages that name it.
    void setFileName(const QString &name) { m_fileName = name; }
    const QString &fileName() const { return m_fileName; }
    // The rows read, trailing empty cells and rows dropped.
    QList<QStringList> rows() const;
    // The last row past the range holding a cell with text, or 0.
    int lastRowBeyond() const { return m_lastRowBeyond; }

    static QString cellName(int row, int column);
    // True for the texts spreadsheets show for an error value (#N/A, #NAME?, Err:502, ...).
    static bool isErrorText(const QString &text);
    static constexpr int MaxCellLength = 32767;
    // The rows a sheet has in the spreadsheet programs of today.
    static constexpr int MaxRows = 1048576;

private:
    void refuse(const QString &reason);

    int m_maxRows;
    const std::atomic<bool> *m_cancelled;
    QString m_fileName;
    bool m_holding = false;
    std::optional<SheetRefusal> m_held;
    QList<QStringList> m_rows;
    int m_lastRowBeyond = 0;
};
