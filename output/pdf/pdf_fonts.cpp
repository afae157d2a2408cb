#include "output/pdf/pdf_fonts.h"

#include "output/pdf/pdf_file.h"

#include <QtEndian>
#include <cstring>
#include <algorithm>
#include <hb-subset.h>
#include <hb-ot.h>
#include <hb.h>

namespace orvane {

namespace {

// The tables a TrueType face needs for shaping, widths and embedding.
constexpr const char* kTables[] = {"OS/2", "cmap", "cvt ", "fpgm", "gasp", "glyf", "head", "hhea",
                                   "hmtx", "loca", "maxp", "name", "post", "prep", "GDEF", "GPOS",
                                   "GSUB", "kern"};

// One font file from the tables Qt reads for the face (Qt hands out tables,
// not the file it loaded them from).
QByteArray AssembleSfnt(const QRawFont& raw)
{
    std::vector<std::pair<const char*, QByteArray>> tables;
    for (const char* tag : kTables) {
        QByteArray data = raw.fontTable(tag);
        if (!data.isEmpty())
            tables.emplace_back(tag, std::move(data));
    }
    // Sorted by tag, as the directory must be.
    std::sort(tables.begin(), tables.end(),
              [](const auto& a, const auto& b) { return std::memcmp(a.first, b.first, 4) < 0; });
    const auto n = uint16_t(tables.size());
    QByteArray out;
    auto put16 = [&out](uint16_t v) { out.append(char(v >> 8)).append(char(v & 0xFF)); };
    auto put32 = [&out](uint32_t v) {
        for (int s = 24; s >= 0; s -= 8)
            out.append(char((v >> s) & 0xFF));
    };
    put32(0x00010000);
    put16(n);
    uint16_t entrySelector = 0;
    while ((2u << entrySelector) <= n)
        ++entrySelector;
    put16(uint16_t(16u << entrySelector));
    put16(entrySelector);
    put16(uint16_t(n * 16 - (16u << entrySelector)));
    uint32_t offset = 12 + 16u * n;
    for (const auto& [tag, data] : tables) {
        out.append(tag, 4);
        put32(0);
        put32(offset);
        put32(uint32_t(data.size()));
        offset += (uint32_t(data.size()) + 3) & ~3u;
    }
    for (const auto& [tag, data] : tables) {
        out.append(data);
        while (out.size() % 4)
            out.append('\0');
    }
    return out;
}

int16_t ReadS16(const QByteArray& table, int offset)
{
    if (table.size() < offset + 2)
        return 0;
    return qFromBigEndian<int16_t>(table.constData() + offset);
}

QByteArray HexGlyph(uint32_t glyph)
{
    QByteArray out;
    PdfAppendHexGlyph(out, glyph);
    return out;
}

constexpr uint32_t kUnknown = UINT32_MAX;

// Characters whose glyph and advance no shaping changes in a face without
// ligatures or contextual forms: Latin, Greek and Cyrillic letters, general
// punctuation and currency signs, without combining marks.
bool SimpleCharacter(char16_t c)
{
    if (c < 0x20)
        return false;
    if (c < 0x0300)
        return true;
    if (c < 0x0370)
        return false;  // combining marks
    if (c < 0x0483)
        return true;
    if (c < 0x048A)
        return false;  // Cyrillic combining marks
    if (c < 0x0530)
        return true;
    return (c >= 0x2000 && c < 0x2070 && c != 0x200C && c != 0x200D) || (c >= 0x20A0 && c < 0x20C0);
}

// The PostScript name of the face, as a PDF name may hold it.
QByteArray BaseName(hb_face_t* face, const QRawFont& raw)
{
    char buf[128];
    unsigned len = sizeof buf;
    QByteArray name;
    if (hb_ot_name_get_utf8(face, HB_OT_NAME_ID_POSTSCRIPT_NAME, HB_LANGUAGE_INVALID, &len, buf) > 0)
        name = QByteArray(buf, int(len));
    if (name.isEmpty())
        name = (raw.familyName() + raw.styleName()).toLatin1();
    QByteArray clean;
    for (char c : name)
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_')
            clean.append(c);
    return clean.isEmpty() ? QByteArray("Font") : clean;
}

} // namespace

TPdfFace::~TPdfFace()
{
    if (m_buffer)
        hb_buffer_destroy(m_buffer);
    if (m_font)
        hb_font_destroy(m_font);
    if (m_face)
        hb_face_destroy(m_face);
}

void PdfAppendHexGlyph(QByteArray& out, uint32_t glyph)
{
    static const char digits[] = "0123456789ABCDEF";
    char* at = AppendRoom(out, 4);
    at[0] = digits[(glyph >> 12) & 15];
    at[1] = digits[(glyph >> 8) & 15];
    at[2] = digits[(glyph >> 4) & 15];
    at[3] = digits[glyph & 15];
}

void TPdfFace::Prepare()
{
    m_charGlyphs.assign(0x10000, kUnknown);
    m_advances.assign(hb_face_get_glyph_count(m_face), INT32_MIN);
    m_mapped.assign(m_advances.size(), false);
    // Glyphs that default substitutions of simple scripts may replace
    // (ligatures, contextual forms): text with any of them is shaped.
    static const hb_tag_t scripts[] = {HB_TAG('D', 'F', 'L', 'T'), HB_TAG('l', 'a', 't', 'n'),
                                       HB_TAG('g', 'r', 'e', 'k'), HB_TAG('c', 'y', 'r', 'l'), HB_TAG_NONE};
    static const hb_tag_t features[] = {HB_TAG('l', 'i', 'g', 'a'), HB_TAG('c', 'l', 'i', 'g'),
                                        HB_TAG('c', 'a', 'l', 't'), HB_TAG('r', 'l', 'i', 'g'),
                                        HB_TAG('r', 'c', 'l', 't'), HB_TAG('r', 'v', 'r', 'n'), HB_TAG_NONE};
    hb_set_t* lookups = hb_set_create();
    hb_ot_layout_collect_lookups(m_face, HB_OT_TAG_GSUB, scripts, nullptr, features, lookups);
    hb_set_t* glyphs = hb_set_create();
    for (hb_codepoint_t lookup = HB_SET_VALUE_INVALID; hb_set_next(lookups, &lookup);)
        hb_ot_layout_lookup_collect_glyphs(m_face, HB_OT_TAG_GSUB, lookup, glyphs, glyphs, glyphs, nullptr);
    m_contextual.assign(m_advances.size(), false);
    for (hb_codepoint_t glyph = HB_SET_VALUE_INVALID; hb_set_next(glyphs, &glyph);)
        if (glyph < m_contextual.size())
            m_contextual[glyph] = true;
    hb_set_destroy(glyphs);
    hb_set_destroy(lookups);
    m_simple = true;
    m_extents.resize(m_advances.size());
}

bool TPdfFace::InkBox(const TPdfGlyphRun& run, int64_t box[4])
{
    bool any = false;
    int64_t pen = 0;
    for (size_t i = 0; i < run.glyphs.size(); ++i) {
        const uint32_t g = run.glyphs[i];
        if (g >= m_extents.size())
            return false;
        Extents& e = m_extents[g];
        if (!e.known) {
            hb_glyph_extents_t x{};
            hb_font_get_glyph_extents(m_font, g, &x);
            e = {x.x_bearing, x.y_bearing + x.height, x.x_bearing + x.width, x.y_bearing, true};
        }
        if (e.xMax > e.xMin && e.yMax > e.yMin) {
            const int64_t ox = pen + run.xOffsets[i];
            const int64_t oy = run.yOffsets[i];
            const int64_t glyphBox[4] = {ox + e.xMin, oy + e.yMin, ox + e.xMax, oy + e.yMax};
            if (!any) {
                std::copy(glyphBox, glyphBox + 4, box);
                any = true;
            } else {
                box[0] = std::min(box[0], glyphBox[0]);
                box[1] = std::min(box[1], glyphBox[1]);
                box[2] = std::max(box[2], glyphBox[2]);
                box[3] = std::max(box[3], glyphBox[3]);
            }
        }
        pen += run.advances[i];
    }
    if (!any)
        box[0] = box[1] = box[2] = box[3] = 0;
    return true;
}

uint32_t TPdfFace::Glyph(char16_t c)
{
    uint32_t& glyph = m_charGlyphs[c];
    if (glyph == kUnknown) {
        hb_codepoint_t g = 0;
        glyph = hb_font_get_nominal_glyph(m_font, c, &g) ? g : 0;
    }
    return glyph;
}

bool TPdfFace::MapSimply(QStringView text, TPdfGlyphRun& run)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i)
        if (!SimpleCharacter(text[i].unicode()))
            return false;
    run.glyphs.resize(size_t(n));
    run.advances.resize(size_t(n));
    run.xOffsets.assign(size_t(n), 0);
    run.yOffsets.assign(size_t(n), 0);
    run.plain = true;
    run.missing = false;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        const uint32_t g = Glyph(c);
        if (g == 0) {
            run.missing = true;
            return true;
        }
        if (m_contextual[g])
            return false;
        run.glyphs[size_t(i)] = g;
        run.advances[size_t(i)] = Advance(g);
        if (!m_mapped[g])
            Use(g, text.mid(i, 1));
    }
    return true;
}

