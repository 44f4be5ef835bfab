#include "output/pdf_document.h"

#include <hpdf_fontdef.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <fstream>

#include "base/utf8.h"

namespace meridane {

namespace {

// Code points of ISO8859-2 bytes 0xA0..0xFF.
constexpr std::array<uint16_t, 96> kLatin2High = {
    0x00A0, 0x0104, 0x02D8, 0x0141, 0x00A4, 0x013D, 0x015A, 0x00A7,
    0x00A8, 0x0160, 0x015E, 0x0164, 0x0179, 0x00AD, 0x017D, 0x017B,
    0x00B0, 0x0105, 0x02DB, 0x0142, 0x00B4, 0x013E, 0x015B, 0x02C7,
    0x00B8, 0x0161, 0x015F, 0x0165, 0x017A, 0x02DD, 0x017E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

char Latin2Byte(uint32_t cp) {
  if (cp >= 0x20 && cp < 0x7F) return static_cast<char>(cp);
  for (size_t i = 0; i < kLatin2High.size(); ++i)
    if (kLatin2High[i] == cp) return static_cast<char>(0xA0 + i);
  return '?';
}

void HandleLibraryError(HPDF_STATUS errorNo, HPDF_STATUS detailNo, void* userData) {
  static_cast<PdfDocument*>(userData)->RecordError(errorNo, detailNo);
}

constexpr float kPi = 3.14159265358979f;

}  // namespace

PdfRgb ToPdfRgb(uint32_t c) {
  return {(c & 0xFF) / 255.0f, ((c >> 8) & 0xFF) / 255.0f, ((c >> 16) & 0xFF) / 255.0f};
}


namespace {
// Calls fn(codePoint, wellFormed) for each character; a malformed byte comes on its own.
template <typename Fn>
void ForEachCharacter(std::string_view s, Fn fn) {
  for (size_t i = 0; i < s.size();) {
    uint32_t cp = 0;
    size_t len = Utf8DecodeAt(s, i, cp);
    fn(cp, len != 0);
    i += len == 0 ? 1 : len;
  }
}
}  // namespace

size_t CharacterBytesAt(std::string_view s, size_t i) {
  uint32_t cp = 0;
  size_t len = Utf8DecodeAt(s, i, cp);
  return len == 0 ? 1 : len;
}

bool FitsLatin2(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    uint32_t cp = 0;
    size_t len = Utf8DecodeAt(s, i, cp);
    if (len == 0) return false;
    bool control = cp < 0x20 || cp == 0x7F;
    if (!control && Latin2Byte(cp) == '?' && cp != '?') return false;
    i += len;
  }
  return true;
}

const PdfFaceChain& InstalledPdfFaces() {
  static const PdfFaceChain chain = [] {
    const std::string lib = "/usr/share/fonts/truetype/liberation";
    const std::string dejavu = "/usr/share/fonts/truetype/dejavu/";
    // Both WenQuanYi collections hold TrueType outlines, which is what the library embeds.
    const PdfFaceFile cjk{{"/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"}, 0};
    const PdfFaceFile cjkZen{{"/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc"}, 0};
    auto liberation = [&](const char* style) {
      return PdfFaceFile{{lib + "/LiberationSerif-" + style + ".ttf",
                          lib + "2/LiberationSerif-" + style + ".ttf"},
                         -1};
    };
    PdfFaceChain c;
    c.regular = {liberation("Regular"), {{dejavu + "DejaVuSerif.ttf"}, -1}, cjk, cjkZen};
    c.bold = {liberation("Bold"), {{dejavu + "DejaVuSerif-Bold.ttf"}, -1}, cjk, cjkZen};
    return c;
  }();
  return chain;
}

std::string ToLatin2(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    uint32_t cp = 0;
    size_t len = Utf8DecodeAt(s, i, cp);
    out += len == 0 ? '?' : Latin2Byte(cp);
    i += len == 0 ? 1 : len;
  }
  return out;
}

