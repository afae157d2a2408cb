#pragma once

// A long RTF text for layout and paging: paragraphs of varying length with
// bold, italic, a second font, justification, indents and space after.

#include <QByteArray>

namespace orvane::test {

inline QByteArray LongRtf(int paragraphs)
{
    QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1 Times New Roman;}}\\f0\\fs20 ";
    for (int i = 0; i < paragraphs; ++i) {
        rtf += "\\pard";
        if (i % 3 == 1)
            rtf += "\\qj\\li720\\sa120";
        rtf += " Paragraph " + QByteArray::number(i) + ": ";
        for (int w = 0; w < 12 + i % 17; ++w)
            rtf += (w % 5 == 2 ? "{\\b\\fs28 words} " : (w % 7 == 3 ? "{\\f1\\i lines} " : "text "));
        rtf += "\\par\n";
    }
    return rtf + "}";
}

} // namespace orvane::test
