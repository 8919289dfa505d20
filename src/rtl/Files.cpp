#include "rtl/Files.h"

#include <cerrno>
#include <dirent.h>
#include <filesystem>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool StatOf(const String& name, struct stat& st) {
    return !name.empty() && ::stat(name.c_str(), &st) == 0;
}

size_t LastDelimiter(const String& fileName) {
    size_t at = fileName.rfind(PathDelim);
    return at == String::npos ? 0 : at + 1; // start of the name part
}

char Fold(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr int kErrorFileNotFound = 2;
constexpr int kErrorPathNotFound = 3;
constexpr int kErrorNoMoreFiles = 18;

} // namespace

bool FileExists(const String& fileName) {
    struct stat st;
    return StatOf(fileName, st) && S_ISREG(st.st_mode);
}

bool DirectoryExists(const String& dir) {
    struct stat st;
    return StatOf(dir, st) && S_ISDIR(st.st_mode);
}

bool DeleteFile(const String& fileName) {
    return !fileName.empty() && ::unlink(fileName.c_str()) == 0;
}

bool RenameFile(const String& oldName, const String& newName) {
    if (oldName.empty() || newName.empty()) return false;
    // Renaming onto an existing file fails, as callers expect of this call.
    if (::access(newName.c_str(), F_OK) == 0) return false;
    return ::rename(oldName.c_str(), newName.c_str()) == 0;
}

bool CreateDir(const String& dir) {
    return !dir.empty() && ::mkdir(dir.c_str(), 0777) == 0;
}

bool ForceDirectories(const String& dir) {
    String path = ExcludeTrailingPathDelimiter(dir);
    if (path.empty()) return false;
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    return DirectoryExists(path);
}

bool RemoveDir(const String& dir) {
    return !dir.empty() && ::rmdir(dir.c_str()) == 0;
}

Int64 FileSizeOf(const String& fileName) {
    struct stat st;
    if (!StatOf(fileName, st) || !S_ISREG(st.st_mode)) return -1;
    return static_cast<Int64>(st.st_size);
}

String ExtractFilePath(const String& fileName) {
    return fileName.substr(0, LastDelimiter(fileName));
}

String ExtractFileDir(const String& fileName) {
    size_t start = LastDelimiter(fileName);
    if (start == 0) return String();
    if (start == 1) return "/"; // the root keeps its slash
    return fileName.substr(0, start - 1);
}

String ExtractFileName(const String& fileName) {
    return fileName.substr(LastDelimiter(fileName));
}

String ExtractFileExt(const String& fileName) {
    size_t start = LastDelimiter(fileName);
    size_t dot = fileName.rfind('.');
    if (dot == String::npos || dot < start) return String();
    return fileName.substr(dot);
}

String ChangeFileExt(const String& fileName, const String& extension) {
    size_t start = LastDelimiter(fileName);
    size_t dot = fileName.rfind('.');
    if (dot == String::npos || dot < start) return fileName + extension;
    return fileName.substr(0, dot) + extension;
}

String IncludeTrailingPathDelimiter(const String& path) {
    if (!path.empty() && path.back() == PathDelim) return path;
    return path + PathDelim;
}

String ExcludeTrailingPathDelimiter(const String& path) {
    if (path.size() > 1 && path.back() == PathDelim) return path.substr(0, path.size() - 1);
    return path;
}

String ExpandFileName(const String& fileName) {
    std::filesystem::path p(fileName);
    if (p.is_relative()) p = std::filesystem::path(GetCurrentDir()) / p;
    return p.lexically_normal().string();
}

String ProgramFileName() {
    char buffer[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return String();
    return String(buffer, static_cast<size_t>(n));
}

String ProgramFolder() {
    return ExtractFilePath(ProgramFileName());
}

String GetCurrentDir() {
    std::error_code ec;
    auto p = std::filesystem::current_path(ec);
    return ec ? String() : p.string();
}

bool SetCurrentDir(const String& dir) {
    return !dir.empty() && ::chdir(dir.c_str()) == 0;
}

bool MatchesMask(const String& name, const String& mask) {
    if (mask == "*" || mask == "*.*") return true; // "*.*" has always meant every name
    size_t n = 0, m = 0, starMask = String::npos, starName = 0;
    while (n < name.size()) {
        // A '*' in the mask is always the wildcard, even facing a '*' in the name.
        if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (m < mask.size() && (mask[m] == '?' || Fold(mask[m]) == Fold(name[n]))) {
            ++n;
            ++m;
        } else if (starMask != String::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

struct TSearchRec::State {
    DIR* dir = nullptr;
    String folder;
    String mask;
    int attr = 0;
};

namespace {

// Moves to the next entry that passes the mask and the attribute filter.
int Advance(TSearchRec& rec) {
    TSearchRec::State* s = rec.FindHandle;
    while (dirent* entry = ::readdir(s->dir)) {
        String name = entry->d_name;
        if (name == "." || name == "..") continue;
        if (!MatchesMask(name, s->mask)) continue;
        struct stat st;
        if (!StatOf(s->folder + name, st)) continue;
        int attr = 0;
        if (S_ISDIR(st.st_mode))
            attr |= faDirectory;
        else if (S_ISREG(st.st_mode))
            attr |= faArchive;
        else
            continue; // devices, pipes and sockets are no files to list
        if (name[0] == '.') attr |= faHidden;
        if (::access((s->folder + name).c_str(), W_OK) != 0) attr |= faReadOnly;
        if ((attr & faDirectory) && !(s->attr & faDirectory)) continue;
        if ((attr & faHidden) && !(s->attr & faHidden)) continue;
        rec.Name = name;
        rec.Size = S_ISREG(st.st_mode) ? static_cast<Int64>(st.st_size) : 0;
        rec.Attr = attr;
        rec.Time = static_cast<Int64>(st.st_mtime);
        return 0;
    }
    return kErrorNoMoreFiles;
}

} // namespace

TSearchRec::~TSearchRec() {
    FindClose(*this);
}

int FindFirst(const String& pattern, int attr, TSearchRec& rec) {
    FindClose(rec);
    rec.Name.clear();
    rec.Size = 0;
    rec.Attr = 0;
    rec.Time = 0;
    String folder = ExtractFilePath(pattern);
    String mask = ExtractFileName(pattern);
    if (mask.empty()) return kErrorFileNotFound;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return kErrorPathNotFound;
    auto* state = new TSearchRec::State{dir, folder, mask, attr};
    rec.FindHandle = state;
    int result = Advance(rec);
    if (result != 0) {
        FindClose(rec);
        return kErrorFileNotFound;
    }
    return 0;
}

int FindNext(TSearchRec& rec) {
    if (!rec.FindHandle) return kErrorNoMoreFiles;
    return Advance(rec);
}

void FindClose(TSearchRec& rec) {
    if (!rec.FindHandle) return;
    ::closedir(rec.FindHandle->dir);
    delete rec.FindHandle;
    rec.FindHandle = nullptr;
}
