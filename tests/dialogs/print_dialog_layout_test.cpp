// The print dialog with captions of another language and a long queue name:
// the form grows for them, so that no caption is cut off and no control
// lies on another.

#include "dialog_fixture.h"

#include "dialogs/print_dialog.h"
#include "document/printer.h"
#include "document/report_settings.h"
#include "document/messages.h"
#include "document/resource_manager.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QGroupBox>
#include <QScreen>
#include <QTemporaryDir>
#include <QToolButton>

using namespace orvane;
using namespace orvane::test;

namespace {

const QString kLongQueue = QStringLiteral("Accounts_Department_Colour_Laser_Printer_Third_Floor_East_Wing_Room_301");
const QString kLongLocation =
    QStringLiteral("Head office, building C, third floor, east wing, room 301, beside the kitchen and the archive");

// Captions as a translation might have them: most of them longer than the English.
const char* const kLongCaptions = R"(3=&Alle Seiten des Berichts drucken
5=Abbrechen und nicht drucken
7=Anzahl und Reihenfolge der Exemplare
9=Aktuelle S&eite, wie sie in der Vorschau gezeigt wird
11=Geben Sie Seitenzahlen und/oder Seitenbereiche ein, getrennt durch Kommas. Zum Beispiel 1,3,5-12. Leerzeichen werden nicht beachtet.
17=Drucken beginnen
19=Welche Seiten gedruckt werden sollen
20=Seiten&bereich nach Wahl
22=Drucken
25=Drucker und Warteschlange
26=Ausgabe in eine Datei umleiten statt zum Drucker
1010=Name des Druckers
1011=Druckertyp und Treiber
1012=Standort des Geräts
1013=&Eigenschaften der Druckerwarteschlange
1014=Anzahl der &Exemplare dieses Berichts
1015=Exemplare sortiert zusammenstellen
1016=Dr&ucken, welche Seiten des Bereichs
1017=Alle Seiten im gewählten Bereich
1018=Nur die ungeraden Seiten
1019=Nur die geraden Seiten
1073=Im Hintergrund drucken, während Sie weiterarbeiten
)";

struct PrintDialogLayoutTest : TestPlatform {
    QTemporaryDir modules;
    QStringList searchPath;

    void SetUp() override
    {
        TestPlatform::SetUp();
        m_spooler = std::make_shared<TjxTestSpooler>();
        m_spooler->AddPrinter({QStringLiteral("P"), kPrinterLocal, OfficePrinterCapabilities(), OfficeDriverSettings(),
                               Caps600(), false, false});
        m_spooler->AddPrinter({kLongQueue, kPrinterNetwork, OfficePrinterCapabilities(), OfficeDriverSettings(),
                               Caps600(), false, false});
        m_spooler->SetPort(QStringLiteral("P"), QStringLiteral("Front desk"));
        m_spooler->SetPort(kLongQueue, kLongLocation);
        m_spooler->SetDefaultPrinter(QStringLiteral("P"));
        SetSpooler(m_spooler);
        searchPath = TjxResourceManager::Instance().SearchPath();
    }
    void TearDown() override
    {
        TjxResourceManager::Instance().SetLanguage(lgDefault);
        TjxResourceManager::Instance().SetSearchPath(searchPath);
        TestPlatform::TearDown();
    }
    void UseLongCaptions()
    {
        QFile module(modules.filePath(QStringLiteral("lxPrint.deu")));
        ASSERT_TRUE(module.open(QIODevice::WriteOnly));
        module.write(kLongCaptions);
        module.close();
        TjxResourceManager::Instance().SetSearchPath({modules.path()});
        ASSERT_TRUE(TjxResourceManager::Instance().SetLanguage(lgGerman));
        ASSERT_EQ(GetMessage(1013), u"&Eigenschaften der Druckerwarteschlange");
    }
};

// What a caption shows: a mnemonic's "&" takes no room.
QString Shown(QString text)
{
    return text.remove(u'&');
}

