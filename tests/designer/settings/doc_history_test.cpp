// The file history: order, trimming, captions, and what survives a reload.

#include "designer/settings/doc_history.h"
#include "designer/settings/ini_storage.h"
#include "settings_fixture.h"

using namespace orvane;
using orvane::test::SettingsTest;

namespace {

QStringList Names(const TjxDocHistory& history)
{
    QStringList names;
    for (int i = 0; i < history.Count(); ++i)
        names.append(history.Entry(i).FileName());
    return names;
}

} // namespace

TEST_F(SettingsTest, HistoryKeepsTheNewestFilesOnTopAndReloadsThem)
{
    TjxDocHistory history;
    int changes = 0;
    history.OnChange = [&] { ++changes; };
    for (const char* name : {"/r/1.rtm", "/r/2.rtm", "/r/3.rtm", "/r/4.rtm", "/r/5.rtm", "/r/6.rtm"})
        history.AddDocument(name, stFile, 0);
    EXPECT_EQ(Names(history), (QStringList{"/r/6.rtm", "/r/5.rtm", "/r/4.rtm", "/r/3.rtm", "/r/2.rtm"}));
    EXPECT_EQ(changes, 6);
    // The same report again: one entry, still on top, nothing to redraw.
    history.AddDocument("/r/6.rtm", stFile, 0);
    EXPECT_EQ(history.Count(), 5);
    EXPECT_EQ(changes, 6);
    // One further down moves up with its new strings.
    history.AddDocument("/r/3.rtm", stDatabase, 4);
    EXPECT_EQ(Names(history), (QStringList{"/r/3.rtm", "/r/6.rtm", "/r/5.rtm", "/r/4.rtm", "/r/2.rtm"}));
    EXPECT_EQ(history.Entry(0).data, (QStringList{"/r/3.rtm", "0", "4"}));
    history.AddDocument("/r/a&b.rtm", stFile, 0);
    EXPECT_EQ(history.Captions(),
              (QStringList{"&1 /r/a&&b.rtm", "&2 /r/3.rtm", "&3 /r/6.rtm", "&4 /r/5.rtm", "&5 /r/4.rtm"}));

    history.Save(*TjxIniStoragePlugIn::CreateInstance());
    EXPECT_EQ(ReadRaw(OrvaneIni()), "[Last Reports Accessed]\nMax=5\nR0=/r/a&b.rtm,1,0\nR1=/r/3.rtm,0,4\n"
                                    "R2=/r/6.rtm,1,0\nR3=/r/5.rtm,1,0\nR4=/r/4.rtm,1,0\n");
    TjxDocHistory reloaded;
    int reloads = 0;
    reloaded.OnChange = [&] { ++reloads; };
    reloaded.Load(*TjxIniStoragePlugIn::CreateInstance());
    EXPECT_EQ(reloads, 1);
    EXPECT_EQ(Names(reloaded), Names(history));
    const TjxHistoryDocument document = reloaded.Document(1);
    EXPECT_EQ(document.fileName, u"/r/3.rtm");
    EXPECT_EQ(document.saveTo, stDatabase);
    EXPECT_EQ(document.offset, 4);

    // A smaller maximum drops the oldest.
    reloaded.SetMax(2);
    EXPECT_EQ(Names(reloaded), (QStringList{"/r/a&b.rtm", "/r/3.rtm"}));
    EXPECT_EQ(reloads, 2);
}

TEST_F(SettingsTest, HistoryFileNamesWithCommasSurviveAReload)
{
    TjxDocHistory history;
    history.AddDocument("/srv/a,b/r.rtm", stFile, 0);
    history.AddDocument("/srv/x,1,2", stFile, 3);
    history.AddDocument("/srv/q,1,0.rtm", stDatabase, 0);
    history.Save(*TjxIniStoragePlugIn::CreateInstance());
    EXPECT_EQ(ReadRaw(OrvaneIni()), "[Last Reports Accessed]\nMax=5\nR0=/srv/q,1,0.rtm,0,0\nR1=/srv/x,1,2,1,3\n"
                                    "R2=/srv/a,b/r.rtm,1,0\n");
    TjxDocHistory reloaded;
    reloaded.Load(*TjxIniStoragePlugIn::CreateInstance());
    EXPECT_EQ(Names(reloaded), (QStringList{"/srv/q,1,0.rtm", "/srv/x,1,2", "/srv/a,b/r.rtm"}));
    EXPECT_EQ(reloaded.Document(1).offset, 3);
    EXPECT_EQ(reloaded.Document(2).saveTo, stFile);
    EXPECT_EQ(reloaded.Captions()[2], u"&3 /srv/a,b/r.rtm");
}

TEST_F(SettingsTest, StoredHistoryValuesAreCheckedBeforeUse)
{
    // A huge Max reads only as many keys as the limit allows; gaps and repeats are skipped.
    WriteRaw(OrvaneIni(), "[Last Reports Accessed]\nMax=2147483647\nR0=/r/a.rtm,1,0\nR2=/r/b.rtm,7,0\n"
                          "R3=/r/a.rtm,1,0\nR4=plain name, no numbers\nR5=,1,0\nR6=/r/c.rtm,x,0\nR40=/r/far.rtm\n");
    TjxDocHistory history;
    history.Load(*TjxIniStoragePlugIn::CreateInstance());
    EXPECT_EQ(history.Max(), 32);
    EXPECT_EQ(Names(history), (QStringList{"/r/a.rtm", "/r/b.rtm", "plain name, no numbers", "/r/c.rtm,x,0"}));
    // A SaveTo that is no known kind is ignored with its offset.
    const TjxHistoryDocument unknown = history.Document(1);
    EXPECT_EQ(unknown.fileName, u"/r/b.rtm");
    EXPECT_FALSE(unknown.saveTo.has_value());
    EXPECT_FALSE(unknown.offset.has_value());
    EXPECT_FALSE(history.Document(2).saveTo.has_value());

    WriteRaw(OrvaneIni(), "[Last Reports Accessed]\nMax=-4\nR0=/r/a.rtm,1,0\n");
    history.Load(*TjxIniStoragePlugIn::CreateInstance());
    EXPECT_EQ(history.Max(), 5);
    WriteRaw(OrvaneIni(), "[Last Reports Accessed]\nMax=0\nR0=/r/a.rtm,1,0\n");
    history.Load(*TjxIniStoragePlugIn::CreateInstance());
    EXPECT_EQ(history.Count(), 0);

    // A name with a line break cannot be stored; the others still are.
    history.SetMax(5);
    history.AddDocument("/r/ok.rtm", stFile, 0);
    history.AddDocument("/r/two\nlines.rtm", stFile, 0);
    history.Save(*TjxIniStoragePlugIn::CreateInstance());
    EXPECT_EQ(ReadRaw(OrvaneIni()), "[Last Reports Accessed]\nMax=5\nR0=/r/ok.rtm,1,0\n");
}
