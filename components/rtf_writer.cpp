#include "components/rtf.h"

#include "document/code_page.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <QUrl>

#include <cmath>

namespace orvane {

namespace {

void AppendNumber(QByteArray& out, const char* word, double value)
{
    out.append(word);
    out.append(QByteArray::number(qint64(std::llround(value))));
}

// Text as 7-bit RTF.
void AppendText(QByteArray& out, QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        switch (u) {
        case u'\\': out.append("\\\\"); continue;
        case u'{': out.append("\\{"); continue;
        case u'}': out.append("\\}"); continue;
        case u'\t': out.append("\\tab "); continue;
        case QChar::LineSeparator: out.append("\\line "); continue;
        case QChar::Nbsp: out.append("\\~"); continue;
        case QChar::ObjectReplacementCharacter: continue;
        default: break;
        }
        if (u < 0x20)
            continue;
        if (u < 0x80) {
            out.append(char(u));
            continue;
        }
        const QChar ch(u);
        if (IsCodePageRepresentable(QStringView(&ch, 1))) {
            static const char* const hex = "0123456789abcdef";
            const auto byte = static_cast<unsigned char>(ToCodePage(QStringView(&ch, 1)).at(0));
            out.append("\\'");
            out.append(hex[byte >> 4]);
            out.append(hex[byte & 15]);
            continue;
        }
        // Surrogates go one unit each, as readers expect. The fallback is
        // written \'3f as word processors do: some readers skip one
        // character too many after a literal one.
        out.append("\\u");
        out.append(QByteArray::number(int(int16_t(u))));
        out.append("\\'3f");
    }
}

QString FamilyOf(const QTextCharFormat& format, const QTextDocument& document)
{
    const QStringList families = format.fontFamilies().toStringList();
    if (!families.isEmpty() && !families.first().isEmpty())
        return families.first();
    return document.defaultFont().family();
}

double PointSizeOf(const QTextCharFormat& format, const QTextDocument& document)
{
    const double size = format.fontPointSize();
    if (size > 0)
        return size;
    const double fallback = document.defaultFont().pointSizeF();
    return fallback > 0 ? fallback : 12;
}

class TRtfWriter {
public:
    explicit TRtfWriter(const QTextDocument& document) : m_document(document) {}
    QByteArray Write();

private:
    int FontIndex(const QString& family);
    int ColorIndex(const QColor& color);
    void Collect();
    void WriteParagraph(const QTextBlock& block);
    void WriteRun(const QTextFragment& fragment);
    void WritePicture(const QTextImageFormat& format);

    const QTextDocument& m_document;
    QStringList m_fonts;
    QList<QRgb> m_colors;
    QByteArray m_out;
};

int TRtfWriter::FontIndex(const QString& family)
{
    const qsizetype i = m_fonts.indexOf(family);
    if (i >= 0)
        return int(i);
    m_fonts.append(family);
    return int(m_fonts.size() - 1);
}

int TRtfWriter::ColorIndex(const QColor& color)
{
    const QRgb rgb = color.rgb() | 0xFF000000u;
    const qsizetype i = m_colors.indexOf(rgb);
    if (i >= 0)
        return int(i) + 1;
    m_colors.append(rgb);
    return int(m_colors.size());
}

void TRtfWriter::Collect()
{
    FontIndex(m_document.defaultFont().family());
    for (QTextBlock block = m_document.begin(); block.isValid(); block = block.next()) {
        FontIndex(FamilyOf(block.charFormat(), m_document));
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            FontIndex(FamilyOf(format, m_document));
            if (format.hasProperty(QTextFormat::ForegroundBrush))
                ColorIndex(format.foreground().color());
            if (format.hasProperty(QTextFormat::BackgroundBrush))
                ColorIndex(format.background().color());
        }
    }
}

