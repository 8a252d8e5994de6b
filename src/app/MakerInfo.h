// The maker's name, contact block and rights notice, in one place for an installer to replace.
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

namespace MakerInfo {
inline const QString kRightsNotice =
    QStringLiteral("Copyright \u00A9 2026 Orvale Instruments, Inc. All rights reserved.");

// Set at build time: cmake -DQUILLMARCH_MAKER_URL=... -DQUILLMARCH_WORLDCLOCK_URL=...
inline const QString kWebAddress = QStringLiteral(QUILLMARCH_MAKER_URL);
inline const QString kWorldClockAddress = QStringLiteral(QUILLMARCH_WORLDCLOCK_URL);

// The About window's contact block, one line per label; the rights notice closes it. The maker is fictitious:
// the numbers are from the range kept for fiction, the mail domain is reserved for examples.
inline const QStringList kContactBlock = {
    QStringLiteral("Orvale Instruments, Inc."),
    QStringLiteral("1450 Harbour Reach Road"),
    QStringLiteral("Port Calder, OR 97365, USA"),
    QStringLiteral("Telephone: +1 541 555 0142"),
    QStringLiteral("Fax: +1 541 555 0143"),
    QStringLiteral("Web: ") + kWebAddress,
    QStringLiteral("Sales: sales@orvale-instruments.example"),
    QStringLiteral("Support: support@orvale-instruments.example"),
    QStringLiteral("Support page: ") + QUrl(kWebAddress).resolved(QUrl(QStringLiteral("support/"))).toString(),
    kRightsNotice,
};
} // namespace MakerInfo
