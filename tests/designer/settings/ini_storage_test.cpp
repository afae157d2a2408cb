// Storage classes, the process's current storage, the designer's storage
// properties and fonts in settings.

#include "designer/designer.h"
#include "designer/settings/ini_storage.h"
#include "document/graphic_objects.h"
#include "settings_fixture.h"

using namespace orvane;
using orvane::test::SettingsTest;

namespace {

// A storage class of a program's own, for the registry's sake.
const TjxIniStorageClass& OwnClass()
{
    static const TjxIniStorageClass info{QStringLiteral("iniFILE"), QStringLiteral("own.ini"),
                                         [](const QString& name) -> std::unique_ptr<TjxIniStorage> {
                                             return std::make_unique<TjxIniFile>(name);
                                         }};
    return info;
}

} // namespace

TEST_F(SettingsTest, StorageClassesAreFoundByTypeNameIgnoringCase)
{
    EXPECT_EQ(TjxIniFile::StaticClass().typeName, u"IniFile");
    EXPECT_EQ(TjxIniFile::StaticClass().defaultStorageName, u"($WINSYS)\\Orvane.ini");
    EXPECT_EQ(TjxRegistry::StaticClass().typeName, u"Registry");
    EXPECT_EQ(TjxRegistry::StaticClass().defaultStorageName, u"Orvane");
    EXPECT_EQ(TjxIniStoragePlugIns::Classes(),
              (QList<const TjxIniStorageClass*>{&TjxIniFile::StaticClass(), &TjxRegistry::StaticClass()}));
    EXPECT_EQ(TjxIniStoragePlugIns::Find("INIFILE"), &TjxIniFile::StaticClass());
    EXPECT_EQ(TjxIniStoragePlugIns::Find("registry"), &TjxRegistry::StaticClass());
    EXPECT_EQ(TjxIniStoragePlugIns::Find("Database"), nullptr);

    // The first class of a name wins; once it is gone the next one is found.
    TjxIniStoragePlugIns::Register(OwnClass());
    EXPECT_EQ(TjxIniStoragePlugIns::Find("inifile"), &TjxIniFile::StaticClass());
    TjxIniStoragePlugIns::UnRegister(TjxIniFile::StaticClass());
    EXPECT_EQ(TjxIniStoragePlugIns::Find("inifile"), &OwnClass());
    TjxIniStoragePlugIns::UnRegister(OwnClass());
    TjxIniStoragePlugIns::Register(TjxIniFile::StaticClass());
    EXPECT_EQ(TjxIniStoragePlugIns::Find("inifile"), &TjxIniFile::StaticClass());
    TjxIniStoragePlugIns::UnRegister(TjxRegistry::StaticClass());
    TjxIniStoragePlugIns::Register(TjxRegistry::StaticClass());
    EXPECT_EQ(TjxIniStoragePlugIns::Classes(),
              (QList<const TjxIniStorageClass*>{&TjxIniFile::StaticClass(), &TjxRegistry::StaticClass()}));
}

TEST_F(SettingsTest, StorageNamesResolveIntoTheConfigurationFolder)
{
    const QString folder = ConfigPath("orvane");
    EXPECT_EQ(TjxIniFile::FileNameFor("($WINSYS)\\Orvane.ini"), folder + "/Orvane.ini");
    EXPECT_EQ(TjxIniFile::FileNameFor("($winsys)\\x.ini"), folder + "/x.ini");
    EXPECT_EQ(TjxIniFile::FileNameFor("($WinSys)\\sub\\y.ini"), folder + "/sub/y.ini");
    EXPECT_EQ(TjxIniFile::FileNameFor("bare.ini"), folder + "/bare.ini");
    EXPECT_EQ(TjxIniFile::FileNameFor("a($WINSYS)\\b($winsys)\\.ini"), folder + "/ab.ini");
    EXPECT_EQ(TjxIniFile::FileNameFor("($WINSYS)\\"), folder + "/Orvane.ini");
    EXPECT_EQ(TjxIniFile::FileNameFor("/srv/settings/x.ini"), u"/srv/settings/x.ini");
    EXPECT_EQ(TjxIniFile::FileNameFor(".\\here.ini"), QDir::current().absoluteFilePath("here.ini"));
    EXPECT_EQ(TjxRegistry::FileNameFor("Orvane"), folder + "/Orvane.registry");
    EXPECT_EQ(TjxRegistry::FileNameFor("\\Software\\Orvane\\"), folder + "/Software/Orvane.registry");
    EXPECT_EQ(TjxRegistry::FileNameFor("..\\..\\etc"), folder + "/etc.registry");
    EXPECT_EQ(TjxRegistry::FileNameFor(""), folder + "/Orvane.registry");

    // The current storage at start writes Orvane.ini; the registry kind its own file beside it.
    EXPECT_EQ(&TjxIniStoragePlugIn::CurrentClass(), &TjxIniFile::StaticClass());
    EXPECT_EQ(TjxIniStoragePlugIn::CurrentName(), u"($WINSYS)\\Orvane.ini");
    std::unique_ptr<TjxIniStorage> ini = TjxIniStoragePlugIn::CreateInstance();
    EXPECT_EQ(&ini->StorageClass(), &TjxIniFile::StaticClass());
    ini->WriteString("Format", "FontColor", "1");
    TjxIniStoragePlugIn::SetCurrentClass(TjxRegistry::StaticClass());
    TjxIniStoragePlugIn::SetCurrentName("Orvane");
    std::unique_ptr<TjxIniStorage> registry = TjxIniStoragePlugIn::CreateInstance();
    EXPECT_EQ(&registry->StorageClass(), &TjxRegistry::StaticClass());
    EXPECT_EQ(registry->ReadString("Format", "FontColor", "none"), u"none");
    registry->WriteString("Format", "FontColor", "2");
    EXPECT_EQ(ReadRaw(folder + "/Orvane.ini"), "[Format]\nFontColor=1\n");
    EXPECT_EQ(ReadRaw(folder + "/Orvane.registry"), "[Format]\nFontColor=2\n");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), (QStringList{"Orvane.ini", "Orvane.registry"}));
}

