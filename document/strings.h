#pragma once

#include "document/persistent.h"

#include <QStringList>

namespace orvane {

// A list of lines (a memo's lines, a query's text); streams as the defined
// property "Strings".
class TStrings : public TPersistent {
    ORVANE_CLASS(TStrings, TPersistent)
public:
    TStrings() = default;

    int Count() const { return int(m_lines.size()); }
    const QString& Strings(int index) const;
    void SetStrings(int index, const QString& line);
    const QStringList& Lines() const { return m_lines; }
    void SetLines(const QStringList& lines);

    int Add(const QString& line);
    void Insert(int index, const QString& line);
    void Delete(int index);
    void Clear();
    int IndexOf(QStringView line) const;

    // The lines joined, each followed by CR LF; setting splits at CR LF, CR or LF.
    QString Text() const;
    void SetText(QStringView text);

    void BeginUpdate() { ++m_updateCount; }
    void EndUpdate();

    void Assign(const TPersistent* source) override;
    bool operator==(const TStrings& other) const { return m_lines == other.m_lines; }

    std::function<void()> OnChange;

private:
    void Changed();
    void ReadStrings(TReader& reader);
    void WriteStrings(TWriter& writer) const;

    QStringList m_lines;
    int m_updateCount = 0;
    bool m_changedInUpdate = false;
};

using TStringList = TStrings;

} // namespace orvane
