// Text file devices: the records of the texts a report saves (comma, tab,
// fixed length, custom), read back with Python's csv module from real list
// reports over SQLite; band prints numbered across a subreport; the
// report-emulation grid, from exact metrics and from Ravelle's receipt.

#include "tests/engine/report_fixture.h"
#include "tests/output/publish_pages.h"
#include "tests/support/process_run.h"

#include "document/errors.h"
#include "document/event_ids.h"
#include "document/stream_reader.h"
#include "document/stream_text.h"
#include "document/units.h"
#include "engine/subreport.h"
#include "output/device_registry.h"
#include "output/draw_shape.h"
#include "output/null_device.h"
#include "output/publisher.h"
#include "output/report_text_file_device.h"
#include "output/text_file_device.h"
#include "platform/file_io.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

// A saved text of band print `band`, field `field`.
TjxDrawText* Saved(TjxPage& page, int band, int field, const QString& text, int saveLength = 0,
                   TAlignment alignment = taLeftJustify)
{
    auto* command = new TjxDrawText;
    command->SetText(text);
    command->SetBandSave(true);
    command->SetBandSaveNo(band);
    command->SetComponentSave(true);
    command->SetComponentSaveNo(field);
    command->SetSaveLength(saveLength);
    command->SetAlignment(alignment);
    page.AddDrawCommand(command);
    return command;
}

std::unique_ptr<TjxPage> NumberedPage(int number, int count)
{
    auto page = std::make_unique<TjxPage>();
    page->SetAbsolutePageNo(number);
    page->SetAbsolutePageCount(count);
    page->SetFirstPage(number == 1);
    page->SetLastPage(number == count);
    page->SetFinal(true);
    page->PageDef()->SetmmWidth(210000);
    page->PageDef()->SetmmHeight(297000);
    return page;
}

// Publishes the pages to the device, which writes `file`.
void Publish(TjxFileDevice& device, const QString& file, const std::vector<std::unique_ptr<TjxPage>>& pages)
{
    device.SetFileName(file);
    PublishPages(device, pages);
}

// Three pages: two records, none, two records; texts the file types treat
// differently, fields out of order and texts that are not saved.
std::vector<std::unique_ptr<TjxPage>> RecordPages()
{
    std::vector<std::unique_ptr<TjxPage>> pages;
    auto one = NumberedPage(1, 3);
    Saved(*one, 1, 2, QStringLiteral("z"), 4, taCenter);
    Saved(*one, 1, 0, QStringLiteral("a b"), 5);
    Saved(*one, 1, 1, QStringLiteral("x,y"), 5, taRightJustify);
    Saved(*one, 2, 1, QStringLiteral("l1\r\nl2"), 6);
    Saved(*one, 2, 0, QStringLiteral("say \"hi\""), 5);
    Saved(*one, 2, 3, QStringLiteral("not in a saved band"))->SetBandSave(false);
    Saved(*one, 2, 4, QStringLiteral("not saved"))->SetComponentSave(false);
    auto* shape = new TjxDrawShape;
    one->AddDrawCommand(shape);
    pages.push_back(std::move(one));
    auto two = NumberedPage(2, 3);
    auto* unsaved = new TjxDrawText;
    unsaved->SetText(QStringLiteral("page two"));
    two->AddDrawCommand(unsaved);
    pages.push_back(std::move(two));
    auto three = NumberedPage(3, 3);
    Saved(*three, 8, 0, QStringLiteral("last"), 4);
    // SaveOrder -1 of old streams comes first, not after 0 as its key would sort.
    Saved(*three, 7, 0, QStringLiteral("second"), 6);
    Saved(*three, 7, -1, QStringLiteral("first"), 5);
    pages.push_back(std::move(three));
    return pages;
}


