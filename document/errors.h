#pragma once

#include <QString>
#include <QByteArray>
#include <exception>

namespace orvane {

// Every failure that stops an operation carries a text from the message table.
class EOrvaneError : public std::exception {
public:
    explicit EOrvaneError(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString& Message() const { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

#define ORVANE_DECLARE_ERROR(Name, Base)                 \
    class Name : public Base {                           \
    public:                                              \
        using Base::Base;                                \
    };

// Stream and framework errors.
ORVANE_DECLARE_ERROR(EStreamError, EOrvaneError)
ORVANE_DECLARE_ERROR(EReadError, EStreamError)
ORVANE_DECLARE_ERROR(EWriteError, EStreamError)
ORVANE_DECLARE_ERROR(EParserError, EStreamError)
ORVANE_DECLARE_ERROR(EClassNotFound, EReadError)
ORVANE_DECLARE_ERROR(EComponentError, EOrvaneError)
ORVANE_DECLARE_ERROR(ERegistryError, EOrvaneError)
ORVANE_DECLARE_ERROR(EConvertError, EOrvaneError)
ORVANE_DECLARE_ERROR(EListError, EOrvaneError)

// The system's own error classes.
ORVANE_DECLARE_ERROR(EPrintError, EOrvaneError)
ORVANE_DECLARE_ERROR(EDataError, EOrvaneError)
ORVANE_DECLARE_ERROR(EDesignError, EOrvaneError)
ORVANE_DECLARE_ERROR(EInvalidPropertyError, EOrvaneError)
ORVANE_DECLARE_ERROR(ETemplateLoadError, EOrvaneError)
ORVANE_DECLARE_ERROR(ETemplateSaveError, EOrvaneError)
ORVANE_DECLARE_ERROR(EInvalidTemplateError, EOrvaneError)
ORVANE_DECLARE_ERROR(EOutlineError, EOrvaneError)
ORVANE_DECLARE_ERROR(EBackgroundPrintError, EOrvaneError)
ORVANE_DECLARE_ERROR(EBackgroundPrintTimeoutError, EBackgroundPrintError)
ORVANE_DECLARE_ERROR(EParameterError, EOrvaneError)
ORVANE_DECLARE_ERROR(ESearchError, EOrvaneError)

#undef ORVANE_DECLARE_ERROR

} // namespace orvane
