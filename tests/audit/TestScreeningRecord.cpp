#include "TestSupport.h"
#include "audit/FileHistory.h"
#include "audit/ScreeningRecord.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

using TestSupport::readFile;
using TestSupport::writeFile;

class TestScreeningRecord : public QObject
{
    Q_OBJECT

private slots:
    void twoSearchesMakeOneChain();
    void tamperingIsFound_data();
    void tamperingIsFound();
    void damagedEndIsCutAndKept_data();
    void damagedEndIsCutAndKept();
    void hostileTextsStayOnOneLine_data();
    void hostileTextsStayOnOneLine();
    void readableByItsOwnerAlone();
    void unwritableRecordIsSaid();
    void appendsFromManyWritersKeepTheChain();
};

namespace {

ScreeningEntry person(const QString &lastName, const QString &outcome, const QStringList &records = {})
{
    ScreeningEntry entry;
    entry.mode = QString::fromLatin1(ScreeningEntry::GridMode);
    entry.listFile = "Veyra_No_Fly_1205.csv";
    entry.listRecords = 3;
    entry.listSha256 = "5a8316f99fcda86193f2f26648f3dcffe35596d2c45f5f4476f0939a1312acf1";
    entry.lastName = lastName;
    entry.firstAndMiddleName = "ARNO BEDE";
    entry.dateOfBirth = "3/14/1971";
    entry.match = records.isEmpty() ? "no match" : "match";
    entry.outcome = outcome;
    entry.records = records;
    return entry;
}

QByteArray sha256(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

QList<QByteArray> linesOf(const QString &path)
{
    QList<QByteArray> lines = readFile(path).split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// The line numbered seq instead, with its own hash made again to fit.
QByteArray renumbered(const QByteArray &line, const QByteArray &seq)
{
    QByteArray body = line.chopped(75) + "}";
    body = "{\"seq\":" + seq + body.mid(body.indexOf(','));
    return body.chopped(1) + ",\"hash\":\"" + sha256(body) + "\"}";
}

void writeLines(const QString &path, const QList<QByteArray> &lines)
{
    writeFile(path, lines.join('\n') + '\n');
}

// Five lines written by two searches, as a record holds them.
void twoSearches(const ScreeningRecord &record)
{
    const QDateTime first(QDate(2026, 12, 6), QTime(9, 30), Qt::UTC);
    QVERIFY(record
                .append({person("QUILLFEATHER", "red on yellow", {"100001"}), person("PEMBERLEAF", "unchanged")},
                        "agent", "desk-3", first)
                .ok);
    QVERIFY(record
                .append({person("MARROWBY", "red on yellow", {"100002", "100007"}), person("OSTBY", "unchanged"),
                         person("LAKE", "unchanged")},
                        "agent", "desk-3", first.addSecs(60))
                .ok);
}

} // namespace

void TestScreeningRecord::twoSearchesMakeOneChain()
{
    QTemporaryDir data;
    const ScreeningRecord record(data.path());
    twoSearches(record);

    const QList<QByteArray> lines = linesOf(record.path());
    QCOMPARE(lines.size(), 5);
    QVERIFY(lines[0].startsWith(
        "{\"seq\":1,\"time\":\"2026-12-06T09:30:00.000Z\",\"user\":\"agent\",\"machine\":\"desk-3\","
        "\"mode\":\"grid\",\"list\":\"Veyra_No_Fly_1205.csv\",\"listRecords\":3,"));
    QVERIFY(lines[0].contains("\"lastName\":\"QUILLFEATHER\","));
    QVERIFY(lines[0].contains("\"match\":\"match\",\"outcome\":\"red on yellow\",\"records\":[\"100001\"],"));
    QVERIFY(lines[2].contains("\"records\":[\"100002\",\"100007\"],"));
    QVERIFY(lines[3].contains("\"seq\":4,\"time\":\"2026-12-06T09:31:00.000Z\""));
    // The chain: the first line starts from zeros, each later one names the hash of the line before it.
    QVERIFY(lines[0].contains("\"prev\":\"0000000000000000000000000000000000000000000000000000000000000000\","));
    for (int i = 1; i < 5; ++i)
        QVERIFY2(lines[i].contains("\"prev\":\"" + sha256(lines[i - 1]) + "\""), qPrintable(QString::number(i)));
    // Each line's own hash covers its text without that field.
    const QByteArray own = lines[4].right(66).chopped(2);
    QCOMPARE(own, sha256(lines[4].chopped(75) + "}"));

    const ScreeningRecord::Check check = record.verify();
    QVERIFY2(check.whole, qPrintable(check.reason));
    QCOMPARE(check.lines, qint64(5));
    QCOMPARE(check.lastHash, sha256(lines[4]));
}

void TestScreeningRecord::tamperingIsFound_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<qint64>("badLine");
    QTest::addColumn<QString>("reason");
    newRow("an outcome edited", "edit 3", qint64(3), "changed");
    newRow("a name edited in the first line", "edit 1", qint64(1), "changed");
    newRow("a line removed", "remove 2", qint64(2), "does not follow");
    newRow("the first line removed", "remove 1", qint64(1), "lines before it were removed");
    newRow("two lines swapped", "swap 3", qint64(3), "does not follow");
    newRow("a line written twice", "repeat 2", qint64(3), "does not follow");
    newRow("an edit with its own hash made again", "rehash 2", qint64(3), "does not follow");
    newRow("two lines joined", "join 4", qint64(4), "not a record line");
    newRow("the last line cut short", "cut 5", qint64(6), "incomplete");
    newRow("a blank line put in", "blank 2", qint64(3), "not a record line");
    newRow("numbered past counting, its hash made again", "renumber 3 1e300", qint64(3), "not a record line");
    newRow("numbered by a fraction, its hash made again", "renumber 3 2.5", qint64(3), "not a record line");
    newRow("numbered below one, its hash made again", "renumber 1 0", qint64(1), "not a record line");
    newRow("numbered wrongly, its hash made again", "renumber 3 4", qint64(3), "numbered 4");
}

void TestScreeningRecord::tamperingIsFound()
{
    QFETCH(QString, change);
    QFETCH(qint64, badLine);
    QFETCH(QString, reason);
    QTemporaryDir data;
    const ScreeningRecord record(data.path());
    twoSearches(record);
    QList<QByteArray> lines = linesOf(record.path());
    const int at = change.section(' ', 1, 1).toInt() - 1;
    const QString what = change.section(' ', 0, 0);
    if (what == "edit") {
        lines[at].replace("red on yellow", "unchanged").replace("QUILLFEATHER", "QUILFEATHER");
    } else if (what == "remove") {
        lines.removeAt(at);
    } else if (what == "swap") {
        lines.swapItemsAt(at, at + 1);
    } else if (what == "repeat") {
        lines.insert(at + 1, lines[at]);
    } else if (what == "rehash") {
        QByteArray body = lines[at].chopped(75).replace("PEMBERLEAF", "PEMBERTON") + "}";
        lines[at] = body.chopped(1) + ",\"hash\":\"" + sha256(body) + "\"}";
    } else if (what == "renumber") {
        lines[at] = renumbered(lines[at], change.section(' ', 2).toLatin1());
    } else if (what == "join") {
        lines[at] += lines[at + 1];
        lines.removeAt(at + 1);
    } else if (what == "blank") {
        lines.insert(at + 1, QByteArray());
    }
    if (what == "cut")
        writeFile(record.path(), lines.join('\n') + '\n' + QByteArray("{\"seq\":6,\"time\":\"2026"));
    else
        writeLines(record.path(), lines);

    const ScreeningRecord::Check check = record.verify();
    QVERIFY(!check.whole);
    QCOMPARE(check.badLine, badLine);
    QVERIFY2(check.reason.contains(reason), qPrintable(check.reason));
}

namespace {
enum class Damage {
    CutMidLine,
    CutMidHash,
    ZeroFilled,
    ZerosMidAppend,
    NotARecord,
    NumberedPastCounting,
    EditedLastLine,
    EditedMiddleLine
};
}
Q_DECLARE_METATYPE(Damage)

// What a power cut can leave of the last append (two lines after the five of two searches), and what a hand can
// do to a record. The next append cuts back to the last line that holds only where a crash did the damage.
void TestScreeningRecord::damagedEndIsCutAndKept_data()
{
    QTest::addColumn<Damage>("damage");
    QTest::addColumn<bool>("repaired");
    QTest::addColumn<qint64>("linesAfter"); // after the next append of one line
    QTest::addColumn<qint64>("badLine");    // 0: verify holds afterwards

    newRow("cut mid-line", Damage::CutMidLine, true, qint64(6), qint64(0));
    newRow("cut mid-hash: the last line without its end", Damage::CutMidHash, true, qint64(7), qint64(0));
    newRow("zero-filled: the append's bytes never reached the disk", Damage::ZeroFilled, true, qint64(6), qint64(0));
    newRow("zeros inside its first line, its last line whole", Damage::ZerosMidAppend, true, qint64(6), qint64(0));
    newRow("a last line that is no record", Damage::NotARecord, true, qint64(8), qint64(0));
    newRow("a last line numbered past counting is no record", Damage::NumberedPastCounting, true, qint64(7), qint64(0));
    newRow("an edited last line is reported, never cut", Damage::EditedLastLine, false, qint64(8), qint64(7));
    newRow("an edited middle line is reported, never cut", Damage::EditedMiddleLine, false, qint64(8), qint64(3));
}

void TestScreeningRecord::damagedEndIsCutAndKept()
{
    QFETCH(Damage, damage);
    QFETCH(bool, repaired);
    QFETCH(qint64, linesAfter);
    QFETCH(qint64, badLine);
    QTemporaryDir data;
    const ScreeningRecord record(data.path());
    twoSearches(record);
    const QByteArray whole = readFile(record.path());
    QVERIFY(record.append({person("ROOK", "unchanged"), person("WREN", "unchanged")}, "agent", "desk-3").ok);
    QByteArray bytes = readFile(record.path());
    const qint64 appended = bytes.size() - whole.size();
    QByteArray expectedCut;
    switch (damage) {
    case Damage::CutMidLine:
        bytes = whole + "{\"seq\":6,\"time\":\"2026-12-06T09:3";
        expectedCut = "{\"seq\":6,\"time\":\"2026-12-06T09:3"; // 32 bytes
        break;
    case Damage::CutMidHash:
        bytes.chop(20);
        expectedCut = bytes.mid(bytes.lastIndexOf('\n', bytes.size() - 2) + 1);
        break;
    case Damage::ZeroFilled:
        bytes.replace(whole.size(), appended, QByteArray(appended, '\0'));
        expectedCut = QByteArray(appended, '\0');
        break;
    case Damage::ZerosMidAppend:
        bytes.replace(whole.size() + 40, 100, QByteArray(100, '\0'));
        expectedCut = bytes.mid(whole.size());
        break;
    case Damage::NotARecord:
        bytes += "hello\n";
        expectedCut = "hello\n";
        break;
    case Damage::NumberedPastCounting: {
        QList<QByteArray> lines = bytes.split('\n');
        lines[6] = renumbered(lines[6], "1e300");
        bytes = lines.join('\n');
        expectedCut = lines[6] + '\n';
        break;
    }
    case Damage::EditedLastLine:
        bytes.replace("WREN", "WRAN");
        break;
    case Damage::EditedMiddleLine:
        bytes.replace("MARROWBY", "MARROWBI");
        break;
    }
    writeFile(record.path(), bytes);
    QVERIFY(!record.verify().whole);

    const ScreeningRecord::Appended next = record.append({person("LAKE", "unchanged")}, "agent", "desk-3");
    QVERIFY2(next.ok, qPrintable(next.error));
    const ScreeningRecord::Check check = record.verify();
    QCOMPARE(check.lines, linesAfter);
    QCOMPARE(check.badLine, badLine);
    QCOMPARE(check.whole, badLine == 0);
    // The appended line is numbered by its place.
    QVERIFY(readFile(record.path()).endsWith('\n'));
    const QByteArray last = readFile(record.path()).trimmed().split('\n').last();
    QVERIFY2(last.startsWith("{\"seq\":" + QByteArray::number(linesAfter) + ','), last.constData());
    const QList<FileHistory::Item> kept = FileHistory(data.path()).items();
    if (!repaired) {
        QVERIFY(next.repair.isEmpty());
        QVERIFY(kept.isEmpty());
        return;
    }
    QVERIFY2(next.repair.contains(QStringLiteral("incomplete (%1 bytes").arg(expectedCut.size())),
             qPrintable(next.repair));
    QVERIFY(readFile(record.path()).startsWith(whole));
    // The piece cut off is in the history as it was, and cannot be put back over the record.
    QCOMPARE(kept.size(), 1);
    QCOMPARE(readFile(data.path() + "/History/" + kept[0].id), expectedCut);
    QString error;
    QVERIFY(!FileHistory(data.path()).restore(kept[0].id, {}, nullptr, &error));
    QVERIFY2(error.contains("screening record"), qPrintable(error));
    QCOMPARE(record.verify().lines, linesAfter);
}

void TestScreeningRecord::hostileTextsStayOnOneLine_data()
{
    QTest::addColumn<QString>("lastName");
    newRow("a double quote", "O\"NEIL");
    newRow("a backslash and a quote", "A\\\"B");
    newRow("a line feed", "SMITH\n{\"seq\":99}");
    newRow("a carriage return and a tab", "SMITH\r\tJONES");
    newRow("a NUL", QString("AB") + QChar(0) + "CD");
    newRow("the last control character", QString("AB") + QChar(0x1F) + "CD");
    newRow("Cyrillic and an emoji", u"МУХАММЕД \U0001F600"_qs);
    newRow("a long name", QString(5000, u'X'));
}

void TestScreeningRecord::hostileTextsStayOnOneLine()
{
    QFETCH(QString, lastName);
    QTemporaryDir data;
    const ScreeningRecord record(data.path());
    QVERIFY(record.append({person(lastName, "unchanged"), person("NEXT", "unchanged")}, "agent", "desk-3").ok);
    QCOMPARE(linesOf(record.path()).size(), 2);
    // Strict JSON, which other readers need: no control character but the line ends.
    for (const char c : readFile(record.path()))
        QVERIFY2(static_cast<unsigned char>(c) >= 0x20 || c == '\n', qPrintable(QString::number(int(c))));
    QStringList read;
    QVERIFY(
        record.read([&](qint64, const QJsonObject &fields) { read << fields.value("lastName").toString(); }, nullptr));
    QCOMPARE(read, (QStringList{lastName, "NEXT"}));
    QVERIFY(record.verify().whole);
}

void TestScreeningRecord::readableByItsOwnerAlone()
{
    QTemporaryDir data;
    const ScreeningRecord record(data.path());
    QVERIFY(record.append({person("LAKE", "unchanged")}, "agent", "desk-3").ok);
    QCOMPARE(QFile::permissions(record.path()) & 0x0777, QFileDevice::Permissions(0x0600));
}

void TestScreeningRecord::unwritableRecordIsSaid()
{
    QTemporaryDir data;
    // A folder where the record's file should be: nothing can be appended to it.
    QVERIFY(QDir(data.path()).mkdir(ScreeningRecord::FileName));
    const ScreeningRecord::Appended appended =
        ScreeningRecord(data.path()).append({person("LAKE", "unchanged")}, "agent", "desk-3");
    QVERIFY(!appended.ok);
    QVERIFY2(appended.error.contains(ScreeningRecord::FileName), qPrintable(appended.error));
}

// Each writer holds the lock for its whole append, so the lines of different searches never interleave and each
// chains to the one before it.
void TestScreeningRecord::appendsFromManyWritersKeepTheChain()
{
    QTemporaryDir data;
    std::vector<std::unique_ptr<QThread>> writers;
    for (int w = 0; w < 4; ++w) {
        writers.emplace_back(QThread::create([&data, w] {
            const ScreeningRecord record(data.path());
            for (int i = 0; i < 25; ++i)
                record.append({person(QString("W%1-%2").arg(w).arg(i), "unchanged"), person("SECOND", "unchanged")},
                              "agent", "desk-3");
        }));
        writers.back()->start();
    }
    for (auto &writer : writers)
        writer->wait();
    const ScreeningRecord::Check check = ScreeningRecord(data.path()).verify();
    QVERIFY2(check.whole, qPrintable(check.reason));
    QCOMPARE(check.lines, qint64(200));
}

VEYRA_TEST(TestScreeningRecord)
#include "TestScreeningRecord.moc"
