// Report templates: files and streams, binary and text, offsets, failures
// that leave the report as it was.

#include "document/errors.h"
#include "document/report.h"
#include "document/report_template.h"
#include "document/stream_text.h"
#include "document/stream_writer.h"
#include "platform/file_io.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using namespace orvane;

namespace {

class THost : public TComponent {
public:
    explicit THost(TComponent* owner = nullptr) : TComponent(owner) {}
};

struct Fixture {
    THost host;
    TjxReport* report;
    QTemporaryDir dir;

    Fixture()
    {
        host.SetName(QStringLiteral("Form1"));
        report = new TjxReport(&host);
        report->SetName(QStringLiteral("rptReceipt"));
        report->EnsureBands();
        report->SetPassSetting(psTwoPass);
        report->FindBand(btHeader)->SetmmHeight(266171);
    }
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
};

QStringList Names(const TjxCustomReport& r)
{
    QStringList names;
    for (TjxBand* b : r.Bands())
        names << b->Name() + u':' + QString::number(b->mmHeight());
    return names;
}

} // namespace

TEST(Template, SavesBinaryAndLoadsItBack)
{
    Fixture f;
    TjxReportTemplate* t = f.report->Template();
    t->SetFileName(f.Path("r.rtm"));
    t->Save();
    const QByteArray bytes = ReadWholeFile(f.Path("r.rtm"));
    EXPECT_TRUE(bytes.startsWith("TPF0\x09TjxReport\x0arptReceipt"));
    EXPECT_TRUE(bytes.endsWith(QByteArray("\0\0\0", 3)));  // record end, children end, template end

    const QStringList saved = Names(*f.report);
    f.report->FindBand(btHeader)->SetmmHeight(1000);
    f.report->SetPassSetting(psOnePass);
    TjxBand* header = f.report->FindBand(btHeader);
    t->LoadFromFile();
    EXPECT_EQ(Names(*f.report), saved);
    EXPECT_EQ(f.report->PassSetting(), psTwoPass);
    EXPECT_EQ(f.report->Name(), u"rptReceipt");
    EXPECT_NE(f.report->FindBand(btHeader), header);  // the content was replaced, the report object kept
    EXPECT_EQ(f.host.FindComponent(u"jxHeaderBand1"), f.report->FindBand(btHeader));
    EXPECT_EQ(t->FileName(), f.Path("r.rtm"));
    EXPECT_FALSE(f.report->DesignState() & dsLoadingTemplate);
}

TEST(Template, TextFormLoadsButFormatStaysBinary)
{
    Fixture f;
    TjxReportTemplate* t = f.report->Template();
    t->SetFormat(ftASCII);
    t->SetFileName(f.Path("r.txt"));
    t->Save();
    const QByteArray text = ReadWholeFile(f.Path("r.txt"));
    EXPECT_TRUE(text.startsWith("object rptReceipt: TjxReport\r\n"));
    EXPECT_TRUE(text.endsWith("end\r\n"));
    t->SetFormat(ftBinary);
    t->LoadFromFile();
    EXPECT_EQ(t->Format(), ftBinary);
    t->Save();
    EXPECT_TRUE(ReadWholeFile(f.Path("r.txt")).startsWith("TPF0"));
}

