// The service calls over the writer. Files and streams are looked up in a table before use,
// so a released or made-up handle gets AVIERR_BADHANDLE instead of touching freed memory.
#include "platform/avifile/AviWriter.h"
#include "platform/avifile/Vfw.h"

#include <cerrno>
#include <map>
#include <memory>
#include <mutex>

struct AviFileObject {
    std::unique_ptr<avifile::AviWriter> writer;
    PAVISTREAM stream = nullptr;
};

struct AviStreamObject {
    PAVIFILE file = nullptr;
};

namespace {

struct Table {
    std::mutex mutex;
    std::map<PAVIFILE, std::unique_ptr<AviFileObject>> files;
    std::map<PAVISTREAM, std::unique_ptr<AviStreamObject>> streams;
    int initCount = 0;
};

Table& table() {
    static Table t;
    return t;
}

AviFileObject* FindFile(Table& t, PAVIFILE file) {
    auto it = t.files.find(file);
    return it == t.files.end() ? nullptr : it->second.get();
}

AviStreamObject* FindStream(Table& t, PAVISTREAM stream) {
    auto it = t.streams.find(stream);
    return it == t.streams.end() ? nullptr : it->second.get();
}

} // namespace

void AVIFileInit() {
    std::lock_guard lock(table().mutex);
    ++table().initCount;
}

void AVIFileExit() {
    std::lock_guard lock(table().mutex);
    if (table().initCount > 0) --table().initCount;
}

HRESULT AVIFileOpenA(PAVIFILE* file, LPCSTR fileName, UINT mode, const void* handler) {
    if (!file) return AVIERR_BADPARAM;
    *file = nullptr;
    if (!fileName) return AVIERR_BADPARAM;
    if (!(mode & OF_CREATE) || !(mode & (OF_WRITE | OF_READWRITE)))
        return AVIERR_UNSUPPORTED; // reading AVI files is not offered
    avifile::AviWriter* writer = nullptr;
    const HRESULT hr = avifile::AviWriter::Create(fileName, writer);
    if (hr != AVIERR_OK) return hr;
    auto object = std::make_unique<AviFileObject>();
    object->writer.reset(writer);
    std::lock_guard lock(table().mutex);
    *file = object.get();
    table().files.emplace(object.get(), std::move(object));
    return AVIERR_OK;
}

HRESULT AVIFileCreateStreamA(PAVIFILE file, PAVISTREAM* stream, const AVISTREAMINFOA* info) {
    if (!stream) return AVIERR_BADPARAM;
    *stream = nullptr;
    std::lock_guard lock(table().mutex);
    AviFileObject* f = FindFile(table(), file);
    if (!f) return AVIERR_BADHANDLE;
    if (!info) return AVIERR_BADPARAM;
    const HRESULT hr = f->writer->SetStreamInfo(*info);
    if (hr != AVIERR_OK) return hr;
    auto object = std::make_unique<AviStreamObject>();
    object->file = file;
    f->stream = object.get();
    *stream = object.get();
    table().streams.emplace(object.get(), std::move(object));
    return AVIERR_OK;
}

HRESULT AVIStreamSetFormat(PAVISTREAM stream, LONG position, const void* format, LONG formatSize) {
    std::lock_guard lock(table().mutex);
    AviStreamObject* s = FindStream(table(), stream);
    if (!s) return AVIERR_BADHANDLE;
    if (position != 0 || formatSize < 0) return AVIERR_BADPARAM;
    return FindFile(table(), s->file)
        ->writer->SetFormat(format, static_cast<std::size_t>(formatSize));
}

HRESULT AVIStreamWrite(PAVISTREAM stream, LONG start, LONG samples, const void* buffer,
                       LONG bufferSize, DWORD flags, LONG* samplesWritten, LONG* bytesWritten) {
    if (samplesWritten) *samplesWritten = 0;
    if (bytesWritten) *bytesWritten = 0;
    std::lock_guard lock(table().mutex);
    AviStreamObject* s = FindStream(table(), stream);
    if (!s) return AVIERR_BADHANDLE;
    // A video stream takes one frame per call.
    if (samples != 1 || bufferSize < 0) return AVIERR_BADPARAM;
    LONG written = 0;
    const HRESULT hr =
        FindFile(table(), s->file)
            ->writer->Write(start, buffer, static_cast<std::size_t>(bufferSize), flags, written);
    if (hr == AVIERR_OK) {
        if (samplesWritten) *samplesWritten = 1;
        if (bytesWritten) *bytesWritten = written;
    } else if (hr == AVIERR_FILEWRITE) {
        errno = FindFile(table(), s->file)->writer->Error();
    }
    return hr;
}

ULONG AVIStreamRelease(PAVISTREAM stream) {
    std::lock_guard lock(table().mutex);
    auto it = table().streams.find(stream);
    if (it == table().streams.end()) return 0;
    if (AviFileObject* f = FindFile(table(), it->second->file)) f->stream = nullptr;
    table().streams.erase(it);
    return 0;
}

ULONG AVIFileRelease(PAVIFILE file) {
    std::unique_ptr<AviFileObject> object;
    {
        std::lock_guard lock(table().mutex);
        auto it = table().files.find(file);
        if (it == table().files.end()) return 0;
        object = std::move(it->second);
        table().files.erase(it);
        // A stream still held dies with its file.
        if (object->stream) table().streams.erase(object->stream);
    }
    errno = object->writer->Finish() == AVIERR_OK ? 0 : object->writer->Error();
    return 0;
}