// Every control placed on the form, its frames and its file panel.
void ExpectNothingClippedOrOverlapping(QWidget* window, const std::string& what)
{
    SCOPED_TRACE(what);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(window->width(), screen.width());
    EXPECT_LE(window->height(), screen.height());
    QList<QWidget*> containers{window};
    for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (qobject_cast<QGroupBox*>(child) || child->objectName() == u"filePanel")
            containers << child;
    for (QWidget* container : containers) {
        if (!container->isVisibleTo(window))
            continue;
        QList<QWidget*> placed;
        for (QWidget* child : container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (child->isVisibleTo(window) && !child->isWindow())
                placed << child;
        for (QWidget* w : placed) {
            const std::string name = (w->metaObject()->className() + (" " + w->objectName()).toStdString() + " " +
                                      (qobject_cast<QAbstractButton*>(w) ? qobject_cast<QAbstractButton*>(w)->text()
                                       : qobject_cast<QLabel*>(w)       ? qobject_cast<QLabel*>(w)->text()
                                                                        : QString())
                                          .toStdString());
            EXPECT_TRUE(container->rect().contains(w->geometry())) << name << " lies outside its frame";
            auto* label = qobject_cast<QLabel*>(w);
            auto* button = qobject_cast<QAbstractButton*>(w);
            auto* group = qobject_cast<QGroupBox*>(w);
            if (label && label->pixmap().isNull()) {
                if (label->wordWrap())
                    EXPECT_GE(w->height(), label->heightForWidth(w->width())) << name << " is cut off";
                else
                    EXPECT_GE(w->width(), label->fontMetrics().horizontalAdvance(Shown(label->text()))) << name;
            } else if (qobject_cast<QPushButton*>(w)) {
                EXPECT_GE(w->width(), button->fontMetrics().horizontalAdvance(Shown(button->text())) + 12)
                    << name << " is cut off";
            } else if (button && !qobject_cast<QToolButton*>(w)) {
                EXPECT_GE(w->width(), w->sizeHint().width()) << name << " is cut off";
            } else if (group) {
                EXPECT_GE(w->width(), group->fontMetrics().horizontalAdvance(group->title()) + 16) << name;
            }
            for (QWidget* other : placed)
                if (other != w && other->geometry().intersects(w->geometry()))
                    ADD_FAILURE() << name << " overlaps " << other->objectName().toStdString();
        }
    }
}

} // namespace

TEST_F(PrintDialogLayoutTest, TheFormGrowsForLongCaptionsAndNames)
{
    TjxBackgroundPrintSettings background;
    background.SetEnabled(true);
    const auto open = [&](TjxPrintDialog& dialog, TjxPrinter& printer) {
        dialog.SetPrinter(&printer);
        dialog.SetAllowPrintToFile(true);
        dialog.SetBackgroundPrintSettings(&background);
        dialog.Initialise();
    };
    TjxPrinter printer;
    printer.PrinterSetup()->SetPrinterName(kLongQueue);
    TjxPrintDialog english;
    open(english, printer);
    ExpectNothingClippedOrOverlapping(english.Window(), "English");
    const QSize englishSize = english.Window()->size();
    // The designed width; the long name and its location shortened in the
    // middle, whole in the tip.
    EXPECT_EQ(englishSize.width(), 482);
    auto* where = Child<QLabel>(english.Window(), "whereLabel");
    EXPECT_NE(where->text(), kLongLocation);
    EXPECT_EQ(where->toolTip(), kLongLocation);
    EXPECT_GE(Child<QComboBox>(english.Window(), "printerList")->view()->minimumWidth(),
              where->fontMetrics().horizontalAdvance(kLongQueue));

    UseLongCaptions();
    TjxPrintDialog translated;
    open(translated, printer);
    QDialog* window = translated.Window();
    ExpectNothingClippedOrOverlapping(window, "long captions");
    // A Properties caption over 75 pixels: the button is 15 wider than it,
    // and the form grows by at least the caption's width less 60.
    auto* properties = Child<QPushButton>(window, "propertiesButton");
    const int caption = properties->fontMetrics().horizontalAdvance(QStringLiteral("Eigenschaften der Druckerwarteschlange"));
    ASSERT_GT(caption, 75);
    EXPECT_GE(properties->width(), caption + 15);
    EXPECT_GE(window->width() - englishSize.width(), caption - 60);
    // The short location fits whole.
    auto* printers = Child<QComboBox>(window, "printerList");
    printers->setCurrentIndex(printers->findText(QStringLiteral("P")));
    EXPECT_EQ(Child<QLabel>(window, "whereLabel")->text(), u"Front desk");
    EXPECT_TRUE(Child<QLabel>(window, "whereLabel")->toolTip().isEmpty());
}
