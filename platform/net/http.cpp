#include "platform/net/http.h"

#include <curl/curl.h>
#include <sys/mman.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "platform/graphics/pixel_budget.h"

namespace plat::net {
namespace {

std::mutex g_timeouts_mutex;
Timeouts g_timeouts;

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Body bytes beyond what the answer announced, in blocks of their own mapping, so each block goes
// back to the system as soon as it is copied into the body: the body never needs twice its size.
class TBodyBlocks {
 public:
  TBodyBlocks() = default;
  TBodyBlocks(const TBodyBlocks&) = delete;
  TBodyBlocks& operator=(const TBodyBlocks&) = delete;
  ~TBodyBlocks() {
    for (const TBlock& block : blocks_) ::munmap(block.bytes, kBlockBytes);
  }

  bool empty() const { return blocks_.empty(); }
  int64_t size() const { return size_; }

  bool Append(const char* data, size_t count) {
    while (count > 0) {
      if (blocks_.empty() || blocks_.back().used == kBlockBytes) {
        void* bytes = ::mmap(nullptr, kBlockBytes, PROT_READ | PROT_WRITE,
                             MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (bytes == MAP_FAILED) return false;
        blocks_.push_back({static_cast<uint8_t*>(bytes), 0});
      }
      TBlock& block = blocks_.back();
      const size_t n = std::min(count, kBlockBytes - block.used);
      std::memcpy(block.bytes + block.used, data, n);
      block.used += n;
      size_ += static_cast<int64_t>(n);
      data += n;
      count -= n;
    }
    return true;
  }

  void MoveInto(std::vector<uint8_t>& body) {
    body.reserve(body.size() + static_cast<size_t>(size_));
    for (const TBlock& block : blocks_) {
      body.insert(body.end(), block.bytes, block.bytes + block.used);
      ::munmap(block.bytes, kBlockBytes);
    }
    blocks_.clear();
    size_ = 0;
  }

 private:
  static constexpr size_t kBlockBytes = size_t{4} << 20;
  struct TBlock {
    uint8_t* bytes;
    size_t used;
  };
  std::vector<TBlock> blocks_;
  int64_t size_ = 0;
};

struct BodySink {
  BodySink(std::vector<uint8_t>& body, int64_t limit, CURL* curl)
      : body(body), limit(limit), curl(curl) {}

  std::vector<uint8_t>& body;
  int64_t limit;
  CURL* curl;
  bool sized = false;  // the body was reserved for the announced length, or could not be
  TBodyBlocks beyond;
  bool overflowed = false;
  bool out_of_memory = false;

