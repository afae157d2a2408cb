#pragma once

// A status bar of fixed-width text panels (the last one takes the rest), or
// one simple panel across the bar.

#include <QLabel>
#include <QWidget>
#include <vector>

namespace orvane {

class TjxStatusBar : public QWidget {
    Q_OBJECT
public:
    explicit TjxStatusBar(QWidget* parent = nullptr);

    int PanelCount() const { return int(m_panels.size()); }
    // Adds a panel of `width` pixels (the last panel stretches); returns its index.
    int AddPanel(int width);
    QLabel* Panel(int index) const { return m_panels.at(size_t(index)); }
    QString PanelText(int index) const;
    void SetPanelText(int index, const QString& text);
    int PanelWidth(int index) const;
    // The width a panel is given (the last one still takes what is left).
    void SetPanelWidth(int index, int width);

    bool SimplePanel() const { return m_simplePanel; }
    void SetSimplePanel(bool value);
    QString SimpleText() const { return m_simple->text(); }
    void SetSimpleText(const QString& text) { m_simple->setText(text); }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Arrange();

    std::vector<QLabel*> m_panels;
    std::vector<int> m_widths;
    QLabel* m_simple;
    bool m_simplePanel = false;
};

} // namespace orvane
