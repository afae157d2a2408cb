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
    // A name read as a stem and the number after it. A name ending in digits
    // has one reading per place the number may start ("Code391" is "Code39" 1,
    // "Code3" 91 and "Code" 391), so that a stem ending in a digit finds its numbers.
    struct TReading {
        QString stemKey;
        int number = 0;
    };
    struct TEntry {
        QString key;
        QVarLengthArray<TReading, 1> readings;
    };
    // Counts of the numbers in use; every number below `lowestFree` is used.
    struct TNumbers {
        std::map<int, int> counts;
        int lowestFree = 1;
        void Add(int n);
        void Remove(int n);
    };

    static QVarLengthArray<TReading, 1> Readings(const QString& key);

    QHash<const TComponent*, TEntry> m_entries;
    QHash<QString, QVarLengthArray<TComponent*, 1>> m_byKey;
    QHash<QString, TNumbers> m_numbers;
};

} // namespace orvane
