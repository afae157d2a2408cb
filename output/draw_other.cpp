#include "output/draw_other.h"

#include <algorithm>
#include <climits>

#include "components/rich_edit.h"
#include "components/rich_text_engine.h"
#include "components/rtf.h"
#include "components/system_variable.h"
#include "document/units.h"
#include "platform/canvas.h"
#include "document/class_registry.h"
#include "document/event_ids.h"
#include "document/method.h"
#include "document/stream_reader.h"
#include "output/page.h"

namespace orvane {

const TTypeInfo& VarTypeType()
{
    static const TTypeInfo& t =
        EnumType("TjxVarType", {"vtDate", "vtDateTime", "vtDocumentName", "vtPrintDateTime", "vtPageCount",
                                "vtPageSet", "vtPageSetDesc", "vtPageNo", "vtPageNoDesc", "vtTime"});
    return t;
}

const TTypeInfo& CalcTypeType()
{
    static const TTypeInfo& t =
        EnumType("TjxCalcType", {"ctDate", "ctDateTime", "ctPrintDateTime", "ctPageCount", "ctPageSet",
                                 "ctPageSetDesc", "ctPageNo", "ctPageNoDesc", "ctTime", "ctCustom"});
    return t;
}

const TTypeInfo& OutlineNodeTypeType()
{
    static const TTypeInfo& t = EnumType(
        "TjxOutlineNodeType", {"ntRoot", "ntReport", "ntSubReport", "ntGroup", "ntPage", "ntNoOutline", "ntOther"});
    return t;
}

// ---- variables and calculations ----

const TClassInfo& TjxDrawVariable::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TjxDrawVariable>("TjxDrawVariable", &TjxDrawText::StaticClass()).Creatable().Build();
    return info;
}

TjxDrawVariable::TjxDrawVariable(TComponent* owner) : TjxDrawText(owner) {}

TjxDrawVariable::~TjxDrawVariable() = default;

void TjxDrawVariable::SetLookAhead(bool value)
{
    if (value == m_lookAhead)
        return;
    m_lookAhead = value;
    if (!value) {
        m_listener.reset();
        return;
    }
    m_listener = std::make_unique<TjxCommunicator>();
    m_listener->AddEventInterest(ciLookAheadValueComputed);
    m_listener->OnEventNotify = [this](TjxCommunicator*, int eventId, TjxEventParams* params) {
        if (eventId == ciLookAheadValueComputed)
            ValueComputed(params);
    };
}

void TjxDrawVariable::ListenTo(TjxCommunicator* source)
{
    if (m_listener && source)
        source->AddEventNotify(m_listener.get());
}

bool TjxDrawVariable::Listening() const
{
    return m_listener && m_listener->NotifyCount() > 0;
}

void TjxDrawVariable::ValueComputed(TjxEventParams* params)
{
    if (!params)
        return;
    if (params->Value(u"aLookAheadKey").toString() != m_variableName) {
        // Another scope's values follow: this command's value is final.
        while (m_listener->NotifyCount() > 0)
            m_listener->NotifyPartner(0)->RemoveEventNotify(m_listener.get());
        return;
    }
    const int traversal = params->Value(u"aTraversalCount").toInt();
    if (traversal > m_highestTraversal) {
        SetText(params->Value(u"aText").toString());
        m_highestTraversal = traversal;
    }
}

void TjxDrawVariable::Assign(const TPersistent* source)
{
    TjxDrawText::Assign(source);
    const auto* o = dynamic_cast<const TjxDrawVariable*>(source);
    if (!o)
        return;
    m_variableName = o->m_variableName;
    m_highestTraversal = o->m_highestTraversal;
    SetLookAhead(false);
    SetLookAhead(o->m_lookAhead);
    if (m_lookAhead && o->m_listener)
        for (int i = 0; i < o->m_listener->NotifyCount(); ++i)
            ListenTo(o->m_listener->NotifyPartner(i));
}

const TClassInfo& TjxDrawVar::StaticClass()
{
    using T = TjxDrawVar;
    static const TClassInfo info = TClassBuilder<T>("TjxDrawVar", &TjxDrawText::StaticClass())
                                       .Creatable()
                                       .Prop("VarType", VarTypeType(), &T::VarType, &T::SetVarType)
                                       .Default(vtDate)
                                       .Build();
    return info;
}

