#include "foundation/paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "foundation/encoding.h"
#include "foundation/unique_fd.h"

namespace {

// Owner write permission is the read-only attribute of this platform.
void ClearReadOnlyAt(int dirfd, const char* name) {
    struct stat st {};
    if (fstatat(dirfd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return;
    if (S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) == 0) fchmodat(dirfd, name, (st.st_mode & 07777) | S_IWUSR, 0);
}

// A folder must be readable, writable and searchable before its entries can be removed.
void OpenUpFolder(int fd) {
    struct stat st {};
    if (fstat(fd, &st) == 0 && (st.st_mode & S_IRWXU) != S_IRWXU) fchmod(fd, (st.st_mode & 07777) | S_IRWXU);
}

// Deletes the entries of the open folder. Returns false at the first entry that cannot be
// removed.
bool DeleteFolderContents(TFolderReader& folder) {
    if (!folder.IsOpen()) return false;
    OpenUpFolder(folder.Fd());
    bool ok = true;
    TFolderEntry entry{};
    while (folder.Next(entry)) {
        const char* name = entry.Name.data();
        if (entry.Kind == TPathKind::Folder) {
            if (!ok) continue;
            TFolderReader sub(folder, entry.Name);
            ok = DeleteFolderContents(sub) && unlinkat(folder.Fd(), name, AT_REMOVEDIR) == 0;
        } else {
            ClearReadOnlyAt(folder.Fd(), name);
            if (ok) ok = unlinkat(folder.Fd(), name, 0) == 0;
        }
    }
    if (folder.Error() != 0) ok = false;
    // Pipes and devices are never opened, only removed.
    for (const std::string& name : folder.Skipped()) {
        if (ok) ok = unlinkat(folder.Fd(), name.c_str(), 0) == 0;
    }
    return ok;
}

}  // namespace

std::string FileNameOf(std::string_view path) {
    const size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string FolderPartOf(std::string_view path) {
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string ContainingFolder(std::string_view path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) return ".";
    std::string folder(path.substr(0, slash));
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder.empty() ? std::string("/") : folder;
}

size_t ExtensionStart(std::string_view fileName, TExtensionRule rule) {
    const size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos) return fileName.size();
    if (rule == TExtensionRule::ShortAfterStem && (dot == 0 || fileName.size() - dot > 16)) return fileName.size();
    return dot;
}

std::string ExtensionOf(std::string_view path) {
    const size_t name = path.rfind('/') + 1;  // 0 when there is no "/"
    return std::string(path.substr(name + ExtensionStart(path.substr(name), TExtensionRule::LastDot)));
}

bool PathInside(const std::string& folder, const std::string& path) {
    const std::filesystem::path f = std::filesystem::path(folder).lexically_normal();
    const std::filesystem::path p = std::filesystem::path(path).lexically_normal();
    auto fi = f.begin();
    auto pi = p.begin();
    for (; fi != f.end(); ++fi) {
        if (fi->empty()) continue;  // the trailing "" of a folder written with "/"
        if (pi == p.end() || *fi != *pi) return false;
        ++pi;
    }
    for (; pi != p.end(); ++pi) {
        if (!pi->empty() && *pi != "." && *pi != "..") return true;
    }
    return false;
}

bool DeleteFileForced(const std::string& fileName) {
    if (fileName.empty()) return false;
    ClearReadOnlyAt(AT_FDCWD, fileName.c_str());
    return unlink(fileName.c_str()) == 0;
}

std::string TrimmedWithTrailingSlash(const std::string& path) {
    std::string trimmed = encoding::Trim(path);
    if (trimmed.empty()) return {};
    if (trimmed.back() != '/') trimmed += '/';
    return trimmed;
}

std::string WithTrailingSlash(const std::string& path) {
    if (path.empty()) return {};
    return path.back() == '/' ? path : path + "/";
}

std::string TrimmedWithoutTrailingSlash(const std::string& path) {
    std::string trimmed = encoding::Trim(path);
    if (!trimmed.empty() && trimmed.back() == '/') trimmed.pop_back();
    return trimmed;
}

bool MatchesExtension(const std::string& fileName, const std::string& masks) {
    const std::string key = encoding::Trim("*" + encoding::AsciiLower(ExtensionOf(fileName)));
    if (key == "*" || key == "*.") return false;
    const std::string list = encoding::AsciiLower(masks);
    size_t start = 0;
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i] != ';') continue;
        if (list.compare(start, i - start, key) == 0) return true;
        start = i + 1;
    }
    return false;
}

bool DeleteFolderTree(const std::string& folder) {
    if (folder.empty()) return false;
    std::string path = folder;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) return false;
    if (S_ISLNK(st.st_mode)) return unlink(path.c_str()) == 0;
    if (!S_ISDIR(st.st_mode)) return false;
    TFolderReader contents(path, false);
    if (!DeleteFolderContents(contents)) return false;
    return rmdir(path.c_str()) == 0;
}

namespace {

TPathKind KindOfMode(mode_t mode) {
    if (S_ISREG(mode)) return TPathKind::File;
    if (S_ISDIR(mode)) return TPathKind::Folder;
    if (S_ISLNK(mode)) return TPathKind::Link;
    return TPathKind::Other;
}

}  // namespace

TPathKind PathKindOf(const std::string& path) {
    std::string bare = path;
    while (bare.size() > 1 && bare.back() == '/') bare.pop_back();
    struct stat st {};
    if (bare.empty() || lstat(bare.c_str(), &st) != 0) return TPathKind::None;
    return KindOfMode(st.st_mode);
}

bool EntryExists(const std::string& path) {
    const TPathKind kind = PathKindOf(path);
    return kind == TPathKind::File || kind == TPathKind::Folder;
}

