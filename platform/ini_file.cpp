#include "platform/ini_file.h"

#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "platform/file_io.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <vector>

namespace orvane {

namespace {

struct TIniLine {
    enum Kind : uint8_t {
        lkBlank,
        lkComment,
        lkMalformed,
        lkSection,
        lkKey,
        lkErased  // where an erased section stood; not written
    };
    QByteArray raw;  // without its '\n'; a CR LF file's lines keep their '\r'
    Kind kind = lkBlank;
    QString name;    // section or key name, trimmed
    QString value;   // a key's value, trimmed
    qsizetype valueAt = 0;  // bytes of raw before a key's value

    bool Ends() const { return kind == lkSection || kind == lkErased; }
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

QByteArray TrimBlanks(const QByteArray& bytes)
{
    qsizetype from = 0, to = bytes.size();
    while (from < to && IsBlank(bytes[from]))
        ++from;
    while (to > from && IsBlank(bytes[to - 1]))
        --to;
    return bytes.mid(from, to - from);
}

QString TrimBlanks(const QString& text)
{
    qsizetype from = 0, to = text.size();
    while (from < to && (text[from] == u' ' || text[from] == u'\t'))
        ++from;
    while (to > from && (text[to - 1] == u' ' || text[to - 1] == u'\t'))
        --to;
    return text.mid(from, to - from);
}

bool SameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

TIniLine ParseLine(QByteArray raw)
{
    TIniLine line;
    line.raw = std::move(raw);
    QByteArray body = line.raw;
    if (body.endsWith('\r'))
        body.chop(1);
    const QByteArray trimmed = TrimBlanks(body);
    if (trimmed.isEmpty()) {
        line.kind = TIniLine::lkBlank;
    } else if (trimmed[0] == ';' || trimmed[0] == '#') {
        line.kind = TIniLine::lkComment;
    } else if (trimmed[0] == '[') {
        const qsizetype close = trimmed.indexOf(']');
        if (close > 0) {
            line.kind = TIniLine::lkSection;
            line.name = QString::fromUtf8(TrimBlanks(trimmed.mid(1, close - 1)));
        } else {
            line.kind = TIniLine::lkMalformed;
        }
    } else {
        const qsizetype eq = body.indexOf('=');
        const QByteArray key = eq > 0 ? TrimBlanks(body.left(eq)) : QByteArray();
        if (key.isEmpty()) {
            line.kind = TIniLine::lkMalformed;
        } else {
            line.kind = TIniLine::lkKey;
            line.name = QString::fromUtf8(key);
            qsizetype at = eq + 1;
            while (at < body.size() && IsBlank(body[at]))
                ++at;
            line.valueAt = at;
            line.value = QString::fromUtf8(TrimBlanks(body.mid(at)));
        }
    }
    return line;
}

// What identifies one state of a file on disk: a rename gives a new inode,
// a write a new time or size.
struct TFileSignature {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    bool operator==(const TFileSignature& o) const
    {
        return exists == o.exists && device == o.device && inode == o.inode && size == o.size &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
               changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
    }
};

TFileSignature SignatureOf(const QString& path)
{
    TFileSignature s;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return s;
    s.exists = true;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    s.size = st.st_size;
    s.modified = st.st_mtim;
    s.changed = st.st_ctim;
    return s;
}

void CheckSectionName(const QString& name)
{
    if (TrimBlanks(name).isEmpty() || name.contains(u']') || name.contains(u'\n') || name.contains(u'\r'))
        throw EOrvaneError(MessageText(msg::SettingsNameInvalid, {name}));
}

void CheckKeyName(const QString& name)
{
    const QString trimmed = TrimBlanks(name);
    if (trimmed.isEmpty() || trimmed.startsWith(u'[') || trimmed.startsWith(u';') || trimmed.startsWith(u'#') ||
        name.contains(u'=') || name.contains(u'\n') || name.contains(u'\r'))
        throw EOrvaneError(MessageText(msg::SettingsNameInvalid, {name}));
}

} // namespace

// One file's lines, shared by every TIniFile open on it in this process.
class TIniDocument {
public:
    explicit TIniDocument(QString path) : m_path(std::move(path)) {}

    std::mutex mutex;

    // Reads the file again when it changed on disk since it was last read or
    // written; not during an update, whose changes are not on disk yet.
    void Refresh()
    {
        if (!m_updates.empty())
            return;
        const TFileSignature now = SignatureOf(m_path);
        if (m_loaded && now == m_signature)
            return;
        Load(now);
    }

