// Fetching a document by address (http, https, ftp and file addresses) over libcurl, for the
// news download and the podcast road. Synchronous: the call returns once the transfer ended,
// and while it waits it calls the caller's pump (which lets pending window messages run and
// may ask to stop). Proxies come from the system's variables (http_proxy, https_proxy,
// no_proxy, ...); server certificates are verified.
#pragma once

#include <functional>
#include <string>

struct THttpFetchOptions {
    std::string UserAgent = "MyApp";
    // Called now and then while the transfer waits; returning false stops the transfer
    // (which then counts as failed). May be empty.
    std::function<bool()> Pump;
    // Seconds allowed to connect; a transfer that moves no byte for StallSeconds is given up.
    long ConnectSeconds = 30;
    long StallSeconds = 60;
};

// True when the address begins (case-sensitively) with "http://", "https://", "ftp://" or
// "file://": the addresses fetched over the network layer rather than copied as local paths.
bool IsFetchableAddress(const std::string& Address);

// Fetches the address into memory. True only when the transfer completed and, for http and
// https, the final answer (after redirects) was 2xx; Body then holds the document (possibly
// empty). On failure Body is emptied.
bool HttpFetchToMemory(const std::string& Address, std::string& Body, const THttpFetchOptions& Options = {});

// Fetches the address into the file Dest: the bytes go to a temporary name beside Dest, which
// replaces Dest only once the transfer succeeded (as HttpFetchToMemory decides). On failure
// Dest is left as it was and the temporary file is removed.
bool HttpFetchToFile(const std::string& Address, const std::string& Dest, const THttpFetchOptions& Options = {});
