#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <shared_mutex>
#include <vector>

#include "document/message_table.h"

namespace orvane {

enum TjxLanguageType : int {
    lgDefault, lgDanish, lgDutch, lgEnglish, lgFrench, lgGerman, lgItalian, lgPortugueseBrazil,
    lgPortuguese, lgSpanish, lgSpanishMexico, lgSwedish, lgNorwegian, lgCustom
};

// The value names in order ("lgDefault", "lgDanish", ...), as streams write them.
const QStringList& LanguageTypeNames();
// The module file suffix of a language ("deu" for lgGerman); empty for a value outside the type.
QString LanguageSuffix(TjxLanguageType language);

// Base names of the language modules.
inline constexpr QLatin1String kPrintModuleName("lxPrint");  // report and printing texts
inline constexpr QLatin1String kIdeModuleName("lxIDE");      // designer texts

// Chooses the language of the messages and keeps its language modules loaded.
//
// A language module is a message table file named base name + "." + suffix
// (for example lxPrint.deu), looked for in the folders of the search path, the
// program's folder by default; the name is matched without regard to case.
// Message lookups may come from any thread (a background print asks for its
// status texts while the user interface changes the language).
class TjxResourceManager {
public:
    // Strings are read into a buffer of this size, terminator included, so a
    // text keeps at most 1023 characters.
    static constexpr int kStringBufferSize = 1024;

    TjxResourceManager();
    ~TjxResourceManager();
    TjxResourceManager(const TjxResourceManager&) = delete;
    TjxResourceManager& operator=(const TjxResourceManager&) = delete;

    // The process-wide manager, created on first use with "lxPrint" registered
    // (this library is the report and printing module); released at exit.
    static TjxResourceManager& Instance();

    TjxLanguageType Language() const;
    // Loads the modules of the language. Fails, keeping the previous language
    // and its modules, when the language is not lgDefault and no module of it
    // could be loaded.
    bool SetLanguage(TjxLanguageType language);

    // Registers a base name once and at once tries to load its module for the
    // current language.
    void AddModule(const QString& baseName);
    void RemoveModule(const QString& baseName);

    QStringList ModuleNames() const;
    // The file of the module loaded for a base name; empty when none is loaded.
    QString ModuleFileName(const QString& baseName) const;
    int LoadedModuleCount() const;
    bool ModulesLoaded() const;

    QStringList SearchPath() const;
    void SetSearchPath(const QStringList& folders);
    static QStringList DefaultSearchPath();

    // The text of message n (or of identifier 43000 + n): from the first module,
    // in registration order, that has a non-empty text for it, else from the
    // built-in table; empty when neither has one.
    QString GetMessage(int numberOrIdentifier) const;

private:
    struct Module {
        QString baseName;
        QString fileName;                       // empty while nothing is loaded
        std::unique_ptr<TjxMessageTable> table; // none while nothing is loaded
    };

    bool LoadModule(Module& module, TjxLanguageType language) const;
    void ReloadModules();
    std::vector<Module>::iterator FindModule(const QString& baseName);
    std::vector<Module>::const_iterator FindModule(const QString& baseName) const;

    mutable std::shared_mutex m_lock;
    TjxLanguageType m_language = lgDefault;
    std::vector<Module> m_modules;
    int m_loadedCount = 0;
    bool m_modulesLoaded = false;
    QStringList m_searchPath;
};

} // namespace orvane
