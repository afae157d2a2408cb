#include "designer/window/designer_window.h"

#include "components/component.h"
#include "designer/controls/design_control_manager.h"
#include "designer/edit/clipboard.h"
#include "designer/edit_commands.h"
#include "designer/workspace/workspace_editor.h"
#include "designer/settings/ini_storage.h"
#include "designer/undo/undo_hooks.h"
#include "designer/undo/undo_manager.h"
#include "designer/undo/undoable.h"
#include "designer/workspace/design_surface.h"
#include "designer/workspace/ruler.h"
#include "designer/workspace/workspace.h"
#include "document/band.h"
#include "document/errors.h"
#include "document/dialog_registry.h"
#include "document/form.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/printer.h"
#include "document/printer_setup.h"
#include "document/report.h"
#include "document/report_template.h"
#include "document/resource_manager.h"
#include "document/units.h"
#include "engine/subreport.h"
#include "preview/preview.h"
#include "preview/status_bar.h"
#include "platform/file_io.h"

#include <QAbstractButton>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFileDialog>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPixmap>
#include <QScopedValueRollback>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace orvane {

namespace {

constexpr int kDesignPage = 0;
constexpr int kPreviewPage = 1;
constexpr int kStatusPanels = 5;
constexpr int kStatusPanelWidth = 90;
constexpr int kReportTabsHeight = 18;

// Menu captions that the message table holds without the accelerator or the ellipsis.
QString Accelerated(int message)
{
    return u'&' + GetMessage(message);
}

QString Ellipsis(int message)
{
    return GetMessage(message) + QStringLiteral("...");
}

// The Report menu's band items.
constexpr std::pair<const char*, TjxBandType> kBandItems[] = {{"mniReportTitle", btTitle},
                                                              {"mniReportSummary", btSummary},
                                                              {"mniReportHeader", btHeader},
                                                              {"mniReportFooter", btFooter},
                                                              {"mniReportPageStyle", btPageStyle}};

} // namespace

// Counts the window's code on the stack, so that a release waits for it.
class TjxDesignerWindow::THandlerScope {
public:
    explicit THandlerScope(TjxDesignerWindow* window) : m_window(window) { ++window->m_handlerDepth; }
    ~THandlerScope() { --m_window->m_handlerDepth; }
    THandlerScope(const THandlerScope&) = delete;
    THandlerScope& operator=(const THandlerScope&) = delete;

private:
    TjxDesignerWindow* m_window;
};

TjxDesignerWindow::TjxDesignerWindow(TjxDesigner* designer, QWidget* parent)
    : QMainWindow(parent, Qt::Window), m_designer(designer), m_sender(std::make_unique<TComponent>()),
      m_undo(std::make_unique<TjxUndoManager>()), m_hooks(std::make_unique<TjxUndoDesignerHooks>(m_undo.get())),
      m_commands(std::make_unique<TjxEditCommands>(m_hooks.get())),
      m_baseCaption(designer ? designer->Caption() : QString()), m_defaultFontName(settings::kDefaultFontName)
{
    setObjectName(QStringLiteral("jxDesignerWindow"));
    m_hooks->OnNotify = [this](int message, int code, TjxCommunicator* object) {
        HandleNotification(message, code, object);
    };
    m_selection.OnChange = [this] { RefreshState(); };
    BuildParts();
    BuildMenus();
    BuildStatusBar();
    m_history.OnChange = [this] { RebuildHistoryItems(); };
    {
        std::unique_ptr<TjxIniStorage> storage = TjxIniStoragePlugIn::CreateInstance();
        m_history.Load(*storage);
    }
    LoadSettings();
    LayoutStatusPanels();
    m_notebook->setCurrentIndex(kDesignPage);
    LoadLanguage();
    UpdateCaption();
}

TjxDesignerWindow::~TjxDesignerWindow()
{
    m_destroying = true;
    if (OnWindowDestroyed)
        OnWindowDestroyed();
    FireEvent(m_events.onDestroy);
    m_selection.OnChange = nullptr;
    m_history.OnChange = nullptr;
    SetReport(nullptr);
    // The preview's widgets are children of this window: the preview goes first.
    m_preview.reset();
    m_hooks->OnNotify = nullptr;
}

// ---- parts -----------------------------------------------------------------

void TjxDesignerWindow::BuildParts()
{
    auto* client = new QWidget(this);
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // Two thin panels above the notebook.
    for (int height : {2, 3}) {
        auto* panel = new QFrame(client);
        panel->setFixedHeight(height);
        if (height == 2)
            panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        layout->addWidget(panel);
    }

    m_notebook = new QTabWidget(client);
    m_notebook->setObjectName(QStringLiteral("pgcDesigner"));
    m_notebook->setFocusPolicy(Qt::NoFocus);
    m_notebook->tabBar()->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(m_notebook, 1);

    m_designSheet = new QWidget;
    m_designSheet->setObjectName(QStringLiteral("tshDesign"));
    auto* grid = new QGridLayout(m_designSheet);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    const char* dockNames[] = {"dckDesignTop", "dckDesignBottom", "dckDesignLeft", "dckDesignRight"};
    for (int side = dsTop; side <= dsRight; ++side) {
        m_docks[side] = new QWidget(m_designSheet);
        m_docks[side]->setObjectName(QLatin1String(dockNames[side]));
        // Empty until toolbars dock on them.
        auto* dockLayout = side <= dsBottom ? static_cast<QBoxLayout*>(new QHBoxLayout(m_docks[side]))
                                            : static_cast<QBoxLayout*>(new QVBoxLayout(m_docks[side]));
        dockLayout->setContentsMargins(0, 0, 0, 0);
        dockLayout->setSpacing(0);
    }
    m_surface = new TjxDesignSurface(m_designSheet);
    m_surface->setObjectName(QStringLiteral("pnlDesign"));
    m_surface->SetUndoManager(m_undo.get());
    m_surface->OnUnitsPicked = [this](TjxUnitType units) {
        THandlerScope scope(this);
        if (m_currentReport)
            UpdateStatusBar();
        (void)units;
    };
    // The rulers' "&Hide" is View > Rulers.
    m_surface->OnHideRulers = [this] { Command([this] { SetRulersVisible(false); }); };
    if (QAbstractButton* select = m_surface->SelectReportButton())
        connect(select, &QAbstractButton::clicked, this, [this] { Command([this] { ClearSelection(); }); });
    if (QLineEdit* focus = m_surface->FocusEdit())
        focus->installEventFilter(this);
    m_editor = std::make_unique<TjxWorkspaceEditor>(m_surface, &m_selection, m_commands.get());
    m_editor->SnapSource = [this] { return m_snapToGrid; };
    m_editor->RunCommand = [this](const std::function<void()>& gesture) { Command(gesture); };
    m_editor->OnModified = [this] { ReportModified(); };
    m_editor->OnDragged = [this] { UpdateStatusBar(); };
    m_editor->OnCreateComponent = [this](TjxComponent* component) {
        TjxEventParams params{{QStringLiteral("Component"), QVariant::fromValue<TPersistent*>(component), false}};
        m_events.onCreateComponent(m_sender.get(), params);
    };
    m_editor->OnValidateComponent = [this](TjxComponent* component) {
        TjxEventParams params{{QStringLiteral("Component"), QVariant::fromValue<TPersistent*>(component), false},
                              {QStringLiteral("Valid"), true, true}};
        m_events.onValidateComponent(m_sender.get(), params);
        return params.Value(u"Valid").toBool();
    };
    m_editor->RunBatch = [this](const std::function<void()>& change) {
        BeginUpdateLock();
        try {
            change();
        } catch (...) {
            EndUpdateLock();
            throw;
        }
        EndUpdateLock();
    };
    m_reportTabs = new QTabBar(m_designSheet);
    m_reportTabs->setObjectName(QStringLiteral("tbsReport"));
    m_reportTabs->setShape(QTabBar::RoundedSouth);
    m_reportTabs->setFixedHeight(kReportTabsHeight);
    m_reportTabs->setFocusPolicy(Qt::NoFocus);
    m_reportTabs->hide();
    connect(m_reportTabs, &QTabBar::currentChanged, this, [this](int index) { ReportTabChanged(index); });

    grid->addWidget(m_docks[dsTop], 0, 0, 1, 3);
    grid->addWidget(m_docks[dsLeft], 1, 0);
    grid->addWidget(m_surface, 1, 1);
    grid->addWidget(m_docks[dsRight], 1, 2);
    grid->addWidget(m_docks[dsBottom], 2, 0, 1, 3);
    grid->addWidget(m_reportTabs, 3, 0, 1, 3);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(1, 1);
    m_notebook->addTab(m_designSheet, QString());

    m_previewSheet = new QWidget;
    m_previewSheet->setObjectName(QStringLiteral("tshPreview"));
    m_notebook->addTab(m_previewSheet, QString());

    m_statusBar = new TjxStatusBar(client);
    m_statusBar->setObjectName(QStringLiteral("stbStatusBar"));
    m_statusBar->installEventFilter(this);
    layout->addWidget(m_statusBar);
    setCentralWidget(client);

    m_preview.reset(CreatePreview(m_previewSheet));
    if (m_preview) {
        m_preview->SetStatusBar(m_statusBar);
        m_preview->BeforePreviewPrintHandler = [this](TjxCustomPreview*) {
            if (m_mainReport)
                m_mainReport->IncludeDesignState(dsPrintingFromDesigner);
        };
        m_preview->AfterPreviewPrintHandler = [this](TjxCustomPreview*) {
            if (m_mainReport)
                m_mainReport->ExcludeDesignState(dsPrintingFromDesigner);
        };
    }
    connect(m_notebook, &QTabWidget::currentChanged, this, [this](int index) { NotebookChanged(index); });
}

