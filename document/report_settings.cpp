#include "document/report_settings.h"

#include "document/class_registry.h"
#include "document/messages.h"

#include <algorithm>

namespace orvane {

const TClassInfo& TjxSettingsBase::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TjxSettingsBase>("TjxSettingsBase", &TPersistent::StaticClass()).Build();
    return info;
}

// ---- background printing ----

const TClassInfo& TjxBackgroundPrintSettings::StaticClass()
{
    using T = TjxBackgroundPrintSettings;
    static const TClassInfo info = TClassBuilder<T>("TjxBackgroundPrintSettings", &TjxSettingsBase::StaticClass())
                                       .Prop("Enabled", BooleanType(), &T::Enabled, &T::SetEnabled).Default(0)
                                       .Prop("Active", BooleanType(), &T::Active, &T::SetActive).Default(0)
                                       .Build();
    return info;
}

void TjxBackgroundPrintSettings::SetEnabled(bool value)
{
    if (m_enabled == value)
        return;
    m_enabled = value;
    Changed();
}

void TjxBackgroundPrintSettings::SetActive(bool value)
{
    const bool stored = m_enabled && value;
    if (m_active == stored)
        return;
    m_active = stored;
    Changed();
}

void TjxBackgroundPrintSettings::Assign(const TPersistent* source)
{
    const auto* o = dynamic_cast<const TjxBackgroundPrintSettings*>(source);
    if (!o)
        return TPersistent::Assign(source);
    m_enabled = o->m_enabled;
    m_active = o->m_active;
    Changed();
}

// ---- preview window ----

const TTypeInfo& WindowStateType()
{
    static const TTypeInfo& t = EnumType("TWindowState", {"wsNormal", "wsMinimized", "wsMaximized"});
    return t;
}

const TTypeInfo& ZoomSettingType()
{
    static const TTypeInfo& t =
        EnumType("TjxZoomSettingType", {"zsWholePage", "zsPageWidth", "zs100Percent", "zsPercentage"});
    return t;
}

const TClassInfo& TjxPreviewFormSettings::StaticClass()
{
    using T = TjxPreviewFormSettings;
    static const TClassInfo info =
        TClassBuilder<T>("TjxPreviewFormSettings", &TjxSettingsBase::StaticClass())
            .Prop("WindowState", WindowStateType(), &T::WindowState, &T::SetWindowState).Default(wsNormal)
            .Prop("ZoomSetting", ZoomSettingType(), &T::ZoomSetting, &T::SetZoomSetting).Default(zsWholePage)
            .Prop("ZoomPercentage", IntegerType(), &T::ZoomPercentage, &T::SetZoomPercentage).Default(100)
            .Build();
    return info;
}

void TjxPreviewFormSettings::SetWindowState(TWindowState value)
{
    m_windowState = value;
    Changed();
}

void TjxPreviewFormSettings::SetZoomSetting(TjxZoomSettingType value)
{
    m_zoomSetting = value;
    Changed();
}

void TjxPreviewFormSettings::SetZoomPercentage(int value)
{
    m_zoomPercentage = std::clamp(value, 25, 250);
    m_zoomSetting = zsPercentage;
    Changed();
}

void TjxPreviewFormSettings::Assign(const TPersistent* source)
{
    const auto* o = dynamic_cast<const TjxPreviewFormSettings*>(source);
    if (!o)
        return TPersistent::Assign(source);
    m_windowState = o->m_windowState;
    m_zoomSetting = o->m_zoomSetting;
    m_zoomPercentage = o->m_zoomPercentage;
    Changed();
}

// ---- outline ----

const TClassInfo& TjxOutlineSettings::StaticClass()
{
    using T = TjxOutlineSettings;
    static const TClassInfo info = TClassBuilder<T>("TjxOutlineSettings", &TjxSettingsBase::StaticClass())
                                       .Prop("CreateNode", BooleanType(), &T::CreateNode, &T::SetCreateNode).NoDefault()
                                       .Build();
    return info;
}

void TjxOutlineSettings::SetCreateNode(bool value)
{
    m_createNode = value;
    Changed();
}

void TjxOutlineSettings::Assign(const TPersistent* source)
{
    const auto* o = dynamic_cast<const TjxOutlineSettings*>(source);
    if (!o)
        return TPersistent::Assign(source);
    m_createNode = o->m_createNode;
    Changed();
}

const TClassInfo& TjxOutlineReportSettings::StaticClass()
{
    using T = TjxOutlineReportSettings;
    static const TClassInfo info =
        TClassBuilder<T>("TjxOutlineReportSettings", &TjxOutlineSettings::StaticClass())
            .Prop("CreatePageNodes", BooleanType(), &T::CreatePageNodes, &T::SetCreatePageNodes).NoDefault()
            .Prop("Enabled", BooleanType(), &T::Enabled, &T::SetEnabled).NoDefault()
            .Prop("Visible", BooleanType(), &T::Visible, &T::SetVisible).NoDefault()
            .Build();
    return info;
}

