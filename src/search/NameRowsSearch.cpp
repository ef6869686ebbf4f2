#include "search/NameRowsSearch.h"

#include "platform/widgets/MessageBox.h"
#include "platform/widgets/TextBox.h"
#include "shared/RgbColor.h"

#include <QCheckBox>

NameRowsSearch::NameRowsSearch(const std::array<const Boxes *, 4> &texts, const Ticks &keepBoxes,
                               const Ticks &searchBoxes, QWidget *messageParent)
    : m_texts(texts)
    , m_keepBoxes(keepBoxes)
    , m_searchBoxes(searchBoxes)
    , m_messageParent(messageParent)
{}

void NameRowsSearch::resetBackground(int row)
{
    box(0, row)->setBackColor(toColor(RowColors::White));
    box(1, row)->setBackColor(toColor(RowColors::White));
}

bool NameRowsSearch::isRed(int row) const
{
    return box(0, row)->foreColor() == toColor(RowColors::Red);
}

bool NameRowsSearch::isTicked(int row) const
{
    return m_searchBoxes[size_t(row)]->isChecked();
}

bool NameRowsSearch::dateRuleApplies(int row) const
{
    return box(0, row)->backColor() == toColor(RowColors::Yellow) || isRed(row);
}

NameQuery::Row NameRowsSearch::texts(int row) const
{
    return {box(0, row)->text(), box(1, row)->text(), box(2, row)->text(), box(3, row)->text()};
}

void NameRowsSearch::writeBack(int row, const NameQuery::Row &written)
{
    box(0, row)->setText(written.lastName);
    box(1, row)->setText(written.firstAndMiddleName);
    box(3, row)->setText(written.passport);
    // A long name written back shows its start, as the operator reads it, not its tail.
    for (int field : {0, 1, 3})
        box(field, row)->setCursorPosition(0);
}

void NameRowsSearch::mark(int row, const RowMarks &marks)
{
    for (int field : {0, 1}) {
        box(field, row)->setForeColor(toColor(marks.fore));
        if (marks.back)
            box(field, row)->setBackColor(toColor(*marks.back));
    }
    m_keepBoxes[size_t(row)]->setChecked(marks.keep);
}

void NameRowsSearch::refused(int, const QString &message)
{
    MessageBox::show(m_messageParent, message, QString::fromLatin1(NameQuery::RefusalTitle));
}
