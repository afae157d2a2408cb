#include "components/barcode/barcode_encoder.h"

#include "document/message_ids.h"
#include "document/messages.h"

#include <algorithm>
#include <array>

namespace orvane {

namespace {

// Numbered texts of the message table.
enum : int {
    kCode39Invalid = 430, kEan13Length = 431, kEan13NeedsCheck = 432, kEan13Numeric = 433, kI25Numeric = 434,
    kI25Even = 435, kPostnetNumeric = 436, kUpcALength = 438, kUpcANeedsCheck = 439, kUpcANumeric = 440,
    kAddOnDigits = 424, kEan8Length = 645, kEan8NeedsCheck = 646, kEan8Numeric = 647, kUpcELength = 648,
    kUpcENeedsCheck = 649, kUpcENumeric = 650, kFimChoice = 651, kCodabarInvalid = 652, kCodabarStartStop = 653,
    kCodabarInnerA = 654, kCodabarInnerB = 655,
};

bool IsDigit(QChar c) { return c >= u'0' && c <= u'9'; }

bool AllDigits(QStringView s)
{
    for (QChar c : s)
        if (!IsDigit(c))
            return false;
    return true;
}

int DigitAt(QStringView s, qsizetype i) { return s[i].unicode() - u'0'; }

void Fail(TjxBarCodeSymbol& symbol, int id, const QString& text)
{
    symbol = TjxBarCodeSymbol();
    symbol.messageId = id;
    symbol.message = text;
}

void Fail(TjxBarCodeSymbol& symbol, int id) { Fail(symbol, id, GetMessage(id)); }

// ---- module patterns ----

void AddModules(TjxBarPattern& p, const char* bits)
{
    for (const char* b = bits; *b; ++b)
        p.push_back({*b == '1', ewNarrow});
}

// Alternating bar, space, ... with "n"/"w" widths, starting with a bar.
void AddElements(TjxBarPattern& p, const char* widths, bool startWithBar = true)
{
    bool bar = startWithBar;
    for (const char* w = widths; *w; ++w, bar = !bar)
        p.push_back({bar, *w == 'w' ? ewWide : ewNarrow});
}

// ---- UPC and EAN ----

constexpr std::array<const char*, 10> kSetL = {"0001101", "0011001", "0010011", "0111101", "0100011",
                                               "0110001", "0101111", "0111011", "0110111", "0001011"};
constexpr std::array<const char*, 10> kSetG = {"0100111", "0110011", "0011011", "0100001", "0011101",
                                               "0111001", "0000101", "0010001", "0001001", "0010111"};
constexpr std::array<const char*, 10> kSetR = {"1110010", "1100110", "1101100", "1000010", "1011100",
                                               "1001110", "1010000", "1000100", "1001000", "1110100"};
// EAN-13: parity of digits 2 to 7 by the first digit.
constexpr std::array<const char*, 10> kEan13Parity = {"LLLLLL", "LLGLGG", "LLGGLG", "LLGGGL", "LGLLGG",
                                                      "LGGLLG", "LGGGLL", "LGLGLG", "LGLGGL", "LGGLGL"};
// UPC-E, number system 0: parity of the six digits by the check digit.
constexpr std::array<const char*, 10> kUpcEParity = {"GGGLLL", "GGLGLL", "GGLLGL", "GGLLLG", "GLGGLL",
                                                     "GLLGGL", "GLLLGG", "GLGLGL", "GLGLLG", "GLLGLG"};
constexpr std::array<const char*, 10> kEan5Parity = {"GGLLL", "GLGLL", "GLLGL", "GLLLG", "LGGLL",
                                                     "LLGGL", "LLLGG", "LGLGL", "LGLLG", "LLGLG"};
constexpr std::array<const char*, 4> kEan2Parity = {"LL", "LG", "GL", "GG"};

void AddDigit(TjxBarPattern& p, int digit, char set)
{
    AddModules(p, set == 'G' ? kSetG[digit] : set == 'R' ? kSetR[digit] : kSetL[digit]);
}

struct TUpcRule {
    int length;      // with the check digit
    int lengthId, needsCheckId, numericId;
};

TUpcRule UpcRule(TjxBarCodeType type)
{
    switch (type) {
    case bcUPC_A: return {12, kUpcALength, kUpcANeedsCheck, kUpcANumeric};
    case bcUPC_E: return {7, kUpcELength, kUpcENeedsCheck, kUpcENumeric};
    case bcEAN_13: return {13, kEan13Length, kEan13NeedsCheck, kEan13Numeric};
    default: return {8, kEan8Length, kEan8NeedsCheck, kEan8Numeric};
    }
}

void EncodeUpcEan(const TjxBarCodeInput& in, TjxBarCodeSymbol& s)
{
    const TUpcRule rule = UpcRule(in.type);
    const qsizetype len = in.data.size();
    if (len != rule.length && len != rule.length - 1)
        return Fail(s, rule.lengthId);
    if (len == rule.length - 1 && !in.calcCheckDigit)
        return Fail(s, rule.needsCheckId);
    if (!AllDigits(in.data))
        return Fail(s, rule.numericId);
    QString digits = in.data;
    if (in.calcCheckDigit) {
        digits.truncate(rule.length - 1);
        const QString body = in.type == bcUPC_E ? UpcEToUpcA(digits) : digits;
        digits += QChar(u'0' + UpcEanCheckDigit(body));
    }
    s.data = digits;
    s.text = digits;
    TjxBarPattern& p = s.pattern;
    switch (in.type) {
    case bcUPC_A: case bcEAN_13: {
        const QString d = in.type == bcUPC_A ? u'0' + digits : digits;
        const char* parity = kEan13Parity[DigitAt(d, 0)];
        AddModules(p, "101");
        for (int i = 1; i <= 6; ++i)
            AddDigit(p, DigitAt(d, i), parity[i - 1]);
        AddModules(p, "01010");
        for (int i = 7; i <= 12; ++i)
            AddDigit(p, DigitAt(d, i), 'R');
        AddModules(p, "101");
        break;
    }
    case bcEAN_8:
        AddModules(p, "101");
        for (int i = 0; i < 4; ++i)
            AddDigit(p, DigitAt(digits, i), 'L');
        AddModules(p, "01010");
        for (int i = 4; i < 8; ++i)
            AddDigit(p, DigitAt(digits, i), 'R');
        AddModules(p, "101");
        break;
    default: {
        // Number system 0: the parity comes from the check digit, the last of the seven.
        const char* parity = kUpcEParity[DigitAt(digits, 6)];
        AddModules(p, "101");
        for (int i = 0; i < 6; ++i)
            AddDigit(p, DigitAt(digits, i), parity[i]);
        AddModules(p, "010101");
        break;
    }
    }
    s.ok = true;
}

bool EncodeAddOn(const QString& code, TjxBarPattern& p)
{
    if ((code.size() != 2 && code.size() != 5) || !AllDigits(code))
        return false;
    const char* parity;
    if (code.size() == 2) {
        parity = kEan2Parity[(DigitAt(code, 0) * 10 + DigitAt(code, 1)) % 4];
    } else {
        const int sum = 3 * (DigitAt(code, 0) + DigitAt(code, 2) + DigitAt(code, 4)) +
                        9 * (DigitAt(code, 1) + DigitAt(code, 3));
        parity = kEan5Parity[sum % 10];
    }
    AddModules(p, "1011");
    for (qsizetype i = 0; i < code.size(); ++i) {
        if (i > 0)
            AddModules(p, "01");
        AddDigit(p, DigitAt(code, i), parity[i]);
    }
    return true;
}

// ---- Interleaved 2 of 5 ----

constexpr std::array<const char*, 10> kI25 = {"nnwwn", "wnnnw", "nwnnw", "wwnnn", "nnwnw",
                                              "wnwnn", "nwwnn", "nnnww", "wnnwn", "nwnwn"};

void EncodeInt2of5(const TjxBarCodeInput& in, TjxBarCodeSymbol& s)
{
    if (!AllDigits(in.data))
        return Fail(s, kI25Numeric);
    QString digits = in.data;
    if (digits.size() % 2 != 0) {
        if (!in.calcCheckDigit)
            return Fail(s, kI25Even);
        digits += QChar(u'0' + Int2of5CheckDigit(digits));
    }
    s.data = s.text = digits;
    AddElements(s.pattern, "nnnn");
    for (qsizetype i = 0; i < digits.size(); i += 2) {
        const char* bars = kI25[DigitAt(digits, i)];
        const char* spaces = kI25[DigitAt(digits, i + 1)];
        for (int k = 0; k < 5; ++k) {
            s.pattern.push_back({true, bars[k] == 'w' ? ewWide : ewNarrow});
            s.pattern.push_back({false, spaces[k] == 'w' ? ewWide : ewNarrow});
        }
    }
    AddElements(s.pattern, "wnn");
    s.ok = true;
}

// ---- Code 39 ----

constexpr char kCode39Chars[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%*";
constexpr std::array<const char*, 44> kCode39 = {
    "nnnwwnwnn", "wnnwnnnnw", "nnwwnnnnw", "wnwwnnnnn", "nnnwwnnnw", "wnnwwnnnn", "nnwwwnnnn", "nnnwnnwnw",
    "wnnwnnwnn", "nnwwnnwnn", "wnnnnwnnw", "nnwnnwnnw", "wnwnnwnnn", "nnnnwwnnw", "wnnnwwnnn", "nnwnwwnnn",
    "nnnnnwwnw", "wnnnnwwnn", "nnwnnwwnn", "nnnnwwwnn", "wnnnnnnww", "nnwnnnnww", "wnwnnnnwn", "nnnnwnnww",
    "wnnnwnnwn", "nnwnwnnwn", "nnnnnnwww", "wnnnnnwwn", "nnwnnnwwn", "nnnnwnwwn", "wwnnnnnnw", "nwwnnnnnw",
    "wwwnnnnnn", "nwnnwnnnw", "wwnnwnnnn", "nwwnwnnnn", "nwnnnnwnw", "wwnnnnwnn", "nwwnnnwnn", "nwnwnwnnn",
    "nwnwnnnwn", "nwnnnwnwn", "nnnwnwnwn", "nwnnwnwnn"};

int Code39Index(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'a' && u <= u'z')
        return Code39Index(QChar(u - u'a' + u'A'));
    for (int i = 0; kCode39Chars[i]; ++i)
        if (u == char16_t(kCode39Chars[i]))
            return i;
    return -1;
}

void EncodeCode39(const TjxBarCodeInput& in, TjxBarCodeSymbol& s)
{
    QStringView body = in.data;
    if (body.startsWith(u'*'))
        body = body.mid(1);
    if (body.endsWith(u'*'))
        body.chop(1);
    for (QChar c : body)
        if (c == u'*' || Code39Index(c) < 0)
            return Fail(s, kCode39Invalid);
    s.data = in.data;
    s.text = in.data;
    const QString full = u'*' + body.toString().toUpper() + u'*';
    for (QChar c : full) {
        AddElements(s.pattern, kCode39[Code39Index(c)]);
        s.pattern.push_back({false, ewCharGap});
    }
    s.ok = true;
}

// ---- Codabar ----

constexpr char kCodabarChars[] = "0123456789-$:/.+ABCD";
constexpr std::array<const char*, 20> kCodabar = {
    "nnnnnww", "nnnnwwn", "nnnwnnw", "wwnnnnn", "nnwnnwn", "wnnnnwn", "nwnnnnw", "nwnnwnn", "nwwnnnn", "wnnwnnn",
    "nnnwwnn", "nnwwnnn", "wnnnwnw", "wnwnnnw", "wnwnwnn", "nnwnwnw", "nnwwnwn", "nwnwnnw", "nnnwnww", "nnnwwwn"};

int CodabarIndex(QChar c)
{
    char16_t u = c.unicode();
    if (u >= u'a' && u <= u'd')
        u = u - u'a' + u'A';
    for (int i = 0; kCodabarChars[i]; ++i)
        if (u == char16_t(kCodabarChars[i]))
            return i;
    return -1;
}

bool IsCodabarStartStop(QChar c) { return CodabarIndex(c) >= 16; }

void EncodeCodabar(const TjxBarCodeInput& in, TjxBarCodeSymbol& s)
{
    const QString& d = in.data;
    for (QChar c : d)
        if (CodabarIndex(c) < 0)
            return Fail(s, kCodabarInvalid);
    if (d.size() < 2 || !IsCodabarStartStop(d.front()) || !IsCodabarStartStop(d.back()))
        return Fail(s, kCodabarStartStop);
    for (qsizetype i = 1; i + 1 < d.size(); ++i)
        if (IsCodabarStartStop(d[i]))
            return Fail(s, kCodabarInnerA, GetMessage(kCodabarInnerA) + u' ' + GetMessage(kCodabarInnerB));
    s.data = d;
    s.text = d;
    for (QChar c : d) {
        AddElements(s.pattern, kCodabar[CodabarIndex(c)]);
        s.pattern.push_back({false, ewNarrow});
    }
    s.ok = true;
}

// ---- MSI ----

void EncodeMsi(const TjxBarCodeInput& in, TjxBarCodeSymbol& s)
{
    if (!AllDigits(in.data))
        return Fail(s, msg::BarCodeMsiNotNumeric);
    // The check digit goes into the symbol only; Data keeps what the user gave.
    QString work = in.data;
    if (in.calcCheckDigit)
        work += QChar(u'0' + MsiCheckDigit(work));
    s.data = s.text = in.data;
    AddModules(s.pattern, "110");
    for (QChar c : work) {
        const int digit = c.unicode() - u'0';
        for (int bit = 3; bit >= 0; --bit)
            AddModules(s.pattern, (digit >> bit) & 1 ? "110" : "100");
    }
    AddModules(s.pattern, "100100");
    s.ok = true;
}

// ---- POSTNET ----

constexpr std::array<const char*, 10> kPostnet = {"11000", "00011", "00101", "00110", "01001",
                                                  "01010", "01100", "10001", "10010", "10100"};

void EncodePostnet(const TjxBarCodeInput& in, TjxBarCodeSymbol& s)
{
    QString digits;
    for (QChar c : in.data) {
        if (IsDigit(c))
            digits += c;
        else if (c != u'-')
            return Fail(s, kPostnetNumeric);
    }
    int sum = 0;
    for (QChar c : digits)
        sum += c.unicode() - u'0';
    digits += QChar(u'0' + (10 - sum % 10) % 10);
    s.data = s.text = in.data;
    TjxBarPattern& p = s.pattern;
    p.push_back({true, ewNarrow, false});
    for (QChar c : digits)
        for (const char* b = kPostnet[c.unicode() - u'0']; *b; ++b) {
            p.push_back({false, ewPostnetSpace});
            p.push_back({true, ewNarrow, *b == '0'});
        }
    p.push_back({false, ewPostnetSpace});
    p.push_back({true, ewNarrow, false});
    s.ok = true;
}

// ---- FIM ----

void EncodeFim(const TjxBarCodeInput& in, TjxBarCodeSymbol& s)
{
    const QString d = in.data.toUpper();
    const char* bits = d == u"A" ? "110010011" : d == u"B" ? "101101101" : d == u"C" ? "110101011" : nullptr;
    if (!bits)
        return Fail(s, kFimChoice);
    s.data = in.data;
    for (const char* b = bits; *b; ++b) {
        s.pattern.push_back({*b == '1', ewNarrow});
        s.pattern.push_back({false, ewNarrow});
    }
    s.ok = true;
}

// ---- Code 128 ----

constexpr std::array<const char*, 107> kCode128 = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212", "221213",
    "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221", "223211", "221132",
    "221231", "213212", "223112", "312131", "311222", "321122", "321221", "312212", "322112", "322211",
    "212123", "212321", "232121", "111323", "131123", "131321", "112313", "132113", "132311", "211313",
    "231113", "231311", "112133", "112331", "132131", "113123", "113321", "133121", "313121", "211331",
    "231131", "213113", "213311", "213131", "311123", "311321", "331121", "312113", "312311", "332111",
    "314111", "221411", "431111", "111224", "111422", "121124", "121421", "141122", "141221", "112214",
    "112412", "122114", "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111",
    "111242", "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311", "113141",
    "114131", "311141", "411131", "211412", "211214", "211232", "2331112"};

enum : char16_t {
    kFnc3 = 201, kFnc2 = 202, kShift = 203, kCodeC = 204, kCodeB = 205, kCodeA = 206, kFnc1 = 207,
    kStartA = 208, kStartB = 209, kStartC = 210, kControlFirst = 211, kControlLast = 242,
};
enum TSet : uint8_t { setA, setB, setC };

// The character's value in set A or B, -1 when it belongs to neither, -2 when
// only to the other of the two.
int ValueAB(char16_t c, TSet set)
{
    if (c >= 32 && c <= 95)
        return c - 32;
    if (c >= 96 && c <= 127)
        return set == setB ? c - 32 : -2;
    if (c < 32)
        return set == setA ? c + 64 : -2;
    if (c >= kControlFirst && c <= kControlLast)
        return set == setA ? c - kControlFirst + 64 : -2;
    return -1;
}

QString CharacterText(char16_t c)
{
    return c >= 32 && c != 127 && !(c >= 128 && c < 160) ? QString(QChar(c)) : u'#' + QString::number(c);
}

bool EncodeCode128Values(const QString& d, std::vector<int>& values, TjxBarCodeSymbol& s)
{
    const auto fail = [&](int id, const QString& text) {
        Fail(s, id, text);
        return false;
    };
    const auto wrongSet = [&](char16_t c, TSet set) {
        if (set == setA)
            return fail(453, FillMessage(FormatMessage(GetMessage(453)), {CharacterText(c)}));
        return fail(454, GetMessage(454));
    };
    const auto unknown = [&](char16_t c) {
        return fail(msg::Code128CannotEncode, MessageText(msg::Code128CannotEncode, {CharacterText(c)}));
    };
    if (d.isEmpty() || d[0].unicode() < kStartA || d[0].unicode() > kStartC)
        return fail(451, GetMessage(451));
    TSet set = TSet(d[0].unicode() - kStartA);
    values.push_back(103 + set);
    for (qsizetype i = 1; i < d.size(); ++i) {
        const char16_t c = d[i].unicode();
        if (c >= kStartA && c <= kStartC)
            return fail(452, GetMessage(452));
        switch (c) {
        case kCodeA: values.push_back(101); set = setA; continue;
        case kCodeB: values.push_back(100); set = setB; continue;
        case kFnc1: values.push_back(102); continue;
        default: break;
        }
        if (set == setC) {
            if (c >= kFnc3 && c <= kCodeC)
                return fail(457, GetMessage(457));
            if (!IsDigit(QChar(c)))
                return fail(456, GetMessage(456));
            if (i + 1 >= d.size() || !IsDigit(d[i + 1]))
                return fail(455, GetMessage(455));
            values.push_back((c - u'0') * 10 + (d[i + 1].unicode() - u'0'));
            ++i;
            continue;
        }
        switch (c) {
        case kFnc3: values.push_back(96); continue;
        case kFnc2: values.push_back(97); continue;
        case kCodeC: values.push_back(99); set = setC; continue;
        case kShift: {
            if (i + 1 < d.size() && d[i + 1].unicode() == kShift)
                return fail(458, GetMessage(458));
            if (i + 1 >= d.size())
                return fail(msg::Code128ShiftAtEnd, GetMessage(msg::Code128ShiftAtEnd));
            const char16_t next = d[i + 1].unicode();
            const TSet other = set == setA ? setB : setA;
            const int v = ValueAB(next, other);
            if (v == -1)
                return unknown(next);
            if (v == -2)
                return fail(msg::Code128ShiftAtEnd, GetMessage(msg::Code128ShiftAtEnd));
            values.push_back(98);
            values.push_back(v);
            ++i;
            continue;
        }
        default: break;
        }
        const int v = ValueAB(c, set);
        if (v == -1)
            return unknown(c);
        if (v == -2)
            return wrongSet(c, set);
        values.push_back(v);
    }
    int sum = values[0];
    for (size_t k = 1; k < values.size(); ++k)
        sum = (sum + values[k] * int(k)) % 103;
    values.push_back(sum);
    return true;
}

void EncodeCode128(const TjxBarCodeInput& in, TjxBarCodeSymbol& s)
{
    QString d = in.data;
    if (in.autoEncode) {
        int id = 0;
        QString text;
        d = Code128AutoEncode(in.data, id, text);
        if (id != 0)
            return Fail(s, id, text);
    }
    std::vector<int> values;
    if (!EncodeCode128Values(d, values, s))
        return;
    // Each symbol's widths are counts of modules, bar first; 106 is the stop.
    values.push_back(106);
    for (int v : values) {
        bool bar = true;
        for (const char* w = kCode128[size_t(v)]; *w; ++w, bar = !bar)
            for (int k = 0; k < *w - '0'; ++k)
                s.pattern.push_back({bar, ewNarrow});
    }
    values.pop_back();
    s.values = std::move(values);
    s.data = in.data;
    for (QChar c : in.data)
        if (c.unicode() >= 32 && c.unicode() <= 126)
            s.text += c;
    s.ok = true;
}

qsizetype DigitRun(QStringView d, qsizetype i)
{
    qsizetype n = 0;
    while (i + n < d.size() && IsDigit(d[i + n]))
        ++n;
    return n;
}

// Code C pays from two pairs on, or for one pair that ends the data.
bool StartsCodeC(QStringView d, qsizetype i)
{
    const qsizetype run = DigitRun(d, i);
    return run >= 4 || (run == 2 && i + 2 == d.size());
}

// The set the characters from `i` need first: A when a control character
// comes before any lower-case one.
TSet LookAheadSet(QStringView d, qsizetype i)
{
    for (; i < d.size(); ++i) {
        const char16_t c = d[i].unicode();
        if (c < 32)
            return setA;
        if (c >= 96)
            return setB;
    }
    return setB;
}

} // namespace

