#pragma once

#include <QString>

#include <exception>

// A failure of the text-table engine: a number the callers test for, and a message for the operator.
class TextTableError : public std::exception
{
public:
    // The numbers the original driver gave these failures, which callers and scripts may know.
    enum Number : int {
        ClosedObject = 3704,         // an operation on a closed record set or connection
        OpenObject = 3705,           // opening what is open already
        NoCurrentRecord = 3021,      // a field read at the end of the records
        SyntaxError = -2147217900,   // a statement that cannot be parsed
        UnknownColumn = -2147217904, // a column the file does not have
        TableNotFound = -2147217865, // no such file in the folder
        InvalidPath = -2147467259,   // a folder or file that cannot be read, a bad connection text
        BadArgument = 3265,          // a field position out of range
        BadFormat = 3274,            // a file that cannot be read completely: an unclosed quote, a bad encoding
    };

    TextTableError(int number, QString message)
        : m_number(number)
        , m_message(std::move(message))
        , m_what(m_message.toUtf8())
    {}

    int number() const { return m_number; }
    const QString &message() const { return m_message; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    int m_number;
    QString m_message;
    QByteArray m_what;
};
