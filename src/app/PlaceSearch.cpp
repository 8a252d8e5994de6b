#include "app/PlaceSearch.h"

#include <algorithm>
#include <utility>

namespace {
// What people type for a country that its name and code do not say.
const std::pair<const char*, QLocale::Territory> kOtherNames[] = {
    {"usa", QLocale::UnitedStates},       {"america", QLocale::UnitedStates},
    {"uk", QLocale::UnitedKingdom},       {"great britain", QLocale::UnitedKingdom},
    {"england", QLocale::UnitedKingdom},  {"scotland", QLocale::UnitedKingdom},
    {"wales", QLocale::UnitedKingdom},    {"northern ireland", QLocale::UnitedKingdom},
    {"uae", QLocale::UnitedArabEmirates}, {"emirates", QLocale::UnitedArabEmirates},
    {"holland", QLocale::Netherlands},    {"czech republic", QLocale::Czechia},
    {"turkiye", QLocale::Turkey},         {"cote d ivoire", QLocale::IvoryCoast},
    {"burma", QLocale::Myanmar},          {"swaziland", QLocale::Eswatini},
    {"south korea", QLocale::SouthKorea}, {"prc", QLocale::China},
    {"drc", QLocale::CongoKinshasa},
};
} // namespace

QStringList SearchWords(const QString& text)
{
    QStringList words;
    QString word;
    for (const QChar c : text.normalized(QString::NormalizationForm_D).toCaseFolded()) {
        if (c.isLetterOrNumber()) {
            word += c;
        } else if (c.category() != QChar::Mark_NonSpacing && !word.isEmpty()) {
            words << word;
            word.clear();
        }
    }
    if (!word.isEmpty())
        words << word;
    return words;
}

void PlaceSearch::add(const QByteArray& ianaZone, QLocale::Territory territory)
{
    QStringList words = SearchWords(QString::fromUtf8(ianaZone));
    if (territory != QLocale::AnyTerritory) {
        words << SearchWords(QLocale::territoryToString(territory)) << QLocale::territoryToCode(territory).toLower();
        for (const auto& [name, country] : kOtherNames)
            if (country == territory)
                words << SearchWords(QString::fromLatin1(name));
    }
    m_words.append(words);
}

PlaceSearch::Found PlaceSearch::find(const QString& typed, int current) const
{
    const QStringList wanted = SearchWords(typed);
    Found found;
    int best = 0, currentScore = -1;
    for (qsizetype i = 0; i < m_words.size(); ++i) {
        // Each typed word scores 2 as a whole word of the place, 1 as the start of one; a word it starts none of
        // leaves the place out.
        int score = 0;
        for (const QString& w : wanted) {
            int fit = 0;
            for (const QString& word : m_words[i])
                fit = std::max(fit, word == w ? 2 : word.startsWith(w) ? 1 : 0);
            score = fit ? score + fit : -1;
            if (score < 0)
                break;
        }
        found.shown << (score >= 0);
        if (i == current)
            currentScore = score;
        if (score >= 0 && (found.selected < 0 || score > best)) {
            found.selected = int(i);
            best = score;
        }
    }
    if (currentScore >= 0 && currentScore == best)
        found.selected = current;
    return found;
}
