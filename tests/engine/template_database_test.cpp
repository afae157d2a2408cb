// Templates kept in database records, and reports that find their pipelines
// by the names read from a stream.

#include "document/errors.h"
#include "document/messages.h"
#include "document/report.h"
#include "document/report_template.h"
#include "engine/db_pipeline.h"

#include <QBuffer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvane;

namespace {

class THost : public TComponent {
public:
    explicit THost(TComponent* owner = nullptr) : TComponent(owner) {}
};

struct Fixture {
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("templates.sqlite"));
    THost host;
    TjxReport* report;
    TjxDBPipeline* table;

    Fixture()
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("tmpl.setup"));
            db.setDatabaseName(file);
            db.open();
            QSqlQuery q(db);
            q.exec(QStringLiteral("CREATE TABLE layouts (name VARCHAR(40) PRIMARY KEY, body BLOB, n INTEGER)"));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("tmpl.setup"));
        host.SetName(QStringLiteral("Form1"));
        report = new TjxReport(&host);
        report->SetName(QStringLiteral("rptReceipt"));
        report->EnsureBands();
        report->FindBand(btHeader)->SetmmHeight(12345);
        table = new TjxDBPipeline(&host);
        table->SetName(QStringLiteral("plLayouts"));
        table->SetDatabaseName(file);
        table->SetTableName(QStringLiteral("layouts"));
        TjxReportTemplate* t = report->Template();
        t->SetSaveTo(stDatabase);
        t->DatabaseSettings()->SetDataPipeline(table);
        t->DatabaseSettings()->SetNameField(QStringLiteral("name"));
        t->DatabaseSettings()->SetTemplateField(QStringLiteral("body"));
        t->DatabaseSettings()->SetName(QStringLiteral("Receipt"));
    }
};

} // namespace

TEST(TemplateDatabase, SavesAndLoadsARecordLikeAFile)
{
    Fixture f;
    TjxReportTemplate* t = f.report->Template();
    t->Save();
    const QByteArray saved = t->WriteTemplate();

    // Saving again replaces the record rather than adding one.
    f.report->FindBand(btHeader)->SetmmHeight(22222);
    t->Save();
    f.report->FindBand(btHeader)->SetmmHeight(12345);
    t->Save();
    f.table->Close();
    f.table->Open();
    EXPECT_EQ(f.table->RowCount(), 1);

    f.report->FindBand(btHeader)->SetmmHeight(1);
    t->Load();
    EXPECT_EQ(f.report->FindBand(btHeader)->mmHeight(), 12345);
    EXPECT_EQ(t->WriteTemplate(), saved);
    EXPECT_EQ(t->SaveTo(), stDatabase);

    // The same bytes as a file holds.
    QByteArray streamed;
    QBuffer buffer(&streamed);
    buffer.open(QIODevice::WriteOnly);
    t->SaveToStream(buffer);
    EXPECT_EQ(streamed, saved);

    // Text form in a record loads too.
    t->SetFormat(ftASCII);
    t->Save();
    t->SetFormat(ftBinary);
    f.report->FindBand(btHeader)->SetmmHeight(1);
    t->Load();
    EXPECT_EQ(f.report->FindBand(btHeader)->mmHeight(), 12345);
}

TEST(TemplateDatabase, FailuresCarryTheirMessages)
{
    Fixture f;
    TjxReportTemplate* t = f.report->Template();
    t->DatabaseSettings()->SetName(QStringLiteral("Missing"));
    try {
        t->Load();
        FAIL();
    } catch (const ETemplateLoadError& e) {
        EXPECT_EQ(e.Message(), GetMessage(45) + QStringLiteral(" Missing"));
    }
    EXPECT_EQ(f.report->FindBand(btHeader)->mmHeight(), 12345);

    // A field that cannot hold a template.
    t->DatabaseSettings()->SetTemplateField(QStringLiteral("n"));
    EXPECT_THROW(t->Save(), ETemplateSaveError);
    try {
        t->Load();
        FAIL();
    } catch (const ETemplateLoadError& e) {
        EXPECT_EQ(e.Message(), GetMessage(53));
    }
    // Incomplete settings raise instead of saving nothing.
    t->DatabaseSettings()->SetTemplateField(QString());
    EXPECT_THROW(t->Save(), ETemplateSaveError);

    // An SQL error comes through with the database's own text.
    t->DatabaseSettings()->SetTemplateField(QStringLiteral("body"));
    f.table->SetTableName(QStringLiteral("nowhere"));
    try {
        t->Save();
        FAIL();
    } catch (const EDataError& e) {
        EXPECT_TRUE(e.Message().contains(u"nowhere")) << e.Message().toStdString();
    }

    // The record is written through a connection of its own, which never
    // makes a database file that has gone while the pipeline read it.
    f.table->SetTableName(QStringLiteral("layouts"));
    if (!f.table->Active())
        f.table->Open();
    ASSERT_TRUE(QFile::remove(f.file));
    try {
        t->Save();
        FAIL() << "saving into a removed database file must fail";
    } catch (const EDataError& e) {
        EXPECT_TRUE(e.Message().startsWith(u"Cannot open database")) << e.Message().toStdString();
    }
    EXPECT_FALSE(QFile::exists(f.file));
}

TEST(TemplateDatabase, LoadedReportFindsItsPipelineByName)
{
    Fixture f;
    f.report->SetDataPipeline(f.table);
    QByteArray data = f.report->Template()->WriteTemplate();
    f.report->SetDataPipeline(nullptr);
    ASSERT_EQ(f.report->DataPipeline(), nullptr);
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    f.report->Template()->LoadFromStream(buffer);
    EXPECT_EQ(f.report->DataPipeline(), f.table);
}

TEST(TemplateDatabase, PostgreSqlWhenAServerIsReachable)
{
    // ORVANE_TEST_PGSQL="host port database user password"
    const QStringList parts = qEnvironmentVariable("ORVANE_TEST_PGSQL").split(u' ', Qt::SkipEmptyParts);
    if (parts.size() < 3)
        GTEST_SKIP() << "ORVANE_TEST_PGSQL is not set";
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
        GTEST_SKIP() << "the QPSQL driver is not installed";
    THost host;
    auto* p = new TjxDBPipeline(&host);
    p->SetDriverName(QStringLiteral("QPSQL"));
    p->SetHostName(parts[0]);
    p->SetPort(parts[1].toInt());
    p->SetDatabaseName(parts[2]);
    p->SetLogin(parts.value(3), parts.value(4));
    p->SetSQL(QStringLiteral("SELECT n, CAST(n AS TEXT) AS t, DATE '2024-03-01' AS d FROM generate_series(1, :top) AS n"));
    p->SetParam(QStringLiteral("top"), 4);
    p->Open();
    EXPECT_EQ(p->GetFieldDataType(QStringLiteral("d")), dtDate);
    p->First();
    int count = 0;
    while (!p->Eof()) {
        ++count;
        p->Next();
    }
    EXPECT_EQ(count, 4);
}
