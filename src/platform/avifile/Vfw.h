#pragma once
// The AVI-file service calls: create an AVI file, give it one video stream with its header
// and format, write its samples, release. Results are 0 on success and an AVIERR_ code
// otherwise. The file appears under its name only once it is complete (at AVIFileRelease);
// a file whose writing failed never appears. A call that fails on the file itself (it cannot
// be made or written) leaves the system's reason in errno.
#include "platform/WinTypes.h"

struct AviFileObject;
struct AviStreamObject;
using PAVIFILE = AviFileObject*;
using PAVISTREAM = AviStreamObject*;

constexpr DWORD mmioFOURCC(char a, char b, char c, char d) {
    return static_cast<DWORD>(static_cast<BYTE>(a)) |
           (static_cast<DWORD>(static_cast<BYTE>(b)) << 8) |
           (static_cast<DWORD>(static_cast<BYTE>(c)) << 16) |
           (static_cast<DWORD>(static_cast<BYTE>(d)) << 24);
}

constexpr DWORD streamtypeVIDEO = mmioFOURCC('v', 'i', 'd', 's');

// Open modes.
constexpr UINT OF_READ = 0x0000;
constexpr UINT OF_WRITE = 0x0001;
constexpr UINT OF_READWRITE = 0x0002;
constexpr UINT OF_SHARE_EXCLUSIVE = 0x0010;
constexpr UINT OF_CREATE = 0x1000;

// Sample flags.
constexpr DWORD AVIIF_KEYFRAME = 0x00000010;

constexpr HRESULT AVIERR_OK = 0;
constexpr HRESULT MakeAviError(int n) {
    return static_cast<HRESULT>(0x80044000u + static_cast<unsigned>(n));
}
constexpr HRESULT AVIERR_UNSUPPORTED = MakeAviError(101);
constexpr HRESULT AVIERR_BADFORMAT = MakeAviError(102);
constexpr HRESULT AVIERR_MEMORY = MakeAviError(103);
constexpr HRESULT AVIERR_INTERNAL = MakeAviError(104);
constexpr HRESULT AVIERR_BADFLAGS = MakeAviError(105);
constexpr HRESULT AVIERR_BADPARAM = MakeAviError(106);
constexpr HRESULT AVIERR_BADSIZE = MakeAviError(107);
constexpr HRESULT AVIERR_BADHANDLE = MakeAviError(108);
constexpr HRESULT AVIERR_FILEREAD = MakeAviError(109);
constexpr HRESULT AVIERR_FILEWRITE = MakeAviError(110);
constexpr HRESULT AVIERR_FILEOPEN = MakeAviError(111);
constexpr HRESULT AVIERR_READONLY = MakeAviError(114);

struct AVISTREAMINFOA {
    DWORD fccType = 0;
    DWORD fccHandler = 0;
    DWORD dwFlags = 0;
    DWORD dwCaps = 0;
    WORD wPriority = 0;
    WORD wLanguage = 0;
    DWORD dwScale = 0;
    DWORD dwRate = 0; // samples per second = dwRate / dwScale
    DWORD dwStart = 0;
    DWORD dwLength = 0;
    DWORD dwInitialFrames = 0;
    DWORD dwSuggestedBufferSize = 0;
    DWORD dwQuality = 0;
    DWORD dwSampleSize = 0;
    RECT rcFrame;
    DWORD dwEditCount = 0;
    DWORD dwFormatChangeCount = 0;
    char szName[64] = {};
};

void AVIFileInit();
void AVIFileExit();
// Only creating for writing is offered: mode must hold OF_CREATE and OF_WRITE.
HRESULT AVIFileOpenA(PAVIFILE* file, LPCSTR fileName, UINT mode, const void* handler);
HRESULT AVIFileCreateStreamA(PAVIFILE file, PAVISTREAM* stream, const AVISTREAMINFOA* info);
// Once, at position 0, before the first sample: a BITMAPINFO (header and colour table).
HRESULT AVIStreamSetFormat(PAVISTREAM stream, LONG position, const void* format, LONG formatSize);
// Samples are written in order; a start beyond the next sample number leaves empty samples.
HRESULT AVIStreamWrite(PAVISTREAM stream, LONG start, LONG samples, const void* buffer,
                       LONG bufferSize, DWORD flags, LONG* samplesWritten, LONG* bytesWritten);
ULONG AVIStreamRelease(PAVISTREAM stream);
// Completes the file: headers and indexes are written and the file takes its name. errno is
// 0 afterwards when the file was completed, else the reason it could not be (it then does not
// appear).
ULONG AVIFileRelease(PAVIFILE file);
