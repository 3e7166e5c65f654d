#include "shell/DropDownPanelHost.h"
#include "shell/PanelEntryButton.h"
#include "shell/ToolbarStrip.h"
#include "shell/ViewTag.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

// Each button as drawn, named by its look: "s" when it looks like the first
// button, "o" otherwise (the background near its top edge and the whole image).
QString drawnLooks(const ToolbarStrip &strip) {
    QStringList parts;
    QImage first;
    for (ToolbarButton which : ToolbarSelection::buttons()) {
        const QImage image = strip.button(which)->grab().toImage();
        if (first.isNull())
            first = image;
        const bool same =
            image.pixelColor(image.width() / 2, 2) == first.pixelColor(first.width() / 2, 2);
        parts << (same ? "s" : "o");
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
    // Every entry of every menu has its icon among the resources.
    void menuIconsExist() {
        QList<MenuEntry> entries = ToolbarMenus::layoutMenu(LayoutMode::Radar) +
                                   ToolbarMenus::helpMenu() + ToolbarMenus::testsMenu();
        for (const bool flag : {false, true})
            entries += ToolbarMenus::pollingMenu(flag) + ToolbarMenus::settingsMenu(flag);
        QSet<QString> icons;
        for (const MenuEntry &e : entries) {
            QVERIFY2(!QIcon(ToolbarMenus::iconPath(e.icon)).pixmap(22, 22).isNull(),
                     qPrintable(e.icon));
            icons.insert(e.icon);
        }
        QCOMPARE(icons.size(), entries.size() - 3); // Refresh, Settings, Export twice each
    }

    // A click only announces (selecting is the window's decision); select redraws
    // every button, so only the chosen one looks chosen.
    void strip() {
        ToolbarStrip strip;
        strip.resize(700, 40);
        QSignalSpy clicked(&strip, &ToolbarStrip::buttonClicked);
        QTest::mouseClick(strip.button(ToolbarButton::Polling), Qt::LeftButton);
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(clicked.at(0).at(0).value<ToolbarButton>(), ToolbarButton::Polling);
        QCOMPARE(strip.selected(), ToolbarButton::Layout);
        QCOMPARE(drawnLooks(strip), "s o o o o");
        strip.select(ToolbarButton::Tests); // an earlier choice must not linger
        strip.select(ToolbarButton::Settings);
        QCOMPARE(strip.selected(), ToolbarButton::Settings);
        QCOMPARE(drawnLooks(strip), "s s o s s");
    }

    // A rebuild keeps the views tagged 100 and drops the rest; the panel it replaces
    // is deleted later, not under the caller's feet.
    void panelsReplaceEachOther() {
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
    }

    // Stop rebuilds the very panel its entry sits on, offering Start.
    void entryMayRebuildItsOwnPanel() {
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
};

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
