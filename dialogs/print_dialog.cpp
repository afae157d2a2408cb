#include "dialogs/print_dialog.h"

#include "document/message_ids.h"
#include "document/messages.h"
#include "document/printer.h"
#include "document/printer_list.h"
#include "document/printer_setup.h"
#include "document/report_settings.h"
#include "output/device_registry.h"
#include "platform/cups_spooler.h"
#include "platform/spooler.h"

#include <algorithm>
#include <functional>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QAbstractItemView>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QToolButton>

namespace orvane {

namespace {

constexpr int kClientWidth = 482;
constexpr int kClientHeight = 388;
constexpr int kFilePanelHeight = 60;

// Message numbers of the table.
constexpr int kAll = 3, kCancel = 5, kCopies = 7, kNoPrinters = 8, kCurrentPage = 9, kPagesHint = 11, kOK = 17,
              kPageRange = 19, kPages = 20, kPrint = 22, kPrinter = 25, kPrintToFile = 26;
constexpr int kName = 1010, kType = 1011, kWhere = 1012, kProperties = 1013, kNumberOfCopies = 1014,
              kCollate = 1015, kPrintWhat = 1016, kAllPages = 1017, kOddPages = 1018, kEvenPages = 1019,
              kBackground = 1073;
constexpr int kLandscape = 147, kPortrait = 148;

// Runs an action on a click into a widget or a key pressed in it.
class TClickOrKey : public QObject {
public:
    TClickOrKey(QWidget* watched, std::function<void()> action) : QObject(watched), m_action(std::move(action))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::KeyPress)
            m_action();
        return false;
    }

private:
    std::function<void()> m_action;
};

// Two stacks of pages 1 2 3 when collated, pairs 1 1, 2 2, 3 3 when not.
QPixmap CollatePicture(bool collated)
{
    QPixmap pixmap(102, 53);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    QFont font = QApplication::font();
    font.setPointSize(7);
    painter.setFont(font);
    const auto page = [&](int x, int y, int number) {
        const QRect r(x, y, 18, 24);
        painter.setPen(Qt::black);
        painter.setBrush(Qt::white);
        painter.drawRect(r);
        painter.drawText(r.adjusted(0, 8, 0, 0), Qt::AlignHCenter | Qt::AlignTop, QString::number(number));
    };
    if (collated) {
        for (int stack = 0; stack < 2; ++stack)
            for (int i = 0; i < 3; ++i)
                page(4 + stack * 52 + i * 8, 4 + i * 10, i + 1);
    } else {
        for (int pair = 0; pair < 3; ++pair)
            for (int i = 0; i < 2; ++i)
                page(4 + pair * 33 + i * 6, 8 + i * 10, pair + 1);
    }
    return pixmap;
}

QString WithColon(int message)
{
    return GetMessage(message) + u':';
}

bool UsesQueueOptions()
{
    return dynamic_cast<TjxCupsSpooler*>(Spooler().get()) != nullptr;
}

} // namespace

const TClassInfo& TjxPrintDialog::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxPrintDialog>("TjxPrintDialog", &TjxCustomPrintDialog::StaticClass()).Creatable().Build();
    return info;
}

TjxPrintDialog::TjxPrintDialog(TComponent* owner) : TjxCustomPrintDialog(owner)
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        Build();
}

TjxPrintDialog::~TjxPrintDialog()
{
    delete m_window.data();
}

