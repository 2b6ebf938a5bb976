#include "platform/fs/QV_FsResult.h"

#include <cerrno>
#include <cstring>

QString TFsError::Message() const
{
    if (Code == 0)
        return Text;
    return Text + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(Code));
}

TFsError TFsError::FromErrno(const QString& text)
{
    return TFsError{errno, text};
}
