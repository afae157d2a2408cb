#include "dialogs/auto_search_dialog.h"

#include "document/auto_search_field.h"
#include "document/message_ids.h"
#include "document/message_table.h"
#include "document/messages.h"
#include "document/producer.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QImage>
#include <QTabBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace orvane {

namespace {

// Message numbers of the table.
constexpr int kCancel = 5, kOK = 17, kOpeningFirst = 54, kOpeningNext = 55, kAnd = 62, kAddToList = 63,
              kRemoveFromList = 64, kSearch = 65, kRequired = 66, kShowAllValues = 1033, kMoveTabLeft = 1025,
              kMoveTabRight = 1026;
constexpr int kMinClientWidth = 438;
constexpr int kMaxClientWidth = 1000;
constexpr int kFormHeight = 500;

enum TPanelKind { pkSimple, pkBetween, pkInList };

TPanelKind KindOf(TjxSearchOperatorType op)
{
    if (op == soBetween || op == soNotBetween)
        return pkBetween;
    if (op == soInList || op == soNotInList)
        return pkInList;
    return pkSimple;
}

// The mark on a tab whose page holds an invalid entry: a small red dot.
QIcon ErrorBullet()
{
    // Round at this size means the corners left out.
    QImage bullet(5, 5, QImage::Format_ARGB32);
    bullet.fill(Qt::transparent);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            if ((x != 0 && x != 4) || (y != 0 && y != 4))
                bullet.setPixelColor(x, y, Qt::red);
    return QIcon(QPixmap::fromImage(bullet));
}

QLabel* Dot(QWidget* parent, const QColor& colour)
{
    auto* dot = new QLabel(QStringLiteral("\u25CF"), parent);
    QPalette palette = dot->palette();
    palette.setColor(QPalette::WindowText, colour);
    dot->setPalette(palette);
    return dot;
}

} // namespace

// One field's panel: the show-all box, the clause, the entries and the error.
class TjxAutoSearchPanel : public QWidget {
public:
    TjxAutoSearchPanel(TjxAutoSearchField* field, bool first, QWidget* parent)
        : QWidget(parent), m_field(field), m_kind(KindOf(field->SearchOperator()))
    {
        setObjectName(QStringLiteral("searchPanel_") + field->FieldName());
        field->SetFirstField(first);
        field->SetPanel(this);
        const bool blank = field->SearchOperator() == soBlank || field->SearchOperator() == soNotBlank;
        m_showAll = new QCheckBox(FillPlaceholders(GetMessage(kShowAllValues), {{QStringLiteral("name"),
                                                                                   field->FieldAlias()}}),
                                  this);
        m_showAll->setObjectName(QStringLiteral("showAllValues"));
        m_showAll->setGeometry(8, 4, 420, 20);
        m_showAll->setVisible(!field->Mandatory());
        m_showAll->setChecked(field->ShowAllValues());

        auto* clause = new QWidget(this);
        clause->setGeometry(8, 26, 460, 20);
        auto* row = new QHBoxLayout(clause);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(4);
        row->addWidget(new QLabel(GetMessage(first ? kOpeningFirst : kOpeningNext), clause));
        auto* alias = new QLabel(field->FieldAlias(), clause);
        QPalette blue = alias->palette();
        blue.setColor(QPalette::WindowText, Qt::blue);
        alias->setPalette(blue);
        row->addWidget(alias);
        QString op = field->OperatorText();
        if (blank)
            op += u'.';
        else if (m_kind == pkInList)
            op += u':';
        row->addWidget(new QLabel(op, clause));
        row->addStretch(1);

        const QStringList values = field->SearchValues();
        int x = 8;
        const int y = 48;
        const auto addEdit = [&](int width, const QString& text) {
            auto* edit = new QLineEdit(text, this);
            edit->setGeometry(x, y, width, 21);
            x += width + 6;
            m_edits.push_back(edit);
            edit->installEventFilter(this);
            QObject::connect(edit, &QLineEdit::textEdited, this, [this] { EntryEdited(); });
            return edit;
        };
        if (m_kind == pkSimple) {
            QLineEdit* edit = addEdit(273, field->SearchExpression());
            edit->setObjectName(QStringLiteral("searchEdit"));
            edit->setVisible(!blank);
            setFixedHeight(73);
        } else if (m_kind == pkBetween) {
            addEdit(150, values.value(0))->setObjectName(QStringLiteral("fromEdit"));
            auto* andLabel = new QLabel(GetMessage(kAnd), this);
            andLabel->setGeometry(x, y + 2, 30, 18);
            x += 34;
            addEdit(150, values.value(1))->setObjectName(QStringLiteral("toEdit"));
            setFixedHeight(73);
        } else {
            addEdit(200, QString())->setObjectName(QStringLiteral("listEdit"));
            auto* add = new QPushButton(GetMessage(kAddToList), this);
            add->setObjectName(QStringLiteral("addToList"));
            add->setGeometry(214, y - 2, 95, 25);
            auto* remove = new QPushButton(GetMessage(kRemoveFromList), this);
            remove->setObjectName(QStringLiteral("removeFromList"));
            remove->setGeometry(214, y + 28, 95, 25);
            m_list = new QListWidget(this);
            m_list->setObjectName(QStringLiteral("valueList"));
            m_list->setGeometry(8, y + 26, 200, 131);
            m_list->addItems(values);
            QObject::connect(add, &QPushButton::clicked, this, [this] { AddToList(); });
            QObject::connect(remove, &QPushButton::clicked, this, [this] { RemoveFromList(); });
            setFixedHeight(183);
        }
        if (field->Mandatory())
            Dot(this, Qt::black)->setGeometry(x, y + 2, 12, 16);
        m_errorDot = Dot(this, Qt::red);
        m_errorDot->setGeometry(x + 12, y + 2, 12, 16);
        m_errorDot->hide();
        m_error = new QLabel(this);
        m_error->setObjectName(QStringLiteral("errorLabel"));
        QPalette red = m_error->palette();
        red.setColor(QPalette::WindowText, Qt::red);
        m_error->setPalette(red);
        // Beside the entries (below the buttons of a list).
        if (m_kind == pkInList)
            m_error->setGeometry(214, y + 60, 300, 36);
        else
            m_error->setGeometry(x + 26, y + 2, 330, 18);
        m_error->setWordWrap(m_kind == pkInList);
        m_error->hide();
        QObject::connect(m_showAll, &QCheckBox::toggled, this, [this] { EnableEntries(); });
        EnableEntries();
        setMinimumWidth(660);
    }

