#pragma once

// Where the designer keeps user preferences: a store of sections and keys of
// a kind chosen for the process (an INI file or the registry-like store),
// opened fresh for every load or save and freed after it.

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QTime>

#include <memory>
#include <utility>

namespace orvane {

class TFont;
class TIniFile;
class TjxIniStorage;

// A storage class as the registry and the designer's IniStorageType know it.
struct TjxIniStorageClass {
    QString typeName;            // "IniFile", "Registry"
    QString defaultStorageName;  // the name used when none is given
    std::unique_ptr<TjxIniStorage> (*create)(const QString& name);
};

// Reads return the default when the section or key is missing or its text
// does not read as the type; writes raise EOrvaneError when the store cannot
// be written, and leave what was stored before.
class TjxIniStorage {
public:
    explicit TjxIniStorage(const QString& name) : m_name(name) {}
    virtual ~TjxIniStorage() = default;
    TjxIniStorage(const TjxIniStorage&) = delete;
    TjxIniStorage& operator=(const TjxIniStorage&) = delete;

    const QString& Name() const { return m_name; }
    virtual const TjxIniStorageClass& StorageClass() const = 0;

    virtual void EraseSection(const QString& section) = 0;
    virtual bool ReadBool(const QString& section, const QString& key, bool defaultValue) const = 0;
    virtual QDate ReadDate(const QString& section, const QString& key, const QDate& defaultValue) const = 0;
    virtual QDateTime ReadDateTime(const QString& section, const QString& key,
                                   const QDateTime& defaultValue) const = 0;
    virtual double ReadFloat(const QString& section, const QString& key, double defaultValue) const = 0;
    virtual int ReadInteger(const QString& section, const QString& key, int defaultValue) const = 0;
    virtual QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const = 0;
    virtual QTime ReadTime(const QString& section, const QString& key, const QTime& defaultValue) const = 0;
    virtual void WriteBool(const QString& section, const QString& key, bool value) = 0;
    virtual void WriteDate(const QString& section, const QString& key, const QDate& value) = 0;
    virtual void WriteDateTime(const QString& section, const QString& key, const QDateTime& value) = 0;
    virtual void WriteFloat(const QString& section, const QString& key, double value) = 0;
    virtual void WriteInteger(const QString& section, const QString& key, int value) = 0;
    virtual void WriteString(const QString& section, const QString& key, const QString& value) = 0;
    virtual void WriteTime(const QString& section, const QString& key, const QTime& value) = 0;

    // Gathers the writes up to the matching EndUpdate into one store, which
    // EndUpdate makes (raising EOrvaneError when it cannot); CancelUpdate
    // drops them. Stores without this write at once. See TjxIniStorageUpdate.
    virtual void BeginUpdate() {}
    virtual void EndUpdate() {}
    virtual void CancelUpdate() {}

private:
    QString m_name;
};

// One update of a storage: Commit stores the writes made since it began; an
// update left without Commit (an exception on the way) drops them.
class TjxIniStorageUpdate {
public:
    explicit TjxIniStorageUpdate(TjxIniStorage& storage) : m_storage(&storage) { storage.BeginUpdate(); }
    ~TjxIniStorageUpdate()
    {
        if (m_storage)
            m_storage->CancelUpdate();
    }
    TjxIniStorageUpdate(const TjxIniStorageUpdate&) = delete;
    TjxIniStorageUpdate& operator=(const TjxIniStorageUpdate&) = delete;

    // Raises EOrvaneError when the store cannot be written.
    void Commit()
    {
        TjxIniStorage* storage = std::exchange(m_storage, nullptr);
        if (storage)
            storage->EndUpdate();
    }

private:
    TjxIniStorage* m_storage;
};

// A storage kept in a section/key file object that a derived class supplies.
// Derived constructors call Open() last, when CreateIniFile is theirs.
class TjxCustomIniFileStorage : public TjxIniStorage {
public:
    using TjxIniStorage::TjxIniStorage;
    ~TjxCustomIniFileStorage() override;

    // The file behind the store (after Open).
    const TIniFile& IniFile() const { return *m_iniFile; }

