#include "platform/http_fetch.h"

#include "foundation/file_write.h"
#include "foundation/paths.h"
#include "foundation/unique_fd.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <stdlib.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <vector>

namespace {

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct TCurlDeleter {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};

struct TMultiDeleter {
    void operator()(CURLM* m) const { curl_multi_cleanup(m); }
};

struct TUrlDeleter {
    void operator()(CURLU* u) const { curl_url_cleanup(u); }
};

// Where the body goes: memory or an open file; Limit < 0 for none.
struct TSink {
    std::string* Memory = nullptr;
    int Fd = -1;
    int64_t Limit = kFetchLimitBytes;
    int64_t KeepFree = 0;  // bytes the file's file system keeps free; 0: not tested
    int64_t Received = 0;
    bool WriteFailed = false;
    bool DiskReserve = false;  // the write failed because of KeepFree
    bool TooLarge = false;
};

bool WriteAll(int fd, const char* data, size_t bytes) {
    while (bytes > 0) {
        const ssize_t n = ::write(fd, data, bytes);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        bytes -= static_cast<size_t>(n);
    }
    return true;
}

// Returning anything but the byte count makes libcurl end the transfer as failed.
size_t WriteBody(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<TSink*>(user);
    const size_t bytes = size * count;
    if (sink->Limit >= 0 && sink->Received + static_cast<int64_t>(bytes) > sink->Limit) {
        sink->TooLarge = true;
        return 0;
    }
    sink->Received += static_cast<int64_t>(bytes);
    if (sink->Memory) {
        sink->Memory->append(data, bytes);
        return bytes;
    }
    if (sink->KeepFree > 0) {
        struct statvfs fs {};
        if (fstatvfs(sink->Fd, &fs) != 0 || static_cast<int64_t>(fs.f_bavail) * static_cast<int64_t>(fs.f_frsize) <
                                                sink->KeepFree + static_cast<int64_t>(bytes)) {
            sink->WriteFailed = true;
            sink->DiskReserve = true;
            return 0;
        }
    }
    if (!WriteAll(sink->Fd, data, bytes)) {
        sink->WriteFailed = true;
        return 0;
    }
    return bytes;
}

// A "file://" address is read only when it names a regular file: a named pipe or a device
// would block the transfer beyond the reach of the pump, or never end.
bool IsReadableFileAddress(const std::string& address) {
    std::unique_ptr<CURLU, TUrlDeleter> url(curl_url());
    if (!url || curl_url_set(url.get(), CURLUPART_URL, address.c_str(), 0) != CURLUE_OK) return false;
    char* path = nullptr;
    if (curl_url_get(url.get(), CURLUPART_PATH, &path, CURLU_URLDECODE) != CURLUE_OK || !path) return false;
    struct stat st {};
    const bool regular = ::stat(path, &st) == 0 && S_ISREG(st.st_mode);
    curl_free(path);
    return regular;
}

// Runs the transfer, calling the pump between waits of at most a few hundredths of a second.
// The result of the transfer; CURLE_ABORTED_BY_CALLBACK when the pump asked to stop.
CURLcode Perform(CURL* c, const std::function<bool()>& pump) {
    std::unique_ptr<CURLM, TMultiDeleter> multi(curl_multi_init());
    if (!multi) return CURLE_OUT_OF_MEMORY;
    if (curl_multi_add_handle(multi.get(), c) != CURLM_OK) return CURLE_FAILED_INIT;
    CURLcode result = CURLE_OK;
    bool done = false;
    while (!done) {
        if (pump && !pump()) {
            result = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
        int running = 0;
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK) {
            result = CURLE_RECV_ERROR;
            break;
        }
        int queued = 0;
        while (CURLMsg* msg = curl_multi_info_read(multi.get(), &queued)) {
            if (msg->msg == CURLMSG_DONE) {
                result = msg->data.result;
                done = true;
            }
        }
        if (done || running == 0) break;
        if (curl_multi_poll(multi.get(), nullptr, 0, 50, nullptr) != CURLM_OK) {
            result = CURLE_RECV_ERROR;
            break;
        }
    }
    curl_multi_remove_handle(multi.get(), c);
    return result;
}

// Says why the fetch failed to a caller that asked; false, for the caller to return.
bool Failed(const THttpFetchOptions& options, THttpFailure failure, long status = 0) {
    if (options.Result) *options.Result = {failure, status};
    return false;
}

// One transfer into the sink; true when it completed with an answer that counts as fetched.
bool Transfer(const std::string& address, TSink& sink, const THttpFetchOptions& options) {
    if (!IsFetchableAddress(address)) return Failed(options, THttpFailure::NotFetchable);
    if (address.starts_with("file://") && !IsReadableFileAddress(address))
        return Failed(options, THttpFailure::NotFetchable);
    GlobalInit();
    std::unique_ptr<CURL, TCurlDeleter> curl(curl_easy_init());
    if (!curl) return Failed(options, THttpFailure::Network);
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
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, options.LowSpeedBytes);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, options.StallSeconds);
    // A declared length beyond the limit is refused before any byte of the body arrives.
    if (sink.Limit >= 0) curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(sink.Limit));
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, WriteBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &sink);
    const CURLcode result = Perform(c, options.Pump);
    long code = 0;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &code);
    if (sink.TooLarge || result == CURLE_FILESIZE_EXCEEDED) return Failed(options, THttpFailure::TooLarge, code);
    if (sink.WriteFailed)
        return Failed(options, sink.DiskReserve ? THttpFailure::DiskReserve : THttpFailure::WriteFailed, code);
    if (result == CURLE_ABORTED_BY_CALLBACK) return Failed(options, THttpFailure::Stopped, code);
    if (result != CURLE_OK) return Failed(options, THttpFailure::Network, code);
    const char* scheme = nullptr;
    curl_easy_getinfo(c, CURLINFO_SCHEME, &scheme);
    if (scheme && (strcasecmp(scheme, "http") == 0 || strcasecmp(scheme, "https") == 0) && (code < 200 || code > 299))
        return Failed(options, THttpFailure::Status, code);
    if (options.RequireBody && sink.Received == 0) return Failed(options, THttpFailure::Empty, code);
    if (options.Result) *options.Result = {THttpFailure::None, code};
    return true;
}

