#pragma once

#include "search/NameQuery.h"

#include <QDate>
#include <QStringList>

#include <memory>
#include <optional>
#include <string>
#include <vector>

// How close one list record comes to one person whom the exact search may not have found, as a score in [0, 1]
// and the reasons in words. Names weigh half by surname and half by given names, in any order of the given
// names, with the surname and the given names also tried the other way round; the date of birth and the passport
// then weigh in: equal, day and month swapped, within one year, or different.
class NearMissScorer
{
public:
    // A record's names in words (NameNormaliser), its fields as written, and its date of birth and passport.
    struct Record
    {
        std::vector<std::string> surname, first, middle;
        QString lastNameText, firstNameText, middleNameText, dateOfBirth, passport;
    };

    struct Result
    {
        double score = 0;
        QStringList reasons; // only when explained
    };

    // A name's words with their phonetic keys.
    struct Words;

    explicit NearMissScorer(const NameQuery::Row &person);

    // Every word of the person's names, surname first: what the candidates are looked up by.
    std::vector<std::string> words() const;
    // How many of words() are the surname's (they come first).
    size_t surnameWords() const;
    // A surname of several words written as one (GARCIA LOPEZ as GARCIALOPEZ); empty for a surname of one word.
    std::string joinedSurname() const;

    Result score(const Record &record, bool explain) const;

    // The factors a date of birth and a passport bring; exposed for the evaluation's report.
    static constexpr double SwappedDayMonth = 0.97;
    static constexpr double WithinOneYear = 0.95;
    static constexpr double OtherDate = 0.70;
    static constexpr double NoDateToCompare = 0.95;
    static constexpr double SamePassportBonus = 0.05;

private:
    NameQuery::Row m_person;
    std::shared_ptr<const Words> m_surname, m_given;
    std::optional<QDate> m_dateOfBirth;
    QString m_passport;
};
