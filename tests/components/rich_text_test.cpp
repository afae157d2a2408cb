#include "tests/engine/report_fixture.h"
#include "tests/support/long_rtf.h"
#include "tests/support/process_run.h"
#include "tests/support/rich_page.h"

#include "components/db_rich_text.h"
#include "components/display_format.h"
#include "components/rich_text.h"
#include "components/rich_text_engine.h"
#include "components/rtf.h"
#include "document/component_registry.h"
#include "document/errors.h"
#include "document/event_ids.h"
#include "document/messages.h"
#include "document/method.h"
#include "document/stream_reader.h"
#include "document/units.h"
#include "engine/field.h"
#include "engine/pipeline_list.h"
#include "output/draw_other.h"
#include "output/pdf_device.h"
#include "output/publisher.h"
#include "platform/canvas.h"

#include <QPainter>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

QString NoSpace(QString text)
{
    text.remove(QRegularExpression(QStringLiteral("\\s")));
    return text;
}

std::vector<const TjxDrawRichText*> RichCommands(const TjxPage& page)
{
    std::vector<const TjxDrawRichText*> result;
    for (int i = 0; i < page.DrawCommandCount(); ++i)
        if (auto* rich = dynamic_cast<const TjxDrawRichText*>(page.DrawCommand(i)))
            result.push_back(rich);
    return result;
}

QString RangeText(const TjxDrawRichText& command)
{
    TjxRichEdit edit;
    edit.LoadFromBytes(command.RichTextStream());
    if (command.StartCharPos() < 0)
        return {};
    const int last = std::min(command.EndCharPos(), edit.CharCount() - 1);
    return edit.TextRange(command.StartCharPos(), last - command.StartCharPos() + 1);
}

// A dynamic detail band printing once, holding one stretching rich text.
struct RichReport : ReportFixture {
    TjxRichText* rich = nullptr;

    explicit RichReport(const QByteArray& rtf, int top = 0)
    {
        AddData(1);
        TjxBand* detail = AddBand(btDetail, 30000, phDynamic);
        rich = new TjxRichText(&host);
        rich->SetName(report->GetValidName(rich));
        rich->SetBand(detail);
        rich->SetBounds(10000, top, 20000, 150000);
        rich->SetStretch(true);
        rich->LoadFromRTFStream(rtf);
    }
};

} // namespace

TEST(RichTextComponent, DefaultsPropertiesAndStreaming)
{
    TjxRichText rich;
    EXPECT_FALSE(rich.AutoSize());
    EXPECT_TRUE(rich.WordWrap());
    EXPECT_EQ(rich.mmWidth(), UnitsToThousandths(185, utScreenPixels, axHorizontal));
    EXPECT_EQ(rich.mmHeight(), UnitsToThousandths(89, utScreenPixels, axVertical));
    EXPECT_FALSE(rich.KeepTogether());
    EXPECT_FALSE(rich.MailMerge());
    EXPECT_EQ(rich.Color(), clWhite);
    EXPECT_EQ(rich.StartCharPos(), -1);
    EXPECT_EQ(rich.EndCharPos(), -1);
    EXPECT_TRUE(rich.RichText().isEmpty());
    EXPECT_EQ(dynamic_cast<TjxDrawRichText*>(rich.NewDrawCommand().get())->StartCharPos(), -1);
    TjxDBRichText db;
    EXPECT_TRUE(db.AutoDisplay());
    EXPECT_TRUE(db.ParentDataPipeline());
    // Published lists: the data version has no Caption, MailMerge or RichText.
    EXPECT_NE(TjxRichText::StaticClass().FindProperty(u"RichText"_qs), nullptr);
    EXPECT_NE(TjxRichText::StaticClass().FindProperty(u"MailMerge"_qs), nullptr);
    EXPECT_EQ(TjxDBRichText::StaticClass().FindProperty(u"RichText"_qs), nullptr);
    EXPECT_EQ(TjxDBRichText::StaticClass().FindProperty(u"Caption"_qs), nullptr);
    EXPECT_NE(TjxDBRichText::StaticClass().FindProperty(u"OnGetRichText"_qs), nullptr);

    // The content streams as 7-bit rich text and reads back the same.
    RichReport f("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0\\fs30 Caf\\'e9 \\u937? {\\b bold}\\par\\qc centred}");
    f.rich->SetMailMerge(true);
    const QByteArray bytes = WriteComponentToBytes(f.report);
    TReportHost host;
    auto* copy = new TjxReport(&host);
    ReadComponentFromBytes(bytes, copy, &host);
    TjxRichText* read = nullptr;
    for (int i = 0; i < host.ComponentCount(); ++i)
        if (auto* r = dynamic_cast<TjxRichText*>(host.Components(i)))
            read = r;
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->PlainText(), u"Café Ω bold\ncentred"_qs);
    EXPECT_TRUE(read->MailMerge());
    EXPECT_EQ(read->RichText(), f.rich->RichText());
    for (const QChar ch : read->RichText())
        ASSERT_LT(ch.unicode(), 0x80);
    EXPECT_EQ(read->RichEdit().Document().findBlockByNumber(1).blockFormat().alignment() & Qt::AlignHorizontal_Mask,
              Qt::AlignHCenter);
    // A load that fails keeps the content.
    EXPECT_THROW(read->LoadFromRTFStream("{\\rtf1 " + QByteArray(5000, '{')), EOrvaneError);
    EXPECT_EQ(read->PlainText(), u"Café Ω bold\ncentred"_qs);
    EXPECT_EQ(read->FindText(u"BOLD"_qs, 0, -1, false, true), 7);
}

