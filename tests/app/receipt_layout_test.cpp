// The receipt layout row by row: the shipped report, its untouched copy and
// the report as a saved Ravelle.rtm gives it back.

#include "app/main_window.h"
#include "app/receipt_form.h"
#include "components/printable.h"
#include "document/report.h"
#include "document/report_template.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvane;

namespace {

struct Row {
    const char* name;
    const char* copyName;  // the default name the copy gives it
    const char* className;
    const char* userName;
    const char* caption;
    int size;  // 0: no font (the line)
    bool bold;
    int left, top, width, height;
};

const QString kSigned = QStringLiteral("Signed: ") + QString(94, u'.');

// clang-format off
const Row kRows[] = {
    {"jxLabReceiptAgentName", "jxLabel1", "TjxLabel", "LabPayrollAgentName", "jxLabReceiptAgentName", 12, true, 1588, 242888, 51435, 4995},
    {"jxLabReceiptAgentAddress1", "jxLabel2", "TjxLabel", "Label171", "jxLabReceiptAgentAddress1", 10, false, 1588, 248444, 189971, 4022},
    {"jxLabReceiptAgentPhone", "jxLabel3", "TjxLabel", "LabReceiptAgentPhone", "jxLabReceiptAgentPhone", 10, false, 1588, 252148, 189442, 4022},
    {"jxLabReceiptAgentEmail", "jxLabel4", "TjxLabel", "LabReceiptAgentEmail", "jxLabReceiptAgentEmail", 10, false, 1588, 256382, 188384, 4022},
    {"jxLabReceiptAccountType", "jxLabel5", "TjxLabel", "LabReceiptAccountType", "Sales Trust Account Receipt Number", 12, true, 1588, 150813, 74083, 5027},
    {"jxLabel186", "jxLabel6", "TjxLabel", "LabelReceiptAccountType1", "Receipt Date", 12, true, 106363, 151077, 26988, 5292},
    {"jxLabReceiptNumber", "jxLabel7", "TjxLabel", "jxLabReceiptNumber", "jxLabReceiptNumber", 12, false, 1588, 157427, 41275, 5027},
    {"jxLabel188", "jxLabel8", "TjxLabel", "LabelReceiptAccountType2", "Received From", 12, true, 1588, 168275, 30427, 5292},
    {"jxLabel189", "jxLabel9", "TjxLabel", "Label189", "Vendor", 12, true, 106363, 170921, 17992, 5292},
    {"jxMemoReceiptFrom", "jxMemo1", "TjxMemo", "MemoReceiptFrom", "MemoReceiptFrom", 10, false, 1588, 173832, 102659, 37571},
    {"jxLabel191", "jxLabel10", "TjxLabel", "jxLabReceiptNumber1", nullptr, 10, false, 1588, 222515, 140759, 12965},
    {"jxLabel192", "jxLabel11", "TjxLabel", "Label192", "Duplicate", 12, true, 0, 143404, 196057, 5292},
    {"jxLabReceiptVendor", "jxLabel12", "TjxLabel", "jxLabReceiptAgentABN1", "jxLabReceiptVendor", 10, false, 106363, 176477, 90752, 12435},
    {"jxLabel184", "jxLabel13", "TjxLabel", "Label184", "Amount :", 12, true, 106363, 213255, 19579, 5821},
    {"rptPurchaserlabel", "jxLabel14", "TjxLabel", "rptPurchaserlabel", "Purchaser", 12, true, 106363, 191559, 29104, 5292},
    {"jxLabReceiptPurchaser", "jxLabel15", "TjxLabel", "LabReceiptPurchaser", "jxLabReceiptVendor", 10, false, 106363, 197115, 90752, 12435},
    {"jxLabReceiptAmount", "jxLabel16", "TjxLabel", "jxLabReceiptAgentABN2", "$0,000.00", 10, true, 106363, 220398, 16669, 4763},
    {"jxLine64", "jxLine1", "TjxLine", "Line64", "", 0, false, 265, 141552, 202407, 1588},
    {"jxLabTransactionDate", "jxLabel17", "TjxLabel", "jxLabTransactionDate", "jxLabTransactionDate", 12, false, 106363, 157692, 53975, 4763},
    {"jxLabel262", "jxLabel18", "TjxLabel", "Label262", "Printed By: ", 10, true, 1588, 213519, 19579, 4233},
    {"jxLabReceiptPrinter", "jxLabel19", "TjxLabel", "jxLabReceiptPrinter", "jxLabReceiptVendor", 10, false, 22490, 213519, 73290, 3969},
    {"jxLabReceiptAgentNameC", "jxLabel20", "TjxLabel", "LabPayrollAgentName1", "jxLabReceiptAgentName", 12, true, 1588, 108215, 51435, 4995},
    {"jxLabReceiptAgentAddress1C", "jxLabel21", "TjxLabel", "LabReceiptAgentAddress1C", "jxLabReceiptAgentAddress1", 10, false, 1588, 113771, 189971, 4022},
    {"jxLabReceiptAgentPhoneC", "jxLabel22", "TjxLabel", "LabReceiptAgentPhone2", "jxLabReceiptAgentPhone", 10, false, 1588, 117475, 189971, 4022},
    {"jxLabReceiptAgentEmailC", "jxLabel23", "TjxLabel", "LabReceiptAgentEmail1", "jxLabReceiptAgentEmail", 10, false, 1588, 121709, 188913, 4022},
    {"jxLabel196", "jxLabel24", "TjxLabel", "LabReceiptAccountType1", "Sales Trust Account Receipt Number", 12, true, 1588, 16140, 74083, 5027},
    {"jxLabel198", "jxLabel25", "TjxLabel", "Label198", "Receipt Date", 12, true, 106363, 16404, 26988, 5292},
    {"jxLabReceiptNumberC", "jxLabel26", "TjxLabel", "jxLabReceiptNumber2", "jxLabReceiptNumberC", 12, false, 1588, 22754, 44408, 4868},
    {"jxLabel206", "jxLabel27", "TjxLabel", "Label206", "Received From", 12, true, 1588, 34396, 30427, 5292},
    {"jxLabel207", "jxLabel28", "TjxLabel", "Label207", "Vendor", 12, true, 106363, 36248, 17992, 5292},
    {"jxMemoReceiptFromC", "jxMemo2", "TjxMemo", "MemoReceiptFrom1", "MemoReceiptFrom1", 10, false, 1588, 39952, 102394, 36513},
    {"jxLabel208", "jxLabel29", "TjxLabel", "Label208", nullptr, 10, false, 1588, 87842, 140759, 12965},
    {"jxLabel210", "jxLabel30", "TjxLabel", "Label210", "Original", 12, true, 2381, 8731, 196057, 5292},
    {"jxLabReceiptVendorC", "jxLabel31", "TjxLabel", "LabReceiptVendorC", "jxLabReceiptVendor", 10, false, 106363, 41803, 90752, 12436},
    {"jxLabel212", "jxLabel32", "TjxLabel", "Label212", "Amount :", 12, true, 106363, 78581, 19579, 5821},
    {"jxLabel213", "jxLabel33", "TjxLabel", "rptPurchaserlabel1", "Purchaser", 12, true, 106363, 56886, 29104, 5292},
    {"jxLabReceiptPurchaserC", "jxLabel34", "TjxLabel", "LabReceiptPurchaser1", "jxLabReceiptVendor", 10, false, 106363, 62442, 90752, 12435},
    {"jxLabReceiptAmountC", "jxLabel35", "TjxLabel", "LabReceiptAmountC", "$0,000.00", 10, true, 106363, 85725, 16670, 4763},
    {"jxLabTransactionDateC", "jxLabel36", "TjxLabel", "jxLabTransactionDate1", "jxLabTransactionDate", 12, false, 106363, 23019, 53975, 4763},
    {"jxLabel264", "jxLabel37", "TjxLabel", "Label264", "Printed By: ", 10, true, 1588, 78846, 19579, 4233},
    {"jxLabReceiptPrinterC", "jxLabel38", "TjxLabel", "jxLabReceiptPrinter1", "jxLabReceiptVendor", 10, false, 23283, 78846, 73290, 3969},
};
// clang-format on

// Every row of the header band against the table; the copy carries default names.
void ExpectTheReceiptRows(TjxReport* report, bool copy, const char* what)
{
    SCOPED_TRACE(what);
    ASSERT_NE(report, nullptr);
    ASSERT_GE(report->BandCount(), 1);
    TjxBand* band = report->Band(0);
    ASSERT_EQ(band->ChildCount(), int(std::size(kRows)));
    for (int i = 0; i < band->ChildCount(); ++i) {
        const Row& row = kRows[i];
        SCOPED_TRACE(std::string("row ") + std::to_string(i + 1) + " " + row.name);
        auto* c = dynamic_cast<TjxPrintable*>(band->Child(i));
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->Name(), QString::fromLatin1(copy ? row.copyName : row.name));
        EXPECT_EQ(c->ClassName(), QString::fromLatin1(row.className));
        EXPECT_EQ(c->UserName(), QString::fromLatin1(row.userName));
        EXPECT_EQ(c->Caption(), row.caption ? QString::fromLatin1(row.caption) : kSigned);
        EXPECT_EQ(c->mmLeft(), row.left);
        EXPECT_EQ(c->mmTop(), row.top);
        EXPECT_EQ(c->mmWidth(), row.width);
        EXPECT_EQ(c->mmHeight(), row.height);
        if (row.size == 0)
            continue;
        const TFont* font = c->Font();
        EXPECT_EQ(font->Name(), u"Arial");
        EXPECT_EQ(font->Size(), row.size);
        EXPECT_EQ(font->Style(), row.bold ? 1u << fsBold : 0u);
        EXPECT_EQ(font->Charset(), DEFAULT_CHARSET);
        EXPECT_EQ(font->Color(), clBlack);
        EXPECT_TRUE(c->Transparent());
    }
}

} // namespace

TEST(ReceiptLayout, EveryRowAsShippedInTheCopyAndAfterSaveAndOpen)
{
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    {
        TRavelleWindow window;
        ExpectTheReceiptRows(window.Form()->Receipt(), false, "shipped");
        ExpectTheReceiptRows(dynamic_cast<TjxReport*>(window.Form()->FindComponent(u"jxReportOriginal")), true,
                             "copy");
        window.Save();
    }
    {
        // A window whose report lost its rows, so only the file can bring them back.
        TRavelleWindow window;
        window.Form()->Receipt()->Template()->New();
        window.Open();
        ExpectTheReceiptRows(window.Form()->Receipt(), false, "opened");
    }
    QDir::setCurrent(previous);
}