void TjxPrintDialog::Build()
{
    auto* window = new QDialog(nullptr);
    m_window = window;
    window->setObjectName(QStringLiteral("printDialog"));
    window->setFixedSize(kClientWidth, kClientHeight);

    m_printerFrame = new QGroupBox(window);
    m_printerFrame->setGeometry(8, 8, kClientWidth - 16, 104);
    m_nameLabel = new QLabel(m_printerFrame);
    m_nameLabel->setGeometry(12, 24, 46, 20);
    m_printerList = new QComboBox(m_printerFrame);
    m_printerList->setObjectName(QStringLiteral("printerList"));
    m_printerList->setGeometry(60, 22, 300, 22);
    m_nameLabel->setBuddy(m_printerList);
    m_properties = new QPushButton(m_printerFrame);
    m_properties->setObjectName(QStringLiteral("propertiesButton"));
    m_properties->setGeometry(370, 20, 84, 25);
    m_typeCaption = new QLabel(m_printerFrame);
    m_typeCaption->setGeometry(12, 52, 46, 18);
    m_typeLabel = new QLabel(m_printerFrame);
    m_typeLabel->setObjectName(QStringLiteral("typeLabel"));
    m_typeLabel->setGeometry(60, 52, 390, 18);
    m_whereCaption = new QLabel(m_printerFrame);
    m_whereCaption->setGeometry(12, 74, 46, 18);
    m_whereLabel = new QLabel(m_printerFrame);
    m_whereLabel->setObjectName(QStringLiteral("whereLabel"));
    m_whereLabel->setGeometry(60, 74, 390, 18);
    m_noPrinters = new QLabel(m_printerFrame);
    m_noPrinters->setObjectName(QStringLiteral("noPrintersLabel"));
    m_noPrinters->setGeometry(12, 22, 440, 22);
    m_noPrinters->hide();

    m_rangeFrame = new QGroupBox(window);
    m_rangeFrame->setGeometry(8, 118, 232, 132);
    m_all = new QRadioButton(m_rangeFrame);
    m_all->setObjectName(QStringLiteral("allRadio"));
    m_all->setGeometry(12, 20, 200, 20);
    m_current = new QRadioButton(m_rangeFrame);
    m_current->setObjectName(QStringLiteral("currentRadio"));
    m_current->setGeometry(12, 42, 200, 20);
    m_pages = new QRadioButton(m_rangeFrame);
    m_pages->setObjectName(QStringLiteral("pagesRadio"));
    m_pages->setGeometry(12, 64, 66, 20);
    m_pagesEdit = new QLineEdit(m_rangeFrame);
    m_pagesEdit->setObjectName(QStringLiteral("pagesEdit"));
    m_pagesEdit->setGeometry(80, 63, 140, 22);
    m_pagesHint = new QLabel(m_rangeFrame);
    m_pagesHint->setWordWrap(true);
    m_pagesHint->setGeometry(12, 88, 212, 40);

    m_copiesFrame = new QGroupBox(window);
    m_copiesFrame->setGeometry(248, 118, kClientWidth - 256, 132);
    m_copiesLabel = new QLabel(m_copiesFrame);
    m_copiesLabel->setGeometry(12, 22, 116, 20);
    m_copies = new QLineEdit(m_copiesFrame);
    m_copies->setObjectName(QStringLiteral("copiesEdit"));
    m_copies->setMaxLength(3);
    m_copies->setText(QStringLiteral("1"));
    m_copies->setGeometry(130, 21, 40, 22);
    m_copiesLabel->setBuddy(m_copies);
    m_copiesUp = new QToolButton(m_copiesFrame);
    m_copiesUp->setObjectName(QStringLiteral("copiesUp"));
    m_copiesUp->setArrowType(Qt::UpArrow);
    m_copiesUp->setGeometry(171, 21, 16, 11);
    m_copiesDown = new QToolButton(m_copiesFrame);
    m_copiesDown->setObjectName(QStringLiteral("copiesDown"));
    m_copiesDown->setArrowType(Qt::DownArrow);
    m_copiesDown->setGeometry(171, 32, 16, 11);
    m_collate = new QCheckBox(m_copiesFrame);
    m_collate->setObjectName(QStringLiteral("collateCheck"));
    m_collate->setGeometry(12, 66, 90, 20);
    m_collatePicture = new QLabel(m_copiesFrame);
    m_collatePicture->setObjectName(QStringLiteral("collatePicture"));
    m_collatePicture->setGeometry(106, 60, 102, 53);

    m_printWhatLabel = new QLabel(window);
    m_printWhat = new QComboBox(window);
    m_printWhat->setObjectName(QStringLiteral("printWhat"));
    m_printWhat->setGeometry(290, 258, 184, 22);
    m_printWhatLabel->setBuddy(m_printWhat);
    m_background = new QCheckBox(window);
    m_background->setObjectName(QStringLiteral("backgroundCheck"));
    m_background->setGeometry(8, 260, 200, 20);

    m_filePanel = new QWidget(window);
    m_filePanel->setObjectName(QStringLiteral("filePanel"));
    m_filePanel->setGeometry(0, 288, kClientWidth, kFilePanelHeight);
    m_toFile = new QCheckBox(m_filePanel);
    m_toFile->setObjectName(QStringLiteral("printToFileCheck"));
    m_toFile->setGeometry(8, 4, 200, 20);
    m_fileTypeCaption = new QLabel(m_filePanel);
    m_fileTypeCaption->setGeometry(8, 32, 40, 20);
    m_fileTypes = new QComboBox(m_filePanel);
    m_fileTypes->setObjectName(QStringLiteral("fileTypeList"));
    m_fileTypes->setGeometry(48, 30, 160, 22);
    m_fileWhereCaption = new QLabel(m_filePanel);
    m_fileWhereCaption->setGeometry(216, 32, 44, 20);
    m_fileName = new QLineEdit(m_filePanel);
    m_fileName->setObjectName(QStringLiteral("fileNameEdit"));
    m_fileName->setGeometry(260, 30, 180, 22);
    m_browse = new QPushButton(QStringLiteral("..."), m_filePanel);
    m_browse->setObjectName(QStringLiteral("browseButton"));
    m_browse->setGeometry(444, 30, 30, 22);

    m_ok = new QPushButton(window);
    m_ok->setObjectName(QStringLiteral("okButton"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(window);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));

    // Handlers; the ones marked always run also while the controls are filled.
    QObject::connect(m_printerList, &QComboBox::currentIndexChanged, window, [this] {
        if (m_filling || m_printerList->currentIndex() < 0)
            return;
        Setup()->SetPrinterName(m_printerList->currentText());
        RefreshPrinterInfo();
    });
    QObject::connect(m_properties, &QPushButton::clicked, window, [this] { PropertiesClicked(); });
    QObject::connect(m_collate, &QCheckBox::toggled, window, [this](bool on) {
        if (TjxPrinterSetup* setup = Setup())
            setup->SetCollation(on);
        UpdateCollatePicture();
    });
    QObject::connect(m_copiesUp, &QToolButton::clicked, window, [this] { StepCopies(1); });
    QObject::connect(m_copiesDown, &QToolButton::clicked, window, [this] { StepCopies(-1); });
    QObject::connect(m_copies, &QLineEdit::editingFinished, window, [this] {
        bool ok = false;
        const int n = m_copies->text().trimmed().toInt(&ok);
        m_copies->setText(ok ? QString::number(n) : QStringLiteral("1"));
    });
    for (QRadioButton* button : {m_all, m_current})
        QObject::connect(button, &QRadioButton::clicked, window, [this] {
            if (!m_filling)
                m_pagesEdit->clear();
        });
    // Clicking into the page edit, or typing in it, means Pages.
    new TClickOrKey(m_pagesEdit, [this] {
        if (!m_filling)
            m_pages->setChecked(true);
    });
    QObject::connect(m_pagesEdit, &QLineEdit::textEdited, window, [this] {
        if (!m_filling)
            m_pages->setChecked(true);
    });
    QObject::connect(m_printWhat, &QComboBox::currentIndexChanged, window, [this](int index) {
        if (!m_filling && index >= 0)
            m_pageRequest->SetPageRange(TjxPageRangeType(index));
    });
    QObject::connect(m_background, &QCheckBox::toggled, window,
                     [this](bool on) { m_backgroundPrintSettings->SetActive(on); });
    QObject::connect(m_toFile, &QCheckBox::toggled, window, [this] {
        if (!m_filling)
            RefreshPrintToFile();
    });
    QObject::connect(m_fileName, &QLineEdit::textEdited, window, [this](const QString& text) {
        if (m_filling)
            return;
        StoreFileName(SelectedFileDevice(), text);
    });
    QObject::connect(m_browse, &QPushButton::clicked, window, [this] { BrowseClicked(); });
    QObject::connect(m_fileTypes, &QComboBox::currentIndexChanged, window, [this] { RefreshPrintToFile(); });
    QObject::connect(m_ok, &QPushButton::clicked, window, [this] { OkClicked(); });
    QObject::connect(m_cancel, &QPushButton::clicked, window, [this] { m_window->reject(); });
    LanguageChanged();
}

