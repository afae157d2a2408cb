// User names in a report tree: unique after a load, and found and numbered
// right through renames, moves and deletions. Every answer is checked
// against a walk of the whole tree.

#include "components/label.h"
#include "components/memo.h"
#include "document/report.h"
#include "document/report_template.h"
#include "document/stream_reader.h"
#include "document/stream_writer.h"
#include "document/user_name_index.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <algorithm>
#include <set>

#include <gtest/gtest.h>

using namespace orvane;

namespace {

class TNamesHost : public TComponent {
public:
    TNamesHost() = default;
};

// Everything below `node` whose class keeps a user name of its own.
void NamedBelow(const TjxRelative* node, std::vector<TjxRelative*>& out)
{
    for (int i = 0; i < node->ChildCount(); ++i) {
        TjxRelative* child = node->Child(i);
        if (child->ClassInfo().PublishesProperty(u"UserName"))
            out.push_back(child);
        NamedBelow(child, out);
    }
}

std::vector<TjxRelative*> Named(const TjxRelative* report)
{
    std::vector<TjxRelative*> out;
    NamedBelow(report, out);
    return out;
}

// The holders of `name` in the tree, by walking it.
std::vector<TjxRelative*> Holders(const TjxRelative* report, const QString& name)
{
    std::vector<TjxRelative*> holders;
    for (TjxRelative* c : Named(report))
        if (c->UserName().compare(name, Qt::CaseInsensitive) == 0)
            holders.push_back(c);
    return holders;
}

// "Label" and the lowest number that no name of the tree has after "Label",
// compared ignoring case as names are.
QString ExpectedFreeLabel(const TjxRelative* report)
{
    std::set<int> used;
    static const QRegularExpression number(QStringLiteral("^Label([0-9]{1,9})$"),
                                           QRegularExpression::CaseInsensitiveOption);
    for (TjxRelative* c : Named(report))
        if (const auto m = number.match(c->UserName()); m.hasMatch() && m.captured(1).toInt() > 0)
            used.insert(m.captured(1).toInt());
    int k = 1;
    while (used.count(k))
        ++k;
    return QStringLiteral("Label%1").arg(k);
}

// Every name held once, found as its holder; the next label's name as a walk gives it.
void ExpectConsistent(const TjxReport* report, const char* step)
{
    SCOPED_TRACE(step);
    std::set<QString> seen;
    for (TjxRelative* c : Named(report)) {
        ASSERT_FALSE(c->UserName().isEmpty()) << c->Name().toStdString();
        EXPECT_TRUE(seen.insert(c->UserName().toCaseFolded()).second) << c->UserName().toStdString();
        EXPECT_EQ(report->FindUserName(c->UserName()), c) << c->UserName().toStdString();
        EXPECT_EQ(report->FindUserName(c->UserName().toUpper()), c);
    }
    TjxLabel fresh;
    EXPECT_EQ(report->GetValidUserName(&fresh), ExpectedFreeLabel(report));
}

TjxLabel* AddLabel(TNamesHost& host, TjxReport* report, TjxBand* band)
{
    auto* label = new TjxLabel(&host);
    label->SetName(report->GetValidName(label));
    label->SetParent(band);
    return label;
}

QByteArray TextTemplate(TjxReport* report)
{
    report->Template()->SetFormat(ftASCII);
    return report->Template()->WriteTemplate();
}

void Load(TjxReport* report, QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    report->Template()->LoadFromStream(buffer);
}

// A component read into a band of another report (or its own), as pasting
// reads it: a component name the owner has is replaced by a free one.
TjxRelative* Paste(TjxRelative* original, TNamesHost& host, TjxReport* report, TjxBand* band)
{
    TReader reader(WriteComponentToBytes(original));
    reader.SetOwner(&host);
    reader.SetParent(band);
    reader.OnSetName = [&](TComponent* c, QString& name) {
        if (host.FindComponent(name))
            name = report->GetValidName(c);
    };
    return dynamic_cast<TjxRelative*>(reader.ReadComponent(nullptr));
}

} // namespace

