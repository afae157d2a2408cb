#pragma once

// Seeded random edits through the edit commands: property sets over every
// published property of the components' classes, moves, resizes, band
// heights, drawing order, create, delete and paste.

#include "undo_fixture.h"

#include "document/component_registry.h"
#include "document/errors.h"
#include "document/report.h"
#include "document/strings.h"
#include "engine/subreport.h"
#include "engine/data_pipeline.h"
#include "components/label.h"
#include "components/memo.h"
#include "components/variable.h"
#include "engine/region.h"

#include "document/form.h"

#include <random>

namespace orvane::test {

class TRandomEditor {
public:
    TRandomEditor(TUndoRig& rig, uint32_t seed) : m_rig(rig), m_rng(seed)
    {
        // A setter may warn in a message box (a barcode's add-on code): the
        // box is answered with Cancel, as a user would dismiss it.
        m_previousBoxes = SetMessageBoxHandler([](const TjxMessageBoxCall&) { return mrCancel; });
    }
    ~TRandomEditor() { SetMessageBoxHandler(m_previousBoxes); }

    // The components and bands of the rig's report and of the child reports below it.
    std::vector<TjxComponent*> Components() const
    {
        std::vector<TjxComponent*> result;
        TComponent* owner = TjxUndoable::LookupOwner(m_rig.report);
        for (int i = 0; i < owner->ComponentCount(); ++i)
            if (auto* c = dynamic_cast<TjxComponent*>(owner->Components(i)); c && c->Band() && InTree(c->Band()->Report()))
                result.push_back(c);
        return result;
    }
    std::vector<TjxBand*> Bands() const
    {
        std::vector<TjxBand*> result;
        TComponent* owner = TjxUndoable::LookupOwner(m_rig.report);
        for (int i = 0; i < owner->ComponentCount(); ++i)
            if (auto* b = dynamic_cast<TjxBand*>(owner->Components(i)); b && InTree(b->Report()))
                result.push_back(b);
        return result;
    }

    // One edit; an edit the objects refuse (an exception) counts as done.
    void Step()
    {
        const int kind = Pick(100);
        m_last = QStringLiteral("kind %1").arg(kind);
        try {
            if (kind < 45) SetSomeProperty();
            else if (kind < 55) MoveSome();
            else if (kind < 65) ResizeSome();
            else if (kind < 72) BandHeight();
            else if (kind < 79) ZOrder();
            else if (kind < 86) Create();
            else if (kind < 93) Delete();
            else Paste();
        } catch (const std::exception&) {
            ++m_refused;
        }
    }
    int Refused() const { return m_refused; }
    // What the last step did, for messages.
    const QString& Last() const { return m_last; }

    // A value different from the current one for a published property; false
    // when the property is not one to edit this way.
    bool NewValue(TPersistent& holder, const TPropInfo& prop, QVariant& out)
    {
        if (!prop.IsReadable() || !prop.IsWritable() || prop.name == u"Name")
            return false;
        switch (prop.Kind()) {
        case tkEnumeration: {
            const int n = int(prop.type->enumNames.size());
            if (n < 2)
                return false;
            const int64_t current = prop.getOrdinal(holder);
            out = QVariant::fromValue(qint64((current + 1 + Pick(n - 1)) % n));
            return true;
        }
        case tkSet: {
            const int n = std::min<int>(int(prop.type->enumNames.size()), 16);
            out = QVariant::fromValue(qint64(Pick(1 << n)));
            return true;
        }
        case tkInteger: case tkInt64:
            if (!prop.type->identMap.empty()) {
                static const qint64 colours[] = {0x0000FF, 0x00FF00, 0xFF0000, 0, 0xFFFFFF, 0x808080};
                out = QVariant::fromValue(colours[Pick(6)]);
            } else {
                out = QVariant::fromValue(qint64(prop.getOrdinal(holder) + 1 + Pick(5)));
            }
            return true;
        case tkChar:
            out = QVariant::fromValue(qint64('A' + Pick(26)));
            return true;
        case tkFloat:
            out = prop.getFloat(holder) + 0.05 * (1 + Pick(20));
            return true;
        case tkString: case tkWString:
            out = QStringLiteral("%1%2").arg(prop.name == u"UserName" ? QStringLiteral("U") : QStringLiteral("Text "))
                      .arg(++m_counter);
            return true;
        default:
            return false;
        }
    }