void TjxDesignerWindow::BuildStatusBar()
{
    for (int i = 0; i < kStatusPanels; ++i)
        m_statusBar->AddPanel(kStatusPanelWidth);
}

void TjxDesignerWindow::LayoutStatusPanels()
{
    if (m_statusBar->PanelCount() < kStatusPanels)
        return;
    const int captions[] = {msg::DesignerReady, 181, 182, 183, 184};
    int used = 0;
    for (int i = 1; i < kStatusPanels; ++i) {
        const QFontMetrics metrics(m_statusBar->Panel(i)->font());
        const int width = std::max(kStatusPanelWidth,
                                   metrics.horizontalAdvance(GetMessage(captions[i]) + QStringLiteral("XXXXXXXX")));
        m_statusBar->SetPanelWidth(i, width);
        used += width;
    }
    if (m_notebook->currentIndex() == kDesignPage)
        m_statusBar->SetPanelWidth(0, std::max(0, m_statusBar->width() - used - 20));
}

QAction* TjxDesignerWindow::AddItem(QMenu* menu, const char* name, int message, const QKeySequence& shortcut)
{
    QAction* action = menu->addAction(QString());
    action->setObjectName(QLatin1String(name));
    action->setProperty("message", message);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    return action;
}

void TjxDesignerWindow::BuildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("mnuMain"));
    const auto addMenu = [bar](const char* name) {
        QMenu* menu = bar->addMenu(QString());
        menu->setObjectName(QLatin1String(name));
        return menu;
    };
    QMenu* file = m_fileMenu = addMenu("mnuFile");
    QMenu* edit = addMenu("mnuEdit");
    QMenu* view = addMenu("mnuView");
    QMenu* report = addMenu("mnuReport");
    QMenu* help = addMenu("mnuHelp");

    // The wizard gallery (New), the page setup and print-to-file dialogs
    // come from the dialog registry; without them the items do nothing.
    AddItem(file, "mniFileNew", msg::DesignerFileNew, QKeySequence(Qt::CTRL | Qt::Key_N));
    QAction* newReport = AddItem(file, "mniFileNewReport", msg::DesignerFileNewReport);
    QAction* open = AddItem(file, "mniFileOpen", 134, QKeySequence(Qt::CTRL | Qt::Key_O));
    QAction* close = AddItem(file, "mniFileClose", msg::DesignerFileClose);
    file->addSeparator();
    QAction* save = AddItem(file, "mniFileSave", 138, QKeySequence(Qt::CTRL | Qt::Key_S));
    QAction* saveAs = AddItem(file, "mniFileSaveAs", msg::DesignerFileSaveAs);
    file->addSeparator()->setObjectName(QStringLiteral("mniFileSubreportSeparator"));
    QAction* loadSubreport = AddItem(file, "mniFileLoadSubreport", msg::DesignerFileLoadSubreport);
    QAction* saveSubreport = AddItem(file, "mniFileSaveSubreport", msg::DesignerFileSaveSubreport);
    file->addSeparator()->setObjectName(QStringLiteral("mniFileFromFileSeparator"));
    QAction* loadFromFile = AddItem(file, "mniFileLoadFromFile", msg::DesignerFileLoadFromFile);
    QAction* saveToFile = AddItem(file, "mniFileSaveToFile", msg::DesignerFileSaveToFile);
    file->addSeparator()->setObjectName(QStringLiteral("mniFileSubreportFromFileSeparator"));
    QAction* loadSubreportFromFile =
        AddItem(file, "mniFileLoadSubreportFromFile", msg::DesignerFileLoadSubreportFromFile);
    QAction* saveSubreportToFile = AddItem(file, "mniFileSaveSubReportToFile", msg::DesignerFileSaveSubreportToFile);
    file->addSeparator();
    QAction* pageSetup = AddItem(file, "mniFilePageSetup", msg::DesignerFilePageSetup);
    QAction* print = AddItem(file, "mniFilePrint", msg::DesignerFilePrint, QKeySequence(Qt::CTRL | Qt::Key_P));
    QAction* printToFile = AddItem(file, "mniFilePrintToFileSetup", msg::DesignerFilePrintToFileSetup);
    const auto on = [this](QAction* item, std::function<void()> fn) {
        connect(item, &QAction::triggered, this, [this, fn = std::move(fn)] { Command(fn); });
    };
    on(newReport, [this] { NewReport(); });
    on(open, [this] { OpenTemplate(m_mainReport); });
    on(close, [this] { QWidget::close(); });
    on(save, [this] { SaveLayout(m_mainReport); });
    on(saveAs, [this] { SaveLayoutAs(m_mainReport); });
    on(loadSubreport, [this] { OpenTemplate(m_currentReport); });
    on(saveSubreport, [this] { SaveLayoutAs(m_currentReport); });
    on(loadFromFile, [this] { LoadFromFile(m_mainReport); });
    on(saveToFile, [this] { SaveToFile(m_mainReport, true); });
    on(loadSubreportFromFile, [this] { LoadFromFile(m_currentReport); });
    on(saveSubreportToFile, [this] { SaveToFile(m_currentReport, false); });
    on(pageSetup, [this] { RunReportDialog(QStringLiteral("TjxCustomPageSetupDialog"), m_currentReport); });
    on(print, [this] { Print(); });
    on(printToFile, [this] { RunReportDialog(QStringLiteral("TjxCustomPrintToFileSetupDialog"), m_mainReport); });
    connect(file, &QMenu::aboutToShow, this, [this] { FileMenuOpening(); });

    m_undoItem = AddItem(edit, "mniEditUndo", msg::DesignerUndo, QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_redoItem = AddItem(edit, "mniEditRedo", msg::DesignerRedo, QKeySequence(Qt::CTRL | Qt::Key_Y));
    edit->addSeparator();
    AddItem(edit, "mniEditCut", msg::DesignerEditCut, QKeySequence(Qt::CTRL | Qt::Key_X));
    AddItem(edit, "mniEditCopy", msg::DesignerEditCopy, QKeySequence(Qt::CTRL | Qt::Key_C));
    m_pasteItem = AddItem(edit, "mniEditPaste", msg::DesignerEditPaste, QKeySequence(Qt::CTRL | Qt::Key_V));
    QAction* del = AddItem(edit, "mniEditDelete", 124, QKeySequence(Qt::CTRL | Qt::Key_Delete));
    AddItem(edit, "mniEditSelectAll", msg::DesignerEditSelectAll, QKeySequence(Qt::CTRL | Qt::Key_A));
    edit->addSeparator();
    AddItem(edit, "mniEditBringToFront", msg::DesignerEditBringToFront);
    AddItem(edit, "mniEditSendToBack", msg::DesignerEditSendToBack);
    connect(m_undoItem, &QAction::triggered, this, [this] { Command([this] { UndoOrRedo(false); }); });
    connect(m_redoItem, &QAction::triggered, this, [this] { Command([this] { UndoOrRedo(true); }); });
    connect(del, &QAction::triggered, this, [this] { Command([this] { DeleteSelection(); }); });
    const std::pair<const char*, void (TjxDesignerWindow::*)()> editCommands[] = {
        {"mniEditCut", &TjxDesignerWindow::CutSelection},
        {"mniEditCopy", &TjxDesignerWindow::CopySelection},
        {"mniEditPaste", &TjxDesignerWindow::PasteComponents},
        {"mniEditSelectAll", &TjxDesignerWindow::SelectAll}};
    for (const auto& [name, command] : editCommands)
        connect(MenuItem(QLatin1String(name)), &QAction::triggered, this,
                [this, command] { Command([this, command] { (this->*command)(); }); });
    for (const bool front : {true, false})
        connect(MenuItem(QLatin1String(front ? "mniEditBringToFront" : "mniEditSendToBack")), &QAction::triggered,
                this, [this, front] {
                    Command([this, front] {
                        if (!m_selection.Primary())
                            return;
                        TjxUndoCommandScope task(m_hooks.get());
                        front ? m_commands->BringToFront(m_selection.Components())
                              : m_commands->SendToBack(m_selection.Components());
                    });
                });
    connect(edit, &QMenu::aboutToShow, this, [this] { EditMenuOpening(); });
    // Paste follows the clipboard, for its shortcut too.
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
        if (!m_previewActive && !m_destroying)
            EditMenuOpening();
    });

    // The toolbar manager fills the Toolbars submenu.
    QMenu* toolbars = view->addMenu(QString());
    toolbars->setObjectName(QStringLiteral("mniViewToolbars"));
    toolbars->menuAction()->setObjectName(QStringLiteral("mniViewToolbars"));
    toolbars->menuAction()->setProperty("message", int(msg::DesignerViewToolbars));
    QAction* rulers = AddItem(view, "mniViewRulers", msg::DesignerViewRulers);
    rulers->setCheckable(true);
    rulers->setChecked(true);
    on(rulers, [this] { SetRulersVisible(!RulersVisible()); });
    AddItem(view, "mniViewGridOptions", msg::DesignerViewGridOptions);
    QAction* showData = AddItem(view, "mniViewShowData", msg::DesignerViewShowData);
    showData->setCheckable(true);
    on(showData, [this] { SetShowData(!m_showData); });
    connect(view, &QMenu::aboutToShow, this, [this] { ViewMenuOpening(); });

    // The data dialog comes from the dialog registry; without it the item does nothing.
    AddItem(report, "mniReportData", 141);
    report->addSeparator();
    for (const auto& [name, type] : kBandItems) {
        QAction* item = AddItem(report, name, 0);
        item->setCheckable(true);
        const TjxBandType band = type;
        connect(item, &QAction::triggered, this,
                [this, band](bool checked) { Command([this, band, checked] { SetBandExists(band, checked); }); });
    }
    report->addSeparator();
    QAction* groups = AddItem(report, "mniReportGroups", 146, QKeySequence(Qt::CTRL | Qt::Key_G));
    on(groups, [this] {
        if (RunReportDialog(QStringLiteral("TjxCustomGroupDialog"), m_currentReport)) {
            m_surface->LayoutBands();
            ReportModified();
        }
    });
    report->addSeparator();
    QAction* cachePages = AddItem(report, "mniReportCachePages", msg::DesignerReportCachePages);
    cachePages->setCheckable(true);
    connect(cachePages, &QAction::triggered, this, [this](bool checked) {
        Command([this, checked] {
            if (m_mainReport)
                m_mainReport->SetCachePages(checked);
        });
    });
    QMenu* pass = report->addMenu(QString());
    pass->setObjectName(QStringLiteral("mniReportPassSetting"));
    pass->menuAction()->setObjectName(QStringLiteral("mniReportPassSetting"));
    pass->menuAction()->setProperty("message", int(msg::DesignerReportPassSetting));
    for (int tag : {0, 1}) {
        QAction* item = AddItem(pass, tag == 0 ? "mniReportOnePass" : "mniReportTwoPass",
                                tag == 0 ? msg::DesignerOnePass : msg::DesignerTwoPass);
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, tag] {
            Command([this, tag] {
                if (m_mainReport)
                    m_mainReport->SetPassSetting(TjxPassSettingType(tag));
            });
        });
    }
    // The inserted items: index 12, just before Portrait.
    on(AddItem(report, "mniReportOutlineSettings", 1141),
       [this] { RunReportDialog(QStringLiteral("TjxCustomOutlineSettingsDialog"), m_mainReport); });
    on(AddItem(report, "mniReportFindTextSettings", 1150),
       [this] { RunReportDialog(QStringLiteral("TjxCustomTextSearchSettingsDialog"), m_mainReport); });
    report->addSeparator()->setObjectName(QStringLiteral("mniReportInsertedSeparator"));
    for (const bool landscape : {false, true}) {
        QAction* item = AddItem(report, landscape ? "mniReportLandscape" : "mniReportPortrait", landscape ? 147 : 148);
        item->setCheckable(true);
        on(item, [this, landscape] {
            const TPrinterOrientation orientation = landscape ? poLandscape : poPortrait;
            if (m_currentReport && m_currentReport->PrinterSetup()->Orientation() != orientation)
                m_currentReport->PrinterSetup()->SetOrientation(orientation);
        });
    }
    report->addSeparator();
    QMenu* units = report->addMenu(QString());
    units->setObjectName(QStringLiteral("mniReportUnits"));
    units->menuAction()->setObjectName(QStringLiteral("mniReportUnits"));
    units->menuAction()->setProperty("message", int(msg::DesignerReportUnits));
    for (const TjxUnitChoice& u : kUnitChoices) {
        QAction* item = AddItem(units, u.menuItemName, u.message);
        item->setCheckable(true);
        const TjxUnitType unit = u.unit;
        connect(item, &QAction::triggered, this, [this, unit] { Command([this, unit] { SetUnits(unit); }); });
    }
    connect(report, &QMenu::aboutToShow, this, [this] { ReportMenuOpening(); });

    QAction* contents = AddItem(help, "mniHelpContents", msg::DesignerHelpTopics);
    on(AddItem(help, "mniHelpAbout", msg::DesignerAbout), [this] { About(); });
    on(contents, [this] { Help(QString()); });
}

