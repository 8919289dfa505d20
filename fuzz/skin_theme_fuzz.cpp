// A skin file of arbitrary bytes through the theme component into drawing: load it, decode
// every image it holds (whole and sliced), and paint a skinned button, an edit and a form
// frame with it. Every input must end in a drawn window or an exception of the rtl tree;
// never a crash, overrun or hang. Seeds: fuzz/corpus/skin_file/.
#include "InputFile.h"
#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "platform/headless/Headless.h"
#include "skin/SKButton.h"
#include "skin/SKEdit.h"
#include "skin/SKForm.h"
#include "skin/SKMgr.h"

#include <unistd.h>

#include <cstdint>
#include <string>

namespace {

// The window and its controls outlive the inputs: each input only changes the skin.
struct Desk {
    Desk() {
        app = CreateComponent<TApplication>(nullptr);
        app->CreateForm(form);
        form->SetBorderStyle(bsSingle);
        form->SetCaption("Varnelo");
        form->SetBounds(10, 10, 240, 160);
        theme = CreateComponent<TskFileTheme>(form);
        TskForm* frame = CreateComponent<TskForm>(form);
        frame->SetUIStyle(FromThemeFile);
        frame->SetFileTheme(theme);
        button = CreateComponent<TskButton>(form);
        button->SetBounds(8, 40, 80, 24);
        button->SetCaption("Open");
        button->SetParent(form);
        button->SetUIStyle(FromThemeFile);
        button->SetFileTheme(theme);
        edit = CreateComponent<TskEdit>(form);
        edit->SetBounds(8, 80, 120, 22);
        edit->SetParent(form);
        edit->SetUIStyle(FromThemeFile);
        edit->SetFileTheme(theme);
        form->Show();
        headless::HeadlessBackend::PumpMessages();
    }
    ~Desk() { app->Free(); }

    headless::HeadlessSession session;
    TApplication* app = nullptr;
    TForm* form = nullptr;
    TskFileTheme* theme = nullptr;
    TskButton* button = nullptr;
    TskEdit* edit = nullptr;
};

void DecodeImages(TskFileTheme& theme) {
    for (int item = 1; item <= kThemeItemCount; ++item) {
        if (ThemeItemKindOf(item) != tkThemeImage) continue;
        ObjectPtr<TBitmap> whole = MakeObject<TBitmap>();
        theme.GetBitmap(item, whole.get());
        ObjectPtr<TBitmap> piece = MakeObject<TBitmap>();
        theme.GetSlicedBitmap(item, piece.get(), 4, 2);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Desk desk;
    // A new name for every input: the theme loads a name it does not hold already.
    static int count = 0;
    const std::string path = InputFileName(".skn", ++count);
    if (!WriteInputFile(path, data, size)) return 0;
    try {
        desk.theme->SetThemeFile(path);
    } catch (const Exception&) {
        // Not a skin file: the controls keep drawing what they had.
    }
    try {
        DecodeImages(*desk.theme);
        desk.form->Invalidate();
        desk.button->Invalidate();
        desk.edit->Invalidate();
        headless::HeadlessBackend::PumpMessages();
    } catch (const Exception&) {
        // An image that loads but cannot be drawn must say so.
    }
    unlink(path.c_str());
    return 0;
}
