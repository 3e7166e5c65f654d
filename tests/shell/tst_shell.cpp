#include "shell/ToolbarStrip.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

class TestShell : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A click only announces (selecting is the window's decision); select
    // redraws every button, so only the chosen one looks chosen: "s" where the
    // background near the top edge looks like the first button's.
    void strip() {
        ToolbarStrip strip;
        strip.resize(700, 40);
        const auto looks = [&] {
            QStringList parts;
            QColor first;
            for (ToolbarButton which : ToolbarSelection::buttons()) {
                const QImage image = strip.button(which)->grab().toImage();
                const QColor top = image.pixelColor(image.width() / 2, 2);
                first = first.isValid() ? first : top;
                parts << (top == first ? "s" : "o");
            }
            return parts.join(' ');
        };
        QSignalSpy clicked(&strip, &ToolbarStrip::buttonClicked);
        QTest::mouseClick(strip.button(ToolbarButton::Polling), Qt::LeftButton);
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(strip.selected(), ToolbarButton::Layout);
        QCOMPARE(looks(), "s o o o o");
        strip.select(ToolbarButton::Tests); // an earlier choice must not linger
        strip.select(ToolbarButton::Settings);
        QCOMPARE(looks(), "s s o s s");
    }
};

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
