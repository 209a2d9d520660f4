#include "update/http_fetch.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

#include "core/cpbufferarray.h"

namespace {

struct Transfer {
  cpBufferArray chunks;
  UpdateProgress* progress = nullptr;
  uint64_t maxBodyBytes = 0;
  uint64_t received = 0;
  uint32_t shown = 0;  // position on the progress cycle
  bool cancelled = false;
  bool tooLarge = false;
  bool outOfMemory = false;
};

// Without a total length the bar runs as a cycle: it advances with the bytes,
// wraps every 750000 and shows full once at the end (n == 0). False on cancel.
bool ReportChunk(Transfer& transfer, uint32_t n) {
  transfer.shown = (n == 0) ? kFetchProgressCycle : std::min(transfer.shown + n, kFetchProgressCycle);
  if (transfer.progress->SetProgress(transfer.shown, kFetchProgressCycle)) return false;
  if (transfer.shown == kFetchProgressCycle) transfer.shown = 0;
  std::this_thread::sleep_for(std::chrono::milliseconds(kFetchPauseMilliseconds));
  return true;
}

size_t ReceiveBody(char* data, size_t size, size_t count, void* user) {
  Transfer& transfer = *static_cast<Transfer*>(user);
  const size_t total = size * count;
  for (size_t offset = 0; offset < total;) {
    const auto n = static_cast<uint32_t>(std::min<size_t>(total - offset, kFetchChunkSize));
    if (transfer.received + n > transfer.maxBodyBytes) {
      transfer.tooLarge = true;
      return 0;
    }
    if (transfer.progress != nullptr && !ReportChunk(transfer, n)) {
      transfer.cancelled = true;
      return 0;
    }
    if (!transfer.chunks.AddCopy(data + offset, n)) {
      transfer.outOfMemory = true;
      return 0;
    }
    transfer.received += n;
    offset += n;
  }
  return total;
}

// Also called while no data arrives, so the dialog keeps painting and its
// Cancel works during a slow connect or a stall. The report repeats the last
// position, so it redraws nothing and obeys the dialog's throttle.
int WhileWaiting(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  Transfer& transfer = *static_cast<Transfer*>(user);
  if (transfer.progress != nullptr && transfer.progress->SetProgress(transfer.shown, kFetchProgressCycle)) {
    transfer.cancelled = true;
    return 1;
  }
  return 0;
}

CURL* OpenRequest(const std::string& url, curl_slist* headers, Transfer& transfer, const FetchLimits& limits) {
  static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  if (!initialised) return nullptr;
  CURL* curl = curl_easy_init();
  if (curl == nullptr) return nullptr;
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, kFetchUserAgent);
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, static_cast<long>(kFetchChunkSize));
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, limits.connectTimeoutSeconds);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, limits.stallSeconds);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, limits.minBytesPerSecond);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, limits.deadlineSeconds);
  curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBodyBytes));
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, ReceiveBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, WhileWaiting);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  return curl;
}

// A connection that breaks in the middle of a body ends the body early: what
// arrived is delivered, and the digest and signature checks reject it.
bool BodyEndedEarly(CURL* curl, CURLcode code) {
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  return status != 0 && (code == CURLE_PARTIAL_FILE || code == CURLE_RECV_ERROR);
}

}  // namespace

bool HttpFetch(cpBuffer& out, const char* host, const char* path, uint32_t& errorCode, UpdateProgress* progress,
               const FetchLimits& limits) {
  errorCode = 0;
  std::string url = "http://";
  url += host;
  if (path[0] != '/') url += '/';
  url += path;

  Transfer transfer;
  transfer.progress = progress;
  transfer.maxBodyBytes = limits.maxBodyBytes;
  curl_slist* headers = curl_slist_append(nullptr, "Content-Type: binary");
  CURL* curl = headers != nullptr ? OpenRequest(url, headers, transfer, limits) : nullptr;
  if (curl == nullptr) {
    curl_slist_free_all(headers);
    errorCode = CURLE_FAILED_INIT;
    return false;
  }

  const CURLcode code = curl_easy_perform(curl);
  bool received = code == CURLE_OK || BodyEndedEarly(curl, code);
  if (transfer.cancelled) {
    received = false;
  } else if (transfer.tooLarge) {
    errorCode = CURLE_FILESIZE_EXCEEDED;
  } else if (!received) {
    errorCode = static_cast<uint32_t>(code);
  }
  curl_easy_cleanup(curl);
  curl_slist_free_all(headers);

  if (received && progress != nullptr && !ReportChunk(transfer, 0)) return false;
  return received && transfer.chunks.Concatenate(out);
}
