// orvane-cli convert, run as a user would run it.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct CliResult {
    int exitCode;
    QString errors;
};

CliResult Cli(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(ORVANE_CLI), args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardError())};
}

QByteArray Read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Write(const QString& path, const QByteArray& data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

const QByteArray kText =
    "object Form1: TForm1\r\n"
    "  Caption = 'It'#39's'\r\n"
    "  Color = clBtnFace\r\n"
    "  Font.Style = []\r\n"
    "  object jxReport1: TjxReport\r\n"
    "    Items = <\r\n"
    "      item\r\n"
    "        Width = 3\r\n"
    "      end>\r\n"
    "    Data = {0102}\r\n"
    "  end\r\n"
    "end\r\n";

} // namespace

TEST(CliConvert, ConvertsBothWaysAndBack)
{
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("in.txt"));
    const QString bin = dir.filePath(QStringLiteral("out.rtm"));
    const QString text2 = dir.filePath(QStringLiteral("back.txt"));
    Write(text, kText);
    EXPECT_EQ(Cli({"convert", "--to-binary", text, bin}).exitCode, 0);
    EXPECT_TRUE(Read(bin).startsWith("TPF0"));
    EXPECT_EQ(Cli({"convert", "--to-text", bin, text2}).exitCode, 0);
    EXPECT_EQ(Read(text2), kText);
    // Either form in gives the same result.
    const QString bin2 = dir.filePath(QStringLiteral("again.rtm"));
    EXPECT_EQ(Cli({"convert", "--to-binary", bin, bin2}).exitCode, 0);
    EXPECT_EQ(Read(bin2), Read(bin));
}

TEST(CliConvert, BadInputFailsWithTheMessageAndLeavesTheTargetAlone)
{
    QTemporaryDir dir;
    const QString bad = dir.filePath(QStringLiteral("bad.txt"));
    const QString out = dir.filePath(QStringLiteral("out.rtm"));
    Write(bad, "object Form1: TForm1\r\n  Caption = 'unterminated\r\nend\r\n");
    Write(out, "precious");
    CliResult r = Cli({"convert", "--to-binary", bad, out});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(r.errors.contains(QStringLiteral("on line 2"))) << r.errors.toStdString();
    EXPECT_EQ(Read(out), "precious");

    Write(bad, "TPF0\x06TForm1");
    r = Cli({"convert", "--to-text", bad, out});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(r.errors.contains(QStringLiteral("Stream read error"))) << r.errors.toStdString();
    EXPECT_EQ(Read(out), "precious");

    const QString missingOut = dir.filePath(QStringLiteral("never.rtm"));
    r = Cli({"convert", "--to-text", dir.filePath(QStringLiteral("missing.rtm")), missingOut});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_FALSE(QFile::exists(missingOut));
    EXPECT_EQ(Cli({"convert", "--sideways", bad, out}).exitCode, 2);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).size() == 2);  // no temporary files left behind
}