QString Code128AutoEncode(const QString& data, int& messageId, QString& message)
{
    messageId = 0;
    message.clear();
    // The start, set and function symbols are the encoder's to choose. Data
    // here is text (often from a database), written with the control
    // characters themselves: a letter such as "ï" is refused, never taken
    // for a control symbol or dropped.
    QString d;
    for (QChar ch : data) {
        const char16_t c = ch.unicode();
        if (c >= 200 && c < kControlFirst)
            continue;
        if (c < 128)
            d += ch;
        else {
            messageId = msg::Code128CannotEncode;
            message = MessageText(msg::Code128CannotEncode, {CharacterText(c)});
            return {};
        }
    }
    QString out;
    if (d.isEmpty())
        return out;
    TSet set;
    qsizetype i = 0;
    if (StartsCodeC(d, 0) && DigitRun(d, 0) % 2 == 0) {
        set = setC;
        out += QChar(kStartC);
    } else {
        set = LookAheadSet(d, 0);
        out += QChar(set == setA ? kStartA : kStartB);
    }
    while (i < d.size()) {
        if (set == setC) {
            if (DigitRun(d, i) >= 2) {
                out += d.mid(i, 2);
                i += 2;
                continue;
            }
            set = LookAheadSet(d, i);
            out += QChar(set == setA ? kCodeA : kCodeB);
            continue;
        }
        const qsizetype run = DigitRun(d, i);
        if (StartsCodeC(d, i)) {
            // An odd run leaves its first digit in the present set.
            if (run % 2 != 0) {
                out += d[i++];
                continue;
            }
            set = setC;
            out += QChar(kCodeC);
            continue;
        }
        const char16_t c = d[i].unicode();
        if (ValueAB(c, set) >= 0) {
            out += d[i++];
            continue;
        }
        const TSet other = set == setA ? setB : setA;
        if (i + 1 < d.size() && ValueAB(d[i + 1].unicode(), set) >= 0) {
            out += QChar(kShift);
            out += d[i++];
            continue;
        }
        set = other;
        out += QChar(set == setA ? kCodeA : kCodeB);
    }
    return out;
}