void TjxDesignerWindow::SetMenuCaptions()
{
    const std::pair<const char*, int> menus[] = {{"mnuFile", 131}, {"mnuEdit", 120}, {"mnuView", msg::DesignerView},
                                                 {"mnuReport", msg::DesignerReport}, {"mnuHelp", msg::DesignerHelp}};
    for (const auto& [name, message] : menus)
        if (QMenu* menu = Menu(QLatin1String(name)))
            menu->setTitle(GetMessage(message));
    for (QAction* action : menuBar()->findChildren<QAction*>()) {
        const int message = action->property("message").toInt();
        if (message > 0)
            action->setText(GetMessage(message));
    }
    // Captions the table holds in another form.
    const auto set = [this](const char* name, const QString& text) {
        if (QAction* action = MenuItem(QLatin1String(name)))
            action->setText(text);
    };
    set("mniFileNew", GetMessage(msg::DesignerFileNew) + QStringLiteral("..."));
    set("mniViewGridOptions", GetMessage(msg::DesignerViewGridOptions) + QStringLiteral("..."));
    set("mniReportData", Accelerated(141) + QStringLiteral("..."));
    set("mniReportTitle", Accelerated(195));
    set("mniReportSummary", Accelerated(194));
    set("mniReportHeader", GetMessage(193));
    set("mniReportFooter", GetMessage(190));
    set("mniReportPageStyle", GetMessage(691));
    set("mniReportOutlineSettings", Ellipsis(1141));
    set("mniReportFindTextSettings", Ellipsis(1150));
    set("mniReportPortrait", Accelerated(148));
    set("mniReportLandscape", Accelerated(147));
    for (QMenu* sub : {Menu(QStringLiteral("mniReportPassSetting")), Menu(QStringLiteral("mniReportUnits"))})
        if (sub)
            sub->setTitle(GetMessage(sub->menuAction()->property("message").toInt()));
    EditMenuOpening();
}

QMenu* TjxDesignerWindow::Menu(const QString& name) const
{
    return menuBar()->findChild<QMenu*>(name);
}

QAction* TjxDesignerWindow::MenuItem(const QString& name) const
{
    return menuBar()->findChild<QAction*>(name);
}

void TjxDesignerWindow::FileMenuOpening()
{
    if (!m_currentReport || m_previewActive)
        return;
    const auto show = [this](std::initializer_list<const char*> names, bool visible) {
        for (const char* name : names)
            if (QAction* action = MenuItem(QLatin1String(name)))
                action->setVisible(visible);
    };
    const TjxReportTemplate* t = m_currentReport->Template();
    const bool usable = t->SaveTo() == stFile || t->DatabaseSettings()->IsComplete();
    for (const char* name : {"mniFileOpen", "mniFileSave", "mniFileSaveAs"})
        if (QAction* action = MenuItem(QLatin1String(name)))
            action->setEnabled(usable);
    // A template kept in a database can be copied to and from files.
    const bool fileCopies = m_allowSaveToFile && t->SaveTo() == stDatabase;
    const bool subreportTab = !m_reportTabs->isHidden() && m_reportTabs->currentIndex() > 0;
    show({"mniFileLoadFromFile", "mniFileSaveToFile", "mniFileFromFileSeparator"}, fileCopies);
    show({"mniFileLoadSubreport", "mniFileSaveSubreport", "mniFileSubreportSeparator"}, subreportTab);
    show({"mniFileLoadSubreportFromFile", "mniFileSaveSubReportToFile", "mniFileSubreportFromFileSeparator"},
         fileCopies && subreportTab);
}

void TjxDesignerWindow::EditMenuOpening()
{
    m_pasteItem->setEnabled(!m_previewActive && HasComponentStream());
    UpdateUndoItems();
}

void TjxDesignerWindow::UpdateUndoItems()
{
    if (!m_undoItem)
        return;
    m_undoItem->setText(GetMessage(msg::DesignerUndo) + u':' + QString::number(m_undo->UndoCount()));
    m_undoItem->setEnabled(!m_previewActive && m_undo->UndoCount() > 0);
    m_redoItem->setText(GetMessage(msg::DesignerRedo) + u':' + QString::number(m_undo->RedoCount()));
    m_redoItem->setEnabled(!m_previewActive && m_undo->RedoCount() > 0);
}

void TjxDesignerWindow::ViewMenuOpening()
{
    if (m_previewActive)
        return;
    if (QAction* rulers = MenuItem(QStringLiteral("mniViewRulers")))
        rulers->setChecked(RulersVisible());
    if (QAction* showData = MenuItem(QStringLiteral("mniViewShowData"))) {
        showData->setChecked(m_showData);
        showData->setEnabled(m_currentReport != nullptr);
    }
}

void TjxDesignerWindow::UpdateMenuState()
{
    if (m_destroying)
        return;
    FileMenuOpening();
    EditMenuOpening();
    ViewMenuOpening();
    ReportMenuOpening();
}

void TjxDesignerWindow::ReportMenuOpening()
{
    if (!m_currentReport || m_previewActive)
        return;
    if (QAction* findText = MenuItem(QStringLiteral("mniReportFindTextSettings")))
        findText->setVisible(GetDialogClass(u"TjxCustomTextSearchSettingsDialog") != nullptr);
    for (const auto& [name, type] : kBandItems)
        if (QAction* action = MenuItem(QLatin1String(name)))
            action->setChecked(m_currentReport->FindBand(type) != nullptr);
    const bool main = m_currentReport == m_mainReport;
    if (QAction* cache = MenuItem(QStringLiteral("mniReportCachePages"))) {
        cache->setEnabled(main);
        cache->setChecked(m_mainReport && m_mainReport->CachePages());
    }
    if (QMenu* pass = Menu(QStringLiteral("mniReportPassSetting"))) {
        pass->menuAction()->setEnabled(main);
        if (m_mainReport) {
            MenuItem(QStringLiteral("mniReportOnePass"))->setChecked(m_mainReport->PassSetting() == psOnePass);
            MenuItem(QStringLiteral("mniReportTwoPass"))->setChecked(m_mainReport->PassSetting() == psTwoPass);
        }
    }
    for (const TjxUnitChoice& u : kUnitChoices)
        if (QAction* action = MenuItem(QLatin1String(u.menuItemName)))
            action->setChecked(m_currentReport->Units() == u.unit);
    const bool landscape = m_currentReport->PrinterSetup()->Orientation() == poLandscape;
    MenuItem(QStringLiteral("mniReportPortrait"))->setChecked(!landscape);
    MenuItem(QStringLiteral("mniReportLandscape"))->setChecked(landscape);
}

