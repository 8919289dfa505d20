// The icon reader on arbitrary bytes: an ICO file loaded, each size asked for, its handle
// made, drawn and saved back. Every input must end in a drawn icon or an exception of the
// rtl tree; never a crash, overrun or hang.
#include "framework/Bitmap.h"
#include "framework/Canvas.h"
#include "framework/Icon.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TMemoryStream stream;
    if (size) stream.WriteBuffer(data, Int64(size));
    stream.SetPosition(0);
    ObjectPtr<TIcon> icon = MakeObject<TIcon>();
    try {
        icon->LoadFromStream(stream);
    } catch (const Exception&) {
        if (!icon->Empty()) __builtin_trap(); // a failed load keeps what the icon had
        return 0;
    }
    ObjectPtr<TBitmap> target = MakeObject<TBitmap>();
    target->SetPixelFormat(pf32bit);
    target->SetSize(24, 24);
    for (int side : {16, 32, 48}) {
        icon->SetSize(side, side);
        if (!icon->Handle() && !icon->Empty()) __builtin_trap();
        target->Canvas()->Draw(2, 2, icon.get());
        target->Canvas()->StretchDraw(Rect(0, 0, 24, 24), icon.get());
    }
    // What loaded saves back as it was read.
    TMemoryStream out;
    icon->SaveToStream(out);
    if (out.Size() != stream.Position()) __builtin_trap();
    return 0;
}
