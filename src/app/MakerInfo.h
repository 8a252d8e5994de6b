// The maker's name, contact block and rights notice, in one place for an installer to replace.
#pragma once

#include <QString>
#include <QStringList>

namespace MakerInfo {
inline const QString kRightsNotice =
    QStringLiteral("Copyright \u00A9 2026 Orvale Instruments, Inc. All rights reserved.");

// Set at build time: cmake -DQUILLMARCH_MAKER_URL=... -DQUILLMARCH_WORLDCLOCK_URL=...
inline const QString kWebAddress = QStringLiteral(QUILLMARCH_MAKER_URL);
inline const QString kWorldClockAddress = QStringLiteral(QUILLMARCH_WORLDCLOCK_URL);

// The About window's contact block, one line per label; the rights notice closes it.
inline const QStringList kContactBlock = {
    QStringLiteral("Orvale Instruments, Inc."),
    QStringLiteral("[street address]"),
    QStringLiteral("[town, postcode, country]"),
    QStringLiteral("Telephone: [number]"),
    QStringLiteral("Fax: [number]"),
    QStringLiteral("Web: ") + kWebAddress,
    QStringLiteral("Sales: [e-mail address]"),
    QStringLiteral("Support: [e-mail address]"),
    QStringLiteral("Support page: [web address]"),
    kRightsNotice,
};
} // namespace MakerInfo