void TjxDesignerWindow::RebuildHistoryItems()
{
    // An item may be the one whose click runs this (a reopened file moves to the top).
    for (QAction* item : m_historyItems) {
        m_fileMenu->removeAction(item);
        item->deleteLater();
    }
    m_historyItems.clear();
    if (m_history.Count() > 0 && !m_historySeparator)
        m_historySeparator = m_fileMenu->addSeparator();
    for (int i = 0; i < m_history.Count(); ++i) {
        QAction* item = m_fileMenu->addAction(m_history.Caption(i));
        item->setObjectName(QStringLiteral("mniHistory%1").arg(i));
        item->setEnabled(!m_previewActive);
        connect(item, &QAction::triggered, this, [this, i] { Command([this, i] { OpenHistoryItem(i); }); });
        m_historyItems.append(item);
    }
}

void TjxDesignerWindow::SetPreviewMenusEnabled(bool enabled)
{
    // Every item of the three menus, not only the menus: shortcuts act
    // without the menu (Ctrl+Z, Ctrl+G).
    for (const char* menu : {"mnuEdit", "mnuView", "mnuReport"})
        if (QMenu* m = Menu(QLatin1String(menu))) {
            m->menuAction()->setEnabled(enabled);
            for (QAction* action : m->actions())
                action->setEnabled(enabled);
        }
    for (const char* item : {"mniFileNew", "mniFileNewReport", "mniFileOpen", "mniFileSaveAs", "mniFilePageSetup",
                             "mniFileLoadFromFile", "mniFileSaveToFile", "mniFilePrintToFileSetup",
                             "mniFileLoadSubreport", "mniFileSaveSubreport", "mniFileLoadSubreportFromFile",
                             "mniFileSaveSubReportToFile"})
        if (QAction* action = MenuItem(QLatin1String(item)))
            action->setEnabled(enabled);
    for (QAction* item : m_historyItems)
        item->setEnabled(enabled);
    if (enabled)
        UpdateMenuState();
}

// ---- the designer component's part -----------------------------------------

void TjxDesignerWindow::ShowModal()
{
    if (m_loop || m_released)
        return;
    QPointer<TjxDesignerWindow> self(this);
    m_modal = true;
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
    QEventLoop loop;
    m_loop = &loop;
    if (isVisible())
        loop.exec(QEventLoop::DialogExec);
    if (!self)
        return;
    m_loop = nullptr;
    m_modal = false;
    setWindowModality(Qt::NonModal);
    if (m_released)
        FreeLater();
}

void TjxDesignerWindow::Release()
{
    if (m_released)
        return;
    m_released = true;
    m_designer = nullptr;
    OnWindowDestroyed = nullptr;
    OnReportGone = nullptr;
    OnAfterShow = nullptr;
    OnHelp = nullptr;
    SetReport(nullptr);
    if (m_loop) {
        // ShowModal frees the window once its loop returned.
        m_loop->quit();
        hide();
        return;
    }
    if (m_handlerDepth > 0) {
        hide();
        FreeLater();
        return;
    }
    delete this;
}

void TjxDesignerWindow::FreeLater()
{
    hide();
    deleteLater();
}

void TjxDesignerWindow::SetTabsVisible(bool value)
{
    m_tabsVisible = value;
    m_notebook->tabBar()->setVisible(value);
}

void TjxDesignerWindow::SetBaseCaption(const QString& value)
{
    m_baseCaption = value;
    UpdateCaption();
}

void TjxDesignerWindow::SetIcon(const TIcon& icon)
{
    QPixmap pixmap;
    if (pixmap.loadFromData(icon.Data()))
        setWindowIcon(QIcon(pixmap));
}

void TjxDesignerWindow::SetShowData(bool value)
{
    m_showData = value;
    ApplyShowData();
}

void TjxDesignerWindow::ApplyShowData()
{
    if (!m_currentReport)
        return;
    if (m_showData)
        m_currentReport->IncludeDesignState(dsShowingData);
    else
        m_currentReport->ExcludeDesignState(dsShowingData);
}

QRect TjxDesignerWindow::Bounds() const
{
    return (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized)) ? normalGeometry() : geometry();
}

void TjxDesignerWindow::SetBounds(const QRect& bounds)
{
    if (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized))
        setWindowState(Qt::WindowNoState);
    setGeometry(bounds);
}

TWindowState TjxDesignerWindow::WindowState() const
{
    if (windowState() & Qt::WindowMinimized)
        return wsMinimized;
    if (windowState() & Qt::WindowMaximized)
        return wsMaximized;
    return wsNormal;
}

void TjxDesignerWindow::SetWindowState(TWindowState value)
{
    switch (value) {
    case wsMaximized: setWindowState(Qt::WindowMaximized); break;
    case wsMinimized: setWindowState(Qt::WindowMinimized); break;
    default: setWindowState(Qt::WindowNoState); break;
    }
}

TjxDesignerInterface* TjxDesignerWindow::DesignerInterface() const
{
    return m_hooks.get();
}

// ---- settings ----------------------------------------------------------------

TjxDesignerWindowSettings TjxDesignerWindow::CurrentSettings() const
{
    TjxDesignerWindowSettings s;
    s.showData = m_showData;
    s.windowState = WindowState();
    s.bounds = Bounds();
    s.snapToGrid = m_snapToGrid;
    const TjxWorkspace* workspace = m_surface->Workspace();
    s.displayGrid = workspace->DisplayGrid();
    s.xGridSpace = workspace->XGridSpace();
    s.yGridSpace = workspace->YGridSpace();
    s.undoCapacity = m_undo->Capacity();
    s.defaultFontName = m_defaultFontName;
    s.defaultFontSize = m_defaultFontSize;
    return s;
}

void TjxDesignerWindow::LoadSettings()
{
    TjxDisplayInfo display;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        display.width = screen->geometry().width();
        display.height = screen->geometry().height();
        display.availableAreas.append(screen->availableGeometry());
        for (QScreen* other : QGuiApplication::screens())
            if (other != screen)
                display.availableAreas.append(other->availableGeometry());
    }
    std::unique_ptr<TjxIniStorage> storage = TjxIniStoragePlugIn::CreateInstance();
    const TjxDesignerWindowSettings s = LoadDesignerSettings(*storage, display, CurrentSettings());
    SetShowData(s.showData);
    SetBounds(s.bounds);
    SetWindowState(s.windowState);
    m_snapToGrid = s.snapToGrid;
    TjxWorkspace* workspace = m_surface->Workspace();
    workspace->SetDisplayGrid(s.displayGrid);
    workspace->SetXGridSpace(s.xGridSpace);
    workspace->SetYGridSpace(s.yGridSpace);
    m_undo->SetCapacity(s.undoCapacity);
    m_defaultFontName = s.defaultFontName;
    m_defaultFontSize = s.defaultFontSize;
    m_editor->defaultFontName = m_defaultFontName;
    m_editor->defaultFontSize = m_defaultFontSize;
}

void TjxDesignerWindow::SaveSettings()
{
    std::unique_ptr<TjxIniStorage> storage = TjxIniStoragePlugIn::CreateInstance();
    // The window's keys and the file history reach the file together.
    TjxIniStorageUpdate update(*storage);
    SaveDesignerSettings(*storage, CurrentSettings(), true);
    m_history.Save(*storage);
    update.Commit();
}

// ---- reports -----------------------------------------------------------------

void TjxDesignerWindow::SetReport(TjxReport* report)
{
    if (report == m_mainReport || m_settingReport)
        return;
    QScopedValueRollback settingReport(m_settingReport, true);
    if (!m_destroying) {
        m_surface->ShowWorkspace(false);
        m_reportTabs->hide();
        m_undo->Clear();
        m_undo->SetEnabled(true);
    }
    TjxReport* old = m_mainReport;
    SelectReport(nullptr);
    m_mainReport = report;
    if (m_preview && !m_previewActive)
        m_preview->Start(nullptr);
    if (old)
        old->SetComponentDesigner(nullptr);
    RebuildReportTabs();
    if (report && !m_destroying) {
        report->SetComponentDesigner(this);
        RebuildReportTabs();
        SelectReport(report);
        LoadLanguage();
        if (isVisible())
            m_surface->ShowWorkspace(true);
    }
    if (!m_destroying)
        UpdateCaption();
}

void TjxDesignerWindow::SelectReport(TjxCustomReport* report)
{
    if (report == m_currentReport || (m_mainReport && m_mainReport->Producing()))
        return;
    QScopedValueRollback switching(m_switching, true);
    const bool shown = isVisible() && !m_destroying;
    if (shown)
        m_surface->ShowWorkspace(false);
    m_surface->SetSelectedBand(nullptr);
    {
        // One refresh at the end, not one per change.
        BeginUpdateLock();
        m_selection.Clear();
        --m_updateLock;
    }
    m_currentReport = report;
    m_hooks->SetCurrentReport(report);
    if (!report) {
        m_surface->SetCurrentReport(nullptr);
        return;
    }
    if (report != m_mainReport && m_mainReport)
        report->Template()->AssignSettings(*m_mainReport->Template());
    // The surface takes the report's units, columns and width; shown data
    // may change what the controls measure, so the bands are laid out again.
    m_surface->SetCurrentReport(report);
    ApplyShowData();
    m_surface->LayoutBands();
    if (m_notebook->currentIndex() != kDesignPage && !m_destroying)
        m_notebook->setCurrentIndex(kDesignPage);
    if (shown)
        m_surface->ShowWorkspace(true);
    ActivateReportTab(report);
    UpdateStatusBar();
    NotifySelection();
    UpdateMenuState();
    TjxEventParams none;
    m_events.onReportSelected(m_sender.get(), none);
}

