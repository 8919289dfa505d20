#pragma once
// Files, folders and paths. The path separator is "/" (PathDelim); where the program's code
// writes a backslash as the separator, this is the one meant.
#include "rtl/Types.h"

constexpr char PathDelim = '/';

bool FileExists(const String& fileName); // regular files only
bool DirectoryExists(const String& dir);
bool DeleteFile(const String& fileName);
bool RenameFile(const String& oldName, const String& newName);
bool CreateDir(const String& dir);
// Creates the folder and every missing folder above it; true when it exists afterwards.
bool ForceDirectories(const String& dir);
bool RemoveDir(const String& dir);
Int64 FileSizeOf(const String& fileName); // -1 when it is not a readable regular file

// "dir/sub/name.ext": path "dir/sub/", dir "dir/sub", name "name.ext", ext ".ext".
String ExtractFilePath(const String& fileName);
String ExtractFileDir(const String& fileName);
String ExtractFileName(const String& fileName);
String ExtractFileExt(const String& fileName);
// Replaces only the last extension ("a.b.avi" -> "a.b.gif"); adds one when there is none.
String ChangeFileExt(const String& fileName, const String& extension);
String IncludeTrailingPathDelimiter(const String& path);
String ExcludeTrailingPathDelimiter(const String& path);
String ExpandFileName(const String& fileName);

// The running program's file (from /proc/self/exe) and its folder with a trailing "/".
String ProgramFileName();
String ProgramFolder();
String GetCurrentDir();
bool SetCurrentDir(const String& dir);

// File attributes as FindFirst reports and filters them.
constexpr int faReadOnly = 0x01;
constexpr int faHidden = 0x02; // names starting with "."
constexpr int faSysFile = 0x04;
constexpr int faDirectory = 0x10;
constexpr int faArchive = 0x20;
constexpr int faNormal = 0x80;
constexpr int faAnyFile = 0x1FF;

struct TSearchRec {
    TSearchRec() = default;
    ~TSearchRec(); // closes a search left open
    TSearchRec(const TSearchRec&) = delete;
    TSearchRec& operator=(const TSearchRec&) = delete;

    String Name; // the name alone, without the folder
    Int64 Size = 0;
    int Attr = 0;
    Int64 Time = 0; // modification time, seconds since 1970
    struct State;
    State* FindHandle = nullptr;
};

// Lists the entries of the pattern's folder whose names match its last part, where "*" stands
// for any run of characters and "?" for one (letters match without regard to case). Regular
// files are listed; folders only with faDirectory in attr, hidden entries only with faHidden;
// "." and ".." never. Returns 0 and fills rec with the first match, else a non-zero error
// (rec then needs no FindClose). Every successful FindFirst needs FindClose.
int FindFirst(const String& pattern, int attr, TSearchRec& rec);
int FindNext(TSearchRec& rec);
void FindClose(TSearchRec& rec);

// Whether name matches a "*" and "?" pattern as FindFirst matches.
bool MatchesMask(const String& name, const String& mask);
