#include "platform/test_spooler.h"

#include <QPainter>

namespace orvane {

namespace {

class TTestDeviceContext : public TjxDeviceContext {
public:
    TTestDeviceContext(std::shared_ptr<TjxTestSpooler> spooler, QString device, TjxDeviceCaps caps, bool printing,
                       bool refuseDocuments)
        : m_spooler(std::move(spooler)), m_device(std::move(device)), m_caps(caps), m_printing(printing),
          m_refuseDocuments(refuseDocuments)
    {
    }
    ~TTestDeviceContext() override
    {
        FinishPage();
        m_spooler->Write(QStringLiteral("DeleteDC %1").arg(m_device));
    }

    TjxDeviceCaps Caps() const override { return m_caps; }

    bool Reset(const TjxDevMode* settings) override
    {
        m_spooler->Write(QStringLiteral("ResetDC %1 %2").arg(m_device, TjxTestSpooler::Describe(settings)));
        if (settings && m_document >= 0)
            m_spooler->AddReset(m_document, *settings);
        return true;
    }

    bool StartDoc(const QString& documentName, const QString& outputName) override
    {
        m_spooler->Write(QStringLiteral("StartDoc %1 doc=%2 output=%3").arg(m_device, documentName, outputName));
        if (!m_printing || m_refuseDocuments || m_document >= 0)
            return false;
        m_document = m_spooler->StartDocument(m_device, documentName, outputName);
        return true;
    }

    bool StartPage() override
    {
        m_spooler->Write(QStringLiteral("StartPage %1").arg(m_device));
        if (m_document < 0 || m_page)
            return false;
        m_page = std::make_shared<QPicture>();
        m_painter.begin(m_page.get());
        return true;
    }

    bool EndPage() override
    {
        m_spooler->Write(QStringLiteral("EndPage %1").arg(m_device));
        return FinishPage();
    }

    bool EndDoc() override
    {
        m_spooler->Write(QStringLiteral("EndDoc %1").arg(m_device));
        if (m_document < 0)
            return false;
        FinishPage();
        m_spooler->EndDocument(m_document);
        m_document = -1;
        return true;
    }

    bool AbortDoc() override
    {
        m_spooler->Write(QStringLiteral("AbortDoc %1").arg(m_device));
        if (m_document < 0)
            return false;
        FinishPage();
        m_spooler->AbortDocument(m_document);
        m_document = -1;
        return true;
    }

    QPainter* Painter() override { return m_painter.isActive() ? &m_painter : nullptr; }

private:
    bool FinishPage()
    {
        if (!m_page)
            return false;
        m_painter.end();
        m_spooler->AddPage(m_document, std::move(m_page));
        m_page.reset();
        return true;
    }