    int FindKey(const QString& section, const QString& key) const
    {
        bool inside = false;
        for (size_t i = 0; i < m_lines.size(); ++i) {
            const TIniLine& line = m_lines[i];
            if (line.Ends())
                inside = line.kind == TIniLine::lkSection && SameName(line.name, section);
            else if (inside && line.kind == TIniLine::lkKey && SameName(line.name, key))
                return int(i);
        }
        return -1;
    }

    bool HasSection(const QString& section) const
    {
        for (const TIniLine& line : m_lines)
            if (line.kind == TIniLine::lkSection && SameName(line.name, section))
                return true;
        return false;
    }

    QStringList Sections() const
    {
        QStringList names;
        for (const TIniLine& line : m_lines)
            if (line.kind == TIniLine::lkSection &&
                std::none_of(names.begin(), names.end(), [&](const QString& n) { return SameName(n, line.name); }))
                names.append(line.name);
        return names;
    }

    QStringList Keys(const QString& section) const
    {
        QStringList names;
        bool inside = false;
        for (const TIniLine& line : m_lines) {
            if (line.Ends())
                inside = line.kind == TIniLine::lkSection && SameName(line.name, section);
            else if (inside && line.kind == TIniLine::lkKey &&
                     std::none_of(names.begin(), names.end(), [&](const QString& n) { return SameName(n, line.name); }))
                names.append(line.name);
        }
        return names;
    }

    const TIniLine& Line(int index) const { return m_lines[size_t(index)]; }

    // Sets a key; true when the document changed.
    bool Set(const QString& section, const QString& key, const QString& value)
    {
        const QByteArray bytes = value.toUtf8();
        const int found = FindKey(section, key);
        if (found >= 0) {
            TIniLine& line = m_lines[size_t(found)];
            if (line.value == TrimBlanks(value))
                return false;
            const bool cr = line.raw.endsWith('\r');
            line.raw = line.raw.left(line.valueAt) + bytes;
            if (cr)
                line.raw += '\r';
            line.value = TrimBlanks(value);
            return true;
        }
        TIniLine line = NewLine(TrimBlanks(key).toUtf8() + '=' + bytes);
        // After the section's last key or malformed line; its closing comments stay after it.
        for (size_t i = 0; i < m_lines.size(); ++i) {
            const TIniLine& header = m_lines[i];
            if (!(header.kind == TIniLine::lkSection || header.kind == TIniLine::lkErased) ||
                !SameName(header.name, section))
                continue;
            size_t at = i + 1;
            for (size_t j = i + 1; j < m_lines.size() && !m_lines[j].Ends(); ++j)
                if (m_lines[j].kind == TIniLine::lkKey || m_lines[j].kind == TIniLine::lkMalformed)
                    at = j + 1;
            if (header.kind == TIniLine::lkErased && HasSection(section))
                continue;  // the section was written again elsewhere after it was erased
            m_lines[i].kind = TIniLine::lkSection;
            Insert(at, std::move(line));
            return true;
        }
        // A blank line before the new section, unless the file is empty or ends in one.
        const auto last = std::find_if(m_lines.rbegin(), m_lines.rend(),
                                       [](const TIniLine& l) { return l.kind != TIniLine::lkErased; });
        if (last != m_lines.rend() && last->kind != TIniLine::lkBlank)
            Insert(m_lines.size(), NewLine(QByteArray()));
        Insert(m_lines.size(), NewLine('[' + TrimBlanks(section).toUtf8() + ']'));
        Insert(m_lines.size(), std::move(line));
        return true;
    }

    bool Erase(const QString& section)
    {
        bool changed = false;
        bool marked = false;  // one mark, where the section first stood
        for (size_t i = 0; i < m_lines.size();) {
            const TIniLine& header = m_lines[i];
            if (header.kind == TIniLine::lkErased && SameName(header.name, section) && !marked) {
                marked = true;
                ++i;
                continue;
            }
            if (header.kind != TIniLine::lkSection || !SameName(header.name, section)) {
                ++i;
                continue;
            }
            size_t end = i + 1;
            while (end < m_lines.size() && !m_lines[end].Ends())
                ++end;
            size_t keep = end;
            while (keep > i + 1 && (m_lines[keep - 1].kind == TIniLine::lkBlank ||
                                    m_lines[keep - 1].kind == TIniLine::lkComment))
                --keep;
            size_t from = i;
            if (!marked) {
                m_lines[i].kind = TIniLine::lkErased;
                marked = true;
                from = i + 1;
            }
            m_lines.erase(m_lines.begin() + ptrdiff_t(from), m_lines.begin() + ptrdiff_t(keep));
            i = from + (end - keep);
            changed = true;
        }
        return changed;
    }

