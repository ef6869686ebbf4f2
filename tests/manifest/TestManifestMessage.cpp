#include "TestSupport.h"
#include "manifest/ManifestMessage.h"

Q_DECLARE_METATYPE(ManifestMessage::Inputs)

class TestManifestMessage : public QObject
{
    Q_OBJECT

private slots:
    void build_data();
    void build();
};

namespace {

const QString Head = "<HTML><HEAD></HEAD><BODY><TABLE border=0 cellSpacing=20 cellPadding=10 ><TBODY>"
                     "<TR><TH><TH align=center colspan=6>%1</TH>"
                     "<TR><TH><TH align=Center colspan=6>Manifest #: %2</TH>"
                     "<TR><TH align=left>#</TH><TH align=Left>Fullname</TH><TH align=Left>Sex</TH>"
                     "<TH align=Left>Passport Info</TH><TH align=Left>Visa/ARC</TH><TH align=Left>Date of Birth</TH>"
                     "<TH align=Left>Veyra Status</TH><TR>";
const QString Tail = "<TH align=left  colspan=2>No-Fly List #</TH><TH align=Left colspan=4>%1</TH>"
                     "<TH align=left  colspan=2>Selectee List #</TH><TH align=Left colspan=4>%2</TH>"
                     "</TBody></Table></BODY></HTML>";

// A person's row as the message writes it.
QString row(const char *number, const char *name, const char *sex, const char *passport, const char *visa,
            const char *born, const char *status)
{
    return QStringLiteral("<TH align=left>%1</TH><TH align=Left>%2</TH><TH align=Left>%3</TH><TH align=Left>%4</TH>"
                          "<TH align=Left>%5</TH><TH align=Left>%6</TH><TH align=Left style=Width:200>%7</TH><TR>")
        .arg(number, name, sex, passport, visa, born, status);
}

// Grid rows 1 to 49 as the window holds them: numbered, the given persons from row 1 on.
QList<QStringList> grid(const QList<QStringList> &persons)
{
    QList<QStringList> rows;
    for (int r = 1; r <= 49; ++r) {
        QStringList cells = persons.value(r - 1, QStringList(7));
        cells[0] = QString::number(r);
        rows.append(cells);
    }
    return rows;
}

} // namespace

void TestManifestMessage::build_data()
{
    QTest::addColumn<ManifestMessage::Inputs>("inputs");
    QTest::addColumn<QString>("html");

    const QString lists = Tail.arg("Veyra_No_Fly_1205.csv", "Veyra_Selectee_1205.csv");
    newRow("empty manifest: titles, header and list names only",
           ManifestMessage::Inputs{"ACME Air", "123", grid({}), "Veyra_No_Fly_1205.csv", "Veyra_Selectee_1205.csv"},
           Head.arg("ACME Air", "123") + lists);

    const QStringList a{"", "ARNO QUILLFEATHER", "M", "P1", "V1", "3/14/1971", "NO FLY"};
    const QStringList b{"", "CELESTE MARROWBY", "F", "", "", "11/2/1984", "SSSS"};
    const QStringList c{"", "ORSOLYA PEMBERLEAF", "", "PB44", "", "7/30/1990", "CLEARED"};
    newRow(
        "three persons, numbered from 1",
        ManifestMessage::Inputs{"ACME Air", "7", grid({a, b, c}), "Veyra_No_Fly_1205.csv", "Veyra_Selectee_1205.csv"},
        Head.arg("ACME Air", "7") + row("1", "ARNO QUILLFEATHER", "M", "P1", "V1", "3/14/1971", "NO FLY") +
            row("2", "CELESTE MARROWBY", "F", "", "", "11/2/1984", "SSSS") +
            row("3", "ORSOLYA PEMBERLEAF", "", "PB44", "", "7/30/1990", "CLEARED") + lists);

    // Rows 1, 2 and 4 filled: three rows are rendered from the top, the empty row 3 among them.
    const QList<QStringList> gap = grid({a, b, QStringList(7), c});
    newRow("a gap counts filled rows, renders the top ones",
           ManifestMessage::Inputs{"ACME Air", "7", gap, "Veyra_No_Fly_1205.csv", "Veyra_Selectee_1205.csv"},
           Head.arg("ACME Air", "7") + row("1", "ARNO QUILLFEATHER", "M", "P1", "V1", "3/14/1971", "NO FLY") +
               row("2", "CELESTE MARROWBY", "F", "", "", "11/2/1984", "SSSS") + row("3", "", "", "", "", "", "") +
               lists);

    const QStringList marked{"", "O'NEIL & <SONS>", "", "<img src=http://x/y.png>", "", "\"1/2/1960\"", "CLEARED"};
    newRow("markup in any value is written as entities",
           ManifestMessage::Inputs{"A&B <Air>", "<1>", grid({marked}), "a&b.csv", "\"s\".csv"},
           Head.arg("A&amp;B &lt;Air&gt;", "&lt;1&gt;") +
               row("1", "O'NEIL &amp; &lt;SONS&gt;", "", "&lt;img src=http://x/y.png&gt;", "", "&quot;1/2/1960&quot;",
                   "CLEARED") +
               Tail.arg("a&amp;b.csv", "&quot;s&quot;.csv"));

    newRow("no list selected leaves the value cells empty", ManifestMessage::Inputs{"", "", grid({}), "", ""},
           Head.arg("", "") + Tail.arg("", ""));
}

void TestManifestMessage::build()
{
    QFETCH(ManifestMessage::Inputs, inputs);
    QFETCH(QString, html);
    QCOMPARE(ManifestMessage::build(inputs), html);
    QVERIFY(!html.contains('\n'));
}

VEYRA_TEST(TestManifestMessage)
#include "TestManifestMessage.moc"