// The records of a text file as Python's csv module reads them.
std::vector<QStringList> CsvRows(const QString& file, const char* delimiter)
{
    static const char kScript[] =
        "import csv, io, json, sys\n"
        "data = open(sys.argv[1], 'rb').read()\n"
        "text = data[3:].decode('utf-8') if data.startswith(b'\\xef\\xbb\\xbf') else data.decode('cp1252')\n"
        "tab = sys.argv[2] == 'tab'\n"
        "rows = csv.reader(io.StringIO(text, newline=''), delimiter='\\t' if tab else ',',\n"
        "                  quoting=csv.QUOTE_NONE if tab else csv.QUOTE_MINIMAL)\n"
        "print(json.dumps(list(rows)))\n";
    const ProcessRun run = RunProgram(QStringLiteral("python3"), {QStringLiteral("-c"), QString::fromLatin1(kScript),
                                                                  file, QString::fromLatin1(delimiter)});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    std::vector<QStringList> rows;
    for (const QJsonValue& row : QJsonDocument::fromJson(run.out.toUtf8()).array()) {
        QStringList fields;
        for (const QJsonValue& field : row.toArray())
            fields << field.toString();
        rows.push_back(fields);
    }
    return rows;
}

const QStringList kNames{QStringLiteral("Smith, John"), QStringLiteral("He said \"hi\""),
                         QStringLiteral("two\r\nlines"), QStringLiteral("tab\there"),
                         QStringLiteral("Zo\u00EB"),     QStringLiteral("\u6771\u4EAC"),
                         QStringLiteral("plain")};

// A list report over an SQLite table of people: a saved page header with
// two labels, a detail band with the id and the name, a saved footer.
struct PeopleReport : ReportFixture {
    QTemporaryDir out;
    TjxDBText* id = nullptr;
    TjxDBText* name = nullptr;

    explicit PeopleReport(const QStringList& names = kNames)
    {
        std::vector<QVariantList> rows;
        for (int i = 0; i < int(names.size()); ++i)
            rows.push_back({i + 1, names[i]});
        data = AddTable(QStringLiteral("plPeople"), QStringLiteral("people"),
                        {QStringLiteral("id INTEGER"), QStringLiteral("name TEXT")}, rows);
        report->SetDataPipeline(data);
        TjxBand* header = AddBand(btHeader, 10000);
        header->SetSave(true);
        Save(AddLabel(header, QStringLiteral("Id")), 0);
        Save(AddLabel(header, QStringLiteral("Name"), 40000), 1);
        TjxBand* detail = AddBand(btDetail, 8000);
        detail->SetSave(true);
        id = Save(AddField(detail, "id"), 0);
        name = Save(AddField(detail, "name", 40000), 1);
        TjxBand* footer = AddBand(btFooter, 10000);
        footer->SetSave(true);
        Save(AddLabel(footer, QStringLiteral("End")), 0);
    }

    template <class T>
    static T* Save(T* text, int order)
    {
        text->SetSave(true);
        text->SetSaveOrder(order);
        return text;
    }

    // Prints the report to a text file the way a program does.
    QString Print(const char* deviceType, TjxFileType type, const char* fileName)
    {
        const QString file = out.filePath(QString::fromLatin1(fileName));
        report->SetDeviceType(QString::fromLatin1(deviceType));
        report->SetTextFileName(file);
        report->SetTextFileType(type);
        report->Print();
        return file;
    }

    // The rows as a text file should hold them: header, details, footer.
    static std::vector<QStringList> Expected(const QStringList& names, bool tab)
    {
        std::vector<QStringList> rows{{QStringLiteral("Id"), QStringLiteral("Name")}};
        for (int i = 0; i < int(names.size()); ++i) {
            QString name = names[i];
            if (tab)
                name.replace(QStringLiteral("\r\n"), QStringLiteral(" ")).replace(u'\t', u' ');
            rows.push_back({QString::number(i + 1), name});
        }
        rows.push_back({QStringLiteral("End")});
        return rows;
    }
};

// Turns every field an event-9 listener sees into capitals.
class TUpperCase : public TjxCommunicator {
public:
    explicit TUpperCase(TjxCommunicator* source) : TjxCommunicator(nullptr)
    {
        AddEventInterest(ciProducerSaveText);
        source->AddEventNotify(this);
    }
    void EventNotify(TjxCommunicator* sender, int id, TjxEventParams* params) override
    {
        TjxCommunicator::EventNotify(sender, id, params);
        if (id == ciProducerSaveText && params)
            params->SetValue(u"Text", params->Value(u"Text").toString().toUpper());
        ++count;
    }
    int count = 0;
};

} // namespace

