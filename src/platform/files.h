#pragma once
#include <cstddef>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

namespace plat {

// The program's folder, where its data files are, without a trailing separator: beside
// the executable, else ../share/nibbly relative to it. Tests may point it elsewhere (an
// empty path points it back).
std::string AppPath();
void SetAppPath(const std::string& path);
// The data folder of an executable in executableFolder.
std::string DataFolderFor(const std::string& executableFolder);

// The existing file whose name matches path's last component case-insensitively, or
// path itself when none does.
std::string ResolveFile(const std::string& path);

// Reads the whole of a regular file (symbolic links followed) of at most limit bytes into
// bytes. Anything else (a pipe, a device, a folder) is refused without blocking. On failure
// bytes is empty and error holds the reason.
bool ReadRegularFile(const std::string& path, std::size_t limit, std::string& bytes,
                     std::string& error);

// Opens a file to be read more than once from its start, the same bytes each time: a regular
// file as it is; anything else (standard input for "-", a pipe, a device) copied first to a
// temporary file that is gone once file is closed. A folder, and anything longer than limit
// bytes, is refused. The reason on failure, else empty.
std::string OpenToReadTwice(const std::string& path, std::size_t limit, std::ifstream& file);
// The file OpenToReadTwice reads for path, by a name SameFile can compare.
inline std::string InputFile(const std::string& path) {
    return path == "-" ? "/dev/stdin" : path;
}

// Replaces the content of a file atomically: written beside it, then renamed over it. A
// symbolic link is followed to its target, which is created when missing (with its folder);
// anything but a regular file there is left alone and the result is false, as on any failure,
// with the reason in error.
bool WriteRegularFile(const std::string& path, const std::string& bytes, std::string& error);

// Opens a file to write from its start without ever blocking: a new regular file, or with
// mustBeNew false the regular file already there (links followed), emptied only once it is
// known to be one. Anything else there (a FIFO, a device, a folder) is refused and left as it
// is; so is any existing name, a link included, when mustBeNew. nullptr with the reason in
// error on failure.
std::FILE* OpenOutputFile(const std::string& path, bool mustBeNew, std::string& error);

struct OwnFile {
    std::string name;
    std::time_t modified;
};
// The regular files of this user's in folder (a link is none, whatever it names).
std::vector<OwnFile> OwnRegularFiles(const std::string& folder);

// Removes a file of OwnRegularFiles, as long as it still is one.
void RemoveOwnFile(const std::string& folder, const std::string& name);
// Makes the folder and those above it that are missing; false if it is not there after.
bool MakeFolders(const std::string& folder);
// "2026-12-08_19-45-12" for that moment in local time.
std::string LocalStamp(std::time_t when);

// Renames from to to, unless something is at to already.
bool RenameToNewName(const std::string& from, const std::string& to, std::string& error);

// Removes path only while it still names the open file (not a file put at its name since).
void RemoveOpenFile(const std::string& path, std::FILE* file);

// Locks an open file for as long as it stays open, however the program ends. False when
// another holds it.
bool HoldLock(std::FILE* file);
// Whether a program holds the file at path locked; a link is never opened.
bool LockedElsewhere(const std::string& path);

// This process's id, which no other process running now has.
int ProcessId();

// The user's home: $HOME when absolute, else the user's entry in the password database.
std::string HomeFolder();
// $XDG_DATA_HOME/app, by default ~/.local/share/app.
std::string UserDataFolder(const std::string& app);

// Whether two paths name one file: the same device and inode, or for a name not made yet
// (where a link that dangles points), the same name in the same folder, links resolved.
bool SameFile(const std::string& a, const std::string& b);

// The descriptors this process has open below the most it may have (its soft limit).
// Big blocks (files read whole, decoded pictures) go back to the system as soon as they are
// freed; the allocator's sliding threshold would keep each in the heap, once freed, for good.
void ReturnBigBlocksWhenFreed();
// Gives what is free in the heap back to the system now.
void ReturnFreedMemory();

struct Descriptors {
    int open = 0;
    int limit = 0;
    // Too few left for the game, with a margin: it holds about 15 at once.
    bool Short() const { return limit - open < 32; }
};
Descriptors CountDescriptors();

}  // namespace plat