namespace {

void CollectChildReports(const TjxCustomReport* report, std::vector<TjxCustomReport*>& into)
{
    for (TjxCustomReport* child : report->ChildReports()) {
        into.push_back(child);
        CollectChildReports(child, into);
    }
}

} // namespace

QString TjxDesignerWindow::ReportTabCaption(TjxCustomReport* report) const
{
    if (report == m_mainReport) {
        const TjxCommunicator* pipeline = report->DataPipeline();
        return GetMessage(374) + QStringLiteral(": ") +
               (pipeline ? pipeline->UserName() : GetMessage(2061));
    }
    const auto* child = dynamic_cast<TjxRelative*>(report);
    const TjxRelative* subreport = child ? child->Parent() : nullptr;
    return subreport ? subreport->UserName() : report->Name();
}

void TjxDesignerWindow::RebuildReportTabs()
{
    const QSignalBlocker block(m_reportTabs);
    while (m_reportTabs->count() > 0)
        m_reportTabs->removeTab(0);
    m_tabReports.clear();
    if (m_mainReport && !m_destroying) {
        m_tabReports.push_back(m_mainReport);
        CollectChildReports(m_mainReport, m_tabReports);
    }
    for (TjxCustomReport* report : m_tabReports)
        m_reportTabs->addTab(ReportTabCaption(report));
    m_reportTabs->setVisible(m_reportTabs->count() > 1);
    ActivateReportTab(m_currentReport ? m_currentReport : m_mainReport);
}

void TjxDesignerWindow::RemoveReportTab(TjxCustomReport* report)
{
    const auto it = std::find(m_tabReports.begin(), m_tabReports.end(), report);
    if (it == m_tabReports.end())
        return;
    const int index = int(it - m_tabReports.begin());
    m_tabReports.erase(it);
    const QSignalBlocker block(m_reportTabs);
    m_reportTabs->removeTab(index);
    m_reportTabs->setVisible(m_reportTabs->count() > 1);
    ActivateReportTab(m_currentReport ? m_currentReport : m_mainReport);
}

void TjxDesignerWindow::ActivateReportTab(TjxCustomReport* report)
{
    const auto it = std::find(m_tabReports.begin(), m_tabReports.end(), report);
    if (it == m_tabReports.end())
        return;
    const QSignalBlocker block(m_reportTabs);
    m_reportTabs->setCurrentIndex(int(it - m_tabReports.begin()));
}

void TjxDesignerWindow::ReportTabChanged(int index)
{
    THandlerScope scope(this);
    if (index < 0 || index >= int(m_tabReports.size()))
        return;
    TjxCustomReport* previous = m_currentReport;
    try {
        SelectReport(m_tabReports[size_t(index)]);
        m_undo->Clear();
        UpdateCaption();
    } catch (const std::exception& error) {
        // The previous report stays the designed one.
        try {
            SelectReport(previous);
        } catch (const std::exception&) {
        }
        ActivateReportTab(previous);
        ShowErrorMessage(error);
    }
}

void TjxDesignerWindow::ReportModified()
{
    if (!m_currentReport || m_destroying || m_currentReport->HasState(csDestroying))
        return;
    m_currentReport->SetModified(true);
}

void TjxDesignerWindow::UpdateCaption()
{
    QString caption = m_baseCaption;
    if (m_mainReport) {
        if (m_reportTabs->currentIndex() > 0)
            return;
        TjxReportTemplate* t = m_mainReport->Template();
        if (m_mainReport->SaveAsTemplate()) {
            caption += QStringLiteral(": ") + t->FileName();
            if (t->SaveTo() == stFile && t->ReadOnly())
                caption += u' ' + GetMessage(msg::DesignerReadOnly);
        }
    }
    if (windowTitle() != caption)
        setWindowTitle(caption);
}

void TjxDesignerWindow::UpdateStatusBar()
{
    if (m_destroying || !m_currentReport || m_updateLock > 0 || m_statusBar->SimplePanel())
        return;
    QString first = GetMessage(msg::DesignerReady);
    if (m_selection.Count() == 1)
        first = GetMessage(msg::DesignerObject) + QStringLiteral(": ") + m_selection.Primary()->Name();
    else if (m_selection.Count() > 1)
        first = GetMessage(msg::DesignerObjects) + QStringLiteral(": ") + QString::number(m_selection.Count());
    m_statusBar->SetPanelText(0, first);
    if (m_statusBar->PanelCount() <= 4)
        return;
    const TjxSelectionBounds b = m_editor->Dragging() ? DragSelectionBounds() : m_selection.Bounds();
    // The printer setup converts in the report's units (printer pixels at its printer).
    const TjxPrinterSetup* setup = m_currentReport->PrinterSetup();
    const auto text = [&](int caption, int value, TjxAxis axis) {
        QString number;
        FormatGeneral(setup->UnitsOf(value, axis), 7, FormatSettings().decimalSeparator, number);
        return GetMessage(caption) + QStringLiteral(": ") + number;
    };
    m_statusBar->SetPanelText(1, text(181, b.left, axHorizontal));
    m_statusBar->SetPanelText(2, text(182, b.top, axVertical));
    m_statusBar->SetPanelText(3, text(183, b.width, axHorizontal));
    m_statusBar->SetPanelText(4, text(184, b.height, axVertical));
}

TjxSelectionBounds TjxDesignerWindow::DragSelectionBounds() const
{
    // What the outline would give on release: a length whose pixels did not
    // change keeps its exact thousandths.
    TjxSelectionBounds b = m_selection.Bounds();
    const QRect now = m_editor->DragBounds();
    const QRect start = m_editor->DragStartBounds();
    const auto bandTop = [this](int y) {
        TjxBand* band = m_surface->BandAt(y);
        return band ? y - m_surface->ControlManager()->BandAreaTop(band) : y;
    };
    const auto follow = [](int& mm, int pixels, int startPixels, TjxAxis axis) {
        if (pixels != startPixels)
            mm = UnitsToThousandths(float(pixels), utScreenPixels, axis);
    };
    follow(b.left, now.left(), start.left(), axHorizontal);
    follow(b.top, bandTop(now.top()), bandTop(start.top()), axVertical);
    follow(b.width, now.width(), start.width(), axHorizontal);
    follow(b.height, now.height(), start.height(), axVertical);
    return b;
}

void TjxDesignerWindow::RefreshState()
{
    if (m_updateLock > 0 || m_destroying)
        return;
    UpdateStatusBar();
    NotifySelection();
}

void TjxDesignerWindow::EndUpdateLock()
{
    if (m_updateLock > 0 && --m_updateLock == 0)
        RefreshState();
}

void TjxDesignerWindow::ClearSelection()
{
    m_surface->SetSelectedBand(nullptr);
    m_selection.Clear();
    RefreshState();
}

void TjxDesignerWindow::NotifySelection()
{
    if (m_updateLock > 0 || !m_currentReport || !m_mainReport || m_destroying)
        return;
    m_selectionList.clear();
    for (TjxComponent* c : m_selection.Components())
        m_selectionList.push_back(c);
    if (m_selectionList.empty()) {
        if (TjxBand* band = m_surface->SelectedBand())
            m_selectionList.push_back(band);
        else
            m_selectionList.push_back(m_currentReport);
    }
    TjxEventParams params{{QStringLiteral("Count"), int(m_selectionList.size())}};
    m_events.onSelectionChanged(m_sender.get(), params);
}

void TjxDesignerWindow::DeleteSelection()
{
    if (m_selection.IsEmpty() || !m_currentReport)
        return;
    const std::vector<TjxComponent*> doomed = m_selection.Components();
    m_editor->Cascade().Reset();
    BeginUpdateLock();
    try {
        m_selection.Clear();
        m_commands->DeleteComponents(doomed);
    } catch (...) {
        EndUpdateLock();
        throw;
    }
    EndUpdateLock();
    ReportModified();
}

void TjxDesignerWindow::SetUnits(TjxUnitType units)
{
    if (!m_currentReport)
        return;
    m_currentReport->SetUnits(units);
}

void TjxDesignerWindow::LoadLanguage()
{
    if (m_mainReport && m_mainReport->Language() != TjxResourceManager::Instance().Language())
        TjxResourceManager::Instance().SetLanguage(m_mainReport->Language());
    m_notebook->setTabText(kDesignPage, GetMessage(msg::DesignerDesignTab));
    m_notebook->setTabText(kPreviewPage, GetMessage(186));
    SetMenuCaptions();
    RebuildHistoryItems();
    m_surface->Retranslate();
    if (m_reportTabs->count() > 0 && m_mainReport)
        m_reportTabs->setTabText(0, ReportTabCaption(m_mainReport));
    LayoutStatusPanels();
    if (auto* preview = dynamic_cast<TjxPreview*>(m_preview.get()))
        preview->Retranslate();
    if (m_currentReport)
        UpdateStatusBar();
    else
        m_statusBar->SetPanelText(0, GetMessage(msg::DesignerReady));
}