// ---- document ----

PdfDocument::PdfDocument() : PdfDocument(InstalledPdfFaces()) {}

PdfDocument::PdfDocument(PdfFaceChain faces) {
  doc_ = HPDF_New(&HandleLibraryError, this);
  if (doc_) HPDF_SetCompressionMode(doc_, HPDF_COMP_ALL);
  for (int bold = 0; bold < 2; ++bold)
    for (PdfFaceFile& f : bold ? faces.bold : faces.regular) {
      faces_[bold].emplace_back();
      faces_[bold].back().file = std::move(f);
    }
}

PdfDocument::~PdfDocument() {
  if (doc_) HPDF_Free(doc_);
}

void PdfDocument::RecordError(unsigned long errorNo, unsigned long detailNo) {
  if (failed_ || probing_) return;
  failed_ = true;
  errorNo_ = errorNo;
  detailNo_ = detailNo;
}

PdfPage PdfDocument::AddPage(bool landscape) {
  if (!doc_ || failed_) return {};
  HPDF_Page page = HPDF_AddPage(doc_);
  if (!page || failed_) return {};
  if (landscape) HPDF_Page_SetSize(page, HPDF_PAGE_SIZE_A4, HPDF_PAGE_LANDSCAPE);
  ++pages_;
  return PdfPage(this, page);
}

HPDF_Font PdfDocument::Font(const char* name) {
  if (!doc_ || failed_) return nullptr;
  return HPDF_GetFont(doc_, name, "ISO8859-2");
}

bool PdfDocument::Load(Face& face) {
  if (face.tried) return face.def != nullptr;
  face.tried = true;
  if (!doc_ || failed_) return false;
  for (const std::string& path : face.file.paths) {
    if (!std::ifstream(path, std::ios::binary).good()) continue;
    if (!utfReady_) {
      HPDF_UseUTFEncodings(doc_);
      utfReady_ = true;
    }
    // A damaged font file costs that face only, not the document.
    probing_ = true;
    const char* name =
        face.file.index < 0
            ? HPDF_LoadTTFontFromFile(doc_, path.c_str(), HPDF_TRUE)
            : HPDF_LoadTTFontFromFile2(doc_, path.c_str(), static_cast<HPDF_UINT>(face.file.index),
                                       HPDF_TRUE);
    HPDF_FontDef def = name ? HPDF_GetFontDef(doc_, name) : nullptr;
    probing_ = false;
    if (!def) {
      HPDF_ResetError(doc_);
      continue;
    }
    face.def = def;
    face.name = name;
    return true;
  }
  return false;
}

bool PdfDocument::Has(Face& face, uint32_t cp) {
  // The library maps characters of the basic plane only.
  return cp <= 0xFFFF && Load(face) &&
         HPDF_TTFontDef_GetGlyphid(face.def, static_cast<HPDF_UINT16>(cp)) != 0;
}