QByteArray TRtfWriter::Write()
{
    Collect();
    m_out.append("{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033");
    m_out.append("{\\fonttbl");
    for (int i = 0; i < m_fonts.size(); ++i) {
        m_out.append("{\\f" + QByteArray::number(i) + "\\fnil\\fcharset0 ");
        AppendText(m_out, m_fonts[i]);
        m_out.append(";}");
    }
    m_out.append("}\r\n");
    if (!m_colors.isEmpty()) {
        m_out.append("{\\colortbl ;");
        for (const QRgb rgb : m_colors) {
            m_out.append("\\red" + QByteArray::number(qRed(rgb)) + "\\green" + QByteArray::number(qGreen(rgb)) +
                         "\\blue" + QByteArray::number(qBlue(rgb)) + ";");
        }
        m_out.append("}\r\n");
    }
    m_out.append("\\viewkind4\\uc1");
    AppendNumber(m_out, "\\deftab", m_document.defaultTextOption().tabStopDistance());
    m_out.append("\r\n");
    for (QTextBlock block = m_document.begin(); block.isValid(); block = block.next())
        WriteParagraph(block);
    m_out.append("}\r\n");
    return m_out;
}

void TRtfWriter::WriteParagraph(const QTextBlock& block)
{
    const QTextBlockFormat format = block.blockFormat();
    m_out.append("\\pard");
    const Qt::Alignment align = format.alignment() & Qt::AlignHorizontal_Mask;
    if (align & Qt::AlignHCenter)
        m_out.append("\\qc");
    else if (align & Qt::AlignJustify)
        m_out.append("\\qj");
    else if (align & Qt::AlignRight)
        m_out.append("\\qr");
    const QTextList* list = block.textList();
    const double listIndent = list ? list->format().indent() * m_document.indentWidth() : 0;
    if (format.leftMargin() + listIndent != 0)
        AppendNumber(m_out, "\\li", format.leftMargin() + listIndent);
    if (format.rightMargin() != 0)
        AppendNumber(m_out, "\\ri", format.rightMargin());
    if (list) {
        const QVariant first = format.property(kRtfListIndentProperty);
        AppendNumber(m_out, "\\fi", first.isValid() ? first.toDouble() : -360.0);
    } else if (format.textIndent() != 0) {
        AppendNumber(m_out, "\\fi", format.textIndent());
    }
    if (format.topMargin() != 0)
        AppendNumber(m_out, "\\sb", format.topMargin());
    if (format.bottomMargin() != 0)
        AppendNumber(m_out, "\\sa", format.bottomMargin());
    switch (format.lineHeightType()) {
    case QTextBlockFormat::ProportionalHeight:
        if (format.lineHeight() != 100)
            AppendNumber(m_out, "\\sl", format.lineHeight() * 240.0 / 100.0), m_out.append("\\slmult1");
        break;
    case QTextBlockFormat::MinimumHeight:
        AppendNumber(m_out, "\\sl", format.lineHeight());
        m_out.append("\\slmult0");
        break;
    case QTextBlockFormat::FixedHeight:
        AppendNumber(m_out, "\\sl", -format.lineHeight());
        m_out.append("\\slmult0");
        break;
    default:
        break;
    }
    for (const QTextOption::Tab& tab : format.tabPositions()) {
        if (tab.type == QTextOption::RightTab)
            m_out.append("\\tqr");
        else if (tab.type == QTextOption::CenterTab)
            m_out.append("\\tqc");
        else if (tab.type == QTextOption::DelimiterTab)
            m_out.append("\\tqdec");
        AppendNumber(m_out, "\\tx", tab.position);
    }
    if (list) {
        // The number as text for readers without lists, and how to number.
        const QTextListFormat::Style style = list->format().style();
        const bool bullet = style == QTextListFormat::ListDisc || style == QTextListFormat::ListCircle ||
                            style == QTextListFormat::ListSquare;
        m_out.append("{\\pntext\\f0 ");
        if (bullet)
            m_out.append("\\bullet");
        else
            AppendText(m_out, list->itemText(block));
        m_out.append("\\tab}{\\*\\pn");
        switch (style) {
        case QTextListFormat::ListDecimal: m_out.append("\\pnlvlbody\\pndec"); break;
        case QTextListFormat::ListLowerAlpha: m_out.append("\\pnlvlbody\\pnlcltr"); break;
        case QTextListFormat::ListUpperAlpha: m_out.append("\\pnlvlbody\\pnucltr"); break;
        case QTextListFormat::ListLowerRoman: m_out.append("\\pnlvlbody\\pnlcrm"); break;
        case QTextListFormat::ListUpperRoman: m_out.append("\\pnlvlbody\\pnucrm"); break;
        default: m_out.append("\\pnlvlblt"); break;
        }
        m_out.append(bullet ? "\\pnindent0{\\pntxtb\\bullet}}" : "\\pnstart1\\pnindent0{\\pntxta.}}");
    }
    // A blank after a group would be text.
    if (!m_out.endsWith('}'))
        m_out.append(' ');
    for (auto it = block.begin(); !it.atEnd(); ++it)
        WriteRun(it.fragment());
    // The paragraph's own character format sizes an empty paragraph.
    if (block.length() <= 1) {
        const QTextCharFormat chars = block.charFormat();
        m_out.append("{\\f" + QByteArray::number(FontIndex(FamilyOf(chars, m_document))));
        AppendNumber(m_out, "\\fs", PointSizeOf(chars, m_document) * 2);
        m_out.append(" \\par}\r\n");
        return;
    }
    m_out.append("\\par\r\n");
}