  int64_t Received() const { return static_cast<int64_t>(body.size()) + beyond.size(); }
};

// The body is reserved once for the length the answer announces, when that is within the limit;
// what does not fit goes to blocks joined to it at the end. Taking fewer bytes than offered
// makes libcurl end the transfer.
size_t CollectBody(char* data, size_t size, size_t count, void* out) {
  auto* sink = static_cast<BodySink*>(out);
  const size_t bytes = size * count;
  if (sink->Received() + static_cast<int64_t>(bytes) > sink->limit) {
    sink->overflowed = true;
    return 0;
  }
  if (!sink->sized) {
    sink->sized = true;
    curl_off_t length = -1;
    if (curl_easy_getinfo(sink->curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK &&
        length > 0 && length <= sink->limit)
      sink->body.reserve(static_cast<size_t>(length));
  }
  if (sink->beyond.empty() && sink->body.size() + bytes <= sink->body.capacity()) {
    sink->body.insert(sink->body.end(), data, data + bytes);
  } else if (!sink->beyond.Append(data, bytes)) {
    sink->out_of_memory = true;
    return 0;
  }
  return bytes;
}

int64_t BodyLimit(const Timeouts& t) {
  return t.maxBodyBytes > 0 ? t.maxBodyBytes : PixelBudget();
}

// Watches the pace of a transfer: the bytes moved in the last window, and the time taken overall.
class TPace {
 public:
  enum class Stop { None, Slow, TooLong };
  using Clock = std::chrono::steady_clock;

  TPace(const Timeouts& t, CURL* curl) : t_(t), curl_(curl), start_(Clock::now()) {}
  Stop Stopped() const { return stopped_; }

  // libcurl calls this at least once a second; true ends the transfer.
  bool Stop(int64_t moved) {
    const Clock::time_point now = Clock::now();
    if (t_.totalSeconds > 0 && now - start_ >= std::chrono::seconds(t_.totalSeconds)) {
      stopped_ = Stop::TooLong;
      return true;
    }
    if (t_.lowSpeedBytes <= 0 || t_.lowSpeedSeconds <= 0 || !Connected()) return false;
    if (samples_.empty()) connected_at_ = now;
    // Samples a tenth of a second apart at the closest keep the list short on a fast transfer.
    if (samples_.empty() || now - samples_.back().first >= std::chrono::milliseconds(100))
      samples_.emplace_back(now, moved);
    const Clock::time_point window_start = now - std::chrono::seconds(t_.lowSpeedSeconds);
    // The oldest sample kept is the last one at or before the window's start.
    while (samples_.size() >= 2 && samples_[1].first <= window_start) samples_.pop_front();
    if (connected_at_ > window_start) return false;
    if (moved - samples_.front().second >= int64_t{t_.lowSpeedBytes} * t_.lowSpeedSeconds)
      return false;
    stopped_ = Stop::Slow;
    return true;
  }

 private:
  bool Connected() const {
    curl_off_t connect_time = 0;
    return curl_easy_getinfo(curl_, CURLINFO_CONNECT_TIME_T, &connect_time) == CURLE_OK &&
           connect_time > 0;
  }

  const Timeouts t_;
  CURL* curl_;
  const Clock::time_point start_;
  Clock::time_point connected_at_;
  std::deque<std::pair<Clock::time_point, int64_t>> samples_;
  enum Stop stopped_ = Stop::None;
};

int WatchPace(void* pace, curl_off_t, curl_off_t downloaded, curl_off_t, curl_off_t uploaded) {
  return static_cast<TPace*>(pace)->Stop(downloaded + uploaded) ? 1 : 0;
}

// The transport error in words a user can act on where libcurl's own are vague.
std::string TransferError(CURLcode rc, const BodySink& sink, const TPace& pace, const Timeouts& t) {
  if (sink.overflowed || rc == CURLE_FILESIZE_EXCEEDED)
    return "The answer is larger than " + std::to_string(sink.limit) + " bytes";
  if (sink.out_of_memory) return "Out of memory";
  if (pace.Stopped() == TPace::Stop::Slow)
    return "The transfer was slower than " + std::to_string(t.lowSpeedBytes) +
           " bytes a second for " + std::to_string(t.lowSpeedSeconds) + " seconds";
  if (pace.Stopped() == TPace::Stop::TooLong)
    return "The transfer took longer than " + std::to_string(t.totalSeconds) + " seconds";
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
  BodySink sink{response.body, BodyLimit(t), c};
  TPace pace(t, c);
  curl_easy_setopt(c, CURLOPT_URL, request.url.c_str());
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, t.connectSeconds);
  curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &WatchPace);
  curl_easy_setopt(c, CURLOPT_XFERINFODATA, &pace);
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
  sink.beyond.MoveInto(response.body);
  long status = 0;
  curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
  response.answered = status != 0;
  response.status = static_cast<int32_t>(status);
  response.complete = rc == CURLE_OK;
  curl_off_t connectTime = 0;
  curl_easy_getinfo(c, CURLINFO_CONNECT_TIME_T, &connectTime);
  if (rc != CURLE_OK) response.error = TransferError(rc, sink, pace, t);
  response.unreachable = rc == CURLE_COULDNT_RESOLVE_HOST || rc == CURLE_COULDNT_RESOLVE_PROXY ||
                         rc == CURLE_COULDNT_CONNECT ||
                         (rc == CURLE_OPERATION_TIMEDOUT && connectTime == 0);
  const char* type = nullptr;
  if (curl_easy_getinfo(c, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type)
    response.contentType = type;
  return response;
}

}  // namespace plat::net
