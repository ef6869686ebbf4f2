#include "platform/widgets/FileList.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

FileList::FileList(QWidget *parent)
    : QListWidget(parent)
{
    auto report = [this](QListWidgetItem *item) { emit fileClicked(item->text()); };
    connect(this, &QListWidget::itemClicked, this, report);
    connect(this, &QListWidget::itemActivated, this, report);
}

void FileList::setPath(const QString &path)
{
    m_path = path;
    clear(); // a file of the same name in another folder is another file: nothing stays selected
    refresh();
}

void FileList::setPattern(const QString &pattern)
{
    m_pattern = pattern;
    refresh();
}

void FileList::refresh()
{
    // The entry chosen (the active list) stays selected when it is still there; choosing it again is the operator's.
    const QString chosen = currentItem() ? currentItem()->text() : QString();
    clear();
    if (m_path.isEmpty())
        return;
    const QDir folder(m_path);
    const auto sorting = QDir::Name | QDir::IgnoreCase;
    // Several patterns may be given, separated by semicolons, as in a file dialog's filter.
    const QStringList patterns = m_pattern.split(u';', Qt::SkipEmptyParts);
    QStringList names = folder.entryList(patterns, QDir::Files, sorting);
    // As on Windows, a three-letter extension also matches the longer extensions that begin with it: "*.xls"
    // lists "names.xlsx" too, but not "names.xls.bak".
    static const QRegularExpression threeLetters(QStringLiteral("\\.([^.*?]{3})$"));
    bool added = false;
    for (const QString &pattern : patterns) {
        const QRegularExpressionMatch extension = threeLetters.match(pattern);
        if (!extension.hasMatch())
            continue;
        for (const QString &name : folder.entryList({pattern + u'*'}, QDir::Files, sorting)) {
            if (!names.contains(name) &&
                QFileInfo(name).suffix().startsWith(extension.captured(1), Qt::CaseInsensitive)) {
                names.append(name);
                added = true;
            }
        }
    }
    if (added || patterns.size() > 1)
        names.sort(Qt::CaseInsensitive);
    for (const QString &pattern : std::as_const(m_excluded)) {
        const QRegularExpression excluded(QRegularExpression::wildcardToRegularExpression(pattern),
                                          QRegularExpression::CaseInsensitiveOption);
        names.removeIf([&excluded](const QString &name) { return excluded.match(name).hasMatch(); });
    }
    addItems(names);
    if (!chosen.isEmpty()) {
        const QList<QListWidgetItem *> same = findItems(chosen, Qt::MatchExactly);
        if (!same.isEmpty())
            setCurrentItem(same.first());
    }
}

void FileList::setExcluded(const QStringList &patterns)
{
    m_excluded = patterns;
    refresh();
}

QStringList FileList::fileNames() const
{
    QStringList names;
    for (int i = 0; i < count(); ++i)
        names.append(item(i)->text());
    return names;
}
