#include "shell/DropDownPanelHost.h"
#include "shell/PanelEntryButton.h"
#include "shell/ToolbarStrip.h"
#include "shell/ViewTag.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

QString rgb(const QColor &c) {
    const QString s = QStringLiteral("%1,%2,%3").arg(c.red()).arg(c.green()).arg(c.blue());
    return s == "255,255,255" ? "white" : s == "0,124,186" ? "blue" : s == "0,0,0" ? "black" : s;
}

// Each button as drawn: its background near the top edge, then its title: black
// when something on it is near black, white when something is near white.
QString drawnLooks(const ToolbarStrip &strip) {
    QStringList parts;
    for (ToolbarButton which : ToolbarSelection::buttons()) {
        const QImage image = strip.button(which)->grab().toImage();
        int darkest = 765, lightest = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                darkest = std::min(darkest, c.red() + c.green() + c.blue());
                lightest = std::max(lightest, c.red() + c.green() + c.blue());
            }
        const QString back = rgb(image.pixelColor(image.width() / 2, 2));
        parts << back + (back == "white" ? (darkest < 150 ? "/black" : "/light")
                                         : (lightest > 700 ? "/white" : "/dark"));
    }
    return parts.join(' ');
}

QString views(const DropDownPanelHost &host) {
    QStringList names;
    for (const QWidget *view : host.findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        names << view->objectName();
    return names.join(' ');
}

QString entryTitles(const DropDownPanelHost &host) {
    if (!host.panel())
        return QStringLiteral("(no panel)");
    QStringList titles;
    for (const PanelEntryButton *e : host.panel()->findChildren<PanelEntryButton *>())
        titles << e->entry().title;
    return titles.join(',');
}

void click(const DropDownPanelHost &host, const QString &title) {
    QTest::mouseClick(host.panel()->findChild<PanelEntryButton *>(title), Qt::LeftButton);
}

QWidget *namedView(const QString &name, QWidget *parent, int tag = 0) {
    auto *view = new QLabel(name, parent);
    view->setObjectName(name);
    if (tag)
        ViewTag::set(view, tag);
    return view;
}

} // namespace

class TestShell : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void menuIconsExist();
    void strip();
    void panelsReplaceEachOther();
    void entryMayRebuildItsOwnPanel();
};

// Every entry of every menu has its icon among the resources.
void TestShell::menuIconsExist() {
    for (const bool flag : {false, true})
        for (const MenuEntry &e :
             ToolbarMenus::pollingMenu(flag) + ToolbarMenus::settingsMenu(flag))
            QVERIFY2(QFile::exists(ToolbarMenus::iconPath(e.icon)), qPrintable(e.icon));
}

// A click only announces (selecting is the window's decision); select redraws
// every button; titles are in the system font at 10 points.
void TestShell::strip() {
    ToolbarStrip strip;
    strip.resize(700, 40);
    QSignalSpy clicked(&strip, &ToolbarStrip::buttonClicked);
    QTest::mouseClick(strip.button(ToolbarButton::Polling), Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.at(0).at(0).value<ToolbarButton>(), ToolbarButton::Polling);
    QCOMPARE(strip.selected(), ToolbarButton::Layout);
    QCOMPARE(drawnLooks(strip), "white/black blue/white blue/white blue/white blue/white");
    strip.select(ToolbarButton::Tests); // an earlier choice must not linger
    strip.select(ToolbarButton::Settings);
    QCOMPARE(strip.selected(), ToolbarButton::Settings);
    QCOMPARE(drawnLooks(strip), "blue/white blue/white white/black blue/white blue/white");
    QStringList fonts;
    for (ToolbarButton b : ToolbarSelection::buttons())
        fonts << QStringLiteral("%1:%2:%3")
                     .arg(strip.button(b)->text(), strip.button(b)->font().family())
                     .arg(strip.button(b)->font().pointSize());
    QCOMPARE(fonts.join(' '), QStringLiteral("Layout:%1:10 Help:%1:10 Settings:%1:10 Polling:%1:10 "
                                             "Tests:%1:10")
                                  .arg(QApplication::font().family()));
}

// A rebuild keeps the views tagged 100 and drops the rest; the panel it replaces
// is deleted later, not under the caller's feet.
void TestShell::panelsReplaceEachOther() {
    DropDownPanelHost host;
    host.addKeptView(namedView(QStringLiteral("brand"), nullptr));
    namedView(QStringLiteral("taggedByHand"), &host, ViewTag::kept);
    namedView(QStringLiteral("stray"), &host);
    namedView(QStringLiteral("tag99"), &host, 99);
    QList<MenuAction> ran;
    host.rebuild(ToolbarMenus::settingsMenu(true), [&](MenuAction a) { ran << a; });
    for (const char *title : {"Exit Locate", "Settings", "Export Network"})
        click(host, QLatin1String(title));
    QCOMPARE(ran, (QList<MenuAction>{MenuAction::ExitLocate, MenuAction::Settings,
                                     MenuAction::ExportNetwork}));
    QPointer<QWidget> first = host.panel();
    host.rebuild(ToolbarMenus::pollingMenu(false), {});
    QCOMPARE(views(host) + '|' + entryTitles(host),
             "brand taggedByHand dropDownPanel|Refresh,Start");
    QCOMPARE(ViewTag::of(host.findChild<QWidget *>(QStringLiteral("brand"))), 100);
    QVERIFY(first);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!first);
    host.rebuild({}, {});
    QCOMPARE(views(host) + '|' + entryTitles(host), "brand taggedByHand|(no panel)");

    // Entries draw their title beside a loaded icon, in Arial 11.
    host.rebuild(ToolbarMenus::pollingMenu(true), {});
    const auto *entry = host.panel()->findChild<PanelEntryButton *>(QStringLiteral("Refresh"));
    const QList<QLabel *> labels = entry->findChildren<QLabel *>();
    QCOMPARE(labels.size(), 2);
    QVERIFY(entry->text().isEmpty() && !labels.at(0)->pixmap().isNull());
    QCOMPARE(labels.at(1)->text() + ' ' + labels.at(1)->font().family() + ' ' +
                 QString::number(labels.at(1)->font().pointSize()),
             "Refresh Arial 11");
}

// Stop rebuilds the very panel its entry sits on, offering Start.
void TestShell::entryMayRebuildItsOwnPanel() {
    DropDownPanelHost host;
    bool polling = true;
    std::function<void(MenuAction)> handler = [&](MenuAction a) {
        polling = a == MenuAction::Start;
        host.rebuild(ToolbarMenus::pollingMenu(polling), handler);
    };
    host.rebuild(ToolbarMenus::pollingMenu(polling), handler);
    click(host, QStringLiteral("Stop"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(entryTitles(host), "Refresh,Start");
    click(host, QStringLiteral("Start"));
    QCOMPARE(entryTitles(host), "Refresh,Stop");
    QVERIFY(polling);
}

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
