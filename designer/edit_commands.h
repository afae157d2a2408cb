#pragma once

#include "designer/undo/undo_hooks.h"

#include <QByteArray>
#include <QPoint>
#include <QVariant>
#include <functional>
#include <vector>

namespace orvane {

class TClassInfo;
class TComponent;
class TjxBand;
class TjxComponent;
class TjxCustomReport;

// Align kinds: edges and centres against the first selected component,
// centring in the band, and the two spacing kinds.
enum TjxAlignKind : int {
    akLefts, akHorizontalCentres, akRights, akTops, akVerticalCentres, akBottoms,
    akSpaceHorizontally, akSpaceVertically, akCentreInBandHorizontally, akCentreInBandVertically
};
enum TjxSizeKind : int { skSmallestWidth, skLargestWidth, skSmallestHeight, skLargestHeight };
enum TjxNudgeKind : int { nkUp, nkDown, nkLeft, nkRight };

// Where repeated pastes of one copy land: the first copied component's
// pixel place and the place the next paste steps from.
struct TjxPasteCascade {
    bool known = false;
    QPoint copy;
    QPoint next;
    void Reset() { next = copy; }
};

// The designer's edits of a report, each one Undo step. The window, the
// inspector and the toolbars call these; they need no widgets.
class TjxEditCommands {
public:
    explicit TjxEditCommands(TjxUndoDesignerHooks* hooks);

    TjxUndoDesignerHooks* Hooks() const { return m_hooks; }
    TjxUndoManager* Manager() const { return m_hooks->Manager(); }
    TjxCustomReport* Report() const { return m_hooks->CurrentReport(); }

    // A published property by name or dotted path, as the inspector sets it.
    void SetProperty(TComponent* object, const QString& name, const QVariant& value);
    // Bounds in thousandths of a millimetre.
    void Move(TjxComponent* component, int mmLeft, int mmTop);
    void Resize(TjxComponent* component, int mmWidth, int mmHeight);
    void SetBandHeight(TjxBand* band, int mmHeight);
    void BringToFront(const std::vector<TjxComponent*>& components);
    void SendToBack(const std::vector<TjxComponent*>& components);
    void AlignLefts(const std::vector<TjxComponent*>& components) { Align(components, 0); }
    // Screen pixels, the top relative to the band. Only the values that
    // differ from the component's own pixel values change: the others keep
    // their exact thousandths.
    void SetPixelBounds(TjxComponent* component, int left, int top, int width, int height);
    // The selection commands, each one Undo step; the first component is the
    // reference. Components moved vertically go to the band under their top.
    void Align(const std::vector<TjxComponent*>& components, int kind);
    void Size(const std::vector<TjxComponent*>& components, int kind);
    void Nudge(const std::vector<TjxComponent*>& components, int kind);
    // A component whose top (workspace pixels) lies in another band moves to it.
    void PlaceInBandAt(TjxComponent* component, int workspaceTop);
    // Another band for the component; Undo puts it back at its old place
    // in the old band's drawing order.
    void MoveToBand(TjxComponent* component, TjxBand* band);
    // Joins the topmost region of its band under its top-left corner, or
    // leaves its region when none is there.
    void PlaceInRegion(TjxComponent* component);

    // A new component of the class in the band, under a name free in the owner;
    // a size of 0 keeps the class's own. `prepare` sets it up before it is
    // recorded (unrecorded); false from it frees the component again.
    TjxComponent* CreateComponent(const TClassInfo& cls, TjxBand* band, int mmLeft, int mmTop, int mmWidth,
                                  int mmHeight, const std::function<bool(TjxComponent*)>& prepare = {});
    // Frees the components (a region's children go with it) after recording
    // them and the references to them that freeing clears in other objects.
    void DeleteComponents(const std::vector<TjxComponent*>& components);
    // The components' stream: each behind its signature, then a list end.
    // A cascade given remembers the first component's place.
    QByteArray CopyComponents(const std::vector<TjxComponent*>& components, TjxPasteCascade* cascade = nullptr) const;
    QByteArray CutComponents(const std::vector<TjxComponent*>& components, TjxPasteCascade* cascade = nullptr);
    // Reads a copied stream into the current report: each component to the
    // band of its kind (else the first band), names taken are replaced and
    // references among the pasted follow, a default caption follows the new
    // name. The stream is checked whole first: on any error nothing changes.
    // A band given takes them all.
    std::vector<TjxComponent*> PasteComponents(const QByteArray& stream, TjxBand* band = nullptr,
                                               TjxPasteCascade* cascade = nullptr);
    // Reads the stream aside: raises the reader's error, or EDesignError when
    // it holds anything but report components.
    void CheckComponentStream(const QByteArray& stream) const;

    void Undo() { m_hooks->Undo(); }
    void Redo() { m_hooks->Redo(); }

private:
    void Destroy(const std::vector<TjxComponent*>& components, const QString& operation);
    // The band kind (type, group index) of each component in the stream.
    std::vector<std::pair<int, int>> WrittenBands(const QByteArray& stream) const;
    TComponent* Owner() const;

    TjxUndoDesignerHooks* m_hooks;
};

// The components of a selection that stream on their own: those inside a
// selected region go with it.
std::vector<TjxComponent*> TopLevelComponents(const std::vector<TjxComponent*>& components);

} // namespace orvane
