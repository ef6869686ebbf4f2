#include "platform/widgets/FolderList.h"

#include <QDir>
#include <QFileInfo>
#include <QStyle>

namespace {
constexpr int PathRole = Qt::UserRole;

QString readableFolderError(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("The folder %1 does not exist.").arg(path);
    if (!info.isDir())
        return QStringLiteral("%1 is not a folder.").arg(path);
    if (!info.isReadable() || !info.isExecutable())
        return QStringLiteral("The folder %1 cannot be read.").arg(path);
    return QString();
}
} // namespace

FolderList::FolderList(QWidget *parent)
    : QListWidget(parent)
{
    // Activation is a double-click or Enter (or a click, where the style says so): one signal for each. A
    // double-click emits itemDoubleClicked as well, whose item the first opening has already destroyed.
    connect(this, &QListWidget::itemActivated, this, &FolderList::openEntry);
}

bool FolderList::changePath(const QString &path, QString *error)
{
    const QString cleaned = QDir::toNativeSeparators(QDir::cleanPath(QDir(path).absolutePath()));
    const QString reason = path.isEmpty() ? QStringLiteral("No folder was given.") : readableFolderError(cleaned);
    if (!reason.isEmpty()) {
        if (error)
            *error = reason;
        return false;
    }
    m_path = cleaned;
    refresh();
    emit pathChanged(m_path);
    return true;
}

void FolderList::refresh()
{
    clear();
    if (m_path.isEmpty())
        return;
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);

    QStringList chain;
    for (QDir dir(m_path);;) {
        chain.prepend(QDir::toNativeSeparators(dir.absolutePath()));
        if (!dir.cdUp())
            break;
    }
    int depth = 0;
    for (const QString &folder : chain) {
        const QString name = QDir(folder).isRoot() ? folder : QFileInfo(folder).fileName();
        auto *item = new QListWidgetItem(openIcon, QString(depth * 2, u' ') + name, this);
        item->setData(PathRole, folder);
        ++depth;
    }
    setCurrentRow(count() - 1);
    const QStringList subfolders =
        QDir(m_path).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString &sub : subfolders) {
        auto *item = new QListWidgetItem(closedIcon, QString(depth * 2, u' ') + sub, this);
        item->setData(PathRole, QDir::toNativeSeparators(QDir(m_path).filePath(sub)));
    }
}

void FolderList::openEntry(QListWidgetItem *item)
{
    const QString target = item->data(PathRole).toString();
    QString reason;
    if (target == m_path || changePath(target, &reason))
        return;
    refresh(); // show the folder as it is now: the rejected one may have vanished meanwhile
    emit pathRejected(target, reason);
}
