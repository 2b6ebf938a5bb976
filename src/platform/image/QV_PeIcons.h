#pragma once
// Icons of Windows program files (.exe, .dll; PE32 and PE32+): the icon group
// at resource index 0, that is the first entry of the group-icon resource
// directory (named entries before numbered ones, as stored), in its first
// language, and the icon resources it names.

#include "platform/image/QV_IconImage.h"

// The images of the first icon group. A source that is no program file, has no
// resources or no icon group fails with kNoIconResources; a group that cannot be
// read, or none of whose images can be found, with kInvalidIconFormat. Images
// the group names but the file lacks are left out.
TIconSet ReadProgramIconGroup(std::shared_ptr<const TByteSource> source);

// The image of a program file's bytes best suited to desiredSize.
TIconResult DecodeProgramIcon(const QByteArray& bytes, int desiredSize);
