// Stacking as the user sees it: under a real X server with a window manager,
// every prompt of an import stands above the always-on-top bulk download
// dialog. Run through tests/support/with-window-manager; without a display
// or a window manager every test skips and says why.
#include <gtest/gtest.h>

#include <xcb/xcb.h>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "chartsite.h"
#include "core/base/appenv.h"
#include "core/text/sjistext.h"
#include "ui/import/bulkdownloaddialog.h"
#include "ui/import/importhost.h"
#include "ui/import/importresultdialog.h"
#include "ui/mainwindow/mainwindow.h"
#include "ui/options/optionsdialog.h"

using namespace vorq;
using vorq::test::ChartSite;

namespace {

QString g_skipReason;  // why the window-system tests cannot run here

// A loaded machine can keep the window manager busy for many seconds; every
// wait ends as soon as its condition holds.
constexpr int kPatienceMs = 90000;

// Whether the window manager has framed the window, that is, managed it.
bool framed(const QWidget *w) { return w->frameGeometry().height() > w->height(); }

xcb_connection_t *connection() {
    auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t rootWindow() { return xcb_setup_roots_iterator(xcb_get_setup(connection())).data->root; }

// Whether a window manager announces itself on the root window.
bool windowManagerRunning() {
    xcb_connection_t *c = connection();
    const char name[] = "_NET_SUPPORTING_WM_CHECK";
    xcb_intern_atom_reply_t *atom =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, sizeof name - 1, name), nullptr);
    if (!atom) return false;
    xcb_get_property_reply_t *prop = xcb_get_property_reply(
        c, xcb_get_property(c, 0, rootWindow(), atom->atom, XCB_ATOM_WINDOW, 0, 1), nullptr);
    const bool found = prop && xcb_get_property_value_length(prop) == 4;
    free(prop);
    free(atom);
    return found;
}

QList<xcb_window_t> children(xcb_window_t w, xcb_window_t *parent = nullptr) {
    QList<xcb_window_t> out;
    xcb_connection_t *c = connection();
    xcb_query_tree_reply_t *tree = xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr);
    if (!tree) return out;
    if (parent) *parent = tree->parent;
    const xcb_window_t *kids = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) out << kids[i];
    free(tree);
    return out;
}

// Whether the window manager has framed the window, as the X server sees it
// (Qt may never learn of a late frame).
bool reparented(QWidget *w) {
    xcb_window_t parent = 0;
    children(static_cast<xcb_window_t>(w->winId()), &parent);
    return parent != 0 && parent != rootWindow();
}

// Position of a top-level window among the root's children, bottom first:
// the window manager's frame around it, as the screen stacks them.
int stackingIndex(QWidget *w) {
    const xcb_window_t root = rootWindow();
    xcb_window_t frame = static_cast<xcb_window_t>(w->winId());
    for (;;) {
        xcb_window_t parent = 0;
        children(frame, &parent);
        if (parent == root || parent == 0) break;
        frame = parent;
    }
    return static_cast<int>(children(root).indexOf(frame));
}

// Whether the prompt comes to stand above the dialog: the window manager
// maps a window first and moves it to its layer afterwards.
bool standsAbove(QWidget *prompt, QWidget *dialog) {
    if (!QTest::qWaitForWindowExposed(prompt, kPatienceMs)) return false;
    if (!QTest::qWaitFor([&] { return reparented(prompt); }, kPatienceMs)) return false;
    return QTest::qWaitFor(
        [&] {
            xcb_connection_t *c = connection();
            free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));  // a round trip
            const int p = stackingIndex(prompt), d = stackingIndex(dialog);
            return p >= 0 && d >= 0 && p > d;
        },
        kPatienceMs);
}

class OnScreenTest : public ::testing::Test {
protected:
    QTemporaryDir home, prog;
    std::unique_ptr<ChartSite> site;
    std::unique_ptr<MainWindow> form;
    OptionsDialog *options = nullptr;

