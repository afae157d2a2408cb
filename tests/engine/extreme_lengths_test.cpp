// Templates whose lengths sit at the ends of the int range: positions are
// worked out without wrapping, and every run ends, with pages or a print error.

#include "report_fixture.h"

#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/stream_reader.h"
#include "document/stream_text.h"
#include "engine/band_engine.h"
#include "engine/stretchable.h"

#include <climits>
#include <random>

using namespace orvane;
using namespace orvane::test;

namespace {

constexpr int kMax = INT_MAX;
constexpr int kMin = INT_MIN;

// Sets a stored length the way code does, past what a template may hold.
void SetLength(TComponent* target, const QString& name, int value)
{
    if (name.startsWith(u"PrinterSetup.")) {
        TjxPageDef* page = static_cast<TjxCustomReport*>(target)->PrinterSetup()->PageDef();
        const QString length = name.mid(13);
        if (length == u"mmPaperHeight") page->SetmmHeight(value);
        else if (length == u"mmPaperWidth") page->SetmmWidth(value);
        else if (length == u"mmMarginTop") page->SetmmMarginTop(value);
        else if (length == u"mmMarginBottom") page->SetmmMarginBottom(value);
        else if (length == u"mmMarginLeft") page->SetmmMarginLeft(value);
        else if (length == u"mmMarginRight") page->SetmmMarginRight(value);
        else ADD_FAILURE() << name.toStdString();
    } else if (auto* report = dynamic_cast<TjxCustomReport*>(target)) {
        if (name == u"mmColumnWidth") report->SetmmColumnWidth(value);
        else ADD_FAILURE() << name.toStdString();
    } else if (auto* band = dynamic_cast<TjxBand*>(target)) {
        if (name == u"mmHeight") band->SetmmHeight(value);
        else if (name == u"mmBottomOffset") band->SetmmBottomOffset(value);
        else if (name == u"mmPrintPosition") band->SetmmPrintPosition(value);
        else ADD_FAILURE() << name.toStdString();
    } else if (auto* stretchable = dynamic_cast<TjxStretchable*>(target);
               stretchable && (name == u"mmBottomOffset" || name == u"mmOverFlowOffset" || name == u"mmStopPosition")) {
        if (name == u"mmBottomOffset") stretchable->SetmmBottomOffset(value);
        else if (name == u"mmOverFlowOffset") stretchable->SetmmOverFlowOffset(value);
        else stretchable->SetmmStopPosition(value);
    } else if (auto* component = dynamic_cast<TjxComponent*>(target)) {
        if (name == u"mmLeft") component->SetmmLeft(value);
        else if (name == u"mmTop") component->SetmmTop(value);
        else if (name == u"mmWidth") component->SetmmWidth(value);
        else if (name == u"mmHeight") component->SetmmHeight(value);
        else ADD_FAILURE() << name.toStdString();
    } else {
        ADD_FAILURE() << name.toStdString();
    }
}

// A report read from text, its records from the fixture's table. Templates
// store lengths within 10 m, so lengths beyond that are set after loading,
// as code or the designer could set them.
struct TextReport : ReportFixture {
    explicit TextReport(const QByteArray& body, int records = 3)
    {
        AddData(records, false);
        struct Override {
            QString component, property;
            qint64 value;
        };
        std::vector<Override> overrides;
        QStringList objects{QStringLiteral("rptTest")};
        QByteArray stored;
        for (const QByteArray& line : body.split('\n')) {
            const QByteArray trimmed = line.trimmed();
            if (trimmed.startsWith("object "))
                objects.append(QString::fromLatin1(trimmed.mid(7, trimmed.indexOf(':') - 7)));
            else if (trimmed == "end")
                objects.removeLast();
            const qsizetype eq = trimmed.indexOf(" = ");
            bool number = false;
            const qint64 value = eq > 0 ? trimmed.mid(eq + 3).toLongLong(&number) : 0;
            if (number && (value > TReader::kMaxStoredLength || value < -TReader::kMaxStoredLength)) {
                overrides.push_back({objects.last(), QString::fromLatin1(trimmed.left(eq)), value});
                stored += line.left(line.indexOf('=')) + "= 0\r";
            } else {
                stored += line;
            }
            stored += '\n';
        }
        stored.chop(1);
        const QByteArray text = "object rptTest: TjxReport\r\n"
                                "  DataPipelineName = 'plData'\r\n"
                                "  Version = '9.01'\r\n" +
                                stored + "end\r\n";
        try {
            QByteArray bytes;
            ObjectTextToBinary(text, bytes);
            if (ReadComponentFromBytes(bytes, report, &host) != report)
                ADD_FAILURE() << "the template did not load";
            for (const Override& o : overrides) {
                TComponent* target = o.component == u"rptTest" ? report : host.FindComponent(o.component);
                if (!target)
                    ADD_FAILURE() << "no component " << o.component.toStdString();
                else
                    SetLength(target, o.property, int(o.value));
            }
        } catch (const EOrvaneError& e) {
            ADD_FAILURE() << e.Message().toStdString() << "\n" << text.toStdString();
        }
        report->SetDataPipeline(data);
        report->Engine()->SetMaxPages(12);
    }
};

QByteArray Line(int indent, const char* name, qint64 value)
{
    return QByteArray(indent, ' ') + name + " = " + QByteArray::number(value) + "\r\n";
}

std::vector<int> Tops(const TjxPage& page)
{
    std::vector<int> tops;
    for (int i = 0; i < page.DrawCommandCount(); ++i)
        tops.push_back(page.DrawCommand(i)->Top());
    return tops;
}

} // namespace

