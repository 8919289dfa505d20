#include "app/GifBuildInputs.h"

#include <filesystem>

void TGifBuildInputs::AddFrame(const String& fileName, int number, bool colors256,
                               bool floydSteinberg, bool transparency) {
    Frame frame{number, colors256, floydSteinberg, transparency};
    std::error_code error;
    const std::filesystem::path path(fileName);
    const auto size = std::filesystem::file_size(path, error);
    if (!error) {
        const auto written = std::filesystem::last_write_time(path, error);
        if (!error) {
            frame.size = static_cast<Int64>(size);
            frame.written = static_cast<Int64>(written.time_since_epoch().count());
        }
    }
    frames.push_back(frame);
}