QString ModuleString(const TjxBarPattern& pattern)
{
    QString s;
    s.reserve(qsizetype(pattern.size()));
    for (const TjxBarElement& e : pattern)
        s += e.bar ? u'1' : u'0';
    return s;
}

QString ElementString(const TjxBarPattern& pattern)
{
    const bool postnet = std::any_of(pattern.begin(), pattern.end(),
                                     [](const TjxBarElement& e) { return e.width == ewPostnetSpace; });
    QString s;
    for (const TjxBarElement& e : pattern) {
        switch (e.width) {
        case ewCharGap: s += u'g'; break;
        case ewPostnetSpace: s += u's'; break;
        case ewWide: s += e.bar ? u'W' : u'w'; break;
        default:
            s += !e.bar ? u'n' : postnet ? (e.shortBar ? u'S' : u'T') : u'N';
            break;
        }
    }
    return s;
}

int UpcEanCheckDigit(QStringView digits)
{
    int sum = 0;
    // Weighted from the right: the digit next to the check digit counts three times.
    for (qsizetype i = 0; i < digits.size(); ++i)
        sum += DigitAt(digits, digits.size() - 1 - i) * (i % 2 == 0 ? 3 : 1);
    return (10 - sum % 10) % 10;
}

int Int2of5CheckDigit(QStringView digits)
{
    int sum = 0;
    for (qsizetype i = 0; i < digits.size(); ++i)
        sum += DigitAt(digits, i) * (i % 2 == 0 ? 3 : 1);
    return (10 - sum % 10) % 10;
}

