#pragma once

#include <string>
#include <string_view>
#include <vector>

// Spellings of one name that romanisation gives and that phonetic keys cannot bridge (YI and LEE, HSU and XU,
// IVANOFF and IVANOV), and the particles that join a surname without being it (AL, VAN DER, DE LA), from the
// table built into the program. Words in the normalised form (NameNormaliser).
namespace NameVariants {

// The keys a word shares with its other romanisations: one per group it stands in and one for its ending; none
// for a word the table does not know.
std::vector<std::string> keys(std::string_view word);
// Two different words that the table makes one name.
bool sameName(std::string_view a, std::string_view b);
bool isParticle(std::string_view word);
// The word without a particle written onto it (ALSAYED is SAYED); empty when it has none.
std::string withoutPrefix(std::string_view word);
// A surname's words without its particles (VAN DER BERG is BERG, ALSAYED is SAYED); the words as they are when
// nothing else would be left.
std::vector<std::string> coreWords(const std::vector<std::string> &surname);

} // namespace NameVariants
