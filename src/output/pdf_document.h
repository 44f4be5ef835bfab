#pragma once
// One PDF document for one save: libharu behind a small drawing surface. A library error is
// recorded by the document's error handler; from then on every drawing call does nothing,
// and the save flow releases the document without writing a file.
#include <hpdf.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/date_time.h"

namespace meridane {

// 24-bit colour value: red in the lowest byte, then green, then blue.
constexpr uint32_t RgbValue(int r, int g, int b) {
  return static_cast<uint32_t>(r) | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b) << 16;
}
constexpr uint32_t kBlack = 0;
constexpr uint32_t kWhite = RgbValue(255, 255, 255);

// Colour components 0..1, for the chart colours given as fractions.
struct PdfRgb {
  float r = 0, g = 0, b = 0;
};
PdfRgb ToPdfRgb(uint32_t colour);

// UTF-8 to ISO8859-2 bytes. Characters that encoding lacks, control characters and
// malformed bytes become "?", so no text can break the document.
std::string ToLatin2(std::string_view utf8);
// Bytes of the character at `i` as ToLatin2 reads it: one UTF-8 sequence, or one byte when
// the sequence is malformed.
size_t CharacterBytesAt(std::string_view utf8, size_t i);
// True when ToLatin2 keeps every character of the text (control characters count as kept,
// as they always have); such text is set in the standard fonts.
bool FitsLatin2(std::string_view utf8);

// A TrueType face for text beyond ISO8859-2: the first of `paths` that can be read, and the
// face's number inside a collection (.ttc), -1 for a single font file.
struct PdfFaceFile {
  std::vector<std::string> paths;
  int index = -1;
};
// The faces tried in order for each character, for regular and for bold text: a serif close
// to Times for Latin, Greek and Cyrillic, a wider serif, then Chinese/Japanese/Korean faces.
struct PdfFaceChain {
  std::vector<PdfFaceFile> regular;
  std::vector<PdfFaceFile> bold;
};
// The faces of the Debian font packages the program depends on.
const PdfFaceChain& InstalledPdfFaces();

class PdfDocument;

// A page of the document. Copyable handle; valid while its document lives.
class PdfPage {
 public:
  PdfPage() = default;
  PdfPage(PdfDocument* doc, HPDF_Page page) : doc_(doc), page_(page) {}

  float width() const;
  float height() const;
  HPDF_Page handle() const { return page_; }

  // "Times-Roman" (or another standard font) with the ISO8859-2 encoding. Text that does not
  // fit that encoding is set in embedded TrueType faces of the same weight instead.
  void SetFont(const char* name, float size);
  void SetFontSize(float size);

  // Draw text: its own text object, fill colour, position, text. `text` is UTF-8.
  void Text(float x, float y, std::string_view text, uint32_t colour = kBlack);
  // The same for text already in the page encoding.
  void TextLatin2(float x, float y, std::string_view latin2, uint32_t colour = kBlack);
  // Text set with the matrix (0, -1, 1, 0, x, y): it reads from the top of the page down.
  void TurnedText(float x, float y, std::string_view text, PdfRgb colour = {});
  // Width of UTF-8 text in the current font and size.
  float TextWidth(std::string_view text);
  // Text that has `maxWidth` points of room (a table cell, a caption beside a box): wider
  // text is set smaller, down to half the size, so that a long translation does not run into
  // its neighbour. Text that fits is drawn exactly as Text and TurnedText draw it.
  void FitText(float x, float y, std::string_view text, float maxWidth, uint32_t colour = kBlack);
  void TurnedFitText(float x, float y, std::string_view text, float maxWidth, PdfRgb colour = {});

  // Draw rule: a straight line of the given width from (x, y) to (x + length, y).
  void Rule(float x, float y, float lineWidth, float length);

  void SetLineWidth(float w);
  void SetStroke(PdfRgb c);
  void SetFill(PdfRgb c);
  void SetDash(bool dashed);  // 3 on, 3 off
  void Line(float x1, float y1, float x2, float y2);
  // One stroked path through the points, (x, y) pairs in order.
  void Polyline(const std::vector<std::pair<float, float>>& points);
  void FillRect(float x, float y, float w, float h);
  void StrokeRect(float x, float y, float w, float h);
  void FillStrokeRect(float x, float y, float w, float h);
  void StrokeCircle(float x, float y, float r);
  void StrokeFillCircle(float x, float y, float r);
  // A sector from `from` to `to` degrees (0 straight up, clockwise), closed to the centre
  // and filled.
  void FillSector(float cx, float cy, float r, float from, float to);
  // Drawing is limited to the rectangle until EndClip.
  void BeginClip(float x, float y, float w, float h);
  void EndClip();

 private:
  bool live() const;
  template <typename Draw>
  void Fitted(std::string_view text, float maxWidth, Draw draw);
  // Sets text beyond ISO8859-2 in runs of embedded faces, from the text position `place`
  // establishes, then gives the page its standard font back.
  template <typename Place>
  void UnicodeText(std::string_view text, PdfRgb colour, Place place);
  PdfDocument* doc_ = nullptr;
  HPDF_Page page_ = nullptr;
};

// A piece of text set in one font: an embedded face (UTF-8 bytes) or, with `font` null, the
// page's standard font (ISO8859-2 bytes).
struct PdfRun {
  HPDF_Font font = nullptr;
  std::string bytes;
};

class PdfDocument {
 public:
  PdfDocument();
  // With other faces than the installed ones (a chain without faces sets everything in the
  // standard fonts).
  explicit PdfDocument(PdfFaceChain faces);
  ~PdfDocument();
  PdfDocument(const PdfDocument&) = delete;
  PdfDocument& operator=(const PdfDocument&) = delete;

  // False when the library could not create the document.
  bool created() const { return doc_ != nullptr; }
  // True once the library reported an error; errorNo/detailNo hold the first one.
  bool failed() const { return failed_; }
  unsigned long errorNo() const { return errorNo_; }
  unsigned long detailNo() const { return detailNo_; }

  // A page of the default size (A4 portrait) or A4 landscape.
  PdfPage AddPage(bool landscape = false);
  int pageCount() const { return pages_; }

  // The document information: title, the program as creator, the creation date.
  void SetInfo(const std::string& title, const std::string& creator, const DateTime& created);

  // The finished document as bytes (empty after an error).
  std::vector<unsigned char> Serialize();

  HPDF_Font Font(const char* name);
  HPDF_Doc handle() const { return doc_; }

  // The text split into runs of the faces that have its characters, bold or regular. A
  // character no face has becomes the replacement mark U+FFFD (or, without any face that
  // has that, "?" in the standard font); control characters become spaces.
  std::vector<PdfRun> SplitRuns(std::string_view utf8, bool bold);

  // Used by the library's error handler.
  void RecordError(unsigned long errorNo, unsigned long detailNo);

 private:
  struct Face {
    PdfFaceFile file;
    bool tried = false;
    HPDF_FontDef def = nullptr;
    std::string name;
    HPDF_Font font = nullptr;
  };
  // Loads face `k` of the chain on first use; false when it cannot be read.
  bool Load(Face& face);
  bool Has(Face& face, uint32_t cp);
  HPDF_Font FontOf(Face& face);

  HPDF_Doc doc_ = nullptr;
  std::vector<Face> faces_[2];  // regular, bold
  bool utfReady_ = false;
  bool probing_ = false;
  bool failed_ = false;
  unsigned long errorNo_ = 0;
  unsigned long detailNo_ = 0;
  int pages_ = 0;
};

}  // namespace meridane
