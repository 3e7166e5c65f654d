// The table's headless rules: sort descriptors, signal scale, row menu, row diff.
#include "netlist/RowDiff.h"
#include "netlist/RowMenu.h"
#include "netlist/SignalScale.h"
#include "netlist/SortDescriptors.h"
#include "radar/LocateState.h"
#include "support/FakeInterface.h"

#include <QPoint>
#include <QTest>

namespace {

// Records from words "ssid/rssi/channel/frequency/vendor", "-" an absent text;
// BSSIDs number them in input order (…:01, …:02), so ties can be told apart.
NetworkList records(const QString &words) {
    NetworkList list;
    for (const QString &word : words.split(' ', Qt::SkipEmptyParts)) {
        const QStringList f = word.split('/');
        auto text = [&](int i, const QString &fallback) {
            return f.value(i, fallback) == "-" ? QString() : f.value(i, fallback);
        };
        list << std::make_shared<NetworkModel>(makeNetwork(
            text(0, {}), QString("aa:bb:cc:dd:ee:%1").arg(list.size() + 1, 2, 10, QChar('0')),
            f.value(1, "-50").toInt(), f.value(2, "6").toInt()));
        list.last()->frequency = text(3, list.last()->frequency);
        list.last()->vendor = text(4, list.last()->vendor);
    }
    return list;
}

QString numbers(const NetworkList &list) {
    QStringList parts;
    for (const NetworkModelPtr &r : list)
        parts << (r ? QString::number(r->bssid.right(2).toInt()) : "-");
    return parts.join(' ');
}

// "ssid+i": key, direction, and "i" for a case-insensitive comparison.
QString describe(const QList<SortDescriptor> &list) {
    QStringList parts;
    for (const SortDescriptor &d : list)
        parts << d.key + (d.ascending ? "+" : "-") +
                     (d.comparison == SortDescriptor::Comparison::CaseInsensitive ? "i" : "");
    return parts.join(' ');
}

} // namespace

