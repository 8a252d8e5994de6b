// Lines for standard error: "quillmarch: ..." for a person at a terminal, sd-daemon priority prefixes for journald.
#pragma once

#include <QString>
#include <cstdio>

class Journal
{
public:
    enum class Priority { Error = 3, Warning = 4, Info = 6 };

    explicit Journal(bool servicePrefixes = false, std::FILE* out = stderr) : m_prefixes(servicePrefixes), m_out(out)
    {}

    // One line per call: the line breaks of a message-box text become "; ", so journald keeps it as one entry.
    void write(Priority priority, const QString& text);
    void error(const QString& text) { write(Priority::Error, text); }
    void warning(const QString& text) { write(Priority::Warning, text); }
    void info(const QString& text) { write(Priority::Info, text); }

    // The journal of a program that has not been given one: plain lines on standard error.
    static Journal& standardError();

private:
    bool m_prefixes;
    std::FILE* m_out;
};

// The line a journal writes, without its end of line; for the tests and for Journal itself.
QString JournalLine(bool servicePrefixes, Journal::Priority priority, const QString& text);
