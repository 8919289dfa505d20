#include "framework/Dialogs.h"

#include "framework/Application.h"
#include "framework/FileDialogForm.h"
#include "platform/user/MessageBox.h"
#include "platform/user/OutsideCalls.h"
#include "rtl/Files.h"
#include "rtl/Text.h"

namespace {

// Options as the backend sees them: one bit per TOpenOption.
DWORD OptionBits(TOpenOptions options) {
    DWORD bits = 0;
    for (int o = ofReadOnly; o <= ofForceShowHidden; ++o)
        if (options.Contains(static_cast<TOpenOption>(o))) bits |= DWORD(1) << o;
    return bits;
}

HWND DialogOwner() {
    if (!Application) return 0;
    TCustomForm* owner = Screen ? Screen->ActiveForm() : nullptr;
    if (!owner) owner = Application->MainForm();
    return owner && owner->HandleAllocated() ? owner->Handle() : 0;
}

// "*.gif", ".gif" and "gif" all stand for the extension "gif"; "*" or "*.*" for none.
String BareExtension(const String& ext) {
    size_t i = 0;
    while (i < ext.size() && (ext[i] == '*' || ext[i] == '.'))
        ++i;
    String bare = ext.substr(i);
    if (HasWildcards(bare)) return String();
    return bare;
}

} // namespace

std::vector<String> SplitPatterns(const String& patterns) {
    std::vector<String> out;
    size_t start = 0;
    while (start <= patterns.size()) {
        size_t end = patterns.find(';', start);
        String p = Trim(patterns.substr(start, end == String::npos ? String::npos : end - start));
        if (!p.empty()) out.push_back(p);
        if (end == String::npos) break;
        start = end + 1;
    }
    return out;
}

std::vector<TFilterEntry> ParseDialogFilter(const String& filter) {
    std::vector<String> parts;
    size_t start = 0;
    while (start <= filter.size() && !filter.empty()) {
        size_t end = filter.find('|', start);
        parts.push_back(filter.substr(start, end == String::npos ? String::npos : end - start));
        if (end == String::npos) break;
        start = end + 1;
    }
    std::vector<TFilterEntry> entries;
    for (size_t i = 0; i < parts.size(); i += 2) {
        TFilterEntry e;
        e.Description = Trim(parts[i]);
        if (i + 1 < parts.size()) e.Patterns = SplitPatterns(parts[i + 1]);
        if (e.Description.empty() && e.Patterns.empty()) continue;
        if (e.Description.empty()) e.Description = parts[i + 1];
        entries.push_back(std::move(e));
    }
    return entries;
}

bool MatchesAnyPattern(const String& name, const std::vector<String>& patterns) {
    if (patterns.empty()) return true;
    for (const String& p : patterns)
        if (MatchesMask(name, p)) return true;
    return false;
}

bool HasWildcards(const String& name) {
    return name.find_first_of("*?") != String::npos;
}

// --- TOpenDialog ----------------------------------------------------------------------------

String TOpenDialog::StartFolder() const {
    if (!initialDir_.empty() && DirectoryExists(initialDir_)) return ExpandFileName(initialDir_);
    String own = ExtractFileDir(fileName_);
    if (!own.empty() && DirectoryExists(own)) return ExpandFileName(own);
    return GetCurrentDir();
}

String TOpenDialog::CompleteName(const String& typed, const String& dir, int filterIndex) const {
    String name = Trim(typed);
    if (name.empty()) return String();
    String path = name[0] == PathDelim ? name : IncludeTrailingPathDelimiter(dir) + name;
    path = ExpandFileName(path);
    if (DirectoryExists(path) || !ExtractFileExt(ExtractFileName(path)).empty()) return path;
    if (path.back() == PathDelim) return path;
    // No extension: the chosen filter's own, else the default one.
    String ext;
    std::vector<TFilterEntry> entries = ParseDialogFilter(filter_);
    if (filterIndex >= 1 && filterIndex <= static_cast<int>(entries.size())) {
        const TFilterEntry& e = entries[static_cast<size_t>(filterIndex - 1)];
        if (!e.Patterns.empty()) ext = BareExtension(ExtractFileExt(e.Patterns.front()));
    }
    if (ext.empty() && !defaultExt_.empty()) ext = BareExtension(defaultExt_);
    return ext.empty() ? path : path + "." + ext;
}

