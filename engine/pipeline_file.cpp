#include "engine/pipeline_file.h"

#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane {

namespace {

QString SystemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString CannotOpen(const QString& fileName, int error)
{
    return MessageText(msg::CannotOpenFile, {fileName, SystemReason(error)});
}

// The problem with what `info` describes, or an empty text.
QString TypeProblem(const QString& fileName, const struct stat& info)
{
    if (S_ISDIR(info.st_mode))
        return CannotOpen(fileName, EISDIR);
    if (!S_ISREG(info.st_mode))
        return MessageText(msg::NamedFileNotRegular, {fileName});
    return {};
}

} // namespace

QString RegularFileProblem(const QString& fileName)
{
    struct stat info {};
    if (fileName.isEmpty())
        return CannotOpen(fileName, ENOENT);
    if (::stat(QFile::encodeName(fileName).constData(), &info) != 0)
        return CannotOpen(fileName, errno);
    return TypeProblem(fileName, info);
}

QByteArray ReadRegularFile(const QString& fileName, qint64 limit)
{
    // Non-blocking, so that opening a FIFO without a writer does not wait.
    const int fd = fileName.isEmpty()
                       ? -1
                       : ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        throw EDataError(CannotOpen(fileName, fileName.isEmpty() ? ENOENT : errno));
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        throw EDataError(CannotOpen(fileName, errno));
    if (const QString problem = TypeProblem(fileName, info); !problem.isEmpty())
        throw EDataError(problem);
    auto tooLarge = [&](qint64 size) {
        return EDataError(MessageText(msg::NamedFileTooLarge, {fileName, QString::number(size), QString::number(limit)}));
    };
    if (info.st_size > limit)
        throw tooLarge(info.st_size);
    QByteArray data;
    data.resize(qsizetype(info.st_size));
    qint64 have = 0;
    // The file may grow while it is read: one byte past the limit is enough to refuse it.
    for (;;) {
        if (have == data.size()) {
            if (have > limit)
                throw tooLarge(have);
            data.resize(qsizetype(std::min<qint64>(limit + 1, std::max<qint64>(have * 2, 4096))));
        }
        const ssize_t n = ::read(fd, data.data() + have, size_t(data.size() - have));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw EDataError(CannotOpen(fileName, errno));
        }
        if (n == 0)
            break;
        have += n;
    }
    if (have > limit)
        throw tooLarge(have);
    data.truncate(qsizetype(have));
    return data;
}

} // namespace orvane
