#include "designer/workspace/band_control.h"

#include "components/component.h"
#include "designer/controls/design_control.h"
#include "designer/controls/design_control_manager.h"
#include "designer/workspace/bounds_rect.h"
#include "designer/workspace/ruler.h"
#include "designer/workspace/workspace.h"
#include "document/custom_report.h"
#include "document/form.h"
#include "document/graphic_objects.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/page_def.h"
#include "document/printer_setup.h"
#include "platform/canvas.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>

namespace orvane {

class TjxBandControl::TListener : public TjxCommunicator {
public:
    explicit TListener(TjxBandControl* bar) : TjxCommunicator(nullptr), m_bar(bar)
    {
        for (const int id : {ciBandComponentAdded, ciBandComponentRemoved, ciBandHeightChanging, ciBandHeightChanged,
                             ciBandDesignValueFirst, ciBandDesignValueSecond, ciBandLayoutChanged, ciBandNameChanged})
            AddEventInterest(id);
    }
    void EventNotify(TjxCommunicator*, int eventId, TjxEventParams* params) override { m_bar->BandEvent(eventId, params); }
    void Notify(TjxCommunicator* sender, int operation) override
    {
        TjxCommunicator::Notify(sender, operation);
        if (operation == ntDestroying && sender == m_bar->m_band)
            m_bar->BandGone();
    }

private:
    TjxBandControl* m_bar;
};

TjxBandControl::TjxBandControl(TjxDesignControlManager* manager, QWidget* parent)
    : QWidget(parent), m_manager(manager), m_listener(std::make_unique<TListener>(this))
{
    setFixedHeight(kBandBarHeight);
    setCursor(Qt::SizeVerCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
    QFont font(QStringLiteral("MS SANS SERIF"));
    font.setPointSize(8);
    setFont(font);
}

TjxBandControl::~TjxBandControl()
{
    if (m_band) {
        m_band->RemoveEventNotify(m_listener.get());
        m_band->RemoveNotify(m_listener.get());
    }
    delete m_ruler.data();
}


void TjxBandControl::SetBand(TjxBand* band)
{
    if (m_band) {
        m_band->RemoveEventNotify(m_listener.get());
        m_band->RemoveNotify(m_listener.get());
        m_band->ExcludeDesignState(dsDesigning);
    }
    m_band = band;
    if (!band)
        return;
    band->AddNotify(m_listener.get());
    band->AddEventNotify(m_listener.get());
    setObjectName(band->Name());
    UpdateCaption();
    if (!m_ruler) {
        m_ruler = new TjxRuler(roVertical);
        m_ruler->OnGetPrinter = [this]() -> TjxCustomPrinter* {
            return m_band && m_band->Report() ? m_band->Report()->PrinterSetup()->GetPrinter() : nullptr;
        };
    }
    if (band->Report())
        m_ruler->SetUnits(band->Report()->Units());
    SetAreaTop(0);
    UpdateWidth();
    show();
}

int TjxBandControl::BandHeightPixels() const { return m_band ? ThousandthsToPixels(m_band->mmHeight(), kScreenPixelsPerInch) : 0; }

void TjxBandControl::SetAreaTop(int top)
{
    m_barTop = top + BandHeightPixels();
    move(0, m_barTop);
    if (m_ruler)
        m_ruler->setGeometry(m_ruler->x(), top, m_ruler->width(), BandHeightPixels());
    if (!m_band)
        return;
    for (int i = 0; i < m_band->ComponentCount(); ++i)
        if (auto* c = dynamic_cast<TjxComponent*>(m_band->Components(i)))
            if (TjxDesignControl* control = m_manager->DesignControlOf(c))
                control->SetTop(c->spTop() + top);
    for (TjxDesignControl* control : m_manager->Controls())
        if (control->GetComponent() && control->GetComponent()->Band() == m_band &&
            control->GetComponent()->Region())
            control->UpdateBounds();
}

void TjxBandControl::UpdateWidth()
{
    if (!m_band || !m_band->Report())
        return;
    TjxCustomReport* report = m_band->Report();
    const TjxBandType type = m_band->BandType();
    const bool perColumn = report->Columns() > 1 &&
                           (type == btColumnHeader || type == btGroupHeader || type == btDetail ||
                            type == btGroupFooter || type == btColumnFooter);
    const int width = perColumn ? ThousandthsToPixels(report->mmColumnWidth(), kScreenPixelsPerInch)
                                : ThousandthsToPixels(report->PrintableWidth(), kScreenPixelsPerInch) + 1;
    setFixedWidth(std::max(1, width));
}

void TjxBandControl::UpdateCaption()
{
    if (m_band)
        setToolTip(QString());
    update();
}

void TjxBandControl::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), ToQColor(clBtnFace));
    p.setPen(ToQColor(clBtnText));
    const QString caption = QStringLiteral("  ^  ") + (m_band ? m_band->Caption() : QString());
    p.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, caption);
}

