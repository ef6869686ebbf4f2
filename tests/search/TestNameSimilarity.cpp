#include "TestSupport.h"
#include "search/NameNormaliser.h"
#include "search/NameSimilarity.h"
#include "search/NameVariants.h"

// Names brought to one form, and how alike two words of them are.
class TestNameSimilarity : public QObject
{
    Q_OBJECT

private slots:
    void normalisedWords_data();
    void normalisedWords();
    void asciiBytesStayBytes();
    void phoneticKeys_data();
    void phoneticKeys();
    void jaroWinklerOfPublishedPairs_data();
    void jaroWinklerOfPublishedPairs();
    void wordSimilarity_data();
    void wordSimilarity();
    void withinTwoEdits_data();
    void withinTwoEdits();
    void variantTable_data();
    void variantTable();
};

void TestNameSimilarity::normalisedWords_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("words");
    newRow("letter case", "o'Brien", "OBRIEN");
    newRow("typographic apostrophe joins", u"O\u2019BRIEN"_qs, "OBRIEN");
    newRow("hyphen separates, diacritics fold", u"Garc\u00eda-L\u00f3pez"_qs, "GARCIA LOPEZ");
    newRow("runs of blanks and blanks around", u"  M\u00dcLLER   von  "_qs, "MULLER VON");
    newRow("sharp s", u"Stra\u00dfe"_qs, "STRASSE");
    newRow("stroke letters", u"\u0141UKASZ \u00d8STERG\u00c5RD"_qs, "LUKASZ OSTERGARD");
    newRow("compatibility ligature", u"\ufb01nn"_qs, "FINN");
    newRow("full-width letters", u"\uff21\uff22\uff23"_qs, "ABC");
    newRow("Cyrillic transliterated", u"\u041c\u0423\u0425\u0410\u041c\u041c\u0415\u0414"_qs, "MUHAMMED");
    newRow("Greek transliterated", u"\u0393\u03b9\u03ce\u03c1\u03b3\u03bf\u03c2"_qs, "GIORGOS");
    newRow("dots and commas separate", "J.R. SMITH, jr", "J R SMITH JR");
    newRow("digits are kept", "LOUIS XIV 2ND", "LOUIS XIV 2ND");
    newRow("only marks", "-- ' .", "");
    newRow("empty", "", "");
}

void TestNameSimilarity::normalisedWords()
{
    QFETCH(QString, name);
    QFETCH(QString, words);
    QStringList found;
    for (const std::string &word : NameNormaliser::tokens(name))
        found.append(QString::fromStdString(word));
    QCOMPARE(found.join(u' '), words);
}

void TestNameSimilarity::asciiBytesStayBytes()
{
    std::vector<std::string> out{"KEPT"};
    QVERIFY(NameNormaliser::asciiTokens("de la cruz", out));
    QCOMPARE(out, (std::vector<std::string>{"KEPT", "DE", "LA", "CRUZ"}));
    // Windows-1252 bytes are not ASCII: the caller decodes them first.
    QVERIFY(!NameNormaliser::asciiTokens("M\xdcLLER", out));
    QCOMPARE(out.size(), size_t(4));
}

void TestNameSimilarity::phoneticKeys_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("other");
    newRow("MOHAMMED", "MOHAMMED", "MHMT", "");
    newRow("MUHAMMAD", "MUHAMMAD", "MHMT", "");
    newRow("MOHAMAD", "MOHAMAD", "MHMT", "");
    newRow("YOUSEF: initial Y before a vowel is J", "YOUSEF", "JSF", "");
    newRow("YUSUF", "YUSUF", "JSF", "");
    newRow("JUSUF", "JUSUF", "JSF", "");
    newRow("SERGEJ: J after a vowel is Y", "SERGEJ", "SRG", "");
    newRow("SERGEY", "SERGEY", "SRG", "");
    newRow("KHALID: KH is H", "KHALID", "HLT", "");
    newRow("MUSTAPHA: PH is F", "MUSTAPHA", "MSTF", "");
    newRow("OSAMA: initial vowel is A", "OSAMA", "ASM", "");
    newRow("USAMA", "USAMA", "ASM", "");
    newRow("AHMED: H before a consonant is silent", "AHMED", "AMT", "");
    newRow("ALEXANDER: X is KS", "ALEXANDER", "ALKSNTR", "");
    newRow("TCHAIKOV: TCH is CH", "TCHAIKOV", "XKV", "");
    newRow("QURESHI: Q is K, SH is one sound", "QURESHI", "KRX", "");
    newRow("OTHMAN has a reading with S", "OTHMAN", "ATMN", "ASMN");
    newRow("OSMAN", "OSMAN", "ASMN", "");
    newRow("SMITH", "SMITH", "SMT", "SMS");
}

void TestNameSimilarity::phoneticKeys()
{
    QFETCH(QString, word);
    QFETCH(QString, key);
    QFETCH(QString, other);
    QCOMPARE(QString::fromStdString(NameSimilarity::phoneticKey(word.toStdString())), key);
    QCOMPARE(QString::fromStdString(NameSimilarity::otherPhoneticKey(word.toStdString())), other);
}

