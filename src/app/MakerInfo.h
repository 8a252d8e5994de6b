// The maker's name, contact block and rights notice, in one place for an installer to replace.
#pragma once

#include <QString>

namespace MakerInfo {
inline const QString kRightsNotice =
    QStringLiteral("Copyright \u00A9 2026 Orvale Instruments, Inc. All rights reserved.");
} // namespace MakerInfo
