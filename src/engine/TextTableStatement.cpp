#include "engine/TextTableStatement.h"

#include "engine/DateParser.h"
#include "engine/TextTableError.h"

namespace {

class Parser
{
public:
    explicit Parser(const QString &sql)
        : m_sql(sql)
    {}

    TextTableStatement statement()
    {
        TextTableStatement result;
        expectKeyword(u"SELECT");
        skipBlanks();
        expect(u'*');
        expectKeyword(u"FROM");
        result.table = tableName();
        if (atEnd())
            return result;
        expectKeyword(u"WHERE");
        do
            result.conditions.push_back(condition());
        while (!atEnd() && (expectKeyword(u"AND"), true));
        return result;
    }

private:
    [[noreturn]] void fail(const QString &what) const
    {
        throw TextTableError(TextTableError::SyntaxError,
                             QStringLiteral("Syntax error (%1) in query expression '%2' at position %3.")
                                 .arg(what, m_sql)
                                 .arg(m_pos + 1));
    }

    void skipBlanks()
    {
        while (m_pos < m_sql.size() && m_sql[m_pos].isSpace())
            ++m_pos;
    }

    bool atEnd()
    {
        skipBlanks();
        return m_pos >= m_sql.size();
    }

    static bool isNameChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

    void expect(QChar c)
    {
        if (m_pos >= m_sql.size() || m_sql[m_pos] != c)
            fail(QStringLiteral("expected %1").arg(c));
        ++m_pos;
    }

    void expectKeyword(QStringView keyword)
    {
        skipBlanks();
        const QStringView rest = QStringView(m_sql).mid(m_pos);
        if (!rest.startsWith(keyword, Qt::CaseInsensitive) ||
            (rest.size() > keyword.size() && isNameChar(rest[keyword.size()])))
            fail(QStringLiteral("expected %1").arg(keyword));
        m_pos += keyword.size();
    }

    QString bracketed()
    {
        const qsizetype close = m_sql.indexOf(u']', m_pos + 1);
        if (close < 0 || close == m_pos + 1)
            fail(QStringLiteral("unclosed or empty brackets"));
        const QString name = m_sql.mid(m_pos + 1, close - m_pos - 1);
        m_pos = close + 1;
        return name;
    }

    QString tableName()
    {
        skipBlanks();
        if (m_pos < m_sql.size() && m_sql[m_pos] == u'[')
            return bracketed();
        const qsizetype start = m_pos;
        while (m_pos < m_sql.size() && !m_sql[m_pos].isSpace())
            ++m_pos;
        if (m_pos == start)
            fail(QStringLiteral("missing table name"));
        return m_sql.mid(start, m_pos - start);
    }

    QString columnName()
    {
        skipBlanks();
        if (m_pos < m_sql.size() && m_sql[m_pos] == u'[')
            return bracketed();
        const qsizetype start = m_pos;
        if (m_pos < m_sql.size() && (m_sql[m_pos].isLetter() || m_sql[m_pos] == u'_')) {
            while (m_pos < m_sql.size() && isNameChar(m_sql[m_pos]))
                ++m_pos;
        }
        if (m_pos == start)
            fail(QStringLiteral("missing column name"));
        return m_sql.mid(start, m_pos - start);
    }

    // A text literal; a doubled apostrophe stands for one, a single one ends the literal.
    QString textLiteral()
    {
        expect(u'\'');
        QString text;
        while (true) {
            if (m_pos >= m_sql.size())
                fail(QStringLiteral("unclosed text"));
            if (m_sql[m_pos] == u'\'') {
                if (m_pos + 1 < m_sql.size() && m_sql[m_pos + 1] == u'\'') {
                    text += u'\'';
                    m_pos += 2;
                    continue;
                }
                ++m_pos;
                return text;
            }
            text += m_sql[m_pos++];
        }
    }

    QDate dateLiteral()
    {
        const qsizetype close = m_sql.indexOf(u'#', m_pos + 1);
        if (close < 0)
            fail(QStringLiteral("unclosed date"));
        const auto date = DateParser::parse(QStringView(m_sql).mid(m_pos + 1, close - m_pos - 1));
        if (!date)
            fail(QStringLiteral("invalid date"));
        m_pos = close + 1;
        return *date;
    }

    TextTableStatement::Condition condition()
    {
        TextTableStatement::Condition c;
        c.column = columnName();
        skipBlanks();
        if (m_pos < m_sql.size() && m_sql[m_pos] == u'=') {
            ++m_pos;
            skipBlanks();
            if (m_pos < m_sql.size() && m_sql[m_pos] == u'#') {
                c.kind = TextTableStatement::Condition::EqualsDate;
                c.date = dateLiteral();
            } else {
                c.kind = TextTableStatement::Condition::Equals;
                c.text = textLiteral();
            }
        } else {
            expectKeyword(u"LIKE");
            skipBlanks();
            c.kind = TextTableStatement::Condition::Like;
            c.text = textLiteral();
        }
        // Whatever follows a condition must be AND or the end: "'O'BRIEN'" fails here.
        const qsizetype at = m_pos;
        skipBlanks();
        if (m_pos < m_sql.size() &&
            (m_pos == at || !QStringView(m_sql).mid(m_pos).startsWith(u"AND", Qt::CaseInsensitive)))
            fail(QStringLiteral("missing operator"));
        return c;
    }

    const QString &m_sql;
    qsizetype m_pos = 0;
};

} // namespace

TextTableStatement TextTableStatement::parse(const QString &sql)
{
    return Parser(sql).statement();
}
