#include "designer/settings/ini_storage.h"

#include "designer/settings/settings_keys.h"
#include "document/graphic_objects.h"
#include "platform/file_io.h"
#include "platform/ini_file.h"

#include <QDir>

#include <mutex>

namespace orvane {

TjxCustomIniFileStorage::~TjxCustomIniFileStorage() = default;

void TjxCustomIniFileStorage::Open()
{
    m_iniFile = CreateIniFile(Name());
}

void TjxCustomIniFileStorage::EraseSection(const QString& section)
{
    m_iniFile->EraseSection(section);
}

bool TjxCustomIniFileStorage::ReadBool(const QString& section, const QString& key, bool defaultValue) const
{
    return m_iniFile->ReadBool(section, key, defaultValue);
}

QDate TjxCustomIniFileStorage::ReadDate(const QString& section, const QString& key, const QDate& defaultValue) const
{
    return m_iniFile->ReadDate(section, key, defaultValue);
}

QDateTime TjxCustomIniFileStorage::ReadDateTime(const QString& section, const QString& key,
                                                const QDateTime& defaultValue) const
{
    return m_iniFile->ReadDateTime(section, key, defaultValue);
}

double TjxCustomIniFileStorage::ReadFloat(const QString& section, const QString& key, double defaultValue) const
{
    return m_iniFile->ReadFloat(section, key, defaultValue);
}

int TjxCustomIniFileStorage::ReadInteger(const QString& section, const QString& key, int defaultValue) const
{
    return m_iniFile->ReadInteger(section, key, defaultValue);
}

QString TjxCustomIniFileStorage::ReadString(const QString& section, const QString& key,
                                            const QString& defaultValue) const
{
    return m_iniFile->ReadString(section, key, defaultValue);
}

QTime TjxCustomIniFileStorage::ReadTime(const QString& section, const QString& key, const QTime& defaultValue) const
{
    return m_iniFile->ReadTime(section, key, defaultValue);
}

void TjxCustomIniFileStorage::WriteBool(const QString& section, const QString& key, bool value)
{
    m_iniFile->WriteBool(section, key, value);
}

void TjxCustomIniFileStorage::WriteDate(const QString& section, const QString& key, const QDate& value)
{
    m_iniFile->WriteDate(section, key, value);
}

void TjxCustomIniFileStorage::WriteDateTime(const QString& section, const QString& key, const QDateTime& value)
{
    m_iniFile->WriteDateTime(section, key, value);
}

void TjxCustomIniFileStorage::WriteFloat(const QString& section, const QString& key, double value)
{
    m_iniFile->WriteFloat(section, key, value);
}

void TjxCustomIniFileStorage::WriteInteger(const QString& section, const QString& key, int value)
{
    m_iniFile->WriteInteger(section, key, value);
}

void TjxCustomIniFileStorage::WriteString(const QString& section, const QString& key, const QString& value)
{
    m_iniFile->WriteString(section, key, value);
}

void TjxCustomIniFileStorage::WriteTime(const QString& section, const QString& key, const QTime& value)
{
    m_iniFile->WriteTime(section, key, value);
}

void TjxCustomIniFileStorage::BeginUpdate()
{
    m_iniFile->BeginUpdate();
}

void TjxCustomIniFileStorage::EndUpdate()
{
    m_iniFile->EndUpdate();
}

void TjxCustomIniFileStorage::CancelUpdate()
{
    m_iniFile->CancelUpdate();
}

TjxIniFile::TjxIniFile(const QString& name) : TjxCustomIniFileStorage(name)
{
    Open();
}

const TjxIniStorageClass& TjxIniFile::StaticClass()
{
    static const TjxIniStorageClass info{
        QStringLiteral("IniFile"), QStringLiteral("($WINSYS)\\Orvane.ini"),
        [](const QString& name) -> std::unique_ptr<TjxIniStorage> { return std::make_unique<TjxIniFile>(name); }};
    return info;
}

QString TjxIniFile::FileNameFor(const QString& name)
{
    QString path = name;
    path.remove(QStringLiteral("($WINSYS)\\"), Qt::CaseInsensitive);
    path = ResolveFileName(path);
    if (path.isEmpty())
        path = QStringLiteral("Orvane.ini");
    if (QDir::isAbsolutePath(path))
        return QDir::cleanPath(path);
    if (path == u"." || path == u".." || path.startsWith(u"./") || path.startsWith(u"../"))
        return QDir::cleanPath(QDir::current().absoluteFilePath(path));
    return QDir::cleanPath(OrvaneConfigFolder() + u'/' + path);
}

std::unique_ptr<TIniFile> TjxIniFile::CreateIniFile(const QString& name)
{
    return std::make_unique<TIniFile>(FileNameFor(name));
}

TjxRegistry::TjxRegistry(const QString& name) : TjxCustomIniFileStorage(name)
{
    Open();
}

const TjxIniStorageClass& TjxRegistry::StaticClass()
{
    static const TjxIniStorageClass info{
        QStringLiteral("Registry"), QStringLiteral("Orvane"),
        [](const QString& name) -> std::unique_ptr<TjxIniStorage> { return std::make_unique<TjxRegistry>(name); }};
    return info;
}

QString TjxRegistry::FileNameFor(const QString& name)
{
    // Key parts only: "." and ".." never lead out of the settings folder.
    QStringList parts;
    for (const QString& part : ResolveFileName(name).split(u'/', Qt::SkipEmptyParts))
        if (part != u"." && part != u"..")
            parts.append(part);
    if (parts.isEmpty())
        parts.append(StaticClass().defaultStorageName);
    return OrvaneConfigFolder() + u'/' + parts.join(u'/') + QStringLiteral(".registry");
}

std::unique_ptr<TIniFile> TjxRegistry::CreateIniFile(const QString& name)
{
    return std::make_unique<TIniFile>(FileNameFor(name));
}

namespace {

struct TPlugIns {
    std::mutex mutex;
    QList<const TjxIniStorageClass*> classes;
    const TjxIniStorageClass* current = &TjxIniFile::StaticClass();
    QString currentName = TjxIniFile::StaticClass().defaultStorageName;

