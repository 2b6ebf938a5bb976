#pragma once
// The walk of a name search: every folder below the start folders, depth first,
// each read once, its names handed over as the directory gives them, without a
// status call; the full entry is read only for a name the caller keeps. A folder
// collected can be listed again by its index.
//
// The walk never follows a symbolic link to a folder, never enters /proc, /sys,
// /dev, the kernel's own file systems or a network or FUSE mount (any of which
// may not answer) unless a start folder lies inside it, and leaves a start
// folder that lies inside another one to its own walk. Folders are opened
// relative to their start folder with symbolic links refused on the way, so a
// folder swapped for a link between the two passes is not followed either.
// Folders that cannot be read are skipped, entries that vanish are passed over.
// Memory grows with the number of folders, not with their depth: the folder
// table keeps each name once with the index of its parent, and nothing recurses.
//
// Threads: one walk belongs to one thread.

#include "platform/fs/QV_DirList.h"
#include "platform/fs/QV_Mounts.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// One name of a folder as the directory gives it.
struct TWalkName {
    const char* Bytes = nullptr;  // NUL-terminated
    size_t Length = 0;
    unsigned char Type = 0;       // the directory's d_type; 0 when it does not say
};

class TFolderWalk {
public:
    // Start folders are absolute paths; equal ones (after resolving links) count once.
    explicit TFolderWalk(const QStringList& startFolders);
    // Takes the mount table as given, for tests.
    TFolderWalk(const QStringList& startFolders, const std::vector<TMountEntry>& mounts);
    ~TFolderWalk();
    TFolderWalk(const TFolderWalk&) = delete;
    TFolderWalk& operator=(const TFolderWalk&) = delete;

    // Pass one: every start folder (even one that does not exist or is no folder,
    // which then lists nothing) and every folder below it, depth first, in the
    // order the directories give their entries. collected gets the index of each
    // folder added, before it is read; onName, when given, every name of each
    // folder read (ReadEntry works inside it) and answers false to stop, so a
    // search can look at every name while reading each folder only once.
    // Answers false when cancelled or stopped.
    bool Collect(const TCancelCheck& cancelled, const std::function<void(int folder)>& collected = {},
                 const std::function<bool(int folder, const TWalkName& name)>& onName = {});
    int FolderCount() const { return int(folders_.size()); }
    // During Collect: the folders found so far that have not been read yet.
    int PendingFolders() const { return int(pending_); }
    // The folder's path as the start folder was given, with a trailing "/".
    QString FolderPath(int folder) const;

    // Lists a collected folder again: each name goes to onName, which answers false to
    // stop. Answers false when the folder could not be opened.
    bool Scan(int folder, const std::function<bool(const TWalkName& name)>& onName);
    // Inside either onName: the entry of that name as a listing reads it; false
    // when it has vanished meanwhile.
    bool ReadEntry(const TWalkName& name, TDirEntry& entry);

    // The folders a walk does not enter from above: /proc, /sys, /dev and the
    // mount points of kernel, network and FUSE file systems. A walk that starts
    // inside one of them walks it all the same.
    static QStringList Barriers(const std::vector<TMountEntry>& mounts);

private:
    struct TStart {
        QString Shown;     // as given, without trailing "/"
        QByteArray Real;   // resolved, without trailing "/" ("" for the root)
        int Fd = -1;
    };
    struct TFolder {
        std::int32_t Parent = -1;  // -1 for a start folder
        std::int32_t Start = 0;
        std::uint32_t NameOffset = 0;
        std::uint32_t NameLength = 0;
    };

    void Init(const QStringList& startFolders, const std::vector<TMountEntry>& mounts);
    QByteArray RelativePath(int folder) const;
    int OpenFolder(int folder) const;

    std::vector<TStart> starts_;
    std::vector<TFolder> folders_;
    QByteArray names_;
    // Resolved paths the walk does not enter: barriers and other start folders.
    std::vector<QByteArray> skip_;
    qsizetype pending_ = 0;
    // The folder being read, for ReadEntry.
    int scanFd_ = -1;
    std::unique_ptr<TFolderEntryReader> scanReader_;
};
