#pragma once

// Reports for the preview tests: a list report over an SQLite table of its
// own, and the receipt as Ravelle saves it; both also as template files for
// orvane-cli and orvane-preview.

#include "../support/saved_receipt.h"
#include "../support/widget_environment.h"
#include "../support/widget_helpers.h"

#include "app/main_window.h"
#include "components/db_text.h"
#include "components/label.h"
#include "components/system_variable.h"
#include "document/page_def.h"
#include "document/printer_setup.h"
#include "document/report.h"
#include "document/report_template.h"
#include "engine/db_pipeline.h"
#include "engine/engine.h"
#include "output/draw_text.h"
#include "output/page.h"
#include "preview/print_preview.h"

#include <QDir>
#include <QScrollArea>
#include <QScrollBar>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

namespace orvane::test {

class THost : public TComponent {
public:
    THost() : TComponent(nullptr) {}
};

inline void SetA4(TjxReport* report, bool landscape = false)
{
    TjxPageDef* def = report->PrinterSetup()->PageDef();
    def->SetmmWidth(landscape ? 297127 : 210079);
    def->SetmmHeight(landscape ? 210079 : 297127);
}

// orders(id, name, placed, amount) with `records` rows.
inline void MakeOrders(const QString& file, int records)
{
    const QString connection = QStringLiteral("preview.fixture.orders");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(file);
        db.open();
        QSqlQuery q(db);
        q.exec(QStringLiteral("CREATE TABLE orders (id INTEGER, name VARCHAR(30), placed VARCHAR(10), amount REAL)"));
        db.transaction();
        q.prepare(QStringLiteral("INSERT INTO orders VALUES (?, ?, ?, ?)"));
        for (int i = 1; i <= records; ++i) {
            q.addBindValue(i);
            q.addBindValue(QStringLiteral("Customer %1").arg(i));
            q.addBindValue(QStringLiteral("2026-%1-%2").arg(1 + i % 12, 2, 10, QChar(u'0')).arg(1 + i % 28, 2, 10,
                                                                                               QChar(u'0')));
            q.addBindValue(i * 1.25);
            q.exec();
        }
        db.commit();
    }
    QSqlDatabase::removeDatabase(connection);
}

// A list report: a title in the page header, four fields a detail line and
// "Page n of m" in the page footer (two passes, for the page count).
struct ListReport {
    QTemporaryDir dir;
    THost host;
    TjxReport* report = nullptr;
    TjxDBPipeline* pipeline = nullptr;

    explicit ListReport(int records, bool twoPass = true)
    {
        MakeOrders(DataFile(), records);
        report = new TjxReport(&host);
        report->SetName(QStringLiteral("rptList"));
        report->SetPassSetting(twoPass ? psTwoPass : psOnePass);
        SetA4(report);
        pipeline = new TjxDBPipeline(&host);
        pipeline->SetName(QStringLiteral("plOrders"));
        pipeline->SetDatabaseName(DataFile());
        pipeline->SetTableName(QStringLiteral("orders"));
        report->SetDataPipeline(pipeline);

        TjxBand* header = report->CreateBand(btHeader);
        header->SetmmHeight(12000);
        auto* title = new TjxLabel(&host);
        title->SetName(QStringLiteral("lblTitle"));
        title->SetParentComponent(header);
        title->SetCaption(QStringLiteral("Orders"));
        title->SetBounds(6350, 2000, 6000, 60000);
        // Faces the screen substitutes ("MS Sans Serif", the default) would
        // not print as they show.
        title->Font()->SetName(QStringLiteral("Arial"));
        title->Font()->SetSize(12);

        TjxBand* detail = report->CreateBand(btDetail);
        detail->SetmmHeight(8000);
        const char* fields[] = {"id", "name", "placed", "amount"};
        for (int i = 0; i < 4; ++i) {
            auto* text = new TjxDBText(&host);
            text->SetName(QStringLiteral("txt%1").arg(i));
            text->SetParentComponent(detail);
            text->SetDataPipeline(pipeline);
            text->SetDataField(QString::fromLatin1(fields[i]));
            text->SetBounds(6350 + i * 45000, 1000, 4500, 44000);
            text->Font()->SetName(QStringLiteral("Arial"));
            text->Font()->SetSize(10);
            if (i == 3)
                text->SetDisplayFormat(QStringLiteral("#,0.00"));
        }

        TjxBand* footer = report->CreateBand(btFooter);
        footer->SetmmHeight(8000);
        auto* pageNo = new TjxSystemVariable(&host);
        pageNo->SetName(QStringLiteral("varPage"));
        pageNo->SetParentComponent(footer);
        pageNo->SetVarType(twoPass ? vtPageSetDesc : vtPageNoDesc);
        pageNo->SetBounds(150000, 1000, 5000, 40000);
        pageNo->Font()->SetName(QStringLiteral("Arial"));
        pageNo->Font()->SetSize(10);
    }

    QString DataFile() const { return dir.filePath(QStringLiteral("orders.sqlite")); }

    // The report as a template file (its pipeline by name, for --db).
    QString SaveTemplate()
    {
        const QString file = dir.filePath(QStringLiteral("list.rtm"));
        report->Template()->SetFileName(file);
        report->Template()->SaveToFile();
        return file;
    }
};

// The receipt as Ravelle saves it, read back into a report of its own.
struct Receipt {
    QTemporaryDir dir;
    QString file;
    THost host;
    TjxReport* report = nullptr;

    Receipt()
    {
        file = SaveRavelleReceipt(dir.path());
        report = new TjxReport(&host);
        report->Template()->SetFileName(file);
        report->Template()->LoadFromFile();
    }
};

// The numbered events a communicator sends, in order.
class TEventLog : public TjxCommunicator {
public:
    explicit TEventLog(TjxCommunicator* source, std::initializer_list<int> ids = {}) : TjxCommunicator(nullptr)
    {
        for (int id = 0; id < 256; ++id)
            if (ids.size() == 0 || std::find(ids.begin(), ids.end(), id) != ids.end())
                AddEventInterest(id);
        source->AddEventNotify(this);
    }
    void EventNotify(TjxCommunicator* sender, int id, TjxEventParams* params) override
    {
        TjxCommunicator::EventNotify(sender, id, params);
        ids.push_back(id);
    }
    int Count(int id) const { return int(std::count(ids.begin(), ids.end(), id)); }
    int IndexOf(int id) const { return int(std::find(ids.begin(), ids.end(), id) - ids.begin()); }

    std::vector<int> ids;
};

// The preview window a report shows its pages in.
inline TjxPrintPreview* Form(TjxProducer* report) { return dynamic_cast<TjxPrintPreview*>(report->PreviewForm()); }

// The texts of a page's text commands in page order.
inline QStringList PageTexts(const TjxPage& page)
{
    QStringList texts;
    for (int i = 0; i < page.DrawCommandCount(); ++i)
        if (auto* text = dynamic_cast<TjxDrawText*>(page.DrawCommand(i)))
            texts << text->Text();
    return texts;
}

} // namespace orvane::test
