#include "designer/workspace/ruler.h"

#include "document/graphic_objects.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/printer.h"
#include "platform/canvas.h"

#include <QActionGroup>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

namespace orvane {

namespace {

int Round(double v) { return int(RoundHalfEven(static_cast<long double>(v))); }

constexpr int kFrame = 2;  // sunken single border

} // namespace

TjxRuler::TjxRuler(TjxRulerOrientation orientation, QWidget* parent) : QWidget(parent), m_orientation(orientation)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    m_popup = new QMenu(this);
    BuildPopup();
    UpdateScheme();
}

TjxRuler::~TjxRuler() = default;


void TjxRuler::SetOrientation(TjxRulerOrientation value)
{
    if (value == m_orientation)
        return;
    m_orientation = value;
    UpdateScheme();
}

void TjxRuler::SetUnits(TjxUnitType value)
{
    m_units = value;
    UpdateScheme();
    for (QAction* a : m_popup->actions())
        if (a->isCheckable())
            a->setChecked(a->data().toInt() == int(value));
}

void TjxRuler::BuildPopup()
{
    m_popup->clear();
    auto* group = new QActionGroup(m_popup);
    for (const TjxUnitChoice& item : kUnitChoices) {
        QAction* a = m_popup->addAction(GetMessage(item.message));
        a->setCheckable(true);
        a->setData(int(item.unit));
        a->setChecked(item.unit == m_units);
        group->addAction(a);
        const TjxUnitType unit = item.unit;
        connect(a, &QAction::triggered, this, [this, unit] {
            SetUnits(unit);
            if (OnSetUnits)
                OnSetUnits(unit);
        });
    }
    m_popup->addSeparator();
    QAction* hide = m_popup->addAction(GetMessage(msg::RulerHide));
    connect(hide, &QAction::triggered, this, [this] {
        if (OnHide)
            OnHide();
    });
}

void TjxRuler::UpdateScheme()
{
    const double r = kScreenPixelsPerInch;
    switch (m_units) {
    case utScreenPixels: {
        const int n = std::max(1, Round(r / 10));
        m_tickSpacing = r / n;
        m_ticksPerDivision = n;
        m_valuePerTick = r / n;
        m_halfTicks = true;
        break;
    }
    case utInches:
        m_tickSpacing = r * 0.125;
        m_ticksPerDivision = 8;
        m_valuePerTick = 0.125;
        m_halfTicks = true;
        break;
    case utMillimeters:
        m_tickSpacing = (r / 2.54) * 0.25;
        m_ticksPerDivision = 4;
        m_valuePerTick = 2.5;
        m_halfTicks = false;
        break;
    case utPrinterPixels: {
        m_tickSpacing = r / 10;
        m_ticksPerDivision = 10;
        double printerDpi = r;
        if (OnGetPrinter)
            if (TjxCustomPrinter* printer = OnGetPrinter()) {
                const QPoint ppi = printer->PixelsPerInch();
                printerDpi = m_orientation == roHorizontal ? ppi.x() : ppi.y();
            }
        m_valuePerTick = printerDpi / 10;
        m_halfTicks = true;
        break;
    }
    case utMMThousandths:
        m_tickSpacing = (r / 2.54) / 5;
        m_ticksPerDivision = 5;
        m_valuePerTick = 2000;
        m_halfTicks = false;
        break;
    }
    update();
}

int TjxRuler::TickPosition(int i) const { return Round(i * m_tickSpacing) - m_scrollOffset; }

QString TjxRuler::LabelText(int i) const
{
    const double value = i * m_valuePerTick;
    QString text = value >= 10000 ? QString::number(Round(value / 1000)) + u'k' : QString::number(Round(value));
    return text.left(10);
}

QRect TjxRuler::InnerRect() const { return rect().adjusted(kFrame, kFrame, -kFrame, -kFrame); }

int TjxRuler::GuideLength() const { return Round(kScreenPixelsPerInch * (m_orientation == roHorizontal ? 0.1354 : 0.1458)); }

