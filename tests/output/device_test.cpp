// The device registry and the states a device goes through.

#include "document/class_registry.h"
#include "document/errors.h"
#include "document/producer.h"
#include "output/archive_device.h"
#include "output/device_registry.h"
#include "output/null_device.h"
#include "output/page.h"
#include "output/pdf_device.h"
#include "output/publisher.h"

#include <QBuffer>
#include <QDir>
#include <gtest/gtest.h>

using namespace orvane;

namespace {

class TjxTestDevice : public TjxDevice {
    ORVANE_CLASS(TjxTestDevice, TjxDevice)
public:
    using TjxDevice::TjxDevice;
    static QString ClassDeviceName() { return QStringLiteral("Test"); }
    QString DeviceName() const override { return ClassDeviceName(); }
};

const TClassInfo& TjxTestDevice::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxTestDevice>("TjxTestDevice", &TjxDevice::StaticClass()).Creatable().Build();
    return info;
}

} // namespace

TEST(DeviceRegistry, ListsTheDevicesByExactName)
{
    const QStringList names = DeviceNames();
    ASSERT_GE(names.size(), 6);
    EXPECT_EQ(names.mid(0, 6), QStringList({"Printer", "TextFile", "ReportTextFile", "ArchiveFile", "PDFFile", "Null"}));
    EXPECT_FALSE(DeviceClassByName(u"Printer")->isFileDevice);
    EXPECT_EQ(DeviceClassByName(u"archivefile"), nullptr);

    const TjxDeviceClass* archive = DeviceClassByName(u"ArchiveFile");
    ASSERT_TRUE(archive);
    EXPECT_TRUE(archive->isFileDevice);
    EXPECT_EQ(archive->defaultExt, u"raf");
    EXPECT_EQ(archive->filter, u"Archive files|*.RAF|All files|*.*");
    EXPECT_EQ(archive->Description(), u"Archive File");
    EXPECT_TRUE(archive->InheritsFrom(TjxFileDevice::StaticClass()));
    const TjxDeviceClass* pdf = DeviceClassByName(u"PDFFile");
    ASSERT_TRUE(pdf);
    EXPECT_EQ(pdf->defaultExt, u"pdf");
    EXPECT_EQ(pdf->filter, u"PDF files|*.PDF|All files|*.*");
    EXPECT_EQ(pdf->Description(), u"PDF File");
    EXPECT_FALSE(pdf->InheritsFrom(TjxArchiveDevice::StaticClass()));
    const TjxDeviceClass* null = DeviceClassByName(u"Null");
    ASSERT_TRUE(null);
    EXPECT_FALSE(null->isFileDevice);

    std::unique_ptr<TjxDevice> device(CreateDevice(QStringLiteral("PDFFile")));
    EXPECT_TRUE(dynamic_cast<TjxPDFDevice*>(device.get()));
    EXPECT_EQ(device->DeviceName(), u"PDFFile");
    try {
        CreateDevice(QStringLiteral("Plotter"));
        ADD_FAILURE() << "no error";
    } catch (const EOrvaneError& e) {
        EXPECT_EQ(e.Message(), u"No output device is named \"Plotter\".");
    }

    // Another library's device joins at the end, once, and leaves both registries.
    TjxProducer producer;
    producer.SetDeviceType(QStringLiteral("Test"));
    EXPECT_EQ(producer.DeviceType(), u"Screen");
    RegisterDeviceClass(DeviceClassOf<TjxTestDevice>());
    RegisterDeviceClass(DeviceClassOf<TjxTestDevice>());
    EXPECT_EQ(DeviceNames().count(QStringLiteral("Test")), 1);
    EXPECT_EQ(DeviceNames().last(), u"Test");
    EXPECT_TRUE(FindClass(u"TjxTestDevice"));
    producer.SetDeviceType(QStringLiteral("Test"));
    EXPECT_EQ(producer.DeviceType(), u"Test");
    UnregisterDeviceClass(TjxTestDevice::StaticClass());
    EXPECT_EQ(DeviceClassByName(u"Test"), nullptr);
    EXPECT_FALSE(FindClass(u"TjxTestDevice"));

    // Registered names and the standard devices of other libraries are accepted.
    for (const char* name : {"PDFFile", "Screen", "Printer", "ArchiveFile"}) {
        producer.SetDeviceType(QString::fromLatin1(name));
        EXPECT_EQ(producer.DeviceType(), QString::fromLatin1(name));
    }
    producer.SetDeviceType(QStringLiteral("Plotter"));
    EXPECT_EQ(producer.DeviceType(), u"ArchiveFile");
}

