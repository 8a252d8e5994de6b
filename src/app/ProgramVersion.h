// The version texts the windows show, from the version the build was made with.
#pragma once

#include <QString>

// "Version 2.8": major and minor in plain decimal, no revision.
inline QString VersionText(int major = QUILLMARCH_VERSION_MAJOR, int minor = QUILLMARCH_VERSION_MINOR)
{
    return QStringLiteral("Version %1.%2").arg(major).arg(minor);
}
