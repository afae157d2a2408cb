#include "app/main_window.h"

#include "app/receipt_form.h"
#include "designer/designer.h"
#include "document/errors.h"
#include "document/report.h"
#include "document/report_template.h"
#include "engine/pipeline_list.h"
#include "platform/file_io.h"

#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace orvane {

TRavelleWindow::TRavelleWindow(QWidget* parent) : QMainWindow(parent), m_form(std::make_unique<TForm1>())
{
    m_form->ReadDescription();
    // An open form: other reports of the program find its pipelines.
    OpenContainer(m_form.get(), ckForm);
    setWindowTitle(m_form->Caption());
    // The stored sizes are the window's outer size; the client area is what Qt sizes.
    setGeometry(m_form->Left(), m_form->Top(), m_form->Width() - 16, m_form->Height() - 39);
    QFont font(m_form->Font()->Name());
    font.setPixelSize(std::abs(m_form->Font()->Height()));
    setFont(font);

    auto* client = new QWidget(this);
    setCentralWidget(client);
    m_panel = new QWidget(client);
    m_panel->setObjectName(QStringLiteral("Panel1"));
    m_panel->setGeometry(0, 0, 413, 49);
    m_open = new QPushButton(m_panel);
    m_open->setObjectName(QStringLiteral("Button1"));
    m_open->setText(QStringLiteral("Open"));
    m_open->setGeometry(16, 16, 75, 25);
    m_save = new QPushButton(client);
    m_save->setObjectName(QStringLiteral("Button2"));
    m_save->setText(QStringLiteral("Save"));
    m_save->setGeometry(104, 16, 75, 25);
    m_save->raise();
    connect(m_open, &QPushButton::clicked, this, [this] { Guarded([this] { Open(); }); });
    connect(m_save, &QPushButton::clicked, this, [this] { Guarded([this] { Save(); }); });
}

TRavelleWindow::~TRavelleWindow() { CloseContainer(m_form.get()); }

template <class Fn>
void TRavelleWindow::Guarded(Fn action)
{
    try {
        action();
    } catch (const EOrvaneError& e) {
        QMessageBox::critical(this, windowTitle(), e.Message());
    } catch (const std::exception& e) {
        QMessageBox::critical(this, windowTitle(), QString::fromUtf8(e.what()));
    }
}

void TRavelleWindow::Open()
{
    TjxReport* report = m_form->Receipt();
    const QString fileName = m_form->TemplateFileName();
    if (QFileInfo::exists(ResolveFileName(fileName))) {
        report->Template()->SetFileName(fileName);
        report->Template()->LoadFromFile();
    }
    // Returns when the user closes the designer; a failed load above never gets here.
    if (TjxDesigner* designer = m_form->Designer())
        designer->ShowModal();
}

void TRavelleWindow::Save()
{
    TjxReport* report = m_form->Receipt();
    report->Template()->SetFileName(m_form->TemplateFileName());
    report->Template()->Save();
}

} // namespace orvane
