#include "output/print_dialog.h"

#include "document/message_ids.h"
#include "document/messages.h"
#include "document/printer.h"
#include "document/printer_list.h"
#include "document/printer_setup.h"
#include "document/report_settings.h"
#include "output/archive_device.h"
#include "output/device_registry.h"

#include <QFileInfo>

namespace orvane {

namespace {

constexpr int kNoPrinters = 8;
constexpr int kNoPagesEntered = 32;
constexpr int kSpecifyFileName = 33;
constexpr int kPrinterSetupProblem = 459;

bool IsRealPrinterName(const QString& name)
{
    return name.compare(u"Default", Qt::CaseInsensitive) != 0 && name.compare(u"Screen", Qt::CaseInsensitive) != 0;
}

} // namespace

const TClassInfo& TjxCustomPrintDialog::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxCustomPrintDialog>("TjxCustomPrintDialog", &TjxForm::StaticClass()).Build();
    return info;
}

TjxCustomPrintDialog::TjxCustomPrintDialog(TComponent* owner)
    : TjxForm(owner), m_pageRequest(std::make_unique<TjxPageRequest>()),
      m_backgroundPrintSettings(std::make_unique<TjxBackgroundPrintSettings>())
{
}

TjxCustomPrintDialog::~TjxCustomPrintDialog() = default;

void TjxCustomPrintDialog::SetPageRequest(const TjxPageRequest* request)
{
    if (request && request != m_pageRequest.get())
        m_pageRequest->Assign(request);
}

void TjxCustomPrintDialog::SetBackgroundPrintSettings(const TjxBackgroundPrintSettings* value)
{
    m_backgroundPrintSettings->Assign(value);
}

std::vector<const TjxDeviceClass*> TjxCustomPrintDialog::FileDeviceClasses() const
{
    std::vector<const TjxDeviceClass*> classes;
    const auto add = [&](bool archives) {
        for (const QString& name : DeviceNames()) {
            const TjxDeviceClass* cls = DeviceClassByName(name);
            if (!cls || !cls->isFileDevice)
                continue;
            if (cls->InheritsFrom(TjxArchiveDevice::StaticClass()) == archives)
                classes.push_back(cls);
        }
    };
    if (m_allowPrintToArchive)
        add(true);
    if (m_allowPrintToFile)
        add(false);
    return classes;
}

QStringList TjxCustomPrintDialog::PrinterNamesOffered() const
{
    // The list always starts with "Default" and "Screen": neither is a
    // printer, so a machine with only those has none.
    QStringList names;
    for (const QString& name : PrinterList().Names())
        if (IsRealPrinterName(name))
            names.append(name);
    names.sort(Qt::CaseInsensitive);
    return names;
}

QString TjxCustomPrintDialog::FileNameFor(const QString& deviceName) const
{
    const TjxDeviceClass* cls = DeviceClassByName(deviceName);
    return cls && cls->InheritsFrom(TjxArchiveDevice::StaticClass()) ? m_archiveFileName : m_textFileName;
}

void TjxCustomPrintDialog::StoreFileName(const QString& deviceName, const QString& fileName)
{
    const TjxDeviceClass* cls = DeviceClassByName(deviceName);
    if (cls && cls->InheritsFrom(TjxArchiveDevice::StaticClass()))
        m_archiveFileName = fileName;
    else
        m_textFileName = fileName;
}

QString TjxCustomPrintDialog::PagesText(const TjxPageRequest& request)
{
    if (request.PageSetting() == psPageList)
        return request.PageList()->Lines().join(u',');
    if (request.PageSetting() == psPageRange)
        return request.PageList()->Lines().join(u'-');
    return {};
}

