#pragma once

// Builds small reports in code and runs them through the engine, keeping a
// copy of every page it hands on. Their data are tables of an SQLite file of
// the fixture's own, read through database pipelines.

#include "../support/gui_environment.h"

#include "components/db_text.h"
#include "components/label.h"
#include "document/group.h"
#include "document/page_def.h"
#include "document/printer_setup.h"
#include "document/report.h"
#include "document/stream_writer.h"
#include "engine/engine.h"
#include "engine/db_pipeline.h"
#include "engine/memory_pipeline.h"
#include "output/draw_text.h"
#include "output/page.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>
#include <memory>
#include <vector>

namespace orvane::test {

class TReportHost : public TComponent {
public:
    explicit TReportHost(TComponent* owner = nullptr) : TComponent(owner) {}
};

struct ReportFixture {
    // Before the host: the file outlives the pipelines reading it.
    QTemporaryDir sqlDir;
    TReportHost host;
    TjxReport* report = nullptr;
    TjxDataPipeline* data = nullptr;
    std::vector<std::unique_ptr<TjxPage>> pages;

    // An A4 report (margins 13500 top and bottom) with only the bands asked for.
    ReportFixture()
    {
        report = new TjxReport(&host);
        report->SetName(QStringLiteral("rptTest"));
        TjxPageDef* def = report->PrinterSetup()->PageDef();
        def->SetmmWidth(210000);
        def->SetmmHeight(297000);
        def->SetmmMarginTop(13500);
        def->SetmmMarginBottom(13500);
        def->SetmmMarginLeft(6350);
        def->SetmmMarginRight(6350);
        report->SetEnableProcessMessages(false);
        // Layout tests count and compare the bands' commands; outline tests switch it on.
        report->OutlineSettings()->SetEnabled(false);
        report->Engine()->OnAfterSendPage = [this](TjxPage& page) {
            auto copy = std::make_unique<TjxPage>();
            copy->Assign(&page);
            pages.push_back(std::move(copy));
        };
    }

    // A table of the fixture's SQLite file with the given columns ("id
    // INTEGER") and rows, and a pipeline on it named `pipelineName`.
    TjxDBPipeline* AddTable(const QString& pipelineName, const QString& table, const QStringList& columns,
                            const std::vector<QVariantList>& rows)
    {
        const QString file = sqlDir.filePath(QStringLiteral("data.sqlite"));
        static int serial = 0;
        const QString connection = QStringLiteral("fixture.%1").arg(++serial);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
            db.setDatabaseName(file);
            EXPECT_TRUE(db.open()) << db.lastError().text().toStdString();
            QSqlQuery q(db);
            EXPECT_TRUE(q.exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(table, columns.join(u", "))))
                << q.lastError().text().toStdString();
            db.transaction();
            QStringList marks;
            for (qsizetype i = 0; i < columns.size(); ++i)
                marks << QStringLiteral("?");
            q.prepare(QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(table, marks.join(u", ")));
            for (const QVariantList& row : rows) {
                for (const QVariant& value : row)
                    q.addBindValue(value);
                EXPECT_TRUE(q.exec()) << q.lastError().text().toStdString();
            }
            db.commit();
        }
        QSqlDatabase::removeDatabase(connection);
        auto* pipeline = new TjxDBPipeline(&host);
        pipeline->SetName(pipelineName);
        pipeline->SetDatabaseName(file);
        pipeline->SetTableName(table);
        return pipeline;
    }

    // A pipeline "plData" with fields id (1..n), name ("Name 1"...) and grp
    // (0 for the first four records, 1 for the next four, ...).
    TjxDataPipeline* AddData(int records, bool master = true)
    {
        std::vector<QVariantList> rows;
        for (int i = 1; i <= records; ++i)
            rows.push_back({i, QStringLiteral("Name %1").arg(i), (i - 1) / 4});
        data = AddTable(QStringLiteral("plData"), QStringLiteral("data"),
                        {QStringLiteral("id INTEGER"), QStringLiteral("name TEXT"), QStringLiteral("grp INTEGER")}, rows);
        if (master)
            report->SetDataPipeline(data);
        return data;
    }

    TjxBand* AddBand(TjxBandType type, int height, TjxPrintHeightType printHeight = phStatic)
    {
        TjxBand* band = report->CreateBand(type);
        band->SetmmHeight(height);
        band->SetPrintHeight(printHeight);
        return band;
    }

    TjxDBText* AddField(TjxBand* band, const char* field, int left = 0, int top = 0)
    {
        auto* text = new TjxDBText(&host);
        text->SetName(report->GetValidName(text));
        text->SetParentComponent(band);
        text->SetDataPipeline(data);
        text->SetDataField(QString::fromLatin1(field));
        text->SetBounds(left, top, 5000, 30000);
        return text;
    }

    TjxLabel* AddLabel(TjxBand* band, const QString& caption, int left = 0, int top = 0)
    {
        auto* label = new TjxLabel(&host);
        label->SetName(report->GetValidName(label));
        label->SetParentComponent(band);
        label->SetCaption(caption);
        label->SetBounds(left, top, 5000, 30000);
        return label;
    }

    TjxGroup* AddGroup(const char* breakName)
    {
        auto* group = new TjxGroup(&host);
        group->SetName(report->GetValidName(group));
        group->SetReport(report);
        group->SetBreakName(QString::fromLatin1(breakName));
        return group;
    }

    void Run(TjxPageSettingType setting = psAll, int page = 1)
    {
        TjxPageRequest request;
        request.SetPageSetting(setting);
        request.SetPageRequested(page);
        report->Engine()->Generate(request);
    }

    // The texts of a page's text commands from top to bottom.
    static QStringList Texts(const TjxPage& page)
    {
        QStringList texts;
        for (int i = 0; i < page.DrawCommandCount(); ++i)
            if (auto* text = dynamic_cast<TjxDrawText*>(page.DrawCommand(i)))
                texts << text->Text();
        return texts;
    }

    std::vector<const TjxPage*> FinalPages() const
    {
        std::vector<const TjxPage*> result;
        for (const auto& page : pages)
            if (page->Final())
                result.push_back(page.get());
        return result;
    }
};

} // namespace orvane::test
