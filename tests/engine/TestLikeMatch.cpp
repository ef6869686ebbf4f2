#include "TestSupport.h"
#include "engine/LikeMatch.h"

#include <random>

class TestLikeMatch : public QObject
{
    Q_OBJECT

private slots:
    void matches_data();
    void matches();
    void agreesWithBacktracking();
};

namespace {

// The definition, word for word: every way of letting % take a run is tried.
bool byDefinition(std::string_view text, std::string_view pattern)
{
    if (pattern.empty())
        return text.empty();
    if (pattern[0] == '%')
        return byDefinition(text, pattern.substr(1)) || (!text.empty() && byDefinition(text.substr(1), pattern));
    return !text.empty() && (pattern[0] == '_' || pattern[0] == text[0]) &&
           byDefinition(text.substr(1), pattern.substr(1));
}

} // namespace

void TestLikeMatch::matches_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("pattern");
    QTest::addColumn<bool>("match");

    newRow("prefix", QByteArray("johnny"), QByteArray("john%"), true);
    newRow("pieces in order", QByteArray("anna maria luisa"), QByteArray("%maria%luisa"), true);
    newRow("pieces out of order", QByteArray("anna luisa maria"), QByteArray("%maria%luisa"), false);
    newRow("a piece longer than a word", QByteArray(70, 'a') + "b", "%" + QByteArray(69, 'a') + "_", true);
    newRow("a piece of over a word's length on mixed text", "x" + QByteArray("ab").repeated(40) + "y",
           "%" + QByteArray("ab").repeated(40) + "%", true);
    newRow("the same piece, one letter short in the text", "x" + QByteArray("ab").repeated(39) + "ay",
           "%" + QByteArray("ab").repeated(40) + "%", false);
    QByteArray field(1 << 20, 'a');
    field += 'b';
    newRow("a long field against a pattern that made backtracking crawl", field, "%" + QByteArray(255, 'a') + "b",
           true);
    newRow("the same, never found", QByteArray(1 << 20, 'a'), "%" + QByteArray(254, 'a') + "b%", false);
}

void TestLikeMatch::matches()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, pattern);
    QFETCH(bool, match);
    QCOMPARE(LikeMatch::matches<char>(std::string_view(text.constData(), size_t(text.size())),
                                      std::string_view(pattern.constData(), size_t(pattern.size()))),
             match);
}

void TestLikeMatch::agreesWithBacktracking()
{
    std::mt19937 rng(11);
    const char letters[] = {'a', 'b', '_', '%'};
    for (int i = 0; i < 20000; ++i) {
        std::string text(rng() % 9, 'a'), pattern(rng() % 7, 'a');
        for (char &c : text)
            c = letters[rng() % 2];
        for (char &c : pattern)
            c = letters[rng() % 4];
        QVERIFY2(LikeMatch::matches<char>(text, pattern) == byDefinition(text, pattern),
                 qPrintable(QString::fromStdString(text + " LIKE " + pattern)));
    }
}

VEYRA_TEST(TestLikeMatch)
#include "TestLikeMatch.moc"
