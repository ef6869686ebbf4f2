#include "TestSupport.h"
#include "engine/ComparisonKey.h"

#include <random>

class TestComparisonKey : public QObject
{
    Q_OBJECT

private slots:
    void sameKey_data();
    void sameKey();
    void asciiShortcutAgreesWithTheFullRule();
};

void TestComparisonKey::sameKey_data()
{
    QTest::addColumn<QString>("listed");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("equal");

    newRow("letter case", "Smith", "SMITH", true);
    newRow("blanks around", "  SMITH\t", "SMITH", true);
    newRow("no-break space after", QString::fromUtf8("SMITH\u00A0"), "SMITH", true);
    newRow("a run of blanks inside is one", "ANNA  MARIA", "ANNA MARIA", true);
    newRow("a blank inside still counts", "VANDER", "VAN DER", false);
    newRow("sharp s is SS", QString::fromUtf8("STRAßE"), "STRASSE", true);
    newRow("sharp s typed and upper-cased", QString::fromUtf8("straße"), QString::fromUtf8("STRAßE").toUpper(), true);
    newRow("capital sharp s", QString::fromUtf8("STRAẞE"), "STRASSE", true);
    newRow("dotless i", QString::fromUtf8("YıLMAZ"), "YILMAZ", true);
    newRow("dotted capital I", QString::fromUtf8("İLHAN"), "ILHAN", true);
    newRow("fi ligature", QString::fromUtf8("ﬁNN"), "FINN", true);
    newRow("umlaut folded", QString::fromUtf8("MÜLLER"), "MULLER", true);
    newRow("acute folded, typed accented", QString::fromUtf8("JOSÉ"), QString::fromUtf8("josé"), true);
    newRow("decomposed accent", QString::fromUtf8("JOSE\u0301"), QString::fromUtf8("JOSÉ"), true);
    newRow("Polish L with stroke", QString::fromUtf8("ŁUKASZ"), "LUKASZ", true);
    newRow("Danish O with stroke", QString::fromUtf8("SØREN"), "SOREN", true);
    newRow("ae ligature", QString::fromUtf8("Æsa"), "AESA", true);
    newRow("fullwidth letters", QString::fromUtf8("ＳＭＩＴＨ"), "SMITH", true);
    newRow("Greek final sigma", QString::fromUtf8("ΟΔΥΣΣΕΥΣ"), QString::fromUtf8("οδυσσευς"), true);
    newRow("Cyrillic is not Latin", QString::fromUtf8("СМИТ"), "SMIT", false);
    newRow("different names stay apart", "MULLER", "MILLER", false);
    newRow("invisible characters", QString::fromUtf8("\uFEFFSMI\u00ADTH\u200B"), "SMITH", true);
    newRow("empty equals blanks", "", "   ", true);
}

void TestComparisonKey::sameKey()
{
    QFETCH(QString, listed);
    QFETCH(QString, typed);
    QFETCH(bool, equal);
    const std::string a = ComparisonKey::of(listed);
    const std::string b = ComparisonKey::of(typed);
    QCOMPARE(a == b, equal);
}

// The engine takes a shortcut for ASCII fields; a field must get the same key whichever way it is read.
void TestComparisonKey::asciiShortcutAgreesWithTheFullRule()
{
    std::mt19937 rng(7);
    for (int i = 0; i < 2000; ++i) {
        std::string text(rng() % 12, ' ');
        for (char &c : text)
            c = char(rng() % 128);
        std::string shortcut;
        QVERIFY(ComparisonKey::ofAscii(text, shortcut));
        const QString full = QString::fromLatin1(text.data(), qsizetype(text.size()));
        QCOMPARE(ComparisonKey::ofAnyText(full), shortcut);
    }
    std::string out = "untouched";
    QVERIFY(!ComparisonKey::ofAscii("M\xC3\x9CLLER", out));
    QCOMPARE(out, std::string("untouched"));
}

VEYRA_TEST(TestComparisonKey)
#include "TestComparisonKey.moc"
