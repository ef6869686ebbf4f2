#pragma once

#include <QListWidget>

// A folder list: the current folder's ancestors, the folder itself and its subfolders. Setting the path from
// code or by a double-click on an entry emits pathChanged before the setter returns, so the owner's change
// handler has run by the next statement.
class FolderList : public QListWidget
{
    Q_OBJECT
    Q_PROPERTY(QString path READ path WRITE setPath NOTIFY pathChanged)

public:
    explicit FolderList(QWidget *parent = nullptr);

    QString path() const { return m_path; }
    void setPath(const QString &path) { changePath(path); }

    // False, with the reason and nothing changed, when the folder does not exist or cannot be read.
    bool changePath(const QString &path, QString *error = nullptr);

    // Lists the current folder again, e.g. after folders were added or removed.
    void refresh();

signals:
    void pathChanged(const QString &path);
    // The operator opened a folder that cannot be read; the list stays where it was.
    void pathRejected(const QString &path, const QString &reason);

private:
    void openEntry(QListWidgetItem *item);

    QString m_path;
};
