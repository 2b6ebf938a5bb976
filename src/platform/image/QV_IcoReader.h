#pragma once
// Icon files (.ico): a directory of images, each a bitmap with AND mask or a PNG
// stream. Cursor files are not icon files.

#include "platform/image/QV_IconImage.h"

// The directory of an icon file. Entries whose image lies wholly outside the
// source are left out; a directory that is cut short or holds no image fails
// with kInvalidIconFormat.
TIconSet ReadIconDirectory(std::shared_ptr<const TByteSource> source);

// The image of an icon file's bytes best suited to desiredSize.
TIconResult DecodeIcon(const QByteArray& bytes, int desiredSize);