TEST(Template, BadFilesLeaveTheReportAsItWas)
{
    Fixture f;
    TjxReportTemplate* t = f.report->Template();
    const QStringList before = Names(*f.report);
    WriteWholeFile(f.Path("hello.rtm"), "hello");
    t->SetFileName(f.Path("hello.rtm"));
    try {
        t->LoadFromFile();
        FAIL();
    } catch (const EOrvaneError& e) {
        EXPECT_EQ(e.Message(), u"Invalid Template Format");
    }
    EXPECT_EQ(Names(*f.report), before);
    EXPECT_EQ(f.host.FindComponent(u"jxHeaderBand1"), f.report->FindBand(btHeader));

    t->SetFileName(f.Path("missing.rtm"));
    try {
        t->LoadFromFile();
        FAIL();
    } catch (const EOrvaneError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("File not found: ") + f.Path("missing.rtm"));
    }

    // A template that breaks half-way.
    t->SetFileName(f.Path("good.rtm"));
    t->Save();
    QByteArray broken = ReadWholeFile(f.Path("good.rtm"));
    broken.truncate(broken.size() / 2);
    WriteWholeFile(f.Path("broken.rtm"), broken);
    t->SetFileName(f.Path("broken.rtm"));
    EXPECT_THROW(t->LoadFromFile(), EOrvaneError);
    EXPECT_EQ(Names(*f.report), before);
    EXPECT_EQ(f.host.ComponentCount(), 4);  // report and its three bands, nothing half-read left

    // A good template followed by more than the read limit (a sparse file):
    // refused before it is read into memory.
    QFile::copy(f.Path("good.rtm"), f.Path("runaway.rtm"));
    QFile runaway(f.Path("runaway.rtm"));
    ASSERT_TRUE(runaway.resize(kReadFileLimit + 4096));
    t->SetFileName(f.Path("runaway.rtm"));
    try {
        t->LoadFromFile();
        FAIL();
    } catch (const EOrvaneError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot open file \"%1\". The file is larger than %2 bytes.")
                                   .arg(f.Path("runaway.rtm"))
                                   .arg(kReadFileLimit));
    }
    EXPECT_EQ(Names(*f.report), before);
}

TEST(Template, OffsetsAreFoundAndKeptOnSave)
{
    Fixture f;
    TjxReportTemplate* t = f.report->Template();
    const QByteArray body = t->WriteTemplate();
    QByteArray data(16, 'x');
    qToLittleEndian<qint32>(16, data.data());
    data += body;
    WriteWholeFile(f.Path("offset.rtm"), data);
    f.report->FindBand(btHeader)->SetmmHeight(7);
    t->SetFileName(f.Path("offset.rtm"));
    t->LoadFromFile();
    EXPECT_EQ(f.report->FindBand(btHeader)->mmHeight(), 266171);
    EXPECT_EQ(t->Offset(), 16);

    // Saving where the template was found keeps the bytes before it.
    t->Save();
    const QByteArray saved = ReadWholeFile(f.Path("offset.rtm"));
    EXPECT_EQ(saved.left(16), data.left(16));
    EXPECT_TRUE(saved.mid(16).startsWith("TPF0\x09TjxReport"));
    EXPECT_TRUE(saved.contains(QByteArray("\x0fTemplate.Offset\x02\x10", 18)));

    // Streams: the template behind the current position.
    QByteArray streamBytes("PREFIX");
    QBuffer buffer(&streamBytes);
    buffer.open(QIODevice::ReadWrite);
    buffer.seek(6);
    t->SetOffset(0);
    t->SaveToStream(buffer);
    buffer.seek(6);
    t->LoadFromStream(buffer);
    EXPECT_EQ(streamBytes.left(6), "PREFIX");

    // A failed load keeps the offset it had.
    t->SetOffset(5);
    t->SetFileName(f.Path("hello.rtm"));
    WriteWholeFile(f.Path("hello.rtm"), "hello, world");
    EXPECT_THROW(t->LoadFromFile(), EOrvaneError);
    EXPECT_EQ(t->Offset(), 5);

    // A new file says where its template starts, so a template told nothing finds it.
    t->SetOffset(40);
    t->SetFileName(f.Path("new.rtm"));
    t->Save();
    const QByteArray fresh = ReadWholeFile(f.Path("new.rtm"));
    EXPECT_EQ(fresh.left(40), QByteArray("\x28\0\0\0", 4) + QByteArray(36, '\0'));
    EXPECT_TRUE(fresh.mid(40).startsWith("TPF0"));
    Fixture other;
    other.report->Template()->SetFileName(f.Path("new.rtm"));
    other.report->Template()->LoadFromFile();
    EXPECT_EQ(other.report->Template()->Offset(), 40);
}

