#pragma once

#include <QList>
#include <QString>

// What the program knows of a watch-list file by its name, and the result grid's columns.
namespace WatchListFile {

inline constexpr auto Pattern = "Veyra_*.csv";
// The one table name every statement uses: it stands for the active list, which keeps its own name.
inline constexpr auto WorkingName = "Veyra.csv";

// The list kind is never stored: it is read off the selected path each time, by exact, case-sensitive
// substring tests, so "no_fly" is an other list.
bool isNoFly(const QString &path);
bool isSelectee(const QString &path);
bool isCleared(const QString &path);

struct HeaderColumn
{
    QString text;
    int baseWidthTwips; // 0: as wide as the header text in the window's font
};
// The eleven columns of the result grid, in file order.
const QList<HeaderColumn> &resultHeader();

// Added to every column's base width.
inline constexpr int HeaderPaddingTwips = 240;

} // namespace WatchListFile
