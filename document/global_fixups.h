#pragma once

#include <QString>
#include <mutex>
#include <vector>

namespace orvane {

class TComponent;
class TPersistent;
struct TPropInfo;

// References read from a stream that name a component of another root
// ("Form2.jxLabel1"); they are resolved when a root of that name appears.
class TGlobalFixups {
public:
    void Add(TComponent* holder, TPersistent* instance, const TPropInfo* prop, const QString& reference);
    void NameChanged(TComponent* root);
    void Forget(TComponent* component);
    int Count() const;

private:
    struct Fixup {
        TComponent* holder;
        TPersistent* instance;
        const TPropInfo* prop;
        QString reference;
    };
    mutable std::recursive_mutex m_lock;
    std::vector<Fixup> m_fixups;
};

TGlobalFixups& GlobalFixups();

// Finds a component from a root by a reference text whose parts are separated
// by "." or "->"; a part "Owner" that matches nothing keeps the current component.
TComponent* FindNestedComponent(TComponent* root, QStringView reference);

} // namespace orvane
