#include "engine/pipeline_file.h"

#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"

#include "platform/file_io.h"

#include <QFile>

#include <cerrno>
#include <sys/stat.h>

namespace orvane {

namespace {

QString CannotOpen(const QString& fileName, int error)
{
    return MessageText(msg::CannotOpenFile, {fileName, SystemErrorText(error)});
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
    TRegularFileRead read = ReadRegular(fileName, limit);
    switch (read.refusal) {
    case TRegularFileRead::rfNone: return std::move(read.data);
    case TRegularFileRead::rfSystem: throw EDataError(CannotOpen(fileName, read.error));
    case TRegularFileRead::rfNotRegular: throw EDataError(MessageText(msg::NamedFileNotRegular, {fileName}));
    case TRegularFileRead::rfTooLarge: break;
    }
    throw EDataError(
        MessageText(msg::NamedFileTooLarge, {fileName, QString::number(read.size), QString::number(limit)}));
}

} // namespace orvane
