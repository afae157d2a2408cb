// The designer window's settings without the window: defaults, checks of
// stored values, what a save writes and what it leaves alone.

#include "designer/settings/designer_settings.h"
#include "designer/settings/doc_history.h"
#include "designer/settings/ini_storage.h"
#include "settings_fixture.h"

#include <sys/stat.h>

using namespace orvane;
using namespace orvane::test;
using orvane::test::SettingsTest;

namespace {

// The window as it stands before its settings are read: the workspace's and
// undo manager's own values, and the height a new window has.
TjxDesignerWindowSettings NewWindow()
{
    TjxDesignerWindowSettings s;
    s.bounds = QRect(0, 0, 400, 300);
    s.xGridSpace = 8;
    s.yGridSpace = 8;
    s.undoCapacity = 50;
    return s;
}

const TjxDisplayInfo kDisplay{1024, 768, {QRect(0, 0, 1024, 768)}};

TjxDesignerWindowSettings Load(const TjxDisplayInfo& display = kDisplay,
                               const TjxDesignerWindowSettings& current = NewWindow())
{
    return LoadDesignerSettings(*TjxIniStoragePlugIn::CreateInstance(), display, current);
}

} // namespace

TEST_F(SettingsTest, WithoutASettingsFileTheDesignerOpensWithItsDefaults)
{
    const TjxDesignerWindowSettings s = Load();
    EXPECT_TRUE(s.showData);
    EXPECT_EQ(s.windowState, wsNormal);
    EXPECT_EQ(s.bounds, QRect(117, 84, 790, 600));
    EXPECT_TRUE(s.displayGrid);
    EXPECT_FALSE(s.snapToGrid);
    EXPECT_EQ(s.xGridSpace, 8);
    EXPECT_EQ(s.yGridSpace, 8);
    EXPECT_EQ(s.undoCapacity, 50);
    EXPECT_EQ(s.defaultFontName, u"Arial");
    EXPECT_EQ(s.defaultFontSize, 10);
    TjxDocHistory history;
    history.Load(*TjxIniStoragePlugIn::CreateInstance());
    EXPECT_EQ(history.Max(), 5);
    EXPECT_EQ(history.Count(), 0);
    EXPECT_FALSE(QFile::exists(ConfigPath("orvane")));

    // Other displays scale the width from 1024 and the window's height from 768.
    const TjxDisplayInfo wide{1280, 1024, {QRect(0, 0, 1280, 1024)}};
    EXPECT_EQ(Load(wide).bounds, QRect(146, 312, 987, 400));
    EXPECT_EQ(DefaultDesignerBounds(TjxDisplayInfo{800, 600, {}}, 300), QRect(91, 183, 617, 234));
}