    // A property of the object or of an object one of its class properties
    // holds ("Font.Size"), with a new value; false when there is none to try.
    bool PickProperty(TComponent* object, QString& path, QVariant& value, std::unique_ptr<TPersistent>& keep)
    {
        const auto& props = object->ClassInfo().properties;
        for (int attempt = 0; attempt < 8; ++attempt) {
            const TPropInfo& prop = props[size_t(Pick(int(props.size())))];
            if (prop.Kind() != tkClass) {
                if (NewValue(*object, prop, value)) {
                    path = prop.name;
                    return true;
                }
                continue;
            }
            if (!prop.getObject || !prop.IsWritable())
                continue;
            if (IsReferenceProperty(*object, prop)) {
                std::vector<TComponent*> candidates{nullptr};
                TComponent* owner = TjxUndoable::LookupOwner(m_rig.report);
                for (int i = 0; i < owner->ComponentCount(); ++i) {
                    TComponent* c = owner->Components(i);
                    // The designer offers pipelines only as pipelines.
                    const bool fits = prop.name == u"DataPipeline" ? c->InheritsFrom(TjxDataPipeline::StaticClass())
                                                                  : c->InheritsFrom(*prop.objectClass) && Belongs(c);
                    if (c != object && fits)
                        candidates.push_back(c);
                }
                path = prop.name;
                value = QVariant::fromValue<TPersistent*>(candidates[size_t(Pick(int(candidates.size())))]);
                return true;
            }
            TPersistent* sub = prop.getObject(*object);
            if (!sub)
                continue;
            if (auto* strings = dynamic_cast<TStrings*>(sub)) {
                auto copy = std::make_unique<TStrings>();
                copy->Assign(strings);
                copy->Add(QStringLiteral("line %1").arg(++m_counter));
                path = prop.name;
                value = QVariant::fromValue<TPersistent*>(copy.get());
                keep = std::move(copy);
                return true;
            }
            const auto& subProps = sub->ClassInfo().properties;
            if (subProps.empty())
                continue;
            const TPropInfo& subProp = subProps[size_t(Pick(int(subProps.size())))];
            if (subProp.Kind() != tkClass && NewValue(*sub, subProp, value)) {
                path = prop.name + QLatin1Char('.') + subProp.name;
                return true;
            }
        }
        return false;
    }

    int Pick(int n) { return n <= 0 ? 0 : int(m_rng() % uint32_t(n)); }

private:
    TjxMessageBoxHandler m_previousBoxes;
    bool InTree(TjxCustomReport* report) const
    {
        while (auto* child = dynamic_cast<TjxChildReport*>(report))
            report = child->ParentReport();
        return report && report == m_rig.report;
    }
    bool Belongs(TComponent* c) const
    {
        if (auto* component = dynamic_cast<TjxComponent*>(c))
            return component->Band() && InTree(component->Band()->Report());
        if (auto* group = dynamic_cast<TjxGroup*>(c))
            return InTree(group->Report());
        return false;
    }
    TjxComponent* AnyComponent()
    {
        auto all = Components();
        return all.empty() ? nullptr : all[size_t(Pick(int(all.size())))];
    }
    TjxBand* AnyBand()
    {
        auto all = Bands();
        return all.empty() ? nullptr : all[size_t(Pick(int(all.size())))];
    }