TEST(RichTextDrawCommand, ComparisonAndStream)
{
    TjxDrawRichText a, b;
    a.SetRichTextStream("{\\rtf1 a\r\nb}");
    b.SetRichTextStream("{\\rtf1 a\r\nb}");
    EXPECT_TRUE(a.IsSameAs(&b));
    b.SetRichTextStream("{\\rtf1 a\r\nB}");
    EXPECT_FALSE(a.IsSameAs(&b));
    b.Assign(&a);
    EXPECT_TRUE(a.IsSameAs(&b));
    b.SetEndCharPos(3);
    EXPECT_FALSE(a.IsSameAs(&b));
    b.Assign(&a);
    b.SetTransparent(true);
    EXPECT_FALSE(a.IsSameAs(&b));
}

TEST(RichTextReport, ThreePagesToPdfNothingLostOrDoubled)
{
    const QByteArray rtf = LongRtf(120);
    RichReport f(rtf);
    f.report->SetCachePages(false);
    f.Run();
    const auto pages = f.FinalPages();
    ASSERT_GE(pages.size(), 3u);

    QString joined;
    int expectedStart = 0;
    std::vector<QString> pageTexts;
    for (const TjxPage* page : pages) {
        const auto commands = RichCommands(*page);
        ASSERT_EQ(commands.size(), 1u);
        EXPECT_EQ(commands[0]->StartCharPos(), expectedStart);
        expectedStart = commands[0]->EndCharPos() + 1;
        pageTexts.push_back(RangeText(*commands[0]));
        joined += pageTexts.back();
    }
    EXPECT_EQ(joined, f.rich->PlainText());

    // Page 2 made again from the cache is the page it was.
    TjxPage second;
    second.Assign(pages[1]);
    second.SetAbsolutePageCount(int(pages.size()));
    second.SetPageCount(int(pages.size()));
    f.pages.clear();
    f.Run(psSinglePage, 2);
    ASSERT_EQ(f.FinalPages().size(), 1u);
    EXPECT_EQ(WriteComponentToBytes(f.pages.back().get()), WriteComponentToBytes(&second));

    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        GTEST_SKIP() << "poppler-utils are not installed";
    f.pages.clear();
    f.Run();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rich.pdf"));
    TjxPublisher publisher;
    publisher.PageRequestHandler = [&f](TjxPublisher* p, TjxPageRequest*) {
        for (const TjxPage* page : f.FinalPages())
            p->ReceivePage(const_cast<TjxPage*>(page));
    };
    TjxPDFDevice device;
    device.SetFileName(path);
    device.SetPublisher(&publisher);
    device.RequestPages();
    ASSERT_EQ(device.PagesWritten(), int(pageTexts.size()));
    for (size_t i = 0; i < pageTexts.size(); ++i) {
        const QString n = QString::number(i + 1);
        const QString text = RunProgram(pdftotext, {QStringLiteral("-f"), n, QStringLiteral("-l"), n, path, QStringLiteral("-")}).out;
        EXPECT_EQ(NoSpace(text).toStdString(), NoSpace(pageTexts[i]).toStdString()) << "page " << i + 1;
    }
}

