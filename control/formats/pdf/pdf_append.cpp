// The incremental update: one page is added to an existing document by appending the rewritten
// page-tree nodes, the page's four objects, a cross-reference section and a trailer. The source
// is parsed completely and the update assembled before a byte is appended, so a refused file is
// left as it was.
#include <set>
#include <string>
#include <vector>

#include "control/formats/pdf/pdf_document.h"
#include "control/formats/pdf/pdf_objects.h"
#include "control/formats/pdf/pdf_source.h"
#include "platform/base/streams.h"

namespace pictavo {

namespace {

constexpr const char* kInvalid = "Source PDF file is invalid";
constexpr const char* kBadXref = "Error reading cross reference table";
constexpr const char* kBadLinearised = "Error in source PDF file";
constexpr const char* kMissingXref = "Missing data in cross reference tables";
constexpr const char* kNoPages = "Unable to find Pages table in source PDF file";
constexpr const char* kBadPages = "Error reading Pages table in source PDF file";
constexpr int64_t kMaxGeneration = 65535;

struct TXrefEntry {
  int64_t offset = 0;
  int64_t generation = 0;
  bool free = false;
  int64_t parent = 0;  // the page-tree node whose /Kids names this object
  bool updated = false;
};

int64_t NumberOr(std::string_view token, const char* message) {
  const std::optional<int64_t> value = ParseNumber(token);
  if (!value) throw EPDFError(message);
  return *value;
}

// The reference to insert into a /Kids line.
std::string Reference(int64_t number) {
  return std::to_string(number) + " 0 R";
}

class TAppender {
 public:
  TAppender(std::span<const uint8_t> bytes, const TPDFImage& page, int position)
      : source_(bytes), page_(page), position_(position) {}

  // The bytes to append to the source.
  std::vector<uint8_t> BuildUpdate() {
    linearised_ = IsLinearised();
    const int64_t eof = source_.FindLineBackward("%%EOF", source_.Size() - 2);
    if (eof < 0) throw EPDFError(kInvalid);
    const int64_t trailer = source_.FindLineBackward("trailer", eof - 2);
    if (trailer < 0) throw EPDFError(kInvalid);
    ParseTrailer(trailer);
    previous_xref_ = start_xref_;
    ReadXrefSections();
    CheckEveryObjectPlaced();
    ReadPageTree();
    return WriteUpdate();
  }

 private:
  bool IsLinearised() const {
    int64_t position = 0;
    for (;;) {
      const std::string line = source_.ReadLine(position);
      const std::string_view first = FirstToken(line);
      if (first == "endobj") return false;
      if (first == "/Linearized") break;
    }
    // A file changed after linearisation no longer has the length its dictionary states.
    for (std::string line = source_.ReadLine(position); line != "endobj";
         line = source_.ReadLine(position)) {
      if (FirstToken(line) == "/L") return NumberOr(KeyValue(line), kInvalid) == source_.Size();
    }
    return true;
  }

  void ParseTrailer(int64_t position) {
    size_ = prev_ = start_xref_ = 0;
    for (std::string line = source_.ReadLine(position); line != "%%EOF";
         line = source_.ReadLine(position)) {
      RefuseUnhandledTrailer(line);
      const std::string_view key = FirstToken(line);
      if (key == "/Size") size_ = NumberOr(KeyValue(line), kInvalid);
      if (key == "/Prev") prev_ = NumberOr(KeyValue(line), kInvalid);
      // The newest trailer names the catalog and the document information.
      if (key == "/Root" && root_ == 0) root_ = NumberOr(KeyValue(line), kInvalid);
      if (key == "/Info" && info_ == 0) info_ = NumberOr(KeyValue(line), kInvalid);
      if (line == "startxref") start_xref_ = NumberOr(source_.ReadLine(position), kInvalid);
    }
  }

  // Plain objects appended to an encrypted file would be read as ciphertext, and objects kept in
  // object streams are described by no table this update reads.
  static void RefuseUnhandledTrailer(std::string_view line) {
    TLineTokens tokens(line);
    for (std::string_view token = tokens.Next(); !token.empty(); token = tokens.Next()) {
      if (token == "/Encrypt") throw EPDFError("Encrypted PDF files are not supported");
      if (token == "/XRefStm")
        throw EPDFError("PDF files with cross reference streams are not supported");
    }
  }

