#include "framework/Picture.h"

#include "framework/Bitmap.h"
#include "framework/Icon.h"
#include "framework/Jpeg.h"
#include "platform/user/Clipboard.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

String Upper(String s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return s;
}

String WithoutDot(const String& ext) {
    return !ext.empty() && ext[0] == '.' ? ext.substr(1) : ext;
}

struct FileFormat {
    String extension; // upper case, no dot
    String description;
    TGraphicClass graphicClass;
};
struct ClipboardFormat {
    Word format;
    TGraphicClass graphicClass;
};

struct Registry {
    std::mutex lock;
    std::vector<FileFormat> files;
    std::vector<ClipboardFormat> clipboard;

    Registry() {
        files.push_back({"BMP", "Bitmaps", GraphicClass<TBitmap>()});
        files.push_back({"JPG", "JPEG Image File", GraphicClass<TJPEGImage>()});
        files.push_back({"JPEG", "JPEG Image File", GraphicClass<TJPEGImage>()});
        files.push_back({"ICO", "Icons", GraphicClass<TIcon>()});
        clipboard.push_back({Word(CF_BITMAP), GraphicClass<TBitmap>()});
    }
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

TGraphicClass ClipboardClass(Word format) {
    Registry& r = TheRegistry();
    std::lock_guard guard(r.lock);
    for (const ClipboardFormat& f : r.clipboard)
        if (f.format == format) return f.graphicClass;
    return {};
}

String ExtensionOf(const String& fileName) {
    const size_t slash = fileName.find_last_of('/');
    const size_t dot = fileName.find_last_of('.');
    if (dot == String::npos || (slash != String::npos && dot < slash)) return String();
    return fileName.substr(dot + 1);
}

} // namespace

void TPicture::RegisterFileFormat(const String& AExtension, const String& ADescription,
                                  TGraphicClass AGraphicClass) {
    Registry& r = TheRegistry();
    std::lock_guard guard(r.lock);
    const String ext = Upper(WithoutDot(AExtension));
    std::erase_if(r.files, [&](const FileFormat& f) { return f.extension == ext; });
    r.files.push_back({ext, ADescription, AGraphicClass});
}

void TPicture::RegisterClipboardFormat(Word AFormat, TGraphicClass AGraphicClass) {
    Registry& r = TheRegistry();
    std::lock_guard guard(r.lock);
    std::erase_if(r.clipboard, [&](const ClipboardFormat& f) { return f.format == AFormat; });
    r.clipboard.push_back({AFormat, AGraphicClass});
}

void TPicture::UnregisterGraphicClass(TGraphicClass AClass) {
    Registry& r = TheRegistry();
    std::lock_guard guard(r.lock);
    std::erase_if(r.files, [&](const FileFormat& f) { return f.graphicClass == AClass; });
    std::erase_if(r.clipboard, [&](const ClipboardFormat& f) { return f.graphicClass == AClass; });
}

TGraphicClass TPicture::FileFormatClass(const String& AExtension) {
    Registry& r = TheRegistry();
    std::lock_guard guard(r.lock);
    const String ext = Upper(WithoutDot(AExtension));
    for (const FileFormat& f : r.files)
        if (f.extension == ext) return f.graphicClass;
    return {};
}

bool TPicture::SupportsClipboardFormat(Word AFormat) {
    return bool(ClipboardClass(AFormat));
}

void TPicture::Destroy() {
    Replace(nullptr);
    inherited::Destroy();
}

void TPicture::Hook(TGraphic* graphic) {
    graphic->OnChange = [this](TObject* sender) { Changed(sender); };
    graphic->OnProgress = [this](TObject* sender, TProgressStage stage, Byte percent, bool redraw,
                                 const TRect& r, const String& msg) {
        if (OnProgress) OnProgress(sender, stage, percent, redraw, r, msg);
    };
}

void TPicture::Replace(TGraphic* graphic) {
    TGraphic* old = graphic_;
    graphic_ = graphic;
    if (old) {
        old->OnChange = nullptr;
        old->OnProgress = nullptr;
        old->Free();
    }
}

void TPicture::SetGraphic(TGraphic* Value) {
    if (Value == graphic_) return;
    TGraphic* copy = nullptr;
    if (Value) {
        ObjectPtr<TGraphic> made(Value->GraphicClassType().Create());
        made->Assign(Value);
        copy = made.release();
        Hook(copy); // after the copy: its own change notices are not the picture's
    }
    Replace(copy);
    Changed(this);
}

TBitmap* TPicture::Bitmap() {
    if (auto* bitmap = dynamic_cast<TBitmap*>(graphic_)) return bitmap;
    TBitmap* bitmap = CreateObject<TBitmap>();
    Hook(bitmap);
    Replace(bitmap);
    return bitmap;
}

int TPicture::Width() const {
    return graphic_ ? graphic_->Width() : 0;
}
int TPicture::Height() const {
    return graphic_ ? graphic_->Height() : 0;
}

void TPicture::Assign(TPersistent* Source) {
    if (!Source) {
        SetGraphic(nullptr);
    } else if (auto* picture = dynamic_cast<TPicture*>(Source)) {
        if (picture != this) SetGraphic(picture->Graphic());
    } else if (auto* graphic = dynamic_cast<TGraphic*>(Source)) {
        SetGraphic(graphic);
    } else {
        inherited::Assign(Source);
    }
}

void TPicture::AssignTo(TPersistent* Dest) {
    if (graphic_ && dynamic_cast<TGraphic*>(Dest) &&
        Dest->ClassType().InheritsFrom(*graphic_->GraphicClassType().Class)) {
        Dest->Assign(graphic_);
        return;
    }
    inherited::AssignTo(Dest);
}

void TPicture::Changed(TObject*) {
    if (OnChange) OnChange(this);
}

void TPicture::LoadFromFile(const String& FileName) {
    const String ext = ExtensionOf(FileName);
    TGraphicClass graphicClass = FileFormatClass(ext);
    if (!graphicClass) throw EInvalidGraphic("Unknown picture file extension (." + ext + ")");
    ObjectPtr<TGraphic> graphic(graphicClass.Create());
    graphic->OnProgress = [this](TObject* sender, TProgressStage stage, Byte percent, bool redraw,
                                 const TRect& r, const String& msg) {
        if (OnProgress) OnProgress(sender, stage, percent, redraw, r, msg);
    };
    graphic->LoadFromFile(FileName);
    Hook(graphic.get());
    Replace(graphic.release());
    Changed(this);
}

void TPicture::SaveToFile(const String& FileName) {
    if (graphic_) graphic_->SaveToFile(FileName);
}

void TPicture::LoadFromClipboardFormat(Word AFormat, HANDLE AData, HPALETTE APalette) {
    TGraphicClass graphicClass = ClipboardClass(AFormat);
    if (!graphicClass) throw EInvalidGraphic("Unsupported clipboard format");
    ObjectPtr<TGraphic> graphic(graphicClass.Create());
    graphic->LoadFromClipboardFormat(AFormat, AData, APalette);
    Hook(graphic.get());
    Replace(graphic.release());
    Changed(this);
}

void TPicture::SaveToClipboardFormat(Word& AFormat, HANDLE& AData, HPALETTE& APalette) {
    AFormat = 0;
    AData = 0;
    APalette = 0;
    if (graphic_) graphic_->SaveToClipboardFormat(AFormat, AData, APalette);
}
