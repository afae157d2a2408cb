#pragma once

#include <QString>
#include <QVariant>
#include <QList>
#include <functional>

namespace orvane {

class TComponent;

// The named, typed values that travel with an event; listeners read them and
// may write the ones marked writable (for example "IsValid").
struct TjxEventParam {
    QString name;
    QVariant value;
    bool writable = false;
};

class TjxEventParams {
public:
    TjxEventParams() = default;
    TjxEventParams(std::initializer_list<TjxEventParam> params) : m_params(params) {}

    void Add(const QString& name, const QVariant& value, bool writable = false) { m_params.append({name, value, writable}); }
    int Count() const { return int(m_params.size()); }
    const TjxEventParam& At(int i) const { return m_params.at(i); }
    const TjxEventParam* Find(QStringView name) const;
    QVariant Value(QStringView name) const;
    // Changes a writable parameter; returns false when it is missing or read-only.
    bool SetValue(QStringView name, const QVariant& value);

private:
    QList<TjxEventParam> m_params;
};

using TMethodCode = std::function<void(TComponent* sender, TjxEventParams& params)>;

// An event handler: its code and, when it is a published method of a lookup
// root, the receiver and the method's name (which is what streams keep).
struct TMethod {
    TComponent* data = nullptr;
    QString name;
    TMethodCode code;

    bool IsAssigned() const { return bool(code) || !name.isEmpty(); }
    void operator()(TComponent* sender, TjxEventParams& params) const
    {
        if (code) code(sender, params);
    }
    // Handlers given as code alone cannot be compared: such a handler equals
    // only the empty handler's absence of one, so setting it is never skipped.
    bool operator==(const TMethod& other) const
    {
        if (data != other.data || name != other.name)
            return false;
        return !name.isEmpty() || (!code && !other.code);
    }
};

} // namespace orvane