// The temporary name a download of Dest uses: Dest + ".part" + six characters of mkstemp.
constexpr const char* kPartInfix = ".part";
constexpr size_t kPartRandomChars = 6;

// A download holds a lock on its temporary file from its making to its renaming; the lock
// goes with the writer, a killed one included.
void RemoveUnlessWritten(int folderFd, const std::string& name) {
    const TUniqueFd fd(::openat(folderFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat opened {};
    if (!fd.IsOpen() || ::fstat(fd.Get(), &opened) != 0 || !S_ISREG(opened.st_mode)) return;
    // A file system that cannot lock cannot tell either: the file stays.
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) return;
    // Still the file that was locked: the name is removed while the lock is held, so a writer
    // that made it meanwhile finds its name gone and makes another.
    struct stat named {};
    if (::fstatat(folderFd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 || named.st_ino != opened.st_ino ||
        named.st_dev != opened.st_dev)
        return;
    ::unlinkat(folderFd, name.c_str(), 0);
}

// Removes the temporary files that interrupted downloads of Dest left beside it (a program
// killed mid-transfer cannot remove its own); a download still running keeps its file. Only
// files and links are removed, never folders.
void RemoveStalePartials(const std::string& dest) {
    const std::string prefix = FileNameOf(dest) + kPartInfix;
    TFolderReader reader(ContainingFolder(dest));
    TFolderEntry entry{};
    std::vector<std::pair<std::string, TPathKind>> stale;
    while (reader.Next(entry)) {
        if (entry.Kind == TPathKind::Folder) continue;
        const std::string_view name = entry.Name;
        if (name.size() != prefix.size() + kPartRandomChars || !name.starts_with(prefix)) continue;
        stale.emplace_back(name, entry.Kind);
    }
    for (const auto& [name, kind] : stale) {
        if (kind == TPathKind::File) {
            RemoveUnlessWritten(reader.Fd(), name);
        } else {
            ::unlinkat(reader.Fd(), name.c_str(), 0);
        }
    }
}

// A new temporary file for a download of dest, locked as this download's; not open when none
// could be made. temp takes its name.
TUniqueFd MakePartial(const std::string& dest, std::string& temp) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        temp = dest + kPartInfix + std::string(kPartRandomChars, 'X');
        TUniqueFd file(mkstemp(temp.data()));
        if (!file.IsOpen()) return {};
        // Another download's clean-up may lock and remove the file between its making and
        // this lock: then the name no longer names it, and another is made.
        const bool locked = ::flock(file.Get(), LOCK_EX | LOCK_NB) == 0;
        if (!locked && errno != ENOLCK && errno != EOPNOTSUPP && errno != EINVAL) continue;
        struct stat opened {
        }, named{};
        if (::fstat(file.Get(), &opened) == 0 && ::lstat(temp.c_str(), &named) == 0 && opened.st_ino == named.st_ino &&
            opened.st_dev == named.st_dev)
            return file;
    }
    return {};
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
    sink.Limit = (Options.MaxBytes >= 0 && Options.MaxBytes < kFetchLimitBytes) ? Options.MaxBytes : kFetchLimitBytes;
    if (Transfer(Address, sink, Options)) return true;
    Body.clear();
    Body.shrink_to_fit();
    return false;
}

bool HttpFetchToFile(const std::string& Address, const std::string& Dest, const THttpFetchOptions& Options) {
    if (!IsFetchableAddress(Address) || Dest.empty()) return Failed(Options, THttpFailure::NotFetchable);
    RemoveStalePartials(Dest);
    std::string temp;
    TUniqueFd file = MakePartial(Dest, temp);
    if (!file.IsOpen()) return Failed(Options, THttpFailure::WriteFailed);
    // The lock lives as long as any descriptor of the file: this one keeps it from the close
    // below to the renaming, so no other download's clean-up takes the finished file.
    const TUniqueFd hold(::dup(file.Get()));
    TSink sink;
    sink.Fd = file.Get();
    sink.Limit = Options.MaxBytes < 0 ? -1 : Options.MaxBytes;
    sink.KeepFree = Options.KeepFreeBytes;
    bool ok = Transfer(Address, sink, Options);
    // A write that the file system refuses only when the file is closed is a failed download.
    if (file.Close() != 0 && ok) ok = Failed(Options, THttpFailure::WriteFailed);
    // mkstemp makes the file private; the document gets the usual permissions where the file
    // system keeps any.
    if (ok) {
        const mode_t mask = umask(0);
        umask(mask);
        SetModeWherePermitted(hold.Get(), 0666 & ~mask);
        ok = std::rename(temp.c_str(), Dest.c_str()) == 0;
        if (!ok) Failed(Options, THttpFailure::WriteFailed);
    }
    if (!ok) unlink(temp.c_str());
    return ok;
}
