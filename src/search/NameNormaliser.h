#pragma once

#include <QStringView>

#include <string>
#include <string_view>
#include <vector>

// Names in the one form the near-miss matcher compares them in: the words of a name in upper-case ASCII letters
// and digits. Other scripts are transliterated to Latin (МУХАММЕД is MUHAMMED), compatibility forms, case and
// diacritics are folded (MÜLLER is MULLER, ß is SS), an apostrophe joins what it stands between (O'BRIEN is
// OBRIEN) and every other mark or blank separates words (GARCIA-LOPEZ is GARCIA LOPEZ).
namespace NameNormaliser {

std::vector<std::string> tokens(QStringView text);

// The words of a plain-ASCII text, appended to out; false, with out untouched, for any other text. The index
// reads a list's names through this, without leaving its bytes.
bool asciiTokens(std::string_view text, std::vector<std::string> &out);

} // namespace NameNormaliser
