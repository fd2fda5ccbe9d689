#pragma once
// What the desktop is told after an unattended import brought new weeks:
// the newest week, its #1, how many songs entered its chart and how many of
// those the collector does not own yet. Built from the loaded charts, so the
// wording and the counting are tested without a notification service.
#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

#include "core/charts/chartstore.h"

namespace vorq {

struct NewChartNotice {
    QDate newest;         // invalid: nothing was imported
    int weeks = 0;        // imported weeks, the newest included
    bool loaded = false;  // the newest week's chart is among the loaded ones
    QByteArray topTitle;  // the newest week's #1 (empty when its chart is not loaded)
    QByteArray topArtist;
    // Songs on the newest week's chart that were not on the chart of the
    // loaded week before it (debuts and re-entries; every song when no
    // earlier week is loaded), and how many of them own no file that exists
    // on any loaded week (the wanted list's rule).
    int newEntries = 0;
    int wanted = 0;
};

// importedTags: the weeks the run stored (yyyymmdd); tabs: the loaded range
// after the run, in any order.
NewChartNotice newChartNotice(const QList<int> &importedTags, const QList<ChartTab> &tabs);

// The notification's title and text. markup: the notification service reads
// the text as markup, so titles holding "&" or "<" are escaped.
QString noticeSummary(const NewChartNotice &notice);
QString noticeBody(const NewChartNotice &notice, bool markup);

}  // namespace vorq
