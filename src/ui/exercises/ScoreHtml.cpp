#include "exercises/ScoreHtml.h"

#include <QCoreApplication>
#include <QLocale>

#include <algorithm>

using namespace receive;

namespace exercises {
namespace {

constexpr int kAlignedColumns = 60;   // characters per line of the aligned texts

} // namespace

QString percentText(double value)
{
    static const QLocale danish(QLocale::Danish, QLocale::Denmark);
    return danish.toString(value, 'f', 1) + QStringLiteral(" %");
}

QString alignedScoreHtml(const Score &s)
{
    QString html = QStringLiteral("<pre style=\"font-family: monospace\">");
    QString top, bottom;
    int columns = 0;
    const auto flush = [&] {
        html += top + QLatin1Char('\n') + bottom + QStringLiteral("\n\n");
        top.clear();
        bottom.clear();
        columns = 0;
    };
    for (const Column &c : s.alignment) {
        const QString sent = c.step == Step::Extra ? QString() : tokenText(c.sent);
        const QString copied = c.step == Step::Missing ? QStringLiteral("_") : tokenText(c.copied);
        const qsizetype width = std::max(sent.size(), copied.size());
        const QString sentCell = sent.leftJustified(width).toHtmlEscaped();
        const QString copiedCell = copied.leftJustified(width).toHtmlEscaped();
        top += sentCell;
        switch (c.step) {
        case Step::Correct:
            bottom += copiedCell;
            break;
        case Step::Wrong:
            bottom += QStringLiteral("<span style=\"color:#d00000; font-weight:bold\">%1</span>").arg(copiedCell);
            break;
        case Step::Missing:
            bottom += QStringLiteral("<span style=\"color:#909090\">%1</span>").arg(copiedCell);
            break;
        case Step::Extra:
            bottom += QStringLiteral("<s style=\"color:#d00000\">%1</s>").arg(copiedCell);
            break;
        }
        columns += int(width);
        if (columns >= kAlignedColumns && c.sent == kWordGap)
            flush();
    }
    if (columns > 0)
        flush();
    return html + QStringLiteral("</pre>");
}

QString scoreCountsHtml(const Score &s)
{
    return QCoreApplication::translate("ScoreHtml",
                                       "<p>Sendt: %1 tegn. Rigtige: %2. Forkerte: %3. Manglende: %4. "
                                       "Ekstra: %5.<br><b>Nøjagtighed: %6</b></p>")
        .arg(s.sent)
        .arg(s.correct)
        .arg(s.wrong)
        .arg(s.missing)
        .arg(s.extra)
        .arg(percentText(s.accuracy()));
}

} // namespace exercises
