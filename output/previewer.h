#pragma once

// The preview window as the producer sees it. The window is a class of the
// user-interface library registered in the dialog registry under
// "TjxCustomPreviewer"; the producer applies the report's preview settings
// through these operations.

#include "document/form.h"
#include "document/report_settings.h"

namespace orvane {

class TjxCustomPreviewer : public TjxForm {
    ORVANE_CLASS(TjxCustomPreviewer, TjxForm)
public:
    using TjxForm::TjxForm;

    // The viewer control of the window (a component of the user-interface library).
    virtual TComponent* Viewer() const { return nullptr; }
    virtual void SetZoomSetting(TjxZoomSettingType) {}
    // Also switches the zoom setting to zsPercentage.
    virtual void SetZoomPercentage(int) {}
};

} // namespace orvane
