#include "TestSupport.h"
#include "settings/CompanyInfoFile.h"

#include <QTemporaryDir>

using TestSupport::readFile;
using TestSupport::writeFile;

class TestCompanyInfoFile : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void writtenFileIsOneLineOfFiftyValues();
    void emailAddress_data();
    void emailAddress();
    void refusal_data();
    void refusal();
};

namespace {

// The 50 values of a file as this program writes it, as raw text.
QStringList sampleTokens()
{
    QStringList t = {"\"0x00000000\"", "\"0x0000\"", "\"ACME Air, Inc.\"",
                     "\"keep4\"",      "\"keep5\"",  "2",
                     "\"\"",           "\"\"",       "\"ops@acme.test;duty@acme.test\"",
                     "\"keep10\"",     "\"0\"",      "\"smtp.acme.test\"",
                     "\"mailer\"",     "\"s3cret\"", "587"};
    for (int i = 16; i <= 41; ++i)
        t << "\"\"";
    t << "77";
    for (int i = 43; i <= 50; ++i)
        t << "\"\"";
    return t;
}

QByteArray line(const QStringList &tokens)
{
    return tokens.join(',').toUtf8() + "\r\n";
}

} // namespace

void TestCompanyInfoFile::read_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<QString>("company");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("port");

    const QStringList full = sampleTokens();
    newRow("file as written", line(full), true, "ACME Air, Inc.", "s3cret", 587);
    // A comma splits a comment line into two values, and the second one shifts every position by one.
    newRow("comment line with a comma shifts the values", QByteArray("#note, with a comma\r\n") + line(full), false,
           "0x0000", "mailer", 0);
    newRow("comment lines without commas are skipped", QByteArray("# written by hand\r\n#second\r\n") + line(full),
           true, "ACME Air, Inc.", "s3cret", 587);
    newRow("positions 43 to 50 missing", line(full.mid(0, 42)), true, "ACME Air, Inc.", "s3cret", 587);
    newRow("positions 43 to 50 hold anything", line(full.mid(0, 42) + QStringList{"junk", "\"x,y\""}), true,
           "ACME Air, Inc.", "s3cret", 587);
    newRow("short file keeps what came before the end", line(full.mid(0, 14)), false, "ACME Air, Inc.", "s3cret", 0);
    newRow("port that is no number stops the reading", line(full.mid(0, 14) + QStringList{"\"abc\""} + full.mid(15)),
           false, "ACME Air, Inc.", "s3cret", 0);
    newRow("port beyond 16 bits stops the reading", line(full.mid(0, 14) + QStringList{"70000"} + full.mid(15)), false,
           "ACME Air, Inc.", "s3cret", 0);
    newRow("empty file", QByteArray(), false, "", "", 0);
}

void TestCompanyInfoFile::read()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, complete);
    QFETCH(QString, company);
    QFETCH(QString, password);
    QFETCH(int, port);

    QTemporaryDir dir;
    writeFile(dir.filePath(CompanyInfoFile::FileName), file);
    const CompanyInfoFile::ReadResult result = CompanyInfoFile::read(dir.path());
    QCOMPARE(result.complete, complete);
    QCOMPARE(result.info.companyName, company);
    QCOMPARE(result.info.smtpPassword, password);
    QCOMPARE(int(result.info.smtpPort), port);
    if (complete) {
        QCOMPARE(result.info.emailAddress, QStringLiteral("ops@acme.test;duty@acme.test"));
        QCOMPARE(result.info.smtpServer, QStringLiteral("smtp.acme.test"));
        QCOMPARE(result.info.smtpUser, QStringLiteral("mailer"));
    }
}

void TestCompanyInfoFile::writtenFileIsOneLineOfFiftyValues()
{
    QTemporaryDir dir;
    writeFile(dir.filePath(CompanyInfoFile::FileName), line(sampleTokens()));
    const CompanyInfo info = CompanyInfoFile::read(dir.path()).info;

    QTemporaryDir out;
    QVERIFY(CompanyInfoFile::write(out.path(), info, nullptr));
    // Unused positions 4, 5, 10 and 42 come back as they were read.
    QCOMPARE(readFile(out.filePath(CompanyInfoFile::FileName)), line(sampleTokens()));
    QCOMPARE(QFile::permissions(out.filePath(CompanyInfoFile::FileName)) & (QFile::ReadOther | QFile::ReadGroup),
             QFile::Permissions());
}

void TestCompanyInfoFile::emailAddress_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    newRow("one address", "ops@acme.test", true);
    newRow("two separated by a semicolon", "a@x.test;b@y.test", true);
    newRow("two separated by a comma", "a@x.test,b@y.test", false);
    newRow("no at sign", "ops.acme.test", false);
    newRow("empty", "", false);
}

void TestCompanyInfoFile::emailAddress()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QCOMPARE(CompanyInfoFile::isValidEmailAddress(text), valid);
}

void TestCompanyInfoFile::refusal_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("refusalStart");

    const QString email = CompanyInfoFile::EmailMessage;
    newRow("valid settings", "port", "25", "");
    newRow("lowest port", "port", "-32768", "");
    newRow("port with blanks", "port", " 465 ", "");
    newRow("port beyond 16 bits", "port", "32768", "SMTP Port must be a whole number");
    newRow("port with a fraction", "port", "25.5", "SMTP Port must be a whole number");
    newRow("empty port", "port", "", "SMTP Port must be a whole number");
    newRow("bad email comes first", "email", "a@x.test,b@y.test", email);
    newRow("quote in the company name", "company", "The \"Best\" Air", "Company Name must not");
    newRow("quote in the password", "password", "pa\"ss", "Password must not");
}

void TestCompanyInfoFile::refusal()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, refusalStart);

    SettingsFields fields{"ACME", "ops@acme.test", "smtp.test", "user", "secret", "25"};
    QString *target = field == "port"      ? &fields.smtpPort
                      : field == "email"   ? &fields.emailAddress
                      : field == "company" ? &fields.companyName
                                           : &fields.password;
    *target = text;
    const QString refusal = CompanyInfoFile::refusal(fields);
    if (refusalStart.isEmpty())
        QVERIFY2(refusal.isEmpty(), qPrintable(refusal));
    else
        QVERIFY2(refusal.startsWith(refusalStart), qPrintable(refusal));
}

VEYRA_TEST(TestCompanyInfoFile)
#include "TestCompanyInfoFile.moc"