bool NameTaken(const std::string& path) { return PathKindOf(path) != TPathKind::None; }

bool TargetExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && (S_ISREG(st.st_mode) || S_ISDIR(st.st_mode));
}

bool LinkFreeBelow(const std::string& root, const std::string& path) {
    if (root.empty()) return false;
    const std::string base = WithTrailingSlash(root);
    // The path itself is the root (with or without its "/").
    if (path + "/" == base || path == base) return true;
    if (path.compare(0, base.size(), base) != 0) return false;
    std::string walked = base;
    size_t start = base.size();
    while (start < path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        const std::string_view part(path.data() + start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") return false;
        walked.append(part);
        struct stat st {};
        if (lstat(walked.c_str(), &st) != 0) return true;  // nothing from here on: no link either
        if (S_ISLNK(st.st_mode)) return false;
        walked += '/';
    }
    return true;
}

int64_t GetFileSize64(const std::string& fileName) {
    struct stat st {};
    if (fileName.empty() || stat(fileName.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return 0;
    return static_cast<int64_t>(st.st_size);
}

std::string FindPlayerPath(const std::string& root, const std::string& relative) {
    std::string path = root;
    size_t start = 0;
    while (start <= relative.size()) {
        size_t end = relative.find('/', start);
        if (end == std::string::npos) end = relative.size();
        const std::string part = relative.substr(start, end - start);
        start = end + 1;
        if (part.empty()) {
            if (end == relative.size()) break;
            continue;
        }
        const std::string folder = WithTrailingSlash(path);
        std::string chosen = part;
        if (!NameTaken(folder + part)) {
            const std::string wanted = encoding::AsciiLower(part);
            TFolderReader reader(folder);
            TFolderEntry entry{};
            while (reader.Next(entry)) {
                if (entry.Name.size() == wanted.size() && encoding::AsciiLower(std::string(entry.Name)) == wanted) {
                    chosen = entry.Name;
                    break;
                }
            }
        }
        path = folder + chosen;
    }
    if (!relative.empty() && relative.back() == '/') path = WithTrailingSlash(path);
    return path;
}

std::string FindPlayerPathNoLinks(const std::string& root, const std::string& relative) {
    std::string path = FindPlayerPath(root, relative);
    return LinkFreeBelow(root, path) ? path : std::string();
}

TFolderReader::TFolderReader(const std::string& folder, bool followLink) {
    Adopt(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW)));
}

TFolderReader::TFolderReader(const TFolderReader& parent, std::string_view name) {
    if (!parent.IsOpen()) {
        error_ = EBADF;
        return;
    }
    Adopt(openat(parent.Fd(), std::string(name).c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

void TFolderReader::Adopt(int fd) {
    TUniqueFd folder(fd);
    if (!folder.IsOpen()) {
        error_ = errno;
        return;
    }
    dir_ = fdopendir(folder.Get());
    if (dir_ == nullptr) {
        error_ = errno;
        return;
    }
    folder.Release();  // the stream owns it now
}

TFolderReader::~TFolderReader() {
    if (dir_ != nullptr) closedir(dir_);
}

int TFolderReader::Fd() const { return dir_ != nullptr ? dirfd(dir_) : -1; }

bool TFolderReader::Next(TFolderEntry& entry) {
    if (dir_ == nullptr) return false;
    for (;;) {
        errno = 0;
        const dirent* found = readdir(dir_);
        if (found == nullptr) {
            error_ = errno;
            return false;
        }
        const char* name = found->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
        TPathKind kind = TPathKind::None;
        switch (found->d_type) {
            case DT_REG: kind = TPathKind::File; break;
            case DT_DIR: kind = TPathKind::Folder; break;
            case DT_LNK: kind = TPathKind::Link; break;
            case DT_UNKNOWN: kind = Look(name, false); break;
            default: kind = TPathKind::Other; break;
        }
        if (kind == TPathKind::None) continue;  // gone since it was listed
        if (kind == TPathKind::Other) {
            skipped_.emplace_back(name);
            continue;
        }
        entry.Name = name;
        entry.Kind = kind;
        return true;
    }
}

TPathKind TFolderReader::Look(std::string_view name, bool followLink, int64_t* size) const {
    if (size != nullptr) *size = 0;
    struct stat st {};
    // The name handed out by Next is zero-terminated in place.
    const std::string ownName(name);
    if (dir_ == nullptr || fstatat(dirfd(dir_), ownName.c_str(), &st, followLink ? 0 : AT_SYMLINK_NOFOLLOW) != 0)
        return TPathKind::None;
    const TPathKind kind = KindOfMode(st.st_mode);
    if (kind == TPathKind::File && size != nullptr) *size = static_cast<int64_t>(st.st_size);
    return kind;
}

void ListFiles(const std::string& folder, std::vector<std::string>& files) {
    TFolderReader reader(folder.empty() ? "." : folder);
    std::vector<std::string> names;
    TFolderEntry entry{};
    while (reader.Next(entry)) {
        if (entry.Kind == TPathKind::Folder) continue;
        if (entry.Kind == TPathKind::Link && reader.Look(entry.Name, true) == TPathKind::Folder) continue;
        names.emplace_back(entry.Name);
    }
    names.insert(names.end(), reader.Skipped().begin(), reader.Skipped().end());
    std::sort(names.begin(), names.end());
    for (const auto& name : names) files.push_back(folder + "/" + name);
}

bool IsOnline() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return false;
    bool online = false;
    for (ifaddrs* a = list; a != nullptr && !online; a = a->ifa_next)
        online = (a->ifa_flags & IFF_UP) != 0 && (a->ifa_flags & IFF_LOOPBACK) == 0;
    freeifaddrs(list);
    return online;
}
