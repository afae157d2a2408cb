// Ravelle's window, driven as a user drives it (offscreen).

#include "app/main_window.h"
#include "app/receipt_form.h"
#include "designer/designer.h"
#include "document/class_registry.h"
#include "document/parameter_list.h"
#include "document/report.h"
#include "document/report_template.h"
#include "document/stream_text.h"
#include "document/stream_writer.h"
#include "engine/memory_pipeline.h"
#include "engine/pipeline_list.h"
#include "platform/file_io.h"
#include "tests/support/test_basics.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <QtEndian>

#include <random>

#include <sys/stat.h>
#include <unistd.h>

using namespace orvane;

namespace {

// "Open" shows the designer until it is closed: these tests close it as soon
// as it shows, as a user who only wanted the file loaded would.
class CloseDesigner : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->inherits("orvane::TjxDesignerWindow"))
            QTimer::singleShot(0, watched, [w = static_cast<QWidget*>(watched)] { w->close(); });
        return false;
    }
};

// One application object for the whole run, gone before the program's statics.
class AppEnvironment : public testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "test_app";
        static char* argv[] = {name, nullptr};
        // The designer's settings go to a folder of this run, never the user's.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
        m_app = std::make_unique<QApplication>(argc, argv);
        m_app->installEventFilter(&m_closer);
    }
    void TearDown() override { m_app.reset(); }

private:
    QTemporaryDir m_config;
    CloseDesigner m_closer;
    std::unique_ptr<QApplication> m_app;
};

testing::Environment* const g_appEnvironment = testing::AddGlobalTestEnvironment(new AppEnvironment);


// Runs a test in its own current directory, as the program resolves .\Ravelle.rtm there.
struct InTempDir {
    QTemporaryDir dir;
    QString previous = QDir::currentPath();
    InTempDir() { QDir::setCurrent(dir.path()); }
    ~InTempDir() { QDir::setCurrent(previous); }
};

QStringList Layout(TjxReport& report)
{
    QStringList lines;
    QByteArray text;
    ObjectBinaryToText(WriteComponentToBytes(&report, report.Owner()), text);
    // The template's file name is where the layout went, not part of it.
    for (const QByteArray& line : text.split('\n'))
        if (!line.startsWith("  Template.FileName"))
            lines << QString::fromLatin1(line);
    return lines;
}


// A binary template as the lines of its text form.
QStringList TextLines(const QByteArray& binary)
{
    QByteArray text;
    ObjectBinaryToText(binary, text);
    return QString::fromLatin1(text).split(u'\n');
}

// The first line where two layouts differ, or nothing.
QString FirstDifference(const QStringList& a, const QStringList& b)
{
    for (qsizetype i = 0; i < std::max(a.size(), b.size()); ++i)
        if (a.value(i) != b.value(i))
            return QStringLiteral("line %1: '%2' vs '%3'").arg(i).arg(a.value(i).trimmed(), b.value(i).trimmed());
    return {};
}

} // namespace

TEST(Ravelle, ShipsTheReceiptLayoutFromItsStoredDescription)
{
    TRavelleWindow window;
    EXPECT_EQ(window.windowTitle(), u"Trust Account Receipt Layout");
    TForm1* form = window.Form();
    EXPECT_EQ(form->TemplateFileName(), u".\\Ravelle.rtm");
    TjxReport* report = form->Receipt();
    ASSERT_NE(report, nullptr);
    EXPECT_FALSE(report->AutoStop());
    EXPECT_EQ(report->PassSetting(), psTwoPass);
    EXPECT_EQ(report->NoDataBehaviors(), (1u << ndMessageOnPage) | (1u << ndBlankReport));
    ASSERT_EQ(report->BandCount(), 2);
    EXPECT_EQ(report->Band(0)->Name(), u"jxHeaderBand14");
    EXPECT_EQ(report->Band(0)->mmHeight(), 266171);
    EXPECT_EQ(report->Band(0)->ChildCount(), 41);
    EXPECT_EQ(report->Band(1)->Name(), u"jxDetailBand17");
    EXPECT_EQ(report->Band(1)->PrintHeight(), phDynamic);
    ASSERT_NE(report->ParameterList(), nullptr);
    EXPECT_EQ(report->ParameterList()->Name(), u"jxParameterList10");
    ASSERT_NE(form->Designer(), nullptr);
    EXPECT_EQ(form->Designer()->Report(), report);

    auto* copy = dynamic_cast<TjxReport*>(form->FindComponent(u"jxReportOriginal"));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Band(0)->ChildCount(), 41);
    EXPECT_EQ(copy->Band(0)->Child(0)->Name(), u"jxLabel1");

    // The copy's labels count when the designer names a new one.
    const TClassInfo* labelClass = FindClass(u"TjxLabel");
    ASSERT_NE(labelClass, nullptr);
    std::unique_ptr<TComponent> label(labelClass->createComponent(nullptr));
    form->InsertComponent(label.get());
    EXPECT_EQ(report->GetValidName(label.get()), u"jxLabel39");
    EXPECT_EQ(report->GetValidUserName(static_cast<TjxCommunicator*>(label.get())), u"Label1");
    form->RemoveComponent(label.get());
}