    void SetSomeProperty()
    {
        TjxComponent* c = AnyComponent();
        QString path;
        QVariant value;
        std::unique_ptr<TPersistent> keep;
        if (c && PickProperty(c, path, value, keep)) {
            m_last = QStringLiteral("set %1.%2 = %3").arg(c->Name(), path, value.toString());
            m_rig.edit.SetProperty(c, path, value);
        }
    }
    void MoveSome()
    {
        if (TjxComponent* c = AnyComponent())
            m_rig.edit.Move(c, std::max(0, c->mmLeft() + Pick(8001) - 4000), std::max(0, c->mmTop() + Pick(4001) - 2000));
    }
    void ResizeSome()
    {
        if (TjxComponent* c = AnyComponent())
            m_rig.edit.Resize(c, std::max(100, c->mmWidth() + Pick(8001) - 4000),
                              std::max(100, c->mmHeight() + Pick(4001) - 2000));
    }
    void BandHeight()
    {
        if (TjxBand* b = AnyBand())
            m_rig.edit.SetBandHeight(b, std::max(0, b->mmHeight() + Pick(6001) - 3000));
    }
    void ZOrder()
    {
        if (TjxComponent* c = AnyComponent()) {
            if (Pick(2))
                m_rig.edit.BringToFront({c});
            else
                m_rig.edit.SendToBack({c});
        }
    }
    void Create()
    {
        const TjxRegList& classes = RegisteredComponents();
        const TClassInfo* cls = classes.Records(Pick(classes.Count())).componentClass;
        if (TjxBand* b = AnyBand())
            m_rig.edit.CreateComponent(*cls, b, Pick(50000), Pick(10000), 1000 + Pick(30000), 1000 + Pick(8000));
    }
    void Delete()
    {
        std::vector<TjxComponent*> chosen;
        for (int n = 1 + Pick(3); n > 0; --n)
            if (TjxComponent* c = AnyComponent())
                chosen.push_back(c);
        m_last = QStringLiteral("delete");
        for (TjxComponent* c : chosen)
            m_last += QLatin1Char(' ') + c->Name();
        m_rig.edit.DeleteComponents(chosen);
    }
    void Paste()
    {
        std::vector<TjxComponent*> chosen;
        for (int n = 1 + Pick(2); n > 0; --n)
            if (TjxComponent* c = AnyComponent())
                chosen.push_back(c);
        if (chosen.empty())
            return;
        const QByteArray clip = m_rig.edit.CopyComponents(chosen);
        m_rig.edit.PasteComponents(clip, Pick(3) ? AnyBand() : nullptr);
    }

    TUndoRig& m_rig;
    std::mt19937 m_rng;
    int m_counter = 0;
    int m_refused = 0;
    QString m_last;
};

// Groups with their bands, a region with children, references between
// components and two subreports with bands and components of their own.
struct TGroupedReport : TUndoReport {
    TGroupedReport()
    {
        TjxUndoDisabledGuard off(&rig.manager);
        for (const char* name : {"Customer", "Invoice"}) {
            auto* group = new TjxGroup(&host);
            group->SetName(report->GetValidName(group));
            group->SetReport(report);
            group->SetBreakName(QString::fromLatin1(name));
        }
        report->EnsureBands();
        for (TjxBand* band : report->Bands()) {
            auto* label = Add<TjxLabel>(band, 1000, 1000);
            label->SetCaption(band->Name());
        }
        TjxBand* detail = Band(btDetail);
        detail->SetmmHeight(40000);
        auto* memo = Add<TjxMemo>(detail, 0, 6000);
        auto* below = Add<TjxMemo>(detail, 0, 12000);
        below->SetShiftRelativeTo(memo);
        auto* total = Add<TjxVariable>(report->FindBand(btGroupFooter, 0), 3000, 0);
        total->SetCalcComponent(memo);
        total->SetResetGroup(report->Group(0));
        auto* region = Add<TjxRegion>(detail, 40000, 2000);
        region->SetBounds(40000, 2000, 20000, 60000);
        auto* inside = Add<TjxLabel>(detail, 42000, 4000);
        inside->SetRegion(region);
        for (int i = 0; i < 2; ++i) {
            auto* sub = Add<TjxSubReport>(detail, 0, 20000 + 8000 * i);
            TjxBand* title = sub->Report()->CreateBand(btTitle);
            TjxBand* childDetail = sub->Report()->CreateBand(btDetail);
            Add<TjxLabel>(title, 0, 0);
            Add<TjxMemo>(childDetail, 2000, 0);
        }
    }
};

} // namespace orvane::test
