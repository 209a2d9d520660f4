#pragma once

#include <cstdint>

#include "core/cpbuffer.h"
#include "update/update_progress.h"

// Bounds on one fetch, so that an unreachable, stalling or hostile server
// fails the fetch instead of freezing the user-interface thread or filling
// memory.
struct FetchLimits {
  long connectTimeoutSeconds;
  // Fail when fewer than minBytesPerSecond arrive, on average, over this many
  // seconds (a stalled or trickling response).
  long stallSeconds;
  long minBytesPerSecond;
  uint64_t maxBodyBytes;
  // The whole fetch, connecting included, fails after this long, however
  // steadily the bytes come.
  long deadlineSeconds;
};

inline constexpr uint32_t kFetchProgressCycle = 750000;
inline constexpr uint32_t kFetchChunkSize = 2047;
inline constexpr uint32_t kFetchPauseMilliseconds = 10;
inline constexpr const char* kFetchUserAgent = "QuillAutoUpdateFetch";

// One HTTP GET of http://host/path (host may carry ":port"; port 80 without).
// The body of any status is delivered into out. On failure out is untouched
// and errorCode holds the libcurl error (0 when the user cancelled). With a
// progress dialog, every chunk is reported on a cycle of 750000 bytes and
// followed by a 10 ms pause; a cancel there ends the fetch with false.
bool HttpFetch(cpBuffer& out, const char* host, const char* path, uint32_t& errorCode, UpdateProgress* progress,
               const FetchLimits& limits);