    QLineEdit* FirstEntry() const { return m_edits.empty() ? nullptr : m_edits.front(); }

    // Checks the entries; when valid, stores them in the field.
    bool Validate()
    {
        const QString error = Check();
        m_error->setText(error);
        m_error->setVisible(!error.isEmpty());
        m_errorDot->setVisible(!error.isEmpty());
        return error.isEmpty();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // A click on a disabled entry switches "show all values" off.
        if (event->type() == QEvent::MouseButtonPress) {
            auto* edit = qobject_cast<QLineEdit*>(watched);
            if (edit && !edit->isEnabled() && m_showAll->isChecked())
                m_showAll->setChecked(false);
        }
        return QWidget::eventFilter(watched, event);
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        for (QLineEdit* edit : m_edits)
            if (!edit->isEnabled() && edit->geometry().contains(event->position().toPoint()) &&
                m_showAll->isChecked())
                m_showAll->setChecked(false);
        QWidget::mousePressEvent(event);
    }

private:
    void EnableEntries()
    {
        const bool on = !m_showAll->isChecked();
        for (QLineEdit* edit : m_edits)
            edit->setEnabled(on);
        if (m_list)
            m_list->setEnabled(on);
    }
    void EntryEdited()
    {
        if (m_field->Mandatory())
            return;
        bool empty = true;
        for (QLineEdit* edit : m_edits)
            empty = empty && edit->text().isEmpty();
        if (m_list)
            empty = empty && m_list->count() == 0;
        m_showAll->setChecked(empty);
    }
    // A comma would split the value in two when the expression is read.
    static QString CommaError(const QString& text)
    {
        return text.contains(u',') ? MessageText(msg::AutoSearchValueHasComma, {text}) : QString();
    }
    void AddToList()
    {
        QLineEdit* edit = m_edits.front();
        const QString text = edit->text();
        QString error = AutoSearchValueError(text, m_field->DataType());
        if (error.isEmpty())
            error = CommaError(text);
        m_error->setText(error);
        m_error->setVisible(!error.isEmpty());
        if (!error.isEmpty() || text.isEmpty())
            return;
        auto found = m_list->findItems(text, Qt::MatchExactly);
        if (found.isEmpty()) {
            m_list->addItem(text);
            found = m_list->findItems(text, Qt::MatchExactly);
        }
        m_list->setCurrentItem(found.first());
        edit->clear();
    }
    void RemoveFromList()
    {
        const int row = m_list->currentRow();
        if (row < 0)
            return;
        delete m_list->takeItem(row);
        if (m_list->count() > 0)
            m_list->setCurrentRow(std::min(row, m_list->count() - 1));
    }
    QString Check()
    {
        if (m_showAll->isChecked()) {
            m_field->SetShowAllValues(true);
            return {};
        }
        if (m_kind == pkSimple) {
            const QString text = m_edits.front()->text();
            if (const QString error = AutoSearchEntryError(*m_field, text); !error.isEmpty())
                return error;
            m_field->SetSearchExpression(text);
            m_field->SetShowAllValues(false);
            return {};
        }
        if (m_kind == pkBetween) {
            const QString from = m_edits[0]->text(), to = m_edits[1]->text();
            for (const QString& text : {from, to}) {
                if (const QString error = AutoSearchEntryError(*m_field, text); !error.isEmpty())
                    return error;
                if (const QString error = CommaError(text); !error.isEmpty())
                    return error;
            }
            m_field->SetSearchExpression(!from.isEmpty() && !to.isEmpty() ? from + u',' + to : QString());
            m_field->SetShowAllValues(false);
            return {};
        }
        QStringList lines;
        for (int i = 0; i < m_list->count(); ++i)
            lines << m_list->item(i)->text();
        if (m_field->Mandatory() && lines.isEmpty())
            return AutoSearchEntryError(*m_field, QString());
        m_field->SetSearchExpression(lines.join(u','));
        m_field->SetShowAllValues(false);
        return {};
    }

