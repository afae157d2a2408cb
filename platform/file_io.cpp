#include "platform/file_io.h"

#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane {

namespace {

// "File is read-only."
constexpr int kFileIsReadOnly = 51;

QString SystemReason(int error) { return qt_error_string(error); }

// The file a save replaces: a link's target, or the name itself when new.
QString SaveTargetPath(const QString& fileName)
{
    const QString canonical = QFileInfo(fileName).canonicalFilePath();
    return canonical.isEmpty() ? fileName : canonical;
}

// The permissions a new file of the user's gets.
mode_t NewFileMode()
{
    mode_t mask = 022;
    // Read rather than set and restore: umask() changes it for every thread.
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
    return 0666 & ~mask;
}

} // namespace

QByteArray ReadWholeFile(const QString& fileName)
{
    const auto refuse = [&](const QString& reason) {
        return EOrvaneError(MessageText(msg::CannotOpenFile, {fileName, reason}));
    };
    // Non-blocking, so that a FIFO is refused instead of waited on.
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw refuse(SystemReason(errno));
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        throw refuse(SystemReason(errno));
    if (S_ISDIR(st.st_mode))
        throw refuse(SystemReason(EISDIR));
    if (!S_ISREG(st.st_mode))
        throw refuse(GetMessage(msg::NotRegularFile));
    const QString tooLarge = MessageText(msg::FileTooLarge, {QString::number(kReadFileLimit)});
    if (st.st_size > kReadFileLimit)
        throw refuse(tooLarge);
    QByteArray data;
    data.reserve(qsizetype(st.st_size));
    // The size may change while reading (a file still being written): the limit holds for what is read.
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw refuse(SystemReason(errno));
        }
        if (n == 0)
            break;
        if (data.size() + n > kReadFileLimit)
            throw refuse(tooLarge);
        data.append(chunk, n);
    }
    return data;
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
        return SystemReason(ENOENT);
    const QByteArray path = QFile::encodeName(fileName);
    struct stat st {};
    QString folder;
    if (::stat(path.constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return SystemReason(EISDIR);
        if (!S_ISREG(st.st_mode))
            return GetMessage(msg::NotRegularFile);
        if (IsReadOnlyFile(fileName))
            return GetMessage(kFileIsReadOnly);
        if (::access(path.constData(), W_OK) != 0)
            return SystemReason(errno);
        folder = QFileInfo(SaveTargetPath(fileName)).absolutePath();
    } else if (errno != ENOENT) {
        return SystemReason(errno);
    } else {
        folder = QFileInfo(fileName).absolutePath();
    }
    // The temporary file is made beside the target.
    const QByteArray folderPath = QFile::encodeName(folder);
    if (::stat(folderPath.constData(), &st) != 0)
        return SystemReason(errno);
    if (!S_ISDIR(st.st_mode))
        return SystemReason(ENOTDIR);
    if (::access(folderPath.constData(), W_OK | X_OK) != 0)
        return SystemReason(errno);
    return {};
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
        return fail(SystemReason(errno));
    return true;
}

TStagedFile::TStagedFile(const QString& target) : m_target(target)
{
    CheckSaveTarget(target);
    const QString folder = QFileInfo(SaveTargetPath(target)).absolutePath();
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

} // namespace orvane
