#pragma once

#include "document/graphic_objects.h"
#include "document/toolkit_component.h"

namespace orvane {

class TjxReport;
class TjxDesigner;

// The main window's stored part: its settings and the non-visual components
// it owns (the receipt report, its untouched copy and the designer). It is the
// lookup root of its stored description and of the templates it saves.
class TForm1 : public TComponent {
    ORVANE_CLASS(TForm1, TComponent)
public:
    explicit TForm1(TComponent* owner = nullptr);
    ~TForm1() override;

    // Reads the stored description shipped with the program.
    void ReadDescription();

    const QString& Caption() const { return m_caption; }
    void SetCaption(const QString& value) { m_caption = value; }
    int Left() const { return m_left; }
    void SetLeft(int value) { m_left = value; }
    int Top() const { return m_top; }
    void SetTop(int value) { m_top = value; }
    int Width() const { return m_width; }
    void SetWidth(int value) { m_width = value; }
    int Height() const { return m_height; }
    void SetHeight(int value) { m_height = value; }
    TColor Color() const { return m_color; }
    void SetColor(TColor value) { m_color = value; }
    TFont* Font() const { return m_font.get(); }
    void SetFont(TFont* value) { m_font->Assign(value); }
    TMethod OnCreate() const { return m_onCreate; }
    void SetOnCreate(const TMethod& value) { m_onCreate = value; }

    // The template file the buttons use, set when the window is created.
    const QString& TemplateFileName() const { return m_templateFileName; }
    void FormCreate(TComponent* sender, TjxEventParams& params);

    TjxReport* Receipt() const;
    TjxDesigner* Designer() const;

    void GetChildren(const TGetChildProc& proc, TComponent* root) const override;
    void Loaded() override;

private:
    QString m_caption;
    int m_left = 0, m_top = 0, m_width = 0, m_height = 0;
    TColor m_color = clBtnFace;
    std::unique_ptr<TFont> m_font;
    TMethod m_onCreate;
    QString m_templateFileName;
};

} // namespace orvane