    TjxAutoSearchField* m_field;
    TPanelKind m_kind;
    QCheckBox* m_showAll = nullptr;
    std::vector<QLineEdit*> m_edits;
    QListWidget* m_list = nullptr;
    QLabel* m_error = nullptr;
    QLabel* m_errorDot = nullptr;
};

const TClassInfo& TjxAutoSearchDialog::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TjxAutoSearchDialog>("TjxAutoSearchDialog",
                                                                      &TjxCustomAutoSearchDialog::StaticClass())
                                       .Creatable()
                                       .Build();
    return info;
}

TjxAutoSearchDialog::TjxAutoSearchDialog(TComponent* owner) : TjxCustomAutoSearchDialog(owner)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    m_window = new QDialog(nullptr);
    m_window->setObjectName(QStringLiteral("autoSearchDialog"));
    m_window->setWindowTitle(GetMessage(kSearch));
}

TjxAutoSearchDialog::~TjxAutoSearchDialog()
{
    m_panels.clear();
    delete m_window.data();
}

void TjxAutoSearchDialog::BuildPanels()
{
    if (!m_window || m_body)
        return;
    auto* layout = new QVBoxLayout(m_window);
    TjxAutoSearchGroups* groups = Groups();
    const auto fillPage = [this](TjxAutoSearchGroup* group, int page) {
        auto* content = new QWidget;
        auto* column = new QVBoxLayout(content);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(0);
        for (int i = 0; i < group->FieldCount(); ++i) {
            auto* panel = new TjxAutoSearchPanel(group->Fields(i), i == 0, content);
            column->addWidget(panel);
            m_panels.push_back(panel);
            m_panelPage.push_back(page);
        }
        column->addStretch(1);
        auto* scroll = new QScrollArea;
        scroll->setWidget(content);
        scroll->setWidgetResizable(true);
        return scroll;
    };
    if (groups->GroupCount() < 2) {
        m_body = groups->GroupCount() == 1 ? static_cast<QWidget*>(fillPage(groups->Groups(0), 0)) : new QWidget;
    } else {
        groups->SortByTabOrder();
        m_tabs = new QTabWidget;
        m_tabs->setObjectName(QStringLiteral("groupTabs"));
        for (int g = 0; g < groups->GroupCount(); ++g)
            m_tabs->addTab(fillPage(groups->Groups(g), g), groups->Groups(g)->Description());
        m_tabs->setIconSize(QSize(5, 5));
        if (Report() && (Report()->DesignState() & dsDesigning)) {
            QTabBar* bar = m_tabs->tabBar();
            bar->setContextMenuPolicy(Qt::CustomContextMenu);
            QObject::connect(bar, &QTabBar::customContextMenuRequested, m_window, [this, bar](const QPoint& at) {
                const int tab = bar->tabAt(at);
                if (QMenu* menu = TabMenu(tab >= 0 ? tab : m_tabs->currentIndex())) {
                    menu->setAttribute(Qt::WA_DeleteOnClose);
                    menu->popup(bar->mapToGlobal(at));
                }
            });
        }
        m_body = m_tabs;
    }
    layout->addWidget(m_body, 1);
    m_requiredPanel = new QWidget;
    auto* required = new QHBoxLayout(m_requiredPanel);
    required->addWidget(Dot(m_requiredPanel, Qt::black));
    required->addWidget(new QLabel(GetMessage(kRequired)));
    required->addStretch(1);
    m_requiredPanel->setVisible(HasMandatoryField());
    layout->addWidget(m_requiredPanel);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* ok = new QPushButton(GetMessage(kOK));
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(GetMessage(kCancel));
    cancel->setObjectName(QStringLiteral("cancelButton"));
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    QObject::connect(ok, &QPushButton::clicked, m_window, [this] { OkClicked(); });
    QObject::connect(cancel, &QPushButton::clicked, m_window, [this] { m_window->reject(); });

    // The panels' width and height: with tabs, the widest and the tallest
    // page, plus the page control's border and its tabs.
    std::vector<int> pageHeights(m_tabs ? size_t(m_tabs->count()) : 1, 0);
    int panelsWidth = 0;
    for (size_t i = 0; i < m_panels.size(); ++i) {
        pageHeights[size_t(m_panelPage[i])] += m_panels[i]->height();
        panelsWidth = std::max(panelsWidth, m_panels[i]->minimumWidth());
    }
    // The scroll box's frame, and a scroll bar should the form be too low.
    const int scrollFrame = 2 * m_body->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    const int scrollBar = m_body->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    int bodyWidth = panelsWidth + scrollFrame + scrollBar;
    int bodyHeight = *std::max_element(pageHeights.begin(), pageHeights.end()) + scrollFrame;
    if (m_tabs) {
        bodyWidth += 20;
        bodyHeight += 28 + 20;
    }
    const QMargins margins = layout->contentsMargins();
    const int buttonPanel = layout->spacing() + buttons->sizeHint().height() +
                            (m_requiredPanel->isHidden() ? 0 : layout->spacing() + m_requiredPanel->sizeHint().height());
    const int width = std::clamp(bodyWidth + margins.left() + margins.right(), kMinClientWidth, kMaxClientWidth);
    // Shorter than the form as designed when everything fits; never higher.
    const int height = std::min(kFormHeight, bodyHeight + buttonPanel + margins.top() + margins.bottom());
    m_window->resize(width, height);
}