TEST(ExtremeLengths, PageBottomDoesNotWrapBelowThePage)
{
    // Height minus a bottom margin of INT_MIN is far below any band: the
    // band fits (wrapped, the page bottom would be -1 and nothing would).
    TextReport f("  PrinterSetup.mmPaperHeight = 2147483647\r\n"
                 "  PrinterSetup.mmMarginBottom = -2147483648\r\n"
                 "  PrinterSetup.mmMarginTop = 10000\r\n"
                 "  object jxDetailBand1: TjxDetailBand\r\n"
                 "    mmHeight = 10000\r\n"
                 "    object jxLabel1: TjxLabel\r\n"
                 "      Caption = 'row'\r\n"
                 "      mmHeight = 5000\r\n"
                 "      mmWidth = 20000\r\n"
                 "    end\r\n"
                 "  end\r\n");
    EXPECT_EQ(f.report->Engine()->GetPageBottom(), kMax);
    f.Run();
    ASSERT_EQ(f.FinalPages().size(), 1u);
    EXPECT_EQ(Tops(*f.FinalPages()[0]), std::vector<int>({10000, 20000, 30000}));

    // Footers taller than what is left take the page bottom to the lowest length, not past it.
    TextReport footers("  PrinterSetup.mmPaperHeight = -2147483000\r\n"
                       "  object jxFooterBand1: TjxFooterBand\r\n    mmHeight = 2147483647\r\n  end\r\n"
                       "  object jxColumnFooterBand1: TjxColumnFooterBand\r\n    mmHeight = 2147483647\r\n  end\r\n"
                       "  object jxDetailBand1: TjxDetailBand\r\n    mmHeight = 1000\r\n  end\r\n");
    EXPECT_EQ(footers.report->Engine()->GetPageBottom(), kMin);
    EXPECT_THROW(footers.Run(), EPrintError);
}

