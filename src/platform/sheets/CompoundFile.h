#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The streams of an OLE2 compound file (the container of .xls workbooks), read from memory. Every chain of
// sectors is checked: a sector past the end of the file, a loop, or a stream longer than its chain refuses the
// file as damaged or cut short.
class CompoundFile
{
public:
    static bool hasSignature(const QByteArray &bytes);

    // Throws SheetRefusal when the header or the directory cannot be read.
    explicit CompoundFile(const QByteArray &bytes);

    bool has(const QString &name) const { return entryOf(name) >= 0; }
    // The stream of that name in the root storage; throws SheetRefusal.
    QByteArray stream(const QString &name) const;

private:
    struct Entry
    {
        QString name;
        int type = 0;
        quint32 start = 0;
        quint64 size = 0;
    };

    int entryOf(const QString &name) const;
    QByteArray chain(quint32 start, quint64 size, bool mini) const;
    quint32 fatEntry(const QList<quint32> &fat, quint32 sector) const;

    const QByteArray &m_bytes;
    int m_sectorSize = 512;
    int m_miniSectorSize = 64;
    quint32 m_miniCutoff = 4096;
    QList<quint32> m_fat;
    QList<quint32> m_miniFat;
    QByteArray m_miniStream;
    QList<Entry> m_entries;
};