bool TPdfFace::Shape(QStringView text, TPdfGlyphRun& run)
{
    if (m_simple && m_font && MapSimply(text, run))
        return true;
    run.glyphs.clear();
    run.advances.clear();
    run.xOffsets.clear();
    run.yOffsets.clear();
    run.plain = true;
    run.missing = false;
    m_clusters.clear();
    if (!m_font)
        return false;
    hb_buffer_clear_contents(m_buffer);
    hb_buffer_add_utf16(m_buffer, reinterpret_cast<const uint16_t*>(text.data()), int(text.size()), 0,
                        int(text.size()));
    hb_buffer_guess_segment_properties(m_buffer);
    static const hb_feature_t noKerning[] = {{HB_TAG('k', 'e', 'r', 'n'), 0, 0, unsigned(-1)}};
    hb_shape(m_font, m_buffer, noKerning, 1);
    unsigned count = 0;
    const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(m_buffer, &count);
    const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(m_buffer, &count);
    run.glyphs.resize(count);
    run.advances.resize(count);
    run.xOffsets.resize(count);
    run.yOffsets.resize(count);
    m_clusters.resize(count);
    for (unsigned i = 0; i < count; ++i) {
        const uint32_t g = info[i].codepoint;
        run.glyphs[i] = g;
        run.advances[i] = pos[i].x_advance;
        run.xOffsets[i] = pos[i].x_offset;
        run.yOffsets[i] = pos[i].y_offset;
        m_clusters[i] = info[i].cluster;
        if (g == 0) {
            // A control character shapes to nothing visible; anything else is missing.
            const QChar c = info[i].cluster < text.size() ? text[info[i].cluster] : QChar();
            if (c.category() != QChar::Other_Control && c.category() != QChar::Other_Format)
                run.missing = true;
        }
        if (pos[i].x_offset || pos[i].y_offset || pos[i].x_advance != Advance(g))
            run.plain = false;
    }
    Use(run, text, m_clusters);
    return true;
}

