#pragma once
// The exception classes of the platform. Every message is part of the behaviour: callers across
// the COM boundary see it verbatim, so keep the texts exact.
#include <stdexcept>
#include <string>

namespace plat {

// The general exception class; every library error derives from it.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

#define VELMORA_EXCEPTION(Name, Base)                                   \
  class Name : public Base {                                           \
   public:                                                             \
    explicit Name(const std::string& message) : Base(message) {}      \
  }

VELMORA_EXCEPTION(EStreamError, Exception);
VELMORA_EXCEPTION(EReadError, EStreamError);
VELMORA_EXCEPTION(EWriteError, EStreamError);
VELMORA_EXCEPTION(EFOpenError, EStreamError);
VELMORA_EXCEPTION(EFCreateError, EStreamError);
VELMORA_EXCEPTION(EInvalidGraphic, Exception);
VELMORA_EXCEPTION(EInvalidGraphicOperation, Exception);
VELMORA_EXCEPTION(EConvertError, Exception);
VELMORA_EXCEPTION(EOutOfMemory, Exception);
VELMORA_EXCEPTION(EListError, Exception);

}  // namespace plat
