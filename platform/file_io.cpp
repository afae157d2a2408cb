#include "platform/file_io.h"

#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"

#include <QFile>
#include <QSaveFile>

namespace orvane {

QByteArray ReadWholeFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EOrvaneError(MessageText(msg::CannotOpenFile, {fileName, file.errorString()}));
    return file.readAll();
}

void WriteWholeFile(const QString& fileName, const QByteArray& data)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        throw EOrvaneError(MessageText(msg::CannotCreateFile, {fileName, file.errorString()}));
}

} // namespace orvane

namespace orvane {

QString ResolveFileName(const QString& fileName)
{
    QString resolved = fileName;
    resolved.replace(u'\\', u'/');
    return resolved;
}

} // namespace orvane
