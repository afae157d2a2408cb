#pragma once

// Reading and saving files. Every save goes through here: it is written
// beside its target under a temporary name and takes the target's place only
// when complete, and only where a save may go at all (SaveTargetProblem).

#include <QByteArray>
#include <QString>
#include <memory>

class QIODevice;
class QSaveFile;
class QTemporaryFile;

namespace orvane {

// The largest file ReadWholeFile reads: 256 MiB. Templates and component
// streams are far smaller; the limit keeps a runaway input (a growing file,
// /dev/zero behind a link) from taking all memory.
constexpr qint64 kReadFileLimit = qint64(256) << 20;

// A regular file read whole through one open file, so that the name cannot be
// swapped for a device between the check and the read; callers word the refusal.
struct TRegularFileRead {
    enum Refusal { rfNone, rfSystem, rfNotRegular, rfTooLarge } refusal = rfNone;
    int error = 0;    // the system's error number for rfSystem (EISDIR for a folder)
    qint64 size = 0;  // the size seen, for rfTooLarge
    QByteArray data;
};
TRegularFileRead ReadRegular(const QString& fileName, qint64 limit);
// The system's text for an error number.
QString SystemErrorText(int error);

// Reads a whole regular file of at most kReadFileLimit bytes; anything else
// (a folder, device, FIFO or larger file) raises EOrvaneError with the reason.
QByteArray ReadWholeFile(const QString& fileName);
// Writes through a temporary file renamed over the target only when complete;
// raises EOrvaneError ("Cannot create file") with the reason.
void WriteWholeFile(const QString& fileName, const QByteArray& data);

// Why a save must not go to fileName; empty when it may. A save goes to a new
// name in an existing, writable folder or over a regular file that is not
// read-only. Read-only is the permission bits, as for templates, not access():
// root may write anything, but a file marked read-only stays so. A device
// node, FIFO or socket is never replaced by a regular file, also not by root.
QString SaveTargetProblem(const QString& fileName);
// The folder a save's temporary file goes to: the one of a link's target.
QString SaveFolder(const QString& target);
// An existing file without any write permission bit.
bool IsReadOnlyFile(const QString& fileName);
// Raises EOrvaneError ("Cannot create file") when SaveTargetProblem has a reason.
void CheckSaveTarget(const QString& fileName);
// True when both names lead to the same existing file (links followed).
bool SameFile(const QString& a, const QString& b);

// A save file for the target, open for writing; null with the reason when the
// target is refused or the temporary file cannot be made.
std::unique_ptr<QSaveFile> OpenSaveFile(const QString& fileName, QString* reason);
// Completes a save file (checking the target once more); false with the reason.
bool CommitSaveFile(QSaveFile& file, QString* reason);

// A file written beside its target and closed before it takes the target's
// place: many can wait for the end of a run without holding a descriptor each.
// Removed when destroyed before Commit.
class TStagedFile {
public:
    // Raises EOrvaneError ("Cannot create file") when the target is refused.
    explicit TStagedFile(const QString& target);
    ~TStagedFile();
    TStagedFile(const TStagedFile&) = delete;
    TStagedFile& operator=(const TStagedFile&) = delete;

    const QString& Target() const { return m_target; }
    // Writes the whole content and closes the file; raises EOrvaneError.
    void Write(const QByteArray& data);
    // Moves the written file over the target; raises EOrvaneError.
    void Commit();

private:
    QString m_target;
    std::unique_ptr<QTemporaryFile> m_file;
};

// Moves a complete file over the target when the target may be replaced, with
// the permissions a new file of the user's gets (a replaced file's own ones);
// false with the reason. `from` must be in the target's folder.
bool MoveFileOver(const QString& from, const QString& target, QString* reason);

// Appends the whole content of `from` at the present position of `to`. Between
// two files the system copies the bytes itself, which spares a large file's
// trip through this process; false when reading or writing fails.
bool AppendFileContent(QIODevice& from, QIODevice& to);

// Names stored with "\" separators (".\Ravelle.rtm") as this platform writes them:
// relative names stay relative to the current directory.
QString ResolveFileName(const QString& fileName);

} // namespace orvane