bool TOpenDialog::AcceptChoice(const String& path) {
    String caption = Title().empty() ? DefaultTitle() : Title();
    // A folder or a pattern is no file to choose (the dialog goes there or filters by it).
    if (path.empty() || path.back() == PathDelim || DirectoryExists(path) ||
        HasWildcards(ExtractFileName(path)))
        return false;
    String folder = ExtractFileDir(path);
    if ((options_.Contains(ofPathMustExist) || options_.Contains(ofFileMustExist)) &&
        !folder.empty() && !DirectoryExists(folder)) {
        MessageBox(DialogOwner(), (path + "\nThe folder does not exist.").c_str(), caption.c_str(),
                   MB_OK | MB_ICONWARNING);
        return false;
    }
    if (options_.Contains(ofFileMustExist) && !FileExists(path)) {
        MessageBox(DialogOwner(),
                   (path + "\nFile not found.\nCheck the file name and try again.").c_str(),
                   caption.c_str(), MB_OK | MB_ICONWARNING);
        return false;
    }
    return true;
}

bool TSaveDialog::AcceptChoice(const String& path) {
    if (!TOpenDialog::AcceptChoice(path)) return false;
    String folder = ExtractFileDir(path);
    String caption = Title().empty() ? DefaultTitle() : Title();
    if (!folder.empty() && !DirectoryExists(folder)) {
        MessageBox(DialogOwner(), (path + "\nThe folder does not exist.").c_str(), caption.c_str(),
                   MB_OK | MB_ICONWARNING);
        return false;
    }
    if (Options().Contains(ofOverwritePrompt) && FileExists(path)) {
        String text = ExtractFileName(path) + " already exists.\nDo you want to replace it?";
        return MessageBox(DialogOwner(), text.c_str(), caption.c_str(),
                          MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
    }
    return true;
}

bool TOpenDialog::Execute() {
    user::DialogRequest request;
    request.kind = Kind();
    request.owner = DialogOwner();
    request.title = Title().empty() ? DefaultTitle() : Title();
    request.fileName = fileName_;
    request.filter = filter_;
    request.filterIndex = filterIndex_;
    request.initialDir = initialDir_;
    request.defaultExt = defaultExt_;
    request.options = OptionBits(options_);
    if (OnShow) OnShow(this);
    struct Closing {
        TOpenDialog* d;
        ~Closing() {
            if (d->OnClose) d->OnClose(d);
        }
    } closing{this};
    String dir = StartFolder();
    // While the backend answers, each answer the checks refuse is asked again, as the
    // dialog would stay open for the user to choose again.
    while (std::optional<user::DialogAnswer> answer = user::InterceptDialog(request)) {
        if (!answer->accepted) return false;
        int index = answer->filterIndex;
        std::vector<String> chosen;
        std::vector<String> names = answer->files;
        if (names.empty()) names.push_back(answer->fileName);
        bool ok = true;
        for (const String& n : names) {
            String path = CompleteName(n, dir, index);
            if (!AcceptChoice(path)) {
                ok = false;
                break;
            }
            chosen.push_back(path);
        }
        if (!ok) continue;
        fileName_ = chosen.front();
        files_ = chosen;
        filterIndex_ = index;
        return true;
    }
    TFileDialogResult result;
    if (!RunFileDialogForm(*this, request.title, dir, result)) return false;
    fileName_ = result.FileName;
    files_ = {result.FileName};
    filterIndex_ = result.FilterIndex;
    return true;
}