int TPdfFace::Advance(uint32_t glyph) const
{
    if (!m_font)
        return 0;
    if (glyph >= m_advances.size())
        return hb_font_get_glyph_h_advance(m_font, glyph);
    int32_t& advance = m_advances[glyph];
    if (advance == INT32_MIN)
        advance = hb_font_get_glyph_h_advance(m_font, glyph);
    return advance;
}

void TPdfFace::Use(uint32_t glyph, QStringView text)
{
    if (glyph < m_mapped.size() && m_mapped[glyph])
        return;
    auto it = m_used.find(glyph);
    if (it == m_used.end())
        it = m_used.emplace(glyph, text.toString()).first;
    else if (it->second.isEmpty() && !text.isEmpty())
        it->second = text.toString();
    if (glyph < m_mapped.size() && !it->second.isEmpty())
        m_mapped[glyph] = true;
}

void TPdfFace::Use(const TPdfGlyphRun& run, QStringView text, const std::vector<uint32_t>& clusters)
{
    const size_t n = run.glyphs.size();
    for (size_t i = 0; i < n; ++i) {
        const uint32_t g = run.glyphs[i];
        if (g < m_mapped.size() && m_mapped[g])
            continue;
        // The characters of the glyph's cluster go to its first glyph.
        const uint32_t start = clusters[i];
        if (i > 0 && clusters[i - 1] == start) {
            Use(g, {});
            continue;
        }
        uint32_t end = uint32_t(text.size());
        for (size_t j = 0; j < n; ++j)
            if (clusters[j] > start && clusters[j] < end)
                end = clusters[j];
        Use(g, start < end ? text.mid(start, end - start) : QStringView());
    }
}

