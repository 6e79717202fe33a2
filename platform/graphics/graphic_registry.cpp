#include "platform/graphics/graphic_registry.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>

namespace plat {

namespace {

struct Registry {
  std::mutex lock;
  std::map<std::string, TGraphicClass> byExtension;
  std::map<uint16_t, TGraphicClass> byClipboard;
};

Registry& Classes() {
  static Registry registry;
  return registry;
}

std::string ExtensionKey(std::string extension) {
  if (!extension.empty() && extension.front() == '.') extension.erase(0, 1);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return extension;
}

template <class Key>
void EraseClass(std::map<Key, TGraphicClass>& table, const std::string& className) {
  std::erase_if(table, [&](const auto& entry) { return entry.second.ClassName == className; });
}

}  // namespace

void RegisterFileFormat(const std::string& extension, const std::string& description,
                        const std::string& className, TGraphicFactory create) {
  Registry& registry = Classes();
  std::lock_guard guard(registry.lock);
  const std::string key = ExtensionKey(extension);
  registry.byExtension[key] = {key, description, className, std::move(create)};
}

void RegisterClipboardClass(uint16_t format, const std::string& className, TGraphicFactory create) {
  Registry& registry = Classes();
  std::lock_guard guard(registry.lock);
  registry.byClipboard[format] = {"", "", className, std::move(create)};
}

void UnregisterGraphicClass(const std::string& className) {
  Registry& registry = Classes();
  std::lock_guard guard(registry.lock);
  EraseClass(registry.byExtension, className);
  EraseClass(registry.byClipboard, className);
}

const TGraphicClass* GraphicClassForExtension(const std::string& extension) {
  Registry& registry = Classes();
  std::lock_guard guard(registry.lock);
  auto found = registry.byExtension.find(ExtensionKey(extension));
  return found == registry.byExtension.end() ? nullptr : &found->second;
}

const TGraphicClass* GraphicClassForClipboard(uint16_t format) {
  Registry& registry = Classes();
  std::lock_guard guard(registry.lock);
  auto found = registry.byClipboard.find(format);
  return found == registry.byClipboard.end() ? nullptr : &found->second;
}

}  // namespace plat