namespace {
// The library keeps only the outlines of the glyphs it was asked for, and misses the parts
// a composite glyph is built from (many CJK characters are): it would draw those as nothing.
// This marks each part as used too.
void MarkGlyphParts(HPDF_FontDef def, HPDF_UINT16 gid, int depth = 0) {
  auto* attr = static_cast<HPDF_TTFontDefAttr>(def->attr);
  if (!attr || !attr->embedding || gid >= attr->num_glyphs || depth > 8) return;
  attr->glyph_tbl.flgs[gid] = 1;
  HPDF_UINT32 at = attr->glyph_tbl.offsets[gid];
  HPDF_UINT32 next = attr->glyph_tbl.offsets[gid + 1];
  if (attr->header.index_to_loc_format == 0) {
    at *= 2;
    next *= 2;
  }
  if (next <= at + 10) return;  // an empty glyph
  std::vector<HPDF_BYTE> glyph(next - at);
  HPDF_UINT size = static_cast<HPDF_UINT>(glyph.size());
  if (HPDF_Stream_Seek(attr->stream, static_cast<HPDF_INT>(attr->glyph_tbl.base_offset + at),
                       HPDF_SEEK_SET) != HPDF_OK ||
      HPDF_Stream_Read(attr->stream, glyph.data(), &size) != HPDF_OK || size != glyph.size())
    return;
  auto word = [&](size_t i) { return static_cast<HPDF_UINT16>(glyph[i] << 8 | glyph[i + 1]); };
  if (static_cast<int16_t>(word(0)) >= 0) return;  // a simple glyph: outlines of its own
  constexpr HPDF_UINT16 kWords = 0x1, kScale = 0x8, kMore = 0x20, kXYScale = 0x40,
                        kTwoByTwo = 0x80;
  for (size_t i = 10; i + 4 <= glyph.size();) {
    HPDF_UINT16 flags = word(i), part = word(i + 2);
    MarkGlyphParts(def, part, depth + 1);
    i += 4 + ((flags & kWords) ? 4 : 2) + ((flags & kScale) ? 2 : 0) +
         ((flags & kXYScale) ? 4 : 0) + ((flags & kTwoByTwo) ? 8 : 0);
    if (!(flags & kMore)) break;
  }
}
}  // namespace

HPDF_Font PdfDocument::FontOf(Face& face) {
  // Taken on first use only: a face that is taken is embedded in the document.
  if (!face.font && !failed_) face.font = HPDF_GetFont(doc_, face.name.c_str(), "UTF-8");
  return face.font;
}

namespace {
constexpr uint32_t kReplacementMark = 0xFFFD;
}  // namespace

std::vector<PdfRun> PdfDocument::SplitRuns(std::string_view s, bool bold) {
  std::vector<PdfRun> runs;
  if (!doc_ || failed_) return runs;
  std::vector<Face>& chain = faces_[bold ? 1 : 0];
  auto faceFor = [&](uint32_t cp) -> Face* {
    for (Face& f : chain)
      if (Has(f, cp)) return &f;
    return nullptr;
  };
  for (size_t i = 0; i < s.size();) {
    uint32_t cp = 0;
    size_t len = Utf8DecodeAt(s, i, cp);
    i += len == 0 ? 1 : len;
    if (len == 0) cp = kReplacementMark;
    if (cp < 0x20 || (cp >= 0x7F && cp < 0xA0)) cp = ' ';
    Face* face = faceFor(cp);
    if (!face) {
      face = faceFor(kReplacementMark);
      if (face) cp = kReplacementMark;
    }
    HPDF_Font font = face ? FontOf(*face) : nullptr;
    if (failed_) return {};
    if (runs.empty() || runs.back().font != font) runs.push_back(PdfRun{font, {}});
    if (font) {
      MarkGlyphParts(face->def, HPDF_TTFontDef_GetGlyphid(face->def, static_cast<HPDF_UINT16>(cp)));
      AppendUtf8(runs.back().bytes, cp);
    }
    else
      runs.back().bytes += Latin2Byte(cp);
  }
  return runs;
}

namespace {
// Information strings are read in PDFDocEncoding, which agrees with Latin-1 for the
// printable characters; anything else becomes "?".
std::string ToDocEncoding(std::string_view s) {
  std::string out;
  ForEachCharacter(s, [&](uint32_t cp, bool ok) {
    bool printable = ok && ((cp >= 0x20 && cp < 0x7F) || (cp >= 0xA1 && cp <= 0xFF));
    out += printable ? static_cast<char>(cp) : '?';
  });
  return out;
}

// Malformed bytes become the replacement mark, control characters spaces.
std::string ToValidUtf8(std::string_view s) {
  std::string out;
  ForEachCharacter(s, [&](uint32_t cp, bool ok) {
    if (!ok || cp > 0xFFFF) cp = kReplacementMark;
    AppendUtf8(out, cp < 0x20 || cp == 0x7F ? ' ' : cp);
  });
  return out;
}
}  // namespace

