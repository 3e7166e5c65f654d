#include "shell/ToolbarStrip.h"

#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

// The colours a button is drawn with: its background near the top edge and
// whether the darkest pixel (its title) is black or white.
QString drawnLook(QPushButton *button) {
    const QImage image = button->grab().toImage();
    const QColor background = image.pixelColor(image.width() / 2, 2);
    int darkest = 255 * 3;
    int lightest = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int sum = c.red() + c.green() + c.blue();
            darkest = std::min(darkest, sum);
            lightest = std::max(lightest, sum);
        }
    }
    QString back = QStringLiteral("%1,%2,%3")
                       .arg(background.red())
                       .arg(background.green())
                       .arg(background.blue());
    if (back == QLatin1String("255,255,255"))
        back = QStringLiteral("white");
    else if (back == QLatin1String("0,124,186"))
        back = QStringLiteral("blue");
    // A white button's title is the darkest thing on it; a blue button's the lightest.
    const QString title = back == QLatin1String("white")
                              ? (darkest < 150 ? QStringLiteral("black") : QStringLiteral("light"))
                              : (lightest > 700 ? QStringLiteral("white") : QStringLiteral("dark"));
    return back + QLatin1Char('/') + title;
}

QString drawnLooks(const ToolbarStrip &strip) {
    QStringList parts;
    for (ToolbarButton which : ToolbarSelection::buttons())
        parts << drawnLook(strip.button(which));
    return parts.join(QLatin1Char(' '));
}

} // namespace

class TestToolbarStrip : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startsWithLayoutChosen();
    void clickAnnouncesTheButton_data();
    void clickAnnouncesTheButton();
    void selectRedrawsEveryButton_data();
    void selectRedrawsEveryButton();
    void titlesInSystemFontTenPoint();
};

void TestToolbarStrip::startsWithLayoutChosen() {
    ToolbarStrip strip;
    strip.resize(700, 40);
    QCOMPARE(strip.selected(), ToolbarButton::Layout);
    QCOMPARE(drawnLooks(strip), "white/black blue/white blue/white blue/white blue/white");
}

void TestToolbarStrip::clickAnnouncesTheButton_data() {
    QTest::addColumn<int>("which");
    QTest::newRow("Help") << int(ToolbarButton::Help);
    QTest::newRow("Settings") << int(ToolbarButton::Settings);
    QTest::newRow("Polling") << int(ToolbarButton::Polling);
}

// A click only announces; selecting is the window's decision.
void TestToolbarStrip::clickAnnouncesTheButton() {
    QFETCH(int, which);
    ToolbarStrip strip;
    QSignalSpy clicked(&strip, &ToolbarStrip::buttonClicked);
    QTest::mouseClick(strip.button(static_cast<ToolbarButton>(which)), Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.at(0).at(0).value<ToolbarButton>(), static_cast<ToolbarButton>(which));
    QCOMPARE(strip.selected(), ToolbarButton::Layout);
}

void TestToolbarStrip::selectRedrawsEveryButton_data() {
    QTest::addColumn<int>("chosen");
    QTest::addColumn<QString>("looks");
    QTest::newRow("Settings") << int(ToolbarButton::Settings)
                              << "blue/white blue/white white/black blue/white blue/white";
    QTest::newRow("Polling") << int(ToolbarButton::Polling)
                             << "blue/white blue/white blue/white white/black blue/white";
}

void TestToolbarStrip::selectRedrawsEveryButton() {
    QFETCH(int, chosen);
    QFETCH(QString, looks);
    ToolbarStrip strip;
    strip.resize(700, 40);
    strip.select(ToolbarButton::Tests); // an earlier choice must not linger
    strip.select(static_cast<ToolbarButton>(chosen));
    QCOMPARE(drawnLooks(strip), looks);
}

void TestToolbarStrip::titlesInSystemFontTenPoint() {
    ToolbarStrip strip;
    QStringList fonts;
    for (ToolbarButton which : ToolbarSelection::buttons()) {
        const QPushButton *button = strip.button(which);
        fonts << QStringLiteral("%1:%2:%3")
                     .arg(button->text(), button->font().family())
                     .arg(button->font().pointSize());
    }
    const QString family = QApplication::font().family();
    QCOMPARE(fonts.join(QLatin1Char(' ')),
             QStringLiteral("Layout:%1:10 Help:%1:10 Settings:%1:10 Polling:%1:10 Tests:%1:10")
                 .arg(family));
}

QTEST_MAIN(TestToolbarStrip)
#include "tst_toolbarstrip.moc"