namespace {
bool IsClockVar(TjxVarType t) { return t == vtDate || t == vtDateTime || t == vtPrintDateTime || t == vtTime; }
} // namespace

bool TjxDrawVar::IsSameAs(const TjxDrawCommand* other) const
{
    const auto* o = dynamic_cast<const TjxDrawVar*>(other);
    if (!o)
        return false;
    // Clock values differ from run to run; any two of them count as the same command.
    if (IsClockVar(m_varType))
        return IsClockVar(o->m_varType);
    return TjxDrawText::IsSameAs(other) && m_varType == o->m_varType;
}

bool TjxDrawVar::RefreshText()
{
    if (!IsUpdateable() || !Page())
        return false;
    const TjxPage* page = Page();
    SetText(SystemVariableText(m_varType, page->PageNo(), page->PageCount(), QDateTime(), QDateTime(), QString(),
                               m_displayFormat));
    return true;
}

void TjxDrawVar::Assign(const TPersistent* source)
{
    TjxDrawText::Assign(source);
    if (const auto* o = dynamic_cast<const TjxDrawVar*>(source)) {
        m_varType = o->m_varType;
        m_displayFormat = o->m_displayFormat;
    }
}

const TClassInfo& TjxDrawCalc::StaticClass()
{
    using T = TjxDrawCalc;
    static const TClassInfo info = TClassBuilder<T>("TjxDrawCalc", &TjxDrawText::StaticClass())
                                       .Creatable()
                                       .Prop("CalcType", CalcTypeType(), &T::CalcType, &T::SetCalcType)
                                       .Default(ctDate)
                                       .Build();
    return info;
}

bool TjxDrawCalc::RefreshText()
{
    if ((m_calcType != ctPageCount && m_calcType != ctPageSet && m_calcType != ctPageSetDesc) || !Page())
        return false;
    const TjxPage* page = Page();
    SetText(SystemVariableText(VarTypeOfCalcType(m_calcType), page->PageNo(), page->PageCount(), QDateTime(),
                               QDateTime(), QString(), m_displayFormat));
    return true;
}

void TjxDrawCalc::Assign(const TPersistent* source)
{
    TjxDrawText::Assign(source);
    if (const auto* o = dynamic_cast<const TjxDrawCalc*>(source)) {
        m_calcType = o->m_calcType;
        m_displayFormat = o->m_displayFormat;
    }
}

// ---- rich text ----

const TClassInfo& TjxDrawRichText::StaticClass()
{
    using T = TjxDrawRichText;
    static const TClassInfo info =
        TClassBuilder<T>("TjxDrawRichText", &TjxDrawCommand::StaticClass())
            .Creatable()
            .Prop("DataType", DataTypeType(), &T::DataType, &T::SetDataType).Default(dtBLOB)
            .Prop("Color", ColorType(), &T::Color, &T::SetColor)
            .Prop("EndCharPos", IntegerType(), &T::EndCharPos, &T::SetEndCharPos).Default(-1)
            .Prop("StartCharPos", IntegerType(), &T::StartCharPos, &T::SetStartCharPos).Default(-1)
            .Prop("Transparent", BooleanType(), &T::Transparent, &T::SetTransparent).Default(0)
            .DefinedBinary(
                "RTFStream", [](T& c, const QByteArray& b) { c.SetRichTextStream(b); },
                [](const T& c) { return c.RichTextStream(); }, [](const T& c) { return !c.RichTextStream().isEmpty(); })
            .Build();
    return info;
}

TjxDrawRichText::TjxDrawRichText(TComponent* owner) : TjxDrawCommand(owner)
{
    SetDataType(dtBLOB);
}

TjxRichTextInsets RichTextInsets(const TjxBorder& border)
{
    TjxRichTextInsets insets;
    if (!border.Visible())
        return insets;
    const int weight = UnitsToThousandths(border.Weight() / 72.0f, utInches);
    insets.left = border.HasPosition(bpLeft) ? weight : 0;
    insets.top = border.HasPosition(bpTop) ? weight : 0;
    insets.right = border.HasPosition(bpRight) ? weight : 0;
    insets.bottom = border.HasPosition(bpBottom) ? weight : 0;
    return insets;
}

