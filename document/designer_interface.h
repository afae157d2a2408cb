#pragma once

#include <QString>

namespace orvane {

class TjxCommunicator;

// Numbered designer notifications; sent as NotifyDesigner(number, kDesignerNotifyCode, object).
inline constexpr int kDesignerNotifyCode = 5050;
enum TjxDesignerNotification : int {
    dnNameChanged = 1124, dnBandHeightChanged, dnReportDestroyed, dnPageLayoutChanged, dnComponentDestroyed,
    dnUnitsChanged, dnEditGroups, dnPropertyChanged, dnDataPipelineChanged, dnSelectReport, dnLanguageChanged,
    dnGetDisplayFormats, dnDesignControlCreated, dnBandControlCreated, dnBandCreated, dnBandRemoved,
    dnBandDestroyed, dnPrinting, dnReportAttached, dnReportDetached, dnBoundsLocksChanged, dnSubreportChanged,
    dnTemplateLoadStart, dnTemplateLoadEnd, dnReportUpdateStart, dnReportUpdateEnd,
    dnChildAdded = 1151, dnChildRemoved, dnChildChanged, dnTemplateNewStart, dnTemplateNewEnd, dnTemplateSaveStart,
};

// What report objects tell the designer that edits them.
class TjxDesignerInterface {
public:
    virtual ~TjxDesignerInterface() = default;
    virtual void NotifyDesignerModified(TjxCommunicator* sender) = 0;
    // Sent before a setter changes a value, with the operation (property) name.
    virtual void NotifyDesignerPropertyChange(TjxCommunicator* sender, const QString& propertyName) = 0;
    virtual void NotifyDesigner(int message, int code, TjxCommunicator* object) = 0;
};

// The design-time companion of a report object (its design control).
class TjxComponentDesigner {
public:
    virtual ~TjxComponentDesigner() = default;
    virtual TjxDesignerInterface* DesignerInterface() const = 0;
};

} // namespace orvane
