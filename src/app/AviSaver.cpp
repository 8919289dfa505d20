#include "app/AviSaver.h"

#include "app/FieldRules.h"
#include "app/ReplacingFile.h"
#include "app/ResizeBitmap.h"
#include "framework/BitmapDIB.h"
#include "platform/avifile/Vfw.h"

#include <cerrno>
#include <cstring>
#include <memory>

namespace {

// Each acquired service handle is released on every path, in reverse order.
struct AviServices {
    AviServices() { AVIFileInit(); }
    ~AviServices() { AVIFileExit(); }
};
struct FileRelease {
    void operator()(AviFileObject* f) const { AVIFileRelease(f); }
};
struct StreamRelease {
    void operator()(AviStreamObject* s) const { AVIStreamRelease(s); }
};

void ApplyZoom(TBitmap* bitmap, int zoom) {
    if (zoom != 100)
        ResizeBitmap(bitmap, ZoomedSide(bitmap->Width(), zoom), ZoomedSide(bitmap->Height(), zoom));
}

// The step's message with the system's reason, when there is one.
[[noreturn]] void RaiseFileFailure(const char* message, int error) {
    if (error == 0) throw Exception(message);
    throw Exception(String(message) + ": " + std::strerror(error));
}

// The replacing file's own failures in the words of the AVI step.
template <class F> void AsAviFileStep(F step) {
    try {
        step();
    } catch (const EInOutError& e) {
        RaiseFileFailure("Failed to create AVI file", e.ErrorCode);
    }
}

void WriteGridAvi(const String& fileName, const TAviSaveSettings& settings,
                  const TAviFrameSource& source) {
    const TPixelFormat format = settings.eightBit ? pf8bit : pf24bit;
    ObjectPtr<TBitmap> bitmap(CreateObject<TBitmap>());
    source.load(0, bitmap.get());
    ApplyZoom(bitmap.get(), settings.zoom);

    AviServices services;
    PAVIFILE rawFile = nullptr;
    errno = 0;
    if (AVIFileOpenA(&rawFile, fileName.c_str(), OF_CREATE | OF_SHARE_EXCLUSIVE | OF_WRITE,
                     nullptr) != AVIERR_OK)
        RaiseFileFailure("Failed to create AVI file", errno);
    std::unique_ptr<AviFileObject, FileRelease> file(rawFile);

    DWORD headerSize = 0, imageSize = 0;
    GetBitmapDIBSizes(bitmap->Handle(), headerSize, imageSize, format);
    if (headerSize == 0) throw Exception("Failed to retrieve bitmap info");

    AVISTREAMINFOA info;
    info.fccType = streamtypeVIDEO;
    info.fccHandler = 0;
    info.dwFlags = 0;
    info.dwScale = static_cast<DWORD>(settings.scale);
    info.dwRate = kAviRate;
    info.dwSuggestedBufferSize = imageSize;
    info.rcFrame = RECT{0, 0, bitmap->Width(), bitmap->Height()};
    PAVISTREAM rawStream = nullptr;
    if (AVIFileCreateStreamA(file.get(), &rawStream, &info) != AVIERR_OK)
        throw Exception("Failed to create AVI stream");
    std::unique_ptr<AviStreamObject, StreamRelease> stream(rawStream);

    auto header = std::make_unique<Byte[]>(headerSize);
    auto bits = std::make_unique<Byte[]>(imageSize);
    const int width = bitmap->Width(), height = bitmap->Height();
    GetBitmapDIBits(bitmap->Handle(), 0, header.get(), bits.get(), format);
    if (AVIStreamSetFormat(stream.get(), 0, header.get(), static_cast<LONG>(headerSize)) !=
        AVIERR_OK)
        throw Exception("Failed to set AVI stream format");

    const int count = source.count();
    for (int i = 0; i < count; ++i) {
        if (source.skipped(i)) continue;
        if (source.progress) source.progress(i, count);
        source.load(i, bitmap.get());
        ApplyZoom(bitmap.get(), settings.zoom);
        // Every frame is written in the first frame's geometry: a frame of another size
        // would not fit the stream's buffer.
        if (bitmap->Width() != width || bitmap->Height() != height)
            ResizeBitmap(bitmap.get(), width, height);
        GetBitmapDIBits(bitmap->Handle(), 0, header.get(), bits.get(), format);
        LONG written = 0, bytes = 0;
        errno = 0;
        if (AVIStreamWrite(stream.get(), i, 1, bits.get(), static_cast<LONG>(imageSize),
                           AVIIF_KEYFRAME, &written, &bytes) != AVIERR_OK)
            RaiseFileFailure("Failed to add frame to AVI", errno);
    }
    // Completing the file writes its indexes: a full disk can stop it here too.
    AVIStreamRelease(stream.release());
    AVIFileRelease(file.release());
    if (errno != 0) RaiseFileFailure("Failed to create AVI file", errno);
}

} // namespace

void SaveGridAvi(const String& fileName, const TAviSaveSettings& settings,
                 const TAviFrameSource& source) {
    // The file saved before stays as it was until the new one is complete.
    std::unique_ptr<TReplacingFile> file;
    AsAviFileStep([&] { file = std::make_unique<TReplacingFile>(fileName); });
    WriteGridAvi(file->TemporaryName(), settings, source);
    AsAviFileStep([&] { file->Commit(); });
}
