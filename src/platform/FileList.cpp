#include "platform/FileList.h"

#include <QDir>

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
    addItems(QDir(m_path).entryList({m_pattern}, QDir::Files, QDir::Name | QDir::IgnoreCase));
}

QStringList FileList::fileNames() const
{
    QStringList names;
    for (int i = 0; i < count(); ++i)
        names.append(item(i)->text());
    return names;
}