void TjxPrintDialog::LanguageChanged()
{
    if (!m_window)
        return;
    m_window->setWindowTitle(GetMessage(kPrint));
    m_printerFrame->setTitle(GetMessage(kPrinter));
    m_nameLabel->setText(WithColon(kName));
    m_properties->setText(GetMessage(kProperties));
    m_typeCaption->setText(WithColon(kType));
    m_whereCaption->setText(WithColon(kWhere));
    m_noPrinters->setText(GetMessage(kNoPrinters));
    m_rangeFrame->setTitle(GetMessage(kPageRange));
    m_all->setText(GetMessage(kAll));
    m_current->setText(GetMessage(kCurrentPage));
    m_pages->setText(GetMessage(kPages));
    m_pagesHint->setText(GetMessage(kPagesHint));
    m_copiesFrame->setTitle(GetMessage(kCopies));
    m_copiesLabel->setText(WithColon(kNumberOfCopies));
    m_collate->setText(GetMessage(kCollate));
    m_printWhatLabel->setText(GetMessage(kPrintWhat));
    const int range = m_printWhat->currentIndex();
    m_printWhat->clear();
    m_printWhat->addItems({GetMessage(kAllPages), GetMessage(kOddPages), GetMessage(kEvenPages)});
    m_printWhat->setCurrentIndex(std::max(0, range));
    m_background->setText(GetMessage(kBackground));
    m_toFile->setText(GetMessage(kPrintToFile));
    m_fileTypeCaption->setText(WithColon(kType));
    m_fileWhereCaption->setText(WithColon(kWhere));
    m_ok->setText(GetMessage(kOK));
    m_cancel->setText(GetMessage(kCancel));
    Arrange();
}

