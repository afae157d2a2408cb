#include "output/pdf/pdf_document.h"

#include <QDateTime>

namespace orvane {

TPdfDocument::TPdfDocument(QIODevice* out, int level)
    : m_file(out, level), m_fonts(m_file), m_images(m_file), m_pagesObject(m_file.Reserve())
{
}

void TPdfDocument::AddPage(double width, double height, const QByteArray& content, const QByteArray& resources)
{
    const int contentObject = m_file.Reserve();
    m_file.WriteStream(contentObject, QByteArray(), content);
    const int page = m_file.Reserve();
    QByteArray d("<< /Type /Page /Parent ");
    PdfAppendInt(d, m_pagesObject);
    d.append(" 0 R /MediaBox [0 0 ");
    PdfAppendNumber(d, width);
    d.append(' ');
    PdfAppendNumber(d, height);
    d.append("] /Resources << /ProcSet [/PDF /Text /ImageB /ImageC]");
    d.append(resources);
    d.append(" >> /Contents ");
    PdfAppendInt(d, contentObject);
    d.append(" 0 R >>");
    m_file.WriteObject(page, d);
    m_pages.push_back(page);
    m_heights.push_back(float(height));
}

int TPdfDocument::WriteBookmarks(const std::vector<TPdfBookmark>& items, int parent, int& count)
{
    // Returns the first item's object; each item is written once its children are.
    std::vector<int> objects;
    for (size_t i = 0; i < items.size(); ++i)
        objects.push_back(m_file.Reserve());
    for (size_t i = 0; i < items.size(); ++i) {
        const TPdfBookmark& item = items[i];
        ++count;
        int descendants = 0;
        const int first = item.children.empty() ? 0 : WriteBookmarks(item.children, objects[i], descendants);
        count += descendants;
        QByteArray d("<< /Title ");
        d.append(PdfTextString(item.title));
        d.append(" /Parent ");
        PdfAppendInt(d, parent);
        d.append(" 0 R");
        if (i > 0) {
            d.append(" /Prev ");
            PdfAppendInt(d, objects[i - 1]);
            d.append(" 0 R");
        }
        if (i + 1 < items.size()) {
            d.append(" /Next ");
            PdfAppendInt(d, objects[i + 1]);
            d.append(" 0 R");
        }
        if (first) {
            d.append(" /First ");
            PdfAppendInt(d, first);
            d.append(" 0 R /Last ");
            PdfAppendInt(d, first + int(item.children.size()) - 1);
            d.append(" 0 R /Count ");
            PdfAppendInt(d, -int(item.children.size()));  // closed
        }
        if (item.page >= 0 && size_t(item.page) < m_pages.size()) {
            d.append(" /Dest [");
            PdfAppendInt(d, m_pages[size_t(item.page)]);
            d.append(" 0 R /XYZ null ");
            PdfAppendNumber(d, m_heights[size_t(item.page)] - item.top);
            d.append(" null]");
        }
        d.append(" >>");
        m_file.WriteObject(objects[i], d);
    }
    return objects.empty() ? 0 : objects.front();
}

bool TPdfDocument::Finish()
{
    m_fonts.WriteAll();

    QByteArray kids("<< /Type /Pages /Kids [");
    for (int page : m_pages) {
        PdfAppendInt(kids, page);
        kids.append(" 0 R ");
    }
    kids.append("] /Count ");
    PdfAppendInt(kids, int64_t(m_pages.size()));
    kids.append(" >>");
    m_file.WriteObject(m_pagesObject, kids);

    int outlines = 0;
    if (!m_bookmarks.empty()) {
        outlines = m_file.Reserve();
        int count = 0;
        const int first = WriteBookmarks(m_bookmarks, outlines, count);
        QByteArray d("<< /Type /Outlines /First ");
        PdfAppendInt(d, first);
        d.append(" 0 R /Last ");
        // Siblings are reserved consecutively.
        PdfAppendInt(d, first + int(m_bookmarks.size()) - 1);
        d.append(" 0 R /Count ");
        PdfAppendInt(d, int(m_bookmarks.size()));
        d.append(" >>");
        m_file.WriteObject(outlines, d);
    }

    const int info = m_file.Reserve();
    QByteArray d("<< /Title ");
    d.append(PdfTextString(m_title));
    d.append(" /Creator (Orvane) /Producer (Orvane) /CreationDate (D:");
    d.append(QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1());
    d.append("Z) >>");
    m_file.WriteObject(info, d);

    const int catalog = m_file.Reserve();
    QByteArray c("<< /Type /Catalog /Pages ");
    PdfAppendInt(c, m_pagesObject);
    c.append(" 0 R");
    if (outlines) {
        c.append(" /Outlines ");
        PdfAppendInt(c, outlines);
        c.append(" 0 R /PageMode /UseOutlines");
    }
    c.append(" >>");
    m_file.WriteObject(catalog, c);
    return m_file.Finish(catalog, info);
}

} // namespace orvane