int MsiCheckDigit(QStringView digits)
{
    int sum = 0;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        int d = DigitAt(digits, digits.size() - 1 - i);
        if (i % 2 == 0) {
            d *= 2;
            if (d >= 10)
                d -= 9;
        }
        sum += d;
    }
    return (10 - sum % 10) % 10;
}

QString UpcEToUpcA(QStringView six)
{
    const QString d = six.toString();
    const QChar last = d[5];
    QString a = QStringLiteral("0");
    if (last <= u'2')
        a += d.mid(0, 2) + last + QStringLiteral("0000") + d.mid(2, 3);
    else if (last == u'3')
        a += d.mid(0, 3) + QStringLiteral("00000") + d.mid(3, 2);
    else if (last == u'4')
        a += d.mid(0, 4) + QStringLiteral("00000") + d[4];
    else
        a += d.mid(0, 5) + QStringLiteral("0000") + last;
    return a;
}

TjxBarCodeSymbol EncodeBarCode(const TjxBarCodeInput& in)
{
    TjxBarCodeSymbol s;
    if (in.data.isEmpty())
        return s;
    switch (in.type) {
    case bcUPC_A: case bcUPC_E: case bcEAN_13: case bcEAN_8: EncodeUpcEan(in, s); break;
    case bcInt2of5: EncodeInt2of5(in, s); break;
    case bcCode128: EncodeCode128(in, s); break;
    case bcCode39: EncodeCode39(in, s); break;
    case bcPostnet: EncodePostnet(in, s); break;
    case bcFIM: EncodeFim(in, s); break;
    case bcCodabar: EncodeCodabar(in, s); break;
    case bcMSI: EncodeMsi(in, s); break;
    default: break;
    }
    // Only UPC and EAN symbols carry a supplement; elsewhere it is ignored.
    if (s.ok && IsUpcEanType(in.type) && !in.addOnCode.isEmpty() && !EncodeAddOn(in.addOnCode, s.addOn))
        Fail(s, kAddOnDigits);
    return s;
}

