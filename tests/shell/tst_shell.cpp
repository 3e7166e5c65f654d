#include "shell/DropDownPanelHost.h"
#include "shell/PanelEntryButton.h"
#include "shell/ToolbarStrip.h"
#include "shell/ViewTag.h"

#include <QLabel>
#include <QPointer>
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

    // A rebuild keeps the views tagged `kept` and drops the rest. Stop rebuilds
    // the very panel its entry sits on, which is deleted later, not under the
    // click's feet.
    void panelsReplaceEachOther() {
        DropDownPanelHost host;
        for (const int tag : {ViewTag::kept, 0, 99}) {
            auto *view = new QLabel(&host);
            view->setObjectName(QString("tag%1").arg(tag));
            ViewTag::set(view, tag);
        }
        const auto contents = [&] {
            QStringList names;
            for (const QWidget *view : host.findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
                names << view->objectName();
            if (host.panel())
                for (const PanelEntryButton *e : host.panel()->findChildren<PanelEntryButton *>())
                    names << e->entry().title;
            return names.join(' ');
        };
        std::function<void(MenuAction)> handler = [&](MenuAction a) {
            host.rebuild(ToolbarMenus::pollingMenu(a == MenuAction::Start), handler);
        };
        host.rebuild(ToolbarMenus::pollingMenu(true), handler);
        QPointer<QWidget> first = host.panel();
        QTest::mouseClick(host.panel()->findChild<PanelEntryButton *>("Stop"), Qt::LeftButton);
        QVERIFY(first);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(QString(first ? "kept " : "") + contents(),
                 "tag100 dropDownPanel Refresh Start Record");
        host.rebuild({}, {});
        QCOMPARE(contents(), "tag100");
    }
};

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
