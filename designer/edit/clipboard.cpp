#include "designer/edit/clipboard.h"

#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace orvane {

const QString& ComponentClipboardFormat()
{
    static const QString format = QStringLiteral("CF_JXDATA");
    return format;
}

void PutComponentStream(const QByteArray& stream)
{
    auto* data = new QMimeData;
    data->setData(ComponentClipboardFormat(), stream);
    data->setText(QString::number(stream.size()));
    QGuiApplication::clipboard()->setMimeData(data);
}

bool HasComponentStream()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasFormat(ComponentClipboardFormat());
}

QByteArray ComponentStreamOf(const QByteArray& block, const QString& lengthText)
{
    const QString text = lengthText.trimmed();
    bool ok = !text.isEmpty();
    for (QChar ch : text)
        ok = ok && ch >= u'0' && ch <= u'9';
    const qlonglong length = ok ? text.toLongLong(&ok) : -1;
    if (!ok || length > block.size())
        throw EDesignError(MessageText(msg::ClipboardBadLength, {lengthText, QString::number(block.size())}));
    return block.left(qsizetype(length));
}

QByteArray TakeComponentStream()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasFormat(ComponentClipboardFormat()))
        return {};
    return ComponentStreamOf(data->data(ComponentClipboardFormat()), data->text());
}

} // namespace orvane