void TestNameSimilarity::jaroWinklerOfPublishedPairs_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<double>("similarity");
    // The pairs of Winkler's papers, as the literature quotes them.
    newRow("MARTHA / MARHTA", "MARTHA", "MARHTA", 0.961);
    newRow("DWAYNE / DUANE", "DWAYNE", "DUANE", 0.840);
    newRow("DIXON / DICKSONX", "DIXON", "DICKSONX", 0.813);
    newRow("equal", "SMITH", "SMITH", 1.0);
    newRow("nothing in common", "ABC", "XYZ", 0.0);
    newRow("one side empty", "", "XYZ", 0.0);
}

void TestNameSimilarity::jaroWinklerOfPublishedPairs()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(double, similarity);
    QCOMPARE(std::round(NameSimilarity::jaroWinkler(a.toStdString(), b.toStdString()) * 1000) / 1000, similarity);
    QCOMPARE(std::round(NameSimilarity::jaroWinkler(b.toStdString(), a.toStdString()) * 1000) / 1000, similarity);
}

void TestNameSimilarity::wordSimilarity_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<double>("atLeast");
    QTest::addColumn<double>("below");
    newRow("equal words", "HASSAN", "HASSAN", 1.0, 1.01);
    newRow("transliterations are close", "MOHAMMED", "MUHAMMAD", 0.92, 0.95);
    newRow("short transliterations too", "ALI", "ALY", 0.9, 0.95);
    newRow("the other reading counts", "OTHMAN", "OSMAN", 0.9, 0.95);
    newRow("one letter mistyped in a long name", "QUILLFEATHER", "QUILFEATHER", 0.95, 1.0);
    newRow("one key, little else alike", "OMAR", "AMIR", 0.8, 0.85);
    newRow("different names", "JOHN", "ANNA", 0.0, 0.6);
}

void TestNameSimilarity::wordSimilarity()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(double, atLeast);
    QFETCH(double, below);
    const double similarity = NameSimilarity::wordSimilarity(a.toStdString(), b.toStdString());
    QVERIFY2(similarity >= atLeast && similarity < below, qPrintable(QString::number(similarity)));
}

void TestNameSimilarity::withinTwoEdits_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<bool>("within");
    newRow("equal", "SMITH", "SMITH", true);
    newRow("two neighbours swapped count once", "SMIHT", "SMITH", true);
    newRow("ending of two letters", "IVANOFF", "IVANOV", true);
    newRow("two changed", "PAPAYIORGIOU", "PAPAGEORGIOU", true);
    newRow("three changed", "QUANGX", "TUANYZ", false);
    newRow("three letters longer", "BERG", "BERGMAN", false);
    newRow("another word", "ORTIZ", "MARTINEZ", false);
    newRow("a swap and a change", "JHONS", "JOHNY", true);
    newRow("one side empty, two letters", "", "AB", true);
}

void TestNameSimilarity::withinTwoEdits()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(bool, within);
    QCOMPARE(NameSimilarity::withinTwoEdits(a.toStdString(), b.toStdString()), within);
    QCOMPARE(NameSimilarity::withinTwoEdits(b.toStdString(), a.toStdString()), within);
}

void TestNameSimilarity::variantTable_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<bool>("same");
    newRow("Korean surname", "YI", "RHEE", true);
    newRow("Korean PARK", "BAK", "PAK", true);
    newRow("Wade-Giles and pinyin", "HSIEH", "XIE", true);
    newRow("one word in two groups", "CHANG", "ZHANG", true);
    newRow("and in the other", "CHANG", "JANG", true);
    newRow("but the groups stay apart", "ZHANG", "JANG", false);
    newRow("ending -OFF", "SMIRNOFF", "SMIRNOV", true);
    newRow("ending -OW", "WOLKOW", "WOLKOV", true);
    newRow("ending -SKIY", "KOVALSKIY", "KOVALSKY", true);
    newRow("a stem too short for an ending", "KOFF", "KOV", false);
    newRow("equal words are not variants", "LEE", "LEE", false);
    newRow("unknown words", "SMITH", "JONES", false);
}

void TestNameSimilarity::variantTable()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(bool, same);
    QCOMPARE(NameVariants::sameName(a.toStdString(), b.toStdString()), same);
    QCOMPARE(NameVariants::sameName(b.toStdString(), a.toStdString()), same);
    // Particles and what is written onto a surname.
    QVERIFY(NameVariants::isParticle("VAN") && NameVariants::isParticle("DOS") && !NameVariants::isParticle("LE"));
    QCOMPARE(NameVariants::withoutPrefix("ALSAYED"), std::string("SAYED"));
    QCOMPARE(NameVariants::withoutPrefix("ALI"), std::string());
    QCOMPARE(NameVariants::coreWords({"VAN", "DER", "BERG"}), (std::vector<std::string>{"BERG"}));
    QCOMPARE(NameVariants::coreWords({"DE", "LA"}), (std::vector<std::string>{"DE", "LA"}));
}

VEYRA_TEST(TestNameSimilarity)
#include "TestNameSimilarity.moc"
