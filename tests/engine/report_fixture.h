#pragma once

// Builds small reports in code and runs them through the engine, keeping a
// copy of every page it hands on.

#include "../support/gui_environment.h"

#include "components/db_text.h"
#include "components/label.h"
#include "document/group.h"
#include "document/page_def.h"
#include "document/printer_setup.h"
#include "document/report.h"
#include "document/stream_writer.h"
#include "engine/engine.h"
#include "engine/memory_pipeline.h"
#include "output/draw_text.h"
#include "output/page.h"

#include <memory>
#include <vector>

namespace orvane::test {

class TReportHost : public TComponent {
public:
    explicit TReportHost(TComponent* owner = nullptr) : TComponent(owner) {}
};

struct ReportFixture {
    TReportHost host;
    TjxReport* report = nullptr;
    TjxMemoryPipeline* data = nullptr;
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
        report->Engine()->OnAfterSendPage = [this](TjxPage& page) {
            auto copy = std::make_unique<TjxPage>();
            copy->Assign(&page);
            pages.push_back(std::move(copy));
        };
    }

    // A pipeline "plData" with fields id (1..n) and name ("Name 1"...).
    TjxMemoryPipeline* AddData(int records, bool master = true)
    {
        data = new TjxMemoryPipeline(&host);
        data->SetName(QStringLiteral("plData"));
        data->AddField(QStringLiteral("id"), dtInteger);
        data->AddField(QStringLiteral("name"), dtString);
        data->AddField(QStringLiteral("grp"), dtInteger);
        for (int i = 1; i <= records; ++i)
            data->AddRow({TVarValue::Integer(i), TVarValue::WideString(QStringLiteral("Name %1").arg(i)),
                          TVarValue::Integer((i - 1) / 4)});
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
