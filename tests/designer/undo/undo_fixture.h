#pragma once

// Widget tests share this program: the application must be a QApplication.
#include "../../support/widget_environment.h"

#include "components/component.h"
#include "designer/edit_commands.h"
#include "document/custom_report.h"
#include "document/report.h"
#include "document/report_template.h"

namespace orvane::test {

// A window-like owner that streams the components it owns without a parent.
class TUndoHost : public TComponent {
public:
    explicit TUndoHost(TComponent* owner = nullptr) : TComponent(owner) {}
    void GetChildren(const TGetChildProc& proc, TComponent*) const override
    {
        for (int i = 0; i < ComponentCount(); ++i)
            if (!Components(i)->HasParent())
                proc(Components(i));
    }
};

// The undo manager, its hooks attached as the report's designer, and the edit commands.
struct TUndoRig {
    TjxUndoManager manager;
    TjxUndoDesignerHooks hooks{&manager};
    TjxEditCommands edit{&hooks};
    TjxCustomReport* report = nullptr;

    void Attach(TjxCustomReport* r)
    {
        report = r;
        r->SetComponentDesigner(&hooks);
        hooks.SetCurrentReport(r);
        manager.SetEnabled(true);
    }
    void Detach()
    {
        if (report)
            report->SetComponentDesigner(nullptr);
        report = nullptr;
    }
    ~TUndoRig() { Detach(); }

    QByteArray Bytes() const { return report->Template()->WriteTemplate(); }
};

// A report built in code: header, detail and footer bands.
struct TUndoReport {
    TUndoHost host;
    TjxReport* report = nullptr;
    TUndoRig rig;

    TUndoReport()
    {
        host.SetName(QStringLiteral("Form1"));
        report = new TjxReport(&host);
        report->SetName(QStringLiteral("rptUndo"));
        report->CreateDefaultBands();
        rig.Attach(report);
    }
    ~TUndoReport() { rig.Detach(); }

    TjxBand* Band(TjxBandType type) const { return report->FindBand(type); }
    template <class C>
    C* Add(TjxBand* band, int left = 0, int top = 0)
    {
        TjxUndoDisabledGuard off(&rig.manager);
        auto* c = new C(&host);
        c->SetName(report->GetValidName(c));
        c->SetBand(band);
        c->SetBounds(left, top, 5000, 20000);
        return c;
    }
};

} // namespace orvane::test
