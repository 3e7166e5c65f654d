#include "shell/DropDownPanelHost.h"
#include "shell/PanelEntryButton.h"
#include "shell/ViewTag.h"

#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QTest>

namespace {

// The host's direct views by object name, in creation order.
QString views(const DropDownPanelHost &host) {
    QStringList names;
    for (const QWidget *view : host.findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        names << view->objectName();
    return names.join(QLatin1Char(' '));
}

// The panel's entry titles, left to right.
QString entryTitles(const DropDownPanelHost &host) {
    if (!host.panel())
        return QStringLiteral("(no panel)");
    QStringList titles;
    for (const PanelEntryButton *entry :
         host.panel()->findChildren<PanelEntryButton *>(Qt::FindDirectChildrenOnly))
        titles << entry->entry().title;
    return titles.join(QLatin1Char(','));
}

QWidget *namedView(const QString &name, QWidget *parent) {
    auto *view = new QLabel(name, parent);
    view->setObjectName(name);
    return view;
}

} // namespace

class TestDropDownPanelHost : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rebuildKeepsTaggedViews();
    void secondPanelReplacesFirst();
    void emptyEntriesLeaveNoPanel();
    void clickRunsTheEntrysAction_data();
    void clickRunsTheEntrysAction();
    void entryMayRebuildItsOwnPanel();
    void entryLooks();
};

void TestDropDownPanelHost::rebuildKeepsTaggedViews() {
    DropDownPanelHost host;
    host.addKeptView(namedView(QStringLiteral("brand"), nullptr));
    auto *tagged = namedView(QStringLiteral("taggedByHand"), &host);
    ViewTag::set(tagged, ViewTag::kept);
    namedView(QStringLiteral("stray"), &host); // untagged: goes at the next rebuild
    auto *otherTag = namedView(QStringLiteral("tag99"), &host);
    ViewTag::set(otherTag, 99);

    host.rebuild(ToolbarMenus::pollingMenu(true), {});
    QCOMPARE(views(host), "brand taggedByHand dropDownPanel");
    QCOMPARE(ViewTag::of(host.findChild<QWidget *>(QStringLiteral("brand"))), 100);
}

void TestDropDownPanelHost::secondPanelReplacesFirst() {
    DropDownPanelHost host;
    host.addKeptView(namedView(QStringLiteral("brand"), nullptr));
    host.rebuild(ToolbarMenus::settingsMenu(false), {});
    QPointer<QFrame> first = host.panel();
    host.rebuild(ToolbarMenus::pollingMenu(false), {});
    QCOMPARE(views(host), "brand dropDownPanel");
    QCOMPARE(entryTitles(host), "Refresh,Start");
    QVERIFY(first); // deleted later, not under the caller's feet
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!first);
}

void TestDropDownPanelHost::emptyEntriesLeaveNoPanel() {
    DropDownPanelHost host;
    host.addKeptView(namedView(QStringLiteral("brand"), nullptr));
    host.rebuild(ToolbarMenus::settingsMenu(true), {});
    QCOMPARE(entryTitles(host), "Settings,Export Network,Exit Locate");
    host.rebuild({}, {});
    QCOMPARE(views(host), "brand");
    QCOMPARE(entryTitles(host), "(no panel)");
}

void TestDropDownPanelHost::clickRunsTheEntrysAction_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("action");
    QTest::newRow("Settings") << "Settings" << int(MenuAction::Settings);
    QTest::newRow("Export Network") << "Export Network" << int(MenuAction::ExportNetwork);
    QTest::newRow("Exit Locate") << "Exit Locate" << int(MenuAction::ExitLocate);
}

void TestDropDownPanelHost::clickRunsTheEntrysAction() {
    QFETCH(QString, title);
    QFETCH(int, action);
    DropDownPanelHost host;
    QList<MenuAction> ran;
    host.rebuild(ToolbarMenus::settingsMenu(true), [&](MenuAction a) { ran << a; });
    auto *entry = host.panel()->findChild<PanelEntryButton *>(title);
    QVERIFY(entry);
    QTest::mouseClick(entry, Qt::LeftButton);
    QCOMPARE(ran, QList<MenuAction>{static_cast<MenuAction>(action)});
}

// Stop rebuilds the very panel its entry sits on, offering Start.
void TestDropDownPanelHost::entryMayRebuildItsOwnPanel() {
    DropDownPanelHost host;
    bool polling = true;
    std::function<void(MenuAction)> handler;
    handler = [&](MenuAction a) {
        polling = a == MenuAction::Start;
        host.rebuild(ToolbarMenus::pollingMenu(polling), handler);
    };
    host.rebuild(ToolbarMenus::pollingMenu(polling), handler);
    QTest::mouseClick(host.panel()->findChild<PanelEntryButton *>(QStringLiteral("Stop")),
                      Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(entryTitles(host), "Refresh,Start");
    QTest::mouseClick(host.panel()->findChild<PanelEntryButton *>(QStringLiteral("Start")),
                      Qt::LeftButton);
    QCOMPARE(entryTitles(host), "Refresh,Stop");
    QVERIFY(polling);
}

void TestDropDownPanelHost::entryLooks() {
    DropDownPanelHost host;
    host.rebuild(ToolbarMenus::pollingMenu(true), {});
    auto *entry = host.panel()->findChild<PanelEntryButton *>(QStringLiteral("Refresh"));
    QVERIFY(entry);
    QVERIFY(entry->text().isEmpty()); // the title is the label beside the icon
    const QList<QLabel *> labels = entry->findChildren<QLabel *>();
    QCOMPARE(labels.size(), 2);
    QVERIFY(!labels.at(0)->pixmap().isNull()); // the SVG icon loaded
    QCOMPARE(labels.at(1)->text(), "Refresh");
    QCOMPARE(labels.at(1)->font().family(), "Arial");
    QCOMPARE(labels.at(1)->font().pointSize(), 11);
}

QTEST_MAIN(TestDropDownPanelHost)
#include "tst_dropdownpanelhost.moc"
