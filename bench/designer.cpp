// The designer: the receipt opened in the designer window (window made,
// shown, every part drawn); the Design tab: the receipt attached to a design
// surface and drawn, a report of 2,000 components attached and drawn, and a full repaint
// of the receipt's workspace (median of 50).
//   scripts/bench, or build/bench/bench_designer
// Figures only; nothing is asserted.

#include "app/receipt_form.h"
#include "bench/bench_support.h"
#include "components/label.h"
#include "designer/designer.h"
#include "designer/window/designer_window.h"
#include "designer/workspace/design_surface.h"
#include "designer/workspace/workspace.h"
#include "document/report.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace orvane;

namespace {

// Attaches the report and paints the whole workspace once; milliseconds.
double AttachAndDraw(TjxDesignSurface& surface, TjxReport* report)
{
    QElapsedTimer timer;
    timer.start();
    surface.SetCurrentReport(report);
    QCoreApplication::processEvents();
    QImage image(surface.Workspace()->size(), QImage::Format_RGB32);
    surface.Workspace()->render(&image);
    return timer.nsecsElapsed() / 1e6;
}

double RepaintMedian(TjxDesignSurface& surface, int rounds)
{
    std::vector<double> times;
    QImage image(surface.Workspace()->size(), QImage::Format_RGB32);
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        surface.Workspace()->render(&image);
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

TjxReport* ManyComponents(TComponent* host, int count)
{
    auto* report = new TjxReport(host);
    report->SetName(QStringLiteral("rptMany"));
    report->CreateDefaultBands();
    report->CreateBand(btTitle);
    report->CreateBand(btSummary);
    const std::vector<TjxBand*> bands = report->Bands();
    for (TjxBand* band : bands)
        band->SetmmHeight(250000);
    for (int i = 0; i < count; ++i) {
        auto* label = new TjxLabel(host);
        label->SetName(QStringLiteral("jxLabel%1").arg(i + 1));
        label->SetCaption(QStringLiteral("Label %1").arg(i + 1));
        label->SetBand(bands[size_t(i) % bands.size()]);
        const int slot = i / int(bands.size());
        label->SetBounds(5000 + (slot % 6) * 31000, 2000 + (slot / 6) * 3500, 3200, 30000);
    }
    return report;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + ORVANE_OFFSCREEN_CONFIG);
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    // The window reads and writes its settings in a folder of its own.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    {
        TForm1 receipt;
        receipt.ReadDescription();
        QElapsedTimer timer;
        timer.start();
        QWidget* window = dynamic_cast<TjxDesignerWindow*>(receipt.Designer()->CreateDesignerWindow());
        window->show();
        QCoreApplication::processEvents();
        QImage image(window->size(), QImage::Format_RGB32);
        window->render(&image);
        std::printf("receipt opened in the designer window (made, shown, drawn): %.1f ms\n",
                    timer.nsecsElapsed() / 1e6);
        std::vector<double> times;
        for (int i = 0; i < 20; ++i) {
            QElapsedTimer round;
            round.start();
            window->render(&image);
            times.push_back(round.nsecsElapsed() / 1e6);
        }
        std::sort(times.begin(), times.end());
        std::printf("designer window repaint (median of 20): %.2f ms\n", times[times.size() / 2]);
    }

    TForm1 form;
    form.ReadDescription();
    {
        TjxDesignSurface surface;
        surface.resize(1000, 740);
        surface.show();
        const double receipt = AttachAndDraw(surface, form.Receipt());
        std::printf("receipt attached and drawn: %.1f ms\n", receipt);
        std::printf("receipt workspace repaint (median of 50): %.2f ms\n", RepaintMedian(surface, 50));
        surface.SetCurrentReport(nullptr);
    }
    {
        bench::THost host;
        TjxReport* many = ManyComponents(&host, 2000);
        TjxDesignSurface surface;
        surface.resize(1000, 740);
        surface.show();
        const double attach = AttachAndDraw(surface, many);
        std::printf("2,000 components attached and drawn: %.1f ms\n", attach);
        std::printf("2,000-component workspace repaint (median of 10): %.2f ms\n", RepaintMedian(surface, 10));
        surface.SetCurrentReport(nullptr);
    }
    std::printf("peak memory: %ld MB\n", bench::PeakMemoryMb());
    return 0;
}