// The window's form is an open form while the window lives: a report of
// another container finds the form's pipelines, and none once it is gone.
TEST(Ravelle, ItsFormIsOpenToOtherReportsWhileTheWindowLives)
{
    TComponent elsewhere;
    auto* report = new TjxReport(&elsewhere);
    report->SetName(QStringLiteral("rptElsewhere"));
    const auto names = [&] {
        QStringList list;
        TjxDataPipelineList pipelines(report);
        for (int i = 0; i < pipelines.Count(); ++i)
            list << pipelines.Names(i);
        return list;
    };
    {
        TRavelleWindow window;
        auto* pipeline = new TjxMemoryPipeline(window.Form());
        pipeline->SetName(QStringLiteral("plAccounts"));
        pipeline->SetUserName(QStringLiteral("plAccounts"));
        EXPECT_TRUE(names().contains(u"plAccounts"));
    }
    EXPECT_FALSE(names().contains(u"plAccounts"));
}

TEST(Ravelle, SaveThenOpenRestoresTheLayout)
{
    InTempDir cwd;
    TRavelleWindow window;
    TjxReport* report = window.Form()->Receipt();
    const QStringList saved = Layout(*report);

    QTest::mouseClick(window.SaveButton(), Qt::LeftButton);
    const QByteArray file = ReadWholeFile(QStringLiteral("Ravelle.rtm"));
    EXPECT_TRUE(file.startsWith(QByteArray("TPF0\x09TjxReport\x0arptReceipt")));
    EXPECT_TRUE(file.endsWith(QByteArray(1, '\0')));

    report->SetPassSetting(psOnePass);
    report->Band(0)->Child(0)->SetUserName(QStringLiteral("Changed"));
    QTest::mouseClick(window.OpenButton(), Qt::LeftButton);
    EXPECT_EQ(FirstDifference(Layout(*report), saved), QString());

    // A text-form file opens, and the next save writes binary again.
    QByteArray text;
    ObjectBinaryToText(file, text);
    WriteWholeFile(QStringLiteral("Ravelle.rtm"), text);
    window.Open();
    EXPECT_EQ(FirstDifference(Layout(*report), saved), QString());
    window.Save();
    EXPECT_TRUE(ReadWholeFile(QStringLiteral("Ravelle.rtm")).startsWith("TPF0"));
}

TEST(Ravelle, ErrorsAreShownAndTheWindowStaysUsable)
{
    InTempDir cwd;
    TRavelleWindow window;
    TjxReport* report = window.Form()->Receipt();
    const QStringList before = Layout(*report);

    WriteWholeFile(QStringLiteral("Ravelle.rtm"), "hello");
    QString shown;
    QTimer::singleShot(0, [&shown] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w)) {
                shown = box->text();
                box->accept();
            }
    });
    QTest::mouseClick(window.OpenButton(), Qt::LeftButton);
    EXPECT_EQ(shown, u"Invalid Template Format");
    EXPECT_EQ(FirstDifference(Layout(*report), before), QString());

    QFile::setPermissions(QStringLiteral("Ravelle.rtm"), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    shown.clear();
    QTimer::singleShot(0, [&shown] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w)) {
                shown = box->text();
                box->accept();
            }
    });
    QTest::mouseClick(window.SaveButton(), Qt::LeftButton);
    EXPECT_EQ(shown, u"File is read-only.");
    EXPECT_EQ(ReadWholeFile(QStringLiteral("Ravelle.rtm")), "hello");

    // Open with no file: nothing happens, no message.
    QFile::setPermissions(QStringLiteral("Ravelle.rtm"), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QFile::remove(QStringLiteral("Ravelle.rtm"));
    window.Open();
    EXPECT_EQ(FirstDifference(Layout(*report), before), QString());
}

