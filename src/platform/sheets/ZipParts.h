#pragma once

#include <QByteArray>
#include <QString>

struct zip;

// The parts of a ZIP container held in memory, read whole and checked: a part that fails its checksum, is
// larger than MaxPartBytes or inflates more than MaxRatio times is refused, never half-read.
class ZipParts
{
public:
    static constexpr qint64 MaxPartBytes = 64LL * 1024 * 1024;
    static constexpr int MaxRatio = 100;
    // Parts smaller than this are never judged by their ratio: short runs of markup compress far.
    static constexpr qint64 RatioFloorBytes = 64 * 1024;

    // Throws SheetRefusal when bytes are not a readable ZIP archive. bytes must outlive this object.
    explicit ZipParts(const QByteArray &bytes);
    ~ZipParts();
    ZipParts(const ZipParts &) = delete;
    ZipParts &operator=(const ZipParts &) = delete;

    // Part names compare without regard to letter case, as packages name them either way.
    bool has(const QString &name) const;
    // Throws SheetRefusal naming the part when it cannot be read whole.
    QByteArray read(const QString &name) const;

private:
    zip *m_archive = nullptr;
};
