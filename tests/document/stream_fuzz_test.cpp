// Mutated and truncated streams: each one loads or fails with a message; none
// crashes, hangs or leaks (the sanitizer build runs this too).

#include "test_classes.h"

#include "document/errors.h"
#include "document/stream_reader.h"
#include "document/stream_text.h"
#include "document/stream_writer.h"

#include <gtest/gtest.h>

#include <random>

using namespace orvane;
using namespace orvane::test;

namespace {

QByteArray SeedStream()
{
    TTestForm form;
    form.SetName(QStringLiteral("Form1"));
    auto* band = new TjxTestBand(&form);
    band->SetName(QStringLiteral("jxBand1"));
    band->SetCaption(QStringLiteral("Total \u20ac"));
    band->SetCount(300);
    band->SetBig(int64_t(1) << 40);
    band->SetRatio(-12.5);
    band->SetKind(tkdBold);
    band->SetOptions(3);
    band->SetColor(0x123456);
    band->SetLetter(QChar(u'q'));
    band->Lines()->Add(QStringLiteral("a"));
    band->Lines()->Add(QStringLiteral("\u00e9t\u00e9"));
    static_cast<TTestItem*>(band->Items()->Add())->SetTitle(QStringLiteral("item"));
    band->SetValue(TVarValue::WideString(QStringLiteral("v")));
    band->SetBlob(QByteArray(40, '\x7f'));
    band->SetOnPrint(TMethod{&form, QStringLiteral("ButtonClick"), form.MethodAddress(u"ButtonClick")});
    for (int i = 0; i < 3; ++i) {
        auto* label = new TjxTestLabel(&form);
        label->SetName(QStringLiteral("jxLabel%1").arg(i + 1));
        label->SetCaption(QStringLiteral("It's %1").arg(i));
        label->SetParent(band);
    }
    auto* inner = new TjxTestBand(&form);
    inner->SetName(QStringLiteral("jxBand2"));
    inner->SetParent(band);
    inner->SetTarget(static_cast<TjxRelative*>(form.FindComponent(u"jxLabel2")));
    return WriteComponentToBytes(&form, &form);
}

QByteArray Mutate(const QByteArray& seed, std::mt19937& rng)
{
    QByteArray s = seed;
    auto pick = [&](int n) { return int(rng() % uint32_t(std::max(1, n))); };
    const int edits = 1 + pick(4);
    for (int e = 0; e < edits && !s.isEmpty(); ++e) {
        switch (pick(7)) {
        case 0: s[pick(s.size())] = char(rng()); break;                         // random byte
        case 1: s[pick(s.size())] ^= char(1 << pick(8)); break;                 // bit flip
        case 2: s.truncate(pick(s.size())); break;                              // cut short
        case 3: s.insert(pick(s.size()), QByteArray(1 + pick(8), char(rng()))); break;
        case 4: s.remove(pick(s.size()), 1 + pick(16)); break;
        case 5: {                                                               // repeat a slice
            const int from = pick(s.size());
            s.insert(pick(s.size()), s.mid(from, 1 + pick(32)));
            break;
        }
        case 6: {                                                               // interesting values
            static const char values[] = {0, 1, 2, 5, 6, 7, 10, 11, 12, 14, 18, 19, 20, char(0xF0), char(0xF3), char(0xFF), 127};
            s[pick(s.size())] = values[pick(sizeof values)];
            break;
        }
        }
    }
    return s;
}

} // namespace

TEST(StreamFuzz, MutatedStreamsLoadOrFailCleanly)
{
    const QByteArray seed = SeedStream();
    QByteArray seedText;
    ObjectBinaryToText(seed, seedText);
    std::mt19937 rng(20261209);
    int loaded = 0, failed = 0;
    constexpr int kCases = 100000;
    for (int i = 0; i < kCases; ++i) {
        const QByteArray stream = Mutate(seed, rng);
        TTestForm form;
        TReader reader(stream);
        // Half of the runs excuse whatever the hook is offered.
        if (i % 2)
            reader.OnError = [](const QString& message) {
                EXPECT_FALSE(message.isEmpty());
                return true;
            };
        try {
            reader.ReadRootComponent(&form);
            ++loaded;
        } catch (const EOrvaneError& e) {
            ASSERT_FALSE(e.Message().isEmpty()) << i;
            ++failed;
        } catch (const std::exception& e) {
            FAIL() << "case " << i << " raised a foreign error: " << e.what();
        }
        // The converter meets the same bytes.
        if (i % 4 == 0) {
            QByteArray text;
            try {
                ObjectBinaryToText(stream, text);
            } catch (const EOrvaneError&) {
            }
        }
        if (i % 8 == 0) {
            QByteArray binary;
            try {
                ObjectTextToBinary(Mutate(seedText, rng), binary);
            } catch (const EOrvaneError&) {
            }
        }
    }
    EXPECT_EQ(loaded + failed, kCases);
    // Both outcomes occur, so the mutations reach past the first bytes.
    EXPECT_GT(loaded, 1000);
    EXPECT_GT(failed, 1000);
}

TEST(StreamFuzz, DeeplyNestedRecordsAreRefused)
{
    QByteArray stream("TPF0");
    const int depth = 5000;
    for (int i = 0; i < depth; ++i)
        stream += QByteArray("\x0bTjxTestBand\x00\x00", 14);
    stream += QByteArray(depth * 2, '\0');
    TTestForm form;
    TReader reader(stream);
    reader.SetOwner(&form);
    try {
        reader.ReadComponent(nullptr);
        ADD_FAILURE() << "a stream nested 5000 deep was read";
    } catch (const EReadError& e) {
        EXPECT_TRUE(e.Message().startsWith(u"Nesting too deep: more than 256 levels in ")) << e.what();
    }
    EXPECT_EQ(form.ComponentCount(), 0);
}
