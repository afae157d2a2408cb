// orvane-preview: on a real X server (Xvfb) the window found by its title,
// the screen grabbed, and the receipt's page found on it, white on the grey
// surround with its outline, A4 in shape; and what it refuses before any
// window opens.

#include "preview_fixture.h"

#include "../support/process_run.h"

#include <QFile>
#include <QStandardPaths>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

bool IsCi()
{
    return qEnvironmentVariable("CI") == QStringLiteral("true");
}

// Pixels from `from` along a line while they keep the colour of the first.
int RunLength(const QImage& image, QPoint from, QPoint step)
{
    const QRgb colour = image.pixel(from) & 0xFFFFFF;
    int n = 0;
    for (QPoint p = from; image.rect().contains(p) && (image.pixel(p) & 0xFFFFFF) == colour; p += step)
        ++n;
    return n;
}

} // namespace

TEST(PreviewUnderX, OrvanePreviewShowsTheReceipt)
{
    // Without an X server to start there is nothing to look at; the X tools
    // come with it from scripts/setup, so their absence is a failure.
    if (QStandardPaths::findExecutable(QStringLiteral("xvfb-run")).isEmpty()) {
        if (IsCi())
            FAIL() << "xvfb-run is missing (scripts/setup installs it)";
        GTEST_SKIP() << "xvfb-run is not installed, so orvane-preview cannot be shown on an X server; "
                        "scripts/setup installs it (package xvfb)";
    }
    for (const char* tool : {"xdotool", "import", "convert"})
        ASSERT_FALSE(QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            << tool << " is missing; scripts/setup installs it (packages xdotool, imagemagick)";
    Receipt receipt;
    const QString shot = receipt.dir.filePath(QStringLiteral("screen.png"));
    // The window is found by its title. Its page is drawn once the window's
    // own loop has run the report, blank paper first: the screen is grabbed
    // until some paper shows (a twentieth of it white) and two grabs half a
    // second apart are alike, for at most half a minute each.
    const QString script = QStringLiteral(
        "\"$PREVIEW\" \"$TEMPLATE\" & pid=$!; "
        "timeout 60 xdotool search --sync --name 'Print Preview' >/dev/null || { kill $pid; exit 3; }; "
        "tries=0; while :; do "
        "  import -window root \"$SHOT\" || { kill $pid; exit 4; }; "
        "  [ \"$(convert \"$SHOT\" -fill black +opaque white -format '%[fx:mean>0.05]' info:)\" = 1 ] && break; "
        "  tries=$((tries + 1)); [ $tries -ge 60 ] && break; sleep 0.5; "
        "done; "
        "tries=0; while [ $tries -lt 60 ]; do "
        "  sleep 0.5; import -window root \"$SHOT.next.png\" || { kill $pid; exit 4; }; "
        "  [ \"$(compare -metric AE \"$SHOT\" \"$SHOT.next.png\" null: 2>&1)\" = 0 ] && break; "
        "  mv \"$SHOT.next.png\" \"$SHOT\"; tries=$((tries + 1)); "
        "done; kill $pid; wait $pid; exit 0");
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PREVIEW"), QStringLiteral(ORVANE_PREVIEW));
    env.insert(QStringLiteral("TEMPLATE"), receipt.file);
    env.insert(QStringLiteral("SHOT"), shot);
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral("xvfb-run"), {QStringLiteral("-a"), QStringLiteral("-s"),
                                               QStringLiteral("-screen 0 1280x1024x24 -dpi 96"),
                                               QStringLiteral("sh"), QStringLiteral("-c"), script});
    ASSERT_TRUE(process.waitForFinished(120000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    const QImage screen = QImage(shot).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(screen.isNull());
    // For people to look at: ORVANE_KEEP_IMAGES=1 keeps the screen as /tmp/orvane-preview-screen.png.
    if (qEnvironmentVariableIsSet("ORVANE_KEEP_IMAGES"))
        screen.save(QStringLiteral("/tmp/orvane-preview-screen.png"));

    // The surround is there; from its middle, look for the page sideways
    // and downwards from inside it.
    const QColor surround(0xA0, 0xA0, 0xA0);
    const QRect grey = ColorBounds(screen, surround);
    ASSERT_FALSE(grey.isEmpty());
    const QPoint middle = grey.center();
    // Walk left from the middle until the outline, then measure the page.
    QPoint p = middle;
    while (p.x() > grey.left() && !SameColor(screen.pixel(p), surround))
        p.rx() -= 1;
    ASSERT_TRUE(SameColor(screen.pixel(p), surround));
    const int outlineLeft = p.x() + 1;
    ASSERT_TRUE(SameColor(screen.pixel(outlineLeft, p.y()), Qt::black));
    int right = outlineLeft + 1;
    while (right < grey.right() && !SameColor(screen.pixel(right, p.y()), surround))
        ++right;
    const int width = right - outlineLeft;
    // Up and down from a paper pixel just inside the left edge.
    const QPoint inside(outlineLeft + 2, p.y());
    int top = inside.y(), bottom = inside.y();
    while (top > grey.top() && !SameColor(screen.pixel(inside.x(), top - 1), surround))
        --top;
    while (bottom < grey.bottom() && !SameColor(screen.pixel(inside.x(), bottom + 1), surround))
        ++bottom;
    const int height = bottom - top + 1;
    ASSERT_GT(width, 100);
    // A4 upright: 297 by 210.
    EXPECT_NEAR(double(height) / width, 297.0 / 210.0, 0.03) << width << "x" << height;
    const QRect page(outlineLeft, top, width, height);
    const int paper = CountColor(screen, page.adjusted(1, 1, -1, -1), Qt::white);
    const int area = (width - 2) * (height - 2);
    EXPECT_GT(paper, area / 2);
    EXPECT_LT(paper, area) << "the receipt's text and lines are on the page";
    EXPECT_GT(RunLength(screen, QPoint(outlineLeft, top + 1), QPoint(0, 1)), height / 2);
}

TEST(OrvanePreview, RefusesWhatItCannotShowBeforeAnyWindowOpens)
{
    const QString program = QStringLiteral(ORVANE_PREVIEW);
    ProcessRun run = RunProgram(program, {});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains(QStringLiteral("usage: orvane-preview TEMPLATE [--db DATA.sqlite]"))) << run.err.toStdString();

    QTemporaryDir dir;
    run = RunProgram(program, {dir.filePath(QStringLiteral("none.rtm"))});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("none.rtm"))) << run.err.toStdString();

    // The data must be an SQLite file with the template's tables.
    ListReport list(10);
    const QString file = list.SaveTemplate();
    const QString text = dir.filePath(QStringLiteral("orders.txt"));
    {
        QFile f(text);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("id,name\n1,Customer 1\n");
    }
    run = RunProgram(program, {file, QStringLiteral("--db"), text});
    EXPECT_EQ(run.exitCode, 1);
    // The message alone, without the toolkit's warnings.
    EXPECT_EQ(run.err.trimmed().toStdString(),
              QStringLiteral("orvane-preview: \"%1\" is not an SQLite database.").arg(text).toStdString());
    const QString other = dir.filePath(QStringLiteral("other.sqlite"));
    {
        const QString connection = QStringLiteral("preview.test.other");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
            db.setDatabaseName(other);
            ASSERT_TRUE(db.open());
            QSqlQuery(db).exec(QStringLiteral("CREATE TABLE customers (id INTEGER)"));
        }
        QSqlDatabase::removeDatabase(connection);
    }
    run = RunProgram(program, {file, QStringLiteral("--db"), other});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("plOrders"))) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("customers"))) << run.err.toStdString();
}
