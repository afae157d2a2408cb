#pragma once

// The settings objects a report streams as sub-objects: background printing,
// the preview window, the outline, text search and PDF output.

#include "document/persistent.h"

namespace orvane {

// Tells the holder that settings changed (a producer re-applies them).
class TjxSettingsBase : public TPersistent {
    ORVANE_CLASS(TjxSettingsBase, TPersistent)
public:
    std::function<void()> OnChange;
    // True while the holder is being read; setters then only store.
    std::function<bool()> IsHolderReading;

protected:
    void Changed()
    {
        if (OnChange && !(IsHolderReading && IsHolderReading()))
            OnChange();
    }
};

class TjxBackgroundPrintSettings : public TjxSettingsBase {
    ORVANE_CLASS(TjxBackgroundPrintSettings, TjxSettingsBase)
public:
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value);
    bool Active() const { return m_active; }
    // Stored only while Enabled; otherwise Active becomes false.
    void SetActive(bool value);
    void Assign(const TPersistent* source) override;

private:
    bool m_enabled = false;
    bool m_active = false;
};

enum TWindowState : uint8_t { wsNormal, wsMinimized, wsMaximized };
// Streams hold the identifier, so the ordinals are free to follow the toolbar.
enum TjxZoomSettingType : uint8_t { zsWholePage, zsPageWidth, zs100Percent, zsPercentage };

const TTypeInfo& WindowStateType();
const TTypeInfo& ZoomSettingType();

class TjxPreviewFormSettings : public TjxSettingsBase {
    ORVANE_CLASS(TjxPreviewFormSettings, TjxSettingsBase)
public:
    TWindowState WindowState() const { return m_windowState; }
    void SetWindowState(TWindowState value);
    TjxZoomSettingType ZoomSetting() const { return m_zoomSetting; }
    void SetZoomSetting(TjxZoomSettingType value);
    int ZoomPercentage() const { return m_zoomPercentage; }
    // Clamped to 25..250; choosing a percentage sets the zoom setting to it.
    void SetZoomPercentage(int value);
    void Assign(const TPersistent* source) override;

private:
    TWindowState m_windowState = wsNormal;
    TjxZoomSettingType m_zoomSetting = zsWholePage;
    int m_zoomPercentage = 100;
};

class TjxOutlineSettings : public TjxSettingsBase {
    ORVANE_CLASS(TjxOutlineSettings, TjxSettingsBase)
public:
    bool CreateNode() const { return m_createNode; }
    void SetCreateNode(bool value);
    void Assign(const TPersistent* source) override;

protected:
    bool m_createNode = true;
};

class TjxOutlineReportSettings : public TjxOutlineSettings {
    ORVANE_CLASS(TjxOutlineReportSettings, TjxOutlineSettings)
public:
    bool CreatePageNodes() const { return m_createPageNodes; }
    void SetCreatePageNodes(bool value);
    bool Enabled() const { return m_enabled; }
    // Switching off also hides the outline.
    void SetEnabled(bool value);
    bool Visible() const { return m_visible; }
    // Stored only while Enabled.
    void SetVisible(bool value);
    void Assign(const TPersistent* source) override;

private:
    bool m_createPageNodes = true;
    bool m_enabled = true;
    bool m_visible = true;
};

class TjxTextSearchSettings : public TjxSettingsBase {
    ORVANE_CLASS(TjxTextSearchSettings, TjxSettingsBase)
public:
    TjxTextSearchSettings();

    bool CaseSensitive() const { return m_caseSensitive; }
    void SetCaseSensitive(bool value);
    const QString& DefaultString() const { return m_defaultString; }
    void SetDefaultString(const QString& value);
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value);
    bool ShowAll() const { return m_showAll; }
    void SetShowAll(bool value);
    bool SearchFromCurrentPage() const { return m_searchFromCurrentPage; }
    void SetSearchFromCurrentPage(bool value);
    bool Visible() const { return m_visible; }
    // Stored only while Enabled.
    void SetVisible(bool value);
    bool WholeWord() const { return m_wholeWord; }
    void SetWholeWord(bool value);
    bool RepeatSearchOnNavigate() const { return m_repeatSearchOnNavigate; }
    // Searching on navigation shows the search toolbar.
    void SetRepeatSearchOnNavigate(bool value);
    void Assign(const TPersistent* source) override;

private:
    bool m_caseSensitive = false;
    QString m_defaultString;
    bool m_enabled = true;
    bool m_showAll = false;
    bool m_searchFromCurrentPage = false;
    bool m_visible = false;
    bool m_wholeWord = false;
    bool m_repeatSearchOnNavigate = false;
};

// Carried for file devices that publish a property of this name; it has no
// settings of its own yet, so it streams nothing.
class TjxPDFSettings : public TjxSettingsBase {
    ORVANE_CLASS(TjxPDFSettings, TjxSettingsBase)
public:
    void Assign(const TPersistent* source) override;
};

} // namespace orvane
