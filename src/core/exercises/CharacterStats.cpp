#include "exercises/CharacterStats.h"

#include "exercises/CsvFields.h"
#include "exercises/KochCourse.h"
#include "exercises/ReceiveHistory.h"

#include <QFileInfo>

#include <algorithm>
#include <deque>

namespace stats {
namespace {

constexpr int kFieldCount = 5;
constexpr int kWeakGroupLength = 5;

} // namespace

std::vector<Event> eventsFromScore(const receive::Score &score, const QDateTime &when)
{
    std::vector<Event> events;
    for (const receive::Column &c : score.alignment) {
        if (c.step == receive::Step::Extra || c.sent == receive::kWordGap)
            continue;
        Event e;
        e.when = when;
        e.character = receive::tokenText(c.sent);
        e.right = c.step == receive::Step::Correct;
        if (c.step == receive::Step::Wrong)
            e.takenFor = receive::tokenText(c.copied);
        events.push_back(e);
    }
    return events;
}

std::vector<Summary> summarize(const std::vector<Event> &events)
{
    struct Tally {
        std::deque<bool> recent;
        int total = 0;
        QHash<QString, int> confusions;
        double reactionSum = 0;
        int reactions = 0;
    };
    QHash<QString, Tally> tallies;
    for (const Event &e : events) {
        Tally &t = tallies[e.character];
        ++t.total;
        t.recent.push_back(e.right);
        if (t.recent.size() > size_t(kRecentCount))
            t.recent.pop_front();
        if (!e.right)
            ++t.confusions[e.takenFor];
        if (e.reactionMs >= 0) {
            t.reactionSum += e.reactionMs;
            ++t.reactions;
        }
    }
    std::vector<Summary> out;
    out.reserve(size_t(tallies.size()));
    for (auto it = tallies.cbegin(); it != tallies.cend(); ++it) {
        const Tally &t = it.value();
        Summary s;
        s.character = it.key();
        s.total = t.total;
        s.recent = int(t.recent.size());
        const auto right = std::count(t.recent.begin(), t.recent.end(), true);
        s.accuracy = 100.0 * double(right) / s.recent;
        if (s.recent >= kTrendMinimum) {
            const auto half = t.recent.begin() + s.recent / 2;
            const auto older = std::count(t.recent.begin(), half, true);
            const auto newer = right - older;
            s.trend = 100.0 * double(newer) / double(t.recent.end() - half)
                - 100.0 * double(older) / double(half - t.recent.begin());
        }
        for (auto c = t.confusions.cbegin(); c != t.confusions.cend(); ++c)
            s.confusions.push_back({c.key(), c.value()});
        std::sort(s.confusions.begin(), s.confusions.end(), [](const Confusion &a, const Confusion &b) {
            return a.count != b.count ? a.count > b.count : a.takenFor < b.takenFor;
        });
        if (t.reactions > 0)
            s.meanReactionMs = t.reactionSum / t.reactions;
        out.push_back(std::move(s));
    }
    std::sort(out.begin(), out.end(), [](const Summary &a, const Summary &b) {
        if (a.accuracy != b.accuracy)
            return a.accuracy < b.accuracy;
        if (a.total != b.total)
            return a.total > b.total;
        return a.character < b.character;
    });
    return out;
}

QHash<QString, double> errorRates(const std::vector<Summary> &summaries)
{
    QHash<QString, double> rates;
    for (const Summary &s : summaries)
        rates.insert(s.character, s.errorRate());
    return rates;
}

std::vector<double> accuracyCurve(const std::vector<Event> &events, const QString &character, int window)
{
    std::vector<double> curve;
    std::deque<bool> last;
    int right = 0;
    for (const Event &e : events) {
        if (e.character != character)
            continue;
        last.push_back(e.right);
        right += e.right ? 1 : 0;
        if (last.size() > size_t(std::max(1, window))) {
            right -= last.front() ? 1 : 0;
            last.pop_front();
        }
        curve.push_back(100.0 * right / double(last.size()));
    }
    return curve;
}

QString weakGroups(const std::vector<Summary> &summaries, int count, practice::Uniform random)
{
    QStringList characters;
    std::vector<double> weights;
    for (const Summary &s : summaries) {
        if (s.errorRate() > 0) {
            characters << s.character;
            weights.push_back(s.errorRate());
        }
    }
    if (characters.isEmpty() || count < 1)
        return {};
    practice::PracticeText text(random);
    text.opening(2);
    QStringList line;
    for (int g = 0; g < count; ++g) {
        QString group;
        for (int i = 0; i < kWeakGroupLength; ++i)
            group += characters[koch::weightedIndex(weights, random())];
        line << group;
        if (line.size() == koch::kGroupsPerLine || g == count - 1) {
            text.repeatLine(line.join(u' '), 1);
            line.clear();
        }
    }
    text.lineBreak();
    return text.close();
}

CharacterStats::CharacterStats(QString path) : m_path(std::move(path)) {}

QString CharacterStats::defaultPath()
{
    return pathBeside(receive::ReceiveHistory::defaultPath());
}

QString CharacterStats::pathBeside(const QString &historyPath)
{
    return QFileInfo(historyPath).absolutePath() + QStringLiteral("/tegnstatistik.csv");
}

QString CharacterStats::header()
{
    return QStringLiteral("tidspunkt,tegn,rigtigt,opfattet_som,reaktionstid_ms");
}

QByteArray CharacterStats::row(const Event &e)
{
    const QStringList fields{e.when.toString(Qt::ISODate), csv::quoted(e.character),
                             e.right ? QStringLiteral("1") : QStringLiteral("0"),
                             csv::quoted(e.takenFor),
                             e.reactionMs >= 0 ? QString::number(e.reactionMs) : QString()};
    return (fields.join(u',') + u'\n').toUtf8();
}

namespace {

// "yyyy-MM-ddTHH:mm:ss" read by hand (the form row() writes), anything else by Qt.
// A local time costs a time-zone lookup each (about 10 us): the offset from UTC is
// looked up once per hour of the file, and each row's time is the same instant with
// that offset.
struct TimeCache {
    QString text;
    QDateTime when;
    QString hour;          // "yyyy-MM-ddTHH" of offset
    int offset = 0;        // seconds ahead of UTC
    QStringList tokens;    // the characters met so far, shared by their events
};

// One shared string per character of the file instead of one per row.
QString intern(QStringView token, TimeCache *cache)
{
    if (!cache)
        return token.toString();
    for (const QString &t : std::as_const(cache->tokens)) {
        if (t == token)
            return t;
    }
    cache->tokens << token.toString();
    return cache->tokens.back();
}

QDateTime readTime(QStringView text, TimeCache *cache)
{
    if (cache && text == cache->text)
        return cache->when;
    QDateTime when;
    const auto number = [text](qsizetype at, qsizetype length, int &value) {
        value = 0;
        for (qsizetype i = at; i < at + length; ++i) {
            const char16_t c = text[i].unicode();
            if (c < u'0' || c > u'9')
                return false;
            value = value * 10 + (c - u'0');
        }
        return true;
    };
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0;
    if (text.size() == 19 && text[4] == u'-' && text[7] == u'-' && text[10] == u'T'
        && text[13] == u':' && text[16] == u':' && number(0, 4, y) && number(5, 2, mo)
        && number(8, 2, d) && number(11, 2, h) && number(14, 2, mi) && number(17, 2, sec)) {
        const QDate date(y, mo, d);
        const QTime time(h, mi, sec);
        if (!cache) {
            when = QDateTime(date, time);
        } else {
            if (text.left(13) != cache->hour) {
                const QDateTime local(date, QTime(h, 0));
                cache->hour = text.left(13).toString();
                cache->offset = local.isValid() ? local.offsetFromUtc() : 0;
            }
            when = QDateTime(date, time, Qt::OffsetFromUTC, cache->offset);
        }
    } else
        when = QDateTime::fromString(text.toString(), Qt::ISODate);
    if (cache) {
        cache->text = text.toString();
        cache->when = when;
    }
    return when;
}

bool parseFields(QStringView line, Event &e, TimeCache *cache)
{
    // Rows without quotes (nearly all) are split in place.
    QStringView f[kFieldCount];
    QStringList quotedFields;
    if (line.contains(u'"')) {
        quotedFields = csv::splitFields(line);
        if (quotedFields.size() != kFieldCount)
            return false;
        for (int i = 0; i < kFieldCount; ++i)
            f[i] = quotedFields[i];
    } else {
        qsizetype start = 0;
        for (int i = 0; i < kFieldCount; ++i) {
            const qsizetype comma = line.indexOf(u',', start);
            if ((comma < 0) != (i == kFieldCount - 1))
                return false;
            f[i] = line.mid(start, comma < 0 ? -1 : comma - start);
            start = comma + 1;
        }
    }
    e.when = readTime(f[0], cache);
    e.character = intern(f[1], cache);
    e.takenFor = f[3].isEmpty() ? QString() : intern(f[3], cache);
    if (f[2] != u"0" && f[2] != u"1")
        return false;
    e.right = f[2] == u"1";
    bool ok = true;
    e.reactionMs = f[4].isEmpty() ? -1 : f[4].toInt(&ok);
    return ok && e.when.isValid() && !e.character.isEmpty() && e.character.size() <= 4
        && e.reactionMs >= -1 && e.takenFor.size() <= 4;
}

} // namespace

bool CharacterStats::parseRow(QStringView line, Event &e)
{
    return parseFields(line, e, nullptr);
}

CharacterStats::Contents CharacterStats::read() const
{
    Contents c;
    TimeCache cache;
    c.readable = csv::forEachRow(m_path, header(), [&c, &cache](QStringView line) {
        Event e;
        if (parseFields(line, e, &cache))
            c.events.push_back(std::move(e));
        else
            ++c.skipped;
    });
    return c;
}

bool CharacterStats::append(const std::vector<Event> &events)
{
    if (events.empty())
        return true;
    QByteArray rows;
    for (const Event &e : events)
        rows += row(e);
    return csv::appendRows(m_path, header(), rows).ok();
}

} // namespace stats
