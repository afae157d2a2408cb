#pragma once

// The designer's list of recently used report files, newest first, as the
// File menu shows it and the settings keep it ("Last Reports Accessed":
// "Max", then "R0", "R1", … each an entry's strings joined with ",").

#include "document/template.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace orvane {

class TjxIniStorage;

struct TjxDocHistoryEntry {
    QStringList data;  // the first string is the file name
    const QString& FileName() const { return data.front(); }
};

// An entry as the designer stores it: file name, SaveTo, Offset.
struct TjxHistoryDocument {
    QString fileName;
    // Both empty when the entry has no such strings or its SaveTo is not a known kind.
    std::optional<TjxSaveToType> saveTo;
    std::optional<int> offset;
};

class TjxDocHistory {
public:
    int Max() const { return m_max; }
    // At most kHistoryMaxLimit; a negative count is the default 5. Trims the list.
    void SetMax(int max);
    int Count() const { return int(m_entries.size()); }
    const TjxDocHistoryEntry& Entry(int index) const { return m_entries[size_t(index)]; }
    // "&1 name" for the first entry; an "&" in the name is doubled so that it shows.
    QString Caption(int index) const;
    QStringList Captions() const;

    // Puts the file at the top; an entry already there is left alone, one
    // elsewhere is moved up with the new strings. The oldest entries beyond
    // Max are dropped. `data` starts with the file name (added when empty).
    void Add(const QString& fileName, const QStringList& data = {});
    // The designer's three strings.
    void AddDocument(const QString& fileName, TjxSaveToType saveTo, int offset);
    TjxHistoryDocument Document(int index) const;
    void Clear();

    // Replaces the list with the stored one. A stored value whose last two
    // fields are integers is the designer's three strings, whatever commas the
    // file name holds; any other value is one file name. A Max above
    // kHistoryMaxLimit reads as that limit, so only that many keys are read.
    void Load(const TjxIniStorage& storage);
    // Erases the section and writes Max and the entries, in one update;
    // raises EOrvaneError when the storage cannot be written. Nothing saves
    // the history when it is freed: its owner saves it first and reports a
    // failure. An entry with a line break in its
    // strings cannot be stored and is left out.
    void Save(TjxIniStorage& storage) const;

    // Runs after every change of the entries or their order (menu rebuild).
    std::function<void()> OnChange;

private:
    void Insert(TjxDocHistoryEntry entry);
    void Trim();
    void Changed() const;

    std::vector<TjxDocHistoryEntry> m_entries;
    int m_max = 5;
};

} // namespace orvane
