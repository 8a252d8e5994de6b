// The program with its windows: the splash, the time warning, the main window and the link behind it.
#pragma once

#include <QString>

class QApplication;

// Runs until the main window closes or SIGTERM or SIGINT comes; the exit status.
int RunWindow(QApplication& app, const QString& linkText);
