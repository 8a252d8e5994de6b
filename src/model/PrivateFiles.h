// Folders and files that hold the operator's settings: created readable by their owner only.
#pragma once

#include <QString>

// Creates `folder` and any missing parents; the folder itself, when created here, gets mode 0700. True when it
// exists afterwards.
bool MakePrivateFolder(const QString& folder);

// Creates `path` empty with mode 0600 unless it exists, so that an atomic save over it (which keeps the mode of the
// file it replaces) never shows the contents to others. True when the file exists afterwards.
bool EnsurePrivateFile(const QString& path);
