#pragma once

#include "document/template.h"

namespace orvane {

class TjxCustomReport;

// The template of a report: loading replaces the report's content, never the
// report object, so every reference to the report stays valid.
class TjxReportTemplate : public TjxTemplate {
    ORVANE_CLASS(TjxReportTemplate, TjxTemplate)
public:
    explicit TjxReportTemplate(TjxCustomReport* report = nullptr);
    ~TjxReportTemplate() override;

    TjxCustomReport* Report() const { return m_report; }
    TComponent* Subject() const override;
    static QString FileExtension() { return QStringLiteral("rtm"); }
    static QString FileFilter() { return QStringLiteral("Report file (*.rtm)|*.rtm"); }

    // Empties the report for a new layout.
    void New();
    // The report calls this after it was read with SaveAsTemplate set.
    void LoadAfterRead();

protected:
    bool PrepareLoad() override;
    void FinishLoad(bool success) override;
    void ReadTemplate(const QByteArray& binary) override;
    void PrepareSave() override;
    void FinishSave() override;
    void SaveSucceeded() override;

private:
    TjxCustomReport* m_report;
    TjxCustomReport* m_savedContent = nullptr;
    TjxCustomReport* m_newContent = nullptr;
    QList<QPair<QString, TComponent*>> m_renamed;
};

} // namespace orvane
