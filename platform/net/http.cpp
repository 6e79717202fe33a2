#include "platform/net/http.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>
#include <string>

#include "platform/graphics/pixel_budget.h"

namespace plat::net {
namespace {

std::mutex g_timeouts_mutex;
Timeouts g_timeouts;

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct BodySink {
  std::vector<uint8_t>& body;
  int64_t limit;
  bool overflowed = false;
};

// Taking fewer bytes than offered makes libcurl end the transfer.
size_t CollectBody(char* data, size_t size, size_t count, void* out) {
  auto* sink = static_cast<BodySink*>(out);
  const size_t bytes = size * count;
  if (static_cast<int64_t>(sink->body.size() + bytes) > sink->limit) {
    sink->overflowed = true;
    return 0;
  }
  sink->body.insert(sink->body.end(), data, data + bytes);
  return bytes;
}

int64_t BodyLimit(const Timeouts& t) {
  return t.maxBodyBytes > 0 ? t.maxBodyBytes : PixelBudget();
}

// The transport error in words a user can act on where libcurl's own are vague.
std::string TransferError(CURLcode rc, const BodySink& sink, const Timeouts& t, bool connected) {
  if (sink.overflowed || rc == CURLE_FILESIZE_EXCEEDED)
    return "The answer is larger than " + std::to_string(sink.limit) + " bytes";
  if (rc == CURLE_OPERATION_TIMEDOUT && connected)
    return "The transfer was slower than " + std::to_string(t.lowSpeedBytes) +
           " bytes a second for " + std::to_string(t.lowSpeedSeconds) + " seconds";
  return curl_easy_strerror(rc);
}

struct CurlDeleter {
  void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
struct ListDeleter {
  void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

}  // namespace

Timeouts DefaultTimeouts() {
  std::lock_guard lock(g_timeouts_mutex);
  return g_timeouts;
}

void SetDefaultTimeouts(const Timeouts& timeouts) {
  std::lock_guard lock(g_timeouts_mutex);
  g_timeouts = timeouts;
}

HttpResponse Perform(const HttpRequest& request) {
  InitCurlOnce();
  HttpResponse response;
  std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
  if (!curl) {
    response.error = "cannot start a transfer";
    return response;
  }
  CURL* c = curl.get();
  const Timeouts t = DefaultTimeouts();
  BodySink sink{response.body, BodyLimit(t)};
  curl_easy_setopt(c, CURLOPT_URL, request.url.c_str());
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, t.connectSeconds);
  curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, t.lowSpeedBytes);
  curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, t.lowSpeedSeconds);
  curl_easy_setopt(c, CURLOPT_USERAGENT, "");
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &CollectBody);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &sink);
  curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(sink.limit));
  if (!request.user.empty()) {
    curl_easy_setopt(c, CURLOPT_HTTPAUTH, CURLAUTH_BASIC);
    curl_easy_setopt(c, CURLOPT_USERNAME, request.user.c_str());
    curl_easy_setopt(c, CURLOPT_PASSWORD, request.password.c_str());
  }
  std::unique_ptr<curl_slist, ListDeleter> headers;
  for (const std::string& h : request.headers)
    headers.reset(curl_slist_append(headers.release(), h.c_str()));
  // No "Expect: 100-continue" round trip before a body.
  if (request.method == "POST") headers.reset(curl_slist_append(headers.release(), "Expect:"));
  curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
  if (request.method == "POST") {
    curl_easy_setopt(c, CURLOPT_POST, 1L);
    curl_easy_setopt(c, CURLOPT_POSTFIELDS, request.body.data());
    curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
  } else {
    curl_easy_setopt(c, CURLOPT_HTTPGET, 1L);
    // Always from the server, never from a cache on the way.
    headers.reset(curl_slist_append(headers.release(), "Cache-Control: no-cache"));
    headers.reset(curl_slist_append(headers.release(), "Pragma: no-cache"));
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
  }

  const CURLcode rc = curl_easy_perform(c);
  long status = 0;
  curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
  response.answered = status != 0;
  response.status = static_cast<int32_t>(status);
  response.complete = rc == CURLE_OK;
  curl_off_t connectTime = 0;
  curl_easy_getinfo(c, CURLINFO_CONNECT_TIME_T, &connectTime);
  if (rc != CURLE_OK) response.error = TransferError(rc, sink, t, connectTime != 0);
  response.unreachable = rc == CURLE_COULDNT_RESOLVE_HOST || rc == CURLE_COULDNT_RESOLVE_PROXY ||
                         rc == CURLE_COULDNT_CONNECT ||
                         (rc == CURLE_OPERATION_TIMEDOUT && connectTime == 0);
  const char* type = nullptr;
  if (curl_easy_getinfo(c, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type)
    response.contentType = type;
  return response;
}

}  // namespace plat::net
