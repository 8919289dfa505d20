#pragma once
// The numbered working bitmaps that capture leaves for the GIF and AVI steps: "temp/" beside
// the program, or, when that folder cannot be made or written (an installed program in a
// read-only folder), "korvid/temp/" in the user's cache folder.
#include "rtl/Types.h"

#include <vector>

// Highest number the window's closing removes.
constexpr int kLastWorkingFileNumber = 10000;

class TWorkingFiles {
public:
    // Folders to try in order; the program's own choice when none are given.
    TWorkingFiles();
    explicit TWorkingFiles(std::vector<String> candidates);

    // The folder files go to (with a trailing "/"): the first candidate that exists or can
    // be made and takes a file. Raises EInOutError, naming every folder tried, when none
    // does; nothing is created or changed then.
    const String& Prepare();
    // The folder chosen by Prepare, else the first candidate (closing and list clicks
    // look there even when no capture ran).
    const String& Folder() const;
    // Folder + decimal number + ".bmp".
    String FileName(int number) const;
    bool Exists(int number) const;
    // Deletes files first..last of every candidate folder, skipping missing ones; the
    // folders stay.
    void DeleteRange(int first, int last) const;

    // "temp/" beside the program, then the XDG cache folder's "korvid/temp/".
    static std::vector<String> DefaultCandidates();

private:
    std::vector<String> candidates_;
    String folder_;
};