QRect TjxRuler::GuideRect(int position) const
{
    const QRect inner = InnerRect();
    if (m_orientation == roHorizontal)
        return QRect(position, inner.top(), 1, GuideLength());
    return QRect(inner.left(), position, GuideLength(), 1);
}

void TjxRuler::MoveGuides(int first, int second)
{
    const QRect inner = InnerRect();
    const auto clamp = [&](int p) {
        if (p < 0)
            return -1;
        return m_orientation == roHorizontal ? std::max(p, inner.left()) : std::min(p, inner.bottom());
    };
    const int next[2] = {clamp(first), clamp(second)};
    for (int k = 0; k < 2; ++k) {
        if (next[k] == m_guides[k])
            continue;
        if (m_guides[k] >= 0)
            update(GuideRect(m_guides[k]));
        m_guides[k] = next[k];
        if (m_guides[k] >= 0)
            update(GuideRect(m_guides[k]));
    }
}

void TjxRuler::ScrollBy(int pixels)
{
    m_scrollOffset = std::max(0, m_scrollOffset + pixels);
    update();
}

void TjxRuler::ResetScroll()
{
    m_scrollOffset = 0;
    update();
}

void TjxRuler::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), ToQColor(clBtnFace));
    p.setPen(ToQColor(clBtnShadow));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setPen(ToQColor(clBtnHighlight));
    p.drawLine(rect().bottomLeft(), rect().bottomRight());
    p.drawLine(rect().topRight(), rect().bottomRight());
    const QRect inner = InnerRect();
    p.fillRect(inner, ToQColor(clWindow));

    QFont font(QStringLiteral("Small Fonts"));
    font.setPointSize(6);
    p.setFont(font);
    p.setPen(ToQColor(clBtnText));
    const QFontMetrics fm(font);
    const bool horizontal = m_orientation == roHorizontal;
    const int depth = horizontal ? inner.height() : inner.width();
    const int extent = horizontal ? inner.right() : inner.bottom();
    const int half = std::max(1, m_ticksPerDivision / 2);
    // Ticks scrolled out of view are not walked.
    const int first = m_tickSpacing > 0 ? std::max(0, int(m_scrollOffset / m_tickSpacing) - 1) : 0;
    for (int i = first;; ++i) {
        const int pos = TickPosition(i);
        if (pos > extent)
            break;
        if (pos < 0)
            continue;
        int length;
        const bool labelled = i % m_ticksPerDivision == 0;
        if (labelled)
            length = depth;
        else if (m_halfTicks && i % half == 0)
            length = depth / 2;
        else
            length = depth / 4;
        if (i != 0) {
            if (horizontal)
                p.drawLine(pos, inner.bottom() - length + 1, pos, inner.bottom());
            else
                p.drawLine(inner.right() - length + 1, pos, inner.right(), pos);
        }
        if (!labelled)
            continue;
        const QString label = LabelText(i);
        if (horizontal) {
            p.drawText(pos + 2, inner.bottom() - fm.descent(), label);
        } else {
            int y = pos + 2;
            for (const QChar c : label) {
                const int w = fm.horizontalAdvance(c);
                p.drawText(inner.right() - w - 1, y + fm.ascent(), QString(c));
                y += fm.height() - 2;
            }
        }
    }
    if (OnPaint)
        OnPaint(p);
    p.setCompositionMode(QPainter::RasterOp_NotDestination);
    for (const int g : m_guides)
        if (g >= 0)
            p.fillRect(GuideRect(g), Qt::black);
}

void TjxRuler::contextMenuEvent(QContextMenuEvent* event)
{
    m_popup->popup(event->globalPos());
}

void TjxRuler::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dualGuides) {
        const QPoint pos = event->position().toPoint();
        MoveGuides(m_orientation == roHorizontal ? pos.x() : pos.y());
    }
    QWidget::mouseMoveEvent(event);
}

} // namespace orvane
