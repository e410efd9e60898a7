#include "platform/http_fetch.h"

#include <curl/curl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <mutex>
#include <strings.h>

namespace {

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct TCurlDeleter {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};

struct TSink {
    std::string* Memory = nullptr;
    FILE* File = nullptr;
    bool WriteFailed = false;
};

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<TSink*>(user);
    const size_t bytes = size * count;
    if (sink->Memory) {
        sink->Memory->append(data, bytes);
        return bytes;
    }
    if (std::fwrite(data, 1, bytes, sink->File) != bytes) {
        sink->WriteFailed = true;
        return 0;
    }
    return bytes;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* pump = static_cast<const std::function<bool()>*>(user);
    return (*pump)() ? 0 : 1;
}

// One transfer into the sink; true when it completed with an answer that counts as fetched.
bool Transfer(const std::string& address, TSink& sink, const THttpFetchOptions& options) {
    if (!IsFetchableAddress(address)) return false;
    GlobalInit();
    std::unique_ptr<CURL, TCurlDeleter> curl(curl_easy_init());
    if (!curl) return false;
    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, address.c_str());
    curl_easy_setopt(c, CURLOPT_USERAGENT, options.UserAgent.c_str());
    // Only the schemes of the program's addresses; a redirect may never lead to a local file.
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https,ftp,file");
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https,ftp");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, options.ConnectSeconds);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, options.StallSeconds);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, WriteBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &sink);
    if (options.Pump) {
        curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, OnProgress);
        curl_easy_setopt(c, CURLOPT_XFERINFODATA, &options.Pump);
    }
    if (curl_easy_perform(c) != CURLE_OK || sink.WriteFailed) return false;
    const char* scheme = nullptr;
    curl_easy_getinfo(c, CURLINFO_SCHEME, &scheme);
    if (scheme && (strcasecmp(scheme, "http") == 0 || strcasecmp(scheme, "https") == 0)) {
        long code = 0;
        curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &code);
        return code >= 200 && code <= 299;
    }
    return true;
}

}  // namespace

bool IsFetchableAddress(const std::string& Address) {
    for (const char* prefix : {"http://", "https://", "ftp://", "file://"}) {
        if (Address.starts_with(prefix)) return true;
    }
    return false;
}

bool HttpFetchToMemory(const std::string& Address, std::string& Body, const THttpFetchOptions& Options) {
    Body.clear();
    TSink sink;
    sink.Memory = &Body;
    if (Transfer(Address, sink, Options)) return true;
    Body.clear();
    return false;
}

bool HttpFetchToFile(const std::string& Address, const std::string& Dest, const THttpFetchOptions& Options) {
    if (!IsFetchableAddress(Address) || Dest.empty()) return false;
    std::string temp = Dest + ".partXXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) return false;
    TSink sink;
    sink.File = fdopen(fd, "wb");
    if (!sink.File) {
        close(fd);
        unlink(temp.c_str());
        return false;
    }
    bool ok = Transfer(Address, sink, Options);
    if (std::fclose(sink.File) != 0) ok = false;
    // mkstemp makes the file private; the document gets the usual permissions.
    if (ok) {
        const mode_t mask = umask(0);
        umask(mask);
        ok = chmod(temp.c_str(), 0666 & ~mask) == 0 && std::rename(temp.c_str(), Dest.c_str()) == 0;
    }
    if (!ok) unlink(temp.c_str());
    return ok;
}