void PdfDocument::SetInfo(const std::string& title, const std::string& creator,
                          const DateTime& created) {
  if (!doc_ || failed_) return;
  // Every character kept: no "?" that was not there.
  auto kept = [](const std::string& s) {
    return std::count(s.begin(), s.end(), '?') == std::ranges::count(ToDocEncoding(s), '?');
  };
  if (kept(title) && kept(creator)) {
    HPDF_SetInfoAttr(doc_, HPDF_INFO_TITLE, ToDocEncoding(title).c_str());
    HPDF_SetInfoAttr(doc_, HPDF_INFO_CREATOR, ToDocEncoding(creator).c_str());
  } else {
    // Written as Unicode text, so a name in any script shows in the viewer's title too.
    if (!utfReady_) HPDF_UseUTFEncodings(doc_);
    utfReady_ = true;
    HPDF_SetCurrentEncoder(doc_, "UTF-8");
    HPDF_SetInfoAttr(doc_, HPDF_INFO_TITLE, ToValidUtf8(title).c_str());
    HPDF_SetInfoAttr(doc_, HPDF_INFO_CREATOR, ToValidUtf8(creator).c_str());
  }
  HPDF_Date date{};
  date.year = created.year;
  date.month = created.month;
  date.day = created.day;
  date.hour = created.hour;
  date.minutes = created.minute;
  date.seconds = 0;
  date.ind = ' ';  // local time, as the user's clock shows it
  HPDF_SetInfoDateAttr(doc_, HPDF_INFO_CREATION_DATE, date);
}

std::vector<unsigned char> PdfDocument::Serialize() {
  std::vector<unsigned char> bytes;
  if (!doc_ || failed_) return bytes;
  if (HPDF_SaveToStream(doc_) != HPDF_OK || failed_) return bytes;
  HPDF_UINT32 size = HPDF_GetStreamSize(doc_);
  bytes.resize(size);
  HPDF_UINT32 got = size;
  if (size > 0 && (HPDF_ReadFromStream(doc_, bytes.data(), &got) > HPDF_STREAM_EOF || failed_)) {
    bytes.clear();
    return bytes;
  }
  bytes.resize(got);
  return bytes;
}

// ---- page ----

bool PdfPage::live() const { return page_ && doc_ && !doc_->failed(); }

float PdfPage::width() const { return page_ ? HPDF_Page_GetWidth(page_) : 0; }
float PdfPage::height() const { return page_ ? HPDF_Page_GetHeight(page_) : 0; }

void PdfPage::SetFont(const char* name, float size) {
  if (!live()) return;
  HPDF_Font font = doc_->Font(name);
  if (font && live()) HPDF_Page_SetFontAndSize(page_, font, size);
}

void PdfPage::SetFontSize(float size) {
  if (!live()) return;
  HPDF_Font font = HPDF_Page_GetCurrentFont(page_);
  if (!font) font = doc_->Font("Times-Roman");
  if (font && live()) HPDF_Page_SetFontAndSize(page_, font, size);
}

namespace {
bool IsBold(HPDF_Font font) {
  const char* name = font ? HPDF_Font_GetFontName(font) : nullptr;
  return name && std::strstr(name, "Bold") != nullptr;
}
}  // namespace

template <typename Place>
void PdfPage::UnicodeText(std::string_view text, PdfRgb c, Place place) {
  HPDF_Font standard = HPDF_Page_GetCurrentFont(page_);
  float size = HPDF_Page_GetCurrentFontSize(page_);
  std::vector<PdfRun> runs = doc_->SplitRuns(text, IsBold(standard));
  if (!live()) return;
  HPDF_Page_BeginText(page_);
  HPDF_Page_SetRGBFill(page_, c.r, c.g, c.b);
  place();
  // The text position moves on by each run's width, so the runs follow one another.
  for (const PdfRun& run : runs) {
    HPDF_Font font = run.font ? run.font : standard;
    if (font) HPDF_Page_SetFontAndSize(page_, font, size);
    HPDF_Page_ShowText(page_, run.bytes.c_str());
  }
  HPDF_Page_EndText(page_);
  if (standard && live()) HPDF_Page_SetFontAndSize(page_, standard, size);
}