TEST(UserNames, ALoadGivesEveryComponentAUniqueName)
{
    TNamesHost source;
    auto* report = new TjxReport(&source);
    report->SetName(QStringLiteral("rptNames"));
    report->EnsureBands();
    TjxBand* detail = report->FindBand(btDetail);
    for (int i = 0; i < 5; ++i)
        AddLabel(source, report, detail);
    // Loaded after the labels: its band follows theirs.
    auto* memo = new TjxMemo(&source);
    memo->SetName(QStringLiteral("jxMemo1"));
    memo->SetParent(report->FindBand(btFooter));
    // Stored names as a careless or hostile stream has them: a name twice,
    // the same name in other case, a name the default of another label
    // would take, and none at all.
    QString text = QString::fromLatin1(TextTemplate(report));
    const QStringList stored{QString(), QStringLiteral("Total"), QStringLiteral("Total"), QString(),
                             QStringLiteral("Label4")};
    for (int i = 0; i < 5; ++i) {
        const QRegularExpression line(QStringLiteral("UserName = 'Label%1'").arg(i + 1));
        text.replace(line, stored[i].isEmpty() ? QString() : QStringLiteral("UserName = '%1'").arg(stored[i]));
    }
    text.replace(QStringLiteral("UserName = 'Memo1'"), QStringLiteral("UserName = 'total'"));
    ASSERT_EQ(text.count(QStringLiteral("'Total'")), 2);

    TNamesHost host;
    auto* loaded = new TjxReport(&host);
    loaded->SetName(QStringLiteral("rptNames"));
    Load(loaded, text.toLatin1());
    QStringList names;
    for (TjxRelative* c : Named(loaded))
        names << c->Name() + u'=' + c->UserName();
    names.sort();
    // The first holder keeps a name; a later one, and a default that is
    // taken, get the stem and the lowest free number.
    EXPECT_EQ(names.join(u' '), QStringLiteral("jxLabel1=Label1 jxLabel2=Total jxLabel3=Label2 jxLabel4=Label3 "
                                               "jxLabel5=Label4 jxMemo1=Memo1"));
    ExpectConsistent(loaded, "small");

    // Thousands of labels over the bands, names drawn from a small pool or left out.
    QRandomGenerator random(7);
    const QStringList pool{QStringLiteral("Total"), QStringLiteral("Amount"), QStringLiteral("Label3"),
                           QStringLiteral("label40"), QStringLiteral("Label2000")};
    QString big;
    {
        TNamesHost many;
        auto* r = new TjxReport(&many);
        r->SetName(QStringLiteral("rptMany"));
        r->EnsureBands();
        const std::vector<TjxBand*> bands{r->FindBand(btHeader), r->FindBand(btDetail), r->FindBand(btFooter)};
        for (int i = 0; i < 3000; ++i)
            AddLabel(many, r, bands[size_t(i) % bands.size()]);
        big = QString::fromLatin1(TextTemplate(r));
    }
    QString mixed;
    qsizetype done = 0;
    auto it = QRegularExpression(QStringLiteral("UserName = 'Label[0-9]+'")).globalMatch(big);
    while (it.hasNext()) {
        const auto m = it.next();
        const QString name = random.bounded(3u) == 0 ? QString() : pool[int(random.bounded(quint32(pool.size())))];
        mixed += QStringView(big).mid(done, m.capturedStart() - done);
        if (!name.isEmpty())
            mixed += QStringLiteral("UserName = '%1'").arg(name);
        done = m.capturedEnd();
    }
    mixed += QStringView(big).mid(done);
    Load(loaded, mixed.toLatin1());
    EXPECT_EQ(Named(loaded).size(), size_t(3000));
    ExpectConsistent(loaded, "many");
}

