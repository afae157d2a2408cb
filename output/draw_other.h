#pragma once

// Draw commands whose drawing lives with their components: variables and
// calculations (text refreshed after the page is made), rich text and the
// command that carries the report outline.

#include "output/draw_barcode.h"
#include "output/draw_text.h"

#include <QPoint>

#include <functional>
#include <memory>

namespace orvane {

enum TjxVarType : uint8_t {
    vtDate, vtDateTime, vtDocumentName, vtPrintDateTime, vtPageCount, vtPageSet, vtPageSetDesc, vtPageNo,
    vtPageNoDesc, vtTime
};
enum TjxCalcType : uint8_t {
    ctDate, ctDateTime, ctPrintDateTime, ctPageCount, ctPageSet, ctPageSetDesc, ctPageNo, ctPageNoDesc, ctTime,
    ctCustom
};
enum TjxOutlineNodeType : uint8_t { ntRoot, ntReport, ntSubReport, ntGroup, ntPage, ntNoOutline, ntOther };

const TTypeInfo& VarTypeType();
const TTypeInfo& CalcTypeType();
const TTypeInfo& OutlineNodeTypeType();

// The value of a look-ahead calculation, filled in when the value is known.
// While the look-ahead flag is set a listener takes the later values the
// component computes for the command's key (event 67).
class TjxDrawVariable : public TjxDrawText {
    ORVANE_CLASS(TjxDrawVariable, TjxDrawText)
public:
    explicit TjxDrawVariable(TComponent* owner = nullptr);
    ~TjxDrawVariable() override;

    bool LookAhead() const { return m_lookAhead; }
    void SetLookAhead(bool value);
    // The look-ahead key of the value the command shows.
    const QString& VariableName() const { return m_variableName; }
    void SetVariableName(const QString& value) { m_variableName = value; }
    // The highest sequence number of a value taken so far.
    int HighestTraversal() const { return m_highestTraversal; }
    // Listens to the component's values; only while the look-ahead flag is set.
    void ListenTo(TjxCommunicator* source);
    bool Listening() const;

    bool IsUpdateable() const override { return m_lookAhead; }
    // True while the listener is still subscribed.
    bool RefreshText() override { return Listening(); }
    void Assign(const TPersistent* source) override;

private:
    void ValueComputed(TjxEventParams* params);

    bool m_lookAhead = false;
    QString m_variableName;
    int m_highestTraversal = 0;
    std::unique_ptr<TjxCommunicator> m_listener;
};

// The text of a system variable. The display format is kept with the
// command, so that the page can renumber it without its component.
class TjxDrawVar : public TjxDrawText {
    ORVANE_CLASS(TjxDrawVar, TjxDrawText)
public:
    explicit TjxDrawVar(TComponent* owner = nullptr) : TjxDrawText(owner) {}

    TjxVarType VarType() const { return m_varType; }
    void SetVarType(TjxVarType value) { m_varType = value; }
    const QString& DisplayFormat() const { return m_displayFormat; }
    void SetDisplayFormat(const QString& value) { m_displayFormat = value; }

    bool IsSameAs(const TjxDrawCommand* other) const override;
    bool IsUpdateable() const override { return m_varType >= vtPageCount && m_varType <= vtPageNoDesc; }
    // Page numbers and counts from the page the command is on.
    bool RefreshText() override;
    void Assign(const TPersistent* source) override;

private:
    TjxVarType m_varType = vtDate;
    QString m_displayFormat;
};

// The text of a system calculation.
class TjxDrawCalc : public TjxDrawText {
    ORVANE_CLASS(TjxDrawCalc, TjxDrawText)
public:
    explicit TjxDrawCalc(TComponent* owner = nullptr) : TjxDrawText(owner) {}

    TjxCalcType CalcType() const { return m_calcType; }
    void SetCalcType(TjxCalcType value) { m_calcType = value; }
    const QString& DisplayFormat() const { return m_displayFormat; }
    void SetDisplayFormat(const QString& value) { m_displayFormat = value; }

    bool IsUpdateable() const override { return true; }
    // The page count and page set texts from the page the command is on.
    bool RefreshText() override;
    void Assign(const TPersistent* source) override;

private:
    TjxCalcType m_calcType = ctDate;
    QString m_displayFormat;
};

// Rich text: the whole document, of which the characters from StartCharPos
// to EndCharPos fall on this page.
class TjxDrawRichText : public TjxDrawCommand {
    ORVANE_CLASS(TjxDrawRichText, TjxDrawCommand)
public:
    explicit TjxDrawRichText(TComponent* owner = nullptr);

    TColor Color() const { return m_color; }
    void SetColor(TColor value) { m_color = value; }
    int EndCharPos() const { return m_endCharPos; }
    void SetEndCharPos(int value) { m_endCharPos = value; }
    // The content as rich text (written from the shared content when first
    // asked for).
    const QByteArray& RichTextStream() const;
    void SetRichTextStream(const QByteArray& value);
    // The content as the document it was measured on; drawing uses its layout.
    const std::shared_ptr<const class TjxRichTextContent>& RichTextContent() const { return m_content; }
    void SetRichTextContent(std::shared_ptr<const class TjxRichTextContent> content);
    int StartCharPos() const { return m_startCharPos; }
    void SetStartCharPos(int value) { m_startCharPos = value; }
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool value) { m_transparent = value; }

