#pragma once

// A list report in a folder of its own: a text-form template whose detail band
// prints one item of an SQLite table, three to an A4 page with 13500 th margins.

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

namespace orvane::test {

struct ListReport {
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("list.rtm"));
    QString data = dir.filePath(QStringLiteral("data.sqlite"));

    // The paper in thousandths of a millimetre.
    explicit ListReport(int items = 12, int paperWidth = 210000, int paperHeight = 297000)
    {
        const QString connection = QStringLiteral("list.report.setup");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
            db.setDatabaseName(data);
            db.open();
            QSqlQuery q(db);
            q.exec(QStringLiteral("CREATE TABLE items (id INTEGER, name TEXT)"));
            db.transaction();
            q.prepare(QStringLiteral("INSERT INTO items VALUES (?, ?)"));
            for (int i = 1; i <= items; ++i) {
                q.addBindValue(i);
                q.addBindValue(QStringLiteral("Item %1").arg(i));
                q.exec();
            }
            db.commit();
        }
        QSqlDatabase::removeDatabase(connection);
        QFile f(file);
        f.open(QIODevice::WriteOnly);
        f.write(QStringLiteral("object rptList: TjxReport\r\n"
                               "  DataPipelineName = 'plItems'\r\n"
                               "  PrinterSetup.mmMarginBottom = 13500\r\n"
                               "  PrinterSetup.mmMarginTop = 13500\r\n"
                               "  PrinterSetup.mmPaperHeight = %2\r\n"
                               "  PrinterSetup.mmPaperWidth = %1\r\n"
                               "  Version = '9.01'\r\n"
                               "  object jxDetailBand1: TjxDetailBand\r\n"
                               "    mmHeight = 90000\r\n"
                               "    object jxDBText1: TjxDBText\r\n"
                               "      DataField = 'name'\r\n"
                               "      DataPipelineName = 'plItems'\r\n"
                               "      mmHeight = 5000\r\n"
                               "      mmWidth = 40000\r\n"
                               "    end\r\n"
                               "  end\r\n"
                               "end\r\n")
                    .arg(paperWidth)
                    .arg(paperHeight)
                    .toLatin1());
    }
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    // What the folder holds besides the template and its data, hidden files included.
    QStringList Outputs() const
    {
        QStringList entries = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                                         QDir::NoDotAndDotDot);
        entries.removeAll(QStringLiteral("list.rtm"));
        entries.removeAll(QStringLiteral("data.sqlite"));
        return entries;
    }
};

} // namespace orvane::test
