// Benchmark of a durable save: what the folder sync adds to a save, and what keeping the old version in the
// history adds to that. A 49-person manifest is saved over itself, medians of five runs of 100 saves each:
// bytes synced and renamed without the folder sync (what the program did before), with it, and with the history
// copy first. Run by hand, on the disk the data folder is on:
//   build/bench/save_bench [folder]

#include "audit/FileHistory.h"
#include "manifest/ManifestFile.h"
#include "platform/files/FileSteps.h"
#include "platform/files/SavedFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace {

// The system's calls, less the folder sync.
class NoFolderSync : public FileSteps
{
public:
    int createNew(const QString &path, int mode, bool exactMode) override
    {
        return real().createNew(path, mode, exactMode);
    }
    bool write(int handle, const char *bytes, qint64 size) override { return real().write(handle, bytes, size); }
    bool sync(int handle) override { return real().sync(handle); }
    bool close(int handle) override { return real().close(handle); }
    bool rename(const QString &from, const QString &to) override { return real().rename(from, to); }
    bool remove(const QString &path) override { return real().remove(path); }
    bool makeFolder(const QString &path, int mode) override { return real().makeFolder(path, mode); }
    bool syncFolder(const QString &) override { return true; }
    QString lastError() const override { return real().lastError(); }

private:
    static FileSteps &real() { return FileSteps::system(); }
};

template <typename Save> double medianMsPerSave(const Save &save)
{
    std::vector<double> runs;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < 100; ++i)
            save(i);
        runs.push_back(double(timer.nsecsElapsed()) / 1e6 / 100);
    }
    std::sort(runs.begin(), runs.end());
    return runs[2];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList args = app.arguments();
    QTemporaryDir scratch(args.size() > 1 ? QDir(args[1]).filePath("save_bench-XXXXXX") : QString());
    if (!scratch.isValid()) {
        QTextStream(stderr) << "no folder to save into\n";
        return 2;
    }
    QList<QStringList> persons;
    for (int i = 1; i <= 49; ++i)
        persons.append({QStringLiteral("PERSON %1, ANNA").arg(i), "F", QStringLiteral("P%1 USA").arg(i), "", "1/2/1960",
                        "CLEARED"});
    const QString path = scratch.filePath("Manifest-100");
    // Each save differs from the last, as an edited manifest does, so the history keeps every one.
    auto bytes = [&](int i) { return ManifestFile::format(persons) + QByteArray::number(i); };
    NoFolderSync noFolderSync;
    QString error;
    const double before =
        medianMsPerSave([&](int i) { SavedFile::replace(path, bytes(i), &error, false, noFolderSync); });
    const double durable = medianMsPerSave([&](int i) { SavedFile::replace(path, bytes(i), &error); });
    const FileHistory history(scratch.filePath("data"));
    QDir(scratch.path()).mkdir("data");
    const double kept = medianMsPerSave([&](int i) {
        history.keepCopy(path, bytes(i), &error);
        SavedFile::replace(path, bytes(i), &error);
    });
    out << "a 49-person manifest (" << bytes(0).size() << " bytes) saved over itself, in " << scratch.path() << "\n";
    out << QStringLiteral("  synced and renamed, no folder sync:   %1 ms a save\n").arg(before, 0, 'f', 2);
    out << QStringLiteral("  and the folder synced:               %1 ms a save\n").arg(durable, 0, 'f', 2);
    out << QStringLiteral("  and the old version kept in History: %1 ms a save\n").arg(kept, 0, 'f', 2);
    return error.isEmpty() ? 0 : 1;
}
