#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <atomic>
#include <thread>

#include "document/message_ids.h"
#include "document/messages.h"
#include "document/resource_manager.h"
#include "tests/support/test_basics.h"

using namespace orvane;
using namespace orvane::test;

namespace {

class ResourceManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_manager.SetSearchPath({m_dir.path()});
    }

    void WriteModule(const QString& fileName, const QByteArray& content, const QString& folder = {})
    {
        QFile file(QDir(folder.isEmpty() ? m_dir.path() : folder).filePath(fileName));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

    QString English(int n) const { return BuiltInMessages().Text(n); }

    QTemporaryDir m_dir;
    TjxResourceManager m_manager;
};

} // namespace

TEST(LanguageType, SuffixesAndNames)
{
    EXPECT_EQ(LanguageSuffix(lgDefault), u"dft");
    EXPECT_EQ(LanguageSuffix(lgGerman), u"deu");
    EXPECT_EQ(LanguageSuffix(lgPortugueseBrazil), u"ptb");
    EXPECT_EQ(LanguageSuffix(lgCustom), u"cst");
    EXPECT_TRUE(LanguageSuffix(static_cast<TjxLanguageType>(14)).isEmpty());

    // Each language has its own module file.
    QSet<QString> suffixes;
    for (int i = lgDefault; i <= lgCustom; ++i)
        suffixes.insert(LanguageSuffix(static_cast<TjxLanguageType>(i)));
    EXPECT_EQ(suffixes.size(), 14);
    ASSERT_EQ(LanguageTypeNames().size(), 14);
    EXPECT_EQ(LanguageTypeNames().at(lgSpanishMexico), u"lgSpanishMexico");
}

TEST_F(ResourceManagerTest, ModuleOfOneBaseNameOnlyReplacesItsTexts)
{
    // German with only the designer's module present: designer texts in
    // German, printing texts from the built-in table.
    WriteModule(QStringLiteral("lxIDE.deu"), "43391=Berichtsbaum\n");
    m_manager.AddModule(kPrintModuleName);
    m_manager.AddModule(kIdeModuleName);
    EXPECT_EQ(m_manager.LoadedModuleCount(), 0);

    ASSERT_TRUE(m_manager.SetLanguage(lgGerman));
    EXPECT_EQ(m_manager.Language(), lgGerman);
    EXPECT_TRUE(m_manager.ModulesLoaded());
    EXPECT_EQ(m_manager.LoadedModuleCount(), 1);
    EXPECT_TRUE(m_manager.ModuleFileName(kPrintModuleName).isEmpty());
    EXPECT_EQ(m_manager.ModuleFileName(kIdeModuleName), QDir(m_dir.path()).filePath(QStringLiteral("lxIDE.deu")));
    EXPECT_EQ(m_manager.GetMessage(391), u"Berichtsbaum");
    EXPECT_EQ(m_manager.GetMessage(43391), u"Berichtsbaum");
    EXPECT_EQ(m_manager.GetMessage(49), English(49));
    EXPECT_TRUE(m_manager.GetMessage(963).isEmpty());
}

TEST_F(ResourceManagerTest, ModulesAreAskedInRegistrationOrder)
{
    WriteModule(QStringLiteral("lxPrint.fra"), "5=Annuler\n18=\n");
    WriteModule(QStringLiteral("lxIDE.fra"), "5=Abandonner\n18=Page (IDE)\n963=Inspecteur : %s\n");
    m_manager.AddModule(kPrintModuleName);
    m_manager.AddModule(kIdeModuleName);
    ASSERT_TRUE(m_manager.SetLanguage(lgFrench));
    EXPECT_EQ(m_manager.LoadedModuleCount(), 2);
    EXPECT_EQ(m_manager.GetMessage(5), u"Annuler");
    // An empty text in the first module does not hide the second one's.
    EXPECT_EQ(m_manager.GetMessage(18), u"Page (IDE)");
    // A message without an English text can come from a module.
    EXPECT_EQ(m_manager.GetMessage(963), u"Inspecteur : %s");

    m_manager.RemoveModule(QStringLiteral("LXPRINT"));
    EXPECT_EQ(m_manager.ModuleNames(), QStringList{kIdeModuleName});
    EXPECT_EQ(m_manager.LoadedModuleCount(), 1);
    EXPECT_EQ(m_manager.GetMessage(5), u"Abandonner");
}