namespace {

// Width of a caption as drawn: the mnemonic's "&" takes no room.
int CaptionWidth(const QWidget* widget, const QString& caption)
{
    QString text = caption;
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(u'&');
    text.replace(u'\x01', u'&');
    return widget->fontMetrics().horizontalAdvance(text);
}

int HintWidth(const QWidget* widget)
{
    return widget->sizeHint().width();
}

} // namespace

void TjxPrintDialog::Arrange()
{
    if (!m_window)
        return;
    // Printer frame: captions, the list, the Properties button.
    const int captionColumn =
        std::max({46, HintWidth(m_nameLabel), HintWidth(m_typeCaption), HintWidth(m_whereCaption)});
    const int listLeft = 12 + captionColumn + 2;
    int frameWidth = kClientWidth - 16;
    int buttonWidth = 84;
    const int propertiesCaption = CaptionWidth(m_properties, m_properties->text());
    if (propertiesCaption > 75) {
        buttonWidth = propertiesCaption + 15;
        frameWidth += propertiesCaption - 60;
    }
    buttonWidth = std::max(buttonWidth, HintWidth(m_properties));
    frameWidth += listLeft - 60;
    int buttonLeft = listLeft + 300 + 10;
    frameWidth = std::max(frameWidth, buttonLeft + buttonWidth + 12);

    // Page range frame: the radios, the page edit, the description.
    int rangeWidth = 232;
    const int pagesRadioWidth = std::max(66, HintWidth(m_pages));
    for (QWidget* radio : {static_cast<QWidget*>(m_all), static_cast<QWidget*>(m_current)})
        rangeWidth = std::max(rangeWidth, 12 + HintWidth(radio) + 12);
    rangeWidth = std::max(rangeWidth, 12 + pagesRadioWidth + 2 + 100 + 12);
    const int hintWidth = rangeWidth - 20;
    const QFontMetrics hintMetrics = m_pagesHint->fontMetrics();
    const int lines = std::max(
        1, hintMetrics.boundingRect(QRect(0, 0, hintWidth, 10000), Qt::TextWordWrap, m_pagesHint->text()).height() /
               std::max(1, hintMetrics.height()));
    // Whole lines of text, and never less than the label needs to show them.
    const int hintHeight = std::max(lines * hintMetrics.height(), m_pagesHint->heightForWidth(hintWidth));

    // Copies frame: the label and its edit, the collate box and its picture.
    const int copiesLeft = 8 + rangeWidth + 8;
    const int copiesLabelWidth = std::max(116, HintWidth(m_copiesLabel));
    const int copiesEditLeft = 12 + copiesLabelWidth + 2;
    const int collateWidth = std::max(90, HintWidth(m_collate));
    const int pictureLeft = 12 + collateWidth + 4;
    int copiesWidth = kClientWidth - 256;
    copiesWidth = std::max({copiesWidth, copiesEditLeft + 40 + 17 + 12, pictureLeft + 102 + 12});
    // The copies frame ends where the printer frame ends, or the printer
    // frame, its button and the form grow to where the copies frame must end.
    const int printerRight = 8 + frameWidth;
    const int copiesRight = copiesLeft + copiesWidth;
    if (copiesRight > printerRight) {
        frameWidth += copiesRight - printerRight;
        buttonLeft += copiesRight - printerRight;
    }
    copiesWidth = 8 + frameWidth - copiesLeft;
    const int clientWidth = 8 + frameWidth + 8;

    m_printerFrame->setGeometry(8, 8, frameWidth, 104);
    m_nameLabel->setGeometry(12, 24, captionColumn, 20);
    m_printerList->setGeometry(listLeft, 22, 300, 22);
    m_properties->setGeometry(buttonLeft, 20, buttonWidth, 25);
    m_typeCaption->setGeometry(12, 52, captionColumn, 18);
    m_whereCaption->setGeometry(12, 74, captionColumn, 18);
    m_typeLabel->setGeometry(listLeft, 52, frameWidth - listLeft - 12, 18);
    m_whereLabel->setGeometry(listLeft, 74, frameWidth - listLeft - 12, 18);
    m_noPrinters->setGeometry(12, 22, frameWidth - 24, 22);
    ShowPrinterInfo();

    const int hintTop = 88;
    // The frame ends 2381 thousandths of a millimetre below the description.
    const int rangeHeight = std::max(hintTop + hintHeight + 9, 60 + 53 + 8);
    m_rangeFrame->setGeometry(8, 118, rangeWidth, rangeHeight);
    m_all->setGeometry(12, 20, rangeWidth - 24, 20);
    m_current->setGeometry(12, 42, rangeWidth - 24, 20);
    m_pages->setGeometry(12, 64, pagesRadioWidth, 20);
    m_pagesEdit->setGeometry(12 + pagesRadioWidth + 2, 63, rangeWidth - (12 + pagesRadioWidth + 2) - 12, 22);
    m_pagesHint->setGeometry(12, hintTop, hintWidth, hintHeight);

    m_copiesFrame->setGeometry(copiesLeft, 118, copiesWidth, rangeHeight);
    m_copiesLabel->setGeometry(12, 22, copiesLabelWidth, 20);
    m_copies->setGeometry(copiesEditLeft, 21, 40, 22);
    m_copiesUp->setGeometry(copiesEditLeft + 41, 21, 16, 11);
    m_copiesDown->setGeometry(copiesEditLeft + 41, 32, 16, 11);
    m_collate->setGeometry(12, 66, collateWidth, 20);
    m_collatePicture->setGeometry(pictureLeft, 60, 102, 53);

    // Print what: the label as wide as its text, ending at x = 285, unless
    // it is too long to; the background box beside it when there is room.
    int y = 118 + rangeHeight + 8;
    const int printWhatLabelWidth = HintWidth(m_printWhatLabel);
    int printWhatLabelLeft = 285 - printWhatLabelWidth;
    const bool background = !m_background->isHidden();
    const int backgroundRight = background ? 8 + HintWidth(m_background) + 8 : 8;
    if (printWhatLabelLeft < backgroundRight)
        printWhatLabelLeft = backgroundRight;
    int listLeftWhat = std::max(290, printWhatLabelLeft + printWhatLabelWidth + 5);
    const int listWidth = std::max(120, HintWidth(m_printWhat));
    int width = std::max(clientWidth, listLeftWhat + listWidth + 8);
    m_printWhatLabel->setGeometry(printWhatLabelLeft, y + 2, printWhatLabelWidth, 20);
    m_printWhat->setGeometry(listLeftWhat, y, width - 8 - listLeftWhat, 22);
    m_background->setGeometry(8, y + 2, std::max(200, HintWidth(m_background)), 20);
    y += 30;

    // Print to file.
    const bool filePanel = !m_filePanel->isHidden();
    const int toFileWidth = std::max(200, HintWidth(m_toFile));
    const int typeCaptionWidth = std::max(40, HintWidth(m_fileTypeCaption));
    const int whereCaptionWidth = std::max(44, HintWidth(m_fileWhereCaption));
    const int typesLeft = 8 + typeCaptionWidth;
    const int whereLeft = typesLeft + 160 + 8;
    const int nameLeft = whereLeft + whereCaptionWidth;
    width = std::max({width, 8 + toFileWidth + 8, nameLeft + 120 + 4 + 30 + 8});
    if (filePanel) {
        m_filePanel->setGeometry(0, y, width, kFilePanelHeight);
        y += kFilePanelHeight;
    }
    m_toFile->setGeometry(8, 4, toFileWidth, 20);
    m_fileTypeCaption->setGeometry(8, 32, typeCaptionWidth, 20);
    m_fileTypes->setGeometry(typesLeft, 30, 160, 22);
    m_fileWhereCaption->setGeometry(whereLeft, 32, whereCaptionWidth, 20);
    m_browse->setGeometry(width - 38, 30, 30, 22);
    m_fileName->setGeometry(nameLeft, 30, width - 38 - 4 - nameLeft, 22);

    // OK and Cancel at the bottom right.
    const int okWidth = std::max(75, HintWidth(m_ok));
    const int cancelWidth = std::max(75, HintWidth(m_cancel));
    const int buttonTop = y + 7;
    m_cancel->setGeometry(width - 8 - cancelWidth, buttonTop, cancelWidth, 25);
    m_ok->setGeometry(width - 8 - cancelWidth - 8 - okWidth, buttonTop, okWidth, 25);
    m_window->setFixedSize(width, buttonTop + 25 + 8);
}