TEST(TextFileDevice, RegisteredAfterThePrinterInTheOrderDialogsListThem)
{
    EXPECT_EQ(DeviceNames().mid(0, 5),
              QStringList({"Printer", "TextFile", "ReportTextFile", "ArchiveFile", "PDFFile"}));
    const TjxDeviceClass* text = DeviceClassByName(u"TextFile");
    const TjxDeviceClass* report = DeviceClassByName(u"ReportTextFile");
    ASSERT_TRUE(text && report);
    EXPECT_EQ(text->Description(), u"Text File");
    EXPECT_EQ(report->Description(), u"Report Emulation Text File");
    for (const TjxDeviceClass* c : {text, report}) {
        EXPECT_TRUE(c->isFileDevice);
        EXPECT_EQ(c->defaultExt, u"txt");
        EXPECT_EQ(c->filter, u"Text files|*.TXT|All files|*.*");
    }
    TjxReportTextFileDevice grid;
    EXPECT_TRUE(grid.AutoCalcGrid() && grid.SizeFromFont());
    EXPECT_EQ(grid.CharsPerLine(), 80);
    EXPECT_EQ(grid.LinesPerPage(), 66);
    EXPECT_EQ(grid.FontSize(), 12);
}

TEST(TextFileDevice, RecordsOfEachFileType)
{
    QTemporaryDir dir;
    const auto pages = RecordPages();
    const auto write = [&](TjxFileType type) {
        TjxTextFileDevice device;
        device.SetFileType(type);
        const QString file = dir.filePath(QStringLiteral("out.txt"));
        Publish(device, file, pages);
        EXPECT_EQ(device.RecordCount(), 4);
        return ReadFile(file);
    };
    // A field with a comma, blank, quote or line break is quoted, its quotes doubled.
    EXPECT_EQ(write(ftComma), QByteArray("\"a b\",\"x,y\",z\r\n"
                                         "\"say \"\"hi\"\"\",\"l1\r\nl2\"\r\n"
                                         "first,second\r\n"
                                         "last"));
    // Tabs and line breaks inside a field become blanks.
    EXPECT_EQ(write(ftTab), QByteArray("a b\tx,y\tz\r\n"
                                       "say \"hi\"\tl1 l2\r\n"
                                       "first\tsecond\r\n"
                                       "last"));
    // Padded after (left), before (right), around (centred, the odd blank after); cut when longer.
    EXPECT_EQ(write(ftFixedLength), QByteArray("a b    x,y z  \r\n"
                                               "say \"l1 l2 \r\n"
                                               "firstsecond\r\n"
                                               "last"));
    EXPECT_EQ(write(ftCustom), QByteArray("a bx,yz"
                                          "say \"hi\"l1\r\nl2"
                                          "firstsecond"
                                          "last"));

    // The hook sees each field with its component and may change it.
    TjxTextFileDevice hooked;
    QStringList seen;
    hooked.OnSaveText = [&seen](TjxTextFileDevice*, TComponent*, QString& text) {
        seen << text;
        text = QString::number(seen.size());
    };
    Publish(hooked, dir.filePath(QStringLiteral("hook.txt")), pages);
    EXPECT_EQ(seen.first(), u"\"a b\"");
    EXPECT_EQ(ReadFile(dir.filePath(QStringLiteral("hook.txt"))), QByteArray("1,2,3\r\n4,5\r\n6,7\r\n8"));

    // Only pages without saved text: an empty file.
    std::vector<std::unique_ptr<TjxPage>> empty;
    empty.push_back(NumberedPage(1, 1));
    TjxTextFileDevice none;
    Publish(none, dir.filePath(QStringLiteral("none.txt")), empty);
    EXPECT_EQ(ReadFile(dir.filePath(QStringLiteral("none.txt"))), QByteArray());
}

TEST(TextFileDevice, CodePageWhereEveryCharacterFitsElseUtf8)
{
    QTemporaryDir dir;
    std::vector<std::unique_ptr<TjxPage>> pages;
    pages.push_back(NumberedPage(1, 2));
    Saved(*pages[0], 1, 0, QStringLiteral("Zo\u00EB"));
    pages.push_back(NumberedPage(2, 2));
    TjxTextFileDevice device;
    const QString file = dir.filePath(QStringLiteral("names.txt"));
    Publish(device, file, pages);
    EXPECT_EQ(ReadFile(file), QByteArray("Zo\xEB"));

    // One character outside the code page: the whole file is UTF-8, marked so.
    Saved(*pages[1], 2, 0, QStringLiteral("\u6771\u4EAC"));
    Publish(device, file, pages);
    EXPECT_EQ(ReadFile(file), QByteArray("\xEF\xBB\xBF") + QStringLiteral("Zo\u00EB\r\n\u6771\u4EAC").toUtf8());
}

