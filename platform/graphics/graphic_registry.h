#pragma once
// The graphic classes the program can make by file extension or clipboard format: a codec
// registers its class when it is loaded, so a picture can pick the class for a file.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/graphics/graphic.h"

namespace plat {

using TGraphicFactory = std::function<std::unique_ptr<TGraphic>()>;

struct TGraphicClass {
  std::string Extension;    // upper case, without the point
  std::string Description;  // for file dialogs
  std::string ClassName;
  TGraphicFactory Create;
};

// Registers (or replaces) the class for an extension, matched without regard to case.
void RegisterFileFormat(const std::string& extension, const std::string& description,
                        const std::string& className, TGraphicFactory create);
// Registers the class that loads a clipboard format.
void RegisterClipboardClass(uint16_t format, const std::string& className, TGraphicFactory create);
// Takes a class out of both tables.
void UnregisterGraphicClass(const std::string& className);

// The class for an extension (with or without the point); nullptr when none is registered.
const TGraphicClass* GraphicClassForExtension(const std::string& extension);
// The class registered for a clipboard format; nullptr when none is.
const TGraphicClass* GraphicClassForClipboard(uint16_t format);

}  // namespace plat
