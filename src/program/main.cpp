// The program's start: what the command line asks for, and the application object for it.
#include "app/CommandLine.h"
#include "app/Journal.h"
#include "model/SettingsStore.h"
#include "program/OneShotCommands.h"
#include "program/ServiceMode.h"
#include "program/WindowMode.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // Linux hands the arguments over split; the link is named by all of them joined, as typed. They are taken before
    // Qt sees argv, and Qt sees the program's name alone: QApplication would take options such as -style out of
    // the list and act on them, and the operator would be told of a link other than the one typed.
    QStringList words;
    for (int i = 1; i < argc; ++i)
        words << QString::fromLocal8Bit(argv[i]);
    CommandLine commandLine(words);
    int qtArgc = 1;

    switch (commandLine.request()) {
    case CommandLine::Request::Window: {
        QApplication app(qtArgc, argv);
        QCoreApplication::setOrganizationName(QStringLiteral("Quillmarch"));
        QCoreApplication::setApplicationName(QStringLiteral("Quillmarch"));
        QCoreApplication::setApplicationVersion(QStringLiteral(QUILLMARCH_VERSION_TEXT));
        QGuiApplication::setDesktopFileName(QStringLiteral(QUILLMARCH_APP_ID));
        return RunWindow(app, commandLine.linkText());
    }
    case CommandLine::Request::Service: {
        // No windows and no display: everything the windows would say goes to the journal.
        QCoreApplication app(qtArgc, argv);
        QCoreApplication::setOrganizationName(QStringLiteral("Quillmarch"));
        QCoreApplication::setApplicationName(QStringLiteral("Quillmarch"));
        Journal journal(true);
        return RunService(commandLine.linkText(), SettingsStore::DefaultFilePath(), journal);
    }
    default:
        return AnswerOneShot(commandLine, qtArgc, argv);
    }
}
