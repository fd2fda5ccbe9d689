#include "core/import/bulksummary.h"

#include "core/text/sjistext.h"

namespace vorq {

namespace {

const QString kEol = QStringLiteral("\r\n");

QString oneLine(QString text) { return text.replace(kEol, QStringLiteral(" ")); }

// The first kSummaryDatesListed lines, then how many more there are.
void listLines(QString &text, const QStringList &lines) {
    for (qsizetype i = 0; i < lines.size() && i < kSummaryDatesListed; ++i)
        text += QStringLiteral("  ") + lines.at(i) + kEol;
    if (lines.size() > kSummaryDatesListed)
        text += QStringLiteral("  ほか %1 件").arg(lines.size() - kSummaryDatesListed) + kEol;
}

}  // namespace

QString bulkSummaryText(const BulkRunSummary &s) {
    QString text = QStringLiteral("一括で取得が終わりました (%1 件の日付)。").arg(s.dates) + kEol + kEol;
    text += QStringLiteral("取り込んだ日付: %1 件").arg(s.imported) + kEol;

    text += QStringLiteral("見つからなかった日付: %1 件").arg(s.notFound.size()) + kEol;
    QStringList lines;
    for (const BulkRunSummary::MissingDate &m : s.notFound) {
        QString note;
        switch (m.what) {
            case BulkRunSummary::Missing::Recorded:
                note = QStringLiteral("放送のなかった日として記録しました");
                break;
            case BulkRunSummary::Missing::NotRecorded: note = QStringLiteral("記録していません"); break;
            case BulkRunSummary::Missing::NotYet:
                note = QStringLiteral("最新の週: まだ掲載されていないようです。記録していません");
                break;
        }
        lines << sjis::toUnicode(m.label) + QStringLiteral(" (") + note + QLatin1Char(')');
    }
    listLines(text, lines);

    text += QStringLiteral("取得できなかった日付: %1 件").arg(s.failed.size());
    if (!s.failed.isEmpty()) text += QStringLiteral(" (次に一括で取得するときに、もう一度取得します)");
    text += kEol;
    lines.clear();
    for (const FailedDate &f : s.failed)
        lines << sjis::toUnicode(f.label) + QStringLiteral(": ") + oneLine(f.reason);
    listLines(text, lines);

    text += QStringLiteral("飛ばした日付: %1 件").arg(s.skipped.size()) + kEol;
    if (s.stop == BulkRunSummary::Stop::GaveUp)
        text += QStringLiteral("  %1 件続けて取得できなかったため、残りの %2 件は取得せずに終了しました。")
                    .arg(kGiveUpAfterFailedDates)
                    .arg(s.notTried) +
                kEol;
    else if (s.stop == BulkRunSummary::Stop::Cancelled)
        text +=
            QStringLiteral("  キャンセルしたため、残りの %1 件は取得していません。").arg(s.notTried) + kEol;
    lines.clear();
    for (const QByteArray &label : s.skipped) lines << sjis::toUnicode(label);
    listLines(text, lines);
    if (!s.skipped.isEmpty())
        text += QStringLiteral("飛ばした日付は、次に一括で取得するときに取得します。") + kEol;
    return text;
}

}  // namespace vorq