namespace {

// The command as a stream would give it back: its bytes only.
std::unique_ptr<TjxDrawRichText> FromBytes(const TjxDrawRichText& command)
{
    auto copy = std::make_unique<TjxDrawRichText>();
    copy->Assign(&command);
    copy->SetRichTextStream(QByteArray(command.RichTextStream().constData(), command.RichTextStream().size()));
    return copy;
}

QString PdfText(const std::vector<const TjxPage*>& pages)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rich.pdf"));
    TjxPublisher publisher;
    publisher.PageRequestHandler = [&pages](TjxPublisher* p, TjxPageRequest*) {
        for (const TjxPage* page : pages)
            p->ReceivePage(const_cast<TjxPage*>(page));
    };
    TjxPDFDevice device;
    device.SetFileName(path);
    device.SetPublisher(&publisher);
    device.RequestPages();
    return RunProgram(QStandardPaths::findExecutable(QStringLiteral("pdftotext")),
                      {QStringLiteral("-layout"), path, QStringLiteral("-")})
        .out;
}

} // namespace

// The pages draw from the document they were measured on; what they draw is
// what the same pages read back from their bytes draw, in images and in PDF.
TEST(RichTextReport, LongTextDrawsFromItsMeasuredLayoutAsFromItsBytes)
{
    // Empty paragraphs set in a size of their own, at the top level and in
    // groups: their height must survive the way through the bytes.
    QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs22 ";
    for (int i = 0; i < 160; ++i) {
        rtf += "{\\b Heading " + QByteArray::number(i) + "}\\par\\par ";
        rtf += (i % 2 ? "{\\fs40 \\par}" : "{\\fs12\\par}");
        rtf += "Body text of section " + QByteArray::number(i) + " that runs on for a while to wrap.\\par\n";
    }
    rtf += "}";
    RichReport f(rtf);
    f.report->SetCachePages(false);
    f.Run();
    const auto pages = f.FinalPages();
    ASSERT_GE(pages.size(), 5u);

    std::vector<const TjxPage*> readBack;
    std::vector<std::unique_ptr<TjxPage>> owned;
    QString joined;
    for (const TjxPage* page : pages) {
        const auto commands = RichCommands(*page);
        ASSERT_EQ(commands.size(), 1u);
        // One document for the whole text, laid out once.
        ASSERT_TRUE(commands[0]->RichTextContent());
        EXPECT_EQ(commands[0]->RichTextContent(), RichCommands(*pages[0])[0]->RichTextContent());
        joined += RangeText(*commands[0]);
        const auto bytesOnly = FromBytes(*commands[0]);
        EXPECT_FALSE(bytesOnly->RichTextContent());
        EXPECT_TRUE(DrawnRichPage(*commands[0], 72) == DrawnRichPage(*bytesOnly, 72)) << "page " << page->AbsolutePageNo();

        auto copy = std::make_unique<TjxPage>();
        copy->Assign(page);
        for (int i = 0; i < copy->DrawCommandCount(); ++i)
            if (auto* rich = dynamic_cast<TjxDrawRichText*>(copy->DrawCommand(i)))
                rich->SetRichTextStream(QByteArray(rich->RichTextStream().constData(), rich->RichTextStream().size()));
        readBack.push_back(copy.get());
        owned.push_back(std::move(copy));
    }
    EXPECT_EQ(joined, f.rich->PlainText());

    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "poppler-utils are not installed";
    const QString direct = PdfText(pages);
    EXPECT_TRUE(direct.contains(QStringLiteral("Heading 159")));
    EXPECT_EQ(direct.toStdString(), PdfText(readBack).toStdString());
}

TEST(RichTextReport, PagesKeepTheirTextWhenTheContentChangesAfterwards)
{
    RichReport f(LongRtf(90));
    f.Run();
    const auto pages = f.FinalPages();
    ASSERT_GE(pages.size(), 2u);
    const TjxDrawRichText* first = RichCommands(*pages[0])[0];
    const QImage before = DrawnRichPage(*first, 50);
    const QString text = f.rich->PlainText();
    // Every way of changing the content leaves what the pages print alone.
    f.rich->SetRichText(QStringLiteral("{\\rtf1 replaced}"));
    f.rich->SetSelStart(0);
    f.rich->SetSelLength(3);
    f.rich->SetSelText(QStringLiteral("XYZ"));
    f.rich->RichEdit().Document().setPlainText(QStringLiteral("edited in place"));
    f.rich->LoadFromRTFStream("{\\rtf1 streamed}");
    EXPECT_EQ(f.rich->PlainText(), QStringLiteral("streamed"));
    EXPECT_TRUE(DrawnRichPage(*first, 50) == before);
    QString joined;
    for (const TjxPage* page : pages)
        joined += RangeText(*RichCommands(*page)[0]);
    EXPECT_EQ(joined, text);
}