void PdfPage::Text(float x, float y, std::string_view text, uint32_t colour) {
  if (FitsLatin2(text) || !live()) {
    TextLatin2(x, y, ToLatin2(text), colour);
    return;
  }
  UnicodeText(text, ToPdfRgb(colour), [&] { HPDF_Page_MoveTextPos(page_, x, y); });
}

void PdfPage::TextLatin2(float x, float y, std::string_view latin2, uint32_t colour) {
  if (!live()) return;
  std::string s(latin2);
  PdfRgb c = ToPdfRgb(colour);
  HPDF_Page_BeginText(page_);
  HPDF_Page_SetRGBFill(page_, c.r, c.g, c.b);
  HPDF_Page_MoveTextPos(page_, x, y);
  HPDF_Page_ShowText(page_, s.c_str());
  HPDF_Page_EndText(page_);
}

void PdfPage::TurnedText(float x, float y, std::string_view text, PdfRgb c) {
  if (!live()) return;
  if (!FitsLatin2(text)) {
    UnicodeText(text, c, [&] { HPDF_Page_SetTextMatrix(page_, 0, -1, 1, 0, x, y); });
    return;
  }
  std::string s = ToLatin2(text);
  HPDF_Page_BeginText(page_);
  HPDF_Page_SetRGBFill(page_, c.r, c.g, c.b);
  HPDF_Page_SetTextMatrix(page_, 0, -1, 1, 0, x, y);
  HPDF_Page_ShowText(page_, s.c_str());
  HPDF_Page_EndText(page_);
}

template <typename Draw>
void PdfPage::Fitted(std::string_view text, float maxWidth, Draw draw) {
  const float size = live() ? HPDF_Page_GetCurrentFontSize(page_) : 0;
  const float width = size > 0 ? TextWidth(text) : 0;
  if (width <= maxWidth || maxWidth <= 0) {
    draw();
    return;
  }
  SetFontSize(std::max(size * maxWidth / width, size / 2));
  draw();
  SetFontSize(size);
}

void PdfPage::FitText(float x, float y, std::string_view text, float maxWidth, uint32_t colour) {
  Fitted(text, maxWidth, [&] { Text(x, y, text, colour); });
}

void PdfPage::TurnedFitText(float x, float y, std::string_view text, float maxWidth, PdfRgb c) {
  Fitted(text, maxWidth, [&] { TurnedText(x, y, text, c); });
}

float PdfPage::TextWidth(std::string_view text) {
  if (!live()) return 0;
  if (FitsLatin2(text)) return HPDF_Page_TextWidth(page_, ToLatin2(text).c_str());
  HPDF_Font standard = HPDF_Page_GetCurrentFont(page_);
  float size = HPDF_Page_GetCurrentFontSize(page_);
  float width = 0;
  for (const PdfRun& run : doc_->SplitRuns(text, IsBold(standard))) {
    HPDF_Font font = run.font ? run.font : standard;
    if (!font || !live()) return 0;
    const auto* bytes = reinterpret_cast<const HPDF_BYTE*>(run.bytes.data());
    width += static_cast<float>(
                 HPDF_Font_TextWidth(font, bytes, static_cast<HPDF_UINT>(run.bytes.size())).width) *
             size / 1000;
  }
  return width;
}

void PdfPage::Rule(float x, float y, float lineWidth, float length) {
  if (!live()) return;
  HPDF_Page_SetLineWidth(page_, lineWidth);
  HPDF_Page_MoveTo(page_, x, y);
  HPDF_Page_LineTo(page_, x + length, y);
  HPDF_Page_Stroke(page_);
}