void TRtfWriter::WriteRun(const QTextFragment& fragment)
{
    const QTextCharFormat format = fragment.charFormat();
    if (format.isImageFormat()) {
        WritePicture(format.toImageFormat());
        return;
    }
    m_out.append("{\\f" + QByteArray::number(FontIndex(FamilyOf(format, m_document))));
    AppendNumber(m_out, "\\fs", PointSizeOf(format, m_document) * 2);
    if (format.fontWeight() >= QFont::DemiBold)
        m_out.append("\\b");
    if (format.fontItalic())
        m_out.append("\\i");
    if (format.fontUnderline())
        m_out.append("\\ul");
    if (format.fontStrikeOut())
        m_out.append("\\strike");
    if (format.hasProperty(QTextFormat::ForegroundBrush))
        m_out.append("\\cf" + QByteArray::number(ColorIndex(format.foreground().color())));
    if (format.hasProperty(QTextFormat::BackgroundBrush))
        m_out.append("\\highlight" + QByteArray::number(ColorIndex(format.background().color())));
    if (format.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        m_out.append("\\super");
    else if (format.verticalAlignment() == QTextCharFormat::AlignSubScript)
        m_out.append("\\sub");
    m_out.append(' ');
    AppendText(m_out, fragment.text());
    m_out.append('}');
}

void TRtfWriter::WritePicture(const QTextImageFormat& format)
{
    QByteArray data = format.property(kRtfPictureDataProperty).toByteArray();
    bool jpeg = format.property(kRtfPictureJpegProperty).toBool();
    const QVariant resource = m_document.resource(QTextDocument::ImageResource, QUrl(format.name()));
    QImage image = resource.value<QImage>();
    if (image.isNull())
        return;
    if (data.isEmpty()) {
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        if (!writer.write(image))
            return;
        jpeg = false;
    }
    m_out.append(jpeg ? "{\\pict\\jpegblip" : "{\\pict\\pngblip");
    AppendNumber(m_out, "\\picw", image.width());
    AppendNumber(m_out, "\\pich", image.height());
    AppendNumber(m_out, "\\picwgoal", format.width() > 0 ? format.width() : image.width() * 15.0);
    AppendNumber(m_out, "\\pichgoal", format.height() > 0 ? format.height() : image.height() * 15.0);
    m_out.append("\r\n");
    const QByteArray hex = data.toHex();
    for (qsizetype i = 0; i < hex.size(); i += 128) {
        m_out.append(hex.mid(i, 128));
        m_out.append("\r\n");
    }
    m_out.append('}');
}

} // namespace

QByteArray WriteRtf(const QTextDocument& document)
{
    return TRtfWriter(document).Write();
}

} // namespace orvane
