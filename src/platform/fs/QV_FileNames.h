#pragma once
// Lossless conversion between Linux file names (bytes) and the program's text.
// Valid UTF-8 decodes normally; every byte that is not part of a valid UTF-8
// sequence becomes the lone surrogate U+DC00+byte and is turned back into that
// byte on encoding, so any name read from the disk reaches the disk again intact.

#include <QByteArray>
#include <QString>

// Bytes from the file system to text.
QString DecodeFileName(const char* bytes, qsizetype length);
QString DecodeFileName(const QByteArray& bytes);

// Text to bytes for the file system. Lone surrogates outside U+DC80..U+DCFF cannot
// come from a decoded name; they are written as U+FFFD.
QByteArray EncodeFileName(const QString& text);

// The text for showing a name: escaped bytes become U+FFFD.
QString DisplayFileName(const QString& text);
