#pragma once

#include <QString>
#include <QWidget>

#include <atomic>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

// A line saying what the program is doing while it works: the text, a moving bar, and Cancel where the work can
// be given up. Hidden when nothing is being done.
class BusyLine : public QWidget
{
    Q_OBJECT

public:
    explicit BusyLine(QWidget *parent);

    void start(const QString &doing, bool cancellable);
    void finish();
    QPushButton *cancelButton() const { return m_cancel; }

signals:
    void cancelRequested();

private:
    QLabel *m_text;
    QProgressBar *m_bar;
    QPushButton *m_cancel;
};

// Runs work on a worker thread while the windows keep painting: a busy cursor, and every click, key and close
// request of the program's windows is dropped (not queued for later) until the work is done, apart from the
// busy line's Cancel.
namespace BusyWait {

enum class Ended { Done, Cancelled };

void run(const std::function<void()> &work);

// The same, saying on the line what is being done. With cancelled given, Cancel (or Escape) sets it and returns
// at once: the work must then touch nothing of the window, and is left to end on its own thread, which
// finishAbandoned() waits for.
Ended run(const std::function<void()> &work, BusyLine &line, const QString &doing,
          std::atomic<bool> *cancelled = nullptr);

// Waits for work given up by a cancel to end; called before what such work reads is destroyed.
void finishAbandoned();

} // namespace BusyWait
