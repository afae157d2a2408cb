#pragma once

// Designer window tests: the widget application, a configuration folder of
// their own (Orvane.ini never touches the user's) and a current directory of
// their own (Ravelle's template is found there).

#include "../../support/widget_environment.h"
#include "../../support/widget_helpers.h"

#include "app/receipt_form.h"
#include "components/component.h"
#include "designer/designer.h"
#include "designer/settings/ini_storage.h"
#include "designer/window/designer_window.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace orvane::test {

class DesignerWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_config.isValid() && m_cwd.isValid());
        m_oldConfigHome = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
        m_oldCwd = QDir::currentPath();
        QDir::setCurrent(m_cwd.path());
        ResetStorage();
    }
    void TearDown() override
    {
        // Windows freed later go now, while what they point at still exists.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QDir::setCurrent(m_oldCwd);
        ResetStorage();
        qputenv("XDG_CONFIG_HOME", m_oldConfigHome);
    }
    static void ResetStorage()
    {
        TjxIniStoragePlugIn::SetCurrentClass(TjxIniFile::StaticClass());
        TjxIniStoragePlugIn::SetCurrentName(TjxIniFile::StaticClass().defaultStorageName);
    }
    QString OrvaneIni() const { return m_config.path() + QStringLiteral("/orvane/Orvane.ini"); }
    void WriteIni(const QByteArray& text) const
    {
        QDir().mkpath(m_config.path() + QStringLiteral("/orvane"));
        QFile f(OrvaneIni());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }
    QString CwdFile(const QString& name) const { return m_cwd.filePath(name); }

private:
    QTemporaryDir m_config;
    QTemporaryDir m_cwd;
    QByteArray m_oldConfigHome;
    QString m_oldCwd;
};

// Ravelle's form with the designer window made (not shown modally).
struct TOpenDesigner {
    TForm1 form;
    TjxDesignerWindow* window = nullptr;

    TOpenDesigner()
    {
        form.ReadDescription();
        window = dynamic_cast<TjxDesignerWindow*>(form.Designer()->CreateDesignerWindow());
    }
    TjxReport* Receipt() const { return form.Receipt(); }
    TjxComponent* Component(const char* name) const
    {
        return dynamic_cast<TjxComponent*>(form.FindComponent(QString::fromLatin1(name)));
    }
};

// Counts the modal windows that open while it lives, closing each.
class TModalCount {
public:
    TModalCount()
        : m_timer(WhenModal([this](QWidget* modal) {
              ++m_count;
              modal->close();
              return false;
          }))
    {
    }
    ~TModalCount() { delete m_timer.data(); }
    TModalCount(const TModalCount&) = delete;
    TModalCount& operator=(const TModalCount&) = delete;
    // After the events pending now.
    int Count()
    {
        QApplication::processEvents();
        return m_count;
    }

private:
    int m_count = 0;
    QPointer<QTimer> m_timer;
};

// The designer window that is the active modal window, if any.
inline TjxDesignerWindow* ModalDesigner()
{
    return qobject_cast<TjxDesignerWindow*>(QApplication::activeModalWidget());
}

} // namespace orvane::test
