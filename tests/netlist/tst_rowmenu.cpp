#include "netlist/RowMenu.h"
#include "radar/LocateState.h"
#include "scan/FakeInterface.h"

#include <QTest>

namespace {

NetworkList rows() {
    NetworkList list;
    for (const char *name : {"A", "B", "C"}) {
        list << std::make_shared<NetworkModel>(
            makeNetwork(QString::fromLatin1(name),
                        QStringLiteral("aa:bb:cc:dd:ee:0") + QLatin1String(name), -50));
    }
    return list;
}

// "-" for none, else the SSID.
QString name(const NetworkModelPtr &r) {
    return r ? r->ssid : QStringLiteral("-");
}

QString describe(const std::optional<RowMenu::Item> &item) {
    if (!item)
        return QStringLiteral("(unchanged)");
    const bool exit = item->action == RowMenu::Action::ExitLocate;
    return item->title + (exit ? QStringLiteral(" -> exitLocate") : QStringLiteral(" -> locate"));
}

} // namespace

class TestRowMenu : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void itemForTheClick_data();
    void itemForTheClick();
    void clickOutsideTheCells_data();
    void clickOutsideTheCells();
    void itemReflectsThePreviousClick();
};

void TestRowMenu::itemForTheClick_data() {
    QTest::addColumn<QString>("located");   // "" when not locating
    QTest::addColumn<QString>("candidate"); // "" when none
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("item");
    QTest::newRow("not locating") << ""
                                  << "" << 1 << "Locate -> locate";
    QTest::newRow("not locating, old candidate") << ""
                                                 << "A" << 0 << "Locate -> locate";
    QTest::newRow("locating the candidate, its row") << "B"
                                                     << "B" << 1 << "Exit Locate -> exitLocate";
    QTest::newRow("locating the candidate, another row") << "B"
                                                         << "B" << 2 << "Exit Locate -> exitLocate";
    QTest::newRow("locating another network") << "B"
                                              << "C" << 1 << "Locate -> locate";
    QTest::newRow("locating without a candidate") << "B"
                                                  << "" << 1 << "Locate -> locate";
}

void TestRowMenu::itemForTheClick() {
    QFETCH(QString, located);
    QFETCH(QString, candidate);
    QFETCH(int, row);
    QFETCH(QString, item);
    const NetworkList shown = rows();
    auto byName = [&](const QString &ssid) -> NetworkModelPtr {
        for (const NetworkModelPtr &r : shown) {
            if (r->ssid == ssid)
                return r;
        }
        return nullptr;
    };
    LocateState locate;
    if (!located.isEmpty())
        locate.locateArray = {byName(located)};
    locate.locateModel = byName(candidate);

    QCOMPARE(describe(RowMenu::menuNeedsUpdate(locate, shown, row, 3)), item);
    QCOMPARE(name(locate.locateModel), shown.at(row)->ssid);
    QCOMPARE(locate.locateArray.size(), located.isEmpty() ? 0 : 1);
}

void TestRowMenu::clickOutsideTheCells_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::newRow("below the last row") << -1 << 2;
    QTest::newRow("beside the last column") << 1 << -1;
    QTest::newRow("nowhere") << -1 << -1;
    QTest::newRow("row past the list") << 3 << 0;
}

void TestRowMenu::clickOutsideTheCells() {
    QFETCH(int, row);
    QFETCH(int, column);
    const NetworkList shown = rows();
    LocateState locate;
    locate.locateModel = shown.at(0);
    QCOMPARE(describe(RowMenu::menuNeedsUpdate(locate, shown, row, column)), "(unchanged)");
    QCOMPARE(name(locate.locateModel), "A");
}

// While B is located, each right-click offers what the click before chose.
void TestRowMenu::itemReflectsThePreviousClick() {
    const NetworkList shown = rows();
    LocateState locate;
    locate.locateArray = {shown.at(1)};
    locate.locateModel = shown.at(1);
    QStringList seen;
    for (int row : {2, 1, 1, 0}) {
        const QString item = describe(RowMenu::menuNeedsUpdate(locate, shown, row, 0));
        seen << item + " @" + name(locate.locateModel);
    }
    QCOMPARE(seen.join(", "), "Exit Locate -> exitLocate @C, Locate -> locate @B, "
                              "Exit Locate -> exitLocate @B, Exit Locate -> exitLocate @A");
}

QTEST_GUILESS_MAIN(TestRowMenu)
#include "tst_rowmenu.moc"
