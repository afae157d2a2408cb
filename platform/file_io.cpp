#include "platform/file_io.h"

#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"

#include <QFile>
#include <QFileDevice>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane {

namespace {

// "File is read-only."
constexpr int kFileIsReadOnly = 51;

// The file a save replaces: a link's target, or the name itself when new.
QString SaveTargetPath(const QString& fileName)
{
    const QString canonical = QFileInfo(fileName).canonicalFilePath();
    return canonical.isEmpty() ? fileName : canonical;
}

// The permissions a new file of the user's gets. The mask is read once, and
// read rather than set and restored: umask() changes it for every thread.
mode_t NewFileMode()
{
    static const mode_t mode = [] {
        mode_t mask = 022;
        QFile status(QStringLiteral("/proc/self/status"));
        if (status.open(QIODevice::ReadOnly)) {
            for (const QByteArray& line : status.readAll().split('\n'))
                if (line.startsWith("Umask:")) {
                    bool ok = false;
                    const uint value = line.mid(6).trimmed().toUInt(&ok, 8);
                    if (ok)
                        mask = mode_t(value);
                    break;
                }
        }
        return mode_t(0666 & ~mask);
    }();
    return mode;
}

} // namespace

TRegularFileRead ReadRegular(const QString& fileName, qint64 limit)
{
    TRegularFileRead result;
    const auto refuse = [&result](TRegularFileRead::Refusal refusal, int error = 0) {
        result.refusal = refusal;
        result.error = error;
        result.data.clear();
        return result;
    };
    if (fileName.isEmpty())
        return refuse(TRegularFileRead::rfSystem, ENOENT);
    // Non-blocking, so that a FIFO without a writer is refused instead of waited on.
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return refuse(TRegularFileRead::rfSystem, errno);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return refuse(TRegularFileRead::rfSystem, errno);
    if (S_ISDIR(st.st_mode))
        return refuse(TRegularFileRead::rfSystem, EISDIR);
    if (!S_ISREG(st.st_mode))
        return refuse(TRegularFileRead::rfNotRegular);
    result.size = st.st_size;
    if (st.st_size > limit)
        return refuse(TRegularFileRead::rfTooLarge);
    QByteArray& data = result.data;
    data.resize(qsizetype(st.st_size));
    qint64 have = 0;
    // The file may grow while it is read: one byte past the limit is enough to refuse it.
    for (;;) {
        if (have == data.size()) {
            if (have > limit) {
                result.size = have;
                return refuse(TRegularFileRead::rfTooLarge);
            }
            data.resize(qsizetype(std::min<qint64>(limit + 1, std::max<qint64>(have * 2, 4096))));
        }
        const ssize_t n = ::read(fd, data.data() + have, size_t(data.size() - have));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return refuse(TRegularFileRead::rfSystem, errno);
        }
        if (n == 0)
            break;
        have += n;
    }
    result.size = have;
    if (have > limit)
        return refuse(TRegularFileRead::rfTooLarge);
    data.truncate(qsizetype(have));
    return result;
}

QString SystemErrorText(int error)
{
    return qt_error_string(error);
}

QByteArray ReadWholeFile(const QString& fileName)
{
    TRegularFileRead read = ReadRegular(fileName, kReadFileLimit);
    QString reason;
    switch (read.refusal) {
    case TRegularFileRead::rfNone: return std::move(read.data);
    case TRegularFileRead::rfSystem: reason = SystemErrorText(read.error); break;
    case TRegularFileRead::rfNotRegular: reason = GetMessage(msg::NotRegularFile); break;
    case TRegularFileRead::rfTooLarge: reason = MessageText(msg::FileTooLarge, {QString::number(kReadFileLimit)}); break;
    }
    throw EOrvaneError(MessageText(msg::CannotOpenFile, {fileName, reason}));
}

void WriteWholeFile(const QString& fileName, const QByteArray& data)
{
    QString reason;
    std::unique_ptr<QSaveFile> file = OpenSaveFile(fileName, &reason);
    if (file && file->write(data) != data.size())
        reason = file->errorString();
    else if (file && CommitSaveFile(*file, &reason))
        return;
    throw EOrvaneError(MessageText(msg::CannotCreateFile, {fileName, reason}));
}

QString SaveTargetProblem(const QString& fileName)
{
    if (fileName.isEmpty())
        return SystemErrorText(ENOENT);
    const QByteArray path = QFile::encodeName(fileName);
    struct stat st {};
    if (::stat(path.constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return SystemErrorText(EISDIR);
        if (!S_ISREG(st.st_mode))
            return GetMessage(msg::NotRegularFile);
        if (!(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)))
            return GetMessage(kFileIsReadOnly);
        if (::access(path.constData(), W_OK) != 0)
            return SystemErrorText(errno);
    } else if (errno != ENOENT) {
        return SystemErrorText(errno);
    }
    const QString folder = SaveFolder(fileName);
    // The temporary file is made beside the target.
    const QByteArray folderPath = QFile::encodeName(folder);
    if (::stat(folderPath.constData(), &st) != 0)
        return SystemErrorText(errno);
    if (!S_ISDIR(st.st_mode))
        return SystemErrorText(ENOTDIR);
    if (::access(folderPath.constData(), W_OK | X_OK) != 0)
        return SystemErrorText(errno);
    return {};
}