TEST(UserNames, RenamesMovesAndDeletionsKeepThemFoundAndNumbered)
{
    TNamesHost host;
    auto* report = new TjxReport(&host);
    report->SetName(QStringLiteral("rptA"));
    report->EnsureBands();
    report->CreateBand(btSummary);
    // A second report of the same owner with names of its own.
    auto* other = new TjxReport(&host);
    other->SetName(QStringLiteral("rptB"));
    other->EnsureBands();
    for (int i = 0; i < 20; ++i)
        AddLabel(host, other, other->FindBand(btDetail));

    std::vector<TjxBand*> bands(report->Bands().begin(), report->Bands().end());
    for (int i = 0; i < 60; ++i)
        AddLabel(host, report, bands[size_t(i) % bands.size()]);
    ExpectConsistent(report, "built");
    // Names are unique per report: the labels of the one took the numbers
    // after the other's, but either may have its own Label1.
    ASSERT_EQ(Holders(other, QStringLiteral("Label1")).size(), size_t(1));
    ASSERT_TRUE(Holders(report, QStringLiteral("Label1")).empty());
    TjxRelative* first = Named(report).front();
    first->SetUserName(QStringLiteral("Label1"));
    EXPECT_EQ(first->UserName(), u"Label1");
    EXPECT_EQ(report->FindUserName(QStringLiteral("label1")), first);
    EXPECT_EQ(other->FindUserName(QStringLiteral("label1")), Holders(other, QStringLiteral("Label1")).front());
    ExpectConsistent(report, "a name the other report has");

    QRandomGenerator random(11);
    const QStringList pool{QStringLiteral("Total"), QStringLiteral("total"), QStringLiteral("Amount"),
                           QStringLiteral("Label7"), QStringLiteral("Label61"), QStringLiteral("Header")};
    for (int step = 0; step < 400; ++step) {
        std::vector<TjxRelative*> labels = Named(report);
        TjxRelative* pick = labels.empty() ? nullptr : labels[random.bounded(quint32(labels.size()))];
        switch (random.bounded(6u)) {
        case 0:
            if (pick)
                pick->SetUserName(pool[int(random.bounded(quint32(pool.size())))]);
            break;
        case 1:
            if (pick)
                pick->SetName(QStringLiteral("jxLabel%1").arg(1000 + step));
            break;
        case 2:
            delete pick;
            break;
        case 3:
            if (pick)
                dynamic_cast<TjxComponent*>(pick)->SetBand(bands[random.bounded(quint32(bands.size()))]);
            break;
        case 4:
            AddLabel(host, report, bands[random.bounded(quint32(bands.size()))]);
            break;
        default:
            // Out of the tree and back: a label parked without a band is nobody's.
            if (pick) {
                auto* component = dynamic_cast<TjxComponent*>(pick);
                const QString name = pick->UserName();
                component->SetBand(nullptr);
                EXPECT_TRUE(Holders(report, name).empty());
                ExpectConsistent(report, "parked");
                component->SetBand(bands[0]);
            }
            break;
        }
        ExpectConsistent(report, QStringLiteral("step %1").arg(step).toLatin1().constData());
        if (HasFailure())
            break;
    }
    // The band names stay taken, compared without case.
    EXPECT_EQ(report->FindUserName(QStringLiteral("detail")), report->FindBand(btDetail));

    // A band and its labels leave the tree together.
    TjxBand* summary = report->FindBand(btSummary);
    std::vector<QString> summaryNames;
    for (int i = 0; i < summary->ChildCount(); ++i)
        summaryNames.push_back(summary->Child(i)->UserName());
    delete summary;
    for (const QString& name : summaryNames)
        EXPECT_EQ(report->FindUserName(name), nullptr) << name.toStdString();
    ExpectConsistent(report, "band deleted");
    ExpectConsistent(other, "other report");
}

