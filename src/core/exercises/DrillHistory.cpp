#include "exercises/DrillHistory.h"

#include "exercises/CsvFields.h"
#include "program/ProgramInfo.h"

#include <QStandardPaths>

#include <algorithm>

namespace drill {
namespace {

constexpr int kFieldCount = 9;

QString dataFile(const char *name)
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return data + QLatin1Char('/') + program::title() + QLatin1Char('/') + QLatin1String(name);
}

bool readInt(const QString &text, int &value)
{
    bool ok = false;
    value = text.toInt(&ok);   // C locale: plain digits
    return ok && value >= 0;
}

} // namespace

DrillHistory::DrillHistory(QString path) : m_path(std::move(path)) {}

QString DrillHistory::callsPath() { return dataFile("kaldesignaltraening.csv"); }
QString DrillHistory::wordsPath() { return dataFile("ordtraening.csv"); }

QString DrillHistory::header()
{
    return QStringLiteral("tidspunkt,kilde,antal,trin,start_wpm,hoejeste_wpm,slut_wpm,point,"
                          "rigtige");
}

QByteArray DrillHistory::row(const RunRecord &r)
{
    QStringList f{r.when.toString(Qt::ISODate), csv::quoted(r.source)};
    for (const int n : {r.count, r.step, r.startWpm, r.topWpm, r.finalWpm, r.points, r.exact})
        f << QString::number(n);
    return (f.join(u',') + QLatin1Char('\n')).toUtf8();
}

bool DrillHistory::parseRow(QStringView line, RunRecord &r)
{
    const QStringList f = csv::splitFields(line);
    if (f.size() != kFieldCount)
        return false;
    r.when = QDateTime::fromString(f[0], Qt::ISODate);
    r.source = f[1];
    return r.when.isValid() && !r.source.isEmpty() && readInt(f[2], r.count)
        && readInt(f[3], r.step) && readInt(f[4], r.startWpm) && readInt(f[5], r.topWpm)
        && readInt(f[6], r.finalWpm) && readInt(f[7], r.points) && readInt(f[8], r.exact);
}

DrillHistory::Contents DrillHistory::read() const
{
    Contents c;
    c.readable = csv::forEachRow(m_path, header(), [&c](QStringView line) {
        RunRecord r;
        if (parseRow(line, r))
            c.runs.push_back(r);
        else
            ++c.skipped;
    });
    return c;
}

bool DrillHistory::append(const RunRecord &run)
{
    return csv::appendRows(m_path, header(), row(run)).ok();
}

std::vector<RunRecord> bestRuns(const std::vector<RunRecord> &runs, const QString &source,
                                int count, int step)
{
    std::vector<RunRecord> best;
    std::copy_if(runs.begin(), runs.end(), std::back_inserter(best), [&](const RunRecord &r) {
        return r.source == source && r.count == count && r.step == step;
    });
    std::stable_sort(best.begin(), best.end(),
                     [](const RunRecord &a, const RunRecord &b) { return a.points > b.points; });
    if (best.size() > size_t(kBestCount))
        best.resize(size_t(kBestCount));
    return best;
}

} // namespace drill