TPdfFonts::~TPdfFonts() = default;

TPdfFace* TPdfFonts::Face(const QFont& font, double& pixelSize)
{
    for (const Recent& recent : m_recent)
        if (recent.font == font) {
            pixelSize = recent.pixelSize;
            return recent.face;
        }
    const QRawFont raw = QRawFont::fromFont(font);
    TPdfFace* face = Face(raw);
    pixelSize = raw.pixelSize();
    if (m_recent.size() >= 32)
        m_recent.pop_back();
    m_recent.insert(m_recent.begin(), Recent{font, face, pixelSize});
    return face;
}

TPdfFace* TPdfFonts::Face(const QRawFont& raw)
{
    const QString key = raw.familyName() + QLatin1Char('|') + raw.styleName() + QLatin1Char('|') +
                        QString::number(raw.weight()) + QLatin1Char('|') + QString::number(int(raw.style()));
    if (TPdfFace* face = m_byKey.value(key))
        return face;
    auto face = std::make_unique<TPdfFace>();
    face->m_raw = raw;
    face->m_resource = "F" + QByteArray::number(qsizetype(m_faces.size() + 1));
    if (raw.isValid() && !raw.fontTable("glyf").isEmpty() && !raw.fontTable("loca").isEmpty()) {
        face->m_sfnt = AssembleSfnt(raw);
        hb_blob_t* blob = hb_blob_create(face->m_sfnt.constData(), unsigned(face->m_sfnt.size()),
                                         HB_MEMORY_MODE_READONLY, nullptr, nullptr);
        face->m_face = hb_face_create(blob, 0);
        hb_blob_destroy(blob);
        face->m_upem = int(hb_face_get_upem(face->m_face));
        if (face->m_upem > 0 && hb_face_get_glyph_count(face->m_face) > 0) {
            face->m_font = hb_font_create(face->m_face);
            face->m_buffer = hb_buffer_create();
            face->m_object = m_file.Reserve();
            face->Prepare();
        } else {
            face->m_upem = 1000;
        }
    }
    TPdfFace* result = face.get();
    m_byKey.insert(key, result);
    m_faces.push_back(std::move(face));
    return result;
}

void TPdfFonts::WriteAll()
{
    for (auto& face : m_faces)
        if (face->Embeddable())
            WriteFace(*face);
}

