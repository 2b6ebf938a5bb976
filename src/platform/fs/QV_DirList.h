#pragma once
// Directory enumeration: the entries of one folder with the attributes, size and
// times the browsing code needs, read with readdir and one statx per entry.

#include "platform/fs/QV_FsResult.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// Attribute bits of a directory entry.
enum TFileAttribute : std::uint32_t {
    faDirectory = 1, // a folder, or a symbolic link to one
    faHidden = 2,    // leading "." or listed in the folder's ".hidden" file
    faSystem = 4,    // neither regular file, folder nor symbolic link (device, FIFO, socket)
    faReadOnly = 8,  // the user may not write it
    faSymLink = 16,
    // Only the name and the kind are known: the folder may be read but not
    // entered (no execute permission), so the entry's status cannot be read.
    // Size and times are zero.
    faNoStatus = 32,
};

struct TDirEntry {
    QString Name; // decoded with the file-name codec
    std::uint32_t Attributes = 0;
    qint64 Size = 0; // of the target for a symbolic link that resolves
    // Milliseconds since the epoch (UTC). CreationTime is the birth time where the
    // file system keeps one, else the modification time.
    qint64 CreationTime = 0;
    qint64 AccessTime = 0;
    qint64 WriteTime = 0;

    bool Is(TFileAttribute attribute) const { return (Attributes & attribute) != 0; }
};

enum class TDirOrder {
    doByName,   // case-insensitive, digit runs by value, total order
    doUnsorted, // as the file system returns them, for walks where only the set matters
};

struct TDirListing {
    std::vector<TDirEntry> Entries;
    bool Failed = false;    // the folder could not be opened or read to the end: see Error
    TFsError Error;
    bool Cancelled = false; // the cancel callback asked to stop; Entries is partial
};

// Answers true when the listing should stop. Polled between entries, from the
// listing thread.
using TCancelCheck = std::function<bool()>;

// Lists a folder without "." and "..". Entries that vanish between reading the
// folder and reading their status are left out; in a folder the user may read
// but not enter, every entry is listed with faNoStatus. Never throws.
TDirListing ListDirectory(const QString& folder, TDirOrder order = TDirOrder::doByName,
                          const TCancelCheck& cancelled = {});

// Reads one path's entry (the last component as name, attributes as in a
// listing); ENOENT when it does not exist.
TFsResult<TDirEntry> ReadDirEntry(const QString& path);

// True when the folder can be opened and holds at least one entry besides "." and "..".
bool FolderHasAnyEntry(const QString& folder);

// The name order of listings: negative, zero or positive. Letters compare without
// case, runs of digits by value ("file2" before "file10"); names that still tie
// compare by their code units, so only equal names give zero.
int CompareFileNames(const QString& a, const QString& b);

// Reads single entries of one open folder the way a listing reads them (the
// folder's ".hidden" names are read once), for walks that look at names first
// and read the status only of the entries they keep.
class TFolderEntryReader {
public:
    // folderFd stays the caller's and must stay open while the reader is used.
    explicit TFolderEntryReader(int folderFd);
    ~TFolderEntryReader();
    TFolderEntryReader(const TFolderEntryReader&) = delete;
    TFolderEntryReader& operator=(const TFolderEntryReader&) = delete;
    // type is the directory's d_type (0 when unknown). False when the entry has
    // vanished; an entry the user may not look at is named, as in a listing.
    bool Read(const char* name, size_t length, unsigned char type, TDirEntry& entry) const;

private:
    struct TImpl;
    std::unique_ptr<TImpl> impl_;
};
