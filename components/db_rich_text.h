#pragma once

#include "components/rich_text.h"

namespace orvane {

// Rich text from a data field (text or BLOB), from OnGetRichText, or from a
// listener of the get-text event.
class TjxDBRichText : public TjxCustomRichText {
    ORVANE_CLASS(TjxDBRichText, TjxCustomRichText)
public:
    explicit TjxDBRichText(TComponent* owner = nullptr);

    bool AutoDisplay() const { return m_autoDisplay; }
    // On: the field's content shows; off: the content is cleared.
    void SetAutoDisplay(bool value);
    // OnGetRichText(Sender, Text) gives the content.
    TMethod OnGetRichText() const { return m_onGetRichText; }
    void SetOnGetRichText(const TMethod& value) { SetField(m_onGetRichText, value, "OnGetRichText"); }

    bool IsDataAware() const override { return true; }
    void SetDataField(const QString& value) override;
    void SetPrinting(bool value) override { m_printing = value; }
    bool IsPrinting() const override { return m_printing; }
    // Loads the content from the handler, the event or the field.
    void RefreshContent() override;

protected:
    void Notify(TjxCommunicator* sender, int operation) override;

private:
    void LoadFieldValue(const QByteArray& bytes, bool isBytes, const QString& text);

    bool m_autoDisplay = true;
    bool m_printing = false;
    TMethod m_onGetRichText;
    // The value the content was last read from, so that the pages and
    // records of one value read it once.
    QString m_loadedText;
    bool m_loaded = false;
};

} // namespace orvane
