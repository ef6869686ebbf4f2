#include "engine/ComparisonKey.h"

#include <QString>

#include <algorithm>

namespace ComparisonKey {

namespace {

// Letters whose mark is part of the letter, so no decomposition takes it off; written as passports' machine
// lines write them.
QStringView unstroked(QChar c)
{
    switch (c.unicode()) {
    case u'Ł':
    case u'ł':
        return u"L";
    case u'Đ':
    case u'đ':
    case u'Ð':
    case u'ð':
        return u"D";
    case u'Ø':
    case u'ø':
        return u"O";
    case u'Ħ':
    case u'ħ':
        return u"H";
    case u'Ŧ':
    case u'ŧ':
        return u"T";
    case u'Æ':
    case u'æ':
        return u"AE";
    case u'Œ':
    case u'œ':
        return u"OE";
    case u'Þ':
    case u'þ':
        return u"TH";
    default:
        return {};
    }
}

// Drops the combining marks that decomposition set apart (the accents) and the invisible format characters (a
// stray BOM, a zero-width space, a soft hyphen), and writes stroked letters plainly.
QString withoutMarks(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const QChar::Category category = c.category();
        if (category == QChar::Mark_NonSpacing || category == QChar::Mark_Enclosing || category == QChar::Other_Format)
            continue;
        const QStringView plain = unstroked(c);
        if (plain.isEmpty())
            out += c;
        else
            out += plain;
    }
    return out;
}

} // namespace

std::string of(QStringView text)
{
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; })) {
        const QByteArray latin = text.toLatin1();
        std::string ascii;
        ofAscii(std::string_view(latin.constData(), size_t(latin.size())), ascii);
        return ascii;
    }
    return ofAnyText(text);
}

std::string ofAnyText(QStringView text)
{
    // Upper-casing first gives the full folds (ß to SS, ﬁ to FI, ı to I); the marks it may add go as well.
    const QString decomposed = text.toString().normalized(QString::NormalizationForm_KD);
    // The capital sharp s upper-cases to itself and folds to ß: the one fold that needs a second look.
    const QString folded =
        withoutMarks(withoutMarks(decomposed).toUpper()).toCaseFolded().replace(u'ß', QStringLiteral("ss"));
    QString key;
    key.reserve(folded.size());
    bool blank = false;
    for (QChar c : folded) {
        if (c.isSpace()) {
            blank = !key.isEmpty();
            continue;
        }
        if (blank)
            key += u' ';
        blank = false;
        key += c;
    }
    // Composed again, so that one written character stays one character for LIKE's "_".
    const QByteArray utf8 = key.normalized(QString::NormalizationForm_KC).toUtf8();
    return std::string(utf8.constData(), size_t(utf8.size()));
}

bool ofAscii(std::string_view text, std::string &out)
{
    if (!std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return false;
    out.clear();
    forEachAsciiKeyChar(text, [&out](char c) { out += c; });
    return true;
}

} // namespace ComparisonKey
