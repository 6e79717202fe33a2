#include "control/formats/support/webprocs.h"

#include <cstdio>
#include <random>
#include <utility>

#include "platform/base/numbers.h"
#include "platform/net/http.h"
#include "platform/registry/registry.h"

namespace pictavo::webprocs {
namespace {

constexpr char kCrLf[] = "\r\n";
constexpr char kOctetStream[] = "application/octet-stream";

std::string ContentTypeOf(uint8_t format, const std::string& fileName) {
  switch (format) {
    case 0:
      return "image/bmp";
    case 1:
      return "image/gif";
    case 2:
      return "image/jpeg";
    case 4:
      return "image/tiff";
    case 5:
      return "image/png";
    case 7:
      return "image/vnd.wap.wbmp";
    case 8:
      return "application/pdf";
    default: {
      const size_t dot = fileName.rfind('.');
      return GetMIMEType(dot == std::string::npos ? std::string() : fileName.substr(dot));
    }
  }
}

uint16_t DefaultPort(const std::string& scheme) {
  if (scheme == "https") return 443;
  if (scheme == "http") return 80;
  if (scheme == "ftp") return 21;
  return 0;
}

bool IsSchemeChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' ||
         c == '-' || c == '.';
}

bool IsHostChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~' || c == '%' || c == '!' || c == '$' || c == '&' ||
         c == '\'' || c == '(' || c == ')' || c == '*' || c == '+' || c == ',' || c == ';' ||
         c == '=';
}

bool SplitHostPort(std::string_view hostPort, std::string& host, std::string& port) {
  if (hostPort.starts_with("[")) {  // an IPv6 literal
    const size_t close = hostPort.find(']');
    if (close == std::string_view::npos) return false;
    host = hostPort.substr(0, close + 1);
    hostPort.remove_prefix(close + 1);
    if (!hostPort.empty() && hostPort.front() != ':') return false;
    port = hostPort.empty() ? "" : hostPort.substr(1);
    return host.size() > 2;
  }
  const size_t colon = hostPort.rfind(':');
  host = hostPort.substr(0, colon);
  port = colon == std::string_view::npos ? "" : hostPort.substr(colon + 1);
  for (char c : host)
    if (!IsHostChar(c)) return false;
  return !host.empty();
}

