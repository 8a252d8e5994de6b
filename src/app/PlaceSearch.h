// Finding a place in the list of time zones as people name it: words from their start, the country by its usual
// names and codes, accents or not.
#pragma once

#include <QByteArray>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

// Lowercase, accents dropped, split into words at anything not a letter or digit: "São_Paulo" gives sao, paulo.
QStringList SearchWords(const QString& text);

class PlaceSearch
{
public:
    // The next place of the list: its zone's words, its country's name, code and other names.
    void add(const QByteArray& ianaZone, QLocale::Territory territory);

    struct Found
    {
        QList<bool> shown; // one per place, in the order added; all for an empty search
        int selected = -1; // the place to select; -1 when none fits
    };
    // `current` stays selected while it fits as well as any other; else the first place that fits best. A typed
    // word that is a whole word of a place fits better than one that only begins a word.
    Found find(const QString& typed, int current) const;

private:
    QList<QStringList> m_words;
};
