// orvane-cli convert: component streams and templates between binary and text form.

#include "tools/orvane-cli/commands.h"

#include "document/binary_value_reader.h"
#include "document/errors.h"
#include "document/message_ids.h"
#include "document/messages.h"
#include "document/report_template.h"
#include "document/stream_text.h"
#include "platform/file_io.h"

#include <cstdio>

namespace orvane {

namespace {

// Whether a binary record is followed by a template's closing 0 byte. A
// broken record is none; the conversion then says what is broken and where.
bool EndsAsTemplate(const QByteArray& binary)
{
    try {
        TBinaryValueReader reader(binary);
        reader.ReadSignature();
        reader.SkipComponent(true);
        return !reader.AtEnd() && reader.ReadByte() == 0;
    } catch (const EReadError&) {
        return false;
    }
}

} // namespace

int ConvertCommand(const QStringList& args)
{
    const bool known = !args.isEmpty() && (args[0] == u"--to-text" || args[0] == u"--to-binary");
    if (ReportUnknownOption(known ? args.mid(1) : args) || !known || args.size() != 3) {
        std::fputs("usage: orvane-cli convert --to-text|--to-binary IN OUT\n", stderr);
        return 2;
    }
    const bool toText = args[0] == u"--to-text";
    CheckOutputFile(args[2], args[1]);
    const QByteArray input = ReadWholeFile(args[1]);

    // A template may stand behind an offset; the output is the template alone.
    TjxReportTemplate probe;
    const qsizetype start = probe.DetectOffset(input, 0);
    if (start < 0)
        throw EReadError(GetMessage(msg::InvalidStreamFormat));
    const QByteArray body = input.mid(start);

    QByteArray binary;
    bool isTemplate = false;
    if (body.startsWith("TPF0")) {
        binary = body;
        isTemplate = EndsAsTemplate(binary);
    } else {
        ObjectTextToBinary(body, binary);
        isTemplate = body.startsWith("object") && binary.size() > 13 &&
                     (binary.mid(5, 9) == "TjxReport" || binary.mid(5, 14) == "TjxChildReport");
    }

    // Through the text form both ways: the record is checked and anything behind it dropped.
    QByteArray text;
    ObjectBinaryToText(binary, text);
    QByteArray output;
    if (toText) {
        output = text;
    } else {
        ObjectTextToBinary(text, output);
        if (isTemplate)
            output.append('\0');
    }
    StopIfInterrupted();
    WriteWholeFile(args[2], output);
    return 0;
}

} // namespace orvane
