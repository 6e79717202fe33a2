#pragma once
// HTTP transfer of the control library: downloading a URL into memory and uploading an encoded
// image with form fields as a multipart/form-data POST. Both block the caller and raise no
// errors of their own: a failure gives False, and the status code tells what the server said.
//
// Differences from the platform this was first written for, all on purpose:
// - HTTPS certificates are verified (names and dates are never ignored);
// - escape sequences in the path and query are sent as they are, never decoded first;
// - redirects are not followed: a 3xx answer is reported (False, with its status);
// - a dead or stalled server ends the transfer after the platform's connect and low-speed limits.
#include <cstdint>
#include <string>

#include "platform/base/streams.h"
#include "platform/base/string_list.h"

namespace pictavo::webprocs {

// Upload format codes: 0 BMP, 1 GIF, 2 JPEG, 3 PCX, 4 TIFF, 5 PNG, 6 PSD, 7 WBMP, 8 PDF.
struct UrlParts {
  std::string scheme, host, user, password, path, extra;  // extra: query and fragment
  uint16_t port = 0;
  // The request's object name: the path followed directly by the extra part.
  std::string ObjectName() const { return path + extra; }
};

// A URL without "://" is read as "http://" + URL. Parts longer than the cracker's buffers
// (scheme 32, host 256, user 128, password 128, path 2048, extra 2048 characters) fail it.
bool CrackURL(const std::string& url, UrlParts& parts);

// The MIME type registered for an extension ("Content Type" of the key ".ext" under
// HKEY_CLASSES_ROOT); "application/octet-stream" when none is, or for an extension of at most
// one character.
std::string GetMIMEType(const std::string& extension);

// 14 random lower-case hexadecimal digits.
std::string MakeBoundary();

// Fills body (emptied first, left at position 0) and returns the header line in header.
void BuildMultipartBody(plat::TMemoryStream& body, plat::TMemoryStream& imageData,
                        std::string& header, uint8_t format, const std::string& formVarName,
                        const std::string& fileName, const plat::TStringList& formFields);

// The boundary-independent part of BuildMultipartBody, for a given boundary B.
void BuildMultipartBodyWithBoundary(plat::TMemoryStream& body, plat::TMemoryStream& imageData,
                                    std::string& header, const std::string& boundary,
                                    uint8_t format, const std::string& formVarName,
                                    const std::string& fileName,
                                    const plat::TStringList& formFields);

// True when every body byte was sent and the server answered 200. status receives the answer's
// status code whenever one arrived (else it keeps its value). The URL's own user name and
// password are not used.
bool HTTPPost(const std::string& url, const plat::TStringList& formFields,
              plat::TMemoryStream& imageData, int32_t& status, uint8_t format,
              const std::string& formVarName, const std::string& fileName);

// True only for status 200. data receives the answer's body (also for other statuses), rewound;
// contentType the answer's content type (at most 255 characters). user and password are sent
// when user is not empty; the URL's own are not used.
bool HTTPGet(const std::string& url, const std::string& user, const std::string& password,
             int32_t& status, std::string& contentType, plat::TMemoryStream& data);

}  // namespace pictavo::webprocs