class TestTableRules : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Header clicks give the descriptors ("^"/"v": the first ascending or not)
    // and the order of the records they sort, by input position.
    void sorting() {
        const char *names = "bravo Alpha charlie alpha", *ties = "b/-70 a/-60 b/-50 a/-80";
        const char *cases[][4] = {
            {"no click keeps the order", names, "", "^ => 1 2 3 4"},
            {"ssid ignores case, ties keep order", names, "ssid", "ssid+i ^ => 2 4 1 3"},
            {"second click reverses", names, "ssid ssid", "ssid-i v => 3 1 2 4"},
            {"third click restores", names, "ssid ssid ssid", "ssid+i ^ => 2 4 1 3"},
            {"hidden ssid first", "beta - alpha", "ssid", "ssid+i ^ => 2 3 1"},
            {"rssi compares numbers", "a/-9 b/-10 c/-100", "rssi", "rssi+ ^ => 3 2 1"},
            {"check sorts by rssi, rssi reverses it", "a/-9 b/-10 c/-100", "check rssi",
             "rssi- v => 1 2 3"},
            {"channel compares numbers", "a/-50/11 b/-50/1 c/-50/100", "channel",
             "channel+ ^ => 2 1 3"},
            {"frequency compares texts", "a/-50/6/5180 b/-50/6/-1 c/-50/6/2412 d/-50/6/960",
             "frequency", "frequency+ ^ => 2 3 1 4"},
            {"vendor is case-sensitive", "a/-50/6/2437/acme b/-50/6/2437/Zeta c/-50/6/2437/Acme",
             "vendor", "vendor+ ^ => 3 2 1"},
            {"earlier click breaks ties", ties, "rssi ssid", "ssid+i rssi+ ^ => 4 2 1 3"},
            {"reversed tie-breaker stays reversed", ties, "rssi rssi ssid",
             "ssid+i rssi- ^ => 2 4 3 1"},
            {"a tie-breaker clicked again comes first, ascending", ties, "rssi rssi ssid rssi",
             "rssi+ ssid+i ^ => 4 1 2 3"},
        };
        for (const auto &[name, words, clicks, want] : cases) {
            SortDescriptors sort;
            for (const QString &column : QString(clicks).split(' ', Qt::SkipEmptyParts))
                sort.headerClicked(column);
            NetworkList list = records(words);
            sort.sorter()(list);
            const QString got =
                (describe(sort.descriptors()) + (sort.firstAscending() ? " ^" : " v")).trimmed() +
                " => " + numbers(list);
            QCOMPARE(name + (": " + got), name + (": " + QString(want)));
        }
    }

    // Fill and level (0 green, 1 yellow, 2 red) on both sides of each limit.
    void signalScale() {
        QStringList got;
        for (const int dBm : {-30, -60, -69, -70, -79, -80, -110})
            got << QString("%1: %2 %3")
                       .arg(dBm)
                       .arg(SignalScale::dBm().fillOf(dBm), 0, 'f', 2)
                       .arg(int(SignalScale::dBm().levelOf(dBm)));
        for (const int percent : {61, 60, 41, 40})
            got << QString("%1%: %2").arg(percent).arg(
                int(SignalScale::percent().levelOf(percent)));
        QCOMPARE(got.join(", "), "-30: 1.00 0, -60: 0.80 0, -69: 0.62 0, -70: 0.60 1, -79: 0.42 1, "
                                 "-80: 0.40 2, -110: 0.00 2, 61%: 0, 60%: 1, 41%: 1, 40%: 2");
    }

    // The item is chosen from the candidate as it stood before the click; a click
    // outside the cells keeps the item and the candidate.
    void rowMenu() {
        const NetworkList shown = records("A B C");
        LocateState locate;
        QStringList seen;
        auto click = [&](int row, int column) {
            const auto item = RowMenu::menuNeedsUpdate(locate, shown, row, column);
            const bool exit = item && item->action == RowMenu::Action::ExitLocate;
            seen << (item ? item->title + (exit ? "/exit" : "/locate") : "(unchanged)") + " @" +
                        numbers({locate.locateModel});
        };
        click(1, 0); // not locating
        locate.locateArray = {shown.at(1)};
        for (const QPoint at : {QPoint(2, 0), {1, 0}, {1, 3}, {0, 0}, {-1, 2}, {1, -1}, {3, 0}})
            click(at.x(), at.y());
        locate.locateModel = nullptr; // locating without a candidate
        click(2, 0);
        QCOMPARE(seen.join(", "), "Locate/locate @2, Exit Locate/exit @3, Locate/locate @2, "
                                  "Exit Locate/exit @2, Exit Locate/exit @1, (unchanged) @1, "
                                  "(unchanged) @1, (unchanged) @1, Locate/locate @3");
        QCOMPARE(locate.locateArray.size(), 1);
    }

    // Letters are the rows' keys: removals | appended | targets (only when the
    // rows move), and the steps applied to `before` give `after`; "reset" when
    // rows cannot follow their keys.
    void rowDiff() {
        const char *cases[][3] = {
            {"abc", "abc", "||"},      {"abcde", "ac", "3-4 1-1||"},   {"ab", "abcd", "|2 3|"},
            {"abc", "cab", "||1 2 0"}, {"abcd", "ead", "1-2|0|1 2 0"}, {"", "ab", "|0 1|"},
            {"ab", "", "0-1||"},       {"ab", "aa", "reset"},          {"aab", "ab", "reset"},
            {"aa", "aa", "||"},
        };
        static const char records[5] = {}; // one address per letter
        for (const auto &[before, after, want] : cases) {
            QList<RowDiff::Key> keys[2];
            for (int i : {0, 1})
                for (const char *c = i ? after : before; *c; ++c)
                    keys[i] << &records[*c - 'a'];
            const RowDiff diff(keys[0], keys[1]);
            QStringList steps[3];
            QString rows = before;
            for (const RowDiff::Range &r : diff.removals()) {
                steps[0] << QString("%1-%2").arg(r.first).arg(r.last);
                rows.remove(r.first, r.last - r.first + 1);
            }
            for (int i : diff.appended()) {
                steps[1] << QString::number(i);
                rows += after[i];
            }
            QString moved = rows;
            for (int i = 0; i < diff.targets().size(); ++i) {
                steps[2] << QString::number(diff.targets().at(i));
                moved[diff.targets().at(i)] = rows[i];
            }
            const QString got = diff.followsKeys()
                                    ? steps[0].join(' ') + '|' + steps[1].join(' ') + '|' +
                                          (diff.moved() ? steps[2].join(' ') : "")
                                    : "reset";
            QCOMPARE(QString(before) + ">" + after + ": " + got,
                     QString(before) + ">" + after + ": " + want);
            QVERIFY(!diff.followsKeys() || moved == after);
        }
    }
};

QTEST_GUILESS_MAIN(TestTableRules)
#include "tst_tablerules.moc"