QString SaveFolder(const QString& target)
{
    return QFileInfo(SaveTargetPath(target)).absolutePath();
}

bool IsReadOnlyFile(const QString& fileName)
{
    struct stat st {};
    return ::stat(QFile::encodeName(fileName).constData(), &st) == 0 && !(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH));
}

void CheckSaveTarget(const QString& fileName)
{
    const QString problem = SaveTargetProblem(fileName);
    if (!problem.isEmpty())
        throw EOrvaneError(MessageText(msg::CannotCreateFile, {fileName, problem}));
}

bool SameFile(const QString& a, const QString& b)
{
    struct stat sa {}, sb {};
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0 && ::stat(QFile::encodeName(b).constData(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

std::unique_ptr<QSaveFile> OpenSaveFile(const QString& fileName, QString* reason)
{
    QString problem = SaveTargetProblem(fileName);
    auto file = std::make_unique<QSaveFile>(fileName);
    if (problem.isEmpty() && !file->open(QIODevice::WriteOnly))
        problem = file->errorString();
    if (problem.isEmpty())
        return file;
    if (reason)
        *reason = problem;
    return nullptr;
}

bool CommitSaveFile(QSaveFile& file, QString* reason)
{
    // The target may have become something else while the file was written.
    QString problem = SaveTargetProblem(file.fileName());
    if (problem.isEmpty() && file.commit())
        return true;
    if (problem.isEmpty())
        problem = file.errorString();
    else
        file.cancelWriting();
    if (reason)
        *reason = problem;
    return false;
}

bool MoveFileOver(const QString& from, const QString& target, QString* reason)
{
    const auto fail = [reason](const QString& problem) {
        if (reason)
            *reason = problem;
        return false;
    };
    const QString problem = SaveTargetProblem(target);
    if (!problem.isEmpty())
        return fail(problem);
    const QString path = SaveTargetPath(target);
    struct stat st {};
    const mode_t mode = ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : NewFileMode();
    const QByteArray source = QFile::encodeName(from);
    if (::chmod(source.constData(), mode) != 0 || std::rename(source.constData(), QFile::encodeName(path).constData()) != 0)
        return fail(SystemErrorText(errno));
    return true;
}

TStagedFile::TStagedFile(const QString& target) : m_target(target)
{
    CheckSaveTarget(target);
    const QString folder = SaveFolder(target);
    m_file = std::make_unique<QTemporaryFile>(folder + QStringLiteral("/.orvane-XXXXXX.part"));
    if (!m_file->open())
        throw EOrvaneError(MessageText(msg::CannotCreateFile, {target, m_file->errorString()}));
    // Named now: an unnamed temporary file would keep its descriptor until the commit.
    if (m_file->fileName().isEmpty())
        throw EOrvaneError(MessageText(msg::CannotCreateFile, {target, m_file->errorString()}));
}

TStagedFile::~TStagedFile() = default;

void TStagedFile::Write(const QByteArray& data)
{
    const bool written = m_file->write(data) == data.size() && m_file->flush();
    const QString reason = m_file->errorString();
    m_file->close();
    if (!written)
        throw EOrvaneError(MessageText(msg::CannotCreateFile, {m_target, reason}));
}

void TStagedFile::Commit()
{
    QString reason;
    if (!MoveFileOver(m_file->fileName(), m_target, &reason))
        throw EOrvaneError(MessageText(msg::CannotCreateFile, {m_target, reason}));
    m_file->setAutoRemove(false);
}

QString ResolveFileName(const QString& fileName)
{
    QString resolved = fileName;
    resolved.replace(u'\\', u'/');
    return resolved;
}

bool AppendFileContent(QIODevice& from, QIODevice& to)
{
    const qint64 size = from.size();
    qint64 done = 0;
    auto* source = qobject_cast<QFileDevice*>(&from);
    auto* target = qobject_cast<QFileDevice*>(&to);
    // Only unbuffered positions are the descriptors' own: both are flushed first.
    if (source && target && source->handle() >= 0 && target->handle() >= 0 && !from.isSequential() &&
        !to.isSequential() && source->flush() && target->flush()) {
        loff_t in = 0;
        loff_t out = loff_t(to.pos());
        while (done < size) {
            const ssize_t n = ::copy_file_range(source->handle(), &in, target->handle(), &out, size_t(size - done), 0);
            if (n <= 0)
                break;  // not between these two: the rest goes through here
            done += n;
        }
        if (done > 0 && !to.seek(qint64(out)))
            return false;
    }
    if (!from.seek(done))
        return false;
    constexpr qint64 kChunk = 1 << 20;
    QByteArray chunk;
    while (done < size) {
        chunk.resize(qsizetype(std::min(kChunk, size - done)));
        const qint64 n = from.read(chunk.data(), chunk.size());
        if (n <= 0 || to.write(chunk.constData(), n) != n)
            return false;
        done += n;
    }
    return true;
}

} // namespace orvane
