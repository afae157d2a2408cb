#include "preview/status_bar.h"

#include <QResizeEvent>
#include <algorithm>

namespace orvane {

namespace {

constexpr int kBarHeight = 19;

QLabel* MakePanel(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setIndent(2);
    return label;
}

} // namespace

TjxStatusBar::TjxStatusBar(QWidget* parent) : QWidget(parent), m_simple(MakePanel(this))
{
    setFixedHeight(kBarHeight);
    m_simple->hide();
}

int TjxStatusBar::AddPanel(int width)
{
    QLabel* label = MakePanel(this);
    label->setObjectName(QStringLiteral("panel%1").arg(m_panels.size()));
    m_panels.push_back(label);
    m_widths.push_back(std::max(0, width));
    label->setVisible(!m_simplePanel);
    Arrange();
    return int(m_panels.size()) - 1;
}

QString TjxStatusBar::PanelText(int index) const
{
    return index >= 0 && index < PanelCount() ? m_panels[size_t(index)]->text() : QString();
}

void TjxStatusBar::SetPanelText(int index, const QString& text)
{
    if (index >= 0 && index < PanelCount())
        m_panels[size_t(index)]->setText(text);
}

int TjxStatusBar::PanelWidth(int index) const
{
    return index >= 0 && index < PanelCount() ? m_panels[size_t(index)]->width() : 0;
}

void TjxStatusBar::SetPanelWidth(int index, int width)
{
    if (index < 0 || index >= PanelCount())
        return;
    m_widths[size_t(index)] = std::max(0, width);
    Arrange();
}

void TjxStatusBar::SetSimplePanel(bool value)
{
    m_simplePanel = value;
    m_simple->setVisible(value);
    for (QLabel* label : m_panels)
        label->setVisible(!value);
    Arrange();
}

void TjxStatusBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Arrange();
}

void TjxStatusBar::Arrange()
{
    m_simple->setGeometry(0, 0, width(), height());
    int x = 0;
    for (size_t i = 0; i < m_panels.size(); ++i) {
        const bool last = i + 1 == m_panels.size();
        const int w = last ? std::max(m_widths[i], width() - x) : m_widths[i];
        m_panels[i]->setGeometry(x, 0, w, height());
        x += w;
    }
}

} // namespace orvane