int TjxBandControl::WorkspaceY(const QPoint& local) const { return mapToParent(local).y(); }

int TjxBandControl::DragLowerBound() const
{
    int bound = -1;
    for (TjxDesignControl* control : m_manager->Controls())
        if (control->GetComponent() && control->GetComponent()->Band() == m_band)
            bound = std::max(bound, control->Geometry().top() + control->Geometry().height());
    if (bound >= 0)
        return bound;
    const std::vector<TjxBandControl*>& bars = m_manager->Bars();
    TjxBandControl* previous = nullptr;
    for (TjxBandControl* bar : bars)
        if (bar != this && bar->BarTop() < m_barTop && (!previous || bar->BarTop() > previous->BarTop()))
            previous = bar;
    return previous ? previous->BarTop() + kBandBarHeight : 0;
}

void TjxBandControl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_band)
        return;
    if (OnDragStart)
        OnDragStart(m_band);
    if (m_dragZone) {
        m_dragZone->SetZone(x(), y(), height(), width());
        m_dragZone->Show();
    }
    m_dragStart = event->position().toPoint();
    m_grabOffset = m_dragStart.y();
    m_newTop = m_barTop;
    m_dragging = true;
    m_moved = false;
}

void TjxBandControl::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging)
        return;
    const QPoint pos = event->position().toPoint();
    const int threshold = QApplication::startDragDistance();
    if (!m_moved && std::abs(pos.x() - m_dragStart.x()) < threshold && std::abs(pos.y() - m_dragStart.y()) < threshold)
        return;
    m_moved = true;
    m_newTop = std::max(WorkspaceY(pos) - m_grabOffset, DragLowerBound());
    if (m_dragZone)
        m_dragZone->SetTop(m_newTop);
    if (m_ruler)
        m_ruler->MoveGuides(m_newTop - AreaTop());
}

void TjxBandControl::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_dragging || event->button() != Qt::LeftButton)
        return;
    m_dragging = false;
    if (m_dragZone)
        m_dragZone->Hide();
    if (m_ruler)
        m_ruler->EraseGuides();
    if (m_moved && m_band) {
        const int pixels = m_newTop - AreaTop();
        int height = UnitsToThousandths(float(pixels), utScreenPixels, axVertical);
        // A bar dropped on the lowest component's bottom pixel keeps the
        // component where it is: the pixel's thousandths may end above it.
        int lowest = 0;
        for (int i = 0; i < m_band->ComponentCount(); ++i)
            if (auto* c = dynamic_cast<TjxComponent*>(m_band->Components(i)))
                lowest = std::max(lowest, c->mmTop() + c->mmHeight());
        if (height < lowest && ThousandthsToPixels(lowest, kScreenPixelsPerInch) <= pixels)
            height = lowest;
        // Refused heights leave everything as it was; errors never leave the slot.
        try {
            m_band->SetmmHeight(height);
        } catch (const std::exception& error) {
            ShowErrorMessage(error);
        }
    }
    if (OnDragEnd)
        OnDragEnd();
}

