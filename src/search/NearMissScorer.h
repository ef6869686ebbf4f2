#pragma once

#include "engine/DateParser.h"
#include "search/NameQuery.h"

#include <QDate>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// How close one list record comes to one person whom the exact search may not have found, as a score in [0, 1],
// the evidence it rests on, and the reasons in words. Names weigh half by surname and half by given names, in any
// order of the given names, with the surname and the given names also tried the other way round and all the
// words as one unordered set; the date of birth and the passport then weigh in, graded by how much they confirm.
class NearMissScorer
{
public:
    // A record's names in words (NameNormaliser), its fields as written, and its date of birth and passport.
    struct Record
    {
        std::vector<std::string> surname, first, middle;
        QString lastNameText, firstNameText, middleNameText, dateOfBirth, passport;
        // The date of birth already read from the list's bytes, so that the text is needed only to explain.
        bool dateRead = false;
        std::optional<DateParser::Range> date;
        // How many records of the list hold the record's surname and first given name; 0 when not known. A name
        // that hundreds of listed people share says less than a rare one when no date confirms it.
        uint32_t nameBearers = 0;
    };

    // What the dates of birth say, weakest first.
    enum class DateEvidence {
        Differs,
        WithinOneYear, // apart by up to a year, neither a swap nor a year's slip
        NotOnRecord,
        NotGiven,
        SameYear,  // the record gives only the year, and it holds the date
        YearApart, // the same day and month a year apart
        DayMonthSwapped,
        Equal,
    };

    struct Result
    {
        double score = 0;
        double names = 0; // the names' part of the score, before the date and passport
        DateEvidence date = DateEvidence::NotGiven;
        bool samePassport = false;
        QStringList reasons; // only when explained
    };

    // A name's words with their phonetic keys.
    struct Words;

    explicit NearMissScorer(const NameQuery::Row &person);

    // Every word of the person's names, surname first, each cut to MaxWordLength and at most MaxWords a field:
    // what the candidates are looked up by.
    std::vector<std::string> words() const;
    // How many of words() are the surname's (they come first).
    size_t surnameWords() const;
    // The surname's words without particles (BERG of VAN DER BERG), where they differ from its words.
    std::vector<std::string> coreSurname() const;
    // A surname of several words written as one (GARCIA LOPEZ as GARCIALOPEZ); empty for a surname of one word.
    std::string joinedSurname() const;
    // The given names written as one (HUNG CHENG as HUNGCHENG); empty for one given name.
    std::string joinedGiven() const;
    bool hasPassport() const { return !m_passport.isEmpty(); }
    // The date of birth the person gives, as days (QDate::toJulianDay); nullopt when none can be read.
    std::optional<qint64> dateOfBirth() const;

    Result score(const Record &record, bool explain) const;

    // How the dates compare: the person's date, and the range the record's date of birth stands for.
    static DateEvidence compareDates(std::optional<QDate> person, std::optional<DateParser::Range> listed);
    // The factor a date's evidence puts on the names' score; bearers is how many records of the list hold the
    // record's surname and first given name, which weakens the evidence of a name that no date confirms, and less
    // so when the names differ only in spelling (sameShape).
    static double dateFactor(DateEvidence evidence, double bearers = 0, bool sameShape = false);
    // Whether a near miss is to be shown before another of equal score: by the evidence, never by file order.
    static bool strongerEvidence(const Result &a, const Result &b);

    // Words longer than any name (a hostile field) are compared by their start, and a field by its first words,
    // so that no name costs more than a bounded number of steps whatever it holds.
    static constexpr size_t MaxWordLength = 32;
    static constexpr size_t MaxWords = 8;
    static constexpr double SamePassportBonus = 0.05;

private:
    NameQuery::Row m_person;
    std::shared_ptr<const Words> m_surname, m_given;
    std::optional<QDate> m_dateOfBirth;
    QString m_passport;
};