const QByteArray& TjxDrawRichText::RichTextStream() const
{
    if (m_content && m_richTextStream.isEmpty())
        m_richTextStream = m_content->Bytes();
    return m_richTextStream;
}

void TjxDrawRichText::SetRichTextStream(const QByteArray& value)
{
    m_richTextStream = value;
    m_content.reset();
    m_document.reset();
}

void TjxDrawRichText::SetRichTextContent(std::shared_ptr<const TjxRichTextContent> content)
{
    m_content = std::move(content);
    m_richTextStream.clear();
    m_document.reset();
}

std::shared_ptr<const TjxRichEdit> TjxDrawRichText::Document() const
{
    // The document the text was measured on is laid out already.
    if (m_content && m_content->UsableHere())
        return std::shared_ptr<const TjxRichEdit>(m_content, &m_content->Edit());
    return TjxRTFEngine::CachedDocument(RichTextStream());
}

int TjxDrawRichText::LayoutWidth() const
{
    const TjxRichTextInsets in = RichTextInsets(*Border());
    return ThousandthsToPixels(Width() - in.left - in.right, kRichTextDpi);
}

QPoint TjxDrawRichText::TextOrigin() const
{
    const TjxRichTextInsets in = RichTextInsets(*Border());
    return QPoint(Left() + in.left, Top() + in.top);
}

bool TjxDrawRichText::Draw(TjxCanvas& canvas)
{
    const TjxDeviceRect r = DeviceRect();
    if (!m_transparent)
        canvas.FillRect(QRect(r.left, r.top, r.Width(), r.Height()), m_color);
    const std::shared_ptr<const TjxRichEdit> document = Document();
    m_document = document;
    const int last = std::min(m_endCharPos, document->CharCount() - 1);
    if (m_startCharPos >= 0 && last >= m_startCharPos) {
        const TjxRichTextInsets in = RichTextInsets(*Border());
        // The screen's pixels are zoomed; the printer's and files' are not.
        const double dpiX = canvas.DpiX() * canvas.ZoomX();
        const double dpiY = canvas.DpiY() * canvas.ZoomY();
        const int insetLeft = canvas.ScaledPixelsX(in.left);
        const int insetTop = canvas.ScaledPixelsY(in.top);
        const int insetRight = canvas.ScaledPixelsX(in.right);
        const int insetBottom = canvas.ScaledPixelsY(in.bottom);
        const QRectF target(r.left + insetLeft, r.top + insetTop, r.Width() - insetLeft - insetRight,
                            r.Height() - insetTop - insetBottom);
        TjxRTFEngine::Render(*document, canvas.Painter(), target, LayoutWidth(), dpiX, dpiY, m_startCharPos, last);
    }
    DrawBorder(canvas, *Border(), r);
    return true;
}

bool TjxDrawRichText::IsSameAs(const TjxDrawCommand* other) const
{
    const auto* o = dynamic_cast<const TjxDrawRichText*>(other);
    if (!o || !TjxDrawCommand::IsSameAs(other) || m_color != o->m_color || m_startCharPos != o->m_startCharPos ||
        m_endCharPos != o->m_endCharPos || m_transparent != o->m_transparent)
        return false;
    if (m_content && m_content == o->m_content)
        return true;
    const QByteArray& mine = RichTextStream();
    const QByteArray& theirs = o->RichTextStream();
    if (mine.size() != theirs.size())
        return false;
    if (mine == theirs)
        return true;
    // Of equal size, the same lines can still differ in how their CRs and LFs
    // are placed ("\r\r\n" and "\r\n\r"): compared as text, line ends alike.
    auto lines = [](const QByteArray& bytes) {
        QByteArray text = bytes;
        text.replace("\r\n", "\n");
        text.replace('\r', '\n');
        return text.split('\n');
    };
    return lines(mine) == lines(theirs);
}

void TjxDrawRichText::Assign(const TPersistent* source)
{
    TjxDrawCommand::Assign(source);
    if (const auto* o = dynamic_cast<const TjxDrawRichText*>(source)) {
        m_color = o->m_color;
        m_endCharPos = o->m_endCharPos;
        m_richTextStream = o->m_richTextStream;
        m_content = o->m_content;
        m_startCharPos = o->m_startCharPos;
        m_transparent = o->m_transparent;
    }
}

