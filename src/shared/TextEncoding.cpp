#include "shared/TextEncoding.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace TextEncoding {

QByteArray encodeForFile(const QString &text)
{
#ifdef Q_OS_WIN
    QStringEncoder encoder(QStringConverter::System);
    return encoder.encode(text);
#else
    return text.toUtf8();
#endif
}

QString decodeFile(const QByteArray &bytes)
{
    QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF"))
        view = view.sliced(3);
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(view);
    if (!utf8.hasError())
        return text;
    return decodeWindows1252(view.toByteArray());
}

QString decodeWindows1252(const QByteArray &bytes)
{
    // 0x80..0x9F are where Windows-1252 differs from Latin-1; 0 marks the five unassigned codes.
    static constexpr char16_t high[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                          0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                          0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                          0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        char16_t u = b;
        if (b >= 0x80 && b < 0xA0 && high[b - 0x80] != 0)
            u = high[b - 0x80];
        *out++ = QChar(u);
    }
    return text;
}

} // namespace TextEncoding
