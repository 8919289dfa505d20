// Skinned controls on a skin file and on the built-in style: a button and a tab strip
// repainted, and one state picture taken as a paint takes it. Goal: no skin image is decoded
// again once the theme has it, so a picture costs a copy, not a decode.
#include "framework/Application.h"
#include "platform/headless/Headless.h"
#include "skin/SKButton.h"
#include "skin/SKPageControl.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace {

void Put32(std::vector<Byte>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(Byte(v >> (8 * i)));
}

// A skin file holding the DeepBlue style's pictures.
std::string WriteDeepBlueSkin() {
    std::vector<Byte> out(12, 0);
    std::copy_n("SkinPak_TB", 10, out.begin());
    Put32(out, 24);
    Put32(out, 0);
    Put32(out, 24);
    auto entry = [&](const std::string& name, Byte kind, const std::vector<Byte>& data) {
        char field[64] = {};
        std::copy_n(name.data(), std::min<size_t>(name.size(), 64), field);
        const std::uint32_t at = std::uint32_t(out.size());
        out.insert(out.end(), field, field + 64);
        out.push_back(kind);
        Put32(out, at + 77);
        Put32(out, std::uint32_t(data.size()));
        Put32(out, data.empty() && name.empty() ? 0 : at + 77 + std::uint32_t(data.size()));
        out.insert(out.end(), data.begin(), data.end());
    };
    for (int item :
         {tiButtonImage, tiTabControlTabImage, tiTabControlBarImage, tiScrollButtonImage}) {
        auto b = MakeObject<TBitmap>();
        LoadBuiltinThemeBitmap(DeepBlue, item, b.get());
        TMemoryStream s;
        b->SaveToStream(s);
        entry(ThemeItemKeys[item], 0, std::vector<Byte>(s.Memory(), s.Memory() + s.Size()));
    }
    entry("", 0, {});
    const std::string path = "/tmp/korvid_skin_paint_bench.skn";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(out.data()), std::streamsize(out.size()));
    return path;
}

struct Scene {
    headless::HeadlessSession session;
    TApplication* app = nullptr;
    TForm* form = nullptr;
    TskButton* button = nullptr;
    TskPageControl* pages = nullptr;

    explicit Scene(bool fromFile) {
        app = CreateComponent<TApplication>(nullptr);
        app->CreateForm(form);
        form->SetBounds(0, 0, 400, 300);
        auto* theme = CreateComponent<TskFileTheme>(form);
        if (fromFile) theme->SetThemeFile(WriteDeepBlueSkin());
        button = CreateComponent<TskButton>(form);
        button->SetParent(form);
        button->SetBounds(10, 10, 90, 27);
        button->SetCaption("Capture");
        pages = CreateComponent<TskPageControl>(form);
        pages->SetParent(form);
        pages->SetBounds(10, 50, 380, 200);
        for (const char* caption : {"Set Cell Positions", "Create GIF/AVI", "Brightness"}) {
            auto* sheet = CreateComponent<TskTabSheet>(form);
            sheet->SetCaption(caption);
            sheet->SetParent(pages);
        }
        style = fromFile ? FromThemeFile : DeepBlue;
        button->SetFileTheme(theme);
        button->SetUIStyle(style);
        pages->SetFileTheme(theme);
        pages->SetUIStyle(style);
        form->Show();
        headless::HeadlessBackend::PumpMessages();
    }
    ~Scene() { app->Free(); }
    void Paint() {
        button->Repaint();
        pages->TopPanel()->Repaint();
    }
    TskUIStyle style = DeepBlue;
};

void BM_SkinPaint(benchmark::State& state) {
    Scene scene(state.range(0) != 0);
    for (auto _ : state)
        scene.Paint();
    state.SetLabel(state.range(0) ? "skin file" : "built-in DeepBlue");
}
BENCHMARK(BM_SkinPaint)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// One state picture as a paint asks for it: the button strip's second piece.
void BM_SkinPicture(benchmark::State& state) {
    Scene scene(state.range(0) != 0);
    auto picture = MakeObject<TBitmap>();
    for (auto _ : state)
        SkinBitmap(scene.button->FileTheme(), scene.style, tiButtonImage, picture.get(), 3, 2);
    state.SetLabel(state.range(0) ? "skin file" : "built-in DeepBlue");
}
BENCHMARK(BM_SkinPicture)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