TjxPrinterSetup* TjxPrintDialog::Setup() const
{
    return m_printer ? m_printer->PrinterSetup() : nullptr;
}

void TjxPrintDialog::Initialise()
{
    if (!m_window || !m_printer)
        return;
    m_filling = true;
    TjxPrinterSetup* setup = Setup();

    // Printers.
    m_printerList->clear();
    const QStringList names = PrinterNamesOffered();
    for (const QString& name : names) {
        const TjxPrinterInfo* info = PrinterList().Find(name);
        const bool local = !info || info->LocalPrinter();
        m_printerList->addItem(QApplication::style()->standardIcon(local ? QStyle::SP_ComputerIcon
                                                                         : QStyle::SP_DriveNetIcon),
                               name);
    }
    // The open list shows long queue names whole.
    int widest = 0;
    for (const QString& name : names)
        widest = std::max(widest, m_printerList->fontMetrics().horizontalAdvance(name));
    m_printerList->view()->setMinimumWidth(widest + 21 + 24);
    const bool none = names.isEmpty();
    m_printerList->setVisible(!none);
    m_properties->setVisible(!none);
    m_nameLabel->setVisible(!none);
    m_noPrinters->setVisible(none);
    if (!none) {
        int index = int(names.indexOf(setup->PrinterName()));
        if (index < 0) {
            index = 0;
            setup->SetPrinterName(names.first());
        }
        m_printerList->setCurrentIndex(index);
    }
    RefreshPrinterInfo();

    // Pages.
    switch (m_pageRequest->PageSetting()) {
    case psPageList:
    case psPageRange:
        m_pages->setChecked(true);
        m_pagesEdit->setText(PagesText(*m_pageRequest));
        break;
    case psSinglePage: m_current->setChecked(true); break;
    default: m_all->setChecked(true); break;
    }
    m_printWhat->setCurrentIndex(int(m_pageRequest->PageRange()));
    m_copies->setText(QString::number(setup->Copies()));
    m_collate->setChecked(setup->Collation());
    UpdateCollatePicture();

    // Print to file: the offered types in the registry's order.
    m_fileTypes->clear();
    const auto classes = FileDeviceClasses();
    const bool fileOutput = m_allowPrintToFile || m_allowPrintToArchive;
    // Without file output the panel goes and the form is shorter by its height.
    m_filePanel->setVisible(fileOutput);
    bool ticked = false;
    for (const TjxDeviceClass* cls : classes) {
        m_fileTypes->addItem(cls->Description(), cls->deviceName);
        // Only a type the report allows is taken over from its DeviceType.
        if (cls->deviceName == m_deviceType) {
            m_fileTypes->setCurrentIndex(m_fileTypes->count() - 1);
            ticked = true;
        }
    }
    m_toFile->setChecked(ticked);

    // Background printing.
    m_background->setVisible(!m_designTime && m_backgroundPrintSettings->Enabled());
    m_background->setChecked(m_backgroundPrintSettings->Active());
    Arrange();
    m_filling = false;
    RefreshPrintToFile();
}