void TPdfFonts::WriteFace(TPdfFace& face)
{
    face.m_used.emplace(0, QString());
    hb_subset_input_t* input = hb_subset_input_create_or_fail();
    hb_set_t* glyphs = hb_subset_input_glyph_set(input);
    uint32_t tagHash = 2166136261u;
    for (const auto& [glyph, text] : face.m_used) {
        hb_set_add(glyphs, glyph);
        tagHash = (tagHash ^ glyph) * 16777619u;
    }
    // The content streams address glyphs by their ids in the whole face.
    hb_subset_input_set_flags(input, HB_SUBSET_FLAGS_RETAIN_GIDS | HB_SUBSET_FLAGS_NO_HINTING);
    hb_set_t* drop = hb_subset_input_set(input, HB_SUBSET_SETS_DROP_TABLE_TAG);
    for (const char* tag : {"GSUB", "GPOS", "GDEF", "kern", "name", "post", "gasp"})
        hb_set_add(drop, HB_TAG(tag[0], tag[1], tag[2], tag[3]));
    hb_face_t* subset = hb_subset_or_fail(face.m_face, input);
    hb_subset_input_destroy(input);
    QByteArray program;
    if (subset) {
        hb_blob_t* blob = hb_face_reference_blob(subset);
        unsigned length = 0;
        const char* data = hb_blob_get_data(blob, &length);
        program = QByteArray(data, int(length));
        hb_blob_destroy(blob);
        hb_face_destroy(subset);
    } else {
        program = face.m_sfnt;  // whole, rather than nothing
    }

    QByteArray tag;
    for (int i = 0; i < 6; ++i) {
        tag.append(char('A' + tagHash % 26));
        tagHash /= 26;
    }
    const QByteArray baseName = tag + '+' + BaseName(face.m_face, face.m_raw);
    const double scale = 1000.0 / face.m_upem;

    const int fileObj = m_file.Reserve();
    const int descriptorObj = m_file.Reserve();
    const int cidObj = m_file.Reserve();
    const int unicodeObj = m_file.Reserve();

    m_file.WriteStream(fileObj, " /Length1 " + QByteArray::number(program.size()), program);

    const QByteArray head = face.m_raw.fontTable("head");
    const QByteArray os2 = face.m_raw.fontTable("OS/2");
    const QByteArray post = face.m_raw.fontTable("post");
    QByteArray d("<< /Type /FontDescriptor /FontName /");
    d.append(baseName);
    d.append(" /Flags ");
    const bool italic = face.m_raw.style() != QFont::StyleNormal;
    PdfAppendInt(d, italic ? 4 + 64 : 4);
    d.append(" /FontBBox [");
    for (int offset : {36, 38, 40, 42}) {
        d.append(' ');
        PdfAppendNumber(d, ReadS16(head, offset) * scale);
    }
    d.append(" ] /ItalicAngle ");
    PdfAppendNumber(d, post.size() >= 8 ? qFromBigEndian<int32_t>(post.constData() + 4) / 65536.0 : 0.0);
    d.append(" /Ascent ");
    PdfAppendNumber(d, face.m_raw.ascent() / face.m_raw.pixelSize() * 1000.0);
    d.append(" /Descent ");
    PdfAppendNumber(d, -face.m_raw.descent() / face.m_raw.pixelSize() * 1000.0);
    d.append(" /CapHeight ");
    PdfAppendNumber(d, (os2.size() >= 90 ? ReadS16(os2, 88) : ReadS16(head, 42)) * scale);
    d.append(" /StemV 80 /FontFile2 ");
    PdfAppendInt(d, fileObj);
    d.append(" 0 R >>");
    m_file.WriteObject(descriptorObj, d);

    QByteArray c("<< /Type /Font /Subtype /CIDFontType2 /BaseFont /");
    c.append(baseName);
    c.append(" /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> /FontDescriptor ");
    PdfAppendInt(c, descriptorObj);
    c.append(" 0 R /CIDToGIDMap /Identity /DW 0 /W [");
    // Runs of consecutive glyph ids share one array.
    bool first = true;
    uint32_t previous = 0;
    for (const auto& [glyph, text] : face.m_used) {
        if (first || glyph != previous + 1) {
            if (!first)
                c.append(']');
            c.append(' ');
            PdfAppendInt(c, glyph);
            c.append(" [");
        } else {
            c.append(' ');
        }
        PdfAppendNumber(c, face.Advance(glyph) * scale);
        previous = glyph;
        first = false;
    }
    if (!first)
        c.append(']');
    c.append(" ] >>");
    m_file.WriteObject(cidObj, c);

    QByteArray map("/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                   "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                   "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                   "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n");
    std::vector<std::pair<uint32_t, const QString*>> mapped;
    for (const auto& [glyph, text] : face.m_used)
        if (!text.isEmpty() && glyph <= 0xFFFF)
            mapped.emplace_back(glyph, &text);
    for (size_t i = 0; i < mapped.size(); i += 100) {
        const size_t end = std::min(mapped.size(), i + 100);
        PdfAppendInt(map, int64_t(end - i));
        map.append(" beginbfchar\n");
        for (size_t j = i; j < end; ++j) {
            map.append('<').append(HexGlyph(mapped[j].first)).append("> <");
            for (QChar ch : *mapped[j].second)
                map.append(HexGlyph(ch.unicode()));
            map.append(">\n");
        }
        map.append("endbfchar\n");
    }
    map.append("endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n");
    m_file.WriteStream(unicodeObj, QByteArray(), map);

    QByteArray t("<< /Type /Font /Subtype /Type0 /BaseFont /");
    t.append(baseName);
    t.append(" /Encoding /Identity-H /DescendantFonts [");
    PdfAppendInt(t, cidObj);
    t.append(" 0 R] /ToUnicode ");
    PdfAppendInt(t, unicodeObj);
    t.append(" 0 R >>");
    m_file.WriteObject(face.m_object, t);
}

QByteArray PdfHexGlyph(uint32_t glyph) { return HexGlyph(glyph); }

} // namespace orvane
