#include "TestSupport.h"
#include "manifest/ManifestScreening.h"
#include "search/RowMarks.h"

using SearchedRow = ManifestScreening::SearchedRow;
using Placements = QList<ManifestScreening::Placement>;

Q_DECLARE_METATYPE(SearchedRow)
Q_DECLARE_METATYPE(Rgb)

class TestManifestScreening : public QObject
{
    Q_OBJECT

private slots:
    void place_data();
    void place();
};

namespace {

SearchedRow person(const QString &lastName, const QString &firstName = "A", Rgb fore = RowColors::Black,
                   Rgb back = RowColors::White)
{
    return {lastName, firstName, "1/1/1970", "P-" + lastName, fore, back, {}};
}

QList<SearchedRow> nameRows(const QMap<int, SearchedRow> &filled)
{
    QList<SearchedRow> rows;
    for (int k = 0; k < 10; ++k)
        rows.append(filled.value(k, SearchedRow{}));
    return rows;
}

QStringList fullNames(const QList<int> &filledRows)
{
    QStringList names(49);
    for (int r : filledRows)
        names[r - 1] = QStringLiteral("PERSON %1").arg(r);
    return names;
}

} // namespace

void TestManifestScreening::place_data()
{
    QTest::addColumn<QStringList>("manifest");
    QTest::addColumn<QList<SearchedRow>>("rows");
    QTest::addColumn<QStringList>("placed"); // "row: name", in the order of the name rows
    QTest::addColumn<int>("leftOut");

    const auto rows025 = nameRows({{0, person("ONE")}, {2, person("TWO")}, {5, person("THREE")}});
    const QStringList three{"1: A ONE", "2: A TWO", "3: A THREE"};
    newRow("name rows 0, 2, 5 onto an empty manifest", fullNames({}), rows025, three, 0);
    newRow("below a block of four", fullNames({1, 2, 3, 4}), rows025, QStringList{"5: A ONE", "6: A TWO", "7: A THREE"},
           0);
    newRow("into the gap after the first block, over row 6", fullNames({1, 2, 3, 6}), rows025,
           QStringList{"4: A ONE", "5: A TWO", "6: A THREE"}, 0);
    newRow("first name without last name is passed over", fullNames({}),
           nameRows({{0, person("", "ONLY FIRST")}, {1, person("ONE")}}), QStringList{"1: A ONE"}, 0);
    newRow("no names, nothing placed", fullNames({}), nameRows({}), QStringList{}, 0);

    QList<int> full;
    for (int r = 1; r <= 49; ++r)
        full.append(r);
    newRow("a full manifest takes nobody", fullNames(full), rows025, QStringList{}, 3);
    newRow("row 49 is the last one given", fullNames(full.mid(0, 47)), rows025, QStringList{"48: A ONE", "49: A TWO"},
           1);
}

// Each person goes with its own date and passport.
void TestManifestScreening::place()
{
    QFETCH(QStringList, manifest);
    QFETCH(QList<SearchedRow>, rows);
    QFETCH(QStringList, placed);
    QFETCH(int, leftOut);

    const ManifestScreening::Result result = ManifestScreening::place(manifest, rows);
    QStringList got;
    for (const auto &p : result.placements) {
        got.append(QStringLiteral("%1: %2").arg(p.row).arg(p.fullName));
        QCOMPARE(p.passport, "P-" + p.fullName.section(' ', -1));
        QCOMPARE(p.dateOfBirth, "1/1/1970");
    }
    QCOMPARE(got, placed);
    QCOMPARE(result.leftOut, leftOut);
}

VEYRA_TEST(TestManifestScreening)
#include "TestManifestScreening.moc"