TEST(RichTextReport, LinesAreTheSameAtEveryResolution)
{
    RichReport f(LongRtf(30));
    f.Run();
    ASSERT_FALSE(f.FinalPages().empty());
    const TjxDrawRichText* command = RichCommands(*f.FinalPages()[0])[0];
    // The text's lines as bands of inked rows, in 600ths of an inch.
    std::vector<std::vector<int>> tops;
    for (const int dpi : {150, 300, 600}) {
        const QImage image = DrawnRichPage(*command, dpi);
        std::vector<int> bands;
        bool inked = false;
        for (int y = 0; y < image.height(); ++y) {
            const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            const bool any = std::any_of(row, row + image.width(), [](QRgb p) { return qGray(p) < 160; });
            if (any && !inked)
                bands.push_back(y * 600 / dpi);
            inked = any;
        }
        tops.push_back(bands);
    }
    ASSERT_GT(tops[0].size(), 10u);
    for (size_t i = 1; i < tops.size(); ++i) {
        ASSERT_EQ(tops[i].size(), tops[0].size());
        for (size_t j = 0; j < tops[0].size(); ++j)
            EXPECT_NEAR(tops[i][j], tops[0][j], 5) << j;
    }
}

TEST(RichTextReport, TransparencyAndBorder)
{
    TjxDrawRichText command;
    command.SetRichTextStream("{\\rtf1 {\\fs40 Text}}");
    command.SetBounds(0, 0, 50800, 25400);
    command.SetStartCharPos(0);
    command.SetEndCharPos(3);
    command.SetColor(clYellow);
    command.Border()->SetVisible(true);
    command.Border()->SetWeight(3);
    command.Border()->SetBorderPositions((1u << bpLeft) | (1u << bpTop) | (1u << bpRight) | (1u << bpBottom));
    for (const bool transparent : {false, true}) {
        command.SetTransparent(transparent);
        QImage image(300, 200, QImage::Format_RGB32);
        image.fill(QColor(0, 0, 255));
        {
            QPainter painter(&image);
            TjxCanvas canvas(&painter, 96, 96);
            command.CalcDrawRect(canvas);
            command.Draw(canvas);
        }
        // Inside, away from the text: the fill, or what was below.
        EXPECT_EQ(image.pixelColor(180, 80), transparent ? QColor(0, 0, 255) : QColor(255, 255, 0));
        // The border line, and outside the command.
        EXPECT_EQ(image.pixelColor(1, 50), QColor(0, 0, 0));
        EXPECT_EQ(image.pixelColor(250, 150), QColor(0, 0, 255));
        // The text starts inside the border: nothing of it in the first row within.
        int ink = 0;
        for (int x = 5; x < 190; ++x)
            ink += qGray(image.pixel(x, 30)) < 40 ? 1 : 0;
        EXPECT_GT(ink, 0);
    }
}

TEST(RichTextReport, FixedRichTextIsClippedToItsRectangle)
{
    RichReport f(LongRtf(40));
    f.rich->SetStretch(false);
    f.Run();
    const auto pages = f.FinalPages();
    ASSERT_EQ(pages.size(), 1u);
    const auto commands = RichCommands(*pages[0]);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0]->StartCharPos(), 0);
    EXPECT_EQ(commands[0]->EndCharPos(), f.rich->RichEdit().CharCount());
    EXPECT_EQ(commands[0]->Height(), 20000);
}

