#include "platform/registry/registry.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>

#include "platform/base/numbers.h"
#include "platform/base/streams.h"
#include "platform/base/text.h"

namespace plat::registry {
namespace {

bool SamePath(std::string_view a, std::string_view b) {
  return a.size() == b.size() && SameTextIgnoringCase(a, b);
}

// FNV-1a over the case-folded characters.
constexpr uint64_t kHashStart = 14695981039346656037ull;

uint64_t HashStep(uint64_t hash, char c) {
  return (hash ^ AsciiLower(static_cast<unsigned char>(c))) * 1099511628211ull;
}

uint64_t PathHash(std::string_view path) {
  uint64_t hash = kHashStart;
  for (char c : path) hash = HashStep(hash, c);
  return hash;
}

std::string Quote(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    if (c == '\n') {
      out += "\\n";
      continue;
    }
    out += c;
  }
  return out + "\"";
}

// Reads a quoted string starting at pos (at the opening quote); false when unterminated.
bool Unquote(std::string_view line, size_t& pos, std::string& out) {
  if (pos >= line.size() || line[pos] != '"') return false;
  out.clear();
  for (++pos; pos < line.size(); ++pos) {
    char c = line[pos];
    if (c == '"') {
      ++pos;
      return true;
    }
    if (c == '\\' && pos + 1 < line.size()) {
      c = line[++pos];
      if (c == 'n') c = '\n';
    }
    out += c;
  }
  return false;
}

bool ParseValueLine(std::string_view line, std::string& name, Value& value) {
  size_t pos = 0;
  if (line.starts_with("@")) {
    name.clear();
    pos = 1;
  } else if (!Unquote(line, pos, name)) {
    return false;
  }
  if (pos >= line.size() || line[pos] != '=') return false;
  ++pos;
  std::string text;
  if (Unquote(line, pos, text)) {
    if (pos != line.size()) return false;
    value = text;
    return true;
  }
  const std::string_view rest = line.substr(pos);
  if (!rest.starts_with("dword:") || rest.size() != 14) return false;
  uint32_t n = 0;
  for (char c : rest.substr(6)) {
    const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (d < 0) return false;
    n = n * 16 + static_cast<uint32_t>(d);
  }
  value = n;
  return true;
}

std::string Join(Root root, std::string_view path) {
  std::string full = RootName(root);
  while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  if (!path.empty()) full += "\\" + std::string(path);
  return full;
}

// The process's view of the file, reloaded when the file changed under it.
class FileStore {
 public:
  template <class F>
  auto Read(F&& f) {
    std::lock_guard lock(mutex_);
    Refresh();
    return f(static_cast<const Tree&>(tree_));
  }
  template <class F>
  auto Change(F&& f) {
    std::lock_guard lock(mutex_);
    Refresh();
    auto result = f(tree_);
    Save();
    return result;
  }

 private:
  struct Stamp {
    bool exists = false;
    int64_t size = 0, mtime_ns = 0, inode = 0;
    bool operator==(const Stamp&) const = default;
  };

  static Stamp StampOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    return {true, st.st_size, int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec,
            static_cast<int64_t>(st.st_ino)};
  }

  void Refresh() {
    const std::string path = StorePath();
    const Stamp stamp = StampOf(path);
    if (path == path_ && stamp == stamp_) return;
    path_ = path;
    stamp_ = stamp;
    tree_ = Tree();
    if (stamp.exists) {
      const std::vector<uint8_t> bytes = ReadWholeFile(path);
      tree_ =
          Tree::Parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
  }

  void Save() {
    std::filesystem::create_directories(std::filesystem::path(path_).parent_path());
    const std::string text = tree_.Serialize();
    WriteFileReplacing(
        path_, [&](TStream& s) { s.WriteBuffer(text.data(), static_cast<int64_t>(text.size())); });
    stamp_ = StampOf(path_);
  }

  std::mutex mutex_;
  std::string path_;
  Stamp stamp_;
  Tree tree_;
};

FileStore& Store() {
  static FileStore store;
  return store;
}

}  // namespace

std::string RootName(Root root) {
  switch (root) {
    case Root::ClassesRoot:
      return "HKEY_CLASSES_ROOT";
    case Root::CurrentUser:
      return "HKEY_CURRENT_USER";
    default:
      return "HKEY_LOCAL_MACHINE";
  }
}

std::string StorePath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::string base;
  if (config && *config) {
    base = config;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home ? home : ".") + "/.config";
  }
  return base + "/velmora/registry";
}

// ---- Tree --------------------------------------------------------------------------------------

Tree Tree::Parse(std::string_view text) {
  Tree tree;
  Key* current = nullptr;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      const std::string_view path = line.substr(1, line.size() - 2);
      tree.Create(path);
      current = tree.FindKey(path);
      continue;
    }
    std::string name;
    Value value;
    if (current && ParseValueLine(line, name, value)) tree.Set(current->path, name, value);
  }
  return tree;
}

std::string Tree::Serialize() const {
  std::string out = "Velmora registry\n";
  for (const Key& key : keys_) {
    out += "\n[" + key.path + "]\n";
    for (const auto& [name, value] : key.values) {
      out += name.empty() ? "@" : Quote(name);
      out += '=';
      if (const auto* text = std::get_if<std::string>(&value)) {
        out += Quote(*text);
      } else {
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08x", std::get<uint32_t>(value));
        out += buf;
      }
      out += '\n';
    }
  }
  return out;
}

Tree::Key* Tree::FindKey(std::string_view path) {
  return FindKey(path, PathHash(path));
}