// ---- notifications -----------------------------------------------------------

void TjxDesignerWindow::HandleNotification(int message, int code, TjxCommunicator* object)
{
    THandlerScope scope(this);
    if ((message == dnDesignControlCreated || message == dnBandControlCreated) && code != kDesignerNotifyCode)
        return;
    m_surface->HandleNotification(message, object);
    auto* report = dynamic_cast<TjxCustomReport*>(object);
    auto* mainReport = dynamic_cast<TjxReport*>(object);
    switch (message) {
    case dnNameChanged:
        UpdateCaption();
        UpdateStatusBar();
        break;
    case dnReportDestroyed:
        if (report && report == m_mainReport) {
            if (OnReportGone)
                OnReportGone();
            SetReport(nullptr);
        } else if (report) {
            // The dying report is still in its subreport: the tabs lose it without a walk of the tree.
            if (report == m_currentReport)
                SelectReport(m_mainReport);
            RemoveReportTab(report);
        }
        break;
    case dnPageLayoutChanged:
        ReportModified();
        break;
    case dnComponentDestroyed:
        if (m_destroying)
            break;
        if (auto* component = dynamic_cast<TjxComponent*>(object); component && m_selection.Contains(component)) {
            m_selection.Remove(component);
        }
        if (object) {
            TjxEventParams params;
            m_events.onDestroyComponent(object, params);
        }
        break;
    case dnUnitsChanged:
        // The report carries the units; the object is never a number.
        UpdateStatusBar();
        break;
    case dnPropertyChanged:
        if (object && object->HasState(csReading | csLoading))
            break;
        if (!isVisible() || m_previewActive)
            break;
        ReportModified();
        UpdateStatusBar();
        break;
    case dnSelectReport:
        if (!m_destroying && mainReport && mainReport != m_mainReport)
            SetReport(mainReport);
        break;
    case dnLanguageChanged:
        if (!m_destroying)
            LoadLanguage();
        break;
    case dnBandRemoved:
        if (m_previewActive || m_destroying)
            break;
        ClearSelection();
        break;
    case dnBandDestroyed:
        if (!m_destroying && m_surface->SelectedBand() == object)
            m_surface->SetSelectedBand(nullptr);
        if (!m_destroying)
            ClearSelection();
        break;
    case dnPrinting:
        // The report tells whether it prints.
        m_printing = report && report->Producing();
        break;
    case dnReportAttached:
        if (m_destroying)
            break;
        if (mainReport && !dynamic_cast<TjxChildReport*>(object)) {
            if (mainReport != m_mainReport)
                SetReport(mainReport);
        } else if (report && m_mainReport) {
            RebuildReportTabs();
        }
        break;
    case dnReportDetached:
        if (m_destroying)
            break;
        if (mainReport && mainReport == m_mainReport && !dynamic_cast<TjxChildReport*>(object)) {
            SetReport(nullptr);
        } else if (report && m_mainReport) {
            if (report == m_currentReport)
                SelectReport(m_mainReport);
            RemoveReportTab(report);
        }
        break;
    case dnSubreportChanged:
        if (!m_destroying)
            RebuildReportTabs();
        break;
    case dnTemplateLoadStart:
        m_undo->Clear();
        if (!m_reportUpdating)
            SelectReport(nullptr);
        break;
    case dnTemplateLoadEnd:
        m_undo->Clear();
        if (!m_reportUpdating && !m_destroying) {
            RebuildReportTabs();
            SelectReport(report ? report : m_mainReport);
            ActivateReportTab(m_currentReport);
            UpdateCaption();
        }
        break;
    case dnReportUpdateStart:
        SelectReport(nullptr);
        m_reportUpdating = true;
        break;
    case dnReportUpdateEnd:
        if (m_destroying)
            break;
        m_reportUpdating = false;
        RebuildReportTabs();
        SelectReport(report ? report : m_mainReport);
        ActivateReportTab(m_currentReport);
        break;
    case dnChildAdded:
    case dnChildRemoved:
        if (m_destroying)
            break;
        ReportModified();
        // A subreport made or removed brings or takes its child report's tab.
        if (dynamic_cast<TjxSubReport*>(object))
            RebuildReportTabs();
        break;
    case dnChildChanged:
        if (!m_destroying && m_notebook->currentIndex() == kDesignPage)
            ReportModified();
        break;
    case dnTemplateNewStart:
        if (!m_reportUpdating)
            SelectReport(nullptr);
        break;
    case dnTemplateNewEnd:
        if (!m_reportUpdating && !m_destroying) {
            RebuildReportTabs();
            SelectReport(report ? report : m_mainReport);
            ActivateReportTab(m_currentReport);
        }
        break;
    default:
        break;
    }
    if (!m_previewActive && !m_destroying)
        UpdateUndoItems();
}

// ---- Design and Preview -------------------------------------------------------

void TjxDesignerWindow::NotebookChanged(int index)
{
    THandlerScope scope(this);
    if (m_switching && index == m_previousPage)
        return;
    const int previous = m_previousPage;
    if (!m_mainReport || index == previous) {
        m_previousPage = index;
        return;
    }
    QScopedValueRollback switching(m_switching, true);
    try {
        LeavePage(previous);
        if (EnterPage(index)) {
            m_previousPage = index;
            return;
        }
        LeavePage(index);
    } catch (const std::exception& error) {
        LeavePage(index);
        ShowErrorMessage(error);
    }
    {
        const QSignalBlocker block(m_notebook);
        m_notebook->setCurrentIndex(previous);
    }
    try {
        EnterPage(previous);
    } catch (const std::exception& error) {
        ShowErrorMessage(error);
    }
}

bool TjxDesignerWindow::EnterPage(int index)
{
    TjxEventParams params{{QStringLiteral("NewTab"), m_notebook->tabText(index)},
                          {QStringLiteral("AllowChange"), true, true}};
    m_events.onTabChange(m_sender.get(), params);
    if (!params.Value(u"AllowChange").toBool())
        return false;
    if (index == kPreviewPage) {
        if (!EnterPreview())
            return false;
    } else {
        EnterDesign();
    }
    TjxEventParams none;
    m_events.onTabChanged(m_sender.get(), none);
    return true;
}

void TjxDesignerWindow::LeavePage(int index)
{
    if (index == kPreviewPage)
        LeavePreview();
}

void TjxDesignerWindow::EnterDesign()
{
    if (m_statusBar->SimplePanel())
        m_statusBar->SetSimplePanel(false);
    LayoutStatusPanels();
    UpdateStatusBar();
    if (QLineEdit* focus = m_surface->FocusEdit(); focus && isActiveWindow())
        focus->setFocus();
}

bool TjxDesignerWindow::EnterPreview()
{
    if (!m_mainReport)
        return false;
    m_mainReport->IncludeDesignState(dsDesignerActive);
    m_previewActive = true;
    SetPreviewMenusEnabled(false);
    if (m_statusBar->SimplePanel())
        m_statusBar->SetSimplePanel(false);
    if (!m_preview)
        return true;
    try {
        m_preview->Start(m_mainReport);
        m_preview->Viewer()->Regenerate();
    } catch (const std::exception& error) {
        LeavePreview();
        ShowErrorMessage(error);
        return false;
    }
    if (auto* preview = dynamic_cast<TjxPreview*>(m_preview.get()))
        preview->SetOutlineVisible(m_mainReport->OutlineSettings()->Enabled());
    return true;
}

void TjxDesignerWindow::LeavePreview()
{
    if (!m_previewActive)
        return;
    if (m_preview && m_preview->Viewer() && m_preview->Viewer()->Busy())
        m_preview->Viewer()->Cancel();
    m_previewActive = false;
    if (m_mainReport)
        m_mainReport->ExcludeDesignState(dsDesignerActive);
    if (m_statusBar->SimplePanel())
        m_statusBar->SetSimplePanel(false);
    if (m_preview)
        m_preview->Start(nullptr);
    SetPreviewMenusEnabled(true);
}

// ---- commands ------------------------------------------------------------------

void TjxDesignerWindow::Command(const std::function<void()>& fn)
{
    if (m_switching || m_released)
        return;
    THandlerScope scope(this);
    // A menu item's shortcut acts without its menu opening: the item's state
    // is what opening the menu would make it, and a disabled item does nothing.
    if (auto* item = qobject_cast<QAction*>(sender())) {
        UpdateMenuState();
        if (!item->isEnabled() || !item->isVisible())
            return;
    }
    try {
        fn();
    } catch (const std::exception& error) {
        ShowErrorMessage(error);
    }
    // The items follow what the command did.
    if (!m_destroying && !m_released)
        UpdateMenuState();
}

bool TjxDesignerWindow::ConfirmSave(TjxCustomReport* report)
{
    if (!report || !report->SaveAsTemplate() || !report->IsModified())
        return true;
    TjxReportTemplate* t = report->Template();
    if (t->FileName().isEmpty())
        t->SetFileName(GetMessage(msg::DesignerNewReportName));
    QString name = t->FileName();
    const auto it = std::find(m_tabReports.begin(), m_tabReports.end(), report);
    if (it != m_tabReports.end() && it != m_tabReports.begin())
        name = m_reportTabs->tabText(int(it - m_tabReports.begin())) + QStringLiteral(": ") + name;
    switch (ShowMessageBox(FillMessage(FormatMessage(GetMessage(357)), {name}), mtConfirmation,
                           mbYes | mbNo | mbCancel)) {
    case mrYes: return SaveLayout(report);
    case mrNo: return true;
    default: return false;
    }
}

