#pragma once

// Multi-line text that may stretch across pages.

#include "components/stretchable.h"
#include "document/strings.h"

namespace orvane {

class TjxCustomMemo : public TjxStretchable {
    ORVANE_CLASS(TjxCustomMemo, TjxStretchable)
public:
    explicit TjxCustomMemo(TComponent* owner = nullptr);
    ~TjxCustomMemo() override;

    bool CharWrap() const { return m_charWrap; }
    virtual void SetCharWrap(bool value);
    // Added to every line's height, in thousandths of a millimetre.
    int mmLeading() const { return m_mmLeading; }
    virtual void SetmmLeading(int value);
    double Leading() const { return ToUnits(m_mmLeading, axVertical); }
    void SetLeading(double value) { SetmmLeading(FromUnits(value, axVertical)); }
    TStrings* Lines() const { return m_lines.get(); }
    virtual void SetLines(TStrings* value);
    // Tab stops are kept in thousandths of a millimetre and shown in Units;
    // streams see the stored values.
    TStrings* TabStopPositions() const;
    virtual void SetTabStopPositions(TStrings* value);
    TStrings* StoredTabStopPositions() const { return m_tabStopPositions.get(); }

    bool CanFullJustify() const override { return true; }
    void ConvertVersion(int version) override;

private:
    void LinesChanged();

    bool m_charWrap = false;
    int m_mmLeading = 0;
    std::unique_ptr<TStrings> m_lines;
    std::unique_ptr<TStrings> m_tabStopPositions;
    std::unique_ptr<TStrings> m_tabStopsInUnits;
};

class TjxMemo : public TjxCustomMemo {
    ORVANE_CLASS(TjxMemo, TjxCustomMemo)
public:
    explicit TjxMemo(TComponent* owner = nullptr);

    QString DesignEditProperty() const override { return QStringLiteral("Caption"); }
};

} // namespace orvane