TEST_F(SettingsTest, TheDesignerSelectsTheStorageByItsProperties)
{
    TjxIniStoragePlugIn::SetCurrentClass(TjxRegistry::StaticClass());
    TjxIniStoragePlugIn::SetCurrentName("Elsewhere");
    TjxDesigner designer;
    // From the current class: its type and its default name, not the current name.
    EXPECT_EQ(designer.IniStorageType(), u"Registry");
    EXPECT_EQ(designer.IniStorageName(), u"Orvane");
    ResetStorage();

    designer.SetIniStorageType("Database");
    EXPECT_EQ(designer.IniStorageType(), u"Registry");
    designer.SetIniStorageType("inifile");
    designer.SetIniStorageName("($winsys)\\mine.ini");
    EXPECT_EQ(designer.IniStorageType(), u"inifile");
    // Nothing changes for the process until the window is about to open.
    EXPECT_EQ(TjxIniStoragePlugIn::CurrentName(), u"($WINSYS)\\Orvane.ini");
    designer.ApplyIniStorage();
    EXPECT_EQ(&TjxIniStoragePlugIn::CurrentClass(), &TjxIniFile::StaticClass());
    EXPECT_EQ(TjxIniStoragePlugIn::CurrentName(), u"($winsys)\\mine.ini");
    TjxIniStoragePlugIn::CreateInstance()->WriteInteger("Undo Options", "Capacity", 7);
    EXPECT_EQ(ReadRaw(ConfigPath("orvane/mine.ini")), "[Undo Options]\nCapacity=7\n");

    // While the window exists, a change takes effect at once; an unknown type changes nothing.
    designer.SetDesignerWindowExists(true);
    designer.SetIniStorageType("REGISTRY");
    EXPECT_EQ(&TjxIniStoragePlugIn::CurrentClass(), &TjxRegistry::StaticClass());
    EXPECT_EQ(TjxIniStoragePlugIn::CurrentName(), u"($winsys)\\mine.ini");
    designer.SetIniStorageName("Orvane\\Designer");
    EXPECT_EQ(TjxIniStoragePlugIn::CurrentName(), u"Orvane\\Designer");
    designer.SetIniStorageType("Nonsense");
    EXPECT_EQ(designer.IniStorageType(), u"REGISTRY");
    EXPECT_EQ(&TjxIniStoragePlugIn::CurrentClass(), &TjxRegistry::StaticClass());
}

TEST_F(SettingsTest, FontsAreStoredUnderAPrefix)
{
    std::unique_ptr<TjxIniStorage> storage = TjxIniStoragePlugIn::CreateInstance();
    TFont font;
    font.SetName("Liberation Serif");
    font.SetSize(14);
    font.SetColor(clWindowText);
    ReadFont(*storage, "AutoLayout", "LabelFont", font);
    EXPECT_EQ(font.Name(), u"Arial");
    EXPECT_EQ(font.Size(), 12);
    EXPECT_EQ(font.Color(), clWindowText);
    EXPECT_EQ(font.Charset(), DEFAULT_CHARSET);
    EXPECT_EQ(font.Style(), 0u);

    font.SetName("DejaVu Sans");
    font.SetSize(9);
    font.SetColor(clNavy);
    font.SetCharset(ANSI_CHARSET);
    font.SetStyle((1u << fsBold) | (1u << fsUnderline));
    WriteFont(*storage, "AutoLayout", "FieldFont", font);
    EXPECT_EQ(ReadRaw(OrvaneIni()), "[AutoLayout]\nFieldFontName=DejaVu Sans\nFieldFontSize=9\nFieldFontColor=8388608\n"
                                    "FieldFontCharset=0\nFieldFontBold=1\nFieldFontItalic=0\nFieldFontUnderline=1\n"
                                    "FieldFontStrikeOut=0\n");
    TFont back;
    ReadFont(*storage, "autolayout", "fieldfont", back);
    EXPECT_TRUE(back == font);

    // A system colour is kept as its 32-bit pattern; unusable values read as the defaults.
    WriteRaw(OrvaneIni(), "[F]\nXName=\nXSize=0\nXColor=$FF000008\nXCharset=300\nXItalic=true\n");
    ReadFont(*storage, "F", "X", back);
    EXPECT_EQ(back.Name(), u"Arial");
    EXPECT_EQ(back.Size(), 12);
    EXPECT_EQ(back.Color(), clWindowText);
    EXPECT_EQ(back.Charset(), DEFAULT_CHARSET);
    EXPECT_EQ(back.Style(), 1u << fsItalic);
}
