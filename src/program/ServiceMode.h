// `quillmarch --service LINK`: the refresh cycle without windows, for a service manager.
#pragma once

#include <QString>

class Journal;

// Runs until SIGTERM or SIGINT (status 0). A link that cannot be opened, or that another Quillmarch holds, ends it
// at once with status 1, so the service manager tries again later. Needs a QCoreApplication.
int RunService(const QString& linkText, const QString& settingsPath, Journal& journal);
