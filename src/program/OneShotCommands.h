// The commands that print an answer and end: --help, --version, --list-ports, --status, --clock-times and
// --match-zone. None of them opens a window or a link.
#pragma once

class CommandLine;

// The exit status; `argc` and `argv` as main() has them, for the QCoreApplication the answers need.
int AnswerOneShot(CommandLine& commandLine, int& argc, char** argv);
