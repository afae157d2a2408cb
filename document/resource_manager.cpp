#include "document/resource_manager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <mutex>

namespace orvane {

namespace {

constexpr const char* kSuffixes[] = {
    "dft", "dan", "nld", "eng", "fra", "deu", "ita", "ptb", "ptg", "esp", "esm", "sve", "nor", "cst",
};

bool IsLanguage(TjxLanguageType language)
{
    return language >= lgDefault && language <= lgCustom;
}

bool SameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// What a string resource read into the fixed buffer keeps.
QString Clipped(QString text)
{
    constexpr int kMaxChars = TjxResourceManager::kStringBufferSize - 1;
    if (text.size() > kMaxChars) {
        text.truncate(kMaxChars);
        if (text.back().isHighSurrogate())
            text.chop(1);
    }
    return text;
}

// The file named fileName in folder, compared without regard to case as the
// module names were on the platform they come from.
QString FindFile(const QString& folder, const QString& fileName)
{
    const QDir dir(folder);
    const QString exact = dir.filePath(fileName);
    if (QFileInfo(exact).isFile())
        return exact;
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& entry : entries) {
        if (SameName(entry, fileName))
            return dir.filePath(entry);
    }
    return {};
}

} // namespace

const QStringList& LanguageTypeNames()
{
    static const QStringList names = {
        QStringLiteral("lgDefault"),   QStringLiteral("lgDanish"),           QStringLiteral("lgDutch"),
        QStringLiteral("lgEnglish"),   QStringLiteral("lgFrench"),           QStringLiteral("lgGerman"),
        QStringLiteral("lgItalian"),   QStringLiteral("lgPortugueseBrazil"), QStringLiteral("lgPortuguese"),
        QStringLiteral("lgSpanish"),   QStringLiteral("lgSpanishMexico"),    QStringLiteral("lgSwedish"),
        QStringLiteral("lgNorwegian"), QStringLiteral("lgCustom"),
    };
    return names;
}

QString LanguageSuffix(TjxLanguageType language)
{
    if (!IsLanguage(language))
        return {};
    return QString::fromLatin1(kSuffixes[language]);
}

TjxResourceManager::TjxResourceManager() : m_searchPath(DefaultSearchPath()) {}

TjxResourceManager::~TjxResourceManager() = default;

TjxResourceManager& TjxResourceManager::Instance()
{
    static TjxResourceManager manager;
    static const bool registered = (manager.AddModule(kPrintModuleName), true);
    (void)registered;
    return manager;
}

QStringList TjxResourceManager::DefaultSearchPath()
{
    const QFileInfo program(QFile::symLinkTarget(QStringLiteral("/proc/self/exe")));
    if (program.fileName().isEmpty())
        return {QDir::currentPath()};
    return {program.absolutePath()};
}

TjxLanguageType TjxResourceManager::Language() const
{
    std::shared_lock lock(m_lock);
    return m_language;
}

bool TjxResourceManager::SetLanguage(TjxLanguageType language)
{
    if (!IsLanguage(language))
        return false;
    std::unique_lock lock(m_lock);
    const TjxLanguageType previous = m_language;
    m_language = language;
    if (language != previous)
        m_modulesLoaded = false;
    if (!m_modulesLoaded)
        ReloadModules();
    if (language == lgDefault || m_loadedCount > 0)
        return true;
    // Keep the previous language whole: with its modules released the texts
    // would come out in English while the language still claimed otherwise,
    // and asking for that language again would not reload them.
    m_language = previous;
    if (language != previous)
        ReloadModules();
    return false;
}

void TjxResourceManager::AddModule(const QString& baseName)
{
    std::unique_lock lock(m_lock);
    if (baseName.isEmpty() || FindModule(baseName) != m_modules.end())
        return;
    Module module;
    module.baseName = baseName;
    if (LoadModule(module, m_language))
        ++m_loadedCount;
    m_modules.push_back(std::move(module));
}

void TjxResourceManager::RemoveModule(const QString& baseName)
{
    std::unique_lock lock(m_lock);
    const auto it = FindModule(baseName);
    if (it == m_modules.end())
        return;
    if (it->table)
        --m_loadedCount;
    m_modules.erase(it);
}

QStringList TjxResourceManager::ModuleNames() const
{
    std::shared_lock lock(m_lock);
    QStringList names;
    for (const Module& module : m_modules)
        names.append(module.baseName);
    return names;
}

QString TjxResourceManager::ModuleFileName(const QString& baseName) const
{
    std::shared_lock lock(m_lock);
    const auto it = FindModule(baseName);
    return it == m_modules.end() ? QString() : it->fileName;
}

int TjxResourceManager::LoadedModuleCount() const
{
    std::shared_lock lock(m_lock);
    return m_loadedCount;
}

bool TjxResourceManager::ModulesLoaded() const
{
    std::shared_lock lock(m_lock);
    return m_modulesLoaded;
}

QStringList TjxResourceManager::SearchPath() const
{
    std::shared_lock lock(m_lock);
    return m_searchPath;
}

void TjxResourceManager::SetSearchPath(const QStringList& folders)
{
    std::unique_lock lock(m_lock);
    m_searchPath = folders;
}

QString TjxResourceManager::GetMessage(int numberOrIdentifier) const
{
    {
        std::shared_lock lock(m_lock);
        if (m_loadedCount > 0) {
            for (const Module& module : m_modules) {
                if (!module.table)
                    continue;
                QString text = module.table->Text(numberOrIdentifier);
                if (!text.isEmpty())
                    return Clipped(std::move(text));
            }
        }
    }
    return Clipped(BuiltInMessages().Text(numberOrIdentifier));
}

bool TjxResourceManager::LoadModule(Module& module, TjxLanguageType language) const
{
    module.fileName.clear();
    module.table.reset();
    const QString fileName = module.baseName + u'.' + LanguageSuffix(language);
    for (const QString& folder : m_searchPath) {
        const QString path = FindFile(folder, fileName);
        if (path.isEmpty())
            continue;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        // A file that is not a message table is no language module.
        TjxMessageTableIssues issues;
        auto table = std::make_unique<TjxMessageTable>(TjxMessageTable::Parse(file.readAll(), &issues));
        if (issues.invalidUtf8 || !issues.malformedLines.isEmpty())
            continue;
        module.fileName = path;
        module.table = std::move(table);
        return true;
    }
    return false;
}

void TjxResourceManager::ReloadModules()
{
    for (Module& module : m_modules) {
        module.table.reset();
        module.fileName.clear();
    }
    m_loadedCount = 0;
    for (Module& module : m_modules) {
        if (LoadModule(module, m_language))
            ++m_loadedCount;
    }
    m_modulesLoaded = true;
}

std::vector<TjxResourceManager::Module>::iterator TjxResourceManager::FindModule(const QString& baseName)
{
    return std::find_if(m_modules.begin(), m_modules.end(),
                        [&](const Module& module) { return SameName(module.baseName, baseName); });
}

std::vector<TjxResourceManager::Module>::const_iterator TjxResourceManager::FindModule(const QString& baseName) const
{
    return std::find_if(m_modules.begin(), m_modules.end(),
                        [&](const Module& module) { return SameName(module.baseName, baseName); });
}

} // namespace orvane