TEST(TextFileDevice, ListReportReadsBackAsItsRows)
{
    for (const TjxFileType type : {ftComma, ftTab}) {
        SCOPED_TRACE(int(type));
        PeopleReport r;
        const bool tab = type == ftTab;
        const QString file = r.Print("TextFile", type, tab ? "people.tab" : "people.csv");
        EXPECT_EQ(CsvRows(file, tab ? "tab" : "comma"), PeopleReport::Expected(kNames, tab));
        // Nothing but the file is left beside it.
        EXPECT_EQ(QDir(r.out.path()).entryList(QDir::Files | QDir::Hidden), QStringList({QFileInfo(file).fileName()}));
    }

    // One record per detail band print, also over several pages; names in the code page stay single bytes.
    QStringList many;
    for (int i = 1; i <= 80; ++i)
        many << QStringLiteral("Zo\u00EB %1, \"the\" %1").arg(i);
    PeopleReport r(many);
    const QString file = r.Print("TextFile", ftComma, "many.csv");
    EXPECT_GT(r.report->Engine()->AbsolutePageCount(), 1);
    EXPECT_FALSE(ReadFile(file).startsWith("\xEF\xBB\xBF"));
    const auto rows = CsvRows(file, "comma");
    std::vector<QStringList> details;
    for (const QStringList& row : rows)
        if (row.size() == 2 && row[0] != u"Id")
            details.push_back(row);
    const std::vector<QStringList> expected = PeopleReport::Expected(many, false);
    EXPECT_EQ(details, std::vector<QStringList>(expected.begin() + 1, expected.end() - 1));
    EXPECT_EQ(std::count(rows.begin(), rows.end(), QStringList({"Id", "Name"})),
              r.report->Engine()->AbsolutePageCount());
}

TEST(TextFileDevice, FixedLengthKeepsEveryFieldInItsColumns)
{
    PeopleReport r;
    r.id->SetSaveLength(3);
    r.id->SetTextAlignment(taRightJustified);
    r.name->SetSaveLength(8);
    const QString file = r.Print("TextFile", ftFixedLength, "people.fix");
    const QByteArray bytes = ReadFile(file);
    ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    const QStringList records = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"));
    // The labels of header and footer have no length: their records are empty and left out.
    ASSERT_EQ(records.size(), kNames.size());
    for (int i = 0; i < int(kNames.size()); ++i) {
        const QString& record = records[i];
        EXPECT_EQ(record.size(), 11) << record.toStdString();
        EXPECT_EQ(record.left(3), QStringLiteral("%1").arg(i + 1, 3));
        QString name = kNames[i];
        name.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        EXPECT_EQ(record.mid(3), name.left(8).leftJustified(8)) << record.toStdString();
    }
}

TEST(TextFileDevice, FieldsFollowTheBandsListOfSavedComponents)
{
    // Moving the name to the front of the detail band's list swaps the columns;
    // unsaving the id leaves the name alone in its records.
    PeopleReport r({QStringLiteral("Ann"), QStringLiteral("Bob")});
    r.name->SetSaveOrder(0);
    EXPECT_EQ(r.id->SaveOrder(), 1);
    QString file = r.Print("TextFile", ftComma, "swapped.csv");
    EXPECT_EQ(CsvRows(file, "comma"),
              std::vector<QStringList>({{"Id", "Name"}, {"Ann", "1"}, {"Bob", "2"}, {"End"}}));
    r.id->SetSave(false);
    file = r.Print("TextFile", ftComma, "names.csv");
    EXPECT_EQ(CsvRows(file, "comma"), std::vector<QStringList>({{"Id", "Name"}, {"Ann"}, {"Bob"}, {"End"}}));
}

