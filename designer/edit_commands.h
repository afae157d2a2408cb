#pragma once

#include "designer/undo/undo_hooks.h"

#include <QByteArray>
#include <QVariant>
#include <vector>

namespace orvane {

class TClassInfo;
class TComponent;
class TjxBand;
class TjxComponent;
class TjxCustomReport;

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
    void AlignLefts(const std::vector<TjxComponent*>& components);

    // A new component of the class in the band, under a name free in the owner.
    TjxComponent* CreateComponent(const TClassInfo& cls, TjxBand* band, int mmLeft, int mmTop, int mmWidth,
                                  int mmHeight);
    // Frees the components (a region's children go with it) after recording
    // them and the references to them that freeing clears in other objects.
    void DeleteComponents(const std::vector<TjxComponent*>& components);
    // The components' stream: each behind its signature, then a list end.
    QByteArray CopyComponents(const std::vector<TjxComponent*>& components) const;
    QByteArray CutComponents(const std::vector<TjxComponent*>& components);
    // Reads a copied stream into the band (the report's first band when none
    // is given); names taken are replaced.
    std::vector<TjxComponent*> PasteComponents(const QByteArray& stream, TjxBand* band = nullptr);

    void Undo() { m_hooks->Undo(); }
    void Redo() { m_hooks->Redo(); }

private:
    void Destroy(const std::vector<TjxComponent*>& components, const QString& operation);
    TComponent* Owner() const;

    TjxUndoDesignerHooks* m_hooks;
};

// The components of a selection that stream on their own: those inside a
// selected region go with it.
std::vector<TjxComponent*> TopLevelComponents(const std::vector<TjxComponent*>& components);

} // namespace orvane
