#include "components/rtf.h"

#include "document/code_page.h"
#include "document/messages.h"
#include "document/message_ids.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QRegularExpression>
#include <QUrl>

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <map>
#include <optional>
#include <unordered_map>
#include <vector>

namespace orvane {

namespace {

// The paint device every rich text layout measures on: twips.
const QImage& ReferenceDevice()
{
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_ARGB32);
        const int dotsPerMeter = qRound(kRichTextDpi / 0.0254);
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        return image;
    }();
    return device;
}

} // namespace

void PrepareRichTextDocument(QTextDocument& document)
{
    document.documentLayout()->setPaintDevice(const_cast<QImage*>(&ReferenceDevice()));
    document.setDocumentMargin(0);
    document.setUseDesignMetrics(true);
    // Half an inch, as word processors default to.
    document.setIndentWidth(720);
    QTextOption option = document.defaultTextOption();
    option.setTabStopDistance(720);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document.setDefaultTextOption(option);
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(12);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(false);
    document.setDefaultFont(font);
}

namespace {

constexpr char kRtfStart[] = "{\\rtf";

} // namespace

bool IsRtf(QByteArrayView bytes)
{
    return bytes.startsWith(kRtfStart);
}

bool IsRtf(QStringView text)
{
    return text.startsWith(QLatin1StringView(kRtfStart));
}

QByteArray RtfStringToBytes(QStringView text)
{
    QByteArray out;
    out.reserve(text.size());
    for (const QChar ch : text) {
        if (IsCodePageRepresentable(QStringView(&ch, 1))) {
            out.append(ToCodePage(QStringView(&ch, 1)));
        } else {
            out.append("\\u");
            out.append(QByteArray::number(int(int16_t(ch.unicode()))));
            out.append('?');
        }
    }
    return out;
}

namespace {

// ---- Code pages ----

int CodePageOfCharset(int charset, int ansiCodePage)
{
    switch (charset) {
    case 0: return 1252;
    case 1: return ansiCodePage;
    case 2: return 42; // Symbol
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 255: return 437;
    default: return ansiCodePage;
    }
}

const char* IconvName(int codePage)
{
    switch (codePage) {
    case 10000: return "MACINTOSH";
    case 950: return "BIG5";
    case 936: return "GBK";
    case 1361: return "JOHAB";
    default: return nullptr;
    }
}

// Decodes bytes of one code page; converters are opened once per reader.
class TCodePageDecoder {
public:
    ~TCodePageDecoder()
    {
        for (auto& [page, cd] : m_converters) {
            if (cd != iconv_t(-1))
                iconv_close(cd);
        }
    }

