#pragma once

// Every settings test runs with its own configuration folder, so that the
// user's Orvane.ini is never read or written, and with the process's storage
// as it is at start.

#include "designer/settings/ini_storage.h"
#include "document/errors.h"
#include "tests/support/test_basics.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace orvane::test {

class SettingsTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_hadConfigHome = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
        m_oldConfigHome = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path()));
        ResetStorage();
    }
    void TearDown() override
    {
        ResetStorage();
        if (m_hadConfigHome)
            qputenv("XDG_CONFIG_HOME", m_oldConfigHome);
        else
            qunsetenv("XDG_CONFIG_HOME");
    }

    static void ResetStorage()
    {
        TjxIniStoragePlugIn::SetCurrentClass(TjxIniFile::StaticClass());
        TjxIniStoragePlugIn::SetCurrentName(TjxIniFile::StaticClass().defaultStorageName);
    }

    // A file in the configuration folder ("orvane/Orvane.ini").
    QString ConfigPath(const QString& name) const { return m_dir.path() + u'/' + name; }
    QString OrvaneIni() const { return ConfigPath(QStringLiteral("orvane/Orvane.ini")); }

    static void WriteRaw(const QString& path, const QByteArray& data)
    {
        QFile f(path);
        QDir().mkpath(QFileInfo(path).absolutePath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(data), data.size());
    }
    static QByteArray ReadRaw(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

private:
    QTemporaryDir m_dir;
    bool m_hadConfigHome = false;
    QByteArray m_oldConfigHome;
};

} // namespace orvane::test
