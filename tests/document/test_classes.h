#pragma once

// Small report-like classes that exercise every kind of published property.

#include "document/collection.h"
#include "document/graphic_objects.h"
#include "document/relative.h"
#include "document/strings.h"

namespace orvane::test {

// A window-like lookup root: streams the components it owns that have no parent.
class TTestForm : public TComponent {
    ORVANE_CLASS(TTestForm, TComponent)
public:
    explicit TTestForm(TComponent* owner = nullptr) : TComponent(owner) {}
    void GetChildren(const TGetChildProc& proc, TComponent* root) const override;
    void ButtonClick(TComponent* sender, TjxEventParams& params) { ++clicks; }
    int clicks = 0;
};

class TTestItem : public TCollectionItem {
    ORVANE_CLASS(TTestItem, TCollectionItem)
public:
    explicit TTestItem(TCollection* c) : TCollectionItem(c) {}
    QString Title() const { return m_title; }
    void SetTitle(const QString& v) { m_title = v; }
    int Width() const { return m_width; }
    void SetWidth(int v) { m_width = v; }
    void Assign(const TPersistent* source) override;

private:
    QString m_title;
    int m_width = 10;
};

enum TTestKind : uint8_t { tkdPlain, tkdBold, tkdBoxed };
enum TTestOption : uint8_t { toFirst, toSecond, toThird };

class TjxTestBand : public TjxRelative {
    ORVANE_CLASS(TjxTestBand, TjxRelative)
public:
    explicit TjxTestBand(TComponent* owner = nullptr);
    ~TjxTestBand() override;

    QString Caption() const { return m_caption; }
    void SetCaption(const QString& v) { m_caption = v; }
    int Count() const { return m_count; }
    void SetCount(int v) { m_count = v; }
    int64_t Big() const { return m_big; }
    void SetBig(int64_t v) { m_big = v; }
    double Ratio() const { return m_ratio; }
    void SetRatio(double v) { m_ratio = v; }
    bool Visible() const { return m_visible; }
    void SetVisible(bool v) { m_visible = v; }
    TTestKind Kind() const { return m_kind; }
    void SetKind(TTestKind v) { m_kind = v; }
    uint32_t Options() const { return m_options; }
    void SetOptions(uint32_t v) { m_options = v; }
    TColor Color() const { return m_color; }
    void SetColor(TColor v) { m_color = v; }
    QChar Letter() const { return m_letter; }
    void SetLetter(QChar v) { m_letter = v; }
    TFont* Font() const { return m_font.get(); }
    void SetFont(TFont* v) { m_font->Assign(v); }
    TStrings* Lines() const { return m_lines.get(); }
    void SetLines(TStrings* v) { m_lines->Assign(v); }
    TCollection* Items() const { return m_items.get(); }
    void SetItems(TCollection* v) { m_items->Assign(v); }
    TjxRelative* Target() const { return m_target; }
    void SetTarget(TjxRelative* v);
    TMethod OnPrint() const { return m_onPrint; }
    void SetOnPrint(const TMethod& v) { m_onPrint = v; }
    TVarValue Value() const { return m_value; }
    void SetValue(const TVarValue& v) { m_value = v; }
    QByteArray Blob() const { return m_blob; }
    void SetBlob(const QByteArray& v) { m_blob = v; }
    int ReadOnlyValue() const { return 7; }

    std::vector<QString>* loadedLog = nullptr;
    void Loaded() override;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    QString m_caption;
    int m_count = 0;
    int64_t m_big = 0;
    double m_ratio = 0;
    bool m_visible = true;
    TTestKind m_kind = tkdPlain;
    uint32_t m_options = 0;
    TColor m_color = clWhite;
    QChar m_letter;
    std::unique_ptr<TFont> m_font;
    std::unique_ptr<TStrings> m_lines;
    std::unique_ptr<TCollection> m_items;
    TjxRelative* m_target = nullptr;
    TMethod m_onPrint;
    TVarValue m_value;
    QByteArray m_blob;
};

class TjxTestLabel : public TjxRelative {
    ORVANE_CLASS(TjxTestLabel, TjxRelative)
public:
    explicit TjxTestLabel(TComponent* owner = nullptr) : TjxRelative(owner) {}
    QString Caption() const { return m_caption; }
    void SetCaption(const QString& v) { m_caption = v; }

private:
    QString m_caption;
};

// A listener that records what it hears and can act during a call.
class TjxTestListener : public TjxCommunicator {
    ORVANE_CLASS(TjxTestListener, TjxCommunicator)
public:
    explicit TjxTestListener(TComponent* owner = nullptr) : TjxCommunicator(owner) {}
    void EventNotify(TjxCommunicator* sender, int eventId, TjxEventParams* params) override
    {
        heard.push_back(eventId);
        if (onEvent)
            onEvent(sender, eventId);
    }
    void Notify(TjxCommunicator* sender, int operation) override
    {
        operations.push_back(operation);
        TjxCommunicator::Notify(sender, operation);
    }
    QString GetEventNotifyKey() const override { return key; }
    std::vector<int> heard;
    std::vector<int> operations;
    std::function<void(TjxCommunicator*, int)> onEvent;
    QString key;
};

} // namespace orvane::test
