// Peak memory of TGIFGraphic::LoadFromStream on a stub: a file of a few hundred bytes that
// declares a 16000 x 16000 frame. The loader's memory must grow with the pixels the data
// holds, not with the size the file declares. Goal: a peak rise under 50 MB. Run it alone
// (--benchmark_filter one case at a time): the high-water mark is the process's.
#include "gif/GIFGraphic.h"
#include "gif/GIFSubImage.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kSide = 16000;

// A field of /proc/self/status in megabytes.
double StatusMegabytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0)
            return std::strtod(line.c_str() + key.size(), nullptr) / 1024.0;
    return 0;
}

// Codes of growing width packed least significant bit first, as the decoder reads them.
class CodeWriter {
public:
    void Put(int code, int width) {
        acc_ |= static_cast<std::uint32_t>(code) << bits_;
        bits_ += width;
        while (bits_ >= 8) {
            bytes_.push_back(static_cast<Byte>(acc_));
            acc_ >>= 8;
            bits_ -= 8;
        }
    }
    std::vector<Byte> Finish() {
        if (bits_ > 0) bytes_.push_back(static_cast<Byte>(acc_));
        return bytes_;
    }

private:
    std::vector<Byte> bytes_;
    std::uint32_t acc_ = 0;
    int bits_ = 0;
};

// The stub: a 2-colour 16000 x 16000 GIF whose image data is a clear code and then every
// code naming the string being defined (each one pixel longer than the last), about 300
// bytes in all.
std::vector<Byte> Stub(bool interlaced) {
    std::vector<Byte> out = {'G', 'I', 'F', '8', '9', 'a'};
    auto word = [&](int v) {
        out.push_back(static_cast<Byte>(v));
        out.push_back(static_cast<Byte>(v >> 8));
    };
    word(kSide);
    word(kSide);
    out.insert(out.end(), {0x80, 0, 0, 0, 0, 0, 255, 255, 255});
    out.push_back(0x2C);
    word(0);
    word(0);
    word(kSide);
    word(kSide);
    out.push_back(interlaced ? 0x40 : 0);
    out.push_back(2); // minimum code size
    CodeWriter codes;
    int width = 3, next = 6;
    codes.Put(4, width); // clear
    codes.Put(1, width);
    for (int i = 0; i < 220; ++i) {
        codes.Put(next, width);
        ++next;
        if (next == (1 << width) && width < 12) ++width;
    }
    codes.Put(5, width); // end
    std::vector<Byte> data = codes.Finish();
    for (size_t at = 0; at < data.size(); at += 255) {
        size_t n = std::min<size_t>(255, data.size() - at);
        out.push_back(static_cast<Byte>(n));
        out.insert(out.end(), data.begin() + static_cast<long>(at),
                   data.begin() + static_cast<long>(at + n));
    }
    out.push_back(0);
    out.push_back(0x3B);
    return out;
}

void BM_LoadStub(benchmark::State& state) {
    const bool interlaced = state.range(0) != 0;
    const std::vector<Byte> stub = Stub(interlaced);
    double rise = 0;
    Int64 held = 0;
    for (auto _ : state) {
        TMemoryStream stream;
        stream.WriteBuffer(stub.data(), static_cast<Int64>(stub.size()));
        stream.SetPosition(0);
        const double before = StatusMegabytes("VmHWM");
        ObjectPtr<TGIFGraphic> image = MakeObject<TGIFGraphic>();
        image->LoadFromStream(stream);
        rise = StatusMegabytes("VmHWM") - before;
        held = image->Frames().GetFrame(0)->HeldPixelBytes();
        benchmark::DoNotOptimize(image.get());
    }
    state.counters["file_bytes"] = static_cast<double>(stub.size());
    state.counters["peak_rise_MB"] = rise;
    state.counters["held_pixel_MB"] = static_cast<double>(held) / (1024.0 * 1024.0);
    state.counters["peak_MB"] = StatusMegabytes("VmHWM");
}
BENCHMARK(BM_LoadStub)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
