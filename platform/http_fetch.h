// Fetching a document by address (http, https, ftp and file addresses) over libcurl, for the
// news download and the podcast road. Synchronous: the call returns once the transfer ended,
// and while it waits it calls the caller's pump every few hundredths of a second (which lets
// pending window messages run and may ask to stop). Proxies come from the system's variables
// (http_proxy, https_proxy, no_proxy, ...); server certificates are verified.
//
// Every answer comes from a server we do not control, so every transfer is bounded: a document
// larger than the caller's limit fails, a transfer slower than LowSpeedBytes per second for
// StallSeconds fails, and the pump can stop it at any moment.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The most a fetch holds in memory, and the default limit of a download to a file: far above
// any real feed or news page (bytes).
inline constexpr int64_t kFetchLimitBytes = 16 * 1024 * 1024;

// Why a fetch failed, for a caller that tells the user.
enum class THttpFailure {
    None,
    NotFetchable,  // an address of another scheme, or a file address that names no regular file
    Stopped,       // the pump asked to stop
    Status,        // the server answered, but not with 2xx (StatusCode holds the answer)
    TooLarge,      // the answer went beyond the limit
    DiskReserve,   // writing on would have left less than KeepFreeBytes free
    WriteFailed,   // the file could not be written
    Network,       // no connection, or the transfer broke off or stalled
    Empty,         // the answer had no body, and the caller asked for one (RequireBody)
};

struct THttpFetchResult {
    THttpFailure Failure = THttpFailure::None;
    long StatusCode = 0;  // the last HTTP answer, 0 when none arrived
};

struct THttpFetchOptions {
    // MaxBytes: no limit, for downloads to a file only (episodes stream to disk).
    static constexpr int64_t kUnbounded = -1;

    std::string UserAgent = "MyApp";
    // Called often while the transfer runs or waits; returning false stops the transfer (which
    // then counts as failed). May be empty.
    std::function<bool()> Pump;
    // Seconds allowed to connect; a transfer that moves fewer than LowSpeedBytes bytes a second
    // for StallSeconds seconds is given up.
    long ConnectSeconds = 30;
    long LowSpeedBytes = 1024;
    long StallSeconds = 30;
    // A document larger than this (bytes) fails. HttpFetchToMemory never holds more than
    // kFetchLimitBytes, whatever is asked here; kUnbounded counts only for HttpFetchToFile.
    int64_t MaxBytes = kFetchLimitBytes;
    // Downloads to a file stop (and fail) before the file system holding it has fewer than
    // this many bytes free; 0 for no such test.
    int64_t KeepFreeBytes = 0;
    // An answer without a single byte of body fails (Empty): a download of a file that has
    // content (an episode) is then not taken for one that arrived.
    bool RequireBody = false;
    // When given, filled in by every fetch: why it failed (None when it succeeded).
    THttpFetchResult* Result = nullptr;
};

// True when the address begins (case-sensitively) with "http://", "https://", "ftp://" or
// "file://": the addresses fetched over the network layer rather than copied as local paths.
bool IsFetchableAddress(const std::string& Address);

// Fetches the address into memory. True only when the transfer completed within its bounds
// and, for http and https, the final answer (after redirects) was 2xx; Body then holds the
// document (possibly empty). On failure Body is emptied.
bool HttpFetchToMemory(const std::string& Address, std::string& Body, const THttpFetchOptions& Options = {});

// Fetches the address into the file Dest: the bytes are written as they arrive to a temporary
// name beside Dest ("<Dest>.partXXXXXX"), which replaces Dest only once the transfer succeeded
// (as HttpFetchToMemory decides). On failure (a full disk included) Dest is left as it was and
// the temporary file is removed. Temporary files that earlier, interrupted runs left for the
// same Dest are removed first.
bool HttpFetchToFile(const std::string& Address, const std::string& Dest, const THttpFetchOptions& Options = {});
