#pragma once

#include "components/custom_text.h"

namespace orvane {

// A fixed caption.
class TjxLabel : public TjxCustomText {
    ORVANE_CLASS(TjxLabel, TjxCustomText)
public:
    explicit TjxLabel(TComponent* owner = nullptr);

    QString DesignEditProperty() const override { return QStringLiteral("Caption"); }
    // A caption that still shows the old user name follows a new one.
    void SetUserName(const QString& value) override;
};

} // namespace orvane