    void EraseSection(const QString& section) override;
    bool ReadBool(const QString& section, const QString& key, bool defaultValue) const override;
    QDate ReadDate(const QString& section, const QString& key, const QDate& defaultValue) const override;
    QDateTime ReadDateTime(const QString& section, const QString& key, const QDateTime& defaultValue) const override;
    double ReadFloat(const QString& section, const QString& key, double defaultValue) const override;
    int ReadInteger(const QString& section, const QString& key, int defaultValue) const override;
    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const override;
    QTime ReadTime(const QString& section, const QString& key, const QTime& defaultValue) const override;
    void WriteBool(const QString& section, const QString& key, bool value) override;
    void WriteDate(const QString& section, const QString& key, const QDate& value) override;
    void WriteDateTime(const QString& section, const QString& key, const QDateTime& value) override;
    void WriteFloat(const QString& section, const QString& key, double value) override;
    void WriteInteger(const QString& section, const QString& key, int value) override;
    void WriteString(const QString& section, const QString& key, const QString& value) override;
    void WriteTime(const QString& section, const QString& key, const QTime& value) override;
    void BeginUpdate() override;
    void EndUpdate() override;
    void CancelUpdate() override;

protected:
    virtual std::unique_ptr<TIniFile> CreateIniFile(const QString& name) = 0;
    void Open();

private:
    std::unique_ptr<TIniFile> m_iniFile;
};

// An INI file. "($WINSYS)\" is removed from the name wherever it stands,
// ignoring case, and "\" separates folders. A relative name lives in the
// user's Orvane settings folder (OrvaneConfigFolder), which stands in for the
// system folder of bare names; "./" and "../" names are relative to the
// current directory; an absolute name is used as it is.
class TjxIniFile : public TjxCustomIniFileStorage {
public:
    explicit TjxIniFile(const QString& name);
    static const TjxIniStorageClass& StaticClass();
    const TjxIniStorageClass& StorageClass() const override { return StaticClass(); }
    static QString FileNameFor(const QString& name);

protected:
    std::unique_ptr<TIniFile> CreateIniFile(const QString& name) override;
};

// The registry-like store: a key name such as "Orvane" (subkeys separated by
// "\") rooted in the settings folder, kept by the same engine in a file whose
// name ends in ".registry" and whose base is the key's last part, beside the
// INI files; a name ending in ".ini" therefore never leads to it. Sections are
// the subkeys, keys the values.
class TjxRegistry : public TjxCustomIniFileStorage {
public:
    explicit TjxRegistry(const QString& name);
    static const TjxIniStorageClass& StaticClass();
    const TjxIniStorageClass& StorageClass() const override { return StaticClass(); }
    static QString FileNameFor(const QString& name);

protected:
    std::unique_ptr<TIniFile> CreateIniFile(const QString& name) override;
};

// The storage classes known by type name: TjxIniFile and then TjxRegistry
// from the start of the process.
class TjxIniStoragePlugIns {
public:
    static void Register(const TjxIniStorageClass& storageClass);
    static void UnRegister(const TjxIniStorageClass& storageClass);
    // The first class whose type name matches, ignoring case; null when none.
    static const TjxIniStorageClass* Find(const QString& typeName);
    static QList<const TjxIniStorageClass*> Classes();
};

// The storage every designer reader and writer opens: its class and name are
// the process's (TjxIniFile with "($WINSYS)\Orvane.ini" at start).
class TjxIniStoragePlugIn {
public:
    static const TjxIniStorageClass& CurrentClass();
    static void SetCurrentClass(const TjxIniStorageClass& storageClass);
    static QString CurrentName();
    static void SetCurrentName(const QString& name);
    // A new storage of the current class opened with the current name.
    static std::unique_ptr<TjxIniStorage> CreateInstance();
};

// Fonts as prefix + "Name", "Size", "Color", "Charset", "Bold", "Italic",
// "Underline", "StrikeOut". Missing keys read as Arial 12, window-text colour,
// character set 1, no styles; a size below 1, a character set outside 0..255
// or an empty name read as those defaults too.
void ReadFont(const TjxIniStorage& storage, const QString& section, const QString& prefix, TFont& font);
void WriteFont(TjxIniStorage& storage, const QString& section, const QString& prefix, const TFont& font);

} // namespace orvane
