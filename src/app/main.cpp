// korvid: turns a video into an animated preview grid.
#include "app/MainForm.h"
#include "framework/Application.h"
#include "gif/GIFGraphic.h"
#include "platform/user/Backend.h"
#include "platform/x11/X11Backend.h"

#include <cstdio>

int main() {
    std::unique_ptr<user::DisplayBackend> display = x11::OpenX11Backend();
    if (!display) {
        std::fputs("korvid: no display to show the window on (is DISPLAY set?)\n", stderr);
        return 1;
    }
    user::SetDisplayBackend(std::move(display));
    GIFGraphicInit();
    int result = 0;
    {
        ObjectPtr<TApplication> application(CreateComponent<TApplication>(nullptr));
        application->Initialize();
        application->SetTitle("Varnelo");
        application->CreateForm(Form1);
        Form1->Show();
        application->Run();
    }
    GIFGraphicDone();
    user::SetDisplayBackend(nullptr);
    return result;
}