void TjxPrintDialog::RefreshPrinterInfo()
{
    const TjxPrinterInfo* info = m_printer ? PrinterList().Find(Setup()->PrinterName()) : nullptr;
    m_typeText = info ? info->Device() : QString();
    m_whereText = info ? info->Port() : QString();
    ShowPrinterInfo();
}

void TjxPrintDialog::ShowPrinterInfo()
{
    // A long queue name or location is shortened in the middle, whole in the tip.
    for (auto [label, text] : {std::pair{m_typeLabel, m_typeText}, std::pair{m_whereLabel, m_whereText}}) {
        label->setText(label->fontMetrics().elidedText(text, Qt::ElideMiddle, label->width()));
        label->setToolTip(label->text() == text ? QString() : text);
    }
}

QString TjxPrintDialog::SelectedFileDevice() const
{
    return m_fileTypes && m_fileTypes->currentIndex() >= 0 ? m_fileTypes->currentData().toString() : QString();
}

void TjxPrintDialog::RefreshPrintToFile()
{
    if (!m_window || m_filling)
        return;
    const bool on = m_toFile->isChecked();
    m_browse->setEnabled(on);
    m_fileTypes->setEnabled(on);
    m_fileName->setEnabled(on);
    const QString device = SelectedFileDevice();
    if (device.isEmpty())
        return;
    const TjxDeviceClass* cls = DeviceClassByName(device);
    m_fileName->setText(FileNameFor(device));
    if (cls) {
        m_defaultExt = cls->defaultExt;
        m_fileFilter = cls->filter;
    }
}