    bool Delete(const QString& section, const QString& key)
    {
        const int found = FindKey(section, key);
        if (found < 0)
            return false;
        m_lines.erase(m_lines.begin() + found);
        return true;
    }

    void BeginUpdate()
    {
        Refresh();
        m_updates.push_back({m_lines, m_finalBreak, m_dirty});
    }

    // The outermost end writes the file; raises EOrvaneError.
    void EndUpdate()
    {
        if (m_updates.empty())
            return;
        m_updates.pop_back();
        Store();
    }

    void CancelUpdate()
    {
        if (m_updates.empty())
            return;
        TSnapshot& before = m_updates.back();
        m_lines = std::move(before.lines);
        m_finalBreak = before.finalBreak;
        m_dirty = before.dirty;
        m_updates.pop_back();
    }

    // After a change: written at once, or at the end of the update.
    void Store()
    {
        if (m_updates.empty())
            Flush();
    }

    // Writes the document when it differs from the file; raises EOrvaneError.
    void Flush()
    {
        if (!m_readError.isEmpty())
            throw EOrvaneError(MessageText(msg::SettingsNotRewritten, {m_path, m_readError}));
        if (!m_dirty)
            return;
        QDir().mkpath(QFileInfo(m_path).absolutePath());
        WriteWholeFile(m_path, Bytes());
        m_dirty = false;
        m_signature = SignatureOf(m_path);
    }

    void MarkDirty() { m_dirty = true; }

private:
    void Load(const TFileSignature& signature)
    {
        m_lines.clear();
        m_bom = false;
        m_finalBreak = true;
        m_crlf = false;
        m_dirty = false;
        m_readError.clear();
        m_loaded = true;
        m_signature = signature;
        TRegularFileRead read = ReadRegular(m_path, kIniFileLimit);
        switch (read.refusal) {
        case TRegularFileRead::rfNone: break;
        case TRegularFileRead::rfSystem:
            if (read.error != ENOENT)
                m_readError = SystemErrorText(read.error);
            return;
        case TRegularFileRead::rfNotRegular: m_readError = GetMessage(msg::NotRegularFile); return;
        case TRegularFileRead::rfTooLarge:
            m_readError = MessageText(msg::FileTooLarge, {QString::number(kIniFileLimit)});
            return;
        }
        QByteArray data = std::move(read.data);
        if (data.startsWith("\xEF\xBB\xBF")) {
            m_bom = true;
            data.remove(0, 3);
        }
        if (data.isEmpty())
            return;
        QList<QByteArray> parts = data.split('\n');
        m_finalBreak = data.endsWith('\n');
        if (m_finalBreak)
            parts.removeLast();
        m_crlf = !parts.isEmpty() && parts.front().endsWith('\r');
        m_lines.reserve(size_t(parts.size()));
        for (QByteArray& part : parts)
            m_lines.push_back(ParseLine(std::move(part)));
    }

    TIniLine NewLine(QByteArray raw) const
    {
        if (m_crlf)
            raw += '\r';
        return ParseLine(std::move(raw));
    }

    void Insert(size_t at, TIniLine line)
    {
        if (at == m_lines.size() && !m_finalBreak) {
            // The old last line gets the break it lacked.
            if (m_crlf && !m_lines.empty() && !m_lines.back().raw.endsWith('\r'))
                m_lines.back().raw += '\r';
            m_finalBreak = true;
        }
        m_lines.insert(m_lines.begin() + ptrdiff_t(at), std::move(line));
    }

    QByteArray Bytes() const
    {
        QByteArray out;
        if (m_bom)
            out += "\xEF\xBB\xBF";
        bool first = true;
        for (const TIniLine& line : m_lines) {
            if (line.kind == TIniLine::lkErased)
                continue;
            if (!first)
                out += '\n';
            out += line.raw;
            first = false;
        }
        if (!first && m_finalBreak)
            out += '\n';
        return out;
    }

    struct TSnapshot {
        std::vector<TIniLine> lines;
        bool finalBreak;
        bool dirty;
    };

