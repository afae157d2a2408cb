// The print dialog driven as a user drives it: the report's print run shows
// it, the choices reach the job or the file, and bad input keeps it open.

#include "dialog_fixture.h"

#include "dialogs/print_dialog.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/printer.h"
#include "output/page_request.h"
#include "designer/designer.h"
#include "designer/window/designer_window.h"
#include "preview/viewer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QMouseEvent>

using namespace orvane;
using namespace orvane::test;

namespace {

struct PrintDialogTest : TestPlatform {
    ReportFixture f;
    void SetUp() override
    {
        TestPlatform::SetUp();
        OneRecordAPage(f, 6);
    }

    // The painted pages of the last document the spooler received.
    QList<QByteArray> LastPages() const
    {
        QList<QByteArray> pictures;
        const auto documents = m_spooler->Documents();
        if (documents.isEmpty())
            return pictures;
        for (const auto& page : documents.last().pages)
            pictures.append(QByteArray(page->data(), int(page->size())));
        return pictures;
    }
};

QByteArray Contents(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST_F(PrintDialogTest, PageListAndCollatedCopiesReachTheJob)
{
    f.report->SetShowPrintDialog(false);
    f.report->Print();
    const QList<QByteArray> all = LastPages();
    ASSERT_EQ(all.size(), 6);

    f.report->SetShowPrintDialog(true);
    QPointer<QTimer> answer = WhenDialog(QStringLiteral("printDialog"), [](QDialog* dialog) {
        PagesTwoToThreeAndFiveTwiceCollated(dialog, QString());
    });
    f.report->Print();
    delete answer;
    const QList<QByteArray> printed = LastPages();
    EXPECT_EQ(printed, (QList<QByteArray>{all[1], all[2], all[4], all[1], all[2], all[4]}));
    // The dialog's choices were the run's: the report keeps its own setup.
    EXPECT_EQ(f.report->PrinterSetup()->Copies(), 1);
    EXPECT_EQ(f.report->PrintDialog(), nullptr);
}

TEST_F(PrintDialogTest, CancelPrintsNothing)
{
    QPointer<QTimer> answer = WhenDialog(QStringLiteral("printDialog"),
                                [](QDialog* dialog) { Child<QPushButton>(dialog, "cancelButton")->click(); });
    f.report->Print();
    delete answer;
    EXPECT_TRUE(m_spooler->Documents().isEmpty());
    EXPECT_FALSE(f.report->Producing());
}

TEST_F(PrintDialogTest, InitialisesFromTheRequestAndAllResetsIt)
{
    TjxPrinter printer;
    printer.PrinterSetup()->SetPrinterName(QStringLiteral("Q"));
    ScriptedBoxes boxes;
    TjxPrintDialog dialog;
    dialog.SetPrinter(&printer);
    TjxPageRequest request;
    request.SetPageSetting(psPageList);
    request.PageList()->SetLines({QStringLiteral("2"), QStringLiteral("5")});
    dialog.SetPageRequest(&request);
    dialog.Initialise();
    QDialog* window = dialog.Window();
    EXPECT_TRUE(Child<QRadioButton>(window, "pagesRadio")->isChecked());
    EXPECT_EQ(Child<QLineEdit>(window, "pagesEdit")->text(), u"2,5");
    auto* printers = Child<QComboBox>(window, "printerList");
    ASSERT_EQ(printers->count(), 2);
    EXPECT_EQ(printers->itemText(0), u"P");
    EXPECT_EQ(printers->itemText(1), u"Q");
    EXPECT_EQ(printers->currentText(), u"Q");
    // Choosing a printer in the list chooses it for the setup.
    printers->setCurrentIndex(0);
    EXPECT_EQ(printer.PrinterSetup()->PrinterName(), u"P");
    // Without file output the panel is gone and the form shorter by its height.
    EXPECT_TRUE(Child<QWidget>(window, "filePanel")->isHidden());
    const int shorter = window->height();

    // All, after a list: every page again.
    Child<QRadioButton>(window, "allRadio")->click();
    EXPECT_TRUE(Child<QLineEdit>(window, "pagesEdit")->text().isEmpty());
    dialog.OkClicked();
    EXPECT_TRUE(boxes.shown.empty()) << boxes.Texts().join(u", ").toStdString();
    EXPECT_EQ(dialog.PageRequest()->PageSetting(), psAll);
    EXPECT_EQ(dialog.PageRequest()->PageList()->Count(), 0);

    // A key that types nothing in the page edit, or a click into it, means Pages.
    auto* pagesEdit = Child<QLineEdit>(window, "pagesEdit");
    auto* pagesRadio = Child<QRadioButton>(window, "pagesRadio");
    QTest::keyClick(pagesEdit, Qt::Key_Home);
    EXPECT_TRUE(pagesRadio->isChecked());
    Child<QRadioButton>(window, "allRadio")->click();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(4, 4), QPointF(4, 4), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(pagesEdit, &press);
    EXPECT_TRUE(pagesRadio->isChecked());

    dialog.SetAllowPrintToFile(true);
    dialog.Initialise();
    EXPECT_FALSE(Child<QWidget>(window, "filePanel")->isHidden());
    EXPECT_EQ(window->height(), shorter + 60);
}

TEST_F(PrintDialogTest, CopiesOutsideOneTo999AreRefused)
{
    TjxPrinter printer;
    printer.PrinterSetup()->SetPrinterName(QStringLiteral("P"));
    printer.PrinterSetup()->SetCopies(3);
    TjxPrintDialog dialog;
    dialog.SetPrinter(&printer);
    dialog.Initialise();
    QDialog* window = dialog.Window();
    auto* copies = Child<QLineEdit>(window, "copiesEdit");
    EXPECT_EQ(copies->text(), u"3");
    ScriptedBoxes boxes;
    for (const char* bad : {"0", "-5", "ab"}) {
        copies->setText(QString::fromLatin1(bad));
        dialog.OkClicked();
        ASSERT_EQ(boxes.shown.size(), 1u) << bad;
        EXPECT_EQ(boxes.shown.back().text, MessageText(msg::InvalidCopies, {QString::fromLatin1(bad)}));
        // The setup keeps what it had: nothing silently printed otherwise.
        EXPECT_EQ(printer.PrinterSetup()->Copies(), 3);
        boxes.shown.clear();
    }
    // Up stops at 999, down at 1; a text that is no number counts as 1.
    copies->setText(QStringLiteral("998"));
    dialog.StepCopies(1);
    dialog.StepCopies(1);
    EXPECT_EQ(copies->text(), u"999");
    copies->setText(QStringLiteral("x"));
    dialog.StepCopies(-1);
    EXPECT_EQ(copies->text(), u"1");
    dialog.StepCopies(-1);
    EXPECT_EQ(copies->text(), u"1");
    dialog.StepCopies(1);
    EXPECT_EQ(copies->text(), u"2");
    // Pages selected with nothing typed.
    Child<QRadioButton>(window, "pagesRadio")->setChecked(true);
    dialog.OkClicked();
    EXPECT_EQ(boxes.Texts(), QStringList{GetMessage(32)});
}

namespace {
struct NoPrinterDialogTest : NoPrinterPlatform {};
} // namespace

TEST_F(NoPrinterDialogTest, OnlyDefaultAndScreenMeanNoPrinters)
{
    ASSERT_TRUE(TjxPrinterSetup().PrinterNames().contains(QStringLiteral("Default")));
    TjxPrinter printer;
    TjxPrintDialog dialog;
    dialog.SetPrinter(&printer);
    dialog.Initialise();
    QDialog* window = dialog.Window();
    EXPECT_FALSE(Child<QLabel>(window, "noPrintersLabel")->isHidden());
    EXPECT_TRUE(Child<QComboBox>(window, "printerList")->isHidden());
    EXPECT_TRUE(Child<QPushButton>(window, "propertiesButton")->isHidden());
    ScriptedBoxes boxes;
    dialog.OkClicked();
    EXPECT_EQ(boxes.Texts(), QStringList{GetMessage(8)});
    EXPECT_FALSE(window->result() == QDialog::Accepted);
}

TEST_F(PrintDialogTest, PrintsToTheChosenFileTypeAndAsksBeforeReplacing)
{
    QTemporaryDir dir;
    f.report->SetPropertyValue(u"AllowPrintToFile", true);
    f.report->SetTextFileName(dir.filePath(QStringLiteral("v1.2/out")));
    QDir(dir.path()).mkdir(QStringLiteral("v1.2"));

    const auto printTo = [&](const QString& description, const QString& fileName, bool pages) {
        return WhenDialog(QStringLiteral("printDialog"), [=](QDialog* dialog) {
            auto* types = Child<QComboBox>(dialog, "fileTypeList");
            Child<QCheckBox>(dialog, "printToFileCheck")->setChecked(true);
            types->setCurrentIndex(types->findText(description));
            auto* name = Child<QLineEdit>(dialog, "fileNameEdit");
            name->setText(fileName);
            emit name->textEdited(fileName);
            if (pages) {
                Child<QRadioButton>(dialog, "pagesRadio")->setChecked(true);
                Child<QLineEdit>(dialog, "pagesEdit")->setText(QStringLiteral("1-2"));
            }
            Child<QPushButton>(dialog, "okButton")->click();
            // Refused: the dialog stays; the test leaves it.
            if (dialog->isVisible())
                Child<QPushButton>(dialog, "cancelButton")->click();
        });
    };

    // The types in the registry's order, without the archive (not allowed).
    {
        TjxPrinter printer;
        TjxPrintDialog dialog;
        dialog.SetPrinter(&printer);
        dialog.SetAllowPrintToFile(true);
        dialog.Initialise();
        auto* types = Child<QComboBox>(dialog.Window(), "fileTypeList");
        QStringList offered;
        for (int i = 0; i < types->count(); ++i)
            offered << types->itemText(i);
        EXPECT_EQ(offered, (QStringList{GetMessage(37), GetMessage(12), GetMessage(msg::PdfFileDescription)}));
    }

    // A name without extension gets the type's; dots in folders do not count.
    const QString pdf = dir.filePath(QStringLiteral("v1.2/out.pdf"));
    QPointer<QTimer> t = printTo(GetMessage(msg::PdfFileDescription), dir.filePath(QStringLiteral("v1.2/out")), false);
    f.report->Print();
    delete t;
    ASSERT_TRUE(QFile::exists(pdf));
    EXPECT_TRUE(Contents(pdf).startsWith("%PDF"));
    EXPECT_TRUE(m_spooler->Documents().isEmpty());

    t = printTo(GetMessage(37), dir.filePath(QStringLiteral("report.")), false);
    f.report->Print();
    delete t;
    const QString txt = dir.filePath(QStringLiteral("report.txt"));
    ASSERT_TRUE(QFile::exists(txt));
    EXPECT_EQ(Contents(txt), QByteArray("1\r\n2\r\n3\r\n4\r\n5\r\n6"));

    // An existing file, with only some pages chosen: No keeps it byte for byte.
    QFile::remove(txt);
    {
        QFile existing(txt);
        ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
        existing.write("keep me");
    }
    {
        ScriptedBoxes boxes;
        boxes.answer = mrNo;
        t = printTo(GetMessage(37), dir.filePath(QStringLiteral("report")), true);
        f.report->Print();
        delete t;
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, MessageText(msg::PrintFileExists, {txt}));
        EXPECT_EQ(boxes.shown[0].buttons, mbYes | mbNo);
        EXPECT_EQ(Contents(txt), QByteArray("keep me"));

        boxes.shown.clear();
        boxes.answer = mrYes;
        t = printTo(GetMessage(37), dir.filePath(QStringLiteral("report")), true);
        f.report->Print();
        delete t;
        EXPECT_EQ(boxes.shown.size(), 1u);
        EXPECT_TRUE(Contents(txt).startsWith("1\r\n2")) << Contents(txt).toStdString();
        EXPECT_FALSE(Contents(txt).contains('3'));

        // No name at all, and a folder, are refused.
        boxes.shown.clear();
        t = printTo(GetMessage(37), QString(), false);
        f.report->Print();
        delete t;
        t = printTo(GetMessage(37), dir.filePath(QStringLiteral("v1.2")) + u'/', false);
        f.report->Print();
        delete t;
        ASSERT_EQ(boxes.shown.size(), 2u);
        EXPECT_EQ(boxes.shown[0].text, GetMessage(33));
    }
}

TEST(PrintDialogNames, ExtensionGoesOnTheFileNameOnly)
{
    EXPECT_EQ(CompleteFileName(QStringLiteral("/a/v1.2/out"), QStringLiteral("txt")), u"/a/v1.2/out.txt");
    EXPECT_EQ(CompleteFileName(QStringLiteral("out."), QStringLiteral("txt")), u"out.txt");
    EXPECT_EQ(CompleteFileName(QStringLiteral("out.csv"), QStringLiteral("txt")), u"out.csv");
    EXPECT_EQ(TjxPrintDialog::QtFilter(QStringLiteral("Text files|*.TXT|All files|*.*")),
              u"Text files (*.TXT *.txt);;All files (*)");
}

TEST_F(PrintDialogTest, ThePreviewsPrintButtonGoesThroughTheDialog)
{
    f.report->SetShowPrintDialog(false);
    f.report->Print();
    const QList<QByteArray> all = LastPages();
    ASSERT_EQ(all.size(), 6);
    f.report->SetShowPrintDialog(true);
    f.report->SetDeviceType(QStringLiteral("Screen"));

    TjxViewer viewer;
    viewer.resize(600, 400);
    viewer.SetReport(f.report);
    viewer.show();
    f.report->Generate();
    viewer.GotoPage(4);
    ASSERT_EQ(viewer.AbsolutePageNo(), 4);
    QPointer<QTimer> answer = WhenDialog(QStringLiteral("printDialog"), [](QDialog* dialog) {
        Child<QRadioButton>(dialog, "currentRadio")->setChecked(true);
        Child<QPushButton>(dialog, "okButton")->click();
    });
    viewer.Print();
    delete answer;
    EXPECT_EQ(LastPages(), QList<QByteArray>{all[3]});
    EXPECT_EQ(f.report->DeviceType(), u"Screen");
}

TEST_F(PrintDialogTest, PrintingFromTheDesignerAlwaysAsks)
{
    f.report->SetShowPrintDialog(false);
    f.report->IncludeDesignState(dsPrintingFromDesigner);
    bool asked = false;
    QPointer<QTimer> answer = WhenDialog(QStringLiteral("printDialog"), [&](QDialog* dialog) {
        asked = true;
        Child<QPushButton>(dialog, "cancelButton")->click();
    });
    f.report->Print();
    delete answer;
    EXPECT_TRUE(asked);
    EXPECT_TRUE(m_spooler->Documents().isEmpty());
    // Outside the designer the report's own choice holds again.
    f.report->ExcludeDesignState(dsPrintingFromDesigner);
    f.report->Print();
    EXPECT_EQ(m_spooler->Documents().size(), 1);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

namespace {
struct NoPrinterRunTest : NoPrinterPlatform {
    ReportFixture f;
    void SetUp() override
    {
        NoPrinterPlatform::SetUp();
        OneRecordAPage(f, 2);
        f.report->SetShowPrintDialog(false);
        f.report->SetShowCancelDialog(false);
    }
};
} // namespace

TEST_F(NoPrinterRunTest, AnUnusablePrinterIsAWarningAndTheRunEnds)
{
    ScriptedBoxes boxes;
    EXPECT_NO_THROW(f.report->Print());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].type, mtWarning);
    EXPECT_EQ(boxes.shown[0].buttons, int(mbOK));
    const QStringList lines = boxes.shown[0].text.split(u'\n');
    EXPECT_EQ(lines.value(0), GetMessage(1020));
    // The reason follows: on this machine there is no printer at all.
    EXPECT_EQ(lines.value(1), GetMessage(8));
    EXPECT_TRUE(m_spooler->Documents().isEmpty());
    EXPECT_FALSE(f.report->Producing());
    // Cleaned up: a second try asks again rather than finding a half-made run.
    f.report->Print();
    EXPECT_EQ(boxes.shown.size(), 2u);
}