TEST(UserNames, DefaultsTakeTheLowestNumberNobodyHas)
{
    TNamesHost host;
    auto* report = new TjxReport(&host);
    report->SetName(QStringLiteral("rptA"));
    report->EnsureBands();
    TjxBand* detail = report->FindBand(btDetail);
    TjxBand* header = report->FindBand(btHeader);
    std::vector<TjxLabel*> labels;
    for (int i = 0; i < 4; ++i)
        labels.push_back(AddLabel(host, report, i % 2 ? header : detail));
    auto* memo = new TjxMemo(&host);
    memo->SetName(report->GetValidName(memo));
    memo->SetParent(detail);
    // A new component's user name follows its name.
    EXPECT_EQ(labels[0]->UserName(), u"Label1");
    EXPECT_EQ(labels[3]->UserName(), u"Label4");
    EXPECT_EQ(memo->UserName(), u"Memo1");

    TjxLabel fresh;
    TjxMemo freshMemo;
    const auto next = [&] { return report->GetValidUserName(&fresh); };
    EXPECT_EQ(next(), u"Label5");
    EXPECT_EQ(report->GetValidUserName(&freshMemo), u"Memo2");
    delete labels[1];
    EXPECT_EQ(next(), u"Label2");
    labels[2]->SetUserName(QStringLiteral("Total"));
    EXPECT_EQ(next(), u"Label2");
    // Names compare ignoring case, and a number counts whoever holds it.
    labels[3]->SetUserName(QStringLiteral("label2"));
    EXPECT_EQ(next(), u"Label3");
    memo->SetUserName(QStringLiteral("Label3"));
    EXPECT_EQ(memo->UserName(), u"Label3");
    EXPECT_EQ(next(), u"Label4");
    // Leading zeros count; ten digits are no number.
    labels[0]->SetUserName(QStringLiteral("Label004"));
    labels[2]->SetUserName(QStringLiteral("Label0000000005"));
    EXPECT_EQ(next(), u"Label1");
    // An object asking for itself may keep its number; not one another has.
    EXPECT_EQ(report->GetValidUserName(labels[0]), u"Label1");
    labels[0]->SetUserName(QStringLiteral("Label1"));
    EXPECT_EQ(report->GetValidUserName(labels[3]), u"Label2");
    EXPECT_EQ(next(), u"Label4");
    // The stem is the asker's class: the memo called Label3 would be Memo1.
    EXPECT_EQ(report->GetValidUserName(memo), u"Memo1");
    ExpectConsistent(report, "renamed");

    // Loaded without user names, components take their defaults in the
    // order they were stored; one whose default another holds takes the lowest free number.
    TNamesHost source;
    auto* stored = new TjxReport(&source);
    stored->SetName(QStringLiteral("rptA"));
    stored->EnsureBands();
    for (int i = 0; i < 10; ++i)
        AddLabel(source, stored, stored->FindBand(btDetail));
    QString text = QString::fromLatin1(TextTemplate(stored));
    text.remove(QRegularExpression(QStringLiteral("\\n *UserName = 'Label([0-9]+)'(?<!'Label3')")));
    text.replace(QStringLiteral("UserName = 'Label3'"), QStringLiteral("UserName = 'Label7'"));
    ASSERT_EQ(text.count(QStringLiteral("UserName")), 1);
    Load(report, text.toLatin1());
    QStringList names;
    for (TjxRelative* c : Named(report))
        names << c->Name().mid(7) + u'=' + c->UserName();
    EXPECT_EQ(names.join(u' '), QStringLiteral("1=Label1 2=Label2 3=Label7 4=Label4 5=Label5 6=Label6 7=Label3 "
                                               "8=Label8 9=Label9 10=Label10"));
    ExpectConsistent(report, "loaded");
}

