#include "HelpDocuments.h"

#include "HelpFiles.h"
#include "Theme.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFile>
#include <QMessageBox>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <functional>

namespace {

QString resourceText(const char *url) {
    QFile file(QLatin1Char(':') + QUrl(QLatin1String(url)).path());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Window-modal and non-blocking, like the documents themselves.
void tell(QWidget *parent, const QString &text) {
    auto *box = new QMessageBox(QMessageBox::Information, QStringLiteral("User Guide"), text,
                                QMessageBox::Ok, parent);
    box->setObjectName(QStringLiteral("userGuideMessage"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

QTextBrowser *browser(QWidget *parent, const QString &html) {
    auto *view = new QTextBrowser(parent);
    view->setOpenExternalLinks(true);
    view->setFrameShape(QFrame::NoFrame);
    view->setHtml(html);
    return view;
}

// One dialog per document: asking again raises the one already open.
QDialog *openOnce(QWidget *parent, const QString &name, const std::function<QDialog *()> &make) {
    if (parent)
        if (auto *open = parent->findChild<QDialog *>(name, Qt::FindDirectChildrenOnly)) {
            open->raise();
            open->activateWindow();
            return open;
        }
    QDialog *dialog = make();
    dialog->setObjectName(name);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
    return dialog;
}

} // namespace

namespace HelpDocuments {

bool userGuideButtonAction(QWidget *parent) {
    const QString path = HelpFiles::findUserGuide(QCoreApplication::applicationDirPath());
    if (path.isEmpty()) {
        tell(parent, QStringLiteral("The user guide is not installed with this copy of Airlume."));
        return false;
    }
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        return true;
    tell(parent, QStringLiteral("No PDF viewer could open the user guide. It is at %1").arg(path));
    return false;
}

QDialog *glossaryButtonAction(QWidget *parent) {
    return openOnce(parent, QStringLiteral("glossary"), [parent] {
        auto *dialog = new QDialog(parent);
        dialog->setWindowTitle(QStringLiteral("Glossary"));
        dialog->resize(760, 640);
        auto *column = new QVBoxLayout(dialog);
        column->setContentsMargins(0, 0, 0, 0);
        column->addWidget(browser(dialog, resourceText(HelpFiles::glossaryResource)));
        return dialog;
    });
}

// A white rounded page on the window's dark blue.
QDialog *aboutButtonAction(QWidget *parent) {
    return openOnce(parent, QStringLiteral("about"), [parent] {
        auto *dialog = new QDialog(parent);
        dialog->setWindowTitle(QStringLiteral("About Airlume"));
        dialog->resize(520, 440);
        dialog->setStyleSheet(
            QStringLiteral("QDialog { background-color: %1; }"
                           "QTextBrowser { background: %2; border-radius: 10px; padding: 12px; }")
                .arg(Theme::css(Theme::windowBlue), Theme::css(Theme::paneWhite)));
        auto *column = new QVBoxLayout(dialog);
        column->setContentsMargins(14, 14, 14, 14);
        QString html = resourceText(HelpFiles::aboutResource);
        html.replace(QLatin1String("{{version}}"), QCoreApplication::applicationVersion());
        column->addWidget(browser(dialog, html));
        return dialog;
    });
}

} // namespace HelpDocuments