// ---- outline ----

const TClassInfo& TjxOutlineNode::StaticClass()
{
    using T = TjxOutlineNode;
    static const TClassInfo info = TClassBuilder<T>("TjxOutlineNode", &TjxRelative::StaticClass())
                                       .Creatable()
                                       .Prop("Caption", StringType(), &T::Caption, &T::SetCaption)
                                       .Prop("NodeType", OutlineNodeTypeType(), &T::NodeType, &T::SetNodeType)
                                       .Prop("PageReference", IntegerType(), &T::PageReference, &T::SetPageReference)
                                       .Build();
    return info;
}

TjxOutlineNode* TjxOutlineNode::AddNode()
{
    auto* node = new TjxOutlineNode(this);
    AdoptNewChild(node);
    return node;
}

bool TjxOutlineNode::IsSameTree(const TjxOutlineNode* other) const
{
    if (!other || m_caption != other->m_caption || m_pageReference != other->m_pageReference ||
        m_nodeType != other->m_nodeType || NodeCount() != other->NodeCount())
        return false;
    for (int i = 0; i < NodeCount(); ++i)
        if (!Node(i)->IsSameTree(other->Node(i)))
            return false;
    return true;
}

void TjxOutlineNode::Assign(const TPersistent* source)
{
    const auto* o = dynamic_cast<const TjxOutlineNode*>(source);
    if (!o)
        return TjxRelative::Assign(source);
    m_caption = o->m_caption;
    m_nodeType = o->m_nodeType;
    m_pageReference = o->m_pageReference;
    while (ChildCount() > 0)
        delete Child(ChildCount() - 1);
    for (int i = 0; i < o->NodeCount(); ++i)
        AddNode()->Assign(o->Node(i));
}

const TClassInfo& TjxOutlineDrawCommand::StaticClass()
{
    using T = TjxOutlineDrawCommand;
    static const TClassInfo info = TClassBuilder<T>("TjxOutlineDrawCommand", &TjxDrawCommand::StaticClass())
                                       .Creatable()
                                       .Prop("Completed", BooleanType(), &T::Completed, &T::SetCompleted)
                                       .Build();
    return info;
}

TjxOutlineNode* TjxOutlineDrawCommand::Root() const
{
    for (int i = 0; i < ChildCount(); ++i)
        if (auto* node = dynamic_cast<TjxOutlineNode*>(Child(i)))
            return node;
    return nullptr;
}

TjxOutlineNode* TjxOutlineDrawCommand::CreateRoot()
{
    if (TjxOutlineNode* root = Root())
        return root;
    auto* root = new TjxOutlineNode(this);
    root->SetParent(this);
    return root;
}

namespace {

struct TCopyWalk {
    int stamp;
    const std::function<void(const TjxOutlineNode&, int)>& proc;
    int next = 0;

    // Page references of the page nodes already copied under one parent.
    struct TPages {
        std::vector<int> refs;
        int highest = INT_MIN;
        bool Insert(int ref)
        {
            // Page nodes arrive in page order, so only a reference at or below
            // the highest so far needs a search.
            if (ref <= highest && std::find(refs.begin(), refs.end(), ref) != refs.end())
                return false;
            refs.push_back(ref);
            highest = std::max(highest, ref);
            return true;
        }
    };

    void Children(const TjxOutlineNode& from, int parent, TPages& pages)
    {
        for (int i = 0; i < from.NodeCount(); ++i) {
            const TjxOutlineNode& child = *from.Node(i);
            if (child.Stamp() > stamp)
                continue;
            if (!child.Active()) {
                Children(child, parent, pages);
                continue;
            }
            if (child.NodeType() == ntPage && !pages.Insert(child.PageReference()))
                continue;
            const int index = next++;
            proc(child, parent);
            TPages own;
            Children(child, index, own);
        }
    }
};

} // namespace