TEST(ExtremeLengths, BandOffsetsAndPositionsSaturateInsteadOfWrapping)
{
    // On a page INT_MAX high, a bottom offset that leaves just room for the
    // band takes the print position past INT_MAX: it stays at the end of the
    // range, so each record takes a page of its own (wrapped, the next band
    // would print far above the page).
    TextReport offset("  PrinterSetup.mmPaperHeight = 2147483647\r\n"
                      "  PrinterSetup.mmMarginBottom = 0\r\n"
                      "  object jxDetailBand1: TjxDetailBand\r\n"
                      "    mmBottomOffset = 2147460147\r\n"
                      "    mmHeight = 10000\r\n"
                      "    object jxLabel1: TjxLabel\r\n      Caption = 'row'\r\n"
                      "      mmHeight = 5000\r\n      mmWidth = 20000\r\n    end\r\n"
                      "  end\r\n");
    offset.Run();
    const auto pages = offset.FinalPages();
    ASSERT_EQ(pages.size(), 3u);
    for (const TjxPage* page : pages)
        EXPECT_EQ(Tops(*page), std::vector<int>({13500}));
    EXPECT_EQ(offset.report->Engine()->PrintPosition().top, kMax);

    // A component INT_MAX below its band's top in a dynamic band never fits:
    // the band cannot fit, where a wrapped position would print it above the page.
    TextReport low("  object jxDetailBand1: TjxDetailBand\r\n"
                   "    PrintHeight = phDynamic\r\n"
                   "    object jxLabel1: TjxLabel\r\n      Caption = 'low'\r\n"
                   "      mmTop = 2147483647\r\n      mmHeight = 2147483647\r\n      mmWidth = 20000\r\n    end\r\n"
                   "  end\r\n");
    try {
        low.Run();
        FAIL() << "no error";
    } catch (const EPrintError& e) {
        EXPECT_EQ(e.Message(), GetMessage(msg::DetailBandCannotFit));
    }
    for (const auto& page : low.pages)
        for (int top : Tops(*page))
            EXPECT_GE(top, 0);

    // A band printing at INT_MAX is past the page bottom: the print-position error.
    TextReport position("  object jxDetailBand1: TjxDetailBand\r\n"
                        "    mmHeight = 2147483647\r\n"
                        "    mmPrintPosition = 2147483647\r\n"
                        "  end\r\n");
    try {
        position.Run();
        FAIL() << "no error";
    } catch (const EPrintError& e) {
        EXPECT_EQ(e.Message(), GetMessage(415) + u'.');
    }
}

TEST(ExtremeLengths, ComponentsAtTheEndsOfTheRangeKeepTheirSides)
{
    // Left and width INT_MAX: outside loading the left is kept within the
    // band, and the width is what is left of the range, never negative.
    TextReport f("  object jxDetailBand1: TjxDetailBand\r\n"
                 "    mmHeight = 10000\r\n"
                 "    object jxLabel1: TjxLabel\r\n      Caption = 'far'\r\n"
                 "      mmLeft = 2147483647\r\n      mmHeight = 5000\r\n      mmWidth = 2147483647\r\n    end\r\n"
                 "  end\r\n",
                 1);
    f.Run();
    ASSERT_EQ(f.FinalPages().size(), 1u);
    const TjxPage& page = *f.FinalPages()[0];
    ASSERT_EQ(page.DrawCommandCount(), 1);
    EXPECT_EQ(page.DrawCommand(0)->Left(), f.report->PrinterSetup()->PageDef()->mmWidth() -
                                                f.report->PrinterSetup()->PageDef()->mmMarginRight());
    EXPECT_GE(page.DrawCommand(0)->Width(), 0);
    EXPECT_EQ(TjxRect({kMin, kMin, kMax, kMax}).Width(), kMax);
    EXPECT_EQ(TjxRect({kMax, kMax, kMin, kMin}).Height(), kMin);
    EXPECT_EQ(SaturatedLength(TjxLength64(kMax) * 3), kMax);
    EXPECT_EQ(SaturatedLength(TjxLength64(kMin) - 1), kMin);
    EXPECT_EQ(SaturatedLength(-12345), -12345);
}