TEST(RichTextReport, TextWithoutRoomWaitsWholeAndKeepTogetherMovesOnce)
{
    // A group header leaves 2 mm on the first page: not one line fits there.
    // The text continues on the next page from its first character, printed once.
    for (const bool keep : {false, true}) {
        for (const int room : {2000, 20000}) {
            RichReport f(LongRtf(8), 0);
            f.rich->SetKeepTogether(keep);
            TjxGroup* group = f.AddGroup("grp");
            group->SetReprintOnSubsequentPage(false);
            f.report->EnsureBands();
            TjxBand* header = group->HeaderBand();
            header->SetmmHeight(297000 - 27000 - room);
            f.AddLabel(header, QStringLiteral("Header"));
            f.Run();
            const auto pages = f.FinalPages();
            ASSERT_GE(pages.size(), 2u);
            QString joined;
            std::vector<int> starts;
            for (const TjxPage* page : pages) {
                for (const TjxDrawRichText* c : RichCommands(*page)) {
                    joined += RangeText(*c);
                    if (c->StartCharPos() >= 0)
                        starts.push_back(c->StartCharPos());
                }
            }
            EXPECT_EQ(joined, f.rich->PlainText()) << keep << room;
            ASSERT_FALSE(starts.empty());
            EXPECT_EQ(starts[0], 0);
            // With room for some lines: split there, unless kept together.
            const auto first = RichCommands(*pages[0]);
            const bool printedOnFirst = !first.empty() && first[0]->StartCharPos() == 0;
            EXPECT_EQ(printedOnFirst, room == 20000 && !keep) << keep << room;
        }
    }
}

TEST(RichTextMerge, TagsFieldsAndHostileValues)
{
    ReportFixture f;
    TjxDBPipeline* people =
        f.AddTable(QStringLiteral("plPeople"), QStringLiteral("people"),
                   {QStringLiteral("name TEXT"), QStringLiteral("amount REAL"), QStringLiteral("note TEXT")},
                   {{QStringLiteral("{\\b Evil} <name> \\par"), 1234.5, QStringLiteral("<DBTEXT>name</DBTEXT>")}});
    people->Open();
    people->First();
    people->Fields(1)->SetFieldAlias(QStringLiteral("Sum"));
    TjxDataPipelineList list;
    list.Add(people);

    TjxRichEdit edit;
    edit.LoadFromBytes("{\\rtf1 Dear <NAME>, {\\b <na}me> owes <sum> and <nope>; "
                       "<dbtext displayformat='Total: #,##0.00'>Amount</dbtext> "
                       "<DBTEXT datapipeline='elsewhere'>note</DBTEXT>.}");
    MergeRichText(edit, people, list);
    const QString amount =
        FormatDisplayValue(TVarValue::Double(1234.5), people->GetFieldDataType(u"amount"_qs), u"Total: #,##0.00"_qs);
    EXPECT_TRUE(amount.startsWith(u"Total: "_qs)) << amount.toStdString();
    const QString evil = u"{\\b Evil} <name> \\par"_qs;
    EXPECT_EQ(edit.PlainText().toStdString(),
              (u"Dear "_qs + evil + u", "_qs + evil + u" owes 1234.5 and <nope>; "_qs + amount +
               u" <DBTEXT>name</DBTEXT>."_qs)
                  .toStdString());
    // The value took the format of its tag's first character: "<na" was bold.
    QTextCursor c(&edit.Document());
    c.setPosition(int(edit.PlainText().indexOf(u", {"_qs)) + 3);
    EXPECT_EQ(c.charFormat().fontWeight(), QFont::Bold);
    // Written and read again, the values are still text.
    TjxRichEdit again;
    again.LoadFromBytes(edit.SaveToBytes());
    EXPECT_EQ(again.PlainText(), edit.PlainText());

    // Unmatched tags end the merge; without a pipeline field tags stay and data tags go.
    TjxRichEdit open;
    open.LoadFromBytes("{\\rtf1 </DBTEXT> <DBTEXT>name and <name>}");
    MergeRichText(open, people, list);
    EXPECT_EQ(open.PlainText(), u"</DBTEXT> <DBTEXT>name and "_qs + evil);
    TjxRichEdit none;
    none.LoadFromBytes("{\\rtf1 <name>[<DBTEXT>name</DBTEXT>]}");
    MergeRichText(none, nullptr, TjxDataPipelineList());
    EXPECT_EQ(none.PlainText(), u"<name>[]"_qs);

    const TjxMergeInfo info =
        ParseMergeTag(u"<dbText DataPipeline='Orders' DisplayFormat='$0.00'>Total</DBTEXT>"_qs);
    EXPECT_EQ(info.DataPipeline, u"Orders"_qs);
    EXPECT_EQ(info.DisplayFormat, u"$0.00"_qs);
    EXPECT_EQ(info.FieldName, u"Total"_qs);
}

