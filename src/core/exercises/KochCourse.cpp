#include "exercises/KochCourse.h"

#include "engine/MorseTable.h"
#include "exercises/CsvFields.h"

#include <QFileInfo>

#include <algorithm>
#include <numeric>

namespace koch {
namespace {

QStringList tokensOf(QStringView spaced)
{
    QStringList tokens;
    for (QStringView t : spaced.split(u' ', Qt::SkipEmptyParts))
        tokens << t.toString();
    return tokens;
}

constexpr int kOrderFields = 2;   // order and lesson, before the attempt's fields

} // namespace

QStringList courseOrder()
{
    return tokensOf(u"K M U R E S N A P T L W I . J Z = F O Y , V G 5 / Q 9 2 H 3 8 B ? 4 7 C 1 D 6 0 X");
}

QStringList classicOrder()
{
    return tokensOf(u"K M R S U A P T L O W I . N J E F 0 Y , V G 5 / Q 9 Z H 3 8 B ? 4 2 7 C 1 D 6 X");
}

int lessonCount(const QStringList &order)
{
    return std::max(0, int(order.size()) - 1);
}

QStringList lessonCharacters(const QStringList &order, int lesson)
{
    const int n = std::clamp(lesson, 1, std::max(1, lessonCount(order)));
    return order.mid(0, n + 1);
}

ParsedOrder parseOrder(QStringView text)
{
    ParsedOrder p;
    const QString upper = text.toString().toUpper();
    for (qsizetype i = 0; i < upper.size(); ++i) {
        const QChar c = upper[i];
        if (c.isSpace())
            continue;
        QString token(c);
        QStringView key(upper.constData() + i, 1);
        if (c == u'<' && i + 3 < upper.size() && upper[i + 3] == u'>') {
            key = QStringView(upper).mid(i + 1, 2);
            token = upper.mid(i, 4);
            i += 3;
        }
        if (morse::lookupPattern(key).empty()) {
            p.problem = ParsedOrder::Problem::Unsendable;
            p.culprit = token;
            return p;
        }
        if (p.characters.contains(token)) {
            p.problem = ParsedOrder::Problem::Repeated;
            p.culprit = token;
            return p;
        }
        p.characters << token;
    }
    if (p.characters.size() < kMinOrderLength)
        p.problem = ParsedOrder::Problem::TooShort;
    return p;
}

QString orderText(const QStringList &order)
{
    return order.join(QString());
}

std::vector<double> drawWeights(const QStringList &characters, int lesson,
                                const QHash<QString, double> &errorRates)
{
    std::vector<double> weights(size_t(characters.size()), 1.0);
    if (lesson < kBiasFromLesson)
        return weights;
    for (qsizetype i = 0; i < characters.size(); ++i) {
        double &w = weights[size_t(i)];
        if (i >= characters.size() - kNewestCount)
            w += kNewestExtraWeight;
        w += kWeakExtraWeight * std::clamp(errorRates.value(characters[i], 0.0), 0.0, 1.0);
    }
    return weights;
}

qsizetype weightedIndex(const std::vector<double> &weights, double r)
{
    const double total = std::accumulate(weights.begin(), weights.end(), 0.0);
    double target = r * total;
    for (size_t i = 0; i < weights.size(); ++i) {
        if (weights[i] <= 0)
            continue;
        if (target < weights[i])
            return qsizetype(i);
        target -= weights[i];
    }
    // r just below 1 with rounding: the last character that can be drawn.
    for (size_t i = weights.size(); i-- > 0;) {
        if (weights[i] > 0)
            return qsizetype(i);
    }
    return 0;
}

QString lessonText(const QStringList &order, int lesson, GroupLengths lengths,
                   int characterCount, const QHash<QString, double> &errorRates,
                   practice::Uniform random)
{
    const QStringList characters = lessonCharacters(order, lesson);
    if (characters.isEmpty())
        return {};
    const std::vector<double> weights = drawWeights(characters, lesson, errorRates);
    const std::vector<double> lengthWeights(std::begin(kLengthWeights), std::end(kLengthWeights));
    QString text;
    int drawn = 0;
    int groups = 0;
    while (drawn < characterCount) {
        const int length = lengths == GroupLengths::Fixed5
            ? practice::kGroupLength
            : kMinGroupLength + int(weightedIndex(lengthWeights, random()));
        for (int i = 0; i < length; ++i)
            text += characters[weightedIndex(weights, random())];
        text += u' ';
        drawn += length;
        if (++groups % kGroupsPerLine == 0)
            text += practice::kLineBreak;
    }
    return text;
}

int runCharacters(int minutes, int cpm, GroupLengths lengths)
{
    // The mean group of both kinds is five characters; its gap takes about one more.
    const double perGroup = lengths == GroupLengths::Fixed5 ? practice::kGroupLength : 4.5;
    const double share = perGroup / (perGroup + 1);
    return std::max(kMinGroupLength, int(minutes * cpm * share));
}

KochHistory::KochHistory(QString path) : m_path(std::move(path)) {}

QString KochHistory::defaultPath()
{
    return QFileInfo(receive::ReceiveHistory::defaultPath()).absolutePath()
        + QStringLiteral("/koch.csv");
}

QString KochHistory::header()
{
    return QStringLiteral("raekkefoelge,lektion,") + receive::ReceiveHistory::header();
}

QByteArray KochHistory::row(const Run &run)
{
    return (csv::quoted(run.order) + u',' + QString::number(run.lesson) + u',').toUtf8()
        + receive::ReceiveHistory::row(run.attempt);
}

bool KochHistory::parseRow(QStringView line, Run &run)
{
    // The order and the lesson never hold a comma, the attempt's fields follow.
    qsizetype start = 0;
    QStringView fields[kOrderFields];
    for (QStringView &f : fields) {
        const qsizetype comma = line.indexOf(u',', start);
        if (comma < 0)
            return false;
        f = line.mid(start, comma - start);
        start = comma + 1;
    }
    bool ok = false;
    run.order = fields[0].toString();
    run.lesson = fields[1].toInt(&ok);
    return ok && run.lesson >= 1 && !run.order.isEmpty()
        && receive::ReceiveHistory::parseRow(line.mid(start), run.attempt);
}

KochHistory::Contents KochHistory::read() const
{
    Contents c;
    c.readable = csv::forEachRow(m_path, header(), [&c](QStringView line) {
        Run run;
        if (parseRow(line, run))
            c.runs.push_back(run);
        else
            ++c.skipped;
    });
    return c;
}

bool KochHistory::append(const Run &run)
{
    return csv::appendRows(m_path, header(), row(run)).ok();
}

} // namespace koch
