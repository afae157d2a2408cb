#pragma once

#include <QHash>
#include <QString>
#include <QVarLengthArray>
#include <map>

namespace orvane {

class TClassInfo;
class TComponent;

// The user names of a set of objects (the objects below a report, or those
// of one owner), compared ignoring case, with the numbers that end them
// counted per stem ("Label" of "Label12"), so that looking a name up and
// finding the lowest free number take no scan, and naming stays cheap in
// reports of many thousand components. Each entry remembers its keys, so an
// object can leave while it is being destroyed.
class TUserNameIndex {
public:
    // Adds `object` under `userName`, or moves it there; an empty name takes it out.
    void Set(TComponent* object, const QString& userName);
    void Remove(const TComponent* object);
    bool Contains(const TComponent* object) const { return m_entries.contains(object); }
    int Count() const { return int(m_entries.size()); }

    // The objects under `name`, in the order they were indexed.
    QVarLengthArray<TComponent*, 2> Find(QStringView name) const;

    // The lowest positive number that no name of the stem ends in, compared
    // ignoring case; the number `asking` has itself counts as free.
    int LowestFreeNumber(QStringView stem, const TComponent* asking = nullptr) const;
    // The lowest free number from `from` on.
    int FreeNumberFrom(QStringView stem, int from) const;

    // The stem of a class's user names: its name without "Tjx".
    static QString Stem(const TClassInfo& cls);
    static QString Key(QStringView name);

private:
    // A name with the number that ends it: "label" and 12 of "Label12"; no
    // number when it does not end in one to nine ASCII digits above 0.
    struct TEntry {
        QString key;
        qsizetype stemLength = 0;
        int number = 0;
    };
    // The numbers in use with their counts, and as runs of consecutive
    // numbers, so that the first free one is found without a walk.
    struct TNumbers {
        QHash<int, int> counts;
        std::map<int, int> runs;  // first -> last of each maximal run
        void Add(int n);
        void Remove(int n);
        bool Empty() const { return counts.isEmpty(); }
        int LowestFree() const { return runs.empty() || runs.begin()->first > 1 ? 1 : runs.begin()->second + 1; }
        int FreeFrom(int from) const;
    };

    static TEntry MakeEntry(QString key);
    // The numbers after a stem that itself ends in a digit, from a walk:
    // "Code391" is Code39 1 as well as Code 391. No class stem ends so today.
    TNumbers NumbersByWalk(const QString& stemKey) const;
    static bool EndsInDigit(QStringView stem) { return !stem.isEmpty() && stem.back() >= u'0' && stem.back() <= u'9'; }

    QHash<const TComponent*, TEntry> m_entries;
    QHash<QString, QVarLengthArray<TComponent*, 1>> m_byKey;
    QHash<QString, TNumbers> m_numbers;
};

} // namespace orvane
