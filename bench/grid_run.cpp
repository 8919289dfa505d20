// grid_run: the real main window on the headless display, driven through its own handlers
// (the clicks a user makes), with the time of every phase and the output sizes.
//
//   grid_run VIDEO [--grid 2|3|4] [--frames N] [--rate F] [--auto | --at T1,T2,..]
//            [--brightness B] [--gif OUT] [--avi OUT] [--grey] [--nearest] [--smaller]
//            [--zoom P] [--dump DIR] [--dump-cells DIR]
//
// --dump copies the grid frames' working bitmaps, --dump-cells the cell frames' ones as capture
// leaves them (the copy is made once composition has begun and counts to its time).
//
// Capture is split into the fixed waits the steps sleep and the rest. The player works in
// real time, so this runs on the real clock.
#include "app/MainForm.h"
#include "framework/Application.h"
#include "gif/GIFGraphic.h"
#include "movie/ActiveMovie.h"
#include "platform/headless/Headless.h"
#include "platform/kernel/Clock.h"
#include "rtl/Conversion.h"
#include "rtl/Files.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <sys/resource.h>
#include <unistd.h>

namespace {

struct Options {
    String video;
    int grid = 3;
    String frames = "20";
    String rate = "3";
    bool autoPositions = true;
    std::vector<double> at;
    int brightness = 20;
    String gif, avi, dump, dumpCells;
    bool grey = false, nearest = false, smaller = false;
    String zoom = "100";
};

int Usage() {
    std::fputs(
        "usage: grid_run VIDEO [--grid 2|3|4] [--frames N] [--rate F] [--auto | --at T1,T2,..]\n"
        "       [--brightness B] [--gif OUT] [--avi OUT] [--grey] [--nearest] [--smaller]\n"
        "       [--zoom P] [--dump DIR] [--dump-cells DIR]\n",
        stderr);
    return 2;
}

bool Parse(int argc, char** argv, Options& o) {
    if (argc < 2) return false;
    o.video = ExpandFileName(argv[1]);
    for (int i = 2; i < argc; ++i) {
        String a = argv[i];
        auto next = [&]() -> String { return i + 1 < argc ? String(argv[++i]) : String(); };
        if (a == "--grid")
            o.grid = std::atoi(next().c_str());
        else if (a == "--frames")
            o.frames = next();
        else if (a == "--rate")
            o.rate = next();
        else if (a == "--auto")
            o.autoPositions = true;
        else if (a == "--at") {
            o.autoPositions = false;
            String list = next();
            for (char* t = std::strtok(list.data(), ","); t; t = std::strtok(nullptr, ","))
                o.at.push_back(std::atof(t));
        } else if (a == "--brightness")
            o.brightness = std::atoi(next().c_str());
        else if (a == "--gif")
            o.gif = ExpandFileName(next());
        else if (a == "--avi")
            o.avi = ExpandFileName(next());
        else if (a == "--grey")
            o.grey = true;
        else if (a == "--nearest")
            o.nearest = true;
        else if (a == "--smaller")
            o.smaller = true;
        else if (a == "--zoom")
            o.zoom = next();
        else if (a == "--dump")
            o.dump = next();
        else if (a == "--dump-cells")
            o.dumpCells = next();
        else
            return false;
    }
    return o.grid >= 2 && o.grid <= 4;
}

// CPU time of the calling (user-interface) thread: unlike the wall time, it hardly moves with
// the load of other work on the machine.
double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

double Seconds(std::chrono::steady_clock::time_point from) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

long PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

long long SizeOf(const String& path) {
    std::error_code e;
    auto size = std::filesystem::file_size(path, e);
    return e ? -1 : static_cast<long long>(size);
}

// Copies working bitmaps 1..last (every one there is when last is 0) into the folder.
void DumpFiles(const TWorkingFiles& files, const String& folder, int last = 0) {
    ForceDirectories(folder);
    for (int i = 1; last == 0 ? files.Exists(i) : i <= last; ++i)
        std::filesystem::copy_file(files.FileName(i),
                                   IncludeTrailingPathDelimiter(folder) + IntToStr(i) + ".bmp",
                                   std::filesystem::copy_options::overwrite_existing);
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    if (!Parse(argc, argv, o)) return Usage();
    headless::HeadlessSession session;
    kernel::RealClock realClock;
    kernel::ScopedClock useRealClock(realClock);
    GIFGraphicInit();
    ObjectPtr<TApplication> app(CreateComponent<TApplication>(nullptr));
    app->SetTitle("Varnelo");
    String failure;
    app->OnException = [&](TObject*, const std::exception& e) { failure = e.what(); };
    app->CreateForm(Form1);
    TForm1* form = Form1;
    const String work = "/tmp/korvid-grid-run-" + IntToStr(getpid());
    form->WorkingFiles() = TWorkingFiles({work});
    form->Show();
    // A handler's exception ends the run as the window's message box would show it: the
    // handlers are called here directly, not through the message loop that catches.
    auto guarded = [&](const std::function<void()>& run) {
        try {
            run();
        } catch (const std::exception& e) {
            failure = e.what();
        }
    };
    auto step = [&](const char* name, const std::function<void()>& run) {
        auto start = std::chrono::steady_clock::now();
        Int64 waited = form->FixedWaitMs();
        guarded(run);
        app->ProcessMessages();
        double total = Seconds(start);
        double fixed = double(form->FixedWaitMs() - waited) / 1000.0;
        std::printf(
            "%-12s %8.3f s  (fixed waits %7.3f s, the rest %7.3f s = %5.2f %%)  peak %ld MB\n",
            name, total, fixed, total - fixed, total > 0 ? 100.0 * (total - fixed) / total : 0.0,
            PeakMegabytes());
        if (!failure.empty()) {
            std::fprintf(stderr, "grid_run: %s failed: %s\n", name, failure.c_str());
            std::filesystem::remove_all(work);
            std::exit(1);
        }
        return total;
    };

    user::DialogAnswer answer;
    answer.accepted = true;
    answer.fileName = o.video;
    session->QueueDialogAnswer(answer);
    step("open", [&] { form->sktempButton1Click(form->Button1); });
    form->sktrackbar1->SetPosition(o.brightness);
    TFormRadioButton* grid = o.grid == 2   ? form->skRadioButton3
                             : o.grid == 4 ? form->skRadioButton7
                                           : form->skRadioButton4;
    grid->Click();
    step("positions", [&] {
        if (o.autoPositions) {
            form->skButton4Click(form->skButton4);
            return;
        }
        for (size_t i = 0; i < o.at.size() && i < size_t(o.grid * o.grid); ++i) {
            int r = int(i) / o.grid, c = int(i) % o.grid;
            form->ActiveMovie1->Pause();
            form->ActiveMovie1->SetDoubleProp(1027, o.at[i]);
            form->cbutton11Click(form->CellButtons[size_t(CellIndex(r, c))]);
        }
    });
    form->skButton7Click(form->skButton7);
    form->skSpinEdit2->SetText(o.rate);
    form->skSpinEdit1->SetText(o.frames);
    form->skSpinEdit3->SetText(o.rate);
    form->skSpinEdit4->SetText(o.zoom);

    // Composition begins when the progress line first shows "t/N p%".
    auto captureStart = std::chrono::steady_clock::now();
    const double cpuAtStart = ThreadCpuSeconds();
    double cpuAtCompose = 0;
    std::chrono::steady_clock::time_point composeStart{};
    Int64 waitedBefore = form->FixedWaitMs(), waitedAtCompose = 0;
    form->OnStepIdle = [&] {
        if (composeStart.time_since_epoch().count() == 0 &&
            form->Label2->Caption().find('%') != String::npos) {
            composeStart = std::chrono::steady_clock::now();
            cpuAtCompose = ThreadCpuSeconds();
            waitedAtCompose = form->FixedWaitMs();
            if (!o.dumpCells.empty()) DumpFiles(form->WorkingFiles(), o.dumpCells);
        }
    };
    guarded([&] { form->sktempButton6Click(form->Button6); });
    app->ProcessMessages();
    form->OnStepIdle = nullptr;
    if (!failure.empty()) {
        std::fprintf(stderr, "grid_run: capture failed: %s\n", failure.c_str());
        std::filesystem::remove_all(work);
        return 1;
    }
    double captureAll = Seconds(captureStart);
    double compose = composeStart.time_since_epoch().count() ? Seconds(composeStart) : 0;
    double grab = captureAll - compose;
    double fixed = double(waitedAtCompose - waitedBefore) / 1000.0;
    std::printf("%-12s %8.3f s  (fixed waits %7.3f s, the rest %7.3f s = %5.2f %%)\n", "capture",
                grab, fixed, grab - fixed, 100.0 * (grab - fixed) / grab);
    std::printf("%-12s %8.3f s  (the window's own work during capture, in CPU time)\n",
                "  ui thread", cpuAtCompose - cpuAtStart);
    std::printf("%-12s %8.3f s  peak %ld MB\n", "composition", compose, PeakMegabytes());
    std::printf("%-12s %8.3f s  (capture and composition: the rest beyond fixed waits %5.2f %%)\n",
                "both", captureAll, 100.0 * (captureAll - fixed) / captureAll);

    if (o.grey) form->skRadioButton5->SetChecked(true);
    if (o.nearest) form->skRadioButton9->SetChecked(true);
    form->skRadioButton1->SetChecked(o.smaller);
    form->skRadioButton10->SetChecked(!o.smaller);
    step("make gif", [&] { form->sktempButton9Click(form->Button9); });
    if (!o.gif.empty()) {
        form->Edit3->SetText(o.gif);
        step("save gif", [&] { form->sktempButton7Click(form->Button7); });
        std::printf("gif          %lld bytes\n", SizeOf(o.gif));
    }
    if (!o.avi.empty()) {
        form->skRadioButton2->SetChecked(!o.grey);
        form->skEdit2->SetText(o.avi);
        step("save avi", [&] { form->skButton5Click(form->skButton5); });
        std::printf("avi          %lld bytes\n", SizeOf(o.avi));
    }
    int frames = form->ListView1->Items()->Count();
    if (!o.dump.empty()) DumpFiles(form->WorkingFiles(), o.dump, frames);
    std::printf("grid frames  %d of %dx%d\n", frames, form->Image1->Picture()->Width(),
                form->Image1->Picture()->Height());
    std::printf("peak memory  %ld MB\n", PeakMegabytes());
    form->Close();
    app->ProcessMessages();
    app.reset();
    std::filesystem::remove_all(work);
    return 0;
}