  void ResizeTable(int64_t size) {
    // Every object needs an entry in some table of the file, so the file bounds the count.
    if (size <= 0 || size > source_.Size()) throw EPDFError(linearised_ ? kBadXref : kInvalid);
    table_.assign(static_cast<size_t>(size), TXrefEntry{});
  }

  void ReadXrefSections() {
    if (!linearised_) ResizeTable(size_);
    std::set<int64_t> visited;
    int64_t offset = start_xref_;
    for (int sections = 1;; ++sections) {
      if (offset <= 0 || offset >= source_.Size() || !visited.insert(offset).second)
        throw EPDFError(kBadXref);
      const int64_t trailer = ReadXrefSection(offset, linearised_ && sections == 1);
      if (linearised_ && sections == 2) return;
      ParseTrailer(trailer);
      if (linearised_ && size_ != static_cast<int64_t>(table_.size()))
        throw EPDFError(kBadLinearised);
      if (prev_ == 0) return;
      offset = prev_;
    }
  }

  // Reads one section and returns the position of the line that ended it.
  int64_t ReadXrefSection(int64_t position, bool sizes_table) {
    if (source_.ReadLine(position) != "xref") throw EPDFError(kBadXref);
    for (;;) {
      const int64_t line_start = position;
      const std::string line = source_.ReadLine(position);
      TLineTokens tokens(line);
      const std::optional<int64_t> first = ParseNumber(tokens.Next());
      const std::optional<int64_t> count = ParseNumber(tokens.Next());
      if (!first || !count) return line_start;
      if (sizes_table) ResizeTable(*first + *count);
      sizes_table = false;
      if (*first < 0 || *count < 0 || *first + *count > static_cast<int64_t>(table_.size()))
        throw EPDFError(kBadXref);
      for (int64_t number = *first; number < *first + *count; ++number)
        ReadXrefEntry(source_.ReadLine(position), table_[static_cast<size_t>(number)]);
    }
  }

  void ReadXrefEntry(std::string_view line, TXrefEntry& entry) const {
    TLineTokens tokens(line);
    const int64_t offset = NumberOr(tokens.Next(), kBadXref);
    const int64_t generation = NumberOr(tokens.Next(), kBadXref);
    const std::string_view type = tokens.Next();
    if (type != "f" && type != "n") throw EPDFError(kBadXref);
    const bool free = type == "f";
    if (generation < 0 || generation > kMaxGeneration ||
        (!free && (offset < 0 || offset >= source_.Size())))
      throw EPDFError(kBadXref);
    if (entry.offset != 0 && !entry.free) return;  // a newer section placed it
    entry.offset = offset;
    entry.generation = generation;
    entry.free = free;
  }

  void CheckEveryObjectPlaced() const {
    for (const TXrefEntry& entry : table_)
      if (!entry.free && entry.offset == 0) throw EPDFError(kMissingXref);
  }

  // The lines of an object in use, from its "n g obj" line through "endobj".
  std::vector<std::string> ObjectLines(int64_t number, const char* message) const {
    if (number <= 0 || number >= static_cast<int64_t>(table_.size())) throw EPDFError(message);
    const TXrefEntry& entry = table_[static_cast<size_t>(number)];
    if (entry.free) throw EPDFError(message);
    int64_t position = entry.offset;
    std::vector<std::string> lines{source_.ReadLine(position)};
    TLineTokens header(lines.front());
    if (ParseNumber(header.Next()) != number || ParseNumber(header.Next()) != entry.generation ||
        header.Next() != "obj")
      throw EPDFError(message);
    while (FirstToken(lines.back()) != "endobj") lines.push_back(source_.ReadLine(position));
    return lines;
  }

  static const std::string* KidsLine(const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
      if (FirstToken(line) == "/Kids") return &line;
    return nullptr;
  }

  void ReadPageTree() {
    for (const std::string& line : ObjectLines(root_, kNoPages))
      if (FirstToken(line) == "/Pages") pages_root_ = NumberOr(KeyValue(line), kNoPages);
    const std::vector<std::string> root_lines = ObjectLines(pages_root_, kNoPages);
    for (const std::string& line : root_lines)
      if (FirstToken(line) == "/Count") page_count_ = NumberOr(KeyValue(line), kBadPages);
    const std::string* kids = KidsLine(root_lines);
    if (!kids || page_count_ <= 0 || page_count_ >= static_cast<int64_t>(table_.size()))
      throw EPDFError(kBadPages);
    pages_ = PagesInOrder(ParseKids(pages_root_, *kids));
  }

