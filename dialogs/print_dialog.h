#pragma once

// The print dialog: printer, pages, copies and collation, what to print,
// background printing and printing to a file.

#include "output/print_dialog.h"

#include <QDialog>
#include <QPointer>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;
class QWidget;

namespace orvane {

class TjxPrinterSetup;

class TjxPrintDialog : public TjxCustomPrintDialog {
    ORVANE_CLASS(TjxPrintDialog, TjxCustomPrintDialog)
public:
    explicit TjxPrintDialog(TComponent* owner = nullptr);
    ~TjxPrintDialog() override;

    TModalResult ShowModal() override;
    void Show() override;
    void Close() override;
    bool IsShowing() const override;

    QDialog* Window() const { return m_window; }
    // Fills the controls from the printer and the request (done when shown).
    void Initialise();
    // The controls' state as OK sees it.
    TjxPrintChoices Choices() const;
    // OK: checks, and closes the window when the choices are accepted.
    void OkClicked();

    // Up and down of the copies edit.
    void StepCopies(int delta);
    // The save dialog's filter for a "Text files|*.TXT|All files|*.*" filter.
    static QString QtFilter(const QString& filter);

protected:
    void LanguageChanged() override;

private:
    void Build();
    // Places the controls for the captions' lengths: the form grows rather
    // than clip a caption of another language.
    void Arrange();
    void ShowPrinterInfo();
    void RefreshPrinterInfo();
    void RefreshPrintToFile();
    void UpdateCollatePicture();
    void PropertiesClicked();
    void BrowseClicked();
    QString SelectedFileDevice() const;
    TjxPrinterSetup* Setup() const;

    QPointer<QDialog> m_window;
    bool m_filling = false;
    bool m_closed = false;
    QString m_typeText;
    QString m_whereText;
    QGroupBox* m_printerFrame = nullptr;
    QLabel* m_nameLabel = nullptr;
    QComboBox* m_printerList = nullptr;
    QPushButton* m_properties = nullptr;
    QLabel* m_typeCaption = nullptr;
    QLabel* m_whereCaption = nullptr;
    QLabel* m_typeLabel = nullptr;
    QLabel* m_whereLabel = nullptr;
    QLabel* m_noPrinters = nullptr;
    QGroupBox* m_rangeFrame = nullptr;
    QRadioButton* m_all = nullptr;
    QRadioButton* m_current = nullptr;
    QRadioButton* m_pages = nullptr;
    QLineEdit* m_pagesEdit = nullptr;
    QLabel* m_pagesHint = nullptr;
    QGroupBox* m_copiesFrame = nullptr;
    QLabel* m_copiesLabel = nullptr;
    QLineEdit* m_copies = nullptr;
    QToolButton* m_copiesUp = nullptr;
    QToolButton* m_copiesDown = nullptr;
    QCheckBox* m_collate = nullptr;
    QLabel* m_collatePicture = nullptr;
    QLabel* m_printWhatLabel = nullptr;
    QComboBox* m_printWhat = nullptr;
    QCheckBox* m_background = nullptr;
    QWidget* m_filePanel = nullptr;
    QCheckBox* m_toFile = nullptr;
    QLabel* m_fileTypeCaption = nullptr;
    QComboBox* m_fileTypes = nullptr;
    QLabel* m_fileWhereCaption = nullptr;
    QLineEdit* m_fileName = nullptr;
    QPushButton* m_browse = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

class TjxPrinter;

// Paper, source, duplex and orientation of the printer's setup and the
// resolution of its settings record: what the queue's options offer, in a
// dialog of our own.
bool EditPrinterOptions(TjxPrinter& printer, QWidget* parent);

} // namespace orvane
