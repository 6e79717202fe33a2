#pragma once
// HTTP and HTTPS transfers on libcurl, blocking the calling thread. Certificates are verified;
// a connection that cannot be made in time, a transfer that stalls or trickles, or an answer
// larger than any image the program could hold, ends with an error instead of freezing the
// program or filling its memory. Redirects are not followed: a 3xx answer is the result.
#include <cstdint>
#include <string>
#include <vector>

namespace plat::net {

struct Timeouts {
  long connectSeconds = 30;
  // A transfer that moves fewer than lowSpeedBytes a second on average over any lowSpeedSeconds
  // once connected is abandoned, however its bytes are spread over that time; 0 turns it off.
  long lowSpeedBytes = 512;
  long lowSpeedSeconds = 30;
  // The largest answer body taken; 0 means the pixel budget, the most any image may hold. The
  // body never takes much more memory than this.
  int64_t maxBodyBytes = 0;
  // A transfer not done after this long is abandoned, however fast it moves; 0 turns it off.
  long totalSeconds = 600;
};

// The limits every transfer keeps (tests lower them).
Timeouts DefaultTimeouts();
void SetDefaultTimeouts(const Timeouts& timeouts);

struct HttpRequest {
  std::string method = "GET";
  std::string url;                   // http or https only; carries no user name or password
  std::vector<std::string> headers;  // complete header lines without CR LF
  std::vector<uint8_t> body;
  std::string user, password;  // basic authentication when user is not empty
};

struct HttpResponse {
  bool answered = false;     // a status line arrived
  bool complete = false;     // the whole exchange finished without a transport error
  bool unreachable = false;  // the host's name did not resolve or no connection could be made
  int32_t status = 0;
  std::string contentType;
  std::vector<uint8_t> body;
  std::string error;  // the transport error, when there was one
};

// Performs the request. Never throws for network failures; they show in the response.
HttpResponse Perform(const HttpRequest& request);

}  // namespace plat::net
