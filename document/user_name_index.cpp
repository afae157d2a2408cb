#include "document/user_name_index.h"

#include "document/property_info.h"

namespace orvane {

QString TUserNameIndex::Stem(const TClassInfo& cls)
{
    return cls.className.mid(3);
}

QString TUserNameIndex::Key(QStringView name)
{
    // Folded as QString::compare folds when it ignores case.
    return name.toString().toCaseFolded();
}

QVarLengthArray<TUserNameIndex::TReading, 1> TUserNameIndex::Readings(const QString& key)
{
    // As a stem's number was always read: at most nine ASCII digits, leading zeros allowed, above 0.
    QVarLengthArray<TReading, 1> readings;
    int value = 0;
    int scale = 1;
    for (qsizetype digits = 1; digits <= 9 && digits < key.size(); ++digits) {
        const QChar c = key[key.size() - digits];
        if (c < u'0' || c > u'9')
            break;
        value += (c.unicode() - u'0') * scale;
        scale *= 10;
        if (value > 0)
            readings.append(TReading{key.left(key.size() - digits), value});
    }
    return readings;
}

void TUserNameIndex::TNumbers::Add(int n)
{
    ++counts[n];
    while (counts.contains(lowestFree))
        ++lowestFree;
}

void TUserNameIndex::TNumbers::Remove(int n)
{
    auto it = counts.find(n);
    if (it == counts.end() || --it->second > 0)
        return;
    counts.erase(it);
    if (n < lowestFree)
        lowestFree = n;
}

void TUserNameIndex::Set(TComponent* object, const QString& userName)
{
    if (userName.isEmpty()) {
        Remove(object);
        return;
    }
    QString key = Key(userName);
    auto existing = m_entries.constFind(object);
    if (existing != m_entries.cend() && existing->key == key)
        return;
    Remove(object);
    TEntry entry{key, Readings(key)};
    m_byKey[entry.key].append(object);
    for (const TReading& r : entry.readings)
        m_numbers[r.stemKey].Add(r.number);
    m_entries.insert(object, std::move(entry));
}

void TUserNameIndex::Remove(const TComponent* object)
{
    auto it = m_entries.find(object);
    if (it == m_entries.end())
        return;
    auto bucket = m_byKey.find(it->key);
    if (bucket != m_byKey.end()) {
        for (qsizetype i = 0; i < bucket->size(); ++i)
            if ((*bucket)[i] == object) {
                bucket->remove(i);
                break;
            }
        if (bucket->isEmpty())
            m_byKey.erase(bucket);
    }
    for (const TReading& r : it->readings) {
        auto numbers = m_numbers.find(r.stemKey);
        if (numbers == m_numbers.end())
            continue;
        numbers->Remove(r.number);
        if (numbers->counts.empty())
            m_numbers.erase(numbers);
    }
    m_entries.erase(it);
}

QVarLengthArray<TComponent*, 2> TUserNameIndex::Find(QStringView name) const
{
    QVarLengthArray<TComponent*, 2> result;
    if (name.isEmpty())
        return result;
    auto bucket = m_byKey.constFind(Key(name));
    if (bucket != m_byKey.cend())
        result.append(bucket->constData(), bucket->size());
    return result;
}

int TUserNameIndex::LowestFreeNumber(QStringView stem, const TComponent* asking) const
{
    const QString stemKey = Key(stem);
    auto numbers = m_numbers.constFind(stemKey);
    if (numbers == m_numbers.cend())
        return 1;
    if (asking) {
        // The asker's own number is free for it when nobody else has it.
        auto own = m_entries.constFind(asking);
        if (own != m_entries.cend())
            for (const TReading& r : own->readings)
                if (r.stemKey == stemKey && r.number < numbers->lowestFree) {
                    auto count = numbers->counts.find(r.number);
                    if (count != numbers->counts.end() && count->second == 1)
                        return r.number;
                }
    }
    return numbers->lowestFree;
}

int TUserNameIndex::FreeNumberFrom(QStringView stem, int from) const
{
    auto numbers = m_numbers.constFind(Key(stem));
    if (numbers == m_numbers.cend())
        return from;
    int n = std::max(from, numbers->lowestFree);
    for (auto it = numbers->counts.lower_bound(n); it != numbers->counts.end() && it->first == n; ++it)
        ++n;
    return n;
}

} // namespace orvane
