// Where the program finds the files that ship with it (the manual, the map picture).
#pragma once

#include <QString>
#include <QStringList>

// The folders searched, in order: the program's own folder (a build, or a copy beside the program), the user's data
// folder, the system data folders, then the share folder of the prefix the program is installed under.
// Folders named twice are searched once, where they come first.
QStringList DataFolders(const QString& programFolder, const QString& userDataHome);

// The same for this run: the running program's folder and $XDG_DATA_HOME (~/.local/share when unset).
QStringList ProgramDataFolders();

// The first folder's file `name` that is a readable file, as a full path; empty when there is none.
QString FindDataFile(const QString& name, const QStringList& folders);
