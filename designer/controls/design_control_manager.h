#pragma once

#include "document/communicator.h"

#include <QHash>
#include <QPointer>
#include <functional>
#include <vector>

namespace orvane {

class TjxBand;
class TjxBandControl;
class TjxComponent;
class TjxCustomReport;
class TjxDesignControl;
class TjxWorkspace;

// Keeps one band bar per band and one design control per component of the
// current report, and follows the report as bands and components come and go.
class TjxDesignControlManager : public TjxCommunicator {
public:
    explicit TjxDesignControlManager(TjxWorkspace* workspace = nullptr);
    ~TjxDesignControlManager() override;

    TjxWorkspace* Workspace() const { return m_workspace; }
    TjxCustomReport* Report() const { return m_report; }
    // Frees the old report's bars and controls, builds the new one's.
    void SetReport(TjxCustomReport* report);

    TjxDesignControl* DesignControlOf(const TjxComponent* component) const;
    TjxBandControl* BarOf(const TjxBand* band) const;
    const std::vector<TjxDesignControl*>& Controls() const { return m_controls; }
    const std::vector<TjxBandControl*>& Bars() const { return m_bars; }
    // The dotted frames that make components without a visible edge findable.
    bool ShowFrames() const { return m_showFrames; }
    void SetShowFrames(bool value);
    // The band area's top in workspace pixels (0 without a bar).
    int BandAreaTop(const TjxBand* band) const;

    TjxBandControl* CreateBar(TjxBand* band);
    void RemoveBar(TjxBand* band);
    TjxDesignControl* CreateControl(TjxComponent* component);
    void RemoveControl(TjxDesignControl* control);
    // A bar or control whose band or component is going: forgotten now,
    // freed once the event loop is back (it may be in one of its handlers).
    void ControlGone(TjxDesignControl* control);
    void BarGone(TjxBandControl* bar);

    // The surface's part of the bar and control notifications.
    std::function<void(TjxBandControl*)> OnBarCreated;
    std::function<void(TjxBandControl*)> OnBarRemoving;
    std::function<void(TjxDesignControl*)> OnControlCreated;
    std::function<void(TjxDesignControl*)> OnControlRemoving;
    // The attached report is being destroyed (the manager has let go of it).
    std::function<void()> OnReportDestroyed;

    void EventNotify(TjxCommunicator* sender, int eventId, TjxEventParams* params) override;
    void Notify(TjxCommunicator* sender, int operation) override;

private:
    void Detach();
    // Freed once the event loop is back; whatever is left goes with the manager.
    void FreeLater(QObject* object);

    TjxWorkspace* m_workspace;
    TjxCustomReport* m_report = nullptr;
    std::vector<TjxDesignControl*> m_controls;
    QHash<const TjxComponent*, TjxDesignControl*> m_controlOf;
    std::vector<TjxBandControl*> m_bars;
    bool m_showFrames = true;
    std::vector<QPointer<QObject>> m_pending;
};

} // namespace orvane
