#pragma once

// The fonts of a PDF file: each face the text uses, shaped with HarfBuzz the
// way Qt shapes it, with the glyphs used collected as the pages are written
// and the face embedded at the end as a subset (glyph ids kept), with the
// widths and a map back to the text so that the words can be extracted.

#include <QByteArray>
#include <QFont>
#include <QHash>
#include <QRawFont>
#include <QString>
#include <map>
#include <memory>
#include <vector>

struct hb_face_t;
struct hb_font_t;
struct hb_buffer_t;

namespace orvane {

class TPdfFile;

// A glyph id as four hexadecimal digits (Identity-H codes).
QByteArray PdfHexGlyph(uint32_t glyph);
void PdfAppendHexGlyph(QByteArray& out, uint32_t glyph);

struct TPdfGlyphRun {
    std::vector<uint32_t> glyphs;
    // Per glyph, in the face's units: the advance, and the offsets from the pen.
    std::vector<int32_t> advances;
    std::vector<int32_t> xOffsets;
    std::vector<int32_t> yOffsets;
    // Whether every glyph advances by its own width with no offset (one plain string draws it).
    bool plain = true;
    // Whether a glyph is missing from the face.
    bool missing = false;
};

class TPdfFace {
public:
    ~TPdfFace();
    const QRawFont& RawFont() const { return m_raw; }
    // Whether the face can be embedded (TrueType outlines); otherwise its glyphs are drawn as outlines.
    bool Embeddable() const { return m_font != nullptr; }
    int UnitsPerEm() const { return m_upem; }
    // The box the run's outlines lie in, in the face's units from the run's
    // origin, y up; false for an empty run.
    bool InkBox(const TPdfGlyphRun& run, int64_t box[4]);
    int ObjectNumber() const { return m_object; }
    const QByteArray& ResourceName() const { return m_resource; }

    // Shapes `text` (no kerning, as the layout measures); false when the face cannot shape.
    bool Shape(QStringView text, TPdfGlyphRun& run);
    // Records glyphs as drawn with the text they stand for.
    void Use(uint32_t glyph, QStringView text);
    void Use(const TPdfGlyphRun& run, QStringView text, const std::vector<uint32_t>& clusters);
    int Advance(uint32_t glyph) const;

private:
    friend class TPdfFonts;
    void Prepare();
    // Characters to glyphs straight from the face's character map, when that
    // is what shaping would give: characters of simple scripts without marks,
    // none of whose glyphs a ligature or contextual form of the face involves.
    // False: shape the text.
    bool MapSimply(QStringView text, TPdfGlyphRun& run);
    uint32_t Glyph(char16_t c);
    QRawFont m_raw;
    QByteArray m_sfnt;  // the face's tables as one font file
    hb_face_t* m_face = nullptr;
    hb_font_t* m_font = nullptr;
    hb_buffer_t* m_buffer = nullptr;
    int m_upem = 1000;
    struct Extents {
        int32_t xMin, yMin, xMax, yMax;
        bool known = false;
    };
    std::vector<Extents> m_extents;  // by glyph
    int m_object = 0;
    QByteArray m_resource;
    std::map<uint32_t, QString> m_used;  // glyph id -> text (empty when none)
    std::vector<bool> m_mapped;          // glyphs in m_used with their text
    std::vector<uint32_t> m_clusters;
    bool m_simple = false;
    std::vector<bool> m_contextual;      // glyphs substitutions may replace
    std::vector<uint32_t> m_charGlyphs;  // by UTF-16 unit; kUnknown until asked
    mutable std::vector<int32_t> m_advances;  // by glyph; INT32_MIN until asked
};

class TPdfFonts {
public:
    explicit TPdfFonts(TPdfFile& file) : m_file(file) {}
    ~TPdfFonts();
    // The face that draws `font` and the font's size in pixels (the face's
    // object number is reserved on first use).
    TPdfFace* Face(const QFont& font, double& pixelSize);
    // The face of a raw font (from a fallback run).
    TPdfFace* Face(const QRawFont& raw);
    // Writes every face used as a subset.
    void WriteAll();

private:
    void WriteFace(TPdfFace& face);

    TPdfFile& m_file;
    std::vector<std::unique_ptr<TPdfFace>> m_faces;
    QHash<QString, TPdfFace*> m_byKey;
    struct Recent {
        QFont font;
        TPdfFace* face;
        double pixelSize;
    };
    std::vector<Recent> m_recent;
};

} // namespace orvane
