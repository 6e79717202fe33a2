#include "platform/com/errorinfo.h"

#include <cstdio>

#include "platform/base/text.h"
#include "platform/com/object.h"

namespace plat::com {
namespace {

thread_local ComPtr<IErrorInfo> t_error_info;

class ErrorInfo final : public ComObject<ErrorInfo, IErrorInfo, ICreateErrorInfo> {
 public:
  HRESULT GetGUID(GUID* guid) override { return guid ? (*guid = guid_, S_OK) : E_POINTER; }
  HRESULT GetSource(BSTR* s) override { return Hand(source_, s); }
  HRESULT GetDescription(BSTR* s) override { return Hand(description_, s); }
  HRESULT GetHelpFile(BSTR* s) override { return Hand(help_file_, s); }
  HRESULT GetHelpContext(uint32_t* c) override {
    return c ? (*c = help_context_, S_OK) : E_POINTER;
  }

  HRESULT SetGUID(const GUID& guid) override { return guid_ = guid, S_OK; }
  HRESULT SetSource(const char16_t* s) override { return Keep(source_, s); }
  HRESULT SetDescription(const char16_t* s) override { return Keep(description_, s); }
  HRESULT SetHelpFile(const char16_t* s) override { return Keep(help_file_, s); }
  HRESULT SetHelpContext(uint32_t c) override { return help_context_ = c, S_OK; }

 private:
  static HRESULT Hand(const std::u16string& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = BstrFromUtf16(text);
    return S_OK;
  }
  static HRESULT Keep(std::u16string& field, const char16_t* s) {
    field = s ? s : u"";
    return S_OK;
  }

  GUID guid_;
  std::u16string source_, description_, help_file_;
  uint32_t help_context_ = 0;
};

std::string TakeText(IErrorInfo* info, HRESULT (IErrorInfo::*get)(BSTR*)) {
  Bstr text;
  if (info && Succeeded((info->*get)(text.Out()))) return text.Utf8();
  return {};
}

}  // namespace

EOleSysError::EOleSysError(HRESULT code)
    : Exception([code] {
        char buf[48];
        std::snprintf(buf, sizeof buf, "OLE error %08X", static_cast<uint32_t>(code));
        return std::string(buf);
      }()),
      code_(code) {}

HRESULT CreateErrorInfo(ICreateErrorInfo** info) {
  if (!info) return E_POINTER;
  *info = MakeObject<ErrorInfo>().Detach();
  return S_OK;
}

HRESULT SetErrorInfo(uint32_t, IErrorInfo* info) {
  t_error_info = ComPtr<IErrorInfo>(info);
  return S_OK;
}

HRESULT GetErrorInfo(uint32_t, IErrorInfo** info) {
  if (!info) return E_POINTER;
  *info = t_error_info.Detach();
  return *info ? S_OK : S_FALSE;
}

void SetErrorInfoText(const IID& iid, std::u16string_view source, std::u16string_view description,
                      std::u16string_view helpFile, uint32_t helpContext) {
  auto info = MakeObject<ErrorInfo>();
  info->SetGUID(iid);
  info->SetSource(std::u16string(source).c_str());
  info->SetDescription(std::u16string(description).c_str());
  info->SetHelpFile(std::u16string(helpFile).c_str());
  info->SetHelpContext(helpContext);
  SetErrorInfo(0, info.As<IErrorInfo>().Get());
}

void ClearExcepInfo(EXCEPINFO* info) {
  if (!info) return;
  SysFreeString(info->bstrSource);
  SysFreeString(info->bstrDescription);
  SysFreeString(info->bstrHelpFile);
  *info = EXCEPINFO{};
}

void FillExcepInfoFromErrorInfo(EXCEPINFO* info, HRESULT code) {
  ComPtr<IErrorInfo> error;
  GetErrorInfo(0, error.Out());
  ClearExcepInfo(info);
  info->scode = code;
  if (!error) return;
  error->GetSource(&info->bstrSource);
  error->GetDescription(&info->bstrDescription);
  error->GetHelpFile(&info->bstrHelpFile);
  error->GetHelpContext(&info->dwHelpContext);
}

EOleException MakeOleException(HRESULT code, const EXCEPINFO* excepInfo) {
  if (code == DISP_E_EXCEPTION && excepInfo) {
    EXCEPINFO filled = *excepInfo;
    if (filled.pfnDeferredFillIn) filled.pfnDeferredFillIn(&filled);
    const HRESULT scode = filled.scode != 0 ? filled.scode : code;
    return EOleException(BstrToUtf8(filled.bstrDescription), scode, BstrToUtf8(filled.bstrSource),
                         BstrToUtf8(filled.bstrHelpFile), filled.dwHelpContext);
  }
  ComPtr<IErrorInfo> error;
  GetErrorInfo(0, error.Out());
  std::string description = TakeText(error.Get(), &IErrorInfo::GetDescription);
  if (description.empty()) description = EOleSysError(code).what();
  uint32_t context = 0;
  if (error) error->GetHelpContext(&context);
  return EOleException(description, code, TakeText(error.Get(), &IErrorInfo::GetSource),
                       TakeText(error.Get(), &IErrorInfo::GetHelpFile), context);
}

std::u16string ExceptionText(std::string_view message) {
  return Utf8ToUtf16(TextBytesToUtf8(message));
}

void OleCheck(HRESULT hr) {
  if (Failed(hr)) throw MakeOleException(hr);
}

}  // namespace plat::com