void TjxPrintDialog::UpdateCollatePicture()
{
    if (m_collatePicture)
        m_collatePicture->setPixmap(CollatePicture(m_collate->isChecked()));
}

void TjxPrintDialog::StepCopies(int delta)
{
    bool ok = false;
    int n = m_copies->text().trimmed().toInt(&ok);
    if (!ok)
        n = 1;
    if ((delta > 0 && m_copies->text() == u"999") || (delta < 0 && m_copies->text() == u"1"))
        return;
    m_copies->setText(QString::number(std::clamp(n + delta, 1, 999)));
}

void TjxPrintDialog::PropertiesClicked()
{
    if (!m_printer)
        return;
    // The queues have no driver window here: their options come in our own.
    const bool confirmed =
        UsesQueueOptions() ? EditPrinterOptions(*m_printer, m_window) : m_printer->ShowProperties();
    if (!confirmed)
        return;
    RefreshPrinterInfo();
    m_printerChanged = true;
}

QString TjxPrintDialog::QtFilter(const QString& filter)
{
    // "Text files|*.TXT|All files|*.*": names are case-sensitive here, so
    // the lower-case pattern goes with the upper-case one.
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(u';', Qt::SkipEmptyParts)) {
            if (pattern == u"*.*") {
                patterns << QStringLiteral("*");
                continue;
            }
            patterns << pattern;
            if (pattern.toLower() != pattern)
                patterns << pattern.toLower();
        }
        filters << QStringLiteral("%1 (%2)").arg(parts[i], patterns.join(u' '));
    }
    return filters.join(QStringLiteral(";;"));
}

