#pragma once

#include "search/SearchRun.h"

#include <array>

class QCheckBox;
class QWidget;
class TextBox;

// The ten name rows of the main window as a search sees them: texts, Search and Keep boxes, colours.
class NameRowsSearch : public SearchRows
{
public:
    static constexpr int Count = 10;
    using Boxes = std::array<TextBox *, Count>;
    using Ticks = std::array<QCheckBox *, Count>;

    NameRowsSearch(const std::array<const Boxes *, 4> &texts, const Ticks &keepBoxes, const Ticks &searchBoxes,
                   QWidget *messageParent);

    bool gridMode() const override { return false; }
    int lastRow() const override { return Count - 1; }
    void startRow(int) override {}
    void resetBackground(int row) override;
    bool isRed(int row) const override;
    bool isTicked(int row) const override;
    bool dateRuleApplies(int row) const override;
    NameQuery::Row texts(int row) const override;
    void writeBack(int row, const NameQuery::Row &written) override;
    void mark(int row, const RowMarks &marks) override;
    void refused(int row, const QString &message) override;

private:
    TextBox *box(int field, int row) const { return (*m_texts[size_t(field)])[size_t(row)]; }

    std::array<const Boxes *, 4> m_texts;
    const Ticks &m_keepBoxes;
    const Ticks &m_searchBoxes;
    QWidget *m_messageParent;
};