namespace {

// A device that cannot seek, as a pipe: what has been read is gone.
class TPipe : public QIODevice {
public:
    explicit TPipe(QByteArray data) : m_data(std::move(data)) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const qint64 n = std::min<qint64>(maxSize, m_data.size() - m_read);
        memcpy(data, m_data.constData() + m_read, size_t(n));
        m_read += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_data;
    qint64 m_read = 0;
};

} // namespace

TEST(Template, StreamsThatCannotSeekLoadFromWhatIsLeft)
{
    Fixture f;
    TjxReportTemplate* t = f.report->Template();
    const QByteArray body = t->WriteTemplate();
    QByteArray data(8, 'x');
    qToLittleEndian<qint32>(8, data.data());
    f.report->FindBand(btHeader)->SetmmHeight(7);
    TPipe behind(data + body);
    t->LoadFromStream(behind);
    EXPECT_EQ(f.report->FindBand(btHeader)->mmHeight(), 266171);
    EXPECT_EQ(t->Offset(), 8);

    TPipe broken(data + body.left(body.size() / 2));
    EXPECT_THROW(t->LoadFromStream(broken), EOrvaneError);
    EXPECT_EQ(f.report->FindBand(btHeader)->mmHeight(), 266171);
    EXPECT_EQ(t->Offset(), 8);
}

TEST(Template, ReadOnlyFilesAreRefusedAndUntouched)
{
    Fixture f;
    TjxReportTemplate* t = f.report->Template();
    t->SetFileName(f.Path("ro.rtm"));
    WriteWholeFile(f.Path("ro.rtm"), "keep me");
    QFile::setPermissions(f.Path("ro.rtm"), QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    EXPECT_TRUE(t->ReadOnly());
    try {
        t->Save();
        FAIL();
    } catch (const EOrvaneError& e) {
        EXPECT_EQ(e.Message(), u"File is read-only.");
    }
    EXPECT_EQ(ReadWholeFile(f.Path("ro.rtm")), "keep me");
    EXPECT_FALSE(f.report->DesignState() & dsSavingTemplate);
}

TEST(Template, NewStartsAnEmptyLayout)
{
    Fixture f;
    f.report->Parameters();
    f.report->Template()->SetFileName(QStringLiteral("x.rtm"));
    f.report->Template()->New();
    EXPECT_EQ(f.report->BandCount(), 3);
    EXPECT_EQ(f.report->ParameterList(), nullptr);
    EXPECT_TRUE(f.report->Template()->FileName().isEmpty());
    EXPECT_EQ(f.report->FindBand(btHeader)->mmHeight(), 13229);
}

TEST(Template, MutatedTemplatesLoadOrFailWithoutHalfReplacingTheReport)
{
    Fixture f;
    const QByteArray seed = f.report->Template()->WriteTemplate();
    const QStringList original = Names(*f.report);
    std::mt19937 rng(7);
    for (int i = 0; i < 3000; ++i) {
        QByteArray data = seed;
        for (int e = 0; e < 3 && data.size() > 5; ++e) {
            const int at = 4 + int(rng() % uint32_t(data.size() - 4));
            if (rng() % 3 == 0)
                data.truncate(at);
            else
                data[at] = char(rng());
        }
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        const QStringList before = Names(*f.report);
        try {
            f.report->Template()->LoadFromStream(buffer);
        } catch (const EOrvaneError& e) {
            EXPECT_FALSE(e.Message().isEmpty());
            EXPECT_EQ(Names(*f.report), before) << i;
        }
        EXPECT_FALSE(f.report->DesignState() & dsLoadingTemplate);
        // Whatever loaded, the owner holds exactly the report's tree.
        int owned = 1 + f.report->BandCount() + f.report->GroupCount();
        for (TjxBand* b : f.report->Bands())
            owned += b->ChildCount();
        if (f.report->ParameterList())
            owned += 1;  // its parameters belong to the list
        EXPECT_EQ(f.host.ComponentCount(), owned) << i;
    }
}