TEST(TextFileDevice, OnSaveTextAndEventNineChangeTheFields)
{
    PeopleReport r({QStringLiteral("ann"), QStringLiteral("bob")});
    TUpperCase upper(r.report);
    const QString file = r.Print("TextFile", ftComma, "upper.csv");
    EXPECT_EQ(ReadFile(file), QByteArray("ID,NAME\r\n1,ANN\r\n2,BOB\r\nEND"));
    EXPECT_EQ(upper.count, 7);

    // A hook that fails fails the run: the target keeps what it had, nothing else appears.
    WriteWholeFile(file, "before");
    TMethod failing;
    failing.code = [](TComponent*, TjxEventParams&) { throw EOrvaneError(QStringLiteral("refused")); };
    r.report->ResetRun();
    r.report->SetOnSaveText(failing);
    EXPECT_EQ(ErrorOf([&] { r.Print("TextFile", ftComma, "upper.csv"); }), u"refused");
    EXPECT_EQ(ReadFile(file), QByteArray("before"));
    EXPECT_EQ(QDir(r.out.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"upper.csv"}));
}

TEST(TextFileDevice, BandPrintsAreNumberedAcrossASubreport)
{
    ReportFixture f;
    TjxDataPipeline* masters =
        f.AddTable(QStringLiteral("plMaster"), QStringLiteral("masters"),
                   {QStringLiteral("id INTEGER"), QStringLiteral("name TEXT")},
                   {{1, QStringLiteral("first")}, {2, QStringLiteral("second")}, {3, QStringLiteral("third")}});
    TjxDataPipeline* lines = f.AddTable(
        QStringLiteral("plLine"), QStringLiteral("lines"), {QStringLiteral("master INTEGER"), QStringLiteral("text TEXT")},
        {{1, QStringLiteral("1a")}, {1, QStringLiteral("1b")}, {3, QStringLiteral("3a")}, {3, QStringLiteral("3b")},
         {3, QStringLiteral("3c")}});
    lines->AddLink(QStringLiteral("id"), QStringLiteral("master"));
    lines->SetMasterDataPipeline(masters);
    f.report->SetDataPipeline(masters);
    f.data = masters;
    TjxBand* detail = f.AddBand(btDetail, 10000, phDynamic);
    detail->SetSave(true);
    PeopleReport::Save(f.AddField(detail, "name"), 0);
    auto* sub = new TjxSubReport(&f.host);
    sub->SetName(f.report->GetValidName(sub));
    sub->SetParentComponent(detail);
    sub->SetmmTop(5000);
    sub->SetDataPipeline(lines);
    TjxBand* childDetail = sub->Report()->CreateBand(btDetail);
    childDetail->SetmmHeight(5000);
    childDetail->SetSave(true);
    f.data = lines;
    PeopleReport::Save(f.AddField(childDetail, "text", 20000), 0);
    PeopleReport::Save(f.AddLabel(childDetail, QStringLiteral("line")), 1);

    QTemporaryDir dir;
    TjxTextFileDevice device;
    device.SetFileName(dir.filePath(QStringLiteral("tree.csv")));
    device.SetPublisher(f.report->Publisher());
    f.report->Generate();
    device.SetPublisher(nullptr);
    // Each master's record, then those of its lines, in print order (a
    // master without lines is skipped).
    EXPECT_EQ(ReadFile(dir.filePath(QStringLiteral("tree.csv"))),
              QByteArray("first\r\n1a,line\r\n1b,line\r\nthird\r\n3a,line\r\n3b,line\r\n3c,line"));
}

