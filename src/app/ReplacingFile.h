#pragma once
// Saving so that a save that fails keeps the file saved before, byte for byte: the new content
// goes to a temporary file beside the target, under a name no other file has, and is renamed
// over the target once it is complete and on the disk. On failure the temporary is removed,
// and the EInOutError raised names the system's reason ("No space left on device",
// "Read-only file system", "Permission denied") and carries its errno value as ErrorCode.
#include "rtl/Stream.h"

#include <functional>
#include <memory>

class TReplacingFile {
public:
    // Makes the temporary; raises "Cannot create file "target". reason" when it cannot be
    // made, or when the target exists and may not be written.
    explicit TReplacingFile(const String& target);
    // Removes the temporary unless Commit made it the target.
    ~TReplacingFile();
    TReplacingFile(const TReplacingFile&) = delete;
    TReplacingFile& operator=(const TReplacingFile&) = delete;

    const String& TemporaryName() const { return temporary_; }
    // Writes into the temporary; a short write leaves its reason in WriteError, and Commit
    // then raises with it.
    TStream& Stream();
    // Puts the temporary on the disk and renames it over the target; raises "Cannot write
    // file "target". reason".
    void Commit();
    // The reason of the first failed write into Stream, 0 when none failed.
    int WriteError() const;

private:
    class FileStream;

    String target_;
    String temporary_;
    std::unique_ptr<FileStream> stream_;
    bool committed_ = false;
};

// One save through a TReplacingFile: Write fills the stream. A write that fails is reported
// with the system's reason.
void SaveReplacing(const String& target, const std::function<void(TStream&)>& Write);
