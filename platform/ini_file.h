#pragma once

// Settings files of sections and keys, read and written by our own engine so
// that a file people edit by hand survives the program.
//
// Lines
// - "[Name]" opens a section; "Name=value" is a key. Sections and keys match
//   ignoring case; the first key of a name wins (a section that appears twice
//   is read as one).
// - A line starting with ";" or "#" is a comment. Comments, blank lines, lines
//   before the first section, malformed lines ("[open", "no equals sign"), a
//   byte order mark, CR LF endings and a missing final line break are all
//   written back byte for byte. A changed key keeps its own spelling and what
//   precedes its value ("showdata = 1"); new lines take the file's line ending.
// - Values are the raw text after "=", blanks and tabs around it trimmed: no
//   quoting, no escapes, no percent-encoding, no splitting at commas. Text is
//   UTF-8. A value with a line break, a section name with "]" and a key name
//   with "=" would change the file's structure and are refused (EOrvaneError).
// - Erasing a section removes its header, keys and malformed lines; the run of
//   comments and blank lines at its end stays, as it introduces what follows.
//   Writing the section again puts it back where it was.
//
// Value formats
// - Booleans are written "1" and "0" and read as an integer other than 0, or
//   as "true"/"false" in any case.
// - Integers are written in decimal and read in decimal, or in hexadecimal as
//   "$1F" or "0x1F".
// - Floats are written with std::to_chars (the shortest text that reads back
//   the same value) and read with std::from_chars: always "." as the decimal
//   separator, whatever the locale.
// - Dates, times and date-times are ISO 8601 without a zone: "2026-12-10",
//   "13:05:00", "2026-12-10T13:05:00", with ".zzz" when there are milliseconds.
// - Text that does not read as the asked type yields the caller's default,
//   as a missing section or key does.
//
// Writing
// - Every change goes to disk at once, so an error surfaces at the call that
//   caused it, or at the end of an update that gathers several changes into
//   one write (BeginUpdate, EndUpdate). The whole file is written to a temporary file beside it and
//   renamed over the old one only when complete: a crash leaves either the old
//   file or the new one. The folder is made when first needed. A write that
//   changes nothing does not touch the file.
// - A file that exists but cannot be read (no permission, not a regular file,
//   too large) reads as empty and is never written over.
// - All TIniFile objects on one path in a process share one document, so two
//   open at once never lose each other's keys. Before each operation the file
//   is read again when it changed on disk (another process, an editor).

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTime>

#include <memory>
#include <optional>

namespace orvane {

class TIniDocument;

// The largest settings file read: larger ones are treated as unreadable.
constexpr qint64 kIniFileLimit = qint64(16) << 20;

class TIniFile {
public:
    // Opens the file (absolute name); nothing is created until a write.
    explicit TIniFile(const QString& fileName);
    ~TIniFile();
    TIniFile(const TIniFile&) = delete;
    TIniFile& operator=(const TIniFile&) = delete;

    const QString& FileName() const { return m_fileName; }

    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& key) const;
    // Section names in file order, each once, as first spelled in the file.
    QStringList ReadSections() const;
    // Key names of a section in file order, each once.
    QStringList ReadSection(const QString& section) const;
    // The raw value, or nothing when the section or key is missing.
    std::optional<QString> Value(const QString& section, const QString& key) const;

    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
    int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
    bool ReadBool(const QString& section, const QString& key, bool defaultValue) const;
    double ReadFloat(const QString& section, const QString& key, double defaultValue) const;
    QDate ReadDate(const QString& section, const QString& key, const QDate& defaultValue) const;
    QDateTime ReadDateTime(const QString& section, const QString& key, const QDateTime& defaultValue) const;
    QTime ReadTime(const QString& section, const QString& key, const QTime& defaultValue) const;

    // Writes raise EOrvaneError when the value cannot be stored or the file
    // cannot be written; the file on disk is then unchanged.
    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteBool(const QString& section, const QString& key, bool value);
    void WriteFloat(const QString& section, const QString& key, double value);
    void WriteDate(const QString& section, const QString& key, const QDate& value);
    void WriteDateTime(const QString& section, const QString& key, const QDateTime& value);
    void WriteTime(const QString& section, const QString& key, const QTime& value);

    void EraseSection(const QString& section);
    void DeleteKey(const QString& section, const QString& key);

    // Changes between BeginUpdate and EndUpdate, by any TIniFile on the
    // file, reach the disk in one write at the outermost EndUpdate, which
    // raises EOrvaneError when it fails. CancelUpdate drops the changes made
    // since its BeginUpdate. Updates nest; they belong to one thread.
    void BeginUpdate();
    void EndUpdate();
    void CancelUpdate();

private:
    QString m_fileName;
    std::shared_ptr<TIniDocument> m_document;
    int m_openUpdates = 0;  // cancelled when the object goes first
};

// The value texts, shared with anything that stores settings values elsewhere.
QString IniBoolText(bool value);
QString IniFloatText(double value);
QString IniDateText(const QDate& value);
QString IniTimeText(const QTime& value);
QString IniDateTimeText(const QDateTime& value);
std::optional<int> ParseIniInteger(QStringView text);
std::optional<bool> ParseIniBool(QStringView text);
std::optional<double> ParseIniFloat(QStringView text);

// The folder of the user's Orvane settings: $XDG_CONFIG_HOME/orvane, or
// ~/.config/orvane when that variable is unset, empty or not absolute.
QString OrvaneConfigFolder();

} // namespace orvane