TEST(Ravelle, SavedTemplateCarriesTheShippedSettingsInOrder)
{
    InTempDir cwd;
    TRavelleWindow window;
    window.Save();
    QByteArray text;
    ObjectBinaryToText(ReadWholeFile(QStringLiteral("Ravelle.rtm")), text);
    EXPECT_TRUE(text.startsWith("object rptReceipt: TjxReport\r\n"));
    for (const char* line : {"  AutoStop = False\r\n", "  NoDataBehaviors = [ndMessageOnPage, ndBlankReport]\r\n",
                             "  PassSetting = psTwoPass\r\n", "  PrinterSetup.PaperName = 'A4",
                             "  PrinterSetup.mmPaperHeight = 297127\r\n", "  PrinterSetup.PaperSize = 9\r\n",
                             "  Version = '9.01'\r\n"})
        EXPECT_TRUE(text.contains(line)) << "missing: " << std::string(line);
    const qsizetype header = text.indexOf("  object jxHeaderBand14: TjxHeaderBand");
    const qsizetype detail = text.indexOf("  object jxDetailBand17: TjxDetailBand");
    const qsizetype params = text.indexOf("  object jxParameterList10: TjxParameterList");
    EXPECT_TRUE(header > 0 && header < detail && detail < params);
    // The long caption of the signature line breaks after 64 characters.
    const qsizetype label = text.indexOf("object jxLabel191: TjxLabel");
    const qsizetype caption = text.indexOf("Caption =", label);
    ASSERT_GT(caption, label);
    const QByteArray next = text.mid(caption, text.indexOf("\r\n", text.indexOf("\r\n", caption) + 2) - caption);
    EXPECT_TRUE(next.contains("Caption = \r\n") || next.contains(" +")) << next.constData();
    EXPECT_TRUE(text.contains(QByteArray("'Signed: ") + QByteArray(56, '.') + "' +\r\n"));
}

TEST(Ravelle, StartsHeadless)
{
    InTempDir cwd;
    QProcess ravelle;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    ravelle.setProcessEnvironment(env);
    ravelle.start(QStringLiteral(RAVELLE_BIN), {});
    ASSERT_TRUE(ravelle.waitForStarted(10000));
    // Still running after its window came up: it waits for the user.
    EXPECT_FALSE(ravelle.waitForFinished(1500));
    ravelle.kill();
    ravelle.waitForFinished(5000);
}

namespace {

// Clicks a button and answers the message box the window shows; its text, or nothing.
QString ClickAndReadMessage(QPushButton* button)
{
    QString shown;
    QTimer::singleShot(0, [&shown] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w)) {
                shown = box->text();
                box->accept();
            }
    });
    QTest::mouseClick(button, Qt::LeftButton);
    return shown;
}

// Bytes that do not repeat, so a shifted or partly lost prefix shows.
void FillPattern(QByteArray& piece, std::mt19937& random)
{
    for (qsizetype i = 0; i + 4 <= piece.size(); i += 4)
        qToLittleEndian<quint32>(random(), piece.data() + i);
}

// Writes a file of other data, prefixSize bytes that begin with their own
// length (how a template behind other data is found), then the template.
void WriteWithPrefix(const QString& path, qint64 prefixSize, const QByteArray& templateBytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    std::mt19937 random{unsigned(prefixSize)};
    QByteArray piece(1 << 20, '\0');
    for (qint64 done = 0; done < prefixSize; done += piece.size()) {
        piece.resize(std::min<qint64>(piece.size(), prefixSize - done));
        FillPattern(piece, random);
        if (done == 0)
            qToLittleEndian<qint32>(qint32(prefixSize), piece.data());
        ASSERT_EQ(file.write(piece), piece.size());
    }
    ASSERT_EQ(file.write(templateBytes), templateBytes.size());
}

// Whether the file still begins with the prefix WriteWithPrefix wrote; the
// template that follows is returned.
QByteArray CheckPrefix(const QString& path, qint64 prefixSize)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    std::mt19937 random{unsigned(prefixSize)};
    QByteArray piece(1 << 20, '\0');
    for (qint64 done = 0; done < prefixSize; done += piece.size()) {
        piece.resize(std::min<qint64>(piece.size(), prefixSize - done));
        FillPattern(piece, random);
        if (done == 0)
            qToLittleEndian<qint32>(qint32(prefixSize), piece.data());
        if (file.read(piece.size()) != piece) {
            ADD_FAILURE() << "prefix differs within bytes " << done << " to " << done + piece.size();
            return {};
        }
    }
    return file.readAll();
}

} // namespace