TEST_F(SettingsTest, StoredWindowStatesAndBoundsAreCheckedBeforeUse)
{
    const auto stored = [&](const QByteArray& position) {
        WriteRaw(OrvaneIni(), "[Designer Position]\n" + position);
        return Load();
    };
    TjxDesignerWindowSettings s = stored("WindowState=0\nLeft=10\nTop=20\nWidth=500\nHeight=400\n");
    EXPECT_EQ(s.windowState, wsNormal);
    EXPECT_EQ(s.bounds, QRect(10, 20, 500, 400));

    // Maximised opens maximised over the default bounds; the stored ones are not read.
    s = stored("WindowState=2\nLeft=10\nTop=20\nWidth=500\nHeight=400\n");
    EXPECT_EQ(s.windowState, wsMaximized);
    EXPECT_EQ(s.bounds, QRect(117, 84, 790, 600));
    // Minimised is not restored: the window keeps its state.
    s = stored("WindowState=1\nLeft=10\nTop=20\nWidth=500\nHeight=400\n");
    EXPECT_EQ(s.windowState, wsNormal);
    EXPECT_EQ(s.bounds, QRect(117, 84, 790, 600));
    TjxDesignerWindowSettings maximised = NewWindow();
    maximised.windowState = wsMaximized;
    EXPECT_EQ(Load(kDisplay, maximised).windowState, wsMaximized);
    // Any other number is the normal state.
    for (const char* state : {"3", "-1", "2147483647", "maximised"}) {
        s = stored(QByteArray("WindowState=") + state + "\nLeft=10\nTop=20\nWidth=500\nHeight=400\n");
        EXPECT_EQ(s.windowState, wsNormal) << state;
        EXPECT_EQ(s.bounds, QRect(10, 20, 500, 400)) << state;
    }

    // No size takes the default; a window off every screen is centred; one
    // larger than its screen fits it; one partly off a screen stays.
    EXPECT_EQ(stored("Left=10\nTop=20\nWidth=0\nHeight=-5\n").bounds, QRect(10, 20, 790, 600));
    EXPECT_EQ(stored("Left=5000\nTop=20\nWidth=500\nHeight=400\n").bounds, QRect(262, 184, 500, 400));
    EXPECT_EQ(stored("Left=10\nTop=-300\nWidth=500\nHeight=400\n").bounds, QRect(262, 184, 500, 400));
    EXPECT_EQ(stored("Left=2147483647\nTop=-2147483648\nWidth=2147483647\nHeight=2147483647\n").bounds,
              QRect(0, 0, 1024, 768));
    EXPECT_EQ(stored("Left=-100\nTop=0\nWidth=3000\nHeight=2000\n").bounds, QRect(0, 0, 1024, 768));
    EXPECT_EQ(stored("Left=900\nTop=700\nWidth=500\nHeight=400\n").bounds, QRect(900, 700, 500, 400));
    EXPECT_EQ(stored("Left=1000\nTop=20\nWidth=500\nHeight=400\n").bounds, QRect(262, 184, 500, 400));
    // On the second of two screens side by side.
    const TjxDisplayInfo twin{1024, 768, {QRect(0, 0, 1024, 768), QRect(1024, 0, 1280, 1024)}};
    WriteRaw(OrvaneIni(), "[Designer Position]\nLeft=1100\nTop=500\nWidth=900\nHeight=700\n");
    EXPECT_EQ(Load(twin).bounds, QRect(1100, 500, 900, 700));
}

TEST_F(SettingsTest, StoredOptionsOutsideTheirRangeKeepTheWindowsValues)
{
    WriteRaw(OrvaneIni(), "[Grid Options]\nSnapToGrid=true\nDisplayGrid=0\nXGridSpace=0\nYGridSpace=100000\n"
                          "[Undo Options]\nCapacity=-1\n"
                          "[Format]\nDefaultFontName=\nDefaultFontSize=0\n"
                          "[Designer Preferences]\nShowData=false\n");
    TjxDesignerWindowSettings current = NewWindow();
    current.xGridSpace = 6;
    current.yGridSpace = 7;
    current.undoCapacity = 20;
    TjxDesignerWindowSettings s = Load(kDisplay, current);
    EXPECT_TRUE(s.snapToGrid);
    EXPECT_FALSE(s.displayGrid);
    EXPECT_EQ(s.xGridSpace, 6);
    EXPECT_EQ(s.yGridSpace, 7);
    EXPECT_EQ(s.undoCapacity, 20);
    EXPECT_EQ(s.defaultFontName, u"Arial");
    EXPECT_EQ(s.defaultFontSize, 10);
    EXPECT_FALSE(s.showData);

    WriteRaw(OrvaneIni(), "[Grid Options]\nXGridSpace=4\nYGridSpace=16\n[Undo Options]\nCapacity=0\n"
                          "[Format]\nDefaultFontName=DejaVu Sans\nDefaultFontSize=9\n");
    s = Load(kDisplay, current);
    EXPECT_FALSE(s.snapToGrid);
    EXPECT_TRUE(s.displayGrid);
    EXPECT_EQ(s.xGridSpace, 4);
    EXPECT_EQ(s.yGridSpace, 16);
    EXPECT_EQ(s.undoCapacity, 0);
    EXPECT_EQ(s.defaultFontName, u"DejaVu Sans");
    EXPECT_EQ(s.defaultFontSize, 9);
}

