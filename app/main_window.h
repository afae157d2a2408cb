#pragma once

#include <QMainWindow>
#include <memory>

class QPushButton;
class QWidget;

namespace orvane {

class TForm1;

// Ravelle's window: "Open" and "Save" around the receipt report.
class TRavelleWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit TRavelleWindow(QWidget* parent = nullptr);
    ~TRavelleWindow() override;

    TForm1* Form() const { return m_form.get(); }
    QPushButton* OpenButton() const { return m_open; }
    QPushButton* SaveButton() const { return m_save; }

    // Loads the template file when it exists, then shows the designer on the
    // receipt until the user closes it.
    void Open();
    void Save();

private:
    // Errors never cross the event loop: they are shown and the window stays usable.
    template <class Fn>
    void Guarded(Fn action);

    std::unique_ptr<TForm1> m_form;
    QWidget* m_panel = nullptr;
    QPushButton* m_open = nullptr;
    QPushButton* m_save = nullptr;
};

} // namespace orvane
