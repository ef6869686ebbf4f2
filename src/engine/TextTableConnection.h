#pragma once

#include "engine/TableCache.h"

#include <QFile>
#include <QString>

#include <memory>
#include <vector>

class TextTable;

// A connection to the comma-separated files of one folder, opened from a connection text such as
//   Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\Lists\;Extended Properties="text;HDR=YES;FMT=Delimited"
// HDR=YES takes the column names from each file's first line; HDR=NO names the columns F1, F2, ...
// A value holding ; = ' " { } or blanks at its ends is written between double quotes, a double quote inside it
// doubled: Data Source="C:\A;B\". connectionText() writes it so.
class TextTableConnection
{
public:
    explicit TextTableConnection(TableCache &cache);

    // The connection text for the files of folder, which any path survives unchanged.
    static QString connectionText(const QString &folder, bool hasHeader);

    // Throws TextTableError for a connection text it cannot use or a folder it cannot read.
    void open(const QString &connectionText);
    void close();
    bool isOpen() const { return m_open; }

    QString folder() const;
    bool hasHeader() const;
    // Statements naming tableName (its letter case ignored) read the file at path instead of a file of that name
    // in the folder: the program's statements name "Veyra.csv" for the active list and "Manifest.csv" for the
    // open manifest, whatever those files are called. table, when given, is that file as already read, and the
    // statements then read exactly those bytes. Kept across close() and open().
    void bindTable(const QString &tableName, const QString &path, std::shared_ptr<TextTable> table = {});

    // The parsed table of a file in the folder, or of a bound name; throws when there is none or it cannot be read.
    std::shared_ptr<TextTable> table(const QString &fileName) const;

private:
    void requireOpen() const;
    // The path of a file of the folder, its name's letter case ignored; throws when there is none.
    QString resolve(const QString &fileName) const;

    struct Binding
    {
        QString tableName;
        QString path;
        std::shared_ptr<TextTable> table;
    };
    const Binding *binding(const QString &tableName) const;

    TableCache &m_cache;
    std::vector<Binding> m_bindings;
    bool m_open = false;
    QString m_folder;
    bool m_hasHeader = true;
    mutable QString m_lastTableName;
    mutable QString m_lastTablePath;
    // The last table's file, held open so that each statement can tell without a look-up by name that the file is
    // as it was read.
    mutable std::shared_ptr<TextTable> m_lastTable;
    mutable std::unique_ptr<QFile> m_lastFile;
    mutable TableCache::FileIdentity m_lastIdentity;
};