TEST_F(SettingsTest, ASaveWritesOnlyTheDesignersKeys)
{
    TjxDesignerWindowSettings s = NewWindow();
    s.showData = false;
    s.windowState = wsMaximized;
    s.bounds = QRect(5, 6, 700, 500);
    s.snapToGrid = true;
    s.xGridSpace = 10;
    s.undoCapacity = 80;
    s.defaultFontName = "Never Written";
    SaveDesignerSettings(*TjxIniStoragePlugIn::CreateInstance(), s, false);
    const QByteArray written = "[Designer Preferences]\nShowData=0\n\n"
                               "[Designer Position]\nWindowState=2\nLeft=5\nTop=6\nWidth=700\nHeight=500\n\n"
                               "[Grid Options]\nSnapToGrid=1\nDisplayGrid=1\nXGridSpace=10\nYGridSpace=8\n";
    EXPECT_EQ(ReadRaw(OrvaneIni()), written);
    SaveDesignerSettings(*TjxIniStoragePlugIn::CreateInstance(), s, true);
    EXPECT_EQ(ReadRaw(OrvaneIni()), written + "\n[Undo Options]\nCapacity=80\n");

    // The grid section is the workspace's alone: a key of another version goes.
    WriteRaw(OrvaneIni(), "[Grid Options]\nGridColor=5\nxgridspace=3\n; grid ends\n[Format]\nDefaultFontSize=9\n");
    SaveDesignerSettings(*TjxIniStoragePlugIn::CreateInstance(), s, false);
    EXPECT_EQ(ReadRaw(OrvaneIni()),
              "[Grid Options]\nSnapToGrid=1\nDisplayGrid=1\nXGridSpace=10\nYGridSpace=8\n; grid ends\n"
              "[Format]\nDefaultFontSize=9\n\n"
              "[Designer Preferences]\nShowData=0\n\n"
              "[Designer Position]\nWindowState=2\nLeft=5\nTop=6\nWidth=700\nHeight=500\n");
}

TEST_F(SettingsTest, AHandWrittenFileKeepsEveryLineTheDesignerDoesNotOwn)
{
    const QByteArray original =
        "; my designer settings\n"
        "[Designer Preferences]\n"
        "showdata = 0\n"
        "Theme=dark ; not ours\n"
        "\n"
        "[Designer Position]\n"
        "WindowState=0\n"
        "left=40\n"
        "TOP=30\n"
        "Width=700\n"
        "Height=500\n"
        "Monitor=2\n"
        "\n"
        "[Plugins]\n"
        "# third-party entries\n"
        "Paths=/opt/a,/opt/b\n"
        "\n"
        "[Format]\n"
        "DefaultFontName=DejaVu Sans\n"
        "DefaultFontSize=11\n"
        "FontColor=255\n"
        "\n"
        "[Last Reports Accessed]\n"
        "Max=5\n"
        "R0=/srv/a,b/Receipt.rtm,1,0\n"
        "R1=/srv/plain.rtm,1,0\n"
        "\n"
        "[Grid Options]\n"
        "snaptogrid=1\n"
        "XGridSpace=4\n"
        "YGridSpace=4\n";
    WriteRaw(OrvaneIni(), original);

    TjxDocHistory history;
    history.Load(*TjxIniStoragePlugIn::CreateInstance());
    ASSERT_EQ(history.Count(), 2);
    EXPECT_EQ(history.Document(0).fileName, u"/srv/a,b/Receipt.rtm");
    const TjxDesignerWindowSettings s = Load();
    EXPECT_FALSE(s.showData);
    EXPECT_EQ(s.bounds, QRect(40, 30, 700, 500));
    EXPECT_TRUE(s.snapToGrid);
    EXPECT_EQ(s.xGridSpace, 4);
    EXPECT_EQ(s.defaultFontName, u"DejaVu Sans");
    EXPECT_EQ(s.defaultFontSize, 11);

    // A session that changes nothing writes back what was there, save the sections the designer rewrites whole.
    SaveDesignerSettings(*TjxIniStoragePlugIn::CreateInstance(), s, true);
    history.Save(*TjxIniStoragePlugIn::CreateInstance());
    EXPECT_EQ(ReadRaw(OrvaneIni()),
              "; my designer settings\n"
              "[Designer Preferences]\n"
              "showdata = 0\n"
              "Theme=dark ; not ours\n"
              "\n"
              "[Designer Position]\n"
              "WindowState=0\n"
              "left=40\n"
              "TOP=30\n"
              "Width=700\n"
              "Height=500\n"
              "Monitor=2\n"
              "\n"
              "[Plugins]\n"
              "# third-party entries\n"
              "Paths=/opt/a,/opt/b\n"
              "\n"
              "[Format]\n"
              "DefaultFontName=DejaVu Sans\n"
              "DefaultFontSize=11\n"
              "FontColor=255\n"
              "\n"
              "[Last Reports Accessed]\n"
              "Max=5\n"
              "R0=/srv/a,b/Receipt.rtm,1,0\n"
              "R1=/srv/plain.rtm,1,0\n"
              "\n"
              "[Grid Options]\n"
              "SnapToGrid=1\n"
              "DisplayGrid=1\n"
              "XGridSpace=4\n"
              "YGridSpace=4\n"
              "\n"
              "[Undo Options]\n"
              "Capacity=50\n");

    // A moved window changes its own keys only.
    TjxDesignerWindowSettings moved = s;
    moved.bounds.moveTo(41, 31);
    moved.showData = true;
    SaveDesignerSettings(*TjxIniStoragePlugIn::CreateInstance(), moved, true);
    const QByteArray after = ReadRaw(OrvaneIni());
    EXPECT_TRUE(after.contains("[Designer Preferences]\nshowdata = 1\nTheme=dark ; not ours\n"));
    EXPECT_TRUE(after.contains("WindowState=0\nleft=41\nTOP=31\nWidth=700\nHeight=500\nMonitor=2\n"));
}