TEST(Device, ReceivedPagesAreRequestedNoticesOrTheLast)
{
    TjxNullDevice device;
    device.PageRequest()->SetPageSetting(psLastPage);
    int events = 0;
    TjxCommunicator listener;
    listener.AddEventInterest(ciDevicePageReceived);
    listener.OnEventNotify = [&](TjxCommunicator*, int, TjxEventParams* params) {
        ++events;
        EXPECT_TRUE(params && params->Value(u"Page").value<TPersistent*>());
    };
    device.AddEventNotify(&listener);
    device.StartJob();

    TjxPage page;
    page.SetAbsolutePageNo(1);
    page.SetFinal(true);
    device.ReceivePage(&page);
    EXPECT_FALSE(device.PageIsRequested());
    EXPECT_FALSE(device.PageIsNotice());

    // A last page from the calculating pass only reports progress.
    page.SetLastPage(true);
    page.SetCalculation(true);
    device.ReceivePage(&page);
    EXPECT_TRUE(device.PageIsRequested());
    EXPECT_TRUE(device.PageIsNotice());
    EXPECT_TRUE(device.AwaitingPages());
    page.SetCalculation(false);
    page.SetFinal(false);
    device.ReceivePage(&page);
    EXPECT_TRUE(device.PageIsNotice());
    EXPECT_TRUE(device.AwaitingPages());
    EXPECT_EQ(device.PagesReceived(), 0);

    page.SetFinal(true);
    device.ReceivePage(&page);
    EXPECT_FALSE(device.PageIsNotice());
    EXPECT_FALSE(device.AwaitingPages());
    EXPECT_EQ(device.PagesReceived(), 1);
    EXPECT_EQ(events, 4);
    device.EndJob();
    EXPECT_TRUE(device.AwaitingPages());
}

TEST(Device, PublisherLinkSurvivesEitherSideGoingAway)
{
    TjxNullDevice device;
    int changes = 0;
    device.PublisherChangedHandler = [&](TjxDevice*) { ++changes; };
    {
        TjxPublisher publisher;
        device.SetPublisher(&publisher);
        EXPECT_EQ(changes, 1);
        // Stack settings do not change under a publisher.
        device.SetInStack(true);
        device.SetStackKey(QStringLiteral("x"));
        EXPECT_FALSE(device.InStack());
        EXPECT_TRUE(device.StackKey().isEmpty());
    }
    EXPECT_EQ(device.Publisher(), nullptr);
    EXPECT_EQ(changes, 2);

    TjxPublisher publisher;
    {
        TjxNullDevice gone;
        gone.SetPublisher(&publisher);
        device.SetPublisher(&publisher);
        EXPECT_EQ(publisher.DeviceCount(), 2);
    }
    ASSERT_EQ(publisher.DeviceCount(), 1);
    EXPECT_EQ(publisher.DeviceAt(0), &device);
}

TEST(FileDevice, StatusTextsAndFileName)
{
    TjxArchiveDevice device;
    EXPECT_TRUE(device.CreatesFile());
    const QString name = QDir::temp().filePath(QStringLiteral("orvane-status-test.raf"));
    device.SetFileName(name);
    std::vector<QString> shown;
    device.StatusTextHandler = [&](TjxDevice*, const QString& text) { shown.push_back(text); };
    device.StartJob();
    device.SetFileName(QStringLiteral("other.raf"));  // not while a job runs
    EXPECT_EQ(device.FileName(), name);

    TjxPage page;
    page.SetAbsolutePageNo(2);
    page.SetAbsolutePageCount(3);
    page.SetDocumentName(QStringLiteral("Receipts"));
    page.SetFinal(true);
    device.ReceivePage(&page);
    page.SetPassSetting(psTwoPass);
    device.ReceivePage(&page);
    device.Cancel();
    EXPECT_EQ(shown, std::vector<QString>({"Accessing data...",
                                           "Printing page 2 for report Receipts on the " + name,
                                           "Printing page 2 of 3 for report Receipts on the " + name}));
    EXPECT_FALSE(QFile::exists(name));
}

TEST(StreamDevice, ShortWritesRaiseWriteErrors)
{
    TjxStreamDevice device;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    device.SetOutput(&buffer);
    device.WriteBuffer("", 0);
    try {
        device.WriteBuffer("abc", 3);
        ADD_FAILURE() << "no error";
    } catch (const EWriteError& e) {
        EXPECT_EQ(e.Message(), u"Stream write error");
    }
    // A caller's stream is written as it is and not closed by the device.
    buffer.close();
    buffer.open(QIODevice::WriteOnly);
    device.StartJob();
    device.WriteBuffer("abc", 3);
    device.EndJob();
    EXPECT_EQ(bytes, QByteArray("abc"));
    EXPECT_TRUE(buffer.isOpen());
    EXPECT_EQ(device.Output(), nullptr);
}