    QString Decode(int codePage, const QByteArray& bytes)
    {
        if (codePage == 1252 || codePage <= 0)
            return FromCodePage(bytes);
        if (codePage == 42) {
            // Symbol fonts: the bullet is what lists use; the rest as Latin.
            QString text = FromCodePage(bytes);
            text.replace(QChar(0xB7), QChar(0x2022));
            return text;
        }
        if (codePage == 65001)
            return QString::fromUtf8(bytes);
        iconv_t cd = Converter(codePage);
        if (cd == iconv_t(-1))
            return FromCodePage(bytes);
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        QByteArray out;
        out.resize(bytes.size() * 4 + 16);
        char* in = const_cast<char*>(bytes.constData());
        size_t inLeft = bytes.size();
        char* outPtr = out.data();
        size_t outLeft = out.size();
        QString result;
        while (inLeft > 0) {
            const size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
            if (r != size_t(-1))
                break;
            if (errno == E2BIG)
                break; // cannot happen with four bytes a byte
            // An invalid or cut-off sequence: one replacement character, then on.
            result += QString::fromUtf8(out.constData(), outPtr - out.constData());
            result += QChar(QChar::ReplacementCharacter);
            outPtr = out.data();
            outLeft = out.size();
            ++in;
            --inLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
        result += QString::fromUtf8(out.constData(), outPtr - out.constData());
        return result;
    }

private:
    iconv_t Converter(int codePage)
    {
        auto it = m_converters.find(codePage);
        if (it != m_converters.end())
            return it->second;
        const char* name = IconvName(codePage);
        const QByteArray fallback = "CP" + QByteArray::number(codePage);
        iconv_t cd = iconv_open("UTF-8", name ? name : fallback.constData());
        if (cd == iconv_t(-1) && name)
            cd = iconv_open("UTF-8", fallback.constData());
        m_converters.emplace(codePage, cd);
        return cd;
    }

    std::map<int, iconv_t> m_converters;
};

// ---- Reader state ----

enum TDestination : uint8_t {
    dText,       // document text
    dSkip,       // read over
    dFontTable,
    dColorTable,
    dPicture,
    dMarker,     // the number or bullet of a list paragraph
    dListDef,    // \pn: how a paragraph is numbered
};

enum TListKind : uint8_t { lkNone, lkBullet, lkDecimal, lkLowerAlpha, lkUpperAlpha, lkLowerRoman, lkUpperRoman };

struct TCharProps {
    int font = -1;
    int halfPoints = 24;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool hidden = false;
    int foreground = 0;
    int background = 0;
    int vertical = 0; // 1 superscript, -1 subscript
    bool operator==(const TCharProps&) const = default;
};

struct TParaProps {
    int alignment = 0; // 0 left, 1 centre, 2 right, 3 justify
    int left = 0, right = 0, first = 0, before = 0, after = 0;
    int lineSpacing = 0;
    bool lineMultiple = false;
    QList<QTextOption::Tab> tabs;
    QTextOption::TabType nextTabType = QTextOption::LeftTab;
    TListKind listKind = lkNone;
    int listLevel = 0;
    int listId = 0;
};

struct TState {
    TCharProps chars;
    TParaProps para;
    TDestination destination = dText;
    bool ownsDestination = false;
    int unicodeSkip = 1;
};

struct TFontEntry {
    QString name;
    int codePage = 1252;
};

struct TPicture {
    enum Kind : uint8_t { pkNone, pkPng, pkJpeg, pkOther } kind = pkNone;
    QByteArray data;
    int pendingNibble = -1;
    bool tooLarge = false;
    int width = 0, height = 0;          // pixels
    int goalWidth = 0, goalHeight = 0;  // twips
    int scaleX = 100, scaleY = 100;
};

// Control words the reader acts on.
enum TWord : uint8_t {
    wUnknown,
    // destinations
    wFontTable, wColorTable, wPict, wShpPict, wNonShpPict, wPnText, wListText, wPn, wFldInst, wFldRslt,
    wSkipDestination,
    // document
    wAnsiCpg, wDeff, wDefTab, wUc, wU, wBin, wMac, wPc, wPca,
    // fonts and colours
    wF, wFCharset, wCpg, wRed, wGreen, wBlue,
    // characters
    wPlain, wB, wI, wUl, wUlNone, wStrike, wV, wFs, wCf, wCb, wHighlight, wSuper, wSub, wNoSuperSub,
    // paragraphs
    wPard, wPar, wLine, wTab, wPage, wSect, wCell, wRow, wQl, wQc, wQr, wQj, wLi, wRi, wFi, wSb, wSa, wSl,
    wSlMult, wTx, wTqr, wTqc, wTqDec, wLs, wIlvl,
    // list definitions
    wPnLvlBlt, wPnLvlBody, wPnDec, wPnLcltr, wPnUcltr, wPnLcrm, wPnUcrm, wPnLvl, wPnTxta, wPnTxtb,
    // pictures
    wPngBlip, wJpegBlip, wOtherBlip, wPicW, wPicH, wPicWGoal, wPicHGoal, wPicScaleX, wPicScaleY,
    // special characters
    wEmDash, wEnDash, wEmSpace, wEnSpace, wQmSpace, wBullet, wLQuote, wRQuote, wLDblQuote, wRDblQuote, wZwj,
    wZwnj, wLtrMark, wRtlMark,
};

const std::unordered_map<std::string_view, TWord>& Words()
{
    static const std::unordered_map<std::string_view, TWord> words = {
        {"fonttbl", wFontTable}, {"colortbl", wColorTable}, {"pict", wPict}, {"shppict", wShpPict},
        {"nonshppict", wNonShpPict}, {"pntext", wPnText}, {"listtext", wListText}, {"pn", wPn},
        {"fldinst", wFldInst}, {"fldrslt", wFldRslt},
        {"stylesheet", wSkipDestination}, {"info", wSkipDestination}, {"header", wSkipDestination},
        {"headerl", wSkipDestination}, {"headerr", wSkipDestination}, {"headerf", wSkipDestination},
        {"footer", wSkipDestination}, {"footerl", wSkipDestination}, {"footerr", wSkipDestination},
        {"footerf", wSkipDestination}, {"footnote", wSkipDestination}, {"annotation", wSkipDestination},
        {"listtable", wSkipDestination}, {"listoverridetable", wSkipDestination}, {"revtbl", wSkipDestination},
        {"rsidtbl", wSkipDestination}, {"xmlnstbl", wSkipDestination}, {"themedata", wSkipDestination},
        {"colorschememapping", wSkipDestination}, {"latentstyles", wSkipDestination},
        {"datastore", wSkipDestination}, {"filetbl", wSkipDestination}, {"private", wSkipDestination},
        {"falt", wSkipDestination}, {"panose", wSkipDestination}, {"object", wUnknown},
        {"objdata", wSkipDestination}, {"xe", wSkipDestination}, {"tc", wSkipDestination},
        {"txe", wSkipDestination}, {"rxe", wSkipDestination}, {"atnid", wSkipDestination},
        {"atnauthor", wSkipDestination}, {"bkmkstart", wSkipDestination}, {"bkmkend", wSkipDestination},
        {"generator", wSkipDestination}, {"pgdsctbl", wSkipDestination}, {"template", wSkipDestination},
        {"author", wSkipDestination}, {"title", wSkipDestination}, {"subject", wSkipDestination},
        {"operator", wSkipDestination}, {"keywords", wSkipDestination}, {"comment", wSkipDestination},
        {"doccomm", wSkipDestination}, {"userprops", wSkipDestination}, {"docvar", wSkipDestination},
        {"blipuid", wSkipDestination}, {"pnseclvl", wSkipDestination},
        {"ansicpg", wAnsiCpg}, {"deff", wDeff}, {"deftab", wDefTab}, {"uc", wUc}, {"u", wU}, {"bin", wBin},
        {"mac", wMac}, {"pc", wPc}, {"pca", wPca},
        {"f", wF}, {"fcharset", wFCharset}, {"cpg", wCpg}, {"red", wRed}, {"green", wGreen}, {"blue", wBlue},
        {"plain", wPlain}, {"b", wB}, {"i", wI}, {"ul", wUl}, {"uld", wUl}, {"uldash", wUl}, {"uldashd", wUl},
        {"uldashdd", wUl}, {"uldb", wUl}, {"ulhwave", wUl}, {"ulldash", wUl}, {"ulth", wUl}, {"ulw", wUl},
        {"ulwave", wUl}, {"ulnone", wUlNone}, {"strike", wStrike}, {"striked", wStrike}, {"v", wV},
        {"fs", wFs}, {"cf", wCf}, {"cb", wCb}, {"chcbpat", wCb}, {"highlight", wHighlight}, {"super", wSuper},
        {"sub", wSub}, {"nosupersub", wNoSuperSub},
        {"pard", wPard}, {"par", wPar}, {"line", wLine}, {"tab", wTab}, {"page", wPage}, {"sect", wSect},
        {"cell", wCell}, {"nestcell", wCell}, {"row", wRow}, {"nestrow", wRow}, {"ql", wQl}, {"qc", wQc},
        {"qr", wQr}, {"qj", wQj}, {"li", wLi}, {"ri", wRi}, {"fi", wFi}, {"sb", wSb}, {"sa", wSa}, {"sl", wSl},
        {"slmult", wSlMult}, {"tx", wTx}, {"tqr", wTqr}, {"tqc", wTqc}, {"tqdec", wTqDec}, {"ls", wLs},
        {"ilvl", wIlvl},
        {"pnlvlblt", wPnLvlBlt}, {"pnlvlbody", wPnLvlBody}, {"pndec", wPnDec}, {"pnlcltr", wPnLcltr},
        {"pnucltr", wPnUcltr}, {"pnlcrm", wPnLcrm}, {"pnucrm", wPnUcrm}, {"pnlvl", wPnLvl},
        {"pntxta", wPnTxta}, {"pntxtb", wPnTxtb},
        {"pngblip", wPngBlip}, {"jpegblip", wJpegBlip}, {"emfblip", wOtherBlip}, {"wmetafile", wOtherBlip},
        {"macpict", wOtherBlip}, {"dibitmap", wOtherBlip}, {"wbitmap", wOtherBlip}, {"pmmetafile", wOtherBlip},
        {"picw", wPicW}, {"pich", wPicH}, {"picwgoal", wPicWGoal}, {"pichgoal", wPicHGoal},
        {"picscalex", wPicScaleX}, {"picscaley", wPicScaleY},
        {"emdash", wEmDash}, {"endash", wEnDash}, {"emspace", wEmSpace}, {"enspace", wEnSpace},
        {"qmspace", wQmSpace}, {"bullet", wBullet}, {"lquote", wLQuote}, {"rquote", wRQuote},
        {"ldblquote", wLDblQuote}, {"rdblquote", wRDblQuote}, {"zwj", wZwj}, {"zwnj", wZwnj},
        {"ltrmark", wLtrMark}, {"rtlmark", wRtlMark},
    };
    return words;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

class TRtfReader {
public:
    TRtfReader(QByteArrayView bytes, QTextDocument& document)
        : m_in(bytes), m_document(document), m_cursor(&document)
    {
    }

    bool Read(QString* error);

private:
    TState& State() { return m_stack.back(); }
    void ControlWord(std::string_view word, bool hasParam, int param);
    void ControlSymbol(char c);
    void Byte(unsigned char byte);
    void FlushBytes();
    void Deliver(const QString& text);
    void DeliverChar(char32_t ch);
    void Unicode(int param);
    void OpenGroup();
    void CloseGroup();
    void EndDestination(const TState& closing);
    void EndParagraph();
    void FinishDocument();
    void ApplyParagraph(const TParaProps& para);
    void FlushRun();
    QTextCharFormat MakeFormat(const TCharProps& props) const;
    void InsertPicture(const TPicture& picture);
    int CurrentCodePage() const;
    void SkipBinary(int count);

    QByteArrayView m_in;
    qsizetype m_pos = 0;
    QTextDocument& m_document;
    QTextCursor m_cursor;
    std::vector<TState> m_stack;
    bool m_done = false;
    bool m_starred = false;  // the group started with \*
    bool m_groupStart = false;

    int m_ansiCodePage = 1252;
    int m_defaultFont = 0;
    std::map<int, TFontEntry> m_fonts;
    int m_definingFont = 0;
    int m_definingCharset = -1;
    int m_definingCodePage = 0;
    QByteArray m_fontNameBytes;
    QString m_fontName;
    std::vector<std::optional<QColor>> m_colors;
    int m_red = 0, m_green = 0, m_blue = 0;
    bool m_colorComponents = false;

    TCodePageDecoder m_decoder;
    QByteArray m_bytes;   // undecoded 8-bit text
    int m_skip = 0;       // fallback characters still to skip after \u
    char16_t m_highSurrogate = 0;

    QString m_run;
    TCharProps m_runProps;
    QString m_marker;
    TPicture m_picture;
    int m_pictures = 0;

    bool m_paragraphHasContent = false;
    bool m_endedByMark = false;
    struct TOpenList {
        QTextList* list = nullptr;
        TListKind kind = lkNone;
        int id = 0;
    };
    // The lists of the paragraphs just read, by level.
    std::array<TOpenList, 9> m_openLists{};
    TParaProps m_openPara;
};

bool TRtfReader::Read(QString* error)
{
    m_stack.reserve(64);
    m_stack.push_back(TState{});
    // The opening brace of the file is read as a group like any other; the
    // bottom state stays for text after a missing closing brace.
    while (m_pos < m_in.size() && !m_done) {
        const char c = m_in[m_pos++];
        switch (c) {
        case '{':
            FlushBytes();
            if (int(m_stack.size()) > kRtfMaxDepth) {
                if (error)
                    *error = MessageText(msg::RichTextNestedTooDeep, {QString::number(kRtfMaxDepth)});
                return false;
            }
            OpenGroup();
            break;
        case '}':
            FlushBytes();
            CloseGroup();
            break;
        case '\\': {
            if (m_pos >= m_in.size())
                break;
            const char next = m_in[m_pos];
            if (IsLetter(next)) {
                const qsizetype start = m_pos;
                while (m_pos < m_in.size() && IsLetter(m_in[m_pos]) && m_pos - start < 32)
                    ++m_pos;
                const std::string_view word(m_in.data() + start, size_t(m_pos - start));
                bool negative = false;
                bool hasParam = false;
                int64_t value = 0;
                if (m_pos < m_in.size() && m_in[m_pos] == '-' && m_pos + 1 < m_in.size() &&
                    m_in[m_pos + 1] >= '0' && m_in[m_pos + 1] <= '9') {
                    negative = true;
                    ++m_pos;
                }
                while (m_pos < m_in.size() && m_in[m_pos] >= '0' && m_in[m_pos] <= '9') {
                    hasParam = true;
                    // Beyond 32 bits the number saturates; its digits are still read.
                    if (value < (int64_t(1) << 32))
                        value = value * 10 + (m_in[m_pos] - '0');
                    ++m_pos;
                }
                if (m_pos < m_in.size() && m_in[m_pos] == ' ')
                    ++m_pos;
                value = negative ? -value : value;
                value = std::clamp<int64_t>(value, INT32_MIN, INT32_MAX);
                ControlWord(word, hasParam, int(value));
            } else {
                ++m_pos;
                ControlSymbol(next);
            }
            break;
        }
        case '\r':
        case '\n':
            break;
        case '\t':
            FlushBytes();
            ControlWord("tab", false, 0);
            break;
        case '\0':
            break;
        default:
            Byte(static_cast<unsigned char>(c));
            break;
        }
        // Line ends may stand between a brace and its \*.
        if (c != '{' && c != '\r' && c != '\n')
            m_groupStart = false;
    }
    FlushBytes();
    FinishDocument();
    return true;
}

void TRtfReader::OpenGroup()
{
    m_stack.push_back(m_stack.back());
    State().ownsDestination = false;
    m_groupStart = true;
    m_starred = false;
    m_skip = 0;
}

void TRtfReader::CloseGroup()
{
    m_skip = 0;
    if (m_stack.size() <= 1) {
        // A closing brace too many: the file ended.
        m_done = true;
        return;
    }
    const TState closing = m_stack.back();
    if (closing.ownsDestination)
        EndDestination(closing);
    if (closing.destination == dText && closing.chars.hidden != m_stack[m_stack.size() - 2].chars.hidden)
        FlushRun();
    m_stack.pop_back();
    if (m_stack.size() == 1)
        m_done = true; // the document's own group ended; what follows is not read
}

void TRtfReader::EndDestination(const TState& closing)
{
    switch (closing.destination) {
    case dFontTable:
        break;
    case dPicture:
        InsertPicture(m_picture);
        m_picture = {};
        break;
    default:
        break;
    }
}

void TRtfReader::SkipBinary(int count)
{
    const qsizetype n = std::clamp<qsizetype>(count, 0, m_in.size() - m_pos);
    if (State().destination == dPicture && !m_picture.tooLarge) {
        if (m_picture.data.size() + n > kRtfMaxPictureBytes)
            m_picture.tooLarge = true;
        else
            m_picture.data.append(m_in.data() + m_pos, n);
    }
    m_pos += n;
}

void TRtfReader::ControlSymbol(char c)
{
    if (c == '\'') {
        if (m_pos + 2 > m_in.size()) {
            m_pos = m_in.size(); // a cut-off escape ends the file
            return;
        }
        const int hi = HexValue(m_in[m_pos]);
        const int lo = HexValue(m_in[m_pos + 1]);
        m_pos += 2;
        if (hi < 0 || lo < 0)
            return;
        Byte(static_cast<unsigned char>(hi * 16 + lo));
        return;
    }
    FlushBytes();
    if (c == '*') {
        if (m_groupStart)
            m_starred = true;
        return;
    }
    if (m_skip > 0) {
        --m_skip;
        return;
    }
    switch (c) {
    case '\\':
    case '{':
    case '}':
        DeliverChar(char32_t(c));
        break;
    case '~':
        DeliverChar(0x00A0);
        break;
    case '_':
        DeliverChar(0x2011);
        break;
    case '\r':
    case '\n':
        ControlWord("par", false, 0);
        break;
    case '\t':
        ControlWord("tab", false, 0);
        break;
    default:
        // \- optional hyphens, \| and \: index marks: nothing to print
        break;
    }
}

void TRtfReader::Byte(unsigned char byte)
{
    TState& s = State();
    if (s.destination == dPicture) {
        if (m_picture.tooLarge)
            return;
        const int v = HexValue(char(byte));
        if (v < 0)
            return;
        if (m_picture.pendingNibble < 0) {
            m_picture.pendingNibble = v;
        } else {
            if (m_picture.data.size() >= kRtfMaxPictureBytes) {
                m_picture.tooLarge = true;
                return;
            }
            m_picture.data.append(char(m_picture.pendingNibble * 16 + v));
            m_picture.pendingNibble = -1;
        }
        return;
    }
    if (s.destination == dSkip || s.destination == dListDef)
        return;
    if (m_skip > 0) {
        --m_skip;
        return;
    }
    if (s.destination == dColorTable) {
        if (byte == ';') {
            if (m_colorComponents)
                m_colors.emplace_back(QColor(std::clamp(m_red, 0, 255), std::clamp(m_green, 0, 255),
                                             std::clamp(m_blue, 0, 255)));
            else
                m_colors.emplace_back(std::nullopt);
            m_red = m_green = m_blue = 0;
            m_colorComponents = false;
        }
        return;
    }
    if (s.destination == dFontTable) {
        if (byte == ';') {
            FlushBytes();
            TFontEntry entry;
            entry.name = m_fontName.trimmed();
            entry.codePage = m_definingCodePage > 0
                                 ? m_definingCodePage
                                 : (m_definingCharset >= 0 ? CodePageOfCharset(m_definingCharset, m_ansiCodePage)
                                                           : m_ansiCodePage);
            m_fonts[m_definingFont] = entry;
            m_fontName.clear();
            m_definingCharset = -1;
            m_definingCodePage = 0;
            return;
        }
    }
    m_bytes.append(char(byte));
}

int TRtfReader::CurrentCodePage() const
{
    const TState& s = m_stack.back();
    if (s.destination == dFontTable) {
        if (m_definingCodePage > 0)
            return m_definingCodePage;
        return m_definingCharset >= 0 ? CodePageOfCharset(m_definingCharset, m_ansiCodePage) : m_ansiCodePage;
    }
    const int font = s.chars.font >= 0 ? s.chars.font : m_defaultFont;
    auto it = m_fonts.find(font);
    return it != m_fonts.end() ? it->second.codePage : m_ansiCodePage;
}

void TRtfReader::FlushBytes()
{
    if (m_bytes.isEmpty())
        return;
    const QByteArray bytes = std::exchange(m_bytes, {});
    Deliver(m_decoder.Decode(CurrentCodePage(), bytes));
}

void TRtfReader::DeliverChar(char32_t ch)
{
    Deliver(QString::fromUcs4(&ch, 1));
}

void TRtfReader::Deliver(const QString& input)
{
    QString text = input;
    if (m_highSurrogate) {
        m_highSurrogate = 0;
        text.prepend(QChar(QChar::ReplacementCharacter));
    }
    TState& s = State();
    switch (s.destination) {
    case dText:
        break;
    case dFontTable:
        m_fontName += text;
        return;
    case dMarker:
        m_marker += text;
        return;
    default:
        return;
    }
    if (s.chars.hidden)
        return;
    // Characters the document keeps for its own structure, and controls,
    // never come from a file.
    for (QChar& ch : text) {
        const char16_t u = ch.unicode();
        if (u == QChar::ParagraphSeparator || u == u'\r' || u == u'\n')
            ch = QChar(QChar::LineSeparator);
        else if (u == QChar::ObjectReplacementCharacter || u == 0xFDD0 || u == 0xFDD1 ||
                 (u < 0x20 && u != u'\t'))
            ch = QChar(QChar::ReplacementCharacter);
    }
    if (!m_run.isEmpty() && !(s.chars == m_runProps))
        FlushRun();
    if (m_run.isEmpty())
        m_runProps = s.chars;
    m_run += text;
    m_paragraphHasContent = true;
    m_openPara = s.para;
}

void TRtfReader::Unicode(int param)
{
    int64_t v = param;
    if (v < 0)
        v += 65536;
    m_skip = 0;
    if (v <= 0 || v > 0xFFFF) {
        if (v != 0)
            Deliver(QString(QChar(QChar::ReplacementCharacter)));
    } else if (QChar::isHighSurrogate(char16_t(v))) {
        if (m_highSurrogate) {
            m_highSurrogate = 0;
            Deliver(QString(QChar(QChar::ReplacementCharacter)));
        }
        m_highSurrogate = char16_t(v);
    } else if (QChar::isLowSurrogate(char16_t(v))) {
        if (m_highSurrogate) {
            const char16_t pair[2] = {m_highSurrogate, char16_t(v)};
            m_highSurrogate = 0;
            Deliver(QString(reinterpret_cast<const QChar*>(pair), 2));
        } else {
            Deliver(QString(QChar(QChar::ReplacementCharacter)));
        }
    } else {
        Deliver(QString(QChar(char16_t(v))));
    }
    m_skip = State().unicodeSkip;
}

void TRtfReader::ControlWord(std::string_view name, bool hasParam, int param)
{
    FlushBytes();
    const auto found = Words().find(name);
    const TWord word = found == Words().end() ? wUnknown : found->second;
    const bool starred = std::exchange(m_starred, false);
    TState& s = State();

    if (s.destination == dSkip) {
        if (word == wBin)
            SkipBinary(param);
        return;
    }
    if (m_skip > 0 && word != wU) {
        // A control word in the place of a \u fallback counts as one character.
        --m_skip;
        if (word == wBin)
            SkipBinary(param);
        return;
    }
    if (starred && word != wShpPict && word != wPn && word != wPict) {
        s.destination = dSkip;
        s.ownsDestination = true;
        return;
    }
    const bool on = !hasParam || param != 0;
    auto startDestination = [&](TDestination destination) {
        s.destination = destination;
        s.ownsDestination = true;
    };
    auto setList = [&](TListKind kind) {
        s.para.listKind = kind;
        if (m_stack.size() >= 2)
            m_stack[m_stack.size() - 2].para.listKind = kind;
    };
    auto length = [&] { return std::clamp(param, -200000, 200000); };

    switch (word) {
    case wUnknown:
        break;
    case wFontTable:
        startDestination(dFontTable);
        break;
    case wColorTable:
        startDestination(dColorTable);
        m_colors.clear();
        m_colorComponents = false;
        break;
    case wPict:
        startDestination(dPicture);
        m_picture = {};
        break;
    case wShpPict:
        break;
    case wNonShpPict:
    case wFldInst:
    case wSkipDestination:
    case wPnTxta:
    case wPnTxtb:
        startDestination(dSkip);
        break;
    case wPnText:
    case wListText:
        startDestination(dMarker);
        m_marker.clear();
        break;
    case wPn:
        startDestination(dListDef);
        if (s.para.listKind == lkNone)
            setList(lkBullet);
        break;
    case wFldRslt:
        if (s.destination != dText)
            break;
        break;
    case wAnsiCpg:
        if (param > 0)
            m_ansiCodePage = param;
        break;
    case wMac:
        m_ansiCodePage = 10000;
        break;
    case wPc:
        m_ansiCodePage = 437;
        break;
    case wPca:
        m_ansiCodePage = 850;
        break;
    case wDeff:
        m_defaultFont = param;
        break;
    case wDefTab:
        if (param > 0) {
            QTextOption option = m_document.defaultTextOption();
            option.setTabStopDistance(std::min(param, 31680));
            m_document.setDefaultTextOption(option);
        }
        break;
    case wUc:
        s.unicodeSkip = std::clamp(param, 0, 16);
        break;
    case wU:
        Unicode(param);
        break;
    case wBin:
        SkipBinary(param);
        break;
    case wF:
        if (s.destination == dFontTable) {
            m_definingFont = param;
            m_fontName.clear();
            m_definingCharset = -1;
            m_definingCodePage = 0;
        } else {
            s.chars.font = param;
        }
        break;
    case wFCharset:
        m_definingCharset = param;
        break;
    case wCpg:
        m_definingCodePage = param;
        break;
    case wRed:
        m_red = param;
        m_colorComponents = true;
        break;
    case wGreen:
        m_green = param;
        m_colorComponents = true;
        break;
    case wBlue:
        m_blue = param;
        m_colorComponents = true;
        break;
    case wPlain:
        s.chars = TCharProps{};
        break;
    case wB:
        s.chars.bold = on;
        break;
    case wI:
        s.chars.italic = on;
        break;
    case wUl:
        s.chars.underline = on;
        break;
    case wUlNone:
        s.chars.underline = false;
        break;
    case wStrike:
        s.chars.strike = on;
        break;
    case wV:
        s.chars.hidden = on;
        break;
    case wFs:
        s.chars.halfPoints = (hasParam && param > 0) ? std::clamp(param, 2, 3276) : 24;
        break;
    case wCf:
        s.chars.foreground = param;
        break;
    case wCb:
    case wHighlight:
        s.chars.background = param;
        break;
    case wSuper:
        s.chars.vertical = 1;
        break;
    case wSub:
        s.chars.vertical = -1;
        break;
    case wNoSuperSub:
        s.chars.vertical = 0;
        break;
    case wPard:
        s.para = TParaProps{};
        break;
    case wPar:
    case wPage:
    case wSect:
    case wCell:
        if (s.destination == dText)
            EndParagraph();
        break;
    case wRow:
        break;
    case wLine:
        DeliverChar(QChar::LineSeparator);
        break;
    case wTab:
        DeliverChar(U'\t');
        break;
    case wQl:
        s.para.alignment = 0;
        break;
    case wQc:
        s.para.alignment = 1;
        break;
    case wQr:
        s.para.alignment = 2;
        break;
    case wQj:
        s.para.alignment = 3;
        break;
    case wLi:
        s.para.left = length();
        break;
    case wRi:
        s.para.right = length();
        break;
    case wFi:
        s.para.first = length();
        break;
    case wSb:
        s.para.before = std::max(0, length());
        break;
    case wSa:
        s.para.after = std::max(0, length());
        break;
    case wSl:
        s.para.lineSpacing = length();
        break;
    case wSlMult:
        s.para.lineMultiple = param == 1;
        break;
    case wTqr:
        s.para.nextTabType = QTextOption::RightTab;
        break;
    case wTqc:
        s.para.nextTabType = QTextOption::CenterTab;
        break;
    case wTqDec:
        s.para.nextTabType = QTextOption::DelimiterTab;
        break;
    case wTx:
        if (s.para.tabs.size() < 64 && param >= 0) {
            const QChar delimiter = s.para.nextTabType == QTextOption::DelimiterTab ? QChar(u'.') : QChar();
            s.para.tabs.append(QTextOption::Tab(std::min(param, 200000), s.para.nextTabType, delimiter));
        }
        s.para.nextTabType = QTextOption::LeftTab;
        break;
    case wLs:
        s.para.listId = param;
        break;
    case wIlvl:
        s.para.listLevel = std::clamp(param, 0, 8);
        break;
    case wPnLvlBlt:
        setList(lkBullet);
        break;
    case wPnLvlBody:
    case wPnDec:
        setList(lkDecimal);
        break;
    case wPnLcltr:
        setList(lkLowerAlpha);
        break;
    case wPnUcltr:
        setList(lkUpperAlpha);
        break;
    case wPnLcrm:
        setList(lkLowerRoman);
        break;
    case wPnUcrm:
        setList(lkUpperRoman);
        break;
    case wPnLvl:
        s.para.listLevel = std::clamp(param - 1, 0, 8);
        if (m_stack.size() >= 2)
            m_stack[m_stack.size() - 2].para.listLevel = s.para.listLevel;
        break;
    case wPngBlip:
        m_picture.kind = TPicture::pkPng;
        break;
    case wJpegBlip:
        m_picture.kind = TPicture::pkJpeg;
        break;
    case wOtherBlip:
        m_picture.kind = TPicture::pkOther;
        break;
    case wPicW:
        m_picture.width = param;
        break;
    case wPicH:
        m_picture.height = param;
        break;
    case wPicWGoal:
        m_picture.goalWidth = param;
        break;
    case wPicHGoal:
        m_picture.goalHeight = param;
        break;
    case wPicScaleX:
        m_picture.scaleX = std::clamp(param, 1, 1000);
        break;
    case wPicScaleY:
        m_picture.scaleY = std::clamp(param, 1, 1000);
        break;
    case wEmDash:
        DeliverChar(0x2014);
        break;
    case wEnDash:
        DeliverChar(0x2013);
        break;
    case wEmSpace:
        DeliverChar(0x2003);
        break;
    case wEnSpace:
        DeliverChar(0x2002);
        break;
    case wQmSpace:
        DeliverChar(0x2005);
        break;
    case wBullet:
        DeliverChar(0x2022);
        break;
    case wLQuote:
        DeliverChar(0x2018);
        break;
    case wRQuote:
        DeliverChar(0x2019);
        break;
    case wLDblQuote:
        DeliverChar(0x201C);
        break;
    case wRDblQuote:
        DeliverChar(0x201D);
        break;
    case wZwj:
        DeliverChar(0x200D);
        break;
    case wZwnj:
        DeliverChar(0x200C);
        break;
    case wLtrMark:
        DeliverChar(0x200E);
        break;
    case wRtlMark:
        DeliverChar(0x200F);
        break;
    }
}

QTextCharFormat TRtfReader::MakeFormat(const TCharProps& props) const
{
    QTextCharFormat format;
    const auto font = m_fonts.find(props.font >= 0 ? props.font : m_defaultFont);
    const QString family =
        font != m_fonts.end() && !font->second.name.isEmpty() ? font->second.name : m_document.defaultFont().family();
    format.setFontFamilies(QStringList{family});
    format.setFontPointSize(props.halfPoints / 2.0);
    format.setFontWeight(props.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(props.italic);
    format.setFontUnderline(props.underline);
    format.setFontStrikeOut(props.strike);
    format.setFontHintingPreference(QFont::PreferNoHinting);
    format.setFontKerning(false);
    auto color = [&](int index) -> std::optional<QColor> {
        if (index < 0 || index >= int(m_colors.size()))
            return std::nullopt;
        return m_colors[size_t(index)];
    };
    if (const auto fg = color(props.foreground))
        format.setForeground(*fg);
    if (props.background > 0) {
        if (const auto bg = color(props.background))
            format.setBackground(*bg);
    }
    if (props.vertical > 0)
        format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (props.vertical < 0)
        format.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    return format;
}

void TRtfReader::FlushRun()
{
    if (m_run.isEmpty())
        return;
    m_cursor.insertText(m_run, MakeFormat(m_runProps));
    m_run.clear();
}

TListKind ClassifyMarker(const QString& marker)
{
    const QString m = marker.trimmed();
    if (m.isEmpty())
        return lkBullet;
    static const QRegularExpression decimal(QStringLiteral("^\\(?\\d+[.)]?$"));
    static const QRegularExpression lowerRoman(QStringLiteral("^\\(?[ivxlc]+[.)]$"));
    static const QRegularExpression upperRoman(QStringLiteral("^\\(?[IVXLC]+[.)]$"));
    static const QRegularExpression lowerAlpha(QStringLiteral("^\\(?[a-z][.)]$"));
    static const QRegularExpression upperAlpha(QStringLiteral("^\\(?[A-Z][.)]$"));
    if (decimal.match(m).hasMatch())
        return lkDecimal;
    if (m.size() > 2 && lowerRoman.match(m).hasMatch())
        return lkLowerRoman;
    if (m.size() > 2 && upperRoman.match(m).hasMatch())
        return lkUpperRoman;
    if (lowerAlpha.match(m).hasMatch())
        return lkLowerAlpha;
    if (upperAlpha.match(m).hasMatch())
        return lkUpperAlpha;
    return lkBullet;
}

QTextListFormat::Style ListStyle(TListKind kind)
{
    switch (kind) {
    case lkDecimal: return QTextListFormat::ListDecimal;
    case lkLowerAlpha: return QTextListFormat::ListLowerAlpha;
    case lkUpperAlpha: return QTextListFormat::ListUpperAlpha;
    case lkLowerRoman: return QTextListFormat::ListLowerRoman;
    case lkUpperRoman: return QTextListFormat::ListUpperRoman;
    default: return QTextListFormat::ListDisc;
    }
}

void TRtfReader::ApplyParagraph(const TParaProps& para)
{
    TListKind kind = para.listKind;
    if (kind == lkNone && (para.listId > 0 || !m_marker.isEmpty()))
        kind = ClassifyMarker(m_marker);

    QTextBlockFormat format;
    static constexpr Qt::Alignment kAlignments[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight,
                                                    Qt::AlignJustify};
    format.setAlignment(kAlignments[para.alignment & 3]);
    format.setLeftMargin(para.left);
    format.setRightMargin(para.right);
    format.setTopMargin(para.before);
    format.setBottomMargin(para.after);
    if (kind == lkNone) {
        format.setTextIndent(para.first);
    } else {
        // The number stands in the hanging indent; the file's indent is kept to be written back.
        format.setProperty(kRtfListIndentProperty, para.first);
    }
    if (para.lineSpacing > 0 && para.lineMultiple)
        format.setLineHeight(para.lineSpacing * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
    else if (para.lineSpacing > 0)
        format.setLineHeight(para.lineSpacing, QTextBlockFormat::MinimumHeight);
    else if (para.lineSpacing < 0)
        format.setLineHeight(-para.lineSpacing, QTextBlockFormat::FixedHeight);
    if (!para.tabs.isEmpty())
        format.setTabPositions(para.tabs);
    m_cursor.setBlockFormat(format);

    if (kind == lkNone) {
        m_openLists = {};
        return;
    }
    // An item goes on the list of its level, which a deeper level between
    // its items leaves open (the numbering goes on after a nested item);
    // going back up ends the deeper lists.
    const auto level = size_t(std::clamp(para.listLevel, 0, int(m_openLists.size()) - 1));
    std::fill(m_openLists.begin() + level + 1, m_openLists.end(), TOpenList());
    TOpenList& open = m_openLists[level];
    if (open.list && open.kind == kind && open.id == para.listId) {
        open.list->add(m_cursor.block());
        return;
    }
    QTextListFormat listFormat;
    listFormat.setStyle(ListStyle(kind));
    listFormat.setIndent(0);
    open = {m_cursor.createList(listFormat), kind, para.listId};
}

void TRtfReader::EndParagraph()
{
    FlushRun();
    ApplyParagraph(State().para);
    // An empty paragraph is as high as its mark's font, which may differ
    // from the font the paragraph opened with.
    if (m_cursor.block().length() <= 1)
        m_cursor.setBlockCharFormat(MakeFormat(State().chars));
    m_cursor.insertBlock(QTextBlockFormat(), MakeFormat(State().chars));
    m_paragraphHasContent = false;
    m_endedByMark = true;
    m_marker.clear();
}

void TRtfReader::FinishDocument()
{
    FlushRun();
    if (m_highSurrogate) {
        m_highSurrogate = 0;
        m_cursor.insertText(QString(QChar(QChar::ReplacementCharacter)));
        m_paragraphHasContent = true;
    }
    if (!m_paragraphHasContent && m_endedByMark) {
        // The last paragraph mark ends the last paragraph; it opens none.
        m_cursor.deletePreviousChar();
        return;
    }
    ApplyParagraph(m_paragraphHasContent ? m_openPara : State().para);
}

void TRtfReader::InsertPicture(const TPicture& picture)
{
    if (m_stack.size() < 2 || m_stack[m_stack.size() - 2].destination != dText)
        return;
    if ((picture.kind != TPicture::pkPng && picture.kind != TPicture::pkJpeg) || picture.tooLarge ||
        picture.data.isEmpty())
        return;
    QBuffer buffer;
    buffer.setData(picture.data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, picture.kind == TPicture::pkPng ? "png" : "jpeg");
    reader.setAllocationLimit(int(kRtfMaxPicturePixels * 4 / (1024 * 1024)));
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() > kRtfMaxPicturePixels)
        return;
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return;
    const QString name = QStringLiteral("rtfpicture:%1").arg(++m_pictures);
    m_document.addResource(QTextDocument::ImageResource, QUrl(name), image);
    // Goal sizes are twips; without them a pixel is a twentieth of a point at 96 dpi.
    const double width = (picture.goalWidth > 0 ? picture.goalWidth : image.width() * 15.0) * picture.scaleX / 100.0;
    const double height =
        (picture.goalHeight > 0 ? picture.goalHeight : image.height() * 15.0) * picture.scaleY / 100.0;
    QTextImageFormat format;
    format.setName(name);
    format.setWidth(std::clamp(width, 1.0, 200000.0));
    format.setHeight(std::clamp(height, 1.0, 200000.0));
    format.setProperty(kRtfPictureDataProperty, picture.data);
    format.setProperty(kRtfPictureJpegProperty, picture.kind == TPicture::pkJpeg);
    FlushRun();
    m_cursor.insertImage(format);
    m_paragraphHasContent = true;
    m_openPara = m_stack[m_stack.size() - 2].para;
}

} // namespace

bool ReadRtf(QByteArrayView bytes, QTextDocument& document, QString* error)
{
    document.clear();
    PrepareRichTextDocument(document);
    // One edit for the whole read: the layout follows once at the end, not
    // after every inserted run.
    struct TEditBlock {
        QTextCursor cursor;
        explicit TEditBlock(QTextDocument& d) : cursor(&d) { cursor.beginEditBlock(); }
        ~TEditBlock() { cursor.endEditBlock(); }
    } edit(document);
    if (!IsRtf(bytes)) {
        QStringDecoder decoder(QStringDecoder::Utf8);
        QString text = decoder(bytes);
        if (decoder.hasError())
            text = FromCodePage(bytes);
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(u'\r', u'\n');
        QTextCursor cursor(&document);
        cursor.insertText(text);
        return true;
    }
    TRtfReader reader(bytes, document);
    return reader.Read(error);
}

} // namespace orvane
