#include "search/NameNormaliser.h"

#include <QString>

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <memory>

namespace {

bool isApostrophe(char c)
{
    return c == '\'' || c == '`';
}

void splitAscii(std::string_view text, std::vector<std::string> &out)
{
    std::string word;
    for (char c : text) {
        if (c >= 'a' && c <= 'z') {
            word += char(c - 32);
        } else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            word += c;
        } else if (!isApostrophe(c) && !word.empty()) {
            out.push_back(std::move(word));
            word.clear();
        }
    }
    if (!word.empty())
        out.push_back(std::move(word));
}

// Creating the transliterator reads ICU's rules (about a tenth of a second), so each thread makes its own once,
// and only when a name outside ASCII comes; an instance is not safe to share between threads.
icu::Transliterator *toLatin()
{
    thread_local std::unique_ptr<icu::Transliterator> transliterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Transliterator> made(
            icu::Transliterator::createInstance("NFKC; Any-Latin; Latin-ASCII", UTRANS_FORWARD, status));
        return U_SUCCESS(status) ? std::move(made) : nullptr;
    }();
    return transliterator.get();
}

} // namespace

namespace NameNormaliser {

bool asciiTokens(std::string_view text, std::vector<std::string> &out)
{
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    splitAscii(text, out);
    return true;
}

std::vector<std::string> tokens(QStringView text)
{
    std::vector<std::string> out;
    const QByteArray utf8 = text.toUtf8();
    if (asciiTokens(std::string_view(utf8.constData(), size_t(utf8.size())), out))
        return out;
    std::string latin;
    if (icu::Transliterator *transliterator = toLatin()) {
        icu::UnicodeString unicode(reinterpret_cast<const UChar *>(text.utf16()), int32_t(text.size()));
        transliterator->transliterate(unicode);
        unicode.toUTF8String(latin);
    } else {
        // Without ICU's data the decomposed form still folds diacritics; other scripts then separate words.
        const QString decomposed = text.toString().normalized(QString::NormalizationForm_KD);
        for (QChar c : decomposed) {
            if (c.unicode() < 0x80)
                latin += char(c.unicode());
            else if (c.category() != QChar::Mark_NonSpacing)
                latin += ' ';
        }
    }
    // What the transliteration leaves outside ASCII is a mark of its own: the typographic apostrophes join,
    // anything else separates.
    std::string ascii;
    const QString rest = QString::fromUtf8(latin);
    for (QChar c : rest) {
        if (c.unicode() < 0x80)
            ascii += char(c.unicode());
        else if (c == u'\u2019' || c == u'\u02BC' || c == u'\u02BB' || c == u'\u2018')
            ascii += '\'';
        else
            ascii += ' ';
    }
    splitAscii(ascii, out);
    return out;
}

} // namespace NameNormaliser