TEST(ReportTextFileDevice, ExactGrid)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("grid.txt"));
    const TFixedAdvanceMeasurer measurer;
    const auto text = [](TjxPage& page, const QString& value, int left, int top, int width) {
        auto* command = new TjxDrawText;
        command->SetText(value);
        command->SetBounds(left, top, width, 5000);
        page.AddDrawCommand(command);
        return command;
    };
    std::vector<std::unique_ptr<TjxPage>> pages;
    pages.push_back(NumberedPage(1, 3));
    pages.push_back(NumberedPage(2, 3));
    pages.push_back(NumberedPage(3, 3));
    // On A4 80 by 66 gives cells of 2625 by 4500.
    text(*pages[0], QStringLiteral("row 11"), 26250, 45000, 30000);
    text(*pages[0], QStringLiteral("top left"), 0, 0, 30000);
    text(*pages[0], QStringLiteral("right"), 2625 * 20, 45000, 2625 * 9)->SetAlignment(taRightJustify);
    text(*pages[0], QStringLiteral("cut off on the left"), -2625 * 3, 4500 * 2, 2625 * 30);
    text(*pages[0], QStringLiteral("below the paper"), 0, 297000, 30000);
    TjxDrawText* memo = text(*pages[0], QString(), 2625 * 40, 4500 * 30, 2625 * 10);
    memo->Font()->SetSize(14);
    TStrings wrapped;
    wrapped.SetLines({QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")});
    memo->SetWrappedText(&wrapped);
    text(*pages[0], QStringLiteral("own\nbreak"), 0, 4500 * 50, 30000)->Font()->SetSize(14);
    text(*pages[2], QStringLiteral("last page"), 0, 4500 * 65, 30000);

    TjxReportTextFileDevice device;
    device.SetTextMeasurer(&measurer);
    device.SetAutoCalcGrid(false);
    Publish(device, file, pages);
    EXPECT_EQ(device.ColumnWidth(), 2625);
    EXPECT_EQ(device.RowHeight(), 4500);
    const QByteArray bytes = ReadFile(file);
    EXPECT_FALSE(bytes.endsWith("\r\n"));
    const QStringList lines = QString::fromLatin1(bytes).split(QStringLiteral("\r\n"));
    // Page two has no text and no lines.
    ASSERT_EQ(lines.size(), 2 * 66);
    EXPECT_EQ(lines[0], u"top left");
    EXPECT_EQ(lines[2], u" off on the left");
    // "right" ends the cell of "row 11" early.
    EXPECT_EQ(lines[10], QString(10, u' ') + QStringLiteral("row 11") + QString(4, u' ') + QStringLiteral("     right"));
    const int lineHeight =
        UnitsToThousandths(float(measurer.LineHeight(*memo->Font(), 96)), utScreenPixels, axVertical);
    int row = 30;
    for (const char* line : {"one", "two", "three"}) {
        const int expectedRow = (4500 * 30 + lineHeight * (row - 30)) / 4500;
        EXPECT_EQ(lines[expectedRow], QString(40, u' ') + QString::fromLatin1(line)) << line;
        ++row;
    }
    EXPECT_EQ(lines[50], u"own");
    EXPECT_EQ(lines[51], u"break");
    EXPECT_EQ(lines[66 + 65], u"last page");
    EXPECT_FALSE(lines.join(QString()).contains(u"below"));

    // The grid from the font: "0" of the fixed-pitch face, here half an em wide and 1.2 ems high.
    device.SetAutoCalcGrid(true);
    device.SetSizeFromFont(false);
    Publish(device, file, pages);
    TFont courier;
    courier.SetName(QStringLiteral("Courier New"));
    courier.SetSize(12);
    const int cw = UnitsToThousandths(float(measurer.TextWidth(courier, 96, u"0")), utScreenPixels);
    const int rh = UnitsToThousandths(float(measurer.LineHeight(courier, 96)), utScreenPixels, axVertical);
    EXPECT_EQ(device.ColumnWidth(), cw);
    EXPECT_EQ(device.CharsPerLine(), 210000 / cw);
    EXPECT_EQ(device.LinesPerPage(), 297000 / rh);
    EXPECT_EQ(ReadFile(file).split('\n').size(), 2 * device.LinesPerPage());

    // No cell, no grid: refused with the reason, and no file made.
    device.SetAutoCalcGrid(false);
    device.SetCharsPerLine(0);
    device.SetLinesPerPage(66);
    const QString none = dir.filePath(QStringLiteral("none.txt"));
    EXPECT_EQ(ErrorOf([&] { Publish(device, none, pages); }),
              u"The text grid has no room: 0 characters a line and 66 lines a page on a page of 210000 x 297000 "
              u"thousandths of a millimetre.");
    EXPECT_FALSE(QFile::exists(none));
    device.SetCharsPerLine(80);
    device.SetAutoCalcGrid(true);
    device.SetFontSize(0);
    EXPECT_TRUE(ErrorOf([&] { Publish(device, none, pages); }).startsWith(u"The text grid has no room"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"grid.txt"}));
}

