#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it when the
// owner goes. Each one has a name of its own, so tests running side by side never meet.
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

namespace test_support {

class TempFolder {
public:
    // prefix names the test in the folder's name ("korvid-avi-" gives korvid-avi-Xa3f9Q).
    explicit TempFolder(const std::string& prefix = "korvid-") {
        std::string pattern =
            (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("no temporary folder: " + pattern);
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // The full name of a file (or folder) inside.
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    // The names of what lies directly inside.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(path_))
            names.push_back(e.path().filename().string());
        return names;
    }

private:
    std::filesystem::path path_;
};

} // namespace test_support
