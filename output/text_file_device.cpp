#include "output/text_file_device.h"

#include "document/code_page.h"
#include "document/errors.h"
#include "document/message_ids.h"
#include "document/message_table.h"
#include "document/messages.h"
#include "output/draw_text.h"
#include "output/page.h"

#include <QStringDecoder>
#include <QTemporaryFile>
#include <algorithm>
#include <vector>

namespace orvane {

QString FitToLength(const QString& text, int length, TAlignment alignment)
{
    length = std::max(length, 0);
    if (text.size() >= length)
        return text.left(length);
    const qsizetype blanks = length - text.size();
    switch (alignment) {
    case taRightJustify:
        return QString(blanks, u' ') + text;
    case taCenter:
        return QString(blanks / 2, u' ') + text + QString(blanks - blanks / 2, u' ');
    case taLeftJustify:
        break;
    }
    return text + QString(blanks, u' ');
}

// ---- content ----

TjxTextFileContent::TjxTextFileContent() = default;
TjxTextFileContent::~TjxTextFileContent() = default;

void TjxTextFileContent::Start()
{
    m_anyPage = false;
    m_anyLine = false;
    m_codePage = true;
    m_file = OpenScratchFile(QStringLiteral("txt"));
}

void TjxTextFileContent::Append(QStringView text)
{
    if (text.isEmpty())
        return;
    if (!m_file)
        throw EWriteError(GetMessage(msg::StreamWriteError));
    if (m_codePage && !IsCodePageRepresentable(text))
        m_codePage = false;
    const QByteArray bytes = text.toUtf8();
    if (m_file->write(bytes) != bytes.size())
        throw EWriteError(GetMessage(msg::StreamWriteError));
}

void TjxTextFileContent::AppendLine(QStringView line, bool lineEnds)
{
    // A separator rather than a terminator: the file's last line has no line
    // end, whichever page it came from.
    if (lineEnds && m_anyLine)
        Append(u"\r\n");
    m_anyLine = true;
    Append(line);
}

void TjxTextFileContent::WriteTo(TjxStreamDevice& device)
{
    // No page is no document, as for the other file devices: the target
    // keeps what it had. Pages without text give an empty file.
    if (!m_anyPage)
        throw EPrintError(GetMessage(msg::RenderNoPages));
    if (!m_file || !m_file->seek(0))
        throw EWriteError(GetMessage(msg::StreamWriteError));
    if (!m_codePage)
        device.WriteBuffer("\xEF\xBB\xBF", 3);
    QStringDecoder decoder(QStringDecoder::Utf8);
    constexpr qint64 kChunk = 1 << 20;
    while (!m_file->atEnd()) {
        const QByteArray chunk = m_file->read(kChunk);
        if (chunk.isEmpty())
            throw EWriteError(GetMessage(msg::StreamWriteError));
        if (m_codePage)
            device.WriteBuffer(ToCodePage(QString(decoder.decode(chunk))));
        else
            device.WriteBuffer(chunk);
    }
    m_file.reset();
}

void TjxTextFileContent::Discard() { m_file.reset(); }

// ---- the base of the text file devices ----

const TClassInfo& TjxCustomTextFileDevice::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxCustomTextFileDevice>("TjxCustomTextFileDevice", &TjxFileDevice::StaticClass()).Build();
    return info;
}

void TjxCustomTextFileDevice::StartJob()
{
    if (JobRunning())
        return;
    TjxFileDevice::StartJob();
    try {
        m_content.Start();
    } catch (...) {
        FailJob();
        throw;
    }
}

void TjxCustomTextFileDevice::CompleteOutput() { m_content.WriteTo(*this); }

void TjxCustomTextFileDevice::DiscardOutput()
{
    m_content.Discard();
    TjxFileDevice::DiscardOutput();
}

// ---- text file device ----

const TClassInfo& TjxTextFileDevice::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TjxTextFileDevice>("TjxTextFileDevice",
                                                                    &TjxCustomTextFileDevice::StaticClass())
                                       .Creatable()
                                       .Build();
    return info;
}

TjxTextFileDevice::TjxTextFileDevice(TComponent* owner) : TjxCustomTextFileDevice(owner) {}
TjxTextFileDevice::~TjxTextFileDevice() = default;

QString TjxTextFileDevice::ClassDescription() { return GetMessage(37); }

void TjxTextFileDevice::SetFileType(TjxFileType value)
{
    if (!JobRunning())
        m_fileType = value;
}

void TjxTextFileDevice::StartJob()
{
    if (JobRunning())
        return;
    m_recordCount = 0;
    TjxCustomTextFileDevice::StartJob();
}

namespace {

// The text on one line: each line break (and, for tab files, each tab)
// becomes a blank, since it would end the field or the record.
QString OnOneLine(QString text, bool tabsToo)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    for (QChar& c : text)
        if (c == u'\r' || c == u'\n' || (tabsToo && c == u'\t'))
            c = u' ';
    return text;
}

} // namespace

QString TjxTextFileDevice::FieldText(const TjxDrawText& command)
{
    QString text = command.Text();
    switch (m_fileType) {
    case ftFixedLength:
        text = FitToLength(OnOneLine(text, false), command.SaveLength(), command.Alignment());
        break;
    case ftComma:
        // Quoted and with quotes doubled wherever a reader could take the
        // field apart, so that every file reads back into the same fields.
        if (text.contains(u',') || text.contains(u' ') || text.contains(u'"') || text.contains(u'\r') ||
            text.contains(u'\n')) {
            text.replace(u'"', QStringLiteral("\"\""));
            text = u'"' + text + u'"';
        }
        break;
    case ftTab:
        text = OnOneLine(text, true);
        break;
    case ftCustom:
        break;
    }
    if (OnSaveText)
        OnSaveText(this, command.TextComponent(), text);
    return text;
}

void TjxTextFileDevice::WritePage(TjxPage* page)
{
    Content().StartPage();
    std::vector<TjxDrawText*> fields;
    for (int i = 0; i < page->DrawCommandCount(); ++i)
        if (auto* text = dynamic_cast<TjxDrawText*>(page->DrawCommand(i)))
            if (text->BandSave() && text->ComponentSave())
                fields.push_back(text);
    if (fields.empty())
        return;
    // By the numbers themselves: their formatted keys would put -1 after 9.
    std::stable_sort(fields.begin(), fields.end(), [](const TjxDrawText* a, const TjxDrawText* b) {
        if (a->BandSaveNo() != b->BandSaveNo())
            return a->BandSaveNo() < b->BandSaveNo();
        return a->ComponentSaveNo() < b->ComponentSaveNo();
    });
    const QString delimiter = m_fileType == ftComma ? QStringLiteral(",")
                              : m_fileType == ftTab ? QStringLiteral("\t")
                                                    : QString();
    try {
        for (size_t first = 0; first < fields.size();) {
            size_t end = first;
            QString record;
            for (; end < fields.size() && fields[end]->BandSaveNo() == fields[first]->BandSaveNo(); ++end) {
                if (end > first)
                    record += delimiter;
                record += FieldText(*fields[end]);
            }
            first = end;
            if (record.isEmpty())
                continue;
            Content().AppendLine(record, m_fileType != ftCustom);
            ++m_recordCount;
        }
    } catch (...) {
        FailJob();
        throw;
    }
}

} // namespace orvane