void ForEachCopiedOutlineNode(const TjxOutlineNode& tree, int stamp,
                              const std::function<void(const TjxOutlineNode& node, int parent)>& proc)
{
    TCopyWalk walk{stamp, proc};
    TCopyWalk::TPages pages;
    walk.Children(tree, -1, pages);
}

void TjxOutlineDrawCommand::ShareTree(std::shared_ptr<const TjxOutlineNode> tree, int stamp)
{
    if (TjxOutlineNode* root = Root())
        delete root;
    m_shared = std::move(tree);
    m_sharedStamp = stamp;
}

int TjxOutlineDrawCommand::NodeCount() const
{
    if (m_shared) {
        int count = 0;
        ForEachCopiedOutlineNode(*m_shared, m_sharedStamp, [&](const TjxOutlineNode&, int) { ++count; });
        return count;
    }
    std::function<int(const TjxOutlineNode*)> count = [&](const TjxOutlineNode* node) {
        int n = node->NodeCount();
        for (int i = 0; i < node->NodeCount(); ++i)
            n += count(node->Node(i));
        return n;
    };
    const TjxOutlineNode* root = Root();
    return root ? count(root) : 0;
}

void TjxOutlineDrawCommand::MakeSharedTree() const
{
    if (!m_shared)
        return;
    // Taken first: the nodes made below ask for the children again.
    const std::shared_ptr<const TjxOutlineNode> tree = std::move(m_shared);
    m_shared.reset();
    auto* self = const_cast<TjxOutlineDrawCommand*>(this);
    auto* root = new TjxOutlineNode(self);
    root->SetParent(self);
    root->SetCaption(tree->Caption());
    root->SetPageReference(tree->PageReference());
    root->SetNodeType(ntRoot);
    std::vector<TjxOutlineNode*> made;
    ForEachCopiedOutlineNode(*tree, m_sharedStamp, [&](const TjxOutlineNode& node, int parent) {
        TjxOutlineNode* copy = (parent < 0 ? root : made[size_t(parent)])->AddNode();
        copy->SetCaption(node.Caption());
        copy->SetPageReference(node.PageReference());
        copy->SetNodeType(node.NodeType());
        made.push_back(copy);
    });
}

int TjxOutlineDrawCommand::ChildCount() const
{
    MakeSharedTree();
    return TjxDrawCommand::ChildCount();
}

TjxRelative* TjxOutlineDrawCommand::Child(int index) const
{
    MakeSharedTree();
    return TjxDrawCommand::Child(index);
}

void TjxOutlineDrawCommand::GetChildren(const TGetChildProc& proc, TComponent* root) const
{
    MakeSharedTree();
    TjxDrawCommand::GetChildren(proc, root);
}

bool TjxOutlineDrawCommand::IsSameAs(const TjxDrawCommand* other) const
{
    const auto* o = dynamic_cast<const TjxOutlineDrawCommand*>(other);
    if (!o || m_completed != o->m_completed)
        return false;
    if (m_shared && m_shared == o->m_shared && m_sharedStamp == o->m_sharedStamp)
        return true;
    const TjxOutlineNode* a = Root();
    const TjxOutlineNode* b = o->Root();
    return a ? a->IsSameTree(b) : b == nullptr;
}

void TjxOutlineDrawCommand::Assign(const TPersistent* source)
{
    TjxDrawCommand::Assign(source);
    const auto* o = dynamic_cast<const TjxOutlineDrawCommand*>(source);
    if (!o || o == this)
        return;
    m_completed = o->m_completed;
    if (o->m_shared) {
        // Copies of pages (the page cache, every device) keep sharing the run's tree.
        ShareTree(o->m_shared, o->m_sharedStamp);
        return;
    }
    m_shared.reset();
    if (TjxOutlineNode* root = Root())
        delete root;
    if (o->Root())
        CreateRoot()->Assign(o->Root());
}

ORVANE_REGISTER_CLASS(TjxDrawVariable);
ORVANE_REGISTER_CLASS(TjxDrawVar);
ORVANE_REGISTER_CLASS(TjxDrawCalc);
ORVANE_REGISTER_CLASS(TjxDrawRichText);
ORVANE_REGISTER_CLASS(TjxOutlineNode);
ORVANE_REGISTER_CLASS(TjxOutlineDrawCommand);

} // namespace orvane
