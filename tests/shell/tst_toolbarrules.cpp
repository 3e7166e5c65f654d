#include "shell/ToolbarMenus.h"
#include "shell/ToolbarSelection.h"

#include <QTest>

namespace {

// "Refresh:ic_refreshNow:Refresh Stop:ic_stop:Stop"
QString describe(const QList<MenuEntry> &entries) {
    static const QHash<MenuAction, QString> names{
        {MenuAction::Refresh, QStringLiteral("Refresh")},
        {MenuAction::Stop, QStringLiteral("Stop")},
        {MenuAction::Start, QStringLiteral("Start")},
        {MenuAction::Settings, QStringLiteral("Settings")},
        {MenuAction::ExportNetwork, QStringLiteral("ExportNetwork")},
        {MenuAction::ExitLocate, QStringLiteral("ExitLocate")}};
    QStringList parts;
    for (const MenuEntry &e : entries)
        parts << QStringLiteral("%1:%2:%3").arg(e.title, e.icon, names.value(e.action));
    return parts.join(QLatin1Char(' '));
}

QString rgb(const Rgb &c) {
    if (c == ToolbarSelection::toolbarBlue)
        return QStringLiteral("blue");
    if (c == ToolbarSelection::white)
        return QStringLiteral("white");
    if (c == ToolbarSelection::black)
        return QStringLiteral("black");
    return QStringLiteral("%1,%2,%3").arg(c.red).arg(c.green).arg(c.blue);
}

} // namespace

class TestToolbarRules : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pollingMenu_data();
    void pollingMenu();
    void settingsMenu_data();
    void settingsMenu();
    void selectionRule_data();
    void selectionRule();
    void toolbarBlueIsExact();
    void buttonTitlesInOrder();
    void iconPath();
};

void TestToolbarRules::pollingMenu_data() {
    QTest::addColumn<bool>("polling");
    QTest::addColumn<QString>("entries");
    QTest::newRow("running offers Stop")
        << true << "Refresh:ic_refreshNow:Refresh Stop:ic_stop:Stop";
    QTest::newRow("stopped offers Start")
        << false << "Refresh:ic_refreshNow:Refresh Start:ic_stop:Start";
}

void TestToolbarRules::pollingMenu() {
    QFETCH(bool, polling);
    QFETCH(QString, entries);
    QCOMPARE(describe(ToolbarMenus::pollingMenu(polling)), entries);
}

void TestToolbarRules::settingsMenu_data() {
    QTest::addColumn<bool>("locating");
    QTest::addColumn<QString>("entries");
    QTest::newRow("not locating: two rows")
        << false << "Settings:ic_settings:Settings Export Network:ic_exportNetwork:ExportNetwork";
    QTest::newRow("locating: Exit Locate third")
        << true
        << "Settings:ic_settings:Settings Export Network:ic_exportNetwork:ExportNetwork "
           "Exit Locate:ic_exitLocate:ExitLocate";
}

void TestToolbarRules::settingsMenu() {
    QFETCH(bool, locating);
    QFETCH(QString, entries);
    QCOMPARE(describe(ToolbarMenus::settingsMenu(locating)), entries);
}

void TestToolbarRules::selectionRule_data() {
    QTest::addColumn<int>("chosen");
    QTest::addColumn<QString>("looks");
    QTest::newRow("Layout chosen")
        << int(ToolbarButton::Layout) << "white/black blue/white blue/white blue/white blue/white";
    QTest::newRow("Polling chosen")
        << int(ToolbarButton::Polling) << "blue/white blue/white blue/white white/black blue/white";
    QTest::newRow("Tests chosen") << int(ToolbarButton::Tests)
                                  << "blue/white blue/white blue/white blue/white white/black";
}

void TestToolbarRules::selectionRule() {
    QFETCH(int, chosen);
    QFETCH(QString, looks);
    QStringList parts;
    for (ToolbarButton button : ToolbarSelection::buttons()) {
        const ToolbarButtonLook look =
            ToolbarSelection::look(button, static_cast<ToolbarButton>(chosen));
        parts << rgb(look.background) + QLatin1Char('/') + rgb(look.title);
    }
    QCOMPARE(parts.join(QLatin1Char(' ')), looks);
}

void TestToolbarRules::toolbarBlueIsExact() {
    const Rgb blue = ToolbarSelection::toolbarBlue;
    QCOMPARE(QStringLiteral("%1,%2,%3").arg(blue.red).arg(blue.green).arg(blue.blue), "0,124,186");
}

void TestToolbarRules::buttonTitlesInOrder() {
    QStringList titles;
    for (ToolbarButton button : ToolbarSelection::buttons())
        titles << ToolbarSelection::title(button);
    QCOMPARE(titles.join(QLatin1Char(' ')), "Layout Help Settings Polling Tests");
}

void TestToolbarRules::iconPath() {
    QCOMPARE(ToolbarMenus::iconPath(QStringLiteral("ic_stop")), ":/icons/ic_stop.svg");
}

QTEST_GUILESS_MAIN(TestToolbarRules)
#include "tst_toolbarrules.moc"