bool TjxDesignerWindow::SaveLayout(TjxCustomReport* report)
{
    if (!report)
        return false;
    TjxReportTemplate* t = report->Template();
    if (t->FileName().isEmpty() || t->FileName().contains(GetMessage(msg::DesignerNewReportName)))
        return SaveLayoutAs(report);
    if (t->SaveTo() == stFile && t->ReadOnly()) {
        ShowMessageBox(GetMessage(51), mtWarning, mbOK);
        return SaveLayoutAs(report);
    }
    WriteLayout(report);
    return true;
}

bool TjxDesignerWindow::SaveLayoutAs(TjxCustomReport* report)
{
    if (!report)
        return false;
    TjxReportTemplate* t = report->Template();
    const QString chosen = ChooseTemplateFile(true, t->FileName());
    if (chosen.isEmpty())
        return false;
    const QString old = t->FileName();
    t->SetFileName(chosen);
    try {
        WriteLayout(report);
    } catch (...) {
        t->SetFileName(old);
        throw;
    }
    if (report == m_mainReport)
        m_history.AddDocument(t->FileName(), t->SaveTo(), t->Offset());
    UpdateCaption();
    return true;
}

void TjxDesignerWindow::WriteLayout(TjxCustomReport* report)
{
    if (m_events.onCustomSaveDoc.IsAssigned()) {
        TjxEventParams none;
        m_events.onCustomSaveDoc(report, none);
        return;
    }
    // A save that succeeds clears the modified flag.
    report->Template()->Save();
}

void TjxDesignerWindow::ReadReport(TjxCustomReport* report)
{
    try {
        if (m_events.onCustomOpenDoc.IsAssigned()) {
            TjxEventParams none;
            m_events.onCustomOpenDoc(report, none);
        } else {
            report->Template()->Load();
        }
    } catch (...) {
        m_undo->Clear();
        throw;
    }
    TjxReportTemplate* t = report->Template();
    if (report == m_mainReport)
        m_history.AddDocument(t->FileName(), t->SaveTo(), t->Offset());
    if (!report->SaveAsTemplate())
        report->SetModified(true);
    m_undo->Clear();
}

void TjxDesignerWindow::OpenHistoryItem(int index)
{
    if (!m_mainReport || index < 0 || index >= m_history.Count())
        return;
    const TjxHistoryDocument document = m_history.Document(index);
    TjxReportTemplate* t = m_mainReport->Template();
    if (document.fileName == t->FileName() || !ConfirmSave(m_mainReport))
        return;
    const TjxSaveToType oldSaveTo = t->SaveTo();
    const QString oldName = t->FileName();
    const int oldOffset = t->Offset();
    if (document.saveTo)
        t->SetSaveTo(*document.saveTo);
    if (document.offset)
        t->SetOffset(*document.offset);
    t->SetFileName(document.fileName);
    try {
        ReadReport(m_mainReport);
    } catch (...) {
        t->SetFileName(oldName);
        t->SetSaveTo(oldSaveTo);
        t->SetOffset(oldOffset);
        throw;
    }
    if (document.saveTo && *document.saveTo != oldSaveTo) {
        t->SetSaveTo(oldSaveTo);
        t->SetFileName(oldName);
    }
    t->SetOffset(oldOffset);
    UpdateCaption();
}

void TjxDesignerWindow::OpenTemplate(TjxCustomReport* report)
{
    if (!report || !ConfirmSave(report))
        return;
    TjxReportTemplate* t = report->Template();
    const QString chosen = ChooseTemplateFile(false, t->FileName());
    if (chosen.isEmpty())
        return;
    const QString old = t->FileName();
    t->SetFileName(chosen);
    try {
        ReadReport(report);
    } catch (...) {
        t->SetFileName(old);
        throw;
    }
    UpdateCaption();
}

QString TjxDesignerWindow::ChooseTemplateFile(bool save, const QString& fileName)
{
    const QString filter = TjxReportTemplate::FileFilter().section(u'|', 0, 0);
    return save ? QFileDialog::getSaveFileName(this, QString(), fileName, filter)
                : QFileDialog::getOpenFileName(this, QString(), fileName, filter);
}

namespace {

// What a file copy changes on a template, put back when the copy ends,
// however it ends.
class TTemplateFileCopy {
public:
    TTemplateFileCopy(TjxCustomReport* report, const std::function<void()>& done)
        : m_report(report), m_template(report->Template()), m_saveTo(m_template->SaveTo()),
          m_offset(m_template->Offset()), m_fileName(m_template->FileName()), m_format(m_template->Format()),
          m_modified(report->IsModified()), m_done(done)
    {
    }
    ~TTemplateFileCopy()
    {
        m_template->SetSaveTo(m_saveTo);
        m_template->SetOffset(m_offset);
        m_template->SetFileName(m_fileName);
        m_template->SetFormat(m_format);
        if (m_keepModified)
            m_report->SetModified(m_modified);
        m_done();
    }
    TTemplateFileCopy(const TTemplateFileCopy&) = delete;
    TTemplateFileCopy& operator=(const TTemplateFileCopy&) = delete;

    // A copy written elsewhere leaves the template's own place unsaved.
    void KeepModified() { m_keepModified = true; }

private:
    TjxCustomReport* m_report;
    TjxReportTemplate* m_template;
    TjxSaveToType m_saveTo;
    int m_offset;
    QString m_fileName;
    TjxFormatType m_format;
    bool m_modified;
    bool m_keepModified = false;
    std::function<void()> m_done;
};

} // namespace

void TjxDesignerWindow::LoadFromFile(TjxCustomReport* report)
{
    if (!report || !ConfirmSave(report))
        return;
    TjxReportTemplate* t = report->Template();
    const TTemplateFileCopy restore(report, [this] { UpdateCaption(); });
    const QString chosen = ChooseTemplateFile(false, t->FileName());
    if (chosen.isEmpty())
        return;
    // The file is a template of its own: the database record's offset is not its.
    t->SetSaveTo(stFile);
    t->SetOffset(0);
    t->SetFileName(chosen);
    ReadReport(report);
}

void TjxDesignerWindow::SaveToFile(TjxCustomReport* report, bool textForm)
{
    if (!report)
        return;
    TjxReportTemplate* t = report->Template();
    TTemplateFileCopy restore(report, [this] { UpdateCaption(); });
    restore.KeepModified();
    if (textForm)
        t->SetFormat(ftASCII);
    t->SetSaveTo(stFile);
    const QString chosen = ChooseTemplateFile(true, t->FileName());
    if (chosen.isEmpty())
        return;
    t->SetOffset(0);
    t->SetFileName(chosen);
    WriteLayout(report);
}

void TjxDesignerWindow::NewReport()
{
    TjxCustomReport* report = m_currentReport;
    if (!report || !ConfirmSave(report))
        return;
    // The blank report: the template emptied inside one report update.
    ClearSelection();
    m_undo->Clear();
    m_undo->SetEnabled(false);
    report->BeginUpdate();
    try {
        report->Template()->New();
    } catch (...) {
        report->EndUpdate();
        m_undo->SetEnabled(true);
        throw;
    }
    report->EndUpdate();
    m_undo->SetEnabled(true);
    if (!report->SaveAsTemplate())
        ReportModified();
}

void TjxDesignerWindow::Print()
{
    if (!m_mainReport || !m_preview || !m_preview->Viewer())
        return;
    const bool started = !m_previewActive;
    if (started)
        m_preview->Start(m_mainReport);
    m_mainReport->IncludeDesignState(dsPrintingFromDesigner);
    try {
        m_preview->Viewer()->Print();
    } catch (...) {
        m_mainReport->ExcludeDesignState(dsPrintingFromDesigner);
        if (started)
            m_preview->Start(nullptr);
        throw;
    }
    m_mainReport->ExcludeDesignState(dsPrintingFromDesigner);
    if (started)
        m_preview->Start(nullptr);
}


void TjxDesignerWindow::UndoOrRedo(bool redo)
{
    if (!m_currentReport)
        return;
    // A drag half done would be applied to components the undo moved.
    m_editor->CancelDrag();
    m_editor->HideMarks();
    try {
        redo ? m_hooks->Redo() : m_hooks->Undo();
    } catch (...) {
        m_editor->ShowMarks();
        RefreshState();
        throw;
    }
    m_editor->ShowMarks();
    RefreshState();
}

void TjxDesignerWindow::AddSelection(TjxComponent* component) { m_editor->AddSelection(component); }

void TjxDesignerWindow::CopySelection()
{
    if (m_selection.IsEmpty())
        return;
    PutComponentStream(m_commands->CopyComponents(m_selection.Components(), &m_editor->Cascade()));
}

void TjxDesignerWindow::CutSelection()
{
    if (m_selection.IsEmpty())
        return;
    const std::vector<TjxComponent*> cut = m_selection.Components();
    QByteArray stream;
    m_editor->RunBatch([&] {
        m_selection.Clear();
        stream = m_commands->CutComponents(cut, &m_editor->Cascade());
    });
    PutComponentStream(stream);
    ReportModified();
}

void TjxDesignerWindow::PasteComponents()
{
    if (!m_currentReport)
        return;
    // A bad clipboard raises before anything changes.
    const QByteArray stream = TakeComponentStream();
    if (stream.isEmpty())
        return;
    const std::vector<TjxComponent*> pasted = m_commands->PasteComponents(stream, nullptr, &m_editor->Cascade());
    m_editor->RunBatch([&] {
        m_selection.Clear();
        for (TjxComponent* c : pasted)
            m_editor->AddSelection(c);
    });
    ReportModified();
}

void TjxDesignerWindow::SelectAll()
{
    if (m_currentReport)
        m_editor->SelectAll();
}