QString BarCodeSample(TjxBarCodeType type, bool calcCheckDigit, bool dataAware)
{
    switch (type) {
    case bcUPC_A: return calcCheckDigit ? QStringLiteral("01234567890") : QStringLiteral("012345678905");
    // The check digit of 012345 is 7.
    case bcUPC_E: return calcCheckDigit ? QStringLiteral("012345") : QStringLiteral("0123457");
    case bcEAN_13: return QStringLiteral("0012345678905");
    case bcEAN_8: return QStringLiteral("20123451");
    case bcInt2of5: return calcCheckDigit ? QStringLiteral("0123456789") : QStringLiteral("01234567");
    case bcCode128:
        return QChar(char16_t(kStartC)) + QStringLiteral("1234") + QChar(char16_t(kCodeB)) + QStringLiteral(" abcd");
    case bcCode39: return dataAware ? QStringLiteral("DBBarCode") : QStringLiteral("BarCode");
    case bcPostnet: return QStringLiteral("012345678");
    case bcFIM: return QStringLiteral("A");
    case bcCodabar: return QStringLiteral("A01234B");
    case bcMSI: return QStringLiteral("0139725");
    }
    return {};
}

int BarCodeDefaultWidth(TjxBarCodeType type)
{
    // Thousandths of a millimetre of 0.013, 0.015, 0.01, 0.02 and 0.031 inch.
    switch (type) {
    case bcUPC_A: case bcUPC_E: case bcEAN_13: case bcEAN_8: return 330;
    case bcInt2of5: return 381;
    case bcPostnet: return 508;
    case bcFIM: return 787;
    default: return 254;
    }
}

} // namespace orvane