TEST_F(PrintDialogTest, TheDesignersPrintCommandAsksWhateverTheReportSays)
{
    QTemporaryDir config;
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    f.report->SetShowPrintDialog(false);
    f.report->SetShowCancelDialog(false);
    auto* designer = new TjxDesigner(&f.host);
    designer->SetReport(f.report);
    std::unique_ptr<TjxCustomDesignerWindow> window(designer->CreateDesignerWindow());
    auto* designerWindow = dynamic_cast<TjxDesignerWindow*>(window.get());
    ASSERT_NE(designerWindow, nullptr);
    bool asked = false;
    QPointer<QTimer> answer = WhenDialog(QStringLiteral("printDialog"), [&](QDialog* dialog) {
        asked = true;
        Child<QRadioButton>(dialog, "currentRadio")->setChecked(true);
        Child<QPushButton>(dialog, "okButton")->click();
    });
    designerWindow->Print();
    delete answer;
    EXPECT_TRUE(asked);
    ASSERT_EQ(m_spooler->Documents().size(), 1);
    EXPECT_EQ(LastPages().size(), 1);
    // The report's own settings are as they were.
    EXPECT_FALSE(f.report->ShowPrintDialog());
    EXPECT_FALSE(f.report->DesignState() & dsPrintingFromDesigner);
    window.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    qputenv("XDG_CONFIG_HOME", oldConfig);
}