TEST(UserNames, CopiesKeepTheirNameWhereItIsFree)
{
    TNamesHost hostA, hostB;
    auto* a = new TjxReport(&hostA);
    a->SetName(QStringLiteral("rptA"));
    a->EnsureBands();
    auto* b = new TjxReport(&hostB);
    b->SetName(QStringLiteral("rptB"));
    b->EnsureBands();
    std::vector<TjxLabel*> inA, inB;
    for (int i = 0; i < 3; ++i)
        inA.push_back(AddLabel(hostA, a, a->FindBand(btDetail)));
    for (int i = 0; i < 2; ++i)
        inB.push_back(AddLabel(hostB, b, b->FindBand(btFooter)));
    inA[1]->SetUserName(QStringLiteral("Total"));
    inB[1]->SetUserName(QStringLiteral("total"));

    // B has "total": the copy takes the lowest free label number there.
    TjxRelative* copy = Paste(inA[1], hostB, b, b->FindBand(btDetail));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->UserName(), u"Label2");
    EXPECT_EQ(copy->Parent(), b->FindBand(btDetail));
    // B has no Label3: it keeps its name.
    copy = Paste(inA[2], hostB, b, b->FindBand(btFooter));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->UserName(), u"Label3");
    // Into its own report, a copy never shares the original's name.
    copy = Paste(inB[0], hostB, b, b->FindBand(btHeader));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->UserName(), u"Label4");
    EXPECT_EQ(inB[0]->UserName(), u"Label1");
    copy = Paste(inA[0], hostA, a, a->FindBand(btDetail));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->UserName(), u"Label2");
    ExpectConsistent(a, "report A");
    ExpectConsistent(b, "report B");
    // The originals are as they were.
    EXPECT_EQ(inA[1]->UserName(), u"Total");
    EXPECT_EQ(a->FindUserName(QStringLiteral("total")), inA[1]);
    EXPECT_EQ(b->FindUserName(QStringLiteral("TOTAL")), inB[1]);
}

TEST(UserNames, TheIndexReadsEveryNumberAStemMayEndIn)
{
    TUserNameIndex index;
    TNamesHost a, b, c, d;
    // "Code391" is Code39 1, Code3 91 and Code 391: a stem that ends in a digit finds its numbers.
    index.Set(&a, QStringLiteral("Code391"));
    index.Set(&b, QStringLiteral("CODE392"));
    EXPECT_EQ(index.LowestFreeNumber(u"Code39"), 3);
    EXPECT_EQ(index.LowestFreeNumber(u"code3"), 1);
    EXPECT_EQ(index.FreeNumberFrom(u"Code3", 91), 93);
    EXPECT_EQ(index.LowestFreeNumber(u"Code39", &a), 1);
    index.Set(&c, QStringLiteral("Label007"));
    index.Set(&d, QStringLiteral("Label1234567890"));
    EXPECT_EQ(index.LowestFreeNumber(u"Label"), 1);
    EXPECT_EQ(index.FreeNumberFrom(u"Label", 7), 8);
    EXPECT_EQ(index.FreeNumberFrom(u"Label1", 234567889), 234567889);
    EXPECT_EQ(index.FreeNumberFrom(u"Label1", 234567890), 234567891);
    ASSERT_EQ(index.Find(u"label007").size(), 1);
    EXPECT_EQ(index.Find(u"label007")[0], &c);
    EXPECT_TRUE(index.Find(u"Label7").isEmpty());

    // Renamed and removed, the numbers are free again.
    index.Set(&a, QStringLiteral("Other"));
    EXPECT_EQ(index.LowestFreeNumber(u"Code39"), 1);
    EXPECT_EQ(index.FreeNumberFrom(u"Code39", 2), 3);
    index.Set(&b, QString());
    EXPECT_EQ(index.FreeNumberFrom(u"Code39", 2), 2);
    EXPECT_FALSE(index.Contains(&b));
    index.Remove(&c);
    EXPECT_EQ(index.FreeNumberFrom(u"Label", 7), 7);
    EXPECT_EQ(index.Count(), 2);
    // Two objects may hold one name; each leaves on its own.
    index.Set(&b, QStringLiteral("other"));
    ASSERT_EQ(index.Find(u"OTHER").size(), 2);
    index.Remove(&a);
    ASSERT_EQ(index.Find(u"OTHER").size(), 1);
    EXPECT_EQ(index.Find(u"OTHER")[0], &b);
}
