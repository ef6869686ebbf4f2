#include "platform/FileList.h"

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
    refresh();
}

void FileList::setPattern(const QString &pattern)
{
    m_pattern = pattern;
    refresh();
}

void FileList::refresh()
{
    clear();
    if (m_path.isEmpty())
        return;
    const QDir folder(m_path);
    const auto sorting = QDir::Name | QDir::IgnoreCase;
    QStringList names = folder.entryList({m_pattern}, QDir::Files, sorting);
    // As on Windows, a three-letter extension also matches the longer extensions that begin with it: "*.xls"
    // lists "names.xlsx" too, but not "names.xls.bak".
    static const QRegularExpression threeLetters(QStringLiteral("\\.([^.*?]{3})$"));
    const QRegularExpressionMatch extension = threeLetters.match(m_pattern);
    if (extension.hasMatch()) {
        for (const QString &name : folder.entryList({m_pattern + u'*'}, QDir::Files, sorting)) {
            if (!names.contains(name) &&
                QFileInfo(name).suffix().startsWith(extension.captured(1), Qt::CaseInsensitive))
                names.append(name);
        }
        names.sort(Qt::CaseInsensitive);
    }
    addItems(names);
}

QStringList FileList::fileNames() const
{
    QStringList names;
    for (int i = 0; i < count(); ++i)
        names.append(item(i)->text());
    return names;
}
