#pragma once
// Random access to the bytes of a file or of a buffer, for readers that need only
// a few parts of a possibly large file (a program's icon resources). Reads past
// the end fail; nothing is read that was not asked for.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>

class TByteSource {
public:
    virtual ~TByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Exactly `length` bytes at `offset`, or false (and `out` emptied) when they
    // lie outside the source or cannot be read. Safe to call from several threads.
    virtual bool Read(std::uint64_t offset, std::uint64_t length, QByteArray& out) const = 0;
};

std::shared_ptr<const TByteSource> MemorySource(const QByteArray& bytes);

// Opens a regular file for reading without blocking on a FIFO or device; `path`
// is program text, passed through the file-name codec. Answers the source, or
// nullptr with the reason in `error`.
std::shared_ptr<const TByteSource> OpenFileSource(const QString& path, QString& error);
