#pragma once

#include <QString>

namespace orvane {

class TjxCommunicator;

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
