#pragma once

// A PDF document written page by page: each page's content and resources go
// to the file when the page ends, so memory stays flat in the page count;
// fonts, the page tree, bookmarks and the document information follow at the end.

#include "output/pdf/pdf_file.h"
#include "output/pdf/pdf_fonts.h"
#include "output/pdf/pdf_images.h"

#include <QString>
#include <vector>

class QIODevice;

namespace orvane {

struct TPdfBookmark {
    QString title;
    int page = 0;       // index among the pages written
    double top = 0;     // points from the page's top
    std::vector<TPdfBookmark> children;
};

class TPdfDocument {
public:
    TPdfDocument(QIODevice* out, int level);
    TPdfDocument(const TPdfDocument&) = delete;
    TPdfDocument& operator=(const TPdfDocument&) = delete;

    TPdfFile& File() { return m_file; }
    TPdfFonts& Fonts() { return m_fonts; }
    TPdfImages& Images() { return m_images; }

    // A page of `width` by `height` points with its content stream and the
    // entries of its resource dictionary.
    void AddPage(double width, double height, const QByteArray& content, const QByteArray& resources);
    int PageCount() const { return int(m_pages.size()); }
    // Page heights in points, for bookmark targets.
    double PageHeight(int index) const { return m_heights.at(size_t(index)); }

    void SetTitle(const QString& title) { m_title = title; }
    void SetBookmarks(std::vector<TPdfBookmark> bookmarks) { m_bookmarks = std::move(bookmarks); }
    // Everything after the pages; false when a write failed.
    bool Finish();

private:
    int WriteBookmarks(const std::vector<TPdfBookmark>& items, int parent, int& count);

    TPdfFile m_file;
    TPdfFonts m_fonts;
    TPdfImages m_images;
    int m_pagesObject;
    std::vector<int> m_pages;
    std::vector<float> m_heights;
    QString m_title;
    std::vector<TPdfBookmark> m_bookmarks;
};

} // namespace orvane
