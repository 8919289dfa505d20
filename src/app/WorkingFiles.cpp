#include "app/WorkingFiles.h"

#include "rtl/Conversion.h"
#include "rtl/Exception.h"
#include "rtl/Files.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

// Whether a file can be made in the folder: a probe file is created and removed.
bool FolderTakesFiles(const String& folder) {
    String probe = folder + ".korvid-probe-" + IntToStr(static_cast<Int64>(getpid()));
    std::FILE* file = std::fopen(probe.c_str(), "wb");
    if (!file) return false;
    std::fclose(file);
    std::remove(probe.c_str());
    return true;
}

} // namespace

TWorkingFiles::TWorkingFiles() : candidates_(DefaultCandidates()) {}

TWorkingFiles::TWorkingFiles(std::vector<String> candidates) : candidates_(std::move(candidates)) {
    for (String& c : candidates_)
        c = IncludeTrailingPathDelimiter(c);
}

std::vector<String> TWorkingFiles::DefaultCandidates() {
    std::vector<String> result{ProgramFolder() + "temp/"};
    const char* cache = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    String base;
    if (cache && cache[0] == '/')
        base = cache;
    else if (home && home[0])
        base = String(home) + "/.cache";
    if (!base.empty()) result.push_back(IncludeTrailingPathDelimiter(base) + "korvid/temp/");
    return result;
}

const String& TWorkingFiles::Prepare() {
    for (const String& candidate : candidates_) {
        if (!DirectoryExists(candidate) && !ForceDirectories(candidate)) continue;
        if (!FolderTakesFiles(candidate)) continue;
        folder_ = candidate;
        return folder_;
    }
    String tried;
    for (const String& c : candidates_)
        tried += (tried.empty() ? "" : ", ") + c;
    throw EInOutError("No folder for the working bitmaps can be written (tried " + tried + ")",
                      EACCES);
}

const String& TWorkingFiles::Folder() const {
    static const String none;
    if (!folder_.empty()) return folder_;
    return candidates_.empty() ? none : candidates_.front();
}

String TWorkingFiles::FileName(int number) const {
    return Folder() + IntToStr(number) + ".bmp";
}

bool TWorkingFiles::Exists(int number) const {
    return FileExists(FileName(number));
}

void TWorkingFiles::DeleteRange(int first, int last) const {
    for (const String& folder : candidates_) {
        if (!DirectoryExists(folder)) continue;
        for (int i = first; i <= last; ++i)
            DeleteFile(folder + IntToStr(i) + ".bmp");
    }
}
