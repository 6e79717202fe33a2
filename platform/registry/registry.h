#pragma once
// The registry: a tree of keys holding named values (text or 32-bit numbers), kept in one file,
// $XDG_CONFIG_HOME/velmora/registry (~/.config when the variable is unset). Key and value names
// compare without regard to ASCII case; "" names a key's default value. Every call reads the
// file again when another process changed it, and every change is written at once, through a
// temporary file, so the regsvr tool and a program see each other's work.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

namespace plat::registry {

enum class Root { ClassesRoot, CurrentUser, LocalMachine };

using Value = std::variant<std::string, uint32_t>;

// The file the store lives in, from the environment at the time of the call.
std::string StorePath();

bool KeyExists(Root root, std::string_view path);
void CreateKey(Root root, std::string_view path);
// Deletes the key with all its subkeys; false when it did not exist.
bool DeleteKey(Root root, std::string_view path);

std::optional<Value> ReadValue(Root root, std::string_view path, std::string_view name);
// Text of a string value; nullopt when the key or value is missing or is a number.
std::optional<std::string> ReadString(Root root, std::string_view path, std::string_view name);
// Creates the key when missing.
void WriteValue(Root root, std::string_view path, std::string_view name, const Value& value);
void WriteString(Root root, std::string_view path, std::string_view name, std::string_view text);
bool DeleteValue(Root root, std::string_view path, std::string_view name);

// Immediate subkey names and value names, in the order they were created.
std::vector<std::string> SubKeyNames(Root root, std::string_view path);
std::vector<std::string> ValueNames(Root root, std::string_view path);

// The store in memory. Paths are full ("HKEY_CLASSES_ROOT\\CLSID\\{...}"). The file is text:
//   [HKEY_CLASSES_ROOT\CLSID\{...}\InprocServer32]
//   @="/usr/lib/x.so"
//   "ThreadingModel"="Apartment"
//   "Count"=dword:0000000a
// with \\ and \" escaped inside quotes. Lines that do not parse are skipped.
class Tree {
 public:
  static Tree Parse(std::string_view text);
  std::string Serialize() const;

  bool Exists(std::string_view path) const;
  void Create(std::string_view path);
  bool Delete(std::string_view path);
  const Value* Find(std::string_view path, std::string_view name) const;
  void Set(std::string_view path, std::string_view name, const Value& value);
  bool Remove(std::string_view path, std::string_view name);
  std::vector<std::string> Children(std::string_view path) const;
  std::vector<std::string> Names(std::string_view path) const;
  size_t KeyCount() const { return keys_.size(); }

 private:
  struct Key {
    std::string path;
    std::vector<std::pair<std::string, Value>> values;
  };
  Key* FindKey(std::string_view path);
  const Key* FindKey(std::string_view path) const;
  Key* FindKey(std::string_view path, uint64_t hash);
  void AddKey(std::string_view path, uint64_t hash);
  void Reindex();

  std::vector<Key> keys_;
  // Each key's position in keys_ under the hash of its case-folded path. The hash of a path is
  // the running state of one pass over it, so a single pass gives the hash of every ancestor
  // too: creating a key costs time linear in its path, however deep it is.
  std::unordered_multimap<uint64_t, size_t> index_;
};

std::string RootName(Root root);

}  // namespace plat::registry