bool TjxAutoSearchDialog::OkClicked()
{
    int firstInvalid = -1;
    std::vector<bool> invalid(m_tabs ? size_t(m_tabs->count()) : 1, false);
    for (size_t i = 0; i < m_panels.size(); ++i) {
        if (m_panels[i]->Validate())
            continue;
        if (firstInvalid < 0)
            firstInvalid = int(i);
        if (m_tabs)
            invalid[size_t(m_panelPage[i])] = true;
    }
    if (m_tabs) {
        for (int page = 0; page < m_tabs->count(); ++page)
            m_tabs->setTabIcon(page, invalid[size_t(page)] ? ErrorBullet() : QIcon());
    }
    if (firstInvalid >= 0) {
        if (m_tabs)
            m_tabs->setCurrentIndex(m_panelPage[size_t(firstInvalid)]);
        return false;
    }
    m_window->accept();
    return true;
}

QMenu* TjxAutoSearchDialog::TabMenu(int tab)
{
    if (!m_tabs || tab < 0 || tab >= m_tabs->count() || !Report() || !(Report()->DesignState() & dsDesigning))
        return nullptr;
    auto* menu = new QMenu(m_window);
    menu->setObjectName(QStringLiteral("tabMenu"));
    QAction* left = menu->addAction(GetMessage(kMoveTabLeft), m_window, [this, tab] { MoveTab(tab, tab - 1); });
    left->setObjectName(QStringLiteral("moveTabLeft"));
    left->setEnabled(tab > 0);
    QAction* right = menu->addAction(GetMessage(kMoveTabRight), m_window, [this, tab] { MoveTab(tab, tab + 1); });
    right->setObjectName(QStringLiteral("moveTabRight"));
    right->setEnabled(tab + 1 < m_tabs->count());
    return menu;
}

void TjxAutoSearchDialog::MoveTab(int from, int to)
{
    if (!m_tabs || from < 0 || to < 0 || from >= m_tabs->count() || to >= m_tabs->count() || from == to)
        return;
    // Neighbours change places: the pages, the groups and their TabOrder.
    const int step = to > from ? 1 : -1;
    for (int at = from; at != to; at += step) {
        Groups()->ExchangeGroups(at, at + step);
        m_tabs->tabBar()->moveTab(at, at + step);
        for (int& page : m_panelPage)
            page = page == at ? at + step : page == at + step ? at : page;
    }
}

TModalResult TjxAutoSearchDialog::ShowModal()
{
    if (!m_window)
        return mrCancel;
    BuildPanels();
    if (!m_panels.empty())
        if (QLineEdit* entry = m_panels.front()->FirstEntry())
            entry->setFocus();
    const QPointer<QDialog> window = m_window;
    const int result = window->exec();
    DoClose();
    return window && result == QDialog::Accepted ? mrOK : mrCancel;
}

void TjxAutoSearchDialog::Close()
{
    if (m_window)
        m_window->reject();
}

bool TjxAutoSearchDialog::IsShowing() const
{
    return m_window && m_window->isVisible();
}

} // namespace orvane