TEST_F(SettingsTest, NestedWritersOnOneStoreBothPersist)
{
    // The window saves while the toolbar manager and the history hold storages of their own.
    std::unique_ptr<TjxIniStorage> window = TjxIniStoragePlugIn::CreateInstance();
    {
        std::unique_ptr<TjxIniStorage> toolbars = TjxIniStoragePlugIn::CreateInstance();
        window->WriteBool("Designer Preferences", "ShowData", true);
        toolbars->WriteString("Standard", "DockName", "TopDock");
        {
            std::unique_ptr<TjxIniStorage> history = TjxIniStoragePlugIn::CreateInstance();
            TjxDocHistory h;
            h.AddDocument("/srv/r.rtm", stFile, 0);
            h.Save(*history);
            toolbars->WriteBool("Standard", "Visible", true);
        }
        window->WriteInteger("Undo Options", "Capacity", 50);
    }
    EXPECT_EQ(ReadRaw(OrvaneIni()), "[Designer Preferences]\nShowData=1\n\n"
                                    "[Standard]\nDockName=TopDock\nVisible=1\n\n"
                                    "[Last Reports Accessed]\nMax=5\nR0=/srv/r.rtm,1,0\n\n"
                                    "[Undo Options]\nCapacity=50\n");
}

TEST_F(SettingsTest, AFailedSaveIsReportedAndLeavesTheFileAsItWas)
{
    const QByteArray original = "[Designer Preferences]\nShowData=1\n";
    WriteRaw(OrvaneIni(), original);
    ASSERT_EQ(::chmod(QFile::encodeName(OrvaneIni()).constData(), 0444), 0);
    TjxDesignerWindowSettings s = NewWindow();
    s.showData = false;
    const QString error = ErrorOf([&] { SaveDesignerSettings(*TjxIniStoragePlugIn::CreateInstance(), s, true); });
    EXPECT_EQ(error, QStringLiteral("Cannot create file \"%1\". File is read-only.").arg(OrvaneIni()));
    {
        TjxDocHistory history;
        history.AddDocument("/srv/r.rtm", stFile, 0);
        EXPECT_FALSE(ErrorOf([&] { history.Save(*TjxIniStoragePlugIn::CreateInstance()); }).isEmpty());
    }  // freeing the history writes nothing and raises nothing
    EXPECT_EQ(ReadRaw(OrvaneIni()), original);
    EXPECT_EQ(QDir(ConfigPath("orvane")).entryList(QDir::Files | QDir::Hidden), QStringList{"Orvane.ini"});
}