    std::shared_ptr<TjxTestSpooler> m_spooler;
    QString m_device;
    TjxDeviceCaps m_caps;
    bool m_printing;
    bool m_refuseDocuments;
    int m_document = -1;
    std::shared_ptr<QPicture> m_page;
    QPainter m_painter;
};

QString Hex(uint32_t v)
{
    return QStringLiteral("0x") + QString::number(v, 16);
}

} // namespace

QString TjxTestSpooler::Describe(const TjxDevMode* s)
{
    if (!s)
        return QStringLiteral("none");
    return QStringLiteral("fields=%1 orientation=%2 paper=%3 width=%4 length=%5 copies=%6 source=%7 duplex=%8 form=%9")
        .arg(Hex(s->fields))
        .arg(s->orientation)
        .arg(s->paperSize)
        .arg(s->paperWidth)
        .arg(s->paperLength)
        .arg(s->copies)
        .arg(s->defaultSource)
        .arg(s->duplex)
        .arg(s->formName);
}

void TjxTestSpooler::AddPrinter(const Printer& printer)
{
    std::lock_guard guard(m_lock);
    m_printers.append(printer);
}

void TjxTestSpooler::SetSettings(const QString& device, const std::optional<TjxDevMode>& settings)
{
    std::lock_guard guard(m_lock);
    for (Printer& p : m_printers)
        if (p.name == device)
            p.settings = settings;
}

void TjxTestSpooler::SetCaps(const QString& device, const TjxDeviceCaps& caps)
{
    std::lock_guard guard(m_lock);
    for (Printer& p : m_printers)
        if (p.name == device)
            p.caps = caps;
}

void TjxTestSpooler::SetPort(const QString& device, const QString& port)
{
    std::lock_guard guard(m_lock);
    m_ports[device] = port;
}

QStringList TjxTestSpooler::Log() const
{
    std::lock_guard guard(m_lock);
    return m_log;
}

void TjxTestSpooler::ClearLog()
{
    std::lock_guard guard(m_lock);
    m_log.clear();
}

QList<TjxTestSpooler::Document> TjxTestSpooler::Documents() const
{
    std::lock_guard guard(m_lock);
    return m_documents;
}

std::map<QString, TjxPaperForm> TjxTestSpooler::Forms() const
{
    std::lock_guard guard(m_lock);
    return m_forms;
}

void TjxTestSpooler::Write(const QString& line)
{
    std::lock_guard guard(m_lock);
    m_log.append(line);
}

int TjxTestSpooler::StartDocument(const QString& printer, const QString& name, const QString& output)
{
    std::lock_guard guard(m_lock);
    m_documents.append(Document{printer, name, output, {}, {}, false});
    return int(m_documents.size()) - 1;
}

void TjxTestSpooler::AddReset(int document, const TjxDevMode& settings)
{
    std::lock_guard guard(m_lock);
    m_documents[document].resets.append(settings);
}

void TjxTestSpooler::AddPage(int document, std::shared_ptr<QPicture> page)
{
    std::lock_guard guard(m_lock);
    m_documents[document].pages.append(std::move(page));
}

void TjxTestSpooler::AbortDocument(int document)
{
    std::lock_guard guard(m_lock);
    m_documents[document].aborted = true;
}

void TjxTestSpooler::EndDocument(int document)
{
    std::lock_guard guard(m_lock);
    m_documents[document].ended = true;
}

const TjxTestSpooler::Printer* TjxTestSpooler::Find(const QString& device) const
{
    for (const Printer& p : m_printers)
        if (p.name == device)
            return &p;
    return nullptr;
}

QList<TjxSpoolerPrinter> TjxTestSpooler::EnumPrinters()
{
    std::lock_guard guard(m_lock);
    m_log.append(QStringLiteral("EnumPrinters"));
    QList<TjxSpoolerPrinter> result;
    for (const Printer& p : m_printers)
        result.append({p.name, p.attributes, m_ports.contains(p.name) ? m_ports.at(p.name) : QString()});
    return result;
}

QString TjxTestSpooler::DefaultPrinter()
{
    std::lock_guard guard(m_lock);
    m_log.append(QStringLiteral("DefaultPrinter"));
    return m_defaultPrinter;
}

TjxDriverCapabilities TjxTestSpooler::DeviceCapabilities(const QString& device)
{
    std::lock_guard guard(m_lock);
    m_log.append(QStringLiteral("DeviceCapabilities %1").arg(device));
    const Printer* p = Find(device);
    return p ? p->capabilities : TjxDriverCapabilities();
}

int TjxTestSpooler::OpenPrinter(const QString& device)
{
    std::lock_guard guard(m_lock);
    const Printer* p = Find(device);
    const int handle = p ? m_nextHandle++ : 0;
    if (handle)
        m_handles[handle] = device;
    m_log.append(QStringLiteral("OpenPrinter %1 -> %2").arg(device).arg(handle));
    return handle;
}

void TjxTestSpooler::ClosePrinter(int handle)
{
    std::lock_guard guard(m_lock);
    m_log.append(QStringLiteral("ClosePrinter %1").arg(handle));
    m_handles.erase(handle);
}

std::optional<TjxDevMode> TjxTestSpooler::DocumentProperties(int handle)
{
    std::lock_guard guard(m_lock);
    m_log.append(QStringLiteral("DocumentProperties %1").arg(handle));
    auto it = m_handles.find(handle);
    const Printer* p = it == m_handles.end() ? nullptr : Find(it->second);
    return p ? p->settings : std::nullopt;
}

bool TjxTestSpooler::EditDocumentProperties(int handle, TjxDevMode& settings)
{
    std::lock_guard guard(m_lock);
    m_log.append(QStringLiteral("EditDocumentProperties %1 %2").arg(handle).arg(Describe(&settings)));
    if (!m_dialogResult)
        return false;
    settings = *m_dialogResult;
    return true;
}

bool TjxTestSpooler::GetForm(int handle, const QString& name, TjxPaperForm& form)
{
    std::lock_guard guard(m_lock);
    m_log.append(QStringLiteral("GetForm %1 %2").arg(handle).arg(name));
    auto it = m_forms.find(name);
    if (it == m_forms.end())
        return false;
    form = it->second;
    return true;
}

bool TjxTestSpooler::SetForm(int handle, const TjxPaperForm& form)
{
    std::lock_guard guard(m_lock);
    m_log.append(QStringLiteral("SetForm %1 %2 %3x%4").arg(handle).arg(form.name).arg(form.size.width()).arg(form.size.height()));
    m_forms[form.name] = form;
    return true;
}

bool TjxTestSpooler::AddForm(int handle, const TjxPaperForm& form)
{
    std::lock_guard guard(m_lock);
    m_log.append(QStringLiteral("AddForm %1 %2 %3x%4").arg(handle).arg(form.name).arg(form.size.width()).arg(form.size.height()));
    m_forms[form.name] = form;
    return true;
}

std::unique_ptr<TjxDeviceContext> TjxTestSpooler::CreateDC(const QString& device, const TjxDevMode* settings)
{
    std::lock_guard guard(m_lock);
    m_log.append(QStringLiteral("CreateDC %1 %2").arg(device, Describe(settings)));
    const Printer* p = Find(device);
    if (!p || p->refuseContexts)
        return nullptr;
    return std::make_unique<TTestDeviceContext>(shared_from_this(), device, p->caps, true, p->refuseDocuments);
}

std::unique_ptr<TjxDeviceContext> TjxTestSpooler::CreateIC(const QString& device, const TjxDevMode* settings)
{
    std::lock_guard guard(m_lock);
    m_log.append(QStringLiteral("CreateIC %1 %2").arg(device, Describe(settings)));
    const Printer* p = Find(device);
    if (!p || p->refuseContexts)
        return nullptr;
    return std::make_unique<TTestDeviceContext>(shared_from_this(), device, p->caps, false, false);
}

std::unique_ptr<TjxDeviceContext> TjxTestSpooler::ScreenDC()
{
    Write(QStringLiteral("ScreenDC"));
    return TjxSpooler::ScreenDC();
}

} // namespace orvane