    void SetUp() override {
        if (!g_skipReason.isEmpty()) GTEST_SKIP() << g_skipReason.toStdString();
        ASSERT_TRUE(home.isValid() && prog.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("share"))));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
        env::setToday(QDate(1995, 5, 15));
        env::setProgramFolder(sjis::fromUnicode(prog.path() + QLatin1Char('/')));
        ChartSite::Options o;
        o.missing = {QDate(1995, 4, 22)};
        o.delayMs = 150;  // the bulk dialog is up before the page arrives
        site = std::make_unique<ChartSite>(o);
        ASSERT_TRUE(site->start());
        form = std::make_unique<MainWindow>();
        options = new OptionsDialog(form.get());
        form->setOptions(options);
        form->show();
        form->activateWindow();
        // The window manager may hand the focus elsewhere first.
        if (!QTest::qWaitFor([&] { return form->startupGuard() == 1; }, 2000))
            QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitFor([&] { return form->startupGuard() == 1; }, kPatienceMs));
        options->dataUrlEdit->setText(QString::fromLatin1(site->urlTemplate()));
        options->ignoreErrorBox->setChecked(false);  // missing pages ask
    }
    void TearDown() override {
        form.reset();
        env::setToday({});
        env::setProgramFolder({});
    }
    int rowOf(const char *utf8Label) {
        for (int i = 0; i < form->dateList->count(); ++i)
            if (form->dateList->item(i)->text() == QString::fromUtf8(utf8Label)) return i;
        return -1;
    }
    // Imports the dates; on the first message box that shows, records
    // whether it stands above the bulk dialog. Every box is answered with
    // its escape button.
    bool promptStandsAboveBulkDialog(const QStringList &rows, QString *seenText) {
        bool above = false, seen = false, looking = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            // Not the box being looked at (the look runs event loops).
            if (looking) return;
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible()) return;
            BulkDownloadDialog *bulk = currentBulkDialog(form.get());
            if (!seen && bulk) {
                seen = true;
                *seenText = box->text();
                looking = true;
                above = standsAbove(box, bulk);
                looking = false;
            }
            box->done(QMessageBox::No);
        });
        poll.start(10);
        importDateList(form.get(), rows);
        return above;
    }
};

}  // namespace

TEST_F(OnScreenTest, TheNotFoundQuestionStandsAboveTheBulkDialog) {
    QString text;
    EXPECT_TRUE(promptStandsAboveBulkDialog({QString::number(rowOf("1995年04月22日"))}, &text));
    EXPECT_TRUE(text.startsWith(QStringLiteral("1995年04月22日のデータは見つかりませんでした。")));
}

TEST_F(OnScreenTest, TheHttpClientsErrorBoxStandsAboveTheBulkDialog) {
    // Through a "proxy" that refuses: the client's own error box.
    ChartSite closed({});
    ASSERT_TRUE(closed.start());
    const quint16 port = closed.serverPort();
    closed.close();
    options->useProxyBox->setChecked(true);
    options->proxyAddressEdit->setText(QStringLiteral("127.0.0.1"));
    options->proxyPortEdit->setText(QString::number(port));
    QString text;
    // One date: a bulk run of several would gather failures into its summary.
    EXPECT_TRUE(promptStandsAboveBulkDialog({QString::number(rowOf("1995年04月15日"))}, &text));
    EXPECT_TRUE(text.contains(QStringLiteral("サーバーに接続できませんでした。"))) << text.toStdString();
}

TEST_F(OnScreenTest, TheImportResultDialogsDesignedSizeIsItsOuterSize) {
    ImportResultDialog dlg(form.get());
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg, kPatienceMs));
    // Once the window manager's frame is there, the frame included is 503 x 403.
    ASSERT_TRUE(QTest::qWaitFor([&] { return framed(&dlg); }, kPatienceMs));
    EXPECT_TRUE(QTest::qWaitFor([&] { return dlg.frameGeometry().size() == QSize(503, 403); }, kPatienceMs))
        << dlg.frameGeometry().width() << "x" << dlg.frameGeometry().height();
}

// Under the sanitizer build the X platform plugin and the libraries below it
// keep allocations to the end of the process; the offscreen tests check ours.
extern "C" const char *__asan_default_options() { return "detect_leaks=0"; }

int main(int argc, char **argv) {
    // Without a display the program still lists and skips its tests.
    const bool display = !qEnvironmentVariableIsEmpty("DISPLAY");
    qputenv("QT_QPA_PLATFORM", display ? "xcb" : "offscreen");
    QApplication app(argc, argv);
    vorq::sjis::ensureCodec();
    ::testing::InitGoogleTest(&argc, argv);
    if (!display) {
        g_skipReason = QStringLiteral("no X display (DISPLAY is not set); run under xvfb-run with openbox");
    } else if (!connection()) {
        g_skipReason = QStringLiteral("not an X11 display");
    } else if (!QTest::qWaitFor(windowManagerRunning, kPatienceMs)) {
        g_skipReason = QStringLiteral("no window manager on the display; start openbox first");
    }
    return RUN_ALL_TESTS();
}