void TjxOutlineReportSettings::SetCreatePageNodes(bool value)
{
    m_createPageNodes = value;
    Changed();
}

void TjxOutlineReportSettings::SetEnabled(bool value)
{
    m_enabled = value;
    if (!value)
        m_visible = false;
    Changed();
}

void TjxOutlineReportSettings::SetVisible(bool value)
{
    m_visible = m_enabled && value;
    Changed();
}

void TjxOutlineReportSettings::Assign(const TPersistent* source)
{
    const auto* o = dynamic_cast<const TjxOutlineReportSettings*>(source);
    if (!o)
        return TjxOutlineSettings::Assign(source);
    m_createPageNodes = o->m_createPageNodes;
    m_enabled = o->m_enabled;
    if (!m_enabled)
        m_visible = false;
    m_createNode = o->m_createNode;
    Changed();
}

// ---- text search ----

const TClassInfo& TjxTextSearchSettings::StaticClass()
{
    using T = TjxTextSearchSettings;
    static const TClassInfo info =
        TClassBuilder<T>("TjxTextSearchSettings", &TjxSettingsBase::StaticClass())
            .Prop("CaseSensitive", BooleanType(), &T::CaseSensitive, &T::SetCaseSensitive).Default(0)
            .Prop("DefaultString", StringType(), &T::DefaultString, &T::SetDefaultString)
            .Prop("Enabled", BooleanType(), &T::Enabled, &T::SetEnabled).NoDefault()
            .Prop("ShowAll", BooleanType(), &T::ShowAll, &T::SetShowAll).Default(0)
            .Prop("SearchFromCurrentPage", BooleanType(), &T::SearchFromCurrentPage, &T::SetSearchFromCurrentPage).Default(0)
            .Prop("Visible", BooleanType(), &T::Visible, &T::SetVisible).Default(0)
            .Prop("WholeWord", BooleanType(), &T::WholeWord, &T::SetWholeWord).Default(0)
            .Build();
    return info;
}

TjxTextSearchSettings::TjxTextSearchSettings() : m_defaultString(GetMessage(1069)) {}

void TjxTextSearchSettings::SetCaseSensitive(bool value) { m_caseSensitive = value; Changed(); }
void TjxTextSearchSettings::SetDefaultString(const QString& value) { m_defaultString = value; Changed(); }
void TjxTextSearchSettings::SetEnabled(bool value) { m_enabled = value; Changed(); }
void TjxTextSearchSettings::SetShowAll(bool value) { m_showAll = value; Changed(); }
void TjxTextSearchSettings::SetSearchFromCurrentPage(bool value) { m_searchFromCurrentPage = value; Changed(); }
void TjxTextSearchSettings::SetVisible(bool value) { m_visible = m_enabled && value; Changed(); }
void TjxTextSearchSettings::SetWholeWord(bool value) { m_wholeWord = value; Changed(); }

void TjxTextSearchSettings::SetRepeatSearchOnNavigate(bool value)
{
    m_repeatSearchOnNavigate = value;
    if (value)
        m_visible = m_enabled;
    Changed();
}

void TjxTextSearchSettings::Assign(const TPersistent* source)
{
    const auto* o = dynamic_cast<const TjxTextSearchSettings*>(source);
    if (!o)
        return TPersistent::Assign(source);
    m_caseSensitive = o->m_caseSensitive;
    m_defaultString = o->m_defaultString;
    m_enabled = o->m_enabled;
    m_showAll = o->m_showAll;
    m_searchFromCurrentPage = o->m_searchFromCurrentPage;
    m_visible = o->m_visible;
    m_wholeWord = o->m_wholeWord;
    m_repeatSearchOnNavigate = o->m_repeatSearchOnNavigate;
    Changed();
}

// ---- PDF ----

const TClassInfo& TjxPDFSettings::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TjxPDFSettings>("TjxPDFSettings", &TjxSettingsBase::StaticClass()).Build();
    return info;
}

void TjxPDFSettings::Assign(const TPersistent* source)
{
    if (!dynamic_cast<const TjxPDFSettings*>(source))
        return TPersistent::Assign(source);
    Changed();
}

ORVANE_REGISTER_CLASS(TjxBackgroundPrintSettings);
ORVANE_REGISTER_CLASS(TjxPreviewFormSettings);
ORVANE_REGISTER_CLASS(TjxOutlineSettings);
ORVANE_REGISTER_CLASS(TjxOutlineReportSettings);
ORVANE_REGISTER_CLASS(TjxTextSearchSettings);
ORVANE_REGISTER_CLASS(TjxPDFSettings);

} // namespace orvane