namespace {

// Ravelle's receipt report, read from the description the program ships.
TjxCustomReport* ReadReceipt(TComponent& host)
{
    QFile f(QDir::cleanPath(QStringLiteral(ORVANE_TEST_DATA "/../../app/main_window.txt")));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray text;
    bool inside = false;
    for (QByteArray line : f.readAll().split('\n')) {
        line = line.chopped(line.endsWith('\r') ? 1 : 0);
        if (line == "  object rptReceipt: TjxReport")
            inside = true;
        if (inside)
            text += line.mid(2) + "\r\n";
        if (inside && line == "  end")
            break;
    }
    QByteArray binary;
    ObjectTextToBinary(text, binary);
    TReader reader(binary);
    reader.SetOwner(&host);
    reader.SetRoot(&host);
    return dynamic_cast<TjxCustomReport*>(reader.ReadComponent(nullptr));
}

} // namespace

TEST(ReportTextFileDevice, ReceiptTextsSitWhereTheGridPutsThem)
{
    TReportHost host;
    TjxCustomReport* receipt = ReadReceipt(host);
    ASSERT_TRUE(receipt);
    receipt->SetEnableProcessMessages(false);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("receipt.txt"));
    TjxReportTextFileDevice device;
    device.SetFileName(file);
    std::vector<std::unique_ptr<TjxPage>> pages;
    TjxNullDevice keeper;
    keeper.ReceivePageHandler = [&pages](TjxDevice* d, TjxPage* page) {
        if (page->Final() && !d->PageIsNotice()) {
            pages.push_back(std::make_unique<TjxPage>());
            pages.back()->Assign(page);
        }
    };
    device.SetPublisher(receipt->Publisher());
    keeper.SetPublisher(receipt->Publisher());
    receipt->Generate();
    device.SetPublisher(nullptr);
    keeper.SetPublisher(nullptr);
    ASSERT_FALSE(pages.empty());

    const int cw = device.ColumnWidth(), rh = device.RowHeight();
    ASSERT_GT(cw, 0);
    const QStringList lines = QString::fromLatin1(ReadFile(file)).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), int(pages.size()) * device.LinesPerPage());
    EXPECT_EQ(device.CharsPerLine(), pages[0]->PageDef()->mmWidth() / cw);

    // Every single-line text whose cells no other text shares.
    struct Cell {
        int page, firstRow, lastRow, column, width;
        bool oneLine;
        QString text;
    };
    std::vector<Cell> cells;
    for (int p = 0; p < int(pages.size()); ++p)
        for (int i = 0; i < pages[size_t(p)]->DrawCommandCount(); ++i)
            if (auto* t = dynamic_cast<TjxDrawText*>(pages[size_t(p)]->DrawCommand(i))) {
                const int lineCount = std::max(t->WrappedText()->Count(), int(t->Text().count(u'\n')) + 1);
                const int lineHeight = UnitsToThousandths(float(DefaultTextMeasurer().LineHeight(*t->Font(), 96)),
                                                          utScreenPixels, axVertical);
                int width = t->Width() / cw + 1;
                if (t->AutoSize())
                    width = std::max(width, int(t->Text().size()));
                cells.push_back({p, t->Top() / rh + 1, (t->Top() + lineHeight * (lineCount - 1)) / rh + 1,
                                 t->Left() / cw + 1, width, lineCount == 1,
                                 FitToLength(t->Text(), width, t->Alignment())});
            }
    int checked = 0;
    for (const Cell& cell : cells) {
        if (!cell.oneLine || cell.firstRow < 1 || cell.firstRow > device.LinesPerPage() || cell.column < 1)
            continue;
        const bool alone = std::none_of(cells.begin(), cells.end(), [&](const Cell& other) {
            return &other != &cell && other.page == cell.page && other.firstRow <= cell.firstRow &&
                   cell.firstRow <= other.lastRow && other.column < cell.column + cell.width &&
                   cell.column < other.column + other.width;
        });
        if (!alone)
            continue;
        const QString& line = lines[cell.page * device.LinesPerPage() + cell.firstRow - 1];
        EXPECT_EQ(line.mid(cell.column - 1, cell.width).leftJustified(cell.width), cell.text)
            << "row " << cell.firstRow << ": " << line.toStdString();
        ++checked;
    }
    EXPECT_GT(checked, 10);
}