    QString m_path;
    std::vector<TIniLine> m_lines;
    std::vector<TSnapshot> m_updates;  // the state at each open BeginUpdate
    bool m_loaded = false;
    bool m_bom = false;
    bool m_finalBreak = true;
    bool m_crlf = false;
    bool m_dirty = false;  // changed in memory and not yet on disk (a write failed)
    QString m_readError;   // why an existing file could not be read
    TFileSignature m_signature;
};

namespace {

std::shared_ptr<TIniDocument> SharedDocument(const QString& path)
{
    static std::mutex mutex;
    static std::map<QString, std::weak_ptr<TIniDocument>> documents;
    std::lock_guard lock(mutex);
    for (auto it = documents.begin(); it != documents.end();)
        it = it->second.expired() ? documents.erase(it) : std::next(it);
    std::weak_ptr<TIniDocument>& slot = documents[path];
    std::shared_ptr<TIniDocument> document = slot.lock();
    if (!document) {
        document = std::make_shared<TIniDocument>(path);
        slot = document;
    }
    return document;
}

// The name the document is shared under: links to one file lead to one document.
QString DocumentKey(const QString& fileName)
{
    QFileInfo info(fileName);
    const QString canonical = info.canonicalFilePath();
    if (!canonical.isEmpty())
        return canonical;
    // A link to a file not made yet leads where the file will be.
    for (int hops = 0; hops < 40 && info.isSymLink(); ++hops)
        info = QFileInfo(info.symLinkTarget());
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : folder + u'/' + info.fileName();
}

} // namespace

TIniFile::TIniFile(const QString& fileName)
    : m_fileName(QDir::cleanPath(QFileInfo(fileName).absoluteFilePath())),
      m_document(SharedDocument(DocumentKey(m_fileName)))
{
}

TIniFile::~TIniFile()
{
    while (m_openUpdates > 0)
        CancelUpdate();
}

bool TIniFile::SectionExists(const QString& section) const
{
    std::lock_guard lock(m_document->mutex);
    m_document->Refresh();
    return m_document->HasSection(section);
}

bool TIniFile::ValueExists(const QString& section, const QString& key) const
{
    return Value(section, key).has_value();
}

QStringList TIniFile::ReadSections() const
{
    std::lock_guard lock(m_document->mutex);
    m_document->Refresh();
    return m_document->Sections();
}

QStringList TIniFile::ReadSection(const QString& section) const
{
    std::lock_guard lock(m_document->mutex);
    m_document->Refresh();
    return m_document->Keys(section);
}

std::optional<QString> TIniFile::Value(const QString& section, const QString& key) const
{
    std::lock_guard lock(m_document->mutex);
    m_document->Refresh();
    const int found = m_document->FindKey(section, key);
    if (found < 0)
        return std::nullopt;
    return m_document->Line(found).value;
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const
{
    return Value(section, key).value_or(defaultValue);
}

int TIniFile::ReadInteger(const QString& section, const QString& key, int defaultValue) const
{
    const std::optional<QString> text = Value(section, key);
    return text ? ParseIniInteger(*text).value_or(defaultValue) : defaultValue;
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool defaultValue) const
{
    const std::optional<QString> text = Value(section, key);
    return text ? ParseIniBool(*text).value_or(defaultValue) : defaultValue;
}

double TIniFile::ReadFloat(const QString& section, const QString& key, double defaultValue) const
{
    const std::optional<QString> text = Value(section, key);
    return text ? ParseIniFloat(*text).value_or(defaultValue) : defaultValue;
}

QDate TIniFile::ReadDate(const QString& section, const QString& key, const QDate& defaultValue) const
{
    const std::optional<QString> text = Value(section, key);
    const QDate value = text ? QDate::fromString(*text, Qt::ISODate) : QDate();
    return value.isValid() ? value : defaultValue;
}

QDateTime TIniFile::ReadDateTime(const QString& section, const QString& key, const QDateTime& defaultValue) const
{
    const std::optional<QString> text = Value(section, key);
    const QDateTime value = text ? QDateTime::fromString(*text, Qt::ISODateWithMs) : QDateTime();
    return value.isValid() ? value : defaultValue;
}

QTime TIniFile::ReadTime(const QString& section, const QString& key, const QTime& defaultValue) const
{
    const std::optional<QString> text = Value(section, key);
    const QTime value = text ? QTime::fromString(*text, Qt::ISODateWithMs) : QTime();
    return value.isValid() ? value : defaultValue;
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    CheckSectionName(section);
    CheckKeyName(key);
    if (value.contains(u'\n') || value.contains(u'\r'))
        throw EOrvaneError(MessageText(msg::SettingsValueLineBreak, {key, section}));
    std::lock_guard lock(m_document->mutex);
    m_document->Refresh();
    if (m_document->Set(section, key, value))
        m_document->MarkDirty();
    m_document->Store();
}

void TIniFile::WriteInteger(const QString& section, const QString& key, int value)
{
    WriteString(section, key, QString::number(value));
}

void TIniFile::WriteBool(const QString& section, const QString& key, bool value)
{
    WriteString(section, key, IniBoolText(value));
}

void TIniFile::WriteFloat(const QString& section, const QString& key, double value)
{
    WriteString(section, key, IniFloatText(value));
}

void TIniFile::WriteDate(const QString& section, const QString& key, const QDate& value)
{
    WriteString(section, key, IniDateText(value));
}

void TIniFile::WriteDateTime(const QString& section, const QString& key, const QDateTime& value)
{
    WriteString(section, key, IniDateTimeText(value));
}

void TIniFile::WriteTime(const QString& section, const QString& key, const QTime& value)
{
    WriteString(section, key, IniTimeText(value));
}

void TIniFile::EraseSection(const QString& section)
{
    std::lock_guard lock(m_document->mutex);
    m_document->Refresh();
    if (m_document->Erase(section))
        m_document->MarkDirty();
    m_document->Store();
}

void TIniFile::DeleteKey(const QString& section, const QString& key)
{
    std::lock_guard lock(m_document->mutex);
    m_document->Refresh();
    if (m_document->Delete(section, key))
        m_document->MarkDirty();
    m_document->Store();
}

void TIniFile::BeginUpdate()
{
    std::lock_guard lock(m_document->mutex);
    m_document->BeginUpdate();
    ++m_openUpdates;
}

void TIniFile::EndUpdate()
{
    if (m_openUpdates == 0)
        return;
    --m_openUpdates;
    std::lock_guard lock(m_document->mutex);
    m_document->EndUpdate();
}

void TIniFile::CancelUpdate()
{
    if (m_openUpdates == 0)
        return;
    --m_openUpdates;
    std::lock_guard lock(m_document->mutex);
    m_document->CancelUpdate();
}

QString IniBoolText(bool value) { return value ? QStringLiteral("1") : QStringLiteral("0"); }

QString IniFloatText(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

QString IniDateText(const QDate& value) { return value.toString(Qt::ISODate); }

QString IniTimeText(const QTime& value)
{
    return value.toString(value.msec() ? Qt::ISODateWithMs : Qt::ISODate);
}

QString IniDateTimeText(const QDateTime& value)
{
    // Local wall-clock time without a zone, as the value was given.
    const QDateTime local(value.date(), value.time());
    return local.toString(value.time().msec() ? Qt::ISODateWithMs : Qt::ISODate);
}

std::optional<int> ParseIniInteger(QStringView text)
{
    const QByteArray bytes = TrimBlanks(text.toString()).toLatin1();
    const char* p = bytes.constData();
    const char* end = p + bytes.size();
    bool negative = false;
    if (p < end && (*p == '-' || *p == '+'))
        negative = *p++ == '-';
    int base = 10;
    if (p < end && *p == '$') {
        base = 16;
        ++p;
    } else if (end - p > 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        base = 16;
        p += 2;
    }
    if (p == end || *p == '-' || *p == '+')
        return std::nullopt;
    long long value = 0;
    const auto [ptr, ec] = std::from_chars(p, end, value, base);
    if (ec != std::errc() || ptr != end)
        return std::nullopt;
    if (negative)
        value = -value;
    // Hexadecimal colours such as $FF000008 are 32-bit patterns.
    if (base == 16 && !negative && value > INT32_MAX && value <= UINT32_MAX)
        return int(int64_t(value) - (int64_t(1) << 32));
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return int(value);
}

std::optional<bool> ParseIniBool(QStringView text)
{
    const QString trimmed = TrimBlanks(text.toString());
    if (trimmed.compare(u"true", Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(u"false", Qt::CaseInsensitive) == 0)
        return false;
    if (const std::optional<int> value = ParseIniInteger(trimmed))
        return *value != 0;
    return std::nullopt;
}

std::optional<double> ParseIniFloat(QStringView text)
{
    const QByteArray bytes = TrimBlanks(text.toString()).toLatin1();
    const char* p = bytes.constData();
    const char* end = p + bytes.size();
    if (p < end && *p == '+')
        ++p;
    double value = 0;
    const auto [ptr, ec] = std::from_chars(p, end, value);
    if (p == end || ec != std::errc() || ptr != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString OrvaneConfigFolder()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return QDir::cleanPath(base + QStringLiteral("/orvane"));
}

} // namespace orvane
