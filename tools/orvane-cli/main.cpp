// orvane-cli: the headless tools of the report library.

#include "document/errors.h"
#include "document/stream_text.h"
#include "platform/file_io.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

using namespace orvane;

namespace {

const char kUsage[] =
    "usage:\n"
    "  orvane-cli convert --to-text IN OUT     component stream (either form) to text form\n"
    "  orvane-cli convert --to-binary IN OUT   component stream (either form) to binary form\n";

int Usage()
{
    std::fputs(kUsage, stderr);
    return 2;
}

bool IsBinaryStream(const QByteArray& data)
{
    return data.startsWith("TPF0");
}

int Convert(const QStringList& args)
{
    if (args.size() != 3 || (args[0] != u"--to-text" && args[0] != u"--to-binary"))
        return Usage();
    const bool toText = args[0] == u"--to-text";
    const QByteArray input = ReadWholeFile(args[1]);
    QByteArray binary;
    if (IsBinaryStream(input))
        binary = input;
    else
        ObjectTextToBinary(input, binary);
    QByteArray output;
    if (toText)
        ObjectBinaryToText(binary, output);
    else {
        // Check the record as the text converter would, and drop anything behind it.
        QByteArray text;
        ObjectBinaryToText(binary, text);
        ObjectTextToBinary(text, output);
    }
    WriteWholeFile(args[2], output);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return Usage();
    const QString command = args.takeFirst();
    try {
        if (command == u"convert")
            return Convert(args);
    } catch (const EOrvaneError& e) {
        std::fprintf(stderr, "orvane-cli: %s\n", e.what());
        return 1;
    }
    return Usage();
}