void TjxDesignerWindow::NudgeSelection(int key, Qt::KeyboardModifiers modifiers)
{
    if (m_selection.IsEmpty())
        return;
    const int dx = key == Qt::Key_Left ? -1 : key == Qt::Key_Right ? 1 : 0;
    const int dy = key == Qt::Key_Up ? -1 : key == Qt::Key_Down ? 1 : 0;
    TjxUndoCommandScope task(m_hooks.get());
    BeginUpdateLock();
    try {
        for (TjxComponent* c : m_selection.Components()) {
            if (modifiers & Qt::ShiftModifier) {
                // A size of one pixel is the least.
                if (dx != 0 && (dx > 0 || c->spWidth() > 1))
                    c->SetspWidth(c->spWidth() + dx);
                if (dy != 0 && (dy > 0 || c->spHeight() > 1))
                    c->SetspHeight(c->spHeight() + dy);
            } else {
                if (dx != 0)
                    c->SetspLeft(c->spLeft() + dx);
                if (dy != 0)
                    c->SetspTop(c->spTop() + dy);
            }
        }
    } catch (...) {
        EndUpdateLock();
        throw;
    }
    EndUpdateLock();
}

void TjxDesignerWindow::SetBandExists(TjxBandType type, bool exists)
{
    TjxCustomReport* report = m_currentReport;
    if (!report)
        return;
    TjxBand* band = report->FindBand(type);
    if ((band != nullptr) == exists)
        return;
    {
        TjxUndoCommandScope task(m_hooks.get());
        if (exists) {
            {
                // Its record is the whole band, not its property changes.
                TjxUndoDisabledGuard off(m_undo.get());
                band = report->CreateBand(type);
            }
            if (m_undo->Enabled())
                m_undo->Commit(TjxUndoableClassFactory::Instance().Create(QStringLiteral("CreateBand"), band));
        } else {
            if (m_surface->SelectedBand() == band)
                m_surface->SetSelectedBand(nullptr);
            if (m_undo->Enabled())
                m_undo->Commit(TjxUndoableClassFactory::Instance().Create(QStringLiteral("DestroyBand"), band));
            TjxUndoDisabledGuard off(m_undo.get());
            FreeComponentTrees(band->Owner(), {band});
        }
    }
    if (type == btFooter)
        m_surface->Workspace()->SetFooterPresent(exists);
    m_surface->LayoutBands();
    ReportModified();
}

void TjxDesignerWindow::SetRulersVisible(bool visible)
{
    m_surface->SetRulersVisible(visible);
    if (QAction* rulers = MenuItem(QStringLiteral("mniViewRulers")))
        rulers->setChecked(visible);
}

bool TjxDesignerWindow::RulersVisible() const
{
    return m_surface->RulersVisible();
}

bool TjxDesignerWindow::RunReportDialog(const QString& abstractClass, TjxCustomReport* report)
{
    const TClassInfo* cls = GetDialogClass(abstractClass);
    if (!cls || !cls->createComponent || !report)
        return false;
    std::unique_ptr<TComponent> made(cls->createComponent(nullptr));
    auto* dialog = dynamic_cast<TjxForm*>(made.get());
    if (!dialog)
        return false;
    dialog->SetLanguageIndex(int(report->Language()));
    dialog->SetReport(report);
    return dialog->ShowModal() == mrOK;
}

void TjxDesignerWindow::About()
{
    ShowMessageBox(GetMessage(msg::DesignerAboutText), mtInformation, mbOK);
}

void TjxDesignerWindow::SetAllowSaveToFile(bool value)
{
    m_allowSaveToFile = value;
    UpdateMenuState();
}

void TjxDesignerWindow::Help(const QString& keyPhrase)
{
    QString file = QStringLiteral("Orvane.hlp");
    QString phrase = keyPhrase;
    bool call = true;
    if (OnHelp)
        OnHelp(file, phrase, call);
    if (call && !file.isEmpty()) {
        QUrl url = QUrl::fromLocalFile(ResolveFileName(file));
        if (!phrase.isEmpty())
            url.setFragment(phrase);
        QDesktopServices::openUrl(url);
    }
}

bool TjxDesignerWindow::CanCloseDesigner()
{
    if (!m_mainReport)
        return true;
    if (m_mainReport->Producing())
        return false;
    std::vector<TjxCustomReport*> reports{m_mainReport};
    CollectChildReports(m_mainReport, reports);
    for (auto it = reports.rbegin(); it != reports.rend(); ++it)
        if (!ConfirmSave(*it))
            return false;
    // The close step: a drag half done is dropped; a settings file that
    // cannot be written is told once, and the window closes anyway.
    m_editor->CancelDrag();
    try {
        SaveSettings();
    } catch (const std::exception& error) {
        ShowErrorMessage(error);
    }
    if (!m_mainReport->Producing())
        m_mainReport->ResetRun();
    return true;
}

// ---- window events -------------------------------------------------------------

void TjxDesignerWindow::FireEvent(const TMethod& handler)
{
    if (!handler.IsAssigned())
        return;
    THandlerScope scope(this);
    try {
        TjxEventParams none;
        handler(m_sender.get(), none);
    } catch (const std::exception& error) {
        ShowErrorMessage(error);
    }
}

void TjxDesignerWindow::closeEvent(QCloseEvent* event)
{
    THandlerScope scope(this);
    try {
        TjxEventParams query{{QStringLiteral("CanClose"), true, true}};
        m_events.onCloseQuery(m_sender.get(), query);
        if (!query.Value(u"CanClose").toBool() || m_switching || !CanCloseDesigner()) {
            event->ignore();
            return;
        }
        TjxEventParams none;
        m_events.onClose(m_sender.get(), none);
    } catch (const std::exception& error) {
        event->ignore();
        ShowErrorMessage(error);
        return;
    }
    event->accept();
}

void TjxDesignerWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    THandlerScope scope(this);
    try {
        if (m_currentReport)
            m_surface->ShowWorkspace(true);
        LayoutStatusPanels();
        if (OnAfterShow)
            OnAfterShow();
    } catch (const std::exception& error) {
        ShowErrorMessage(error);
    }
}

void TjxDesignerWindow::hideEvent(QHideEvent* event)
{
    QMainWindow::hideEvent(event);
    if (m_loop)
        m_loop->quit();
    FireEvent(m_events.onHide);
}

void TjxDesignerWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    FireEvent(m_events.onResize);
}

void TjxDesignerWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || m_destroying)
        return;
    THandlerScope scope(this);
    try {
        if (isActiveWindow()) {
            EditMenuOpening();
            if (m_mainReport)
                m_surface->ShowWorkspace(true);
            if (QLineEdit* focus = m_surface->FocusEdit(); focus && !m_previewActive)
                focus->setFocus();
            if (m_mainReport && m_previewActive)
                m_mainReport->IncludeDesignState(dsDesignerActive);
            TjxEventParams none;
            m_events.onActivate(m_sender.get(), none);
        } else {
            m_surface->EraseGuides();
            if (m_mainReport && !m_mainReport->Producing())
                m_mainReport->ExcludeDesignState(dsDesignerActive);
            TjxEventParams none;
            m_events.onDeactivate(m_sender.get(), none);
        }
    } catch (const std::exception& error) {
        ShowErrorMessage(error);
    }
}

bool TjxDesignerWindow::event(QEvent* event)
{
    // A key on its way to the shortcuts: the items it may reach are brought
    // up to date first (a shortcut only acts for an enabled item).
    if (event->type() == QEvent::ShortcutOverride && !m_destroying) {
        THandlerScope scope(this);
        UpdateMenuState();
    }
    return QMainWindow::event(event);
}

bool TjxDesignerWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_statusBar && (event->type() == QEvent::Resize || event->type() == QEvent::Show ||
                                  event->type() == QEvent::FontChange)) {
        LayoutStatusPanels();
        return false;
    }
    if (watched != m_surface->FocusEdit())
        return QMainWindow::eventFilter(watched, event);
    // The focus target takes no shortcut for itself: the menu's shortcuts reach the menu.
    if (event->type() == QEvent::ShortcutOverride) {
        event->ignore();
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F1) {
            QString phrase;
            if (TjxComponent* first = m_selection.First())
                phrase = first->ClassName() + QStringLiteral("_Object;");
            else if (TjxBand* band = m_surface->SelectedBand())
                phrase = band->ClassName() + QStringLiteral("_Object;");
            Command([this, phrase] { Help(phrase); });
            return true;
        }
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
            Command([this] { DeleteSelection(); });
            return true;
        }
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab || key->key() == Qt::Key_Escape) {
            bool taken = false;
            auto* pressed = const_cast<QKeyEvent*>(key);
            Command([this, &taken, pressed] { taken = m_editor->KeyPress(pressed); });
            if (taken)
                return true;
        }
        const bool arrow = key->key() == Qt::Key_Left || key->key() == Qt::Key_Right || key->key() == Qt::Key_Up ||
                           key->key() == Qt::Key_Down;
        const Qt::KeyboardModifiers mods = key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier);
        if (arrow && (mods == Qt::ShiftModifier || mods == Qt::ControlModifier)) {
            const int k = key->key();
            Command([this, k, mods] { NudgeSelection(k, mods); });
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

namespace {

// The window class the designer component creates.
struct TWindowRegistration {
    TWindowRegistration()
    {
        RegisterDesignerWindowClass([](TjxDesigner* designer) -> TjxCustomDesignerWindow* {
            return new TjxDesignerWindow(designer);
        });
    }
    ~TWindowRegistration() { UnregisterDesignerWindowClass(); }
} s_windowRegistration;

} // namespace

} // namespace orvane
