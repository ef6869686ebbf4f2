#include "platform/sheets/CompoundFile.h"

#include "platform/sheets/LittleEndian.h"
#include "platform/sheets/SheetCells.h"

#include <QtEndian>

#include <cstring>

namespace {

constexpr quint32 EndOfChain = 0xFFFFFFFE;
constexpr quint32 FreeSector = 0xFFFFFFFF;

[[noreturn]] void cutShort(const QString &what)
{
    throw SheetRefusal{QStringLiteral("It is damaged or cut short: %1.").arg(what)};
}

template <typename T> T readAt(const QByteArray &bytes, qsizetype at)
{
    if (const std::optional<T> value = littleEndianAt<T>(bytes, at))
        return *value;
    cutShort(QStringLiteral("a sector lies past the end of the file"));
}

quint32 u32(const QByteArray &bytes, qsizetype at)
{
    return readAt<quint32>(bytes, at);
}

} // namespace

bool CompoundFile::hasSignature(const QByteArray &bytes)
{
    return bytes.startsWith(QByteArray::fromHex("D0CF11E0A1B11AE1"));
}

CompoundFile::CompoundFile(const QByteArray &bytes)
    : m_bytes(bytes)
{
    if (bytes.size() < 512)
        cutShort(QStringLiteral("its header is incomplete"));
    const int shift = readAt<quint16>(bytes, 0x1E);
    const int miniShift = readAt<quint16>(bytes, 0x20);
    if ((shift != 9 && shift != 12) || miniShift != 6)
        throw SheetRefusal{QStringLiteral("It is damaged: its header gives sectors of an impossible size.")};
    m_sectorSize = 1 << shift;
    m_miniSectorSize = 1 << miniShift;
    m_miniCutoff = u32(bytes, 0x38);
    const quint32 fatSectors = u32(bytes, 0x2C);
    const quint32 sectorCount = quint32((bytes.size() - 1) / m_sectorSize); // sectors after the header's
    if (fatSectors > sectorCount)
        cutShort(QStringLiteral("its allocation table is longer than the file"));

    // The sectors of the allocation table: 109 in the header, the rest in a chain of their own.
    QList<quint32> fatSectorList;
    for (int i = 0; i < 109 && quint32(fatSectorList.size()) < fatSectors; ++i)
        fatSectorList.append(u32(bytes, 0x4C + 4 * i));
    quint32 difat = u32(bytes, 0x44);
    for (quint32 hops = 0; quint32(fatSectorList.size()) < fatSectors; ++hops) {
        if (difat >= sectorCount || hops > sectorCount)
            cutShort(QStringLiteral("its allocation table is incomplete"));
        const qsizetype at = qsizetype(difat + 1) * m_sectorSize;
        const int perSector = m_sectorSize / 4 - 1;
        for (int i = 0; i < perSector && quint32(fatSectorList.size()) < fatSectors; ++i)
            fatSectorList.append(u32(bytes, at + 4 * i));
        difat = u32(bytes, at + 4 * perSector);
    }
    for (const quint32 sector : fatSectorList) {
        if (sector >= sectorCount)
            cutShort(QStringLiteral("its allocation table lies past the end of the file"));
        const qsizetype at = qsizetype(sector + 1) * m_sectorSize;
        for (int i = 0; i < m_sectorSize / 4; ++i)
            m_fat.append(u32(bytes, at + 4 * i));
    }

    const QByteArray directory = chain(u32(bytes, 0x30), 0, false);
    for (qsizetype at = 0; at + 128 <= directory.size(); at += 128) {
        Entry entry;
        const int nameBytes = std::min<int>(readAt<quint16>(directory, at + 0x40), 64);
        entry.name = QString::fromUtf16(reinterpret_cast<const char16_t *>(directory.constData() + at),
                                        std::max(0, nameBytes / 2 - 1));
        entry.type = quint8(directory[at + 0x42]);
        entry.start = u32(directory, at + 0x74);
        entry.size = readAt<quint64>(directory, at + 0x78);
        if (m_sectorSize == 512)
            entry.size &= 0xFFFFFFFF; // the high half is undefined in version 3 files
        m_entries.append(entry);
    }
    if (m_entries.isEmpty() || m_entries[0].type != 5)
        throw SheetRefusal{QStringLiteral("It is damaged: its directory has no root.")};
    m_miniStream = chain(m_entries[0].start, m_entries[0].size, false);
    quint32 miniFatSector = u32(bytes, 0x3C);
    const quint32 miniFatCount = u32(bytes, 0x40);
    if (miniFatCount > 0) {
        const QByteArray miniFat = chain(miniFatSector, quint64(miniFatCount) * m_sectorSize, false);
        for (qsizetype at = 0; at + 4 <= miniFat.size(); at += 4)
            m_miniFat.append(u32(miniFat, at));
    }
}

quint32 CompoundFile::fatEntry(const QList<quint32> &fat, quint32 sector) const
{
    if (sector >= quint32(fat.size()))
        cutShort(QStringLiteral("a stream runs past its allocation table"));
    return fat[sector];
}

// size 0 reads the chain to its end (the directory, whose size the header does not give).
QByteArray CompoundFile::chain(quint32 start, quint64 size, bool mini) const
{
    const QList<quint32> &fat = mini ? m_miniFat : m_fat;
    const int sectorSize = mini ? m_miniSectorSize : m_sectorSize;
    const QByteArray &source = mini ? m_miniStream : m_bytes;
    if (size > quint64(source.size()) + quint64(sectorSize))
        cutShort(QStringLiteral("a stream is longer than the file"));
    QByteArray data;
    quint32 sector = start;
    for (quint64 hops = 0; sector != EndOfChain && (size == 0 || quint64(data.size()) < size); ++hops) {
        if (sector == FreeSector || hops > quint64(fat.size()))
            cutShort(QStringLiteral("a stream's chain of sectors is broken"));
        const qsizetype at = mini ? qsizetype(sector) * sectorSize : qsizetype(sector + 1) * sectorSize;
        if (at < 0 || at + sectorSize > source.size())
            cutShort(QStringLiteral("a stream runs past the end of the file"));
        data.append(source.constData() + at, sectorSize);
        sector = fatEntry(fat, sector);
    }
    if (quint64(data.size()) < size)
        cutShort(QStringLiteral("a stream is shorter than its directory says"));
    if (size > 0)
        data.truncate(qsizetype(size));
    return data;
}

int CompoundFile::entryOf(const QString &name) const
{
    for (int i = 1; i < m_entries.size(); ++i)
        if (m_entries[i].type == 2 && m_entries[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QByteArray CompoundFile::stream(const QString &name) const
{
    const int index = entryOf(name);
    if (index < 0)
        throw SheetRefusal{QStringLiteral("It holds no workbook.")};
    const Entry &entry = m_entries[index];
    if (entry.size == 0)
        return QByteArray();
    return chain(entry.start, entry.size, entry.size < m_miniCutoff);
}