TEST(ExtremeLengths, EveryMixOfExtremeLengthsEnds)
{
    // Seeded mixes of the extreme values over every length a template holds.
    // Each run ends with pages or a print error, within the page limit; the
    // sanitizer build also proves no arithmetic on the way wrapped.
    const std::vector<qint64> extremes{kMax, kMax - 1, kMin, kMin + 1, -1, 1000000000, -1000000000};
    const std::vector<qint64> plain{0, 1, 5000, 20000, 100000};
    std::mt19937 random(20240611);
    const auto pick = [&] {
        return random() % 4 == 0 ? extremes[random() % extremes.size()] : plain[random() % plain.size()];
    };
    const auto some = [&] { return random() % 3 != 0; };
    int withPages = 0, withErrors = 0;
    for (int round = 0; round < 80; ++round) {
        QByteArray body;
        for (const char* name : {"PrinterSetup.mmPaperHeight", "PrinterSetup.mmPaperWidth", "PrinterSetup.mmMarginTop",
                                 "PrinterSetup.mmMarginBottom", "PrinterSetup.mmMarginLeft",
                                 "PrinterSetup.mmMarginRight", "mmColumnWidth"})
            if (some())
                body += Line(2, name, pick());
        if (random() % 2)
            body += "  Columns = " + QByteArray::number(int(random() % 3) + 1) + "\r\n";
        const auto component = [&](const char* cls, int n, int indent) {
            const QByteArray pad(indent, ' ');
            QByteArray text = pad + "object jx" + cls + QByteArray::number(n) + ": Tjx" + cls + "\r\n";
            for (const char* name : {"mmLeft", "mmTop", "mmWidth", "mmHeight"})
                text += some() ? Line(indent + 2, name, pick()) : Line(indent + 2, name, 5000);
            if (QByteArray(cls) == "Memo" || QByteArray(cls) == "Region") {
                if (random() % 2)
                    text += pad + "  Stretch = True\r\n";
                for (const char* name : {"mmBottomOffset", "mmOverFlowOffset", "mmStopPosition"})
                    if (random() % 2)
                        text += Line(indent + 2, name, pick());
            }
            if (QByteArray(cls) == "Memo")
                text += pad + "  Lines.Strings = (\r\n" + pad + "    'one'\r\n" + pad + "    'two')\r\n";
            if (QByteArray(cls) == "Label")
                text += pad + "  Caption = 'text'\r\n";
            if (random() % 4 == 0)
                text += pad + "  ShiftWithParent = True\r\n";
            if ((QByteArray(cls) == "Shape" || QByteArray(cls) == "Line") && random() % 4 == 0)
                text += pad + "  StretchWithParent = True\r\n";
            return text;
        };
        int serial = 0;
        for (const char* band : {"TitleBand", "HeaderBand", "ColumnHeaderBand", "DetailBand", "ColumnFooterBand",
                                 "SummaryBand", "FooterBand"}) {
            if (QByteArray(band) != "DetailBand" && random() % 3 != 0)
                continue;
            body += "  object jx" + QByteArray(band) + "1: Tjx" + band + "\r\n";
            for (const char* name : {"mmHeight", "mmBottomOffset", "mmPrintPosition"})
                if (random() % 3 == 0)
                    body += Line(4, name, pick());
            if (random() % 2)
                body += "    PrintHeight = phDynamic\r\n";
            for (const char* cls : {"Label", "Memo", "Shape", "Line"})
                body += component(cls, ++serial, 4) + "    end\r\n";
            // A region with a label inside.
            const int region = ++serial;
            body += component("Region", region, 4);
            body += component("Label", ++serial, 6) + "      end\r\n    end\r\n";
            body += "  end\r\n";
        }
        SCOPED_TRACE(body.toStdString());
        TextReport f(body, 6);
        try {
            f.Run();
            ++withPages;
        } catch (const EPrintError&) {
            ++withErrors;
        }
        EXPECT_LE(f.pages.size(), 12u);
        EXPECT_FALSE(f.report->Engine()->Printing());
    }
    // Both ends are reached, or the mixes test too little.
    EXPECT_GE(withPages, 5);
    EXPECT_GE(withErrors, 5);
}