void PdfPage::SetLineWidth(float w) {
  if (live()) HPDF_Page_SetLineWidth(page_, w);
}
void PdfPage::SetStroke(PdfRgb c) {
  if (live()) HPDF_Page_SetRGBStroke(page_, c.r, c.g, c.b);
}
void PdfPage::SetFill(PdfRgb c) {
  if (live()) HPDF_Page_SetRGBFill(page_, c.r, c.g, c.b);
}

void PdfPage::SetDash(bool dashed) {
  if (!live()) return;
  static const HPDF_UINT16 kDash[] = {3, 3};
  if (dashed)
    HPDF_Page_SetDash(page_, kDash, 2, 0);
  else
    HPDF_Page_SetDash(page_, nullptr, 0, 0);
}

void PdfPage::Line(float x1, float y1, float x2, float y2) {
  if (!live()) return;
  HPDF_Page_MoveTo(page_, x1, y1);
  HPDF_Page_LineTo(page_, x2, y2);
  HPDF_Page_Stroke(page_);
}

void PdfPage::Polyline(const std::vector<std::pair<float, float>>& points) {
  if (!live() || points.size() < 2) return;
  HPDF_Page_MoveTo(page_, points[0].first, points[0].second);
  for (size_t i = 1; i < points.size(); ++i)
    HPDF_Page_LineTo(page_, points[i].first, points[i].second);
  HPDF_Page_Stroke(page_);
}

void PdfPage::FillRect(float x, float y, float w, float h) {
  if (!live()) return;
  HPDF_Page_Rectangle(page_, x, y, w, h);
  HPDF_Page_Fill(page_);
}

void PdfPage::StrokeRect(float x, float y, float w, float h) {
  if (!live()) return;
  HPDF_Page_Rectangle(page_, x, y, w, h);
  HPDF_Page_Stroke(page_);
}

void PdfPage::FillStrokeRect(float x, float y, float w, float h) {
  if (!live()) return;
  HPDF_Page_Rectangle(page_, x, y, w, h);
  HPDF_Page_FillStroke(page_);
}

void PdfPage::StrokeCircle(float x, float y, float r) {
  if (!live()) return;
  HPDF_Page_Circle(page_, x, y, r);
  HPDF_Page_Stroke(page_);
}

void PdfPage::StrokeFillCircle(float x, float y, float r) {
  if (!live()) return;
  HPDF_Page_Circle(page_, x, y, r);
  HPDF_Page_Stroke(page_);
  HPDF_Page_Circle(page_, x, y, r);
  HPDF_Page_Fill(page_);
}

void PdfPage::FillSector(float cx, float cy, float r, float from, float to) {
  if (!live() || to <= from) return;
  // The library takes arcs of less than a full turn; a full circle goes in two halves.
  HPDF_Page_MoveTo(page_, cx, cy);
  float a = from * kPi / 180;
  HPDF_Page_LineTo(page_, cx + r * std::sin(a), cy + r * std::cos(a));
  if (to - from >= 360) {
    HPDF_Page_Arc(page_, cx, cy, r, from, from + 180);
    HPDF_Page_Arc(page_, cx, cy, r, from + 180, to);
  } else {
    HPDF_Page_Arc(page_, cx, cy, r, from, to);
  }
  HPDF_Page_ClosePath(page_);
  HPDF_Page_Fill(page_);
}

void PdfPage::BeginClip(float x, float y, float w, float h) {
  if (!live()) return;
  HPDF_Page_GSave(page_);
  HPDF_Page_Rectangle(page_, x, y, w, h);
  HPDF_Page_Clip(page_);
  HPDF_Page_EndPath(page_);
}

void PdfPage::EndClip() {
  if (live()) HPDF_Page_GRestore(page_);
}

}  // namespace meridane
