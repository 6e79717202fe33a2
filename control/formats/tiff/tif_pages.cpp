#include "control/formats/tiff/tif_pages.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>

#include "control/formats/support/webprocs.h"
#include "control/formats/tiff/tiff_file.h"
#include "platform/base/exceptions.h"
#include "platform/base/streams.h"

namespace pictavo {

namespace {

constexpr uint16_t kStripByteCountsTag = 279;

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

std::string Trim(const std::string& s) {
  size_t first = s.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

std::string WithTifExtension(const std::string& name) {
  std::string ext = Lower(std::filesystem::path(name).extension().string());
  return ext == ".tif" || ext == ".tiff" ? name : name + ".tif";
}

// How a walk along the chain of directories ended.
struct TIfdWalk {
  int32_t visited = 0;
  bool endedAtZero = false;  // a next-directory offset of 0, or one leading back into the chain
  bool looped = false;
  bool marked = false;      // a StripByteCounts entry of a type other than SHORT or LONG
  bool sumReached = false;  // the strip byte counts seen add up to the file size
  bool unreadable = false;  // a directory or offset outside the file
  uint64_t lastNextPosition = 4;
  uint32_t lastNextValue = 0;
};

// Sum of the directory's strip byte counts; `marked` when their type is not SHORT or LONG.
uint64_t StripByteTotal(const TTiffBytes& f, uint64_t ifd, bool& marked) {
  uint16_t entries = f.U16(ifd);
  for (uint32_t i = 0; i < entries; ++i) {
    TTiffEntry e = f.Entry(ifd, i);
    if (e.tag != kStripByteCountsTag) continue;
    if (e.type != kTypeShort && e.type != kTypeLong) {
      marked = true;
      return 0;
    }
    uint64_t at = f.Location(e);
    if (!f.Holds(at, uint64_t{e.count} * TypeSize(e.type))) throw plat::EReadError(kTiffTruncated);
    uint64_t sum = 0;
    for (uint32_t k = 0; k < e.count; ++k) sum += f.Value(e.type, at + k * TypeSize(e.type));
    return sum;
  }
  return 0;
}

// Follows the directories from the header; with stopBefore above 0 it stops before visiting
// directory number stopBefore. Every offset is visited once, so a cyclic chain ends.
TIfdWalk WalkIfds(const TTiffBytes& f, int32_t stopBefore) {
  TIfdWalk w;
  w.lastNextValue = f.U32(4);
  std::set<uint64_t> seen;
  uint64_t sum = 0;
  for (uint64_t ifd = w.lastNextValue;; ifd = w.lastNextValue) {
    if (stopBefore > 0 && w.visited + 1 >= stopBefore) break;
    if (ifd == 0) {
      w.endedAtZero = true;
      break;
    }
    if (ifd >= f.Size()) {
      w.unreadable = true;
      break;
    }
    if (!seen.insert(ifd).second) {
      w.endedAtZero = w.looped = true;
      break;
    }
    ++w.visited;
    try {
      sum += StripByteTotal(f, ifd, w.marked);
      w.lastNextPosition = f.NextIfdPosition(ifd);
      w.lastNextValue = f.U32(w.lastNextPosition);
    } catch (const plat::EReadError&) {
      w.unreadable = true;
      break;
    }
    if (w.marked) break;
    if (sum >= f.Size()) {
      w.sumReached = true;
      break;
    }
  }
  return w;
}

int32_t CountPages(TTiffBytes& f) {
  if (!f.ReadHeader()) throw plat::EInvalidGraphic("Data is not in TIFF format");
  TIfdWalk w = WalkIfds(f, 0);
  return std::max(0, w.visited - (w.endedAtZero ? 0 : 1));
}

// Index at which a page inserted as page `position` goes into `count` pages.
size_t InsertIndex(int32_t position, size_t count) {
  return position >= 1 ? std::min<size_t>(static_cast<size_t>(position) - 1, count) : count;
}

void PutLE32(std::vector<uint8_t>& bytes, uint64_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

void TTIFList::InsertPage(std::unique_ptr<TTIFImage> page, int32_t position) {
  pages_.insert(pages_.begin() + static_cast<ptrdiff_t>(InsertIndex(position, pages_.size())),
                std::move(page));
}

void TTIFList::AddPageFromFile(const std::string& fileName, int32_t pageNumber) {
  auto page = std::make_unique<TTIFImage>();
  page->PageNumber = pageNumber;
  page->LoadFromFile(fileName);
  InsertPage(std::move(page), 0);
}

TTIFImage* TTIFList::PageAt(int32_t index) const {
  if (index < 1 || index > Count()) return nullptr;
  return pages_[static_cast<size_t>(index) - 1].get();
}

namespace {

// The pages as one file, each directory linked to the next.
void WritePages(const std::vector<const TTIFImage*>& pages, plat::TStream& stream) {
  plat::TWriteWindow file(stream);
  const uint8_t header[8] = {'I', 'I', 42, 0, 8, 0, 0, 0};
  file.WriteBuffer(header, 8);
  for (size_t i = 0; i < pages.size(); ++i) {
    int64_t next = pages[i]->WriteIFD(file);
    if (i + 1 < pages.size()) {
      std::vector<uint8_t> end(4);
      PutLE32(end, 0, static_cast<uint32_t>(file.Size()));
      file.SetPosition(next);
      file.WriteBuffer(end.data(), 4);
    }
  }
}

}  // namespace

void SaveTIFListToStream(const TTIFList& list, plat::TStream& stream) {
  std::vector<const TTIFImage*> pages;
  for (int32_t i = 1; i <= list.Count(); ++i) pages.push_back(list.PageAt(i));
  WritePages(pages, stream);
}

void SaveTIFListToFile(const TTIFList& list, const std::string& fileName) {
  plat::WriteFileReplacing(fileName,
                           [&list](plat::TStream& out) { SaveTIFListToStream(list, out); });
}

void InsertTIFPage(const std::string& source, const std::string& dest, int32_t position,
                   const TTIFImage& page) {
  const std::string from = WithTifExtension(Trim(source));
  std::string to = Trim(dest);
  to = WithTifExtension(to.empty() ? from : to);
  if (!plat::FileExists(from)) {
    page.SaveToFile(to);
    return;
  }
  std::vector<uint8_t> bytes = plat::ReadWholeFile(from);
  TTiffBytes f(bytes);
  if (!f.ReadHeader()) throw plat::EInvalidGraphic("File is not TIFF format");

  if (f.BigEndian()) {
    // Pages are written little-endian; a big-endian file is rebuilt page by page instead.
    TTIFList list;
    for (int32_t n = 1, count = CountPages(f); n <= count; ++n) list.AddPageFromFile(from, n);
    std::vector<const TTIFImage*> pages;
    for (int32_t i = 1; i <= list.Count(); ++i) pages.push_back(list.PageAt(i));
    pages.insert(pages.begin() + static_cast<ptrdiff_t>(InsertIndex(position, pages.size())),
                 &page);
    plat::WriteFileReplacing(to, [&pages](plat::TStream& out) { WritePages(pages, out); });
    return;
  }

  TIfdWalk w = WalkIfds(f, position);
  if (w.marked || w.sumReached || w.unreadable || w.looped || w.lastNextValue >= f.Size())
    throw plat::EInvalidGraphic("Source file is corrupt");

  plat::TMemoryStream file(std::move(bytes));
  if (file.Size() & 1) {  // directories start on even offsets
    file.Seek(0, plat::SeekOrigin::End);
    file.WriteByte(0);
  }
  uint32_t newIfd = static_cast<uint32_t>(file.Size());
  std::vector<uint8_t> value(4);
  PutLE32(value, 0, newIfd);
  file.SetPosition(static_cast<int64_t>(w.lastNextPosition));
  file.WriteBuffer(value.data(), 4);
  int64_t next = page.WriteIFD(file);
  PutLE32(value, 0, w.lastNextValue);
  file.SetPosition(next);
  file.WriteBuffer(value.data(), 4);
  plat::WriteFileReplacing(
      to, [&file](plat::TStream& out) { out.WriteBuffer(file.Memory(), file.Size()); });
}

int32_t CountTIFPagesInStream(plat::TStream& stream) {
  stream.SetPosition(0);
  const std::vector<uint8_t> bytes = stream.ReadRest();
  TTiffBytes f(bytes);
  return CountPages(f);
}

int32_t CountTIFPages(const std::string& fileName, const std::string& userName,
                      const std::string& password) {
  const std::string scheme = Lower(fileName.substr(0, 8));
  if (scheme.rfind("http://", 0) != 0 && scheme.rfind("https://", 0) != 0) {
    const std::vector<uint8_t> bytes = plat::ReadWholeFile(fileName);
    TTiffBytes f(bytes);
    return CountPages(f);
  }
  plat::TMemoryStream data;
  int32_t status = 0;
  std::string contentType;
  bool fetched = false;
  try {
    fetched = webprocs::HTTPGet(fileName, userName, password, status, contentType, data);
  } catch (const plat::Exception&) {
  }
  if (!fetched) throw plat::EInvalidGraphic("Cannot access TIF file at given URL.");
  return CountTIFPagesInStream(data);
}

}  // namespace pictavo