bool TjxCustomPrintDialog::Accept(const TjxPrintChoices& choices)
{
    // Copies first: a count the setup cannot take would print another one.
    bool numeric = false;
    const int copies = choices.copiesText.trimmed().toInt(&numeric);
    if (!numeric || copies < 1 || copies > 999) {
        ShowMessageBox(MessageText(msg::InvalidCopies, {choices.copiesText}), mtWarning, mbOK);
        return false;
    }
    QStringList pages;
    if (choices.pages == pcPages) {
        pages = TextToPageList(choices.pagesText);
        if (pages.isEmpty()) {
            ShowMessageBox(GetMessage(kNoPagesEntered), mtWarning, mbOK);
            return false;
        }
    }
    // The file checks hold whatever pages were chosen: printing a few pages
    // replaces a file as surely as printing all of them.
    const TjxDeviceClass* fileClass = nullptr;
    QString fileName;
    if ((m_allowPrintToFile || m_allowPrintToArchive) && choices.printToFile) {
        for (const TjxDeviceClass* cls : FileDeviceClasses())
            if (cls->deviceName == choices.fileDeviceName)
                fileClass = cls;
        if (fileClass) {
            fileName = choices.fileName.trimmed();
            if (fileName.isEmpty()) {
                ShowMessageBox(GetMessage(kSpecifyFileName), mtWarning, mbOK);
                return false;
            }
            // A folder is no file name, with or without the extension added.
            const bool folder = fileName.endsWith(u'/') || QFileInfo(fileName).isDir();
            // The name checked is the one written to.
            fileName = CompleteFileName(fileName, fileClass->defaultExt);
            const QFileInfo info(fileName);
            if (folder || info.isDir()) {
                ShowMessageBox(MessageText(msg::PrintFileIsFolder, {fileName}), mtWarning, mbOK);
                return false;
            }
            if (info.exists()) {
                Beep();
                if (ShowMessageBox(MessageText(msg::PrintFileExists, {fileName}), mtWarning, mbYes | mbNo) != mrYes)
                    return false;
            }
        }
    }
    if (!fileClass && m_printer) {
        if (PrinterNamesOffered().isEmpty()) {
            ShowMessageBox(GetMessage(kNoPrinters), mtWarning, mbOK);
            return false;
        }
        if (!m_printer->DC() || !IsRealPrinterName(m_printer->PrinterName())) {
            ShowMessageBox(GetMessage(kPrinterSetupProblem), mtWarning, mbOK);
            return false;
        }
    }

    // Accepted: the results.
    switch (choices.pages) {
    case pcAll:
        // All means all, whatever the request held when the dialog opened.
        m_pageRequest->PageList()->Clear();
        m_pageRequest->SetPageSetting(psAll);
        break;
    case pcCurrentPage:
        m_pageRequest->PageList()->Clear();
        m_pageRequest->SetPageSetting(psSinglePage);
        break;
    case pcPages:
        m_pageRequest->PageList()->SetLines(pages);
        m_pageRequest->SetPageSetting(psPageList);
        break;
    }
    m_pageRequest->SetPageRange(choices.pageRange);
    if (m_printer) {
        TjxPrinterSetup* setup = m_printer->PrinterSetup();
        setup->SetCopies(copies);
        setup->SetCollation(choices.collate);
    }
    m_printToArchive = false;
    m_printToFile = false;
    if (fileClass) {
        StoreFileName(fileClass->deviceName, fileName);
        m_deviceType = fileClass->deviceName;
        m_printToArchive = fileClass->InheritsFrom(TjxArchiveDevice::StaticClass());
        m_printToFile = !m_printToArchive;
    }
    return true;
}

QString CompleteFileName(const QString& fileName, const QString& extension)
{
    if (extension.isEmpty())
        return fileName;
    const int slash = int(fileName.lastIndexOf(u'/'));
    const QStringView name = QStringView(fileName).mid(slash + 1);
    if (name.endsWith(u'.'))
        return fileName + extension;
    if (!name.contains(u'.'))
        return fileName + u'.' + extension;
    return fileName;
}

} // namespace orvane
