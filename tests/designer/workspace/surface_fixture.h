#pragma once

// A design surface on the offscreen screen showing a report, with the undo
// manager's hooks as the report's designer and the surface answering the
// designer notifications, as the designer window wires them.

#include "../../support/saved_receipt.h"
#include "../../support/widget_environment.h"

#include "app/main_window.h"
#include "designer/controls/design_control.h"
#include "designer/controls/design_control_manager.h"
#include "designer/undo/undo_hooks.h"
#include "designer/workspace/band_control.h"
#include "designer/workspace/design_surface.h"
#include "designer/workspace/ruler.h"
#include "designer/workspace/workspace.h"
#include "document/form.h"
#include "document/report.h"
#include "document/report_template.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

namespace orvane::test {

class TSurfaceHost : public TComponent {
public:
    TSurfaceHost() : TComponent(nullptr) {}
    void GetChildren(const TGetChildProc& proc, TComponent*) const override
    {
        for (int i = 0; i < ComponentCount(); ++i)
            if (!Components(i)->HasParent())
                proc(Components(i));
    }
};

// Thousandths of a millimetre to screen pixels at 96 per inch, as written
// down for the screen: round(th / 1000 x 0.03937 x 96), the inch factor held
// as a single-precision float.
inline int Px(int64_t th) { return int(std::nearbyint(double(th) / 1000.0 * double(0.03937f) * 96.0)); }

struct TSurfaceRig {
    TSurfaceHost host;
    TjxUndoManager undo;
    TjxUndoDesignerHooks hooks{&undo};
    TjxDesignSurface surface;
    TjxReport* report = nullptr;
    TjxMessageBoxHandler previousBoxes;

    TSurfaceRig()
    {
        previousBoxes = SetMessageBoxHandler(&RecordMessageBox);
        ClearRecordedMessageBoxes();
        hooks.OnNotify = [this](int message, int, TjxCommunicator* object) {
            surface.HandleNotification(message, object);
        };
        surface.SetUndoManager(&undo);
        surface.resize(1000, 740);
    }
    ~TSurfaceRig()
    {
        surface.SetCurrentReport(nullptr);
        if (report)
            report->SetComponentDesigner(nullptr);
        SetMessageBoxHandler(previousBoxes);
    }
    void Attach(TjxReport* r)
    {
        report = r;
        r->SetComponentDesigner(&hooks);
        hooks.SetCurrentReport(r);
        undo.SetEnabled(true);
        surface.SetCurrentReport(r);
        surface.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&surface));
        Settle();
    }
    // Deferred layouts and deletions run.
    static void Settle()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    TjxDesignControlManager* Manager() const { return surface.ControlManager(); }
    TjxBandControl* Bar(TjxBand* band) const { return Manager()->BarOf(band); }
};

// The receipt as Ravelle saves it, read back into a report of the host.
struct TReceiptRig : TSurfaceRig {
    QTemporaryDir dir;
    QString file;

    TReceiptRig()
    {
        file = SaveRavelleReceipt(dir.path());
        auto* r = new TjxReport(&host);
        r->SetName(QStringLiteral("rptReceipt"));
        r->Template()->SetFileName(file);
        r->Template()->LoadFromFile();
        Attach(r);
    }
};

} // namespace orvane::test
