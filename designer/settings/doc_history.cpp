#include "designer/settings/doc_history.h"

#include "designer/settings/ini_storage.h"
#include "designer/settings/settings_keys.h"

#include <algorithm>
#include <charconv>

namespace orvane {

namespace {

std::optional<int> DecimalInteger(const QString& text)
{
    const QByteArray bytes = text.toLatin1();
    const char* p = bytes.constData();
    const char* end = p + bytes.size();
    int value = 0;
    const auto [ptr, ec] = std::from_chars(p, end, value);
    if (p == end || ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

QString HistoryKey(int index) { return settings::kHistoryKeyPrefix + QString::number(index); }

bool HasLineBreak(const QStringList& data)
{
    return std::any_of(data.begin(), data.end(),
                       [](const QString& s) { return s.contains(u'\n') || s.contains(u'\r'); });
}

// A stored or given maximum within the bounds the menu can take.
int ClampedMax(int max)
{
    return max < 0 ? settings::kDefaultHistoryMax : std::min(max, settings::kHistoryMaxLimit);
}

} // namespace

void TjxDocHistory::SetMax(int max)
{
    m_max = ClampedMax(max);
    if (Count() > m_max) {
        Trim();
        Changed();
    }
}

QString TjxDocHistory::Caption(int index) const
{
    QString name = Entry(index).FileName();
    name.replace(u'&', QStringLiteral("&&"));
    return u'&' + QString::number(index + 1) + u' ' + name;
}

QStringList TjxDocHistory::Captions() const
{
    QStringList captions;
    for (int i = 0; i < Count(); ++i)
        captions.append(Caption(i));
    return captions;
}

void TjxDocHistory::Add(const QString& fileName, const QStringList& data)
{
    if (!m_entries.empty() && m_entries.front().FileName() == fileName)
        return;
    TjxDocHistoryEntry entry{data};
    if (entry.data.isEmpty())
        entry.data.append(fileName);
    else
        entry.data.front() = fileName;
    Insert(std::move(entry));
    Changed();
}

void TjxDocHistory::AddDocument(const QString& fileName, TjxSaveToType saveTo, int offset)
{
    Add(fileName, {fileName, QString::number(int(saveTo)), QString::number(offset)});
}

TjxHistoryDocument TjxDocHistory::Document(int index) const
{
    const QStringList& data = Entry(index).data;
    TjxHistoryDocument document{data.front(), std::nullopt, std::nullopt};
    if (data.size() != 3)
        return document;
    const std::optional<int> saveTo = DecimalInteger(data[1]);
    const std::optional<int> offset = DecimalInteger(data[2]);
    if (saveTo && offset && (*saveTo == stDatabase || *saveTo == stFile)) {
        document.saveTo = TjxSaveToType(*saveTo);
        document.offset = *offset;
    }
    return document;
}

void TjxDocHistory::Clear()
{
    if (m_entries.empty())
        return;
    m_entries.clear();
    Changed();
}

void TjxDocHistory::Load(const TjxIniStorage& storage)
{
    using namespace settings;
    m_entries.clear();
    m_max = ClampedMax(storage.ReadInteger(kLastReportsAccessed, kMax, kDefaultHistoryMax));
    std::vector<TjxDocHistoryEntry> found;
    for (int n = 0; n < m_max; ++n) {
        const QString value = storage.ReadString(kLastReportsAccessed, HistoryKey(n), QString());
        if (value.isEmpty())
            continue;
        const QStringList parts = value.split(u',');
        const qsizetype count = parts.size();
        TjxDocHistoryEntry entry;
        // The file name may hold commas; the designer's two numbers end the value.
        if (count >= 3 && DecimalInteger(parts[count - 2]) && DecimalInteger(parts[count - 1]))
            entry.data = {parts.mid(0, count - 2).join(u','), parts[count - 2], parts[count - 1]};
        else
            entry.data = {value};
        if (!entry.FileName().isEmpty())
            found.push_back(std::move(entry));
    }
    // From the last to the first, so that "R0" ends at the top.
    for (auto it = found.rbegin(); it != found.rend(); ++it)
        if (m_entries.empty() || m_entries.front().FileName() != it->FileName())
            Insert(std::move(*it));
    Changed();
}

void TjxDocHistory::Save(TjxIniStorage& storage) const
{
    using namespace settings;
    TjxIniStorageUpdate update(storage);
    storage.EraseSection(kLastReportsAccessed);
    storage.WriteInteger(kLastReportsAccessed, kMax, m_max);
    int n = 0;
    for (const TjxDocHistoryEntry& entry : m_entries)
        if (!HasLineBreak(entry.data))
            storage.WriteString(kLastReportsAccessed, HistoryKey(n++), entry.data.join(u','));
    update.Commit();
}

void TjxDocHistory::Insert(TjxDocHistoryEntry entry)
{
    const auto same = std::find_if(m_entries.begin(), m_entries.end(),
                                   [&](const TjxDocHistoryEntry& e) { return e.FileName() == entry.FileName(); });
    if (same != m_entries.end())
        m_entries.erase(same);
    m_entries.insert(m_entries.begin(), std::move(entry));
    Trim();
}

void TjxDocHistory::Trim()
{
    if (Count() > m_max)
        m_entries.resize(size_t(std::max(m_max, 0)));
}

void TjxDocHistory::Changed() const
{
    if (OnChange)
        OnChange();
}

} // namespace orvane
