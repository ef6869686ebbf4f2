#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class FileHistory;
class TableCache;

// A saved manifest: "Manifest-" and the manifest number, one quoted line per person, no header. It is read
// through the text-table engine where it is, under its own name; the statement names it "Manifest.csv".
class ManifestFile
{
public:
    static constexpr auto Prefix = "Manifest-";
    static constexpr auto Pattern = "Manifest-*";
    static constexpr auto WorkingName = "Manifest.csv";
    // Grid row 0 is the header; persons sit in rows 1 to 49.
    static constexpr int PersonRows = 49;
    // Full Name, Sex, Passport # & Issuing Country, Visa # or ARC, Date of Birth, Veyra Status.
    static constexpr int StoredColumns = 6;

    static QString fileName(const QString &manifestNumber);
    // Why fileName cannot name a file in a folder, or empty when it can. The rules are Windows' own, so that a
    // manifest folder can be shared between machines.
    static QString fileNameProblem(const QString &fileName);
    // The manifest number of a listed file: the text after the first "-", without a trailing ".csv".
    static QString manifestNumber(const QString &fileName);

    // The lines of the persons given, each with the six stored cells. A double quote inside a cell is doubled
    // so that the line keeps its fields and the cell reads back as it was.
    static QByteArray format(const QList<QStringList> &persons);
    // Replaces the file whole, or leaves it as it was.
    // A manifest saved over is kept in history first.
    static bool write(const QString &path, const QList<QStringList> &persons, const FileHistory &history,
                      QString *error);

    static QString connectionText(const QString &folder);

    // Reads the manifest at path into grid cells: record k goes to grid row k + 1, field j to column j + 1; empty
    // fields are skipped. The first thing that does not fit (a record beyond row 49, a filled seventh field) or
    // cannot be read ends the load; the cells given so far stay given. Returns whether the whole file was read.
    // sha256, when given, receives the SHA-256 of the bytes read (empty when none were).
    using CellWriter = std::function<void(int row, int col, const QString &text)>;
    static bool load(TableCache &cache, const QString &path, const CellWriter &setCell, QByteArray *sha256 = nullptr);
};
