#pragma once
// Error information: each thread holds at most one error object, which a failing member installs
// (SetErrorInfo) and the caller takes (GetErrorInfo). SafeCall is the frame of every member: it
// turns an exception into E_UNEXPECTED (or the code an EOleSysError carries) plus error info.
#include <new>
#include <string>
#include <string_view>

#include "platform/base/exceptions.h"
#include "platform/com/bstr.h"
#include "platform/com/interfaces.h"

namespace plat::com {

// A failure that carries its own result code.
class EOleSysError : public plat::Exception {
 public:
  explicit EOleSysError(HRESULT code);
  EOleSysError(const std::string& message, HRESULT code) : Exception(message), code_(code) {}
  HRESULT ErrorCode() const { return code_; }

 private:
  HRESULT code_;
};

// A failed call seen from the caller's side, with what the callee's error info said.
class EOleException : public EOleSysError {
 public:
  EOleException(const std::string& message, HRESULT code, std::string source, std::string helpFile,
                uint32_t helpContext)
      : EOleSysError(message, code),
        source_(std::move(source)),
        help_file_(std::move(helpFile)),
        help_context_(helpContext) {}
  const std::string& Source() const { return source_; }
  const std::string& HelpFile() const { return help_file_; }
  uint32_t HelpContext() const { return help_context_; }

 private:
  std::string source_, help_file_;
  uint32_t help_context_;
};

HRESULT CreateErrorInfo(ICreateErrorInfo** info);
// Replaces the thread's error object (null clears it).
HRESULT SetErrorInfo(uint32_t reserved, IErrorInfo* info);
// Hands out the thread's error object and clears it; S_FALSE when there is none.
HRESULT GetErrorInfo(uint32_t reserved, IErrorInfo** info);

// Installs a new error object for this thread.
void SetErrorInfoText(const IID& iid, std::u16string_view source, std::u16string_view description,
                      std::u16string_view helpFile = {}, uint32_t helpContext = 0);

// Frees the strings of an EXCEPINFO and zeroes it.
void ClearExcepInfo(EXCEPINFO* info);
// Fills info from the thread's error object (taking it); scode is set to code.
void FillExcepInfoFromErrorInfo(EXCEPINFO* info, HRESULT code);
// The exception a caller raises for a failed call: from excepInfo when the call was a dispatch
// call that reported DISP_E_EXCEPTION, else from the thread's error object, else from the code.
EOleException MakeOleException(HRESULT code, const EXCEPINFO* excepInfo = nullptr);

// An exception's message as UTF-16: UTF-8 when valid, else Windows-1252.
std::u16string ExceptionText(std::string_view message);

// The member frame. body() runs; S_OK when it returns. An exception becomes error info with the
// given interface id and source and the exception's message; the result is the code of an
// EOleSysError when that code is negative, else E_UNEXPECTED.
template <class Body>
HRESULT SafeCall(const IID& iid, std::u16string_view source, Body&& body) noexcept {
  try {
    body();
    return S_OK;
  } catch (const EOleSysError& e) {
    SetErrorInfoText(iid, source, ExceptionText(e.what()));
    return e.ErrorCode() < 0 ? e.ErrorCode() : E_UNEXPECTED;
  } catch (const std::bad_alloc&) {
    SetErrorInfoText(iid, source, u"Out of memory");
    return E_UNEXPECTED;
  } catch (const std::exception& e) {
    SetErrorInfoText(iid, source, ExceptionText(e.what()));
    return E_UNEXPECTED;
  } catch (...) {
    SetErrorInfoText(iid, source, u"Unexpected failure");
    return E_UNEXPECTED;
  }
}

// Throws MakeOleException(hr) when hr is a failure.
void OleCheck(HRESULT hr);

}  // namespace plat::com