void TjxPrintDialog::BrowseClicked()
{
    QFileDialog dialog(m_window);
    dialog.setObjectName(QStringLiteral("saveDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // OK asks before replacing, on the completed name.
    dialog.setOptions(QFileDialog::DontConfirmOverwrite | QFileDialog::DontUseNativeDialog);
    dialog.setNameFilter(QtFilter(m_fileFilter));
    dialog.setDefaultSuffix(m_defaultExt);
    const QFileInfo current(m_fileName->text());
    if (!m_fileName->text().isEmpty()) {
        dialog.setDirectory(current.absolutePath());
        dialog.selectFile(current.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    m_fileName->setText(dialog.selectedFiles().first());
    StoreFileName(SelectedFileDevice(), m_fileName->text());
    RefreshPrintToFile();
}

TjxPrintChoices TjxPrintDialog::Choices() const
{
    TjxPrintChoices choices;
    if (!m_window)
        return choices;
    choices.pages = m_pages->isChecked() ? pcPages : m_current->isChecked() ? pcCurrentPage : pcAll;
    choices.pagesText = m_pagesEdit->text();
    choices.pageRange = TjxPageRangeType(std::max(0, m_printWhat->currentIndex()));
    choices.copiesText = m_copies->text();
    choices.collate = m_collate->isChecked();
    choices.printToFile = !m_filePanel->isHidden() && m_toFile->isChecked();
    choices.fileDeviceName = SelectedFileDevice();
    choices.fileName = m_fileName->text();
    return choices;
}

void TjxPrintDialog::OkClicked()
{
    if (!Accept(Choices()))
        return;
    if (m_printToFile || m_printToArchive)
        m_fileName->setText(FileNameFor(m_deviceType));
    m_window->accept();
}

TModalResult TjxPrintDialog::ShowModal()
{
    if (!m_window)
        return mrCancel;
    Initialise();
    m_closed = false;
    if (QScreen* screen = QGuiApplication::primaryScreen())
        m_window->move(screen->availableGeometry().center() - m_window->rect().center());
    const QPointer<QDialog> window = m_window;
    const int result = window->exec();
    return window && result == QDialog::Accepted ? mrOK : mrCancel;
}

void TjxPrintDialog::Show()
{
    if (!m_window)
        return;
    Initialise();
    m_window->show();
}

void TjxPrintDialog::Close()
{
    if (m_window)
        m_window->reject();
}

bool TjxPrintDialog::IsShowing() const
{
    return m_window && m_window->isVisible();
}

// ---- the queue's options ----

namespace {

QString ResolutionText(const QSize& r)
{
    const QString dots = r.width() == r.height() ? QString::number(r.width())
                                                  : QStringLiteral("%1 x %2").arg(r.width()).arg(r.height());
    return MessageText(msg::ResolutionDpi, {dots});
}

} // namespace

bool EditPrinterOptions(TjxPrinter& printer, QWidget* parent)
{
    TjxPrinterSetup& setup = *printer.PrinterSetup();
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("printerOptions"));
    dialog.setWindowTitle(GetMessage(msg::PrinterOptionsCaption));
    auto* form = new QFormLayout(&dialog);
    auto* paper = new QComboBox(&dialog);
    paper->setObjectName(QStringLiteral("paperList"));
    paper->addItems(setup.PaperNames());
    paper->setCurrentIndex(int(setup.PaperNames().indexOf(setup.PaperName())));
    auto* source = new QComboBox(&dialog);
    source->setObjectName(QStringLiteral("sourceList"));
    source->addItems(setup.BinNames());
    source->setCurrentIndex(int(setup.BinNames().indexOf(setup.BinName())));
    auto* duplex = new QComboBox(&dialog);
    duplex->setObjectName(QStringLiteral("duplexList"));
    // In the order of the duplex values: none, horizontal (short edge), vertical (long edge).
    duplex->addItems({GetMessage(msg::DuplexNone), GetMessage(msg::DuplexShortEdge), GetMessage(msg::DuplexLongEdge)});
    duplex->setCurrentIndex(int(setup.Duplex()));
    auto* orientation = new QComboBox(&dialog);
    orientation->setObjectName(QStringLiteral("orientationList"));
    orientation->addItems({GetMessage(kPortrait), GetMessage(kLandscape)});
    orientation->setCurrentIndex(int(setup.Orientation()));
    form->addRow(GetMessage(msg::PrinterOptionsPaper), paper);
    form->addRow(GetMessage(msg::PrinterOptionsSource), source);
    form->addRow(GetMessage(msg::PrinterOptionsDuplex), duplex);
    form->addRow(GetMessage(msg::PrinterOptionsOrientation), orientation);
    // The resolutions the queue offers; the record's choice, else what the
    // printer measures, is selected.
    auto* resolution = new QComboBox(&dialog);
    resolution->setObjectName(QStringLiteral("resolutionList"));
    const TjxPrinterInfo* info = printer.PrinterInfo();
    const QList<QSize> resolutions =
        info && info->Spooler() ? info->Spooler()->DeviceCapabilities(info->Device()).resolutions : QList<QSize>();
    for (const QSize& r : resolutions)
        resolution->addItem(ResolutionText(r), r);
    const std::optional<TjxDevMode> record = printer.DevMode();
    QSize current(printer.PixelsPerInch().x(), printer.PixelsPerInch().y());
    if (record && (record->fields & dmfPrintQuality) && record->printQuality > 0)
        current = QSize(record->printQuality,
                        (record->fields & dmfYResolution) && record->yResolution > 0 ? record->yResolution
                                                                                     : record->printQuality);
    resolution->setCurrentIndex(int(resolutions.indexOf(current)));
    resolution->setEnabled(resolutions.size() > 1);
    form->addRow(GetMessage(msg::PrinterOptionsResolution), resolution);
    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(GetMessage(kOK), QDialogButtonBox::AcceptRole)->setObjectName(QStringLiteral("okButton"));
    buttons->addButton(GetMessage(kCancel), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    if (paper->currentIndex() >= 0)
        setup.SetPaperName(paper->currentText());
    if (source->currentIndex() >= 0)
        setup.SetBinName(source->currentText());
    setup.SetDuplex(TjxDuplexType(duplex->currentIndex()));
    setup.SetOrientation(TPrinterOrientation(orientation->currentIndex()));
    // After the setup: applying it rewrites the record, keeping the resolution.
    if (resolution->currentIndex() >= 0) {
        if (std::optional<TjxDevMode> changed = printer.DevMode()) {
            const QSize r = resolution->currentData().toSize();
            changed->fields |= dmfPrintQuality | dmfYResolution;
            changed->printQuality = r.width();
            changed->yResolution = r.height();
            printer.SetDevMode(*changed);
        }
    }
    return true;
}

} // namespace orvane
