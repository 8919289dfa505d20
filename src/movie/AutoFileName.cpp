#include "movie/AutoFileName.h"

#include "rtl/DateTime.h"
#include "rtl/Files.h"

#include <limits>
#include <map>
#include <tuple>

namespace {

// The sequence counter of every folder, prefix and extension in use, scanned the first time
// one is asked for. One counter for all folders would hand out a name that a file in the
// next folder already has.
std::map<std::tuple<String, String, String>, Int64>& SequenceCounters() {
    static std::map<std::tuple<String, String, String>, Int64> counters;
    return counters;
}

String FolderOf(const String& storagePath) {
    return storagePath.empty() ? String() : IncludeTrailingPathDelimiter(storagePath);
}

// The highest number n of the files prefix + n + "." + extension in the folder; 0 for none.
Int64 ScanSequence(const String& folder, const String& prefix, const String& extension) {
    Int64 highest = 0;
    TSearchRec rec;
    if (FindFirst(folder + prefix + "*." + extension, faAnyFile & ~faDirectory, rec) != 0)
        return highest;
    do {
        const String& name = rec.Name;
        // Case-sensitive over the prefix, then at least one character before the first dot.
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        const std::size_t dot = name.find('.');
        if (dot == String::npos || dot <= prefix.size()) continue;
        const String digits = name.substr(prefix.size(), dot - prefix.size());
        Int64 number = -1;
        bool valid = !digits.empty() && digits.size() <= 18;
        for (char c : digits)
            valid = valid && c >= '0' && c <= '9';
        if (valid) number = std::stoll(digits);
        if (number != -1 && number > highest) highest = number;
    } while (FindNext(rec) == 0);
    FindClose(rec);
    return highest;
}

String SixDigits(Int64 n) {
    String text = std::to_string(n);
    while (text.size() < 6)
        text = "0" + text;
    return text;
}

} // namespace

String AutomaticFileName(TAuto_Filename Kind, const String& StoragePath, const String& Prefix,
                         const String& Extension) {
    const String folder = FolderOf(StoragePath);
    String text;
    if (Kind == fnDateTime) {
        text = FormatDateTime("yymmdd_hhmmss_zzz", Now());
    } else {
        Int64& counter = SequenceCounters()[{folder, Prefix, Extension}];
        if (counter == 0) counter = ScanSequence(folder, Prefix, Extension);
        // Never over a file that is there already (written since the scan by anyone).
        do {
            ++counter;
        } while (FileExists(folder + Prefix + SixDigits(counter) + "." + Extension) &&
                 counter < std::numeric_limits<Int64>::max());
        text = SixDigits(counter);
    }
    return folder + Prefix + text + "." + Extension;
}