// Bytes a request line cannot carry raw are escaped; escapes already there stay as they are.
std::string EscapeForRequest(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c <= 0x20 || c >= 0x7F || c == '"' || c == '<' || c == '>' || c == '\\' || c == '^' ||
        c == '`' || c == '{' || c == '|' || c == '}') {
      char buf[4];
      std::snprintf(buf, sizeof buf, "%%%02X", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

// The URL the transfer uses: without the URL's own credentials, the object name kept encoded.
std::string RequestUrl(const UrlParts& p) {
  std::string object = p.ObjectName();
  if (object.empty() || object.front() != '/') object = "/" + object;
  return p.scheme + "://" + p.host + ":" + std::to_string(p.port) + EscapeForRequest(object);
}

void Append(plat::TMemoryStream& s, const std::string& text) {
  s.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
}

}  // namespace

bool CrackURL(const std::string& url, UrlParts& parts) {
  const std::string full = url.find("://") == std::string::npos ? "http://" + url : url;
  const size_t schemeEnd = full.find("://");
  UrlParts p;
  p.scheme = full.substr(0, schemeEnd);
  if (p.scheme.empty() || p.scheme.size() > 32) return false;
  for (char& c : p.scheme) {
    if (!IsSchemeChar(c)) return false;
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  std::string_view rest = std::string_view(full).substr(schemeEnd + 3);
  const size_t authorityEnd = rest.find_first_of("/?#");
  std::string_view authority = rest.substr(0, authorityEnd);
  rest = authorityEnd == std::string_view::npos ? std::string_view() : rest.substr(authorityEnd);
  if (const size_t at = authority.rfind('@'); at != std::string_view::npos) {
    const std::string_view userInfo = authority.substr(0, at);
    const size_t colon = userInfo.find(':');
    p.user = userInfo.substr(0, colon);
    if (colon != std::string_view::npos) p.password = userInfo.substr(colon + 1);
    authority.remove_prefix(at + 1);
  }
  std::string port;
  if (!SplitHostPort(authority, p.host, port)) return false;
  if (port.empty()) {
    p.port = DefaultPort(p.scheme);
  } else {
    int32_t n = 0;
    if (port.find_first_not_of("0123456789") != std::string::npos || !plat::TryStrToInt(port, n) ||
        n < 1 || n > 65535)
      return false;
    p.port = static_cast<uint16_t>(n);
  }
  const size_t extraStart = rest.find_first_of("?#");
  p.path = rest.substr(0, extraStart);
  if (extraStart != std::string_view::npos) p.extra = rest.substr(extraStart);
  if (p.host.size() > 256 || p.user.size() > 128 || p.password.size() > 128 ||
      p.path.size() > 2048 || p.extra.size() > 2048)
    return false;
  parts = std::move(p);
  return true;
}

std::string GetMIMEType(const std::string& extension) {
  if (extension.size() <= 1) return kOctetStream;
  const std::string key = extension.front() == '.' ? extension : "." + extension;
  try {
    const auto type =
        plat::registry::ReadString(plat::registry::Root::ClassesRoot, key, "Content Type");
    return type && !type->empty() ? *type : kOctetStream;
  } catch (const std::exception&) {
    return kOctetStream;
  }
}

std::string MakeBoundary() {
  static std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<int> digit(0, 15);
  std::string out;
  for (int i = 0; i < 14; ++i) out += "0123456789abcdef"[digit(generator)];
  return out;
}

void BuildMultipartBody(plat::TMemoryStream& body, plat::TMemoryStream& imageData,
                        std::string& header, uint8_t format, const std::string& formVarName,
                        const std::string& fileName, const plat::TStringList& formFields) {
  BuildMultipartBodyWithBoundary(body, imageData, header,
                                 "---------------------------" + MakeBoundary(), format,
                                 formVarName, fileName, formFields);
}

void BuildMultipartBodyWithBoundary(plat::TMemoryStream& body, plat::TMemoryStream& imageData,
                                    std::string& header, const std::string& boundary,
                                    uint8_t format, const std::string& formVarName,
                                    const std::string& fileName,
                                    const plat::TStringList& formFields) {
  body.Clear();
  header = "Content-type: multipart/form-data; boundary=" + boundary;
  const std::string delimiter = "--" + boundary;
  for (int i = 0; i < formFields.Count(); ++i) {
    const std::string name = formFields.Names(i);
    Append(body, delimiter + kCrLf + "Content-Disposition: form-data; name=\"" + name + "\"" +
                     kCrLf + kCrLf + formFields.Values(name) + kCrLf);
  }
  if (imageData.Size() > 0) {
    Append(body, delimiter + kCrLf + "Content-Disposition: form-data; name=\"" + formVarName +
                     "\"; filename=\"" + fileName + "\"" + kCrLf +
                     "Content-Type: " + ContentTypeOf(format, fileName) + kCrLf + kCrLf);
    body.WriteBuffer(imageData.Memory(), imageData.Size());
    Append(body, kCrLf);
  }
  Append(body, delimiter + "--" + kCrLf);
  body.SetPosition(0);
}

bool HTTPPost(const std::string& url, const plat::TStringList& formFields,
              plat::TMemoryStream& imageData, int32_t& status, uint8_t format,
              const std::string& formVarName, const std::string& fileName) {
  imageData.SetPosition(0);
  UrlParts parts;
  if (!CrackURL(url, parts)) return false;
  plat::TMemoryStream body;
  std::string header;
  BuildMultipartBody(body, imageData, header, format, formVarName, fileName, formFields);
  if (parts.scheme != "http" && parts.scheme != "https") return false;
  plat::net::HttpRequest request;
  request.method = "POST";
  request.url = RequestUrl(parts);
  request.headers = {header};
  request.body = body.TakeBytes();
  const plat::net::HttpResponse response = plat::net::Perform(request);
  if (response.answered) status = response.status;
  return response.complete && response.status == 200;
}

bool HTTPGet(const std::string& url, const std::string& user, const std::string& password,
             int32_t& status, std::string& contentType, plat::TMemoryStream& data) {
  contentType.clear();
  data.Clear();
  UrlParts parts;
  if (!CrackURL(url, parts)) return false;
  if (parts.scheme != "http" && parts.scheme != "https") return false;
  plat::net::HttpRequest request;
  request.url = RequestUrl(parts);
  request.user = user;
  request.password = password;
  plat::net::HttpResponse response = plat::net::Perform(request);
  // Handed over, not copied: an answer near the size limit is held once.
  data = plat::TMemoryStream(std::move(response.body));
  contentType = response.contentType.substr(0, 255);
  status = response.status;
  return response.complete && response.status == 200;
}

}  // namespace pictavo::webprocs