    TPlugIns() { classes = {&TjxIniFile::StaticClass(), &TjxRegistry::StaticClass()}; }
};

TPlugIns& PlugIns()
{
    static TPlugIns plugIns;
    return plugIns;
}

} // namespace

void TjxIniStoragePlugIns::Register(const TjxIniStorageClass& storageClass)
{
    TPlugIns& p = PlugIns();
    std::lock_guard lock(p.mutex);
    if (!p.classes.contains(&storageClass))
        p.classes.append(&storageClass);
}

void TjxIniStoragePlugIns::UnRegister(const TjxIniStorageClass& storageClass)
{
    TPlugIns& p = PlugIns();
    std::lock_guard lock(p.mutex);
    p.classes.removeAll(&storageClass);
}

const TjxIniStorageClass* TjxIniStoragePlugIns::Find(const QString& typeName)
{
    TPlugIns& p = PlugIns();
    std::lock_guard lock(p.mutex);
    for (const TjxIniStorageClass* c : p.classes)
        if (c->typeName.compare(typeName, Qt::CaseInsensitive) == 0)
            return c;
    return nullptr;
}

QList<const TjxIniStorageClass*> TjxIniStoragePlugIns::Classes()
{
    TPlugIns& p = PlugIns();
    std::lock_guard lock(p.mutex);
    return p.classes;
}

const TjxIniStorageClass& TjxIniStoragePlugIn::CurrentClass()
{
    TPlugIns& p = PlugIns();
    std::lock_guard lock(p.mutex);
    return *p.current;
}

void TjxIniStoragePlugIn::SetCurrentClass(const TjxIniStorageClass& storageClass)
{
    TPlugIns& p = PlugIns();
    std::lock_guard lock(p.mutex);
    p.current = &storageClass;
}

QString TjxIniStoragePlugIn::CurrentName()
{
    TPlugIns& p = PlugIns();
    std::lock_guard lock(p.mutex);
    return p.currentName;
}

void TjxIniStoragePlugIn::SetCurrentName(const QString& name)
{
    TPlugIns& p = PlugIns();
    std::lock_guard lock(p.mutex);
    p.currentName = name;
}

std::unique_ptr<TjxIniStorage> TjxIniStoragePlugIn::CreateInstance()
{
    const TjxIniStorageClass* storageClass;
    QString name;
    {
        TPlugIns& p = PlugIns();
        std::lock_guard lock(p.mutex);
        storageClass = p.current;
        name = p.currentName;
    }
    return storageClass->create(name);
}

void ReadFont(const TjxIniStorage& storage, const QString& section, const QString& prefix, TFont& font)
{
    using namespace settings;
    const QString name = storage.ReadString(section, prefix + kFontName, kReadFontName);
    font.SetName(name.isEmpty() ? QString(kReadFontName) : name);
    const int size = storage.ReadInteger(section, prefix + kFontSize, kReadFontSize);
    font.SetSize(size >= 1 ? size : kReadFontSize);
    font.SetColor(storage.ReadInteger(section, prefix + kFontColor, kReadFontColor));
    const int charset = storage.ReadInteger(section, prefix + kFontCharset, kReadFontCharset);
    font.SetCharset(TFontCharset(charset >= 0 && charset <= 255 ? charset : kReadFontCharset));
    TFontStyles style = 0;
    const std::pair<QLatin1String, TFontStyle> styles[] = {
        {kFontBold, fsBold}, {kFontItalic, fsItalic}, {kFontUnderline, fsUnderline}, {kFontStrikeOut, fsStrikeOut}};
    for (const auto& [key, bit] : styles)
        if (storage.ReadBool(section, prefix + key, false))
            style |= 1u << bit;
    font.SetStyle(style);
}

void WriteFont(TjxIniStorage& storage, const QString& section, const QString& prefix, const TFont& font)
{
    using namespace settings;
    TjxIniStorageUpdate update(storage);
    storage.WriteString(section, prefix + kFontName, font.Name());
    storage.WriteInteger(section, prefix + kFontSize, font.Size());
    storage.WriteInteger(section, prefix + kFontColor, font.Color());
    storage.WriteInteger(section, prefix + kFontCharset, font.Charset());
    storage.WriteBool(section, prefix + kFontBold, font.HasStyle(fsBold));
    storage.WriteBool(section, prefix + kFontItalic, font.HasStyle(fsItalic));
    storage.WriteBool(section, prefix + kFontUnderline, font.HasStyle(fsUnderline));
    storage.WriteBool(section, prefix + kFontStrikeOut, font.HasStyle(fsStrikeOut));
    update.Commit();
}

} // namespace orvane