TEST(RichTextMerge, FiveHundredLettersFromSqlite)
{
    ReportFixture f;
    std::vector<QVariantList> rows;
    for (int i = 1; i <= 500; ++i)
        rows.push_back({QStringLiteral("Client %1").arg(i) + (i % 50 == 0 ? u" {\\i x} <amount>"_qs : QString()),
                        i * 10.25});
    TjxDBPipeline* letters = f.AddTable(QStringLiteral("plLetters"), QStringLiteral("letters"),
                                        {QStringLiteral("name TEXT"), QStringLiteral("amount REAL")}, rows);
    f.data = letters;
    f.report->SetDataPipeline(letters);
    TjxBand* detail = f.AddBand(btDetail, 15000, phDynamic);
    auto* rich = new TjxRichText(&f.host);
    rich->SetName(f.report->GetValidName(rich));
    rich->SetBand(detail);
    rich->SetBounds(10000, 0, 12000, 150000);
    rich->SetStretch(true);
    rich->SetMailMerge(true);
    rich->SetRichText(u"{\\rtf1 {\\b Dear <name>,}\\par you owe "
                      "<DBTEXT displayformat='#,##0.00'>amount</DBTEXT>.}"_qs);
    f.Run();

    QStringList letterTexts;
    for (const TjxPage* page : f.FinalPages()) {
        for (const TjxDrawRichText* c : RichCommands(*page)) {
            if (c->StartCharPos() == 0 || letterTexts.isEmpty())
                letterTexts << RangeText(*c);
            else
                letterTexts.back() += RangeText(*c);
        }
    }
    ASSERT_EQ(letterTexts.size(), 500);
    for (int i = 1; i <= 500; ++i) {
        const QString amount = FormatDisplayValue(TVarValue::Double(i * 10.25), dtDouble, u"#,##0.00"_qs);
        const QString expected = u"Dear "_qs + rows[size_t(i - 1)][0].toString() + u",\nyou owe "_qs + amount + u"."_qs;
        ASSERT_EQ(letterTexts[i - 1].toStdString(), expected.toStdString()) << i;
    }
    EXPECT_EQ(letterTexts[0], u"Dear Client 1,\nyou owe 10.25."_qs);
}

TEST(DBRichText, ContentFromFieldHandlerAndEvent)
{
    ReportFixture f;
    const QByteArray blob = "{\\rtf1\\ansi\\ansicpg1252 Caf\xe9 \\'e9 {\\b blob}}";
    TjxDBPipeline* docs = f.AddTable(QStringLiteral("plDocs"), QStringLiteral("docs"),
                                     {QStringLiteral("body BLOB"), QStringLiteral("note TEXT")},
                                     {{blob, QStringLiteral("{\\rtf1 from \\u937? text}")},
                                      {QByteArray("{\\rtf1 " + QByteArray(3000, '{')), QStringLiteral("plain note")}});
    docs->Open();
    docs->First();
    auto* rich = new TjxDBRichText(&f.host);
    rich->SetDataPipeline(docs);
    rich->SetPrinting(true);
    rich->SetDataField(u"body"_qs);
    rich->RefreshContent();
    EXPECT_EQ(rich->PlainText(), u"Café é blob"_qs);
    rich->SetDataField(u"note"_qs);
    EXPECT_EQ(rich->PlainText(), u"from Ω text"_qs);
    docs->Next();
    rich->SetDataField(u"body"_qs);
    rich->RefreshContent();
    EXPECT_EQ(rich->PlainText(), GetMessage(414));
    rich->SetAutoDisplay(false);
    EXPECT_EQ(rich->PlainText(), QString());

    // A listener of the get-text event gives the content, the handler before it.
    TjxCommunicator listener;
    listener.AddEventInterest(ciTextGetText);
    rich->AddEventNotify(&listener);
    listener.OnEventNotify = [](TjxCommunicator*, int id, TjxEventParams* params) {
        if (id == ciTextGetText)
            params->SetValue(u"Text", u"{\\rtf1 from the event}"_qs);
    };
    rich->RefreshContent();
    EXPECT_EQ(rich->PlainText(), u"from the event"_qs);
}