TEST(Ravelle, OpenAndSaveKeepTheDataInFrontOfTheTemplate)
{
    InTempDir cwd;
    QByteArray shipped;
    {
        TRavelleWindow window;
        window.Save();
        shipped = ReadWholeFile(QStringLiteral("Ravelle.rtm"));
    }
    for (const qint64 prefix : {qint64(64), qint64(100) << 20}) {
        SCOPED_TRACE(prefix);
        WriteWithPrefix(QStringLiteral("Ravelle.rtm"), prefix, shipped);
        {
            TRavelleWindow window;
            TjxReport* report = window.Form()->Receipt();
            report->Band(0)->Child(0)->SetUserName(QStringLiteral("Before"));
            QTest::mouseClick(window.OpenButton(), Qt::LeftButton);
            EXPECT_EQ(report->Band(0)->Child(0)->UserName(), u"LabPayrollAgentName");
            EXPECT_EQ(report->Template()->Offset(), prefix);
            // The next save goes where the template was found.
            report->Band(0)->Child(0)->SetUserName(QStringLiteral("Edited"));
            QTest::mouseClick(window.SaveButton(), Qt::LeftButton);
        }
        const QByteArray saved = CheckPrefix(QStringLiteral("Ravelle.rtm"), prefix);
        EXPECT_TRUE(saved.startsWith("TPF0\x09TjxReport\x0arptReceipt"));
        EXPECT_TRUE(saved.endsWith(QByteArray(1, '\0')));

        // A later run finds it there again, with the edit, and keeps the data once more.
        TRavelleWindow window;
        window.Open();
        EXPECT_EQ(window.Form()->Receipt()->Band(0)->Child(0)->UserName(), u"Edited");
        window.Save();
        EXPECT_EQ(CheckPrefix(QStringLiteral("Ravelle.rtm"), prefix), saved);
    }
    QFile::remove(QStringLiteral("Ravelle.rtm"));
}

TEST(Ravelle, AFailedOpenLeavesWhatTheNextSaveWrites)
{
    InTempDir cwd;
    // What a save writes from the window as it starts (its paper known by
    // number until then), and after opening a text-form file.
    QByteArray shipped, opened;
    {
        TRavelleWindow window;
        window.Save();
        shipped = ReadWholeFile(QStringLiteral("Ravelle.rtm"));
    }
    QByteArray text;
    ObjectBinaryToText(shipped, text);
    text.replace("  AutoStop = False\r\n", "");
    {
        WriteWholeFile(QStringLiteral("Ravelle.rtm"), text);
        TRavelleWindow window;
        window.Open();
        window.Save();
        opened = ReadWholeFile(QStringLiteral("Ravelle.rtm"));
        ASSERT_NE(opened, shipped);
    }

    const QByteArray corrupt[] = {"hello", shipped.left(shipped.size() / 2), text.left(text.indexOf("object jxLabel191"))};
    for (const QByteArray& bad : corrupt) {
        SCOPED_TRACE(bad.left(16).toStdString());
        for (const bool openFirst : {false, true}) {
            TRavelleWindow window;
            if (openFirst) {
                WriteWholeFile(QStringLiteral("Ravelle.rtm"), text);
                window.Open();
            }
            WriteWholeFile(QStringLiteral("Ravelle.rtm"), bad);
            EXPECT_FALSE(ClickAndReadMessage(window.OpenButton()).isEmpty());
            window.Save();
            const QByteArray saved = ReadWholeFile(QStringLiteral("Ravelle.rtm"));
            EXPECT_EQ(FirstDifference(TextLines(saved), TextLines(openFirst ? opened : shipped)), QString());
            EXPECT_TRUE(saved == (openFirst ? opened : shipped));
        }
    }
}

TEST(Ravelle, ATemplateNameThatIsNoFileGivesTheReasonAndTheRealPath)
{
    InTempDir cwd;
    TRavelleWindow window;
    const QString path = QFileInfo(cwd.dir.filePath(QStringLiteral("Ravelle.rtm"))).absoluteFilePath();
    const QStringList before = Layout(*window.Form()->Receipt());

    ASSERT_TRUE(QDir(cwd.dir.path()).mkdir(QStringLiteral("Ravelle.rtm")));
    EXPECT_EQ(ClickAndReadMessage(window.OpenButton()), QStringLiteral("Cannot open file \"%1\". Is a directory").arg(path));
    EXPECT_EQ(ClickAndReadMessage(window.SaveButton()), QStringLiteral("Cannot create file \"%1\". Is a directory").arg(path));
    EXPECT_TRUE(QFileInfo(path).isDir());
    ASSERT_TRUE(QDir(cwd.dir.path()).rmdir(QStringLiteral("Ravelle.rtm")));

    // A pipe would block the window for good if it were read.
    ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    EXPECT_EQ(ClickAndReadMessage(window.OpenButton()), QStringLiteral("Cannot open file \"%1\". Not a regular file.").arg(path));
    EXPECT_EQ(ClickAndReadMessage(window.SaveButton()), QStringLiteral("Cannot create file \"%1\". Not a regular file.").arg(path));
    EXPECT_FALSE(QFileInfo(path).isFile());
    QFile::remove(path);
    EXPECT_EQ(FirstDifference(Layout(*window.Form()->Receipt()), before), QString());

    // Permissions hold for everyone but the superuser.
    if (geteuid() != 0) {
        window.Save();
        QFile::setPermissions(path, QFileDevice::WriteOwner);
        EXPECT_EQ(ClickAndReadMessage(window.OpenButton()), QStringLiteral("Cannot open file \"%1\". Permission denied").arg(path));
    }
}