TEST_F(ResourceManagerTest, FailedLanguageKeepsThePreviousOneWhole)
{
    WriteModule(QStringLiteral("lxPrint.deu"), "18=Seite\n");
    m_manager.AddModule(kPrintModuleName);
    ASSERT_TRUE(m_manager.SetLanguage(lgGerman));

    // No module of Italian exists: refused, and the German texts stay.
    EXPECT_FALSE(m_manager.SetLanguage(lgItalian));
    EXPECT_EQ(m_manager.Language(), lgGerman);
    EXPECT_EQ(m_manager.LoadedModuleCount(), 1);
    EXPECT_EQ(m_manager.GetMessage(18), u"Seite");
    EXPECT_TRUE(m_manager.SetLanguage(lgGerman));

    // lgDefault needs no module.
    EXPECT_TRUE(m_manager.SetLanguage(lgDefault));
    EXPECT_EQ(m_manager.LoadedModuleCount(), 0);
    EXPECT_EQ(m_manager.GetMessage(18), English(18));

    EXPECT_FALSE(m_manager.SetLanguage(static_cast<TjxLanguageType>(99)));
    EXPECT_EQ(m_manager.Language(), lgDefault);
}

TEST_F(ResourceManagerTest, NoModuleNamesMeansOnlyTheDefaultLanguage)
{
    EXPECT_FALSE(m_manager.ModulesLoaded());
    EXPECT_FALSE(m_manager.SetLanguage(lgGerman));
    EXPECT_EQ(m_manager.Language(), lgDefault);
    EXPECT_TRUE(m_manager.SetLanguage(lgDefault));
    EXPECT_TRUE(m_manager.ModulesLoaded());
}

TEST_F(ResourceManagerTest, AddModuleLoadsAtOnceAndOnlyOnce)
{
    WriteModule(QStringLiteral("lxPrint.esp"), "6=Cerrar\n");
    WriteModule(QStringLiteral("lxIDE.esp"), "6=Cerrar (IDE)\n391=Arbol del informe\n");
    m_manager.AddModule(kPrintModuleName);
    ASSERT_TRUE(m_manager.SetLanguage(lgSpanish));

    m_manager.AddModule(kIdeModuleName);
    m_manager.AddModule(QStringLiteral("LXIDE"));
    EXPECT_EQ(m_manager.ModuleNames(), (QStringList{kPrintModuleName, kIdeModuleName}));
    EXPECT_EQ(m_manager.LoadedModuleCount(), 2);
    EXPECT_EQ(m_manager.GetMessage(391), u"Arbol del informe");
    EXPECT_EQ(m_manager.GetMessage(6), u"Cerrar");

    m_manager.RemoveModule(kIdeModuleName);
    m_manager.RemoveModule(kIdeModuleName);
    EXPECT_EQ(m_manager.LoadedModuleCount(), 1);
    EXPECT_EQ(m_manager.GetMessage(391), English(391));
}

TEST_F(ResourceManagerTest, ModuleFilesAreFoundWithoutRegardToCaseAndInPathOrder)
{
    QTemporaryDir second;
    ASSERT_TRUE(second.isValid());
    WriteModule(QStringLiteral("LXPRINT.SVE"), "17=Okej\n");
    WriteModule(QStringLiteral("lxPrint.sve"), "17=andra\n", second.path());
    WriteModule(QStringLiteral("lxPrint.nor"), "17=Greit\n", second.path());
    m_manager.SetSearchPath({m_dir.path(), second.path()});
    m_manager.AddModule(kPrintModuleName);

    ASSERT_TRUE(m_manager.SetLanguage(lgSwedish));
    EXPECT_EQ(m_manager.GetMessage(17), u"Okej");
    ASSERT_TRUE(m_manager.SetLanguage(lgNorwegian));
    EXPECT_EQ(m_manager.GetMessage(17), u"Greit");
}