  std::vector<int64_t> ParseKids(int64_t node, std::string_view line) {
    const size_t bracket = line.find('[');
    if (bracket == std::string_view::npos) throw EPDFError(kBadPages);
    TLineTokens tokens(line, bracket + 1);
    std::vector<int64_t> kids;
    while (!tokens.AtEnd() && line[tokens.Position()] != ']') {
      const std::string_view number = tokens.Next();
      if (number == "]") break;
      const std::optional<int64_t> kid = ParseNumber(number);
      const std::string_view generation = tokens.Next();
      const std::string_view r = tokens.Next();
      if (!kid || generation != "0" || (r != "R" && r != "R]")) throw EPDFError(kBadPages);
      if (r == "R]") tokens.SetPosition(tokens.Position() - (tokens.AtEnd() ? 1 : 2));
      if (*kid <= 0 || *kid >= static_cast<int64_t>(table_.size()) ||
          static_cast<int64_t>(kids.size()) == page_count_)
        throw EPDFError(kBadPages);
      table_[static_cast<size_t>(*kid)].parent = node;
      kids.push_back(*kid);
    }
    return kids;
  }

  // Walks the tree level by level; the last level holds the pages in document order.
  std::vector<int64_t> PagesInOrder(std::vector<int64_t> level) {
    std::set<int64_t> nodes{pages_root_};
    for (bool found_node = true; found_node;) {
      found_node = false;
      std::vector<int64_t> next;
      for (const int64_t object : level) {
        const std::vector<std::string> lines = ObjectLines(object, kBadPages);
        const std::string* kids = KidsLine(lines);
        if (!kids) {
          next.push_back(object);
          continue;
        }
        if (!nodes.insert(object).second) throw EPDFError(kBadPages);  // a loop in the tree
        const std::vector<int64_t> children = ParseKids(object, *kids);
        next.insert(next.end(), children.begin(), children.end());
        found_node = true;
      }
      if (static_cast<int64_t>(next.size()) > page_count_) throw EPDFError(kBadPages);
      level = std::move(next);
    }
    if (static_cast<int64_t>(level.size()) != page_count_) throw EPDFError(kBadPages);
    return level;
  }

  std::vector<uint8_t> WriteUpdate() {
    const int64_t new_page = static_cast<int64_t>(table_.size());
    const int64_t page_number =
        position_ <= 0 || position_ > page_count_ ? page_count_ + 1 : position_;
    const int64_t previous = page_number >= 2 ? pages_[static_cast<size_t>(page_number - 2)] : 0;
    const int64_t parent = table_[static_cast<size_t>(previous ? previous : pages_.front())].parent;

    TPdfText out(source_.Size());
    if (!source_.EndsWithLineEnd()) out.Line("");
    RewriteNode(out, parent, [&](std::string& line) { InsertKid(line, previous, new_page); });
    for (int64_t node = parent; node != pages_root_;) {
      node = table_[static_cast<size_t>(node)].parent;
      RewriteNode(out, node, [](std::string&) {});
    }
    const TPageNumbers numbers{new_page, parent, "/Im" + std::to_string(new_page + 10000)};
    for (const int64_t offset : WritePageObjects(out, page_, numbers))
      table_.push_back(TXrefEntry{offset, 0, false, parent, true});
    WriteXrefAndTrailer(out);
    return out.Bytes();
  }

  template <typename KidsEdit>
  void RewriteNode(TPdfText& out, int64_t node, KidsEdit edit_kids) {
    TXrefEntry& entry = table_[static_cast<size_t>(node)];
    std::vector<std::string> lines = ObjectLines(node, kBadPages);
    entry.offset = out.Offset();
    entry.updated = true;
    bool kids_done = false;
    for (std::string& line : lines) {
      const std::string_view key = FirstToken(line);
      if (key == "/Kids" && !kids_done) {
        edit_kids(line);
        kids_done = true;
      } else if (key == "/Count") {
        line = "/Count " + std::to_string(NumberOr(KeyValue(line), kBadPages) + 1);
      }
      out.Line(line);
    }
  }

