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

namespace {

// As a stem's number was always read: one to nine ASCII digits, leading zeros allowed, above 0.
int NumberAfter(QStringView key, qsizetype stemLength)
{
    const qsizetype digits = key.size() - stemLength;
    if (stemLength <= 0 || digits < 1 || digits > 9)
        return 0;
    int value = 0;
    for (QChar c : key.mid(stemLength)) {
        if (c < u'0' || c > u'9')
            return 0;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

} // namespace

TUserNameIndex::TEntry TUserNameIndex::MakeEntry(QString key)
{
    qsizetype stemLength = key.size();
    while (stemLength > 0 && key[stemLength - 1] >= u'0' && key[stemLength - 1] <= u'9')
        --stemLength;
    const int number = NumberAfter(key, stemLength);
    return TEntry{std::move(key), number > 0 ? stemLength : 0, number};
}

TUserNameIndex::TNumbers TUserNameIndex::NumbersByWalk(const QString& stemKey) const
{
    TNumbers numbers;
    for (const TEntry& e : m_entries)
        if (e.key.startsWith(stemKey))
            if (const int n = NumberAfter(e.key, stemKey.size()))
                numbers.Add(n);
    return numbers;
}

void TUserNameIndex::TNumbers::Add(int n)
{
    if (++counts[n] > 1)
        return;
    auto next = runs.upper_bound(n);
    auto prev = next == runs.begin() ? runs.end() : std::prev(next);
    const bool joinsPrev = prev != runs.end() && prev->second == n - 1;
    const bool joinsNext = next != runs.end() && next->first == n + 1;
    if (joinsPrev && joinsNext) {
        prev->second = next->second;
        runs.erase(next);
    } else if (joinsPrev) {
        prev->second = n;
    } else if (joinsNext) {
        const int last = next->second;
        runs.erase(next);
        runs.emplace(n, last);
    } else {
        runs.emplace(n, n);
    }
}

void TUserNameIndex::TNumbers::Remove(int n)
{
    auto count = counts.find(n);
    if (count == counts.end() || --*count > 0)
        return;
    counts.erase(count);
    auto run = runs.upper_bound(n);
    if (run == runs.begin())
        return;
    --run;
    const int first = run->first, last = run->second;
    if (last < n)
        return;
    runs.erase(run);
    if (first < n)
        runs.emplace(first, n - 1);
    if (n < last)
        runs.emplace(n + 1, last);
}

int TUserNameIndex::TNumbers::FreeFrom(int from) const
{
    auto run = runs.upper_bound(from);
    if (run != runs.begin() && std::prev(run)->second >= from)
        return std::prev(run)->second + 1;
    return from;
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
    TEntry entry = MakeEntry(std::move(key));
    m_byKey[entry.key].append(object);
    if (entry.number > 0) {
        // Looked up without a copy of the stem; copied when it is new.
        const QString stem = QString::fromRawData(entry.key.constData(), entry.stemLength);
        auto numbers = m_numbers.find(stem);
        if (numbers == m_numbers.end())
            numbers = m_numbers.insert(entry.key.left(entry.stemLength), TNumbers{});
        numbers->Add(entry.number);
    }
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
    if (it->number > 0) {
        auto numbers = m_numbers.find(QString::fromRawData(it->key.constData(), it->stemLength));
        if (numbers != m_numbers.end()) {
            numbers->Remove(it->number);
            if (numbers->Empty())
                m_numbers.erase(numbers);
        }
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
    TNumbers walked;
    const TNumbers* numbers = nullptr;
    if (EndsInDigit(stemKey)) {
        walked = NumbersByWalk(stemKey);
        numbers = &walked;
    } else if (auto found = m_numbers.constFind(stemKey); found != m_numbers.cend()) {
        numbers = &*found;
    }
    if (!numbers || numbers->Empty())
        return 1;
    const int lowest = numbers->LowestFree();
    if (asking) {
        // The asker's own number is free for it when nobody else has it.
        auto own = m_entries.constFind(asking);
        if (own != m_entries.cend() && own->key.startsWith(stemKey))
            if (const int n = NumberAfter(own->key, stemKey.size()); n > 0 && n < lowest && numbers->counts.value(n) == 1)
                return n;
    }
    return lowest;
}

int TUserNameIndex::FreeNumberFrom(QStringView stem, int from) const
{
    const QString stemKey = Key(stem);
    from = std::max(from, 1);
    if (EndsInDigit(stemKey))
        return NumbersByWalk(stemKey).FreeFrom(from);
    auto numbers = m_numbers.constFind(stemKey);
    return numbers == m_numbers.cend() ? from : numbers->FreeFrom(from);
}

} // namespace orvane