Tree::Key* Tree::FindKey(std::string_view path, uint64_t hash) {
  const auto [first, last] = index_.equal_range(hash);
  for (auto it = first; it != last; ++it)
    if (SamePath(keys_[it->second].path, path)) return &keys_[it->second];
  return nullptr;
}

void Tree::AddKey(std::string_view path, uint64_t hash) {
  index_.emplace(hash, keys_.size());
  keys_.push_back(Key{std::string(path), {}});
}

void Tree::Reindex() {
  index_.clear();
  for (size_t i = 0; i < keys_.size(); ++i) index_.emplace(PathHash(keys_[i].path), i);
}

const Tree::Key* Tree::FindKey(std::string_view path) const {
  return const_cast<Tree*>(this)->FindKey(path);
}

bool Tree::Exists(std::string_view path) const {
  return FindKey(path) != nullptr;
}

void Tree::Create(std::string_view path) {
  if (path.empty()) return;
  // Every level of the path (each prefix ending before a backslash, then the whole path) with
  // its hash, from one pass.
  std::vector<std::pair<size_t, uint64_t>> levels;
  uint64_t hash = kHashStart;
  for (size_t pos = 0; pos < path.size(); ++pos) {
    if (path[pos] == '\\' && pos > 0) levels.emplace_back(pos, hash);
    hash = HashStep(hash, path[pos]);
  }
  levels.emplace_back(path.size(), hash);
  // An existing key has all its parents, so only the levels below the deepest existing one are
  // new. Looking up a missing level rarely compares any text, so the walk stays linear.
  size_t first_new = levels.size();
  while (first_new > 0 &&
         !FindKey(path.substr(0, levels[first_new - 1].first), levels[first_new - 1].second))
    --first_new;
  for (size_t i = first_new; i < levels.size(); ++i)
    AddKey(path.substr(0, levels[i].first), levels[i].second);
}

bool Tree::Delete(std::string_view path) {
  const size_t before = keys_.size();
  std::erase_if(keys_, [&](const Key& k) {
    return SamePath(k.path, path) ||
           (k.path.size() > path.size() && k.path[path.size()] == '\\' &&
            SamePath(std::string_view(k.path).substr(0, path.size()), path));
  });
  Reindex();
  return keys_.size() != before;
}

const Value* Tree::Find(std::string_view path, std::string_view name) const {
  const Key* k = FindKey(path);
  if (!k) return nullptr;
  for (const auto& [n, v] : k->values)
    if (SamePath(n, name)) return &v;
  return nullptr;
}

void Tree::Set(std::string_view path, std::string_view name, const Value& value) {
  Create(path);
  Key* k = FindKey(path);
  for (auto& [n, v] : k->values)
    if (SamePath(n, name)) {
      v = value;
      return;
    }
  k->values.emplace_back(std::string(name), value);
}

bool Tree::Remove(std::string_view path, std::string_view name) {
  Key* k = FindKey(path);
  if (!k) return false;
  return std::erase_if(k->values, [&](const auto& nv) { return SamePath(nv.first, name); }) > 0;
}

std::vector<std::string> Tree::Children(std::string_view path) const {
  std::vector<std::string> out;
  for (const Key& k : keys_) {
    if (k.path.size() <= path.size() + 1 || k.path[path.size()] != '\\' ||
        !SamePath(std::string_view(k.path).substr(0, path.size()), path))
      continue;
    const std::string_view rest = std::string_view(k.path).substr(path.size() + 1);
    if (rest.find('\\') == std::string_view::npos) out.emplace_back(rest);
  }
  return out;
}

std::vector<std::string> Tree::Names(std::string_view path) const {
  std::vector<std::string> out;
  if (const Key* k = FindKey(path))
    for (const auto& nv : k->values) out.push_back(nv.first);
  return out;
}

// ---- The process-wide functions ----------------------------------------------------------------

bool KeyExists(Root root, std::string_view path) {
  return Store().Read([&](const Tree& t) { return t.Exists(Join(root, path)); });
}

void CreateKey(Root root, std::string_view path) {
  Store().Change([&](Tree& t) { return t.Create(Join(root, path)), true; });
}

bool DeleteKey(Root root, std::string_view path) {
  return Store().Change([&](Tree& t) { return t.Delete(Join(root, path)); });
}

std::optional<Value> ReadValue(Root root, std::string_view path, std::string_view name) {
  return Store().Read([&](const Tree& t) -> std::optional<Value> {
    const Value* v = t.Find(Join(root, path), name);
    return v ? std::optional<Value>(*v) : std::nullopt;
  });
}

std::optional<std::string> ReadString(Root root, std::string_view path, std::string_view name) {
  const auto v = ReadValue(root, path, name);
  if (!v || !std::holds_alternative<std::string>(*v)) return std::nullopt;
  return std::get<std::string>(*v);
}

void WriteValue(Root root, std::string_view path, std::string_view name, const Value& value) {
  Store().Change([&](Tree& t) { return t.Set(Join(root, path), name, value), true; });
}

void WriteString(Root root, std::string_view path, std::string_view name, std::string_view text) {
  WriteValue(root, path, name, Value(std::string(text)));
}

bool DeleteValue(Root root, std::string_view path, std::string_view name) {
  return Store().Change([&](Tree& t) { return t.Remove(Join(root, path), name); });
}

std::vector<std::string> SubKeyNames(Root root, std::string_view path) {
  return Store().Read([&](const Tree& t) { return t.Children(Join(root, path)); });
}

std::vector<std::string> ValueNames(Root root, std::string_view path) {
  return Store().Read([&](const Tree& t) { return t.Names(Join(root, path)); });
}

}  // namespace plat::registry