  // Puts the new page's reference after the previous page's, or first when there is none.
  static void InsertKid(std::string& line, int64_t previous, int64_t new_page) {
    if (previous == 0) {
      const size_t bracket = line.find('[');
      const bool spaced = bracket + 1 < line.size() && line[bracket + 1] == ' ';
      line.insert(bracket + 1, " " + Reference(new_page) + (spaced ? "" : " "));
      return;
    }
    // The search ends with the line: a parent that does not list the page is refused.
    const std::string number = std::to_string(previous);
    TLineTokens tokens(line);
    for (std::string_view token;;) {
      if (tokens.AtEnd()) throw EPDFError(kBadPages);
      token = tokens.Next();
      if (token == number || token == "[" + number) break;
    }
    const std::string_view generation = tokens.Next();
    const std::string_view r = tokens.Next();
    if (generation != "0" || (r != "R" && r != "R]")) throw EPDFError(kBadPages);
    const size_t at = tokens.Position();
    if (r == "R]") {  // the reference closes the array: the new one goes before the bracket
      line.insert(line.rfind(']', at), " " + Reference(new_page));
    } else if (line[at - 1] == ' ') {
      line.insert(at, Reference(new_page) + " ");
    } else {
      line.insert(at, " " + Reference(new_page) + " ");
    }
  }

  void WriteXrefAndTrailer(TPdfText& out) const {
    const int64_t xref = out.Offset();
    out.Line("xref");
    out.Line("0 1");
    out.Line(kFreeHeadEntry);
    const int64_t size = static_cast<int64_t>(table_.size());
    for (int64_t first = 1; first < size;) {
      if (!table_[static_cast<size_t>(first)].updated) {
        ++first;
        continue;
      }
      int64_t end = first;
      while (end < size && table_[static_cast<size_t>(end)].updated) ++end;
      out.Line(std::to_string(first) + " " + std::to_string(end - first));
      for (int64_t number = first; number < end; ++number) {
        const TXrefEntry& entry = table_[static_cast<size_t>(number)];
        out.Line(XrefEntry(entry.offset, entry.generation));
      }
      first = end;
    }
    out.Line("trailer");
    out.Line("<< ");
    out.Line("/Size " + std::to_string(size));
    out.Line("/Root " + std::to_string(root_) + " " + std::to_string(GenerationOf(root_)) + " R");
    if (info_ != 0)
      out.Line("/Info " + std::to_string(info_) + " " + std::to_string(GenerationOf(info_)) + " R");
    out.Line("/Prev " + std::to_string(previous_xref_));
    out.Line(">> ");
    out.Line("startxref");
    out.Line(std::to_string(xref));
    out.Line("%%EOF");
  }

  int64_t GenerationOf(int64_t number) const {
    if (number <= 0 || number >= static_cast<int64_t>(table_.size())) return 0;
    return table_[static_cast<size_t>(number)].generation;
  }

  TPdfSource source_;
  const TPDFImage& page_;
  int position_;
  bool linearised_ = false;
  std::vector<TXrefEntry> table_;
  int64_t size_ = 0, prev_ = 0, start_xref_ = 0;
  int64_t root_ = 0, info_ = 0;
  int64_t previous_xref_ = 0;
  int64_t pages_root_ = 0, page_count_ = 0;
  std::vector<int64_t> pages_;
};

}  // namespace

void TicPDF::AppendPage(plat::TMemoryStream& source, int position) const {
  const TPDFImage* page = pages_.Items(1);
  if (!page) throw EPDFError("No page to append");
  const std::vector<uint8_t> update = TAppender(source.Bytes(), *page, position).BuildUpdate();
  source.Seek(0, plat::SeekOrigin::End);
  source.WriteBuffer(update.data(), static_cast<int64_t>(update.size()));
}

void TicPDF::InsertIntoFile(const std::string& source, const std::string& dest,
                            int position) const {
  if (!plat::FileExists(source)) return;
  plat::TMemoryStream document(plat::ReadWholeFile(source));
  AppendPage(document, position);
  plat::WriteFileReplacing(dest, [&document](plat::TStream& out) {
    out.WriteBuffer(document.Memory(), document.Size());
  });
}

}  // namespace pictavo
