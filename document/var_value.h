#pragma once

#include <QString>
#include <QByteArray>
#include <cstdint>

namespace orvane {

// A variant property's value: the kinds a stream can carry.
struct TVarValue {
    enum Kind : uint8_t {
        vtUnassigned, vtNull, vtShortInt, vtSmallInt, vtInteger, vtInt64,
        vtSingle, vtDouble, vtCurrency, vtDate, vtBoolean, vtWideString, vtString, vtArray
    };
    Kind kind = vtUnassigned;
    int64_t integer = 0;   // integer kinds, boolean, currency (amount times 10000)
    double real = 0;       // single, double, date
    QString text;          // wide and single-byte strings

    static TVarValue Integer(int64_t v) { TVarValue r; r.kind = (v >= INT32_MIN && v <= INT32_MAX) ? vtInteger : vtInt64; r.integer = v; return r; }
    static TVarValue Double(double v) { TVarValue r; r.kind = vtDouble; r.real = v; return r; }
    static TVarValue WideString(QString v) { TVarValue r; r.kind = vtWideString; r.text = std::move(v); return r; }
    static TVarValue Boolean(bool v) { TVarValue r; r.kind = vtBoolean; r.integer = v; return r; }
    static TVarValue Null() { TVarValue r; r.kind = vtNull; return r; }

    bool IsUnassigned() const { return kind == vtUnassigned; }
    bool operator==(const TVarValue& o) const { return kind == o.kind && integer == o.integer && real == o.real && text == o.text; }
};

} // namespace orvane
