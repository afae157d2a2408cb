#pragma once

// One design control class per report component class.

#include "designer/controls/design_control.h"
#include "document/graphic_objects.h"

namespace orvane {

class TjxDrawText;

class TjxPrintableControl : public TjxDesignControl {
    Q_OBJECT
};

class TjxCustomComponentControl : public TjxPrintableControl {
    Q_OBJECT
public:
    void DrawContent(TjxCanvas& canvas) override;

protected:
    // The caption as the page would show it: the text drawing of the pages.
    void DrawCaption(TjxCanvas& canvas, const QString& text);
    virtual void FillText(TjxDrawText& text, const QString& caption);
};

// Texts skip the cache when they would draw nothing but white on nothing.
class TjxCustomTextControl : public TjxCustomComponentControl {
    Q_OBJECT
public:
    bool UsesCache() const override;
};
class TjxLabelControl : public TjxCustomTextControl { Q_OBJECT };
class TjxDBTextControl : public TjxCustomTextControl { Q_OBJECT };
class TjxVariableControl : public TjxCustomTextControl { Q_OBJECT };
class TjxSystemVariableControl : public TjxCustomTextControl { Q_OBJECT };
class TjxDBCalcControl : public TjxCustomTextControl { Q_OBJECT };

class TjxCustomMemoControl : public TjxCustomComponentControl {
    Q_OBJECT
public:
    void DrawContent(TjxCanvas& canvas) override;
};
class TjxMemoControl : public TjxCustomMemoControl { Q_OBJECT };
class TjxDBMemoControl : public TjxCustomMemoControl { Q_OBJECT };

class TjxCustomImageControl : public TjxCustomComponentControl {
    Q_OBJECT
public:
    void DrawContent(TjxCanvas& canvas) override;

protected:
    virtual TPenStyle EmptyFrameStyle() const;
};
class TjxImageControl : public TjxCustomImageControl { Q_OBJECT };
class TjxDBImageControl : public TjxCustomImageControl {
    Q_OBJECT
public:
    void DrawContent(TjxCanvas& canvas) override;

protected:
    TPenStyle EmptyFrameStyle() const override;
};

class TjxShapeControl : public TjxCustomComponentControl {
    Q_OBJECT
public:
    void DrawContent(TjxCanvas& canvas) override;
    bool IsTransparent() const override;
};

class TjxLineControl : public TjxCustomComponentControl {
    Q_OBJECT
public:
    void DrawContent(TjxCanvas& canvas) override;
    bool UsesCache() const override;
    bool IsTransparent() const override { return true; }
};

class TjxSubreportControl : public TjxCustomComponentControl { Q_OBJECT };

// The symbol as the screen shows it, stretched into the control.
class TjxCustomBarCodeControl : public TjxCustomComponentControl {
    Q_OBJECT
public:
    void DrawContent(TjxCanvas& canvas) override;
    bool UsesCache() const override;
};
class TjxBarCodeControl : public TjxCustomBarCodeControl { Q_OBJECT };
class TjxDBBarCodeControl : public TjxCustomBarCodeControl { Q_OBJECT };

// The rich text laid out as the pages lay it out; the caption without text.
class TjxCustomRichTextControl : public TjxPrintableControl {
    Q_OBJECT
public:
    void DrawContent(TjxCanvas& canvas) override;
};
class TjxRichTextControl : public TjxCustomRichTextControl { Q_OBJECT };
class TjxDBRichTextControl : public TjxCustomRichTextControl { Q_OBJECT };

class TjxCustomRegionControl : public TjxPrintableControl {
    Q_OBJECT
public:
    void DrawContent(TjxCanvas& canvas) override;
    bool IsTransparent() const override;
};
class TjxRegionControl : public TjxCustomRegionControl { Q_OBJECT };

class TjxPageBreakControl : public TjxDesignControl {
    Q_OBJECT
public:
    void UpdateLockedEdges() override;
    void DrawContent(TjxCanvas& canvas) override;
    bool IsTransparent() const override { return false; }
};

} // namespace orvane