void TjxBandControl::contextMenuEvent(QContextMenuEvent* event)
{
    if (OnPopup)
        OnPopup(event->globalPos());
}

void TjxBandControl::BandEvent(int eventId, TjxEventParams* params)
{
    switch (eventId) {
    case ciBandHeightChanging:
        HeightChanging(params);
        break;
    case ciBandHeightChanged:
        HeightChanged(params);
        break;
    case ciBandDesignValueFirst:
        if (params)
            params->SetValue(u"Value", AreaTop());
        break;
    case ciBandDesignValueSecond:
        if (params)
            SetAreaTop(params->Value(u"Value").toInt());
        break;
    case ciBandLayoutChanged:
        UpdateWidth();
        break;
    case ciBandNameChanged:
        if (m_band)
            setObjectName(m_band->Name());
        UpdateCaption();
        break;
    case ciBandComponentAdded:
    case ciBandComponentRemoved:
        ReorderControls(eventId == ciBandComponentAdded);
        break;
    default:
        break;
    }
}

void TjxBandControl::HeightChanging(TjxEventParams* params)
{
    if (!params || !m_band)
        return;
    const int newHeight = params->Value(u"NewHeight").toInt();
    TjxCustomReport* report = m_band->Report();
    if (newHeight <= 0 && m_band->ComponentCount() > 0 && report) {
        ShowMessageBox(GetMessage(msg::BandZeroHeightComponents), mtWarning, mbOK);
        params->SetValue(u"IsValid", false);
        return;
    }
    if (!report || newHeight == m_band->mmHeight() || m_band->PrintHeight() == phDynamic)
        return;
    const int printable = report->PrinterSetup()->PageDef()->PrintableHeight();
    if (printable > 0 && newHeight > printable) {
        ShowMessageBox(GetMessage(msg::BandTallerThanPage), mtWarning, mbOK);
        params->SetValue(u"IsValid", false);
    }
}

void TjxBandControl::HeightChanged(TjxEventParams* params)
{
    if (!m_band)
        return;
    const int oldPixels = ThousandthsToPixels(params ? params->Value(u"OldHeight").toInt() : m_band->mmHeight(), kScreenPixelsPerInch);
    const int areaTop = m_barTop - oldPixels;
    m_barTop = areaTop + BandHeightPixels();
    move(0, m_barTop);
    if (m_ruler)
        m_ruler->setGeometry(m_ruler->x(), areaTop, m_ruler->width(), BandHeightPixels());
    // Components that no longer fit move up, to the top when taller than the band.
    const int bandHeight = m_band->mmHeight();
    for (int i = 0; i < m_band->ComponentCount(); ++i) {
        auto* c = dynamic_cast<TjxComponent*>(m_band->Components(i));
        if (!c || bandHeight >= c->mmTop() + c->mmHeight())
            continue;
        c->SetmmTop(bandHeight < c->mmHeight() ? 0 : bandHeight - c->mmHeight());
    }
    m_band->NotifyDesigner(dnBandHeightChanged, kDesignerNotifyCode, m_band);
}

void TjxBandControl::ReorderControls(bool toFront)
{
    if (!m_band || !m_manager->Workspace())
        return;
    // The band's drawing order decides: its last component in front, its first at the back.
    const int n = m_band->ComponentCount();
    if (n == 0)
        return;
    auto* c = dynamic_cast<TjxComponent*>(m_band->Components(toFront ? n - 1 : 0));
    if (TjxDesignControl* control = c ? m_manager->DesignControlOf(c) : nullptr) {
        if (toFront)
            m_manager->Workspace()->BringToFront(control);
        else
            m_manager->Workspace()->SendToBack(control);
    }
}

void TjxBandControl::BandGone()
{
    m_band = nullptr;
    m_manager->BarGone(this);
}

} // namespace orvane
