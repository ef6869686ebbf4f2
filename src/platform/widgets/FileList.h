#pragma once

#include <QListWidget>

// The files of one folder that match a name pattern, or one of several separated by semicolons (letter case
// ignored, and a three-letter extension matching longer ones, as on Windows), by name.
// A click on an entry, or Enter, reports the entry's file name.
class FileList : public QListWidget
{
    Q_OBJECT

public:
    explicit FileList(QWidget *parent = nullptr);

    QString path() const { return m_path; }
    void setPath(const QString &path);
    QString pattern() const { return m_pattern; }
    void setPattern(const QString &pattern);
    // Names the pattern takes that the list leaves out all the same (wildcards, letter case ignored).
    void setExcluded(const QStringList &patterns);
    void refresh();

    QStringList fileNames() const;

signals:
    void fileClicked(const QString &fileName);

private:
    QString m_path;
    QString m_pattern = QStringLiteral("*.*");
    QStringList m_excluded;
};
