#include "search/NameVariants.h"

#include "search/NameVariantsTable.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace {

// The stem left before an ending, and the name left after a prefix, keep this many letters at least: shorter ones
// are other names (KOFF, ALI).
constexpr size_t ShortestStem = 3;
constexpr size_t ShortestAfterPrefix = 4;

struct Table
{
    std::unordered_map<std::string, std::vector<std::string>> groupsOf; // word: the groups' first words
    std::vector<std::pair<std::string, std::string>> suffixes;          // longest first
    std::unordered_set<std::string> particles;
    std::vector<std::string> prefixes;
    std::unordered_set<std::string> endings; // every suffix's TO
};

std::vector<std::string> split(std::string_view line)
{
    std::vector<std::string> words;
    size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && line[at] == ' ')
            ++at;
        const size_t end = std::min(line.find(' ', at), line.size());
        if (end > at)
            words.emplace_back(line.substr(at, end - at));
        at = end;
    }
    return words;
}

Table read()
{
    Table table;
    const std::string_view text = NameVariantsTable::Text;
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = std::min(text.find('\n', at), text.size());
        const std::vector<std::string> words = split(text.substr(at, end - at));
        at = end + 1;
        if (words.empty() || words[0][0] == '#')
            continue;
        if (words[0] == "group") {
            for (size_t i = 1; i < words.size(); ++i)
                table.groupsOf[words[i]].push_back(words[1]);
        } else if (words[0] == "suffix" && words.size() == 3) {
            table.suffixes.emplace_back(words[1], words[2]);
            table.endings.insert(words[2]);
        } else if (words[0] == "particle") {
            table.particles.insert(words.begin() + 1, words.end());
        } else if (words[0] == "prefix") {
            table.prefixes.insert(table.prefixes.end(), words.begin() + 1, words.end());
        }
    }
    std::stable_sort(table.suffixes.begin(), table.suffixes.end(),
                     [](const auto &a, const auto &b) { return a.first.size() > b.first.size(); });
    return table;
}

const Table &table()
{
    static const Table built = read();
    return built;
}

// The word with its ending written the one way (IVANOFF and IVANOW as IVANOV); empty when its ending is none of
// the table's.
std::string endingForm(std::string_view word)
{
    const Table &t = table();
    for (const auto &[from, to] : t.suffixes) {
        if (word.size() >= from.size() + ShortestStem && word.ends_with(from))
            return std::string(word.substr(0, word.size() - from.size())) + to;
    }
    for (const std::string &to : t.endings) {
        if (word.size() >= to.size() + ShortestStem && word.ends_with(to))
            return std::string(word);
    }
    return {};
}

} // namespace

namespace NameVariants {

std::vector<std::string> keys(std::string_view word)
{
    std::vector<std::string> out;
    const Table &t = table();
    if (const auto found = t.groupsOf.find(std::string(word)); found != t.groupsOf.end()) {
        for (const std::string &group : found->second)
            out.push_back("=" + group);
    }
    if (std::string form = endingForm(word); !form.empty())
        out.push_back("~" + form);
    return out;
}

bool sameName(std::string_view a, std::string_view b)
{
    if (a == b)
        return false;
    const std::vector<std::string> ofA = keys(a), ofB = keys(b);
    return std::any_of(ofA.begin(), ofA.end(),
                       [&](const std::string &key) { return std::find(ofB.begin(), ofB.end(), key) != ofB.end(); });
}

bool isParticle(std::string_view word)
{
    return table().particles.contains(std::string(word));
}

std::string withoutPrefix(std::string_view word)
{
    for (const std::string &prefix : table().prefixes) {
        if (word.size() >= prefix.size() + ShortestAfterPrefix && word.starts_with(prefix))
            return std::string(word.substr(prefix.size()));
    }
    return {};
}

std::vector<std::string> coreWords(const std::vector<std::string> &surname)
{
    std::vector<std::string> core;
    for (const std::string &word : surname) {
        if (isParticle(word))
            continue;
        std::string rest = withoutPrefix(word);
        core.push_back(rest.empty() ? word : std::move(rest));
    }
    return core.empty() ? surname : core;
}

} // namespace NameVariants