    // The document drawn: the one the text was measured on, or in another
    // thread or after a stream, one read from the bytes.
    std::shared_ptr<const class TjxRichEdit> Document() const;
    // The width the text is laid out at, in twips, and where its lines
    // start: the command's rectangle inset by the border, in thousandths.
    int LayoutWidth() const;
    QPoint TextOrigin() const;

    // The range laid out at the command's width, inset by its border, and
    // drawn scaled to the device: the same lines on every device.
    bool Draw(TjxCanvas& canvas) override;
    bool IsSameAs(const TjxDrawCommand* other) const override;
    void Assign(const TPersistent* source) override;

private:
    TColor m_color = clWhite;
    int m_endCharPos = -1;
    mutable QByteArray m_richTextStream;
    int m_startCharPos = -1;
    bool m_transparent = false;
    std::shared_ptr<const class TjxRichTextContent> m_content;
    // The content read once for all pages that carry the same bytes.
    std::shared_ptr<const class TjxRichEdit> m_document;
};

// A border's inset of rich text on each side that has a line, in thousandths.
struct TjxRichTextInsets {
    int left = 0, top = 0, right = 0, bottom = 0;
};
TjxRichTextInsets RichTextInsets(const TjxBorder& border);

// A node of the report outline as pages carry it; its children are its sub-nodes.
class TjxOutlineNode : public TjxRelative {
    ORVANE_CLASS(TjxOutlineNode, TjxRelative)
public:
    explicit TjxOutlineNode(TComponent* owner = nullptr) : TjxRelative(owner) {}

    const QString& Caption() const { return m_caption; }
    void SetCaption(const QString& value) { m_caption = value; }
    TjxOutlineNodeType NodeType() const { return m_nodeType; }
    void SetNodeType(TjxOutlineNodeType value) { m_nodeType = value; }
    // The AbsolutePageNo the node points to.
    int PageReference() const { return m_pageReference; }
    void SetPageReference(int value) { m_pageReference = value; }

    int NodeCount() const { return ChildCount(); }
    TjxOutlineNode* Node(int index) const { return static_cast<TjxOutlineNode*>(Child(index)); }
    TjxOutlineNode* AddNode();
    // Caption, page reference and type equal, and the children pairwise equal.
    bool IsSameTree(const TjxOutlineNode* other) const;
    // Copies the node and its whole subtree.
    void Assign(const TPersistent* source) override;

    TComponent* GetChildOwner() override { return this; }

    // State of a node in the tree the outline builds while a report runs;
    // never stored. Inactive nodes leave the copies, their children move up.
    bool Active() const { return m_active; }
    void SetActive(bool value) { m_active = value; }
    // The node's report or group has not ended: it still grows.
    bool Open() const { return m_open; }
    void SetOpen(bool value) { m_open = value; }
    // The number of page copies taken before the node was made: the copy
    // with that number is the first to show it.
    int Stamp() const { return m_stamp; }
    void SetStamp(int value) { m_stamp = value; }

private:
    QString m_caption;
    TjxOutlineNodeType m_nodeType = ntOther;
    int m_pageReference = 0;
    int m_stamp = 0;
    bool m_active = true;
    bool m_open = false;
};

// Carries the report outline: its child in a stream is the root node.
class TjxOutlineDrawCommand : public TjxDrawCommand {
    ORVANE_CLASS(TjxOutlineDrawCommand, TjxDrawCommand)
public:
    explicit TjxOutlineDrawCommand(TComponent* owner = nullptr) : TjxDrawCommand(owner) {}

    bool Completed() const { return m_completed; }
    void SetCompleted(bool value) { m_completed = value; }
    // The root node; none until one is made or read.
    TjxOutlineNode* Root() const;
    TjxOutlineNode* CreateRoot();

    // The page's tree as the copy of a run's growing tree: the active nodes
    // with a stamp up to `stamp`, inactive ones dissolved into their parent
    // and repeated page nodes under one parent dropped. All pages of a run
    // share that tree; a page's own nodes are made only when read.
    void ShareTree(std::shared_ptr<const TjxOutlineNode> tree, int stamp);
    // The number of nodes below the root, without making them.
    int NodeCount() const;

    bool IsSameAs(const TjxDrawCommand* other) const override;
    void Assign(const TPersistent* source) override;

    int ChildCount() const override;
    TjxRelative* Child(int index) const override;
    void GetChildren(const TGetChildProc& proc, TComponent* root) const override;
    TComponent* GetChildOwner() override { return this; }

private:
    void MakeSharedTree() const;

    bool m_completed = false;
    mutable std::shared_ptr<const TjxOutlineNode> m_shared;
    int m_sharedStamp = 0;
};

// Calls `proc` for each node of the copy of `tree` up to `stamp` (see
// ShareTree) with the index of its parent among the nodes visited before it
// (-1 under the root), depth first.
void ForEachCopiedOutlineNode(const TjxOutlineNode& tree, int stamp,
                              const std::function<void(const TjxOutlineNode& node, int parent)>& proc);

} // namespace orvane
