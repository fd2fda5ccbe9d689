// Which date-list item a stored date selects.
#include <gtest/gtest.h>

#include "core/charts/chartstore.h"
#include "core/settings/optionkeys.h"

using namespace vorq;
using options::DateRole;

TEST(StoredDate, ExactLabelElseNearestInsideTheRange) {
    QList<QByteArray> labels;
    for (const QDate d : {QDate(2001, 4, 7), QDate(2001, 4, 21), QDate(2001, 4, 28)})
        labels.append(dateLabel(d));
    const QByteArray removed = dateLabel(QDate(2001, 4, 14));  // now in notfound.txt
    EXPECT_EQ(options::storedDateIndex(labels, labels[2], DateRole::Start), 2);
    EXPECT_EQ(options::storedDateIndex(labels, removed, DateRole::Start), 1);  // tie: the later
    EXPECT_EQ(options::storedDateIndex(labels, removed, DateRole::End), 0);    // tie: the earlier
    EXPECT_EQ(options::storedDateIndex(labels, dateLabel(QDate(2001, 4, 27)), DateRole::Start), 2);
    EXPECT_EQ(options::storedDateIndex(labels, dateLabel(QDate(2030, 1, 1)), DateRole::Start), 2);
    EXPECT_EQ(options::storedDateIndex(labels, "garbage", DateRole::Start), 0);
    EXPECT_EQ(options::storedDateIndex(labels, QByteArray(), DateRole::End), 2);
    EXPECT_EQ(options::storedDateIndex({}, removed, DateRole::End), -1);
}