TEST_F(ResourceManagerTest, FileThatIsNoMessageTableIsNoModule)
{
    WriteModule(QStringLiteral("lxPrint.dan"), QByteArray("\x7F" "ELF\x02\x01\xFF\xFE\0\0", 10));
    WriteModule(QStringLiteral("lxPrint.nld"), "17=Goed\nthis is not a message line\n");
    m_manager.AddModule(kPrintModuleName);
    EXPECT_FALSE(m_manager.SetLanguage(lgDanish));
    EXPECT_FALSE(m_manager.SetLanguage(lgDutch));
    EXPECT_EQ(m_manager.GetMessage(17), English(17));
}

TEST_F(ResourceManagerTest, TextsKeepWhatTheStringBufferHolds)
{
    const QByteArray longText(2000, 'x');
    WriteModule(QStringLiteral("lxPrint.cst"), "20=" + longText + "\n21=" + QByteArray(1022, 'y') + "\xF0\x9F\x98\x80\n");
    m_manager.AddModule(kPrintModuleName);
    ASSERT_TRUE(m_manager.SetLanguage(lgCustom));
    EXPECT_EQ(m_manager.GetMessage(20).size(), TjxResourceManager::kStringBufferSize - 1);
    // A character is never cut in half.
    EXPECT_EQ(m_manager.GetMessage(21), QString(1022, u'y'));
}

TEST_F(ResourceManagerTest, LookupsFromOtherThreadsWhileTheLanguageChanges)
{
    WriteModule(QStringLiteral("lxPrint.deu"), "2=Daten werden gelesen...\n");
    m_manager.AddModule(kPrintModuleName);
    const QString english = English(2);
    const QString german = QStringLiteral("Daten werden gelesen...");

    std::atomic<bool> stop{false};
    std::atomic<int> wrong{0};
    std::atomic<int> reads{0};
    auto reader = [&] {
        while (!stop.load()) {
            const QString text = m_manager.GetMessage(2);
            if (text != english && text != german)
                ++wrong;
            ++reads;
        }
    };
    std::thread a(reader), b(reader);
    for (int i = 0; i < 200; ++i) {
        EXPECT_TRUE(m_manager.SetLanguage(i % 2 ? lgDefault : lgGerman));
    }
    while (reads.load() < 1000) std::this_thread::yield();
    stop = true;
    a.join();
    b.join();
    EXPECT_EQ(wrong.load(), 0);
}

TEST(ResourceManagerInstance, MessagesFollowTheProcessLanguage)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile file(QDir(dir.path()).filePath(QStringLiteral("lxPrint.ita")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("43018=Pagina\n45003=Classe %s non trovata\n");
    file.close();

    TjxResourceManager& manager = TjxResourceManager::Instance();
    EXPECT_EQ(&manager, &TjxResourceManager::Instance());
    EXPECT_TRUE(manager.ModuleNames().contains(kPrintModuleName));
    const QStringList oldPath = manager.SearchPath();
    const TjxLanguageType oldLanguage = manager.Language();
    manager.SetSearchPath({dir.path()});

    ASSERT_TRUE(manager.SetLanguage(lgItalian));
    EXPECT_EQ(GetMessage(18), u"Pagina");
    EXPECT_EQ(MessageText(msg::ClassNotFound, {QStringLiteral("TjxFoo")}), u"Classe TjxFoo non trovata");

    manager.SetSearchPath(oldPath);
    EXPECT_TRUE(manager.SetLanguage(oldLanguage == lgItalian ? lgDefault : oldLanguage));
    EXPECT_EQ(GetMessage(18), u"Page");
}
